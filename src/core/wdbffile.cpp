#include "wdbffile.h"

#include "messagereporter.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

const QString indexCaption = QStringLiteral("Удаление индексов");

// The path with its extension (from the last dot of the file name) replaced.
QString withExtension(const QString& path, const QString& extension)
{
    const qsizetype slash = qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    const qsizetype dot = path.lastIndexOf(u'.');
    return (dot > slash ? path.left(dot) : path) + extension;
}

QString openFailureText(const QString& path)
{
    return QStringLiteral("Ошибка при открытии файла:\n") + path +
           QStringLiteral("!\nВозможно он используется другой программой.");
}

} // namespace

void WDbfFile::report(bool showMessages, const QString& caption, const QString& text) const
{
    if (showMessages)
        MessageReporter::report(caption, text);
}

QString WDbfFile::productionIndexName(const QString& path)
{
    const qsizetype slash = qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot > slash && QStringView(path).mid(dot).compare(u".dbf", Qt::CaseInsensitive) == 0)
        return withExtension(path, QStringLiteral(".mdx"));
    return path + u'x';
}

QString WDbfFile::mdxName(const QString& path)
{
    return withExtension(path, QStringLiteral(".mdx"));
}

QString WDbfFile::ntxName(const QString& path, int number)
{
    const QString first = withExtension(path, QStringLiteral(".ntx"));
    if (number == 0)
        return first;
    return first.chopped(4) + QString::number(number) + QStringLiteral(".ntx");
}

bool WDbfFile::ClearReadOnly(const QString& path) const
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    return QFile::setPermissions(path, info.permissions() | QFileDevice::WriteOwner);
}

bool WDbfFile::HasProductionIndex(const QString& path, bool showMessages) const
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

bool WDbfFile::DropProductionIndex(const QString& path, bool showMessages) const
{
    const QString index = productionIndexName(path);
    if (QFileInfo(index).isFile()) {
        ClearReadOnly(index);
        QFile::remove(index);
    }
    ClearReadOnly(path);
    // A file too short to hold a table header is never extended by the flag.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() <= ProductionIndexFlagOffset)
        return false;
    QFile table(path);
    if (!table.open(QIODevice::ReadWrite)) {
        report(showMessages, indexCaption, openFailureText(path));
        return false;
    }
    char flag = 0;
    if (table.seek(ProductionIndexFlagOffset) && table.read(&flag, 1) == 1 && flag == 0)
        return true; // already clear: the table stays untouched for the others using it
    const char zero = 0;
    if (!table.seek(ProductionIndexFlagOffset) || table.write(&zero, 1) != 1 || !table.flush()) {
        report(showMessages, indexCaption,
               QStringLiteral("Ошибка при записи в файл:\n") + path + u'!');
        return false;
    }
    return true;
}

int WDbfFile::CheckIndexFiles(const QString& path, bool showMessages) const
{
    const QString production = productionIndexName(path);
    if (QFileInfo(production).isFile() && HasProductionIndex(path, showMessages)) {
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
                DropProductionIndex(path, showMessages);
        }
        return 1;
    }
    return DropProductionIndex(path, showMessages) ? 0 : -1;
}

bool WDbfFile::OpenTable(TableSlot& table, const QString& path, bool showMessages) const
{
    // A directory of that name is no table either.
    if (!QFileInfo(path).isFile()) {
        report(showMessages, Description,
               QStringLiteral("Файл:") + path + QStringLiteral("\nне найден!"));
        return false;
    }
    ClearReadOnly(path);
    int retryState = 0;
    for (;;) {
        CloseTable(table);
        CheckIndexFiles(path, false);
        auto opened = std::make_unique<DbfTable>(DbfTable::open(path));
        if (opened->isValid()) {
            table = std::move(opened);
            return true;
        }
        CloseTable(table);
        switch (retryState) {
        case 0:
            retryState = 1;
            DropProductionIndex(path, showMessages);
            break;
        case 1:
            retryState = 2;
            ResetEngineConfiguration();
            break;
        default:
            report(showMessages, Description, QStringLiteral("Ошибка при чтении файла: ") + path);
            return false;
        }
    }
}

bool WDbfFile::CloseTable(TableSlot& table) const
{
    if (!table)
        return false;
    table.reset();
    return true;
}
