#pragma once

#include "htmlentities.h"
#include "textencoding.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// The text of a document written the plain way, step after step on whole strings, to check the
// program's one-pass reading against.
namespace PlainText {

inline QString decoded(const QByteArray& raw)
{
    if (raw.startsWith("\xFF\xFE") || raw.startsWith("\xFE\xFF")) {
        const bool bigEndian = raw.startsWith("\xFE\xFF");
        QString text;
        for (qsizetype i = 2; i + 1 < raw.size(); i += 2) {
            const auto a = uchar(raw[i]), b = uchar(raw[i + 1]);
            text += QChar(bigEndian ? ushort(a << 8 | b) : ushort(b << 8 | a));
        }
        if (raw.size() % 2)
            text += QChar(0xFFFD);
        // Lone surrogates do not decode.
        QString checked;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                checked += text.mid(i++, 2);
            } else {
                checked += text[i].isSurrogate() ? QChar(0xFFFD) : text[i];
            }
        }
        return checked;
    }
    if (TextEncoding::detect(raw.constData(), raw.size()) == TextEncoding::Encoding::Utf8)
        return QString::fromUtf8(raw.startsWith("\xEF\xBB\xBF") ? raw.mid(3) : raw);
    QString text;
    for (const char c : raw)
        text += QChar(TextEncoding::fromWindows1251(uchar(c)));
    return text;
}

inline QString withoutMarkup(const QString& text)
{
    static const QStringList block = {"br", "p",  "div", "table", "tr",         "td", "th", "li",
                                      "ul", "ol", "h1",  "h2",    "h3",         "h4", "h5", "h6",
                                      "hr", "dd", "dt",  "title", "blockquote", "pre"};
    static const QStringList hidden = {"head", "style", "script", "xml"};
    static const QRegularExpression tagStart(QStringLiteral("<[A-Za-z/!?]"));
    static const QRegularExpression name(QStringLiteral("\\G</?([A-Za-z0-9:._-]*)"));
    QString out;
    qsizetype at = 0;
    while (at < text.size()) {
        const QRegularExpressionMatch start = tagStart.match(text, at);
        if (!start.hasMatch()) {
            out += text.mid(at);
            break;
        }
        out += text.mid(at, start.capturedStart() - at);
        at = start.capturedStart();
        if (text.mid(at, 4) == QLatin1String("<!--")) {
            const qsizetype end = text.indexOf(QLatin1String("-->"), at + 2);
            at = end < 0 ? text.size() : end + 3;
            continue;
        }
        const QRegularExpressionMatch tag = name.match(text, at);
        const QString tagName = tag.captured(1).toLower();
        const qsizetype gt = text.indexOf(u'>', at + 1);
        const qsizetype tagEnd = gt < 0 ? text.size() : gt + 1;
        const bool endTag = text[at + 1] == u'/';
        if (!endTag && hidden.contains(tagName)) {
            const QRegularExpression close(QStringLiteral("</") + tagName +
                                               QStringLiteral("(?![A-Za-z0-9:._-])"),
                                           QRegularExpression::CaseInsensitiveOption);
            const QRegularExpressionMatch closing = close.match(text, tagEnd);
            const qsizetype closeGt =
                closing.hasMatch() ? text.indexOf(u'>', closing.capturedEnd()) : -1;
            at = closeGt < 0 ? text.size() : closeGt + 1;
            continue;
        }
        if (block.contains(tagName))
            out += u' ';
        at = tagEnd;
    }
    return out;
}

inline QString withReferences(const QString& text)
{
    static const QRegularExpression reference(
        QStringLiteral("&(#[0-9]+|#[xX][0-9A-Fa-f]+|[A-Za-z0-9]{1,32});"));
    QString out;
    qsizetype at = 0;
    for (auto it = reference.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += text.mid(at, m.capturedStart() - at);
        at = m.capturedEnd();
        const QString body = m.captured(1);
        if (body.startsWith(u'#')) {
            const bool hex = body.size() > 1 && (body[1] == u'x' || body[1] == u'X');
            bool ok = false;
            const QString digits = body.mid(hex ? 2 : 1);
            quint64 value = digits.size() > 12 ? 0x110000 : digits.toULongLong(&ok, hex ? 16 : 10);
            if (digits.size() > 12 && digits.count(u'0') == digits.size())
                value = 0;
            const bool valid =
                value > 0 && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF);
            const char32_t c = valid ? char32_t(value) : U'\uFFFD';
            out += QString::fromUcs4(&c, 1);
            continue;
        }
        const QByteArray latin = body.toLatin1();
        char32_t first = 0, second = 0;
        const int n = HtmlEntities::lookup(latin.constData(), int(latin.size()), &first, &second);
        if (n == 0)
            out += m.captured(0);
        else
            out +=
                QString::fromUcs4(&first, 1) + (n == 2 ? QString::fromUcs4(&second, 1) : QString());
    }
    return out + text.mid(at);
}

inline QString text(const QByteArray& raw)
{
    static const QRegularExpression blanks(QStringLiteral("[ \\t\\r\\n\\f\\x{00A0}]+"));
    return withReferences(withoutMarkup(decoded(raw))).replace(blanks, QStringLiteral(" "));
}

// Where the context occurs in a text: indexes of code points, leftmost and not overlapping.
inline std::vector<qsizetype> occurrences(const QString& text, const QString& context,
                                          bool caseSensitive, bool wholeWords)
{
    static const QRegularExpression blanks(QStringLiteral("[ \\t\\r\\n\\f\\x{00A0}]+"));
    const auto fold = [caseSensitive](const QString& s) {
        std::u32string out;
        for (const uint c : s.toUcs4())
            out += caseSensitive ? char32_t(c) : char32_t(QChar::toLower(c));
        return out;
    };
    const std::u32string haystack = fold(text);
    QString normalized = QString(context).replace(blanks, QStringLiteral(" "));
    while (normalized.startsWith(u' '))
        normalized.remove(0, 1);
    while (normalized.endsWith(u' '))
        normalized.chop(1);
    const std::u32string needle = fold(normalized);
    std::vector<qsizetype> found;
    if (needle.empty())
        return found;
    const QList<uint> codes = text.toUcs4();
    const auto isWord = [&codes](size_t i) { return QChar::isLetterOrNumber(codes[qsizetype(i)]); };
    for (size_t at = haystack.find(needle); at != std::u32string::npos;) {
        const size_t end = at + needle.size();
        if (wholeWords && ((at > 0 && isWord(at - 1)) || (end < haystack.size() && isWord(end)))) {
            at = haystack.find(needle, at + 1);
            continue;
        }
        found.push_back(qsizetype(at));
        at = haystack.find(needle, end);
    }
    return found;
}

} // namespace PlainText
