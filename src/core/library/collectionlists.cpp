#include "library/collectionlists.h"

#include "platform/messagereporter.h"
#include "text/textconversion.h"

#include <QDir>
#include <QStringDecoder>

void CollectionLists::fillNormative(const QString& suiteDir, const QString& externalDirectory,
                                    QStringList& rootDirs, QStringList& names)
{
    rootDirs.append(externalDirectory.isEmpty() ? suiteDir + QStringLiteral("NormDoc")
                                                : externalDirectory);
    names.append(QString());
}

QString CollectionLists::decodeDirectory(const QByteArray& raw)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(raw);
    if (utf8.hasError())
        text = QStringDecoder("windows-1251").decode(raw);
    // The table is written on Windows: its backslashes are separators, made "/" here once.
    return text.replace(u'\\', u'/');
}

bool CollectionLists::fillTechnicalParts(const QString& suiteDir, QStringList& rootDirs,
                                         QStringList& names, bool showMessages,
                                         DbaseTableOpener::Access access)
{
    const QString path = suiteDir + InstallationTable;
    const DbaseTableOpener dbf{};
    DbaseTableOpener::TableSlot table;
    if (!dbf.open(table, path, showMessages, access))
        return false;
    const QList<int> used{table->fieldIndex(QStringLiteral("VID")),
                          table->fieldIndex(QStringLiteral("DIR")),
                          table->fieldIndex(QStringLiteral("NAIM"))};
    QStringList foundDirs;
    QStringList foundNames;
    // A table without one of the three fields cannot be listed (the filter and the two values
    // cannot be had from it); neither can one that breaks off with a read error.
    const bool read =
        !used.contains(-1) && table->forEachRecord(used, [&](const QList<QByteArrayView>& values) {
            if (values.at(0) != "b")
                return true;
            // An empty or relative folder would be taken from wherever the program was started.
            const QString dir = decodeDirectory(values.at(1).toByteArray());
            if (dir.trimmed().isEmpty() || !QDir::isAbsolutePath(dir))
                return true;
            foundDirs.append(dir + QStringLiteral("TT"));
            foundNames.append(TextConversion::fromOem(values.at(2).toByteArray()));
            return true;
        });
    dbf.close(table);
    if (!read) {
        if (showMessages)
            MessageReporter::report(DbaseTableOpener::messageCaption(),
                                    QStringLiteral("Ошибка при чтении файла: ") + path);
        return false;
    }
    rootDirs.append(foundDirs);
    names.append(foundNames);
    return true;
}
