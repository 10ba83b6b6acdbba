#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The lines of a settings file, parsed for lookups and rewritten with one value changed.
// Lines that are not entries (comments, junk) are kept as they are.
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

    QStringList m_lines;
    QString m_lineEnd = QStringLiteral("\n");
};
