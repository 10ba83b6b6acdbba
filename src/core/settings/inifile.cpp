#include "settings/inifile.h"

#include "platform/fileguard.h"
#include "platform/messagereporter.h"
#include "settings/inidocument.h"

#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

// Leading optional sign and decimal digits, as the platform's integer read takes them.
qint32 IniFile::integerOf(const QString& text)
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

namespace {

double parseDouble(const QString& text)
{
    QString normalized = text;
    normalized.replace(u',', u'.');
    bool ok = false;
    const double value = normalized.toDouble(&ok);
    return ok ? value : 0.0;
}

// How long a write waits for another program's write of the same file.
constexpr int lockWaitMs = 10000;

// A read-only settings file stays as it is, even for a user allowed to replace it.
bool isWritable(const QFileInfo& info)
{
    return !info.exists() || (info.permissions() & QFileDevice::WriteOwner);
}

// Writes bytes over the open file from its start and cuts off what is left of the old ones.
bool overwrite(QFile& file, const QByteArray& bytes)
{
    return file.seek(0) && file.write(bytes) == bytes.size() && file.flush() &&
           file.resize(bytes.size());
}

// A temporary file replaces the settings file, so a failed write never leaves it half
// written. A folder that admits no new file, or no rename, still gets the value: the
// existing file is then written in place.
bool replaceFile(const QString& fileName, const QByteArray& bytes)
{
    if (!isWritable(QFileInfo(fileName)))
        return false;
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    if (file.commit())
        return true;
    if (file.error() != QFileDevice::RenameError || !QFileInfo(fileName).isFile())
        return false;
    QFile inPlace(fileName);
    return inPlace.open(QIODevice::ReadWrite) && overwrite(inPlace, bytes);
}

// Reads, changes and writes the file as one step against other programs doing the same: a
// lock file beside it is held meanwhile. A folder that admits no lock file admits no
// temporary file either; the file is then locked itself and rewritten in place.
bool update(const QString& fileName, const QList<IniFile::Value>& values)
{
    const auto apply = [&values](IniDocument& document) {
        for (const IniFile::Value& value : values)
            document.setValue(value.section, value.key, value.text);
    };
    QLockFile lock(fileName + QStringLiteral(".lock"));
    if (lock.tryLock(lockWaitMs)) {
        IniDocument document;
        // A file that exists but cannot be read is never replaced: its entries would be lost.
        if (document.load(fileName) == IniDocument::LoadResult::Failed)
            return false;
        apply(document);
        return replaceFile(fileName, document.toBytes());
    }
    const QFileInfo info(fileName);
    if (lock.error() != QLockFile::PermissionError || !info.isFile() || !isWritable(info))
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite) || !FileGuard::lockOpenFile(int(file.handle())))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    IniDocument document = IniDocument::fromBytes(bytes);
    apply(document);
    return overwrite(file, document.toBytes());
}

} // namespace

std::optional<QString> IniFile::readValue(const QString& fileName, const QString& section,
                                          const QString& key, bool showErrors) const
{
    IniDocument document;
    const auto loaded = document.load(fileName);
    if (loaded == IniDocument::LoadResult::Failed) {
        if (showErrors)
            MessageReporter::report(QStringLiteral("Класс: WIniFile"),
                                    QStringLiteral("Ошибка при чтении параметра: ") + key +
                                        QStringLiteral("\nСекции: ") + section +
                                        QStringLiteral("\nФайла: ") + fileName);
        return std::nullopt;
    }
    if (loaded == IniDocument::LoadResult::Missing)
        return std::nullopt;
    return document.value(section, key);
}

bool IniFile::readParameter(const QString& fileName, const QString& section, const QString& key,
                            int parameterType, QString& textValue, double& doubleValue,
                            qint32& intValue, bool& boolValue, bool showErrors) const
{
    textValue.clear();
    doubleValue = 0.0;
    intValue = 0;
    boolValue = false;

    const std::optional<QString> value = readValue(fileName, section, key, showErrors);
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
        intValue = integerOf(*value);
        break;
    case BoolType:
        boolValue = integerOf(*value) != 0;
        break;
    default:
        break;
    }
    return true;
}

bool IniFile::writeParameter(const QString& fileName, const QString& section, const QString& key,
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
        value = textOf(boolValue);
        break;
    default:
        return true;
    }

    const bool ok = update(fileName, {Value{section, key, value}});
    if (!ok && showErrors)
        MessageReporter::report(QStringLiteral("Класс: WIniFile"),
                                QStringLiteral("Ошибка при записи параметра: ") + key +
                                    QStringLiteral("\nСекции: ") + section +
                                    QStringLiteral("\nФайла: ") + fileName);
    return ok;
}

bool IniFile::writeValues(const QString& fileName, const QList<Value>& values) const
{
    return update(fileName, values);
}

QString IniFile::readText(const QString& fileName, const QString& section, const QString& key) const
{
    return readValue(fileName, section, key, false).value_or(QString());
}

qint32 IniFile::readInt(const QString& fileName, const QString& section, const QString& key,
                        bool* found) const
{
    const std::optional<QString> value = readValue(fileName, section, key, false);
    if (found)
        *found = value.has_value();
    return value ? integerOf(*value) : 0;
}

bool IniFile::readBool(const QString& fileName, const QString& section, const QString& key) const
{
    return readInt(fileName, section, key) != 0;
}

bool IniFile::writeText(const QString& fileName, const QString& section, const QString& key,
                        const QString& value) const
{
    return writeParameter(fileName, section, key, TextType, value, 0.0, 0, false, false);
}

bool IniFile::writeInt(const QString& fileName, const QString& section, const QString& key,
                       qint32 value) const
{
    return writeParameter(fileName, section, key, IntegerType, QString(), 0.0, value, false, false);
}

bool IniFile::writeBool(const QString& fileName, const QString& section, const QString& key,
                        bool value) const
{
    return writeParameter(fileName, section, key, BoolType, QString(), 0.0, 0, value, false);
}
