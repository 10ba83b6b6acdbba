#pragma once

#include "dbase/dbfreader.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

// A small dBase III/IV table read whole into memory, read-only, by DbfReader's rules: values
// without their right padding, deleted records skipped, file order kept, damage refused or cut
// off the same way. Large tables are read with DbfReader itself, a block at a time.
class DbfTable
{
public:
    using Field = DbfReader::Field;

    // Reads the table at path; isValid() tells whether it could be read.
    static DbfTable open(const QString& path);
    static DbfTable fromBytes(const QByteArray& bytes);
    // Every record the reader has left to hand on.
    static DbfTable read(DbfReader& reader);

    bool isValid() const { return m_error.isEmpty(); }
    QString errorString() const { return m_error; }

    const QList<Field>& fields() const { return m_fields; }
    // Index of the field (names compare without regard to letter case), or -1.
    int fieldIndex(const QString& name) const;
    qsizetype recordCount() const { return qsizetype(m_records.size()); }
    QByteArray value(qsizetype record, int field) const;

    // The records whose field holds exactly value (after the padding is removed), in order.
    std::vector<qsizetype> recordsWhere(const QString& field, const QByteArray& value) const;

private:
    static DbfTable failed(const QString& error);

    QString m_error;
    QList<Field> m_fields;
    std::vector<QList<QByteArray>> m_records;
};
