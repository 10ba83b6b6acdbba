#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The lines of a settings file, parsed for lookups and rewritten with one value changed.
// Each line is read as UTF-8 when it is valid UTF-8, else as windows-1251 (older
// installations and other programs wrote that); every line the program does not change is
// written back byte for byte, changed and new lines in UTF-8.
class IniDocument
{
public:
    enum class LoadResult
    {
        Loaded,
        Missing,
        Failed
    };

    LoadResult load(const QString& fileName);
    static IniDocument fromBytes(const QByteArray& bytes);

    std::optional<QString> value(const QString& section, const QString& key) const;
    void setValue(const QString& section, const QString& key, const QString& value);

    QByteArray toBytes() const;

private:
    struct Entry
    {
        QString key;
        QString value;
    };
    static std::optional<QString> sectionName(const QString& line);
    static std::optional<Entry> entry(const QString& line);
    // Index of the first line of the section body, or -1.
    qsizetype sectionStart(const QString& section) const;

    struct Line
    {
        QString text;
        QByteArray bytes; // as read, line break included; empty for a new or changed line
    };
    QList<Line> m_lines;
    QString m_lineEnd = QStringLiteral("\n");
};
