#include "dbase/dbasetableopener.h"

#include "platform/fileguard.h"
#include "platform/messagereporter.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

const QString indexCaption = QStringLiteral("Удаление индексов");

// The path with its extension (from the last dot of the file name) replaced.
QString withExtension(const QString& path, const QString& extension)
{
    // Where the file name starts: the system's own separators (a backslash is part of a
    // name on POSIX).
    const qsizetype slash = path.size() - QFileInfo(path).fileName().size() - 1;
    const qsizetype dot = path.lastIndexOf(u'.');
    return (dot > slash ? path.left(dot) : path) + extension;
}

QString openFailureText(const QString& path)
{
    return QStringLiteral("Ошибка при открытии файла:\n") + path +
           QStringLiteral("!\nВозможно он используется другой программой.");
}

} // namespace

void DbaseTableOpener::report(bool showMessages, const QString& caption, const QString& text) const
{
    if (showMessages)
        MessageReporter::report(caption, text);
}

QString DbaseTableOpener::productionIndexName(const QString& path)
{
    // Where the file name starts: the system's own separators (a backslash is part of a
    // name on POSIX).
    const qsizetype slash = path.size() - QFileInfo(path).fileName().size() - 1;
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot > slash && QStringView(path).mid(dot).compare(u".dbf", Qt::CaseInsensitive) == 0)
        return withExtension(path, QStringLiteral(".mdx"));
    return path + u'x';
}

QString DbaseTableOpener::mdxName(const QString& path)
{
    return withExtension(path, QStringLiteral(".mdx"));
}

QString DbaseTableOpener::ntxName(const QString& path, int number)
{
    const QString first = withExtension(path, QStringLiteral(".ntx"));
    if (number == 0)
        return first;
    return first.chopped(4) + QString::number(number) + QStringLiteral(".ntx");
}

bool DbaseTableOpener::clearReadOnly(const QString& path) const
{
    return FileGuard::makeOwnerWritable(path) == FileGuard::Result::Done;
}

bool DbaseTableOpener::hasProductionIndex(const QString& path, bool showMessages) const
{
    if (!QFileInfo(mdxName(path)).isFile())
        return false;
    QFile table(path);
    if (!table.open(QIODevice::ReadOnly)) {
        report(showMessages, indexCaption, openFailureText(path));
        return false;
    }
    char flag = 0;
    if (!table.seek(ProductionIndexFlagOffset) || table.read(&flag, 1) != 1) {
        report(showMessages, indexCaption,
               QStringLiteral("Ошибка при чтении файла:\n") + path + u'!');
        return false;
    }
    return flag != 0;
}

bool DbaseTableOpener::dropProductionIndex(const QString& path, bool showMessages) const
{
    // On this system a file is removed without its write permission: the index's mode stays.
    FileGuard::removeRegularFile(productionIndexName(path));
    clearReadOnly(path);
    // A link, a file too short to hold a table header and the like are left as they are;
    // an already clear flag is not written either, for the others using the table.
    switch (FileGuard::clearByte(path, ProductionIndexFlagOffset)) {
    case FileGuard::Result::Done:
        return true;
    case FileGuard::Result::Refused:
        return false;
    case FileGuard::Result::OpenFailed:
        report(showMessages, indexCaption, openFailureText(path));
        return false;
    case FileGuard::Result::WriteFailed:
        report(showMessages, indexCaption,
               QStringLiteral("Ошибка при записи в файл:\n") + path + u'!');
        return false;
    }
    return false;
}

int DbaseTableOpener::checkIndexFiles(const QString& path, bool showMessages) const
{
    const QString production = productionIndexName(path);
    if (QFileInfo(production).isFile() && hasProductionIndex(path, showMessages)) {
        for (int number = 0; number < 3; ++number) {
            const QString ntx = ntxName(path, number);
            if (!QFileInfo(ntx).isFile())
                continue;
            QFile productionFile(production);
            if (!productionFile.open(QIODevice::ReadOnly))
                return -2;
            QFile ntxFile(ntx);
            if (!ntxFile.open(QIODevice::ReadOnly))
                return -3;
            const QDateTime productionTime = QFileInfo(production).lastModified();
            const QDateTime ntxTime = QFileInfo(ntx).lastModified();
            productionFile.close();
            ntxFile.close();
            if (productionTime < ntxTime)
                dropProductionIndex(path, showMessages);
        }
        return 1;
    }
    return dropProductionIndex(path, showMessages) ? 0 : -1;
}

bool DbaseTableOpener::open(TableSlot& table, const QString& path, bool showMessages,
                            Access access) const
{
    // A directory of that name is no table either.
    if (!QFileInfo(path).isFile()) {
        report(showMessages, messageCaption(),
               QStringLiteral("Файл:") + path + QStringLiteral("\nне найден!"));
        return false;
    }
    const bool maintain = access == Access::MaintainIndexes;
    if (maintain)
        clearReadOnly(path);
    int retryState = maintain ? 0 : 2;
    for (;;) {
        close(table);
        if (maintain)
            checkIndexFiles(path, false);
        auto opened = std::make_unique<DbfReader>(DbfReader::open(path));
        if (opened->isValid()) {
            table = std::move(opened);
            return true;
        }
        close(table);
        switch (retryState) {
        case 0:
            retryState = 1;
            dropProductionIndex(path, showMessages);
            break;
        case 1:
            retryState = 2;
            resetEngineConfiguration();
            break;
        default:
            report(showMessages, messageCaption(),
                   QStringLiteral("Ошибка при чтении файла: ") + path);
            return false;
        }
    }
}

bool DbaseTableOpener::close(TableSlot& table) const
{
    if (!table)
        return false;
    table.reset();
    return true;
}
