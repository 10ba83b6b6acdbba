#include "dbftable.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr qsizetype headerSize = 32;
constexpr qsizetype descriptorSize = 32;
constexpr qint64 largestTable = qint64(512) * 1024 * 1024;

quint32 littleEndian32(const QByteArray& bytes, qsizetype at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + at);
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 littleEndian16(const QByteArray& bytes, qsizetype at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + at);
    return quint16(p[0] | p[1] << 8);
}

QByteArray trimmedRight(QByteArray value)
{
    qsizetype end = value.size();
    while (end > 0 && (value.at(end - 1) == ' ' || value.at(end - 1) == '\0'))
        --end;
    value.truncate(end);
    return value;
}

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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    const QByteArray bytes = file.read(largestTable);
    if (file.error() != QFileDevice::NoError)
        return failed(file.errorString());
    return fromBytes(bytes);
}

DbfTable DbfTable::fromBytes(const QByteArray& bytes)
{
    if (bytes.size() < headerSize + 1)
        return failed(QStringLiteral("no table header"));
    const quint32 declaredRecords = littleEndian32(bytes, 4);
    const qsizetype headerLength = littleEndian16(bytes, 8);
    const qsizetype recordLength = littleEndian16(bytes, 10);
    if (headerLength < headerSize + 1 || headerLength > bytes.size())
        return failed(QStringLiteral("header length outside the file"));
    if (recordLength < 2)
        return failed(QStringLiteral("record length too small"));

    DbfTable table;
    qsizetype at = headerSize;
    int offset = 0;
    bool terminated = false;
    while (at < headerLength) {
        if (bytes.at(at) == '\x0d') {
            terminated = true;
            break;
        }
        if (at + descriptorSize > headerLength)
            break;
        Field field;
        const QByteArray rawName = bytes.mid(at, 11);
        const qsizetype nul = rawName.indexOf('\0');
        field.name = QString::fromLatin1(nul < 0 ? rawName : rawName.left(nul)).trimmed();
        field.type = bytes.at(at + 11);
        field.length = static_cast<unsigned char>(bytes.at(at + 16));
        field.offset = offset;
        if (field.length == 0)
            return failed(QStringLiteral("field of no width: ") + field.name);
        offset += field.length;
        table.m_fields.append(field);
        at += descriptorSize;
    }
    if (!terminated)
        return failed(QStringLiteral("field descriptors without their terminator"));
    if (table.m_fields.isEmpty())
        return failed(QStringLiteral("no fields"));
    if (1 + offset > recordLength)
        return failed(QStringLiteral("fields longer than the record"));

    // Only records that lie complete in the file are read, whatever the header promises.
    const qsizetype available = (bytes.size() - headerLength) / recordLength;
    const qsizetype count = qMin<qsizetype>(available, qsizetype(declaredRecords));
    table.m_records.reserve(size_t(count));
    for (qsizetype r = 0; r < count; ++r) {
        const qsizetype start = headerLength + r * recordLength;
        const char flag = bytes.at(start);
        if (flag == '*')
            continue; // deleted
        if (flag == '\x1a')
            break; // end of file
        QList<QByteArray> values;
        values.reserve(table.m_fields.size());
        for (const Field& field : std::as_const(table.m_fields))
            values.append(trimmedRight(bytes.mid(start + 1 + field.offset, field.length)));
        table.m_records.push_back(std::move(values));
    }
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
