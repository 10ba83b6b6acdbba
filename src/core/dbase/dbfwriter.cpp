#include "dbase/dbfwriter.h"

#include <QDate>
#include <QSaveFile>

namespace {
void put16(QByteArray& bytes, qsizetype at, quint16 value)
{
    bytes[at] = char(value & 0xff);
    bytes[at + 1] = char(value >> 8);
}
void put32(QByteArray& bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xff);
}
} // namespace

QByteArray DbfWriter::tableBytes(const QList<Field>& fields, const QList<Record>& records)
{
    int recordLength = 1;
    for (const Field& field : fields)
        recordLength += field.length;
    const int headerLength = 32 + 32 * int(fields.size()) + 1;

    QByteArray bytes(32, '\0');
    const QDate today = QDate::currentDate();
    bytes[0] = '\x03';
    bytes[1] = char(today.year() - 1900);
    bytes[2] = char(today.month());
    bytes[3] = char(today.day());
    put32(bytes, 4, quint32(records.size()));
    put16(bytes, 8, quint16(headerLength));
    put16(bytes, 10, quint16(recordLength));
    for (const Field& field : fields) {
        QByteArray descriptor(32, '\0');
        descriptor.replace(0, qMin<qsizetype>(field.name.size(), 10), field.name.left(10));
        descriptor[11] = 'C';
        descriptor[16] = char(field.length);
        bytes += descriptor;
    }
    bytes += '\x0d';
    for (const Record& record : records) {
        bytes += record.deleted ? '*' : ' ';
        for (qsizetype i = 0; i < fields.size(); ++i) {
            const QByteArray value = record.values.value(i).left(fields.at(i).length);
            bytes += value + QByteArray(fields.at(i).length - value.size(), ' ');
        }
    }
    bytes += '\x1a';
    return bytes;
}

bool DbfWriter::write(const QString& path, const QList<Field>& fields, const QList<Record>& records)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(tableBytes(fields, records));
    return file.commit();
}
