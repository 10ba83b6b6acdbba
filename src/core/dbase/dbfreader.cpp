#include "dbase/dbfreader.h"

#include "platform/platform.h"

#include <memory>
#include <vector>

namespace {

constexpr qsizetype headerSize = 32;
constexpr qsizetype descriptorSize = 32;

quint32 littleEndian32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}

quint16 littleEndian16(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint16(u[0] | u[1] << 8);
}

QByteArrayView trimmedRight(QByteArrayView value)
{
    qsizetype end = value.size();
    while (end > 0 && (value.at(end - 1) == ' ' || value.at(end - 1) == '\0'))
        --end;
    return value.first(end);
}

} // namespace

DbfReader::DbfReader(Source source, qsizetype blockBytes)
    : m_source(std::move(source)), m_blockBytes(qMax<qsizetype>(blockBytes, 1))
{
    readHeader();
}

DbfReader DbfReader::open(const QString& path)
{
    // A pipe or device named like the table is never waited on: only regular files open.
    auto file = std::make_shared<Platform::ReadOnlyFile>(path);
    if (!file->isOpen())
        return DbfReader([](char*, qsizetype) { return qsizetype(-1); });
    return DbfReader([file](char* into, qsizetype size) { return file->read(into, size); });
}

DbfReader DbfReader::fromBytes(const QByteArray& bytes, qsizetype blockBytes)
{
    auto at = std::make_shared<qsizetype>(0);
    return DbfReader(
        [bytes, at](char* into, qsizetype size) {
            const qsizetype n = qMin(size, bytes.size() - *at);
            std::copy_n(bytes.constData() + *at, n, into);
            *at += n;
            return n;
        },
        blockBytes);
}

bool DbfReader::readFully(char* into, qsizetype size, qsizetype* got)
{
    *got = 0;
    while (*got < size) {
        const qsizetype n = m_source(into + *got, size - *got);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        *got += n;
    }
    return true;
}

void DbfReader::readHeader()
{
    char head[headerSize];
    qsizetype got = 0;
    if (!readFully(head, headerSize, &got)) {
        m_error = QStringLiteral("the table cannot be read");
        return;
    }
    // The header length is checked against what the file holds, so a lie is found by reading
    // at most the 64 KiB it can claim.
    const qsizetype headerLength = got < headerSize ? 0 : littleEndian16(head + 8);
    QByteArray header(headerSize, '\0');
    std::copy_n(head, got, header.data());
    qsizetype more = 0;
    if (headerLength > headerSize) {
        header.resize(headerLength);
        if (!readFully(header.data() + headerSize, headerLength - headerSize, &more)) {
            m_error = QStringLiteral("the table cannot be read");
            return;
        }
    }
    // A header holds one byte past its fixed part at least: the descriptors' terminator.
    if (got == headerSize && more == 0) {
        char probe = 0;
        if (!readFully(&probe, 1, &more)) {
            m_error = QStringLiteral("the table cannot be read");
            return;
        }
    }
    if (got < headerSize || more == 0) {
        m_error = QStringLiteral("no table header");
        return;
    }
    m_declaredRecords = littleEndian32(head + 4);
    m_recordLength = littleEndian16(head + 10);
    if (headerLength < headerSize + 1 || headerSize + more < headerLength) {
        m_error = QStringLiteral("header length outside the file");
        return;
    }
    if (m_recordLength < 2) {
        m_error = QStringLiteral("record length too small");
        return;
    }

    qsizetype at = headerSize;
    int offset = 0;
    bool terminated = false;
    while (at < headerLength) {
        if (header.at(at) == '\x0d') {
            terminated = true;
            break;
        }
        if (at + descriptorSize > headerLength)
            break;
        Field field;
        const QByteArray rawName = header.mid(at, 11);
        const qsizetype nul = rawName.indexOf('\0');
        field.name = QString::fromLatin1(nul < 0 ? rawName : rawName.left(nul)).trimmed();
        field.type = header.at(at + 11);
        field.length = static_cast<unsigned char>(header.at(at + 16));
        field.offset = offset;
        if (field.length == 0) {
            m_error = QStringLiteral("field of no width: ") + field.name;
            return;
        }
        offset += field.length;
        m_fields.append(field);
        at += descriptorSize;
    }
    if (!terminated)
        m_error = QStringLiteral("field descriptors without their terminator");
    else if (m_fields.isEmpty())
        m_error = QStringLiteral("no fields");
    else if (1 + offset > m_recordLength)
        m_error = QStringLiteral("fields longer than the record");
    if (!m_error.isEmpty())
        m_fields.clear();
}

int DbfReader::fieldIndex(const QString& name) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool DbfReader::forEachRecord(const QList<int>& fieldIndexes, const Visitor& visit)
{
    if (!isValid())
        return false;
    for (const int index : fieldIndexes) {
        if (index < 0 || index >= m_fields.size())
            return false;
    }
    if (m_consumed)
        return true;
    m_consumed = true;

    const qsizetype perBlock = qMax<qsizetype>(1, m_blockBytes / m_recordLength);
    QByteArray block(perBlock * m_recordLength, Qt::Uninitialized);
    QList<QByteArrayView> values(fieldIndexes.size());
    QByteArrayView* const out = values.data();          // detached once, not for every value
    std::vector<std::pair<qsizetype, qsizetype>> spans; // where each value lies in a record
    for (const int index : fieldIndexes)
        spans.emplace_back(1 + m_fields.at(index).offset, m_fields.at(index).length);
    // Only records that lie complete in the file are read, whatever the header promises.
    quint32 left = m_declaredRecords;
    while (left > 0) {
        const qsizetype wanted = qMin<qsizetype>(perBlock, left) * m_recordLength;
        qsizetype got = 0;
        const bool ok = readFully(block.data(), wanted, &got);
        const qsizetype complete = got / m_recordLength;
        for (qsizetype r = 0; r < complete; ++r) {
            const char* record = block.constData() + r * m_recordLength;
            if (record[0] == '*')
                continue; // deleted
            if (record[0] == '\x1a')
                return true; // end of file
            for (size_t i = 0; i < spans.size(); ++i)
                out[i] = trimmedRight(QByteArrayView(record + spans[i].first, spans[i].second));
            if (!visit(values))
                return true;
        }
        if (!ok)
            return false;
        if (got < wanted)
            return true; // the file ends before the records the header promises
        left -= quint32(complete);
    }
    return true;
}
