#include "collectionlists.h"

#include "messagereporter.h"
#include "wdbffile.h"
#include "wstring.h"

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
    const QString text = utf8.decode(raw);
    if (!utf8.hasError())
        return text;
    QStringDecoder ansi("windows-1251");
    return ansi.decode(raw);
}

bool CollectionLists::fillTechnicalParts(const QString& suiteDir, QStringList& rootDirs,
                                         QStringList& names, bool showMessages)
{
    const QString path = suiteDir + InstallationTable;
    const WDbfFile dbf;
    WDbfFile::TableSlot table;
    if (!dbf.OpenTable(table, path, showMessages))
        return false;
    const int dir = table->fieldIndex(QStringLiteral("DIR"));
    const int name = table->fieldIndex(QStringLiteral("NAIM"));
    if (table->fieldIndex(QStringLiteral("VID")) < 0 || dir < 0 || name < 0) {
        // The filter and the two values cannot be had from such a table.
        dbf.CloseTable(table);
        if (showMessages)
            MessageReporter::report(dbf.Description,
                                    QStringLiteral("Ошибка при чтении файла: ") + path);
        return false;
    }
    const WString strings;
    for (const qsizetype record : table->recordsWhere(QStringLiteral("VID"), "b")) {
        rootDirs.append(decodeDirectory(table->value(record, dir)) + QStringLiteral("TT"));
        names.append(strings.OemToAnsi(table->value(record, name)));
    }
    dbf.CloseTable(table);
    return true;
}
