#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// A dBase III/IV table read whole into memory, read-only. Field values are the bytes stored
// in the file with the right padding (blanks) removed; deleted records are skipped; records
// keep their file order. A truncated or lying file gives an error, never a crash: the
// records that lie complete in the file are read, anything the header cannot describe is
// refused.
class DbfTable
{
public:
    struct Field
    {
        QString name;
        char type = 'C';
        int offset = 0; // within the record, after the deletion flag
        int length = 0;
    };

    // Reads the table at path; isValid() tells whether it could be read.
    static DbfTable open(const QString& path);
    static DbfTable fromBytes(const QByteArray& bytes);

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
