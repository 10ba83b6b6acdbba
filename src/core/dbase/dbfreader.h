#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>

// A dBase III/IV table read front to back, a block of records at a time: a table of any size
// takes no more memory than one block. Field values are handed on as the bytes stored in the
// file with the right padding (blanks, NULs) removed; deleted records are skipped; records
// keep their file order. A truncated or lying file gives an error, never a crash: the
// records that lie complete in the file are read, anything the header cannot describe is
// refused.
class DbfReader
{
public:
    struct Field
    {
        QString name;
        char type = 'C';
        int offset = 0; // within the record, after the deletion flag
        int length = 0;
    };
    // Reads up to size bytes into into; 0 at the end, -1 on an error.
    using Source = std::function<qsizetype(char* into, qsizetype size)>;
    using Visitor = std::function<bool(const QList<QByteArrayView>& values)>;

    static constexpr qsizetype DefaultBlockBytes = 256 * 1024;

    // Reads the header from source; isValid() tells whether it describes a table.
    explicit DbfReader(Source source, qsizetype blockBytes = DefaultBlockBytes);
    // The table at path, read-only; only a regular file is opened.
    static DbfReader open(const QString& path);
    static DbfReader fromBytes(const QByteArray& bytes, qsizetype blockBytes = DefaultBlockBytes);

    bool isValid() const { return m_error.isEmpty(); }
    QString errorString() const { return m_error; }

    const QList<Field>& fields() const { return m_fields; }
    // Index of the field (names compare without regard to letter case), or -1.
    int fieldIndex(const QString& name) const;

    // Hands the values of the given fields of every live record to visit, in file order;
    // the views last until visit returns, and visit returns false to stop. Records are read
    // once: a second call reads nothing. False when the file could not be read (the records
    // before the fault have been handed on) or a field index is out of range.
    bool forEachRecord(const QList<int>& fieldIndexes, const Visitor& visit);

private:
    bool readFully(char* into, qsizetype size, qsizetype* got);
    void readHeader();

    Source m_source;
    qsizetype m_blockBytes;
    QString m_error;
    QList<Field> m_fields;
    quint32 m_declaredRecords = 0;
    qsizetype m_recordLength = 0;
    bool m_consumed = false;
};
