#include "norms/textblocks.h"

#include "pdf/documentfile.h"
#include "pdf/pdftext.h"
#include "pdf/pdftextreader.h"
#include "text/documenttext.h"
#include "text/textreader.h"

#include <QHash>
#include <QRegularExpression>

#include <string>
#include <string_view>

namespace {

using Encoding = TextEncoding::Encoding;

char lowerAscii(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char(c + 32) : char(c);
}

bool isNameUnit(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// What a block tag says: its name in lower case, whether it ends an element, its class.
struct BlockTag
{
    std::string name;
    bool end = false;
    std::string className; // lower case
};

template <typename Unit> BlockTag readTag(const Unit* units, qsizetype begin, qsizetype end)
{
    BlockTag tag;
    qsizetype at = begin + 1;
    if (at < end && units[at] == Unit('/')) {
        tag.end = true;
        ++at;
    }
    while (at < end && isNameUnit(char16_t(units[at])) && tag.name.size() < 12)
        tag.name += lowerAscii(char16_t(units[at++]));
    if (tag.end)
        return tag;
    // class=value, class="value" or class='value', the name in any case.
    for (; at + 6 < end; ++at) {
        if (lowerAscii(char16_t(units[at])) != 'c' || isNameUnit(char16_t(units[at - 1])))
            continue;
        static constexpr std::string_view attribute = "class";
        qsizetype p = at;
        size_t q = 0;
        while (q < attribute.size() && p < end && lowerAscii(char16_t(units[p])) == attribute[q]) {
            ++p;
            ++q;
        }
        if (q < attribute.size() || p >= end || units[p] != Unit('='))
            continue;
        ++p;
        const Unit quote =
            p < end && (units[p] == Unit('"') || units[p] == Unit('\'')) ? units[p++] : Unit(0);
        while (p < end && tag.className.size() < 40) {
            const Unit u = units[p];
            if (quote ? u == quote : (u == Unit(' ') || u == Unit('>') || u == Unit('/')))
                break;
            tag.className += lowerAscii(char16_t(u));
            ++p;
        }
        break;
    }
    return tag;
}

// What a paragraph's start tag makes of it.
void styleFrom(const BlockTag& tag, TextBlock& block)
{
    block.headingLevel = 0;
    block.title = false;
    block.tocEntry = false;
    const std::string_view name = tag.name;
    if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6')
        block.headingLevel = name[1] - '0';
    const std::string_view style = tag.className;
    if (style.starts_with("msoheading") && style.size() == 11 && style[10] >= '1' &&
        style[10] <= '9')
        block.headingLevel = std::min(6, style[10] - '0');
    else if (style == "msotitle")
        block.title = true;
    else if (style.starts_with("msotoc"))
        block.tocEntry = true;
}

template <typename Unit>
std::vector<TextBlock> blocksOf(const Unit* units, qsizetype size, TextReader& reader)
{
    std::vector<TextCharacter> chars;
    std::vector<TextSegment> segments;
    reader.setSegments(&segments);
    std::vector<TextBlock> blocks;
    TextBlock open;
    TextBlock style; // what the latest start tag said, for the paragraphs it goes on to
    int tables = 0;
    bool started = false;
    qsizetype index = 0; // of the next character in the text
    const auto close = [&] {
        open.text = open.text.trimmed();
        if (!open.text.isEmpty())
            blocks.push_back(std::move(open));
        open = TextBlock{};
        started = false;
    };
    size_t segment = 0;
    const auto passMarkup = [&](qsizetype upTo) {
        for (; segment < segments.size() && segments[segment].begin < upTo; ++segment) {
            if (segments[segment].kind != TextSegmentKind::BlockTag)
                continue;
            const BlockTag tag = readTag(units, segments[segment].begin, segments[segment].end);
            close();
            if (tag.name == "table")
                tables = std::max(0, tables + (tag.end ? -1 : 1));
            if (tag.name == "br")
                continue; // a line break goes on with the paragraph's style
            if (tag.end)
                style = TextBlock{};
            else
                styleFrom(tag, style);
        }
    };
    // The characters read so far, and the markup before them.
    const auto take = [&] {
        for (const TextCharacter& c : chars) {
            passMarkup(c.begin + 1);
            const qsizetype at = index++;
            if (!started) {
                if (c.c == U' ')
                    continue;
                open.headingLevel = style.headingLevel;
                open.title = style.title;
                open.tocEntry = style.tocEntry;
                open.inTable = tables > 0;
                open.start = at;
                open.unit = c.begin;
                started = true;
            }
            if (c.c < 0x10000) {
                open.text += QChar(char16_t(c.c));
            } else {
                const char32_t wide[] = {c.c};
                open.text += QString::fromUcs4(wide, 1);
            }
        }
        chars.clear();
        segments.erase(segments.begin(), segments.begin() + qsizetype(segment));
        segment = 0;
    };
    constexpr qsizetype piece = 64 * 1024;
    for (qsizetype at = 0; at < size; at += piece) {
        if constexpr (sizeof(Unit) == 1)
            reader.read(reinterpret_cast<const char*>(units + at), std::min(piece, size - at),
                        chars);
        else
            reader.readUnits(reinterpret_cast<const char16_t*>(units + at),
                             std::min(piece, size - at), chars);
        take();
    }
    reader.finish(chars);
    take();
    close();
    return blocks;
}

// A line that only numbers its page: "12", "- 12 -", "Стр. 12", "12 из 40".
bool isPageNumber(const QString& line)
{
    static const QRegularExpression number(
        QStringLiteral(
            R"(^(?:[-–—]\s*)?(?:(?:стр|с)\.?\s*)?\d{1,4}(?:\s*[-–—])?(?:\s*(?:из|/)\s*\d{1,4})?$)"),
        QRegularExpression::CaseInsensitiveOption);
    return number.match(line).hasMatch();
}

// A line told apart from its page's number, for comparing running heads.
QString withoutDigits(const QString& line)
{
    QString out;
    for (const QChar c : line) {
        if (!c.isDigit())
            out += c;
    }
    return out.simplified();
}

} // namespace

std::vector<TextBlock> TextBlocks::ofPage(const QByteArray& raw)
{
    const Encoding encoding = TextEncoding::detect(raw.constData(), raw.size());
    TextReader reader(encoding);
    if (TextEncoding::isUtf16(encoding)) {
        std::u16string units =
            TextEncoding::utf16Units(raw.constData(), raw.size(), encoding == Encoding::Utf16Be);
        if (raw.size() % 2 != 0)
            units += u'\uFFFD';
        return blocksOf(units.data(), qsizetype(units.size()), reader);
    }
    return blocksOf(reinterpret_cast<const unsigned char*>(raw.constData()), raw.size(), reader);
}

std::vector<TextBlock> TextBlocks::ofPdf(const PdfText& pdf)
{
    std::vector<TextBlock> blocks;
    const QByteArrayList& pages = pdf.pages();
    // Lines that stand first or last on many pages are running heads and feet.
    QHash<QString, int> edges;
    std::vector<QStringList> lines(size_t(pages.size()));
    for (qsizetype p = 0; p < pages.size(); ++p) {
        for (const QByteArray& line : pages.at(p).split('\n')) {
            const QString text = QString::fromUtf8(line).simplified();
            if (!text.isEmpty())
                lines[size_t(p)] << text;
        }
        const QStringList& page = lines[size_t(p)];
        if (!page.isEmpty()) {
            ++edges[withoutDigits(page.first())];
            if (page.size() > 1)
                ++edges[withoutDigits(page.last())];
        }
    }
    const int repeated = std::max<int>(3, int(pages.size() / 4));
    // The text of the document the PDF is read as, where each line is looked for in turn.
    const QString text = DocumentText(pdf.document()).text();
    qsizetype at = 0;
    for (qsizetype p = 0; p < pages.size(); ++p) {
        const QStringList& page = lines[size_t(p)];
        for (qsizetype l = 0; l < page.size(); ++l) {
            TextBlock block;
            block.text = page.at(l);
            block.page = int(p + 1);
            const bool edge = l == 0 || l + 1 == page.size();
            block.runningLine = isPageNumber(block.text) ||
                                (edge && edges.value(withoutDigits(block.text)) >= repeated);
            const qsizetype found = text.indexOf(block.text, at);
            if (found >= 0 && found - at < 4096)
                at = found;
            block.start = at;
            block.unit = at;
            blocks.push_back(std::move(block));
        }
    }
    return blocks;
}

std::optional<std::vector<TextBlock>> TextBlocks::ofFile(const QString& path, bool* withoutText,
                                                         const std::atomic<bool>* cancel)
{
    if (withoutText)
        *withoutText = false;
    if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        const PdfText text = PdfTextReader::read(path, cancel);
        if (text.state() == PdfText::State::Unreadable)
            return std::nullopt;
        if (withoutText)
            *withoutText = text.state() == PdfText::State::NoText;
        return ofPdf(text);
    }
    DocumentFile file(path);
    QByteArray bytes;
    if (!file.isOpen() || !file.readRest(bytes))
        return std::nullopt;
    return ofPage(bytes);
}
