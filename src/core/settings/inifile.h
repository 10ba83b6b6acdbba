#pragma once

#include <QList>
#include <QString>

#include <optional>

// Typed access to one value of a sectioned settings file. Every call is a complete operation
// on the file: nothing is cached, nothing stays open. Sections and keys compare without
// regard to letter case; other entries, comments and their order survive a write.
class IniFile
{
public:
    enum ParameterType
    {
        TextType = 0,
        DoubleType = 1,
        IntegerType = 2,
        BoolType = 3
    };

    // All four out-values are reset to their empty values; the one of the given type
    // receives the value. False when the file, section or key is missing or on an error.
    bool readParameter(const QString& fileName, const QString& section, const QString& key,
                       int parameterType, QString& textValue, double& doubleValue, qint32& intValue,
                       bool& boolValue, bool showErrors) const;
    // Writes the value of the given type; creates the file and the section when missing.
    // A write goes to a temporary file that replaces the settings file, so a failed write
    // never leaves it half written; a folder that allows no such replacement gets the file
    // rewritten in place. Writes of several programs at once are taken one after another
    // (a lock file "<file>.lock" beside it), so none is lost. False when nothing was written.
    bool writeParameter(const QString& fileName, const QString& section, const QString& key,
                        int parameterType, const QString& textValue, double doubleValue,
                        qint32 intValue, bool boolValue, bool showErrors) const;

    // One value to write: its section, key and text.
    struct Value
    {
        QString section;
        QString key;
        QString text;
    };
    // Writes several values as one change of the file (as writeParameter writes one); false
    // when nothing was written.
    bool writeValues(const QString& fileName, const QList<Value>& values) const;
    // A value's text as an integer is read from it: its leading optional sign and decimal
    // digits, 0 for anything else or a value outside 32 bits.
    static qint32 integerOf(const QString& text);
    static QString textOf(bool value) { return value ? QStringLiteral("1") : QStringLiteral("0"); }

    // Shorthands for the common single-type calls, quiet about errors.
    QString readText(const QString& fileName, const QString& section, const QString& key) const;
    qint32 readInt(const QString& fileName, const QString& section, const QString& key,
                   bool* found = nullptr) const;
    bool readBool(const QString& fileName, const QString& section, const QString& key) const;
    bool writeText(const QString& fileName, const QString& section, const QString& key,
                   const QString& value) const;
    bool writeInt(const QString& fileName, const QString& section, const QString& key,
                  qint32 value) const;
    bool writeBool(const QString& fileName, const QString& section, const QString& key,
                   bool value) const;

private:
    // The text of the key, or nothing when the file, section or key is missing or cannot be
    // read (reported when asked).
    std::optional<QString> readValue(const QString& fileName, const QString& section,
                                     const QString& key, bool showErrors) const;
};
