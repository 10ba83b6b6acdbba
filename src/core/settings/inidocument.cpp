#include "settings/inidocument.h"

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

namespace {

QString decodeLine(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder cp1251("windows-1251");
    return cp1251.isValid() ? QString(cp1251.decode(bytes)) : QString::fromLatin1(bytes);
}

} // namespace

IniDocument IniDocument::fromBytes(const QByteArray& bytes)
{
    IniDocument document;
    // The encoding is decided line by line: one line in windows-1251 leaves the others be.
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype lineBreak = bytes.indexOf('\n', at);
        const qsizetype next = lineBreak < 0 ? bytes.size() : lineBreak + 1;
        QByteArrayView content = QByteArrayView(bytes).sliced(at, next - at);
        if (content.endsWith('\n'))
            content.chop(1);
        if (content.endsWith('\r'))
            content.chop(1);
        QString text = decodeLine(content);
        if (at == 0 && text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        if (at == 0 && lineBreak > 0 && bytes.at(lineBreak - 1) == '\r')
            document.m_lineEnd = QStringLiteral("\r\n");
        document.m_lines.append(Line{text, bytes.sliced(at, next - at)});
        at = next;
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
        const auto name = sectionName(m_lines.at(i).text);
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
    for (qsizetype i = start; i < m_lines.size() && !sectionName(m_lines.at(i).text); ++i) {
        const auto found = entry(m_lines.at(i).text);
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
        if (!m_lines.isEmpty() && !m_lines.last().text.trimmed().isEmpty())
            m_lines.append(Line{});
        m_lines.append(Line{u'[' + section.trimmed() + u']', {}});
        m_lines.append(Line{line, {}});
        return;
    }
    const QString wanted = key.trimmed();
    qsizetype insertAt = start;
    for (qsizetype i = start; i < m_lines.size() && !sectionName(m_lines.at(i).text); ++i) {
        const auto found = entry(m_lines.at(i).text);
        if (found && found->key.compare(wanted, Qt::CaseInsensitive) == 0) {
            m_lines[i] = Line{line, {}};
            return;
        }
        if (!m_lines.at(i).text.trimmed().isEmpty())
            insertAt = i + 1;
    }
    m_lines.insert(insertAt, Line{line, {}});
}

QByteArray IniDocument::toBytes() const
{
    const QByteArray lineEnd = m_lineEnd.toUtf8();
    QByteArray bytes;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines.at(i);
        if (line.bytes.isEmpty()) {
            bytes += line.text.toUtf8() + lineEnd;
            continue;
        }
        bytes += line.bytes;
        // A last line without its break gets one only when a line now follows it.
        if (!line.bytes.endsWith('\n') && i + 1 < m_lines.size())
            bytes += lineEnd;
    }
    return bytes;
}
