#include "inidocument.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

IniDocument::LoadResult IniDocument::load(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists() && !info.isSymLink())
        return LoadResult::Missing;
    QFile file(fileName);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        return LoadResult::Failed;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return LoadResult::Failed;
    *this = fromBytes(bytes);
    return LoadResult::Loaded;
}

IniDocument IniDocument::fromBytes(const QByteArray& bytes)
{
    IniDocument document;
    // Older installations wrote the file in windows-1251; valid UTF-8 is read as UTF-8.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        QStringDecoder cp1251("windows-1251");
        text = cp1251.isValid() ? QString(cp1251.decode(bytes)) : QString::fromLatin1(bytes);
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const qsizetype firstBreak = text.indexOf(u'\n');
    if (firstBreak > 0 && text.at(firstBreak - 1) == u'\r')
        document.m_lineEnd = QStringLiteral("\r\n");
    if (text.isEmpty())
        return document;
    document.m_lines = text.split(u'\n');
    if (document.m_lines.last().isEmpty())
        document.m_lines.removeLast(); // the final line break
    for (QString& line : document.m_lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return document;
}

std::optional<QString> IniDocument::sectionName(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(u']');
    return trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed();
}

std::optional<IniDocument::Entry> IniDocument::entry(const QString& line)
{
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0 || line.trimmed().startsWith(u';'))
        return std::nullopt;
    return Entry{line.left(equals).trimmed(), line.mid(equals + 1).trimmed()};
}

qsizetype IniDocument::sectionStart(const QString& section) const
{
    const QString wanted = section.trimmed();
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const auto name = sectionName(m_lines.at(i));
        if (name && name->compare(wanted, Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return -1;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const qsizetype start = sectionStart(section);
    if (start < 0)
        return std::nullopt;
    const QString wanted = key.trimmed();
    for (qsizetype i = start; i < m_lines.size() && !sectionName(m_lines.at(i)); ++i) {
        const auto found = entry(m_lines.at(i));
        if (found && found->key.compare(wanted, Qt::CaseInsensitive) == 0)
            return found->value;
    }
    return std::nullopt;
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    // A line break in a value would start a new entry of its own.
    QString safeValue = value;
    safeValue.replace(u'\r', u' ').replace(u'\n', u' ');
    const QString line = key.trimmed() + u'=' + safeValue;

    const qsizetype start = sectionStart(section);
    if (start < 0) {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
            m_lines.append(QString());
        m_lines.append(u'[' + section.trimmed() + u']');
        m_lines.append(line);
        return;
    }
    const QString wanted = key.trimmed();
    qsizetype insertAt = start;
    for (qsizetype i = start; i < m_lines.size() && !sectionName(m_lines.at(i)); ++i) {
        const auto found = entry(m_lines.at(i));
        if (found && found->key.compare(wanted, Qt::CaseInsensitive) == 0) {
            m_lines[i] = line;
            return;
        }
        if (!m_lines.at(i).trimmed().isEmpty())
            insertAt = i + 1;
    }
    m_lines.insert(insertAt, line);
}

QByteArray IniDocument::toBytes() const
{
    QString text;
    for (const QString& line : m_lines)
        text += line + m_lineEnd;
    return text.toUtf8();
}
