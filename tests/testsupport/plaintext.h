#pragma once

#include "text/htmlentities.h"
#include "text/textencoding.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>
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

inline QString withReferences(const QString& text)
{
    static const QRegularExpression reference(
        QStringLiteral("&(?:#([0-9]+)|#[xX]([0-9A-Fa-f]+)|([A-Za-z0-9]+))(;?)"));
    static const QStringList oldNames =
        QStringLiteral(
            "AElig AMP Aacute Acirc Agrave Aring Atilde Auml COPY Ccedil ETH Eacute Ecirc Egrave "
            "Euml GT Iacute Icirc Igrave Iuml LT Ntilde Oacute Ocirc Ograve Oslash Otilde Ouml "
            "QUOT REG THORN Uacute Ucirc Ugrave Uuml Yacute aacute acirc acute aelig agrave amp "
            "aring atilde auml brvbar ccedil cedil cent copy curren deg divide eacute ecirc "
            "egrave eth euml frac12 frac14 frac34 gt iacute icirc iexcl igrave iquest iuml laquo "
            "lt macr micro middot nbsp not ntilde oacute ocirc ograve ordf ordm oslash otilde "
            "ouml para plusmn pound quot raquo reg sect shy sup1 sup2 sup3 szlig thorn times "
            "uacute ucirc ugrave uml uuml yacute yen yuml")
            .split(u' ');
    // 0x80-0x9F as windows-1252 writes them; a blank where it has no character.
    static const QString windows1252 = QStringLiteral("€ ‚ƒ„…†‡ˆ‰Š‹Œ Ž  ‘’“”•–—˜™š›œ žŸ");
    const auto character = [](char32_t c) { return QString::fromUcs4(&c, 1); };
    QString out;
    qsizetype at = 0;
    for (auto it = reference.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedStart() < at)
            continue;
        out += text.mid(at, m.capturedStart() - at);
        at = m.capturedEnd();
        const bool hex = m.capturedLength(2) > 0;
        if (m.capturedLength(1) > 0 || hex) {
            const QString digits = m.captured(hex ? 2 : 1);
            bool ok = false;
            qulonglong value = digits.toULongLong(&ok, hex ? 16 : 10);
            if (!ok || value > 0x10FFFF)
                value = digits.count(u'0') == digits.size() ? 0 : 0x110000;
            if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
                out += QChar(0xFFFD);
            else if (value >= 0x80 && value <= 0x9F && windows1252[value - 0x80] != u' ')
                out += windows1252[value - 0x80];
            else
                out += character(char32_t(value));
            continue;
        }
        const QString name = m.captured(3);
        const QByteArray latin = name.toLatin1();
        char32_t first = 0, second = 0;
        if (!m.captured(4).isEmpty() &&
            HtmlEntities::lookup(latin.constData(), int(latin.size()), &first, &second)) {
            out += character(first) + (second ? character(second) : QString());
            continue;
        }
        // The longest old name the letters begin with; the rest stays text.
        qsizetype length = std::min<qsizetype>(6, name.size());
        while (length >= 2 && !oldNames.contains(name.left(length)))
            --length;
        if (length < 2) {
            out += m.captured(0);
            continue;
        }
        HtmlEntities::lookup(latin.constData(), int(length), &first, &second);
        out += character(first) + name.mid(length) + m.captured(4);
    }
    return out + text.mid(at);
}

// The text between tags, and what each piece of markup leaves: a blank for a block tag.
// References are decoded in each piece of text on its own.
inline QString withoutMarkup(const QString& text)
{
    static const QStringList block = {"br", "p",  "div", "table", "tr",         "td", "th", "li",
                                      "ul", "ol", "h1",  "h2",    "h3",         "h4", "h5", "h6",
                                      "hr", "dd", "dt",  "title", "blockquote", "pre"};
    static const QStringList hidden = {"style", "script", "xml"};
    static const QString blank = QStringLiteral("[\\t\\n\\f\\r ]");
    static const QString notBlank = QStringLiteral("[^\\t\\n\\f\\r ");
    // A tag: its name, then attributes whose quoted values may hold ">", then ">" (or the end).
    static const QRegularExpression tag(
        QStringLiteral("\\G<(/?)([A-Za-z]") + notBlank + QStringLiteral("/>]*+)(?:") + blank +
            QStringLiteral("++|/|") + notBlank + QStringLiteral("/>]") + notBlank +
            QStringLiteral("/>=]*+(?:") + blank + QStringLiteral("*+=") + blank +
            QStringLiteral("*+(?:\"[^\"]*+\"?|'[^']*+'?|") + notBlank +
            QStringLiteral(">]*+))?)*+>?"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression comment(QStringLiteral("\\G<!--(?:>|->|.*?--!?>|.*)"),
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression other(QStringLiteral("\\G(?:<[!?]|</(?=[^A-Za-z]))[^>]*>?"));
    static const QRegularExpression markup(QStringLiteral("<(?:[A-Za-z!?]|/.)"),
                                           QRegularExpression::DotMatchesEverythingOption);
    QString out;
    bool inHead = false;
    qsizetype at = 0;
    while (at < text.size()) {
        const QRegularExpressionMatch start = markup.match(text, at);
        const qsizetype textEnd = start.hasMatch() ? start.capturedStart() : text.size();
        if (!inHead)
            out += withReferences(text.mid(at, textEnd - at));
        if (!start.hasMatch())
            break;
        at = textEnd;
        if (const QRegularExpressionMatch c = comment.match(text, at); c.hasMatch()) {
            at = c.capturedEnd();
            continue;
        }
        if (const QRegularExpressionMatch o = other.match(text, at); o.hasMatch()) {
            at = o.capturedEnd();
            continue;
        }
        const QRegularExpressionMatch t = tag.match(text, at);
        const bool endTag = !t.captured(1).isEmpty();
        const QString name = t.captured(2).toLower();
        at = t.capturedEnd();
        if (!endTag && hidden.contains(name)) {
            const QRegularExpression close(QStringLiteral("</") + name +
                                               QStringLiteral("(?=[\\t\\n\\f\\r />])"),
                                           QRegularExpression::CaseInsensitiveOption);
            const QRegularExpressionMatch closing = close.match(text, at);
            if (!closing.hasMatch())
                break;
            // The end tag is read as a tag from its "<".
            const QRegularExpressionMatch endOf = tag.match(text, closing.capturedStart());
            at = endOf.capturedEnd();
            continue;
        }
        if (inHead) {
            if (endTag && name == u"head") {
                inHead = false;
                continue;
            }
            if (endTag || !(name == u"body" || (block.contains(name) && name != u"title")))
                continue;
            inHead = false; // the body begins without the head's end tag
        } else if (!endTag && name == u"head") {
            inHead = true;
            continue;
        }
        if (block.contains(name))
            out += u' ';
    }
    return out;
}

inline QString text(const QByteArray& raw)
{
    static const QRegularExpression blanks(QStringLiteral("[ \\t\\r\\n\\f\\x{00A0}]+"));
    // A soft hyphen and the stress accents are no characters of the text a reader sees.
    static const QRegularExpression leftOut(QStringLiteral("[\\x{00AD}\\x{0300}\\x{0301}]"));
    return withoutMarkup(decoded(raw)).remove(leftOut).replace(blanks, QStringLiteral(" "));
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
