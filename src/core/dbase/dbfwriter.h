#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Writes small dBase III tables of character fields (the installation table of a suite).
class DbfWriter
{
public:
    struct Field
    {
        QByteArray name;
        int length;
    };
    struct Record
    {
        QList<QByteArray> values;
        bool deleted = false;
    };

    static QByteArray tableBytes(const QList<Field>& fields, const QList<Record>& records);
    static bool write(const QString& path, const QList<Field>& fields,
                      const QList<Record>& records);
};
