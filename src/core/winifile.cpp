#include "winifile.h"

#include "inidocument.h"
#include "messagereporter.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

// Leading optional sign and decimal digits, as the platform's integer read takes them;
// anything else, or a value outside 32 bits, reads as 0.
qint32 parseInteger(const QString& text)
{
    qsizetype end = 0;
    if (end < text.size() && (text.at(end) == u'-' || text.at(end) == u'+'))
        ++end;
    while (end < text.size() && text.at(end).isDigit() && text.at(end).unicode() < 128)
        ++end;
    bool ok = false;
    const qlonglong value = text.left(end).toLongLong(&ok);
    if (!ok || value < std::numeric_limits<qint32>::min() ||
        value > std::numeric_limits<qint32>::max())
        return 0;
    return static_cast<qint32>(value);
}

double parseDouble(const QString& text)
{
    QString normalized = text;
    normalized.replace(u',', u'.');
    bool ok = false;
    const double value = normalized.toDouble(&ok);
    return ok ? value : 0.0;
}

bool writeFileAtomically(const QString& fileName, const QByteArray& bytes)
{
    const QFileInfo info(fileName);
    // A read-only settings file stays as it is, even for a user allowed to replace it.
    if (info.exists() && !(info.permissions() & QFileDevice::WriteOwner))
        return false;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

bool WIniFile::ReadParameter(const QString& fileName, const QString& section, const QString& key,
                             int parameterType, QString& textValue, double& doubleValue,
                             qint32& intValue, bool& boolValue, bool showErrors) const
{
    textValue.clear();
    doubleValue = 0.0;
    intValue = 0;
    boolValue = false;

    IniDocument document;
    const auto loaded = document.load(fileName);
    if (loaded == IniDocument::LoadResult::Failed) {
        if (showErrors)
            MessageReporter::report(Description, QStringLiteral("Ошибка при чтении параметра: ") +
                                                     key + QStringLiteral("\nСекции: ") + section +
                                                     QStringLiteral("\nФайла: ") + fileName);
        return false;
    }
    if (loaded == IniDocument::LoadResult::Missing)
        return false;
    const auto value = document.value(section, key);
    if (!value)
        return false;
    switch (parameterType) {
    case TextType:
        textValue = *value;
        break;
    case DoubleType:
        doubleValue = parseDouble(*value);
        break;
    case IntegerType:
        intValue = parseInteger(*value);
        break;
    case BoolType:
        boolValue = parseInteger(*value) != 0;
        break;
    default:
        break;
    }
    return true;
}

bool WIniFile::WriteParameter(const QString& fileName, const QString& section, const QString& key,
                              int parameterType, const QString& textValue, double doubleValue,
                              qint32 intValue, bool boolValue, bool showErrors) const
{
    QString value;
    switch (parameterType) {
    case TextType:
        value = textValue;
        break;
    case DoubleType:
        value = QString::number(doubleValue, 'g', 17);
        break;
    case IntegerType:
        value = QString::number(intValue);
        break;
    case BoolType:
        value = boolValue ? QStringLiteral("1") : QStringLiteral("0");
        break;
    default:
        return true;
    }

    IniDocument document;
    // A file that exists but cannot be read is never replaced: its entries would be lost.
    bool ok = document.load(fileName) != IniDocument::LoadResult::Failed;
    if (ok) {
        document.setValue(section, key, value);
        ok = writeFileAtomically(fileName, document.toBytes());
    }
    if (!ok && showErrors)
        MessageReporter::report(Description, QStringLiteral("Ошибка при записи параметра: ") + key +
                                                 QStringLiteral("\nСекции: ") + section +
                                                 QStringLiteral("\nФайла: ") + fileName);
    return ok;
}

QString WIniFile::readText(const QString& fileName, const QString& section,
                           const QString& key) const
{
    QString text;
    double d;
    qint32 i;
    bool b;
    ReadParameter(fileName, section, key, TextType, text, d, i, b, false);
    return text;
}

qint32 WIniFile::readInt(const QString& fileName, const QString& section, const QString& key,
                         bool* found) const
{
    QString text;
    double d;
    qint32 i;
    bool b;
    const bool present = ReadParameter(fileName, section, key, IntegerType, text, d, i, b, false);
    if (found)
        *found = present;
    return i;
}

bool WIniFile::readBool(const QString& fileName, const QString& section, const QString& key) const
{
    QString text;
    double d;
    qint32 i;
    bool b;
    ReadParameter(fileName, section, key, BoolType, text, d, i, b, false);
    return b;
}

bool WIniFile::writeText(const QString& fileName, const QString& section, const QString& key,
                         const QString& value) const
{
    return WriteParameter(fileName, section, key, TextType, value, 0.0, 0, false, false);
}

bool WIniFile::writeInt(const QString& fileName, const QString& section, const QString& key,
                        qint32 value) const
{
    return WriteParameter(fileName, section, key, IntegerType, QString(), 0.0, value, false, false);
}

bool WIniFile::writeBool(const QString& fileName, const QString& section, const QString& key,
                         bool value) const
{
    return WriteParameter(fileName, section, key, BoolType, QString(), 0.0, 0, value, false);
}
