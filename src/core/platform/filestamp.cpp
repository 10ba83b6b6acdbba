#include "platform/platform.h"

#include <QtEndian>

#include <array>

namespace {

constexpr qsizetype StampFields = 7;

} // namespace

namespace Platform {

QByteArray FileStamp::toBytes() const
{
    const std::array<quint64, StampFields> fields{
        device,           inode,     quint64(size),       quint64(modified),
        quint64(changed), linkInode, quint64(linkChanged)};
    QByteArray bytes(StampFields * 8, Qt::Uninitialized);
    for (qsizetype i = 0; i < StampFields; ++i)
        qToLittleEndian(fields[size_t(i)], bytes.data() + i * 8);
    return bytes;
}

FileStamp FileStamp::fromBytes(QByteArrayView bytes)
{
    FileStamp stamp;
    if (bytes.size() != StampFields * 8)
        return stamp;
    const auto field = [&bytes](qsizetype i) {
        return qFromLittleEndian<quint64>(bytes.data() + i * 8);
    };
    stamp.device = field(0);
    stamp.inode = field(1);
    stamp.size = qint64(field(2));
    stamp.modified = qint64(field(3));
    stamp.changed = qint64(field(4));
    stamp.linkInode = field(5);
    stamp.linkChanged = qint64(field(6));
    return stamp;
}

} // namespace Platform
