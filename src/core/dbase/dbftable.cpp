#include "dbase/dbftable.h"

#include <QFileInfo>

namespace {
// The whole table is kept in memory: larger ones are read a block at a time instead.
constexpr qint64 largestTable = qint64(512) * 1024 * 1024;
} // namespace

DbfTable DbfTable::failed(const QString& error)
{
    DbfTable table;
    table.m_error = error;
    return table;
}

DbfTable DbfTable::open(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return failed(QStringLiteral("not a file"));
    if (info.size() > largestTable)
        return failed(QStringLiteral("too large for a table"));
    // Read-only and without a lock: the suite's own programs may use the table meanwhile.
    DbfReader reader = DbfReader::open(path);
    return read(reader);
}

DbfTable DbfTable::fromBytes(const QByteArray& bytes)
{
    DbfReader reader = DbfReader::fromBytes(bytes);
    return read(reader);
}

DbfTable DbfTable::read(DbfReader& reader)
{
    if (!reader.isValid())
        return failed(reader.errorString());
    DbfTable table;
    table.m_fields = reader.fields();
    QList<int> all;
    for (int i = 0; i < table.m_fields.size(); ++i)
        all.append(i);
    const bool complete = reader.forEachRecord(all, [&table](const QList<QByteArrayView>& values) {
        QList<QByteArray> record;
        record.reserve(values.size());
        for (const QByteArrayView value : values)
            record.append(value.toByteArray());
        table.m_records.push_back(std::move(record));
        return true;
    });
    if (!complete)
        return failed(QStringLiteral("the table cannot be read"));
    return table;
}

int DbfTable::fieldIndex(const QString& name) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QByteArray DbfTable::value(qsizetype record, int field) const
{
    if (record < 0 || record >= recordCount() || field < 0 || field >= m_fields.size())
        return {};
    return m_records[size_t(record)].at(field);
}

std::vector<qsizetype> DbfTable::recordsWhere(const QString& field, const QByteArray& value) const
{
    std::vector<qsizetype> found;
    const int index = fieldIndex(field);
    if (index < 0)
        return found;
    for (qsizetype r = 0; r < recordCount(); ++r) {
        if (m_records[size_t(r)].at(index) == value)
            found.push_back(r);
    }
    return found;
}
