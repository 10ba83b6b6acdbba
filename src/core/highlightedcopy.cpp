#include "highlightedcopy.h"

#include "documentlayout.h"
#include "documenttext.h"
#include "filetree.h"
#include "messagereporter.h"
#include "platform.h"
#include "rawmatcher.h"
#include "textencoding.h"
#include "textmatcher.h"
#include "userworkdir.h"
#include "wordforms.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace {

// The classic default values of the system colours (0x00BBGGRR), by index.
constexpr quint32 systemColors[] = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xD77800, 0xF0F0F0,
};

} // namespace

HighlightedCopy::HighlightedCopy(const QString& documentPath, const QString& context)
    : m_context(context)
{
    setColors(0xFFFFFF, 255);
    prepareWorkDir(documentPath);
}

HighlightedCopy::~HighlightedCopy()
{
    if (m_deleteOnDestroy)
        deleteWorkFiles();
}

void HighlightedCopy::prepareWorkDir(const QString& documentPath)
{
    m_workDir = UserWorkDir::highlightWorkDir();
    if (!m_workDir.isEmpty()) {
        Platform::removeTree(m_workDir);
        QDir().mkpath(m_workDir);
    }
    m_documentPath = documentPath;
    if (documentPath.isEmpty() || m_workDir.isEmpty())
        return;
    const QFileInfo document(documentPath);
    const QString filesName = DocumentLayout::companionFolderName(document.fileName());
    m_workFileName = m_workDir + QStringLiteral("/NormDoc.htm");
    m_workFilesDir = m_workDir + u'/' + filesName;
    m_documentFilesDir = DocumentLayout::joinPath(document.path(), filesName);
}

quint32 HighlightedCopy::resolvedColor(quint32 color)
{
    if (color & 0x80000000u) {
        const quint32 index = color & 0xFFu;
        return index < std::size(systemColors) ? systemColors[index] : 0;
    }
    return color & 0xFFFFFFu;
}

QString HighlightedCopy::styleColor(quint32 color)
{
    color = resolvedColor(color);
    const auto pair = [](quint32 value) {
        return QStringLiteral("%1").arg(value & 0xFFu, 2, 16, QLatin1Char('0'));
    };
    return pair(color) + pair(color >> 8) + pair(color >> 16);
}

void HighlightedCopy::setColors(quint32 fontColor, quint32 backColor)
{
    m_openTag = QStringLiteral("<span style='color:") + styleColor(fontColor) +
                QStringLiteral(";background:") + styleColor(backColor) + QStringLiteral("'>");
    m_closeTag = QStringLiteral("</span>");
}

namespace {

using Encoding = TextEncoding::Encoding;

// A document's units (bytes, or 16-bit units of a UTF-16 document) written again in its
// encoding, with tags inserted before some of them.
class CopyWriter
{
public:
    CopyWriter(Encoding encoding) : m_encoding(encoding) {}

    void insert(qsizetype before, const QByteArray& tag) { m_inserts.push_back({before, tag}); }

    QByteArray write(const char* bytes, qsizetype size, const std::u16string& units) const
    {
        QByteArray out;
        const bool utf16 = TextEncoding::isUtf16(m_encoding);
        const bool bigEndian = m_encoding == Encoding::Utf16Be;
        out.reserve((utf16 ? qsizetype(units.size()) * 2 : size) +
                    qsizetype(m_inserts.size()) * 64);
        const auto appendUnits = [&](qsizetype from, qsizetype to) {
            if (utf16)
                out += TextEncoding::utf16Bytes(units.data() + from, to - from, bigEndian);
            else
                out.append(bytes + from, to - from);
        };
        qsizetype at = 0;
        for (const auto& [before, tag] : m_inserts) {
            appendUnits(at, before);
            at = before;
            if (utf16) {
                const QString text = QString::fromLatin1(tag);
                out += TextEncoding::utf16Bytes(reinterpret_cast<const char16_t*>(text.utf16()),
                                                text.size(), bigEndian);
            } else {
                out += tag;
            }
        }
        appendUnits(at, utf16 ? qsizetype(units.size()) : size);
        return out;
    }

private:
    Encoding m_encoding;
    std::vector<std::pair<qsizetype, QByteArray>> m_inserts; // in order
};

// Whether [begin, end) lies in one piece of text and cuts no character (a reference included).
bool whollyInText(const std::vector<DocumentText::Segment>& segments,
                  const std::vector<DocumentText::Char>& characters, qsizetype begin, qsizetype end)
{
    const auto segment =
        std::upper_bound(segments.begin(), segments.end(), begin,
                         [](qsizetype at, const DocumentText::Segment& s) { return at < s.begin; });
    if (segment == segments.begin())
        return false;
    const DocumentText::Segment& in = *(segment - 1);
    if (in.kind != DocumentText::SegmentKind::Text || end > in.end)
        return false;
    const auto cuts = [&characters](qsizetype at) {
        const auto next =
            std::upper_bound(characters.begin(), characters.end(), at,
                             [](qsizetype a, const DocumentText::Char& c) { return a < c.begin; });
        return next != characters.begin() && (next - 1)->begin < at && at < (next - 1)->end;
    };
    return !cuts(begin) && !cuts(end);
}

// The text around characters [first, end), on one line, about a line's length in all.
void setSnippet(HighlightedCopy::Highlight& result,
                const std::vector<DocumentText::Char>& characters, size_t first, size_t end)
{
    constexpr size_t around = 40;
    const auto text = [&characters](size_t from, size_t to) {
        QString out;
        for (size_t i = from; i < to; ++i)
            out += QString::fromUcs4(&characters[i].c, 1);
        return out;
    };
    const size_t from = first > around ? first - around : 0;
    const size_t to = std::min(characters.size(), end + around);
    result.snippetBefore =
        (from > 0 ? QStringLiteral("…") : QString()) + text(from, first).trimmed();
    if (first > from && DocumentText::isBlank(characters[first - 1].c))
        result.snippetBefore += u' ';
    result.snippetMatch = text(first, end);
    result.snippetAfter = text(end, to);
    if (to < characters.size())
        result.snippetAfter += QStringLiteral("…");
}

// The characters [first, end) that a range of units covers.
std::pair<size_t, size_t> charactersOf(const std::vector<DocumentText::Char>& characters,
                                       qsizetype begin, qsizetype end)
{
    const auto byBegin = [](const DocumentText::Char& c, qsizetype at) { return c.begin < at; };
    const auto first = std::lower_bound(characters.begin(), characters.end(), begin, byBegin);
    const auto last = std::lower_bound(first, characters.end(), end, byBegin);
    return {size_t(first - characters.begin()), size_t(last - characters.begin())};
}

// The open tag of a piece of the occurrence number: the attribute after the tag's name.
QByteArray numberedTag(const QByteArray& openTag, int occurrence)
{
    qsizetype nameEnd = 1;
    while (nameEnd < openTag.size() && QChar::isLetterOrNumber(uchar(openTag[nameEnd])))
        ++nameEnd;
    return openTag.left(nameEnd) + " data-occurrence='" + QByteArray::number(occurrence) + '\'' +
           openTag.mid(nameEnd);
}

HighlightedCopy::Highlight highlightRaw(const QByteArray& raw, Encoding encoding,
                                        const QString& context, const MatchOptions& options,
                                        const QByteArray& openTag, const QByteArray& closeTag)
{
    HighlightedCopy::Highlight result;
    const bool utf16 = TextEncoding::isUtf16(encoding);
    const bool bigEndian = encoding == Encoding::Utf16Be;
    // The lines joined with CR LF, in the document's units.
    std::u16string units;
    QByteArray joined;
    if (utf16) {
        units = TextEncoding::joinLines(
            TextEncoding::utf16Units(raw.constData(), raw.size(), bigEndian));
        joined = TextEncoding::utf16Bytes(units.data(), qsizetype(units.size()), bigEndian);
    } else {
        joined = TextEncoding::joinLines(raw);
    }
    const DocumentText document =
        utf16 ? DocumentText(units, encoding) : DocumentText(joined, encoding);
    const std::vector<DocumentText::Segment> segments = document.segments();
    const std::vector<DocumentText::Char> characters = document.characters();
    const RawMatcher matcher(context, options, encoding);
    const qsizetype unit = utf16 ? 2 : 1;
    CopyWriter writer(encoding);
    if (matcher.isValid()) {
        for (qsizetype at = matcher.next(joined.constData(), joined.size()); at >= 0;
             at = matcher.next(joined.constData(), joined.size(), at + matcher.length())) {
            const qsizetype begin = at / unit;
            const qsizetype end = (at + matcher.length()) / unit;
            if (!whollyInText(segments, characters, begin, end)) {
                ++result.inMarkup;
                continue;
            }
            writer.insert(begin, openTag);
            writer.insert(end, closeTag);
            if (++result.marked == 1) {
                const auto [first, last] = charactersOf(characters, begin, end);
                setSnippet(result, characters, first, last);
            }
        }
    }
    result.copy = writer.write(joined.constData(), joined.size(), units);
    if (utf16 && raw.size() % 2 != 0)
        result.copy += raw.back(); // the odd last byte stays as it was
    return result;
}

HighlightedCopy::Highlight highlightText(const QByteArray& raw, Encoding encoding,
                                         const QString& context, const MatchOptions& options,
                                         const QByteArray& openTag, const QByteArray& closeTag)
{
    HighlightedCopy::Highlight result;
    const bool utf16 = TextEncoding::isUtf16(encoding);
    const std::u16string units =
        utf16 ? TextEncoding::utf16Units(raw.constData(), raw.size(), encoding == Encoding::Utf16Be)
              : std::u16string();
    const DocumentText document =
        utf16 ? DocumentText(units, encoding) : DocumentText(raw, encoding);
    const std::vector<DocumentText::Segment> segments = document.segments();
    const std::vector<DocumentText::Char> characters = document.characters();
    const auto isBlankUnit = [&](qsizetype at) {
        const char16_t c = utf16 ? units[size_t(at)] : char16_t(uchar(raw[at]));
        return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
    };
    CopyWriter writer(encoding);
    size_t segment = 0;
    std::vector<TextMatcher::Occurrence> occurrences;
    if (options.wordForms) {
        const WordQuery query(context);
        const std::vector<WordQuery::Occurrence> words =
            query.occurrences(WordForms::words(characters));
        for (const WordQuery::Occurrence& word : words)
            occurrences.push_back(TextMatcher::Occurrence{word.first, word.end});
        // The snippet shows the best passage: where most of the query's groups stand close.
        size_t best = 0;
        int bestGroups = 0;
        for (size_t i = 0; i < words.size(); ++i) {
            QList<int> groups;
            for (size_t k = i; k < words.size() && words[k].first - words[i].first < 160; ++k) {
                if (!groups.contains(words[k].group))
                    groups.append(words[k].group);
            }
            if (int(groups.size()) > bestGroups) {
                bestGroups = int(groups.size());
                best = i;
            }
        }
        if (!words.empty())
            setSnippet(result, characters, size_t(words[best].first), size_t(words[best].end));
    } else {
        occurrences = TextMatcher(context, options).find(characters);
    }
    for (const TextMatcher::Occurrence& occurrence : occurrences) {
        if (++result.marked == 1 && !options.wordForms)
            setSnippet(result, characters, size_t(occurrence.first), size_t(occurrence.end));
        const QByteArray open = numberedTag(openTag, result.marked);
        const qsizetype begin = characters[size_t(occurrence.first)].begin;
        const qsizetype end = characters[size_t(occurrence.end - 1)].end;
        while (segments[segment].end <= begin)
            ++segment;
        // One mark for each piece of text the occurrence covers; blanks between blocks (a
        // table's cells, paragraphs) are left unmarked, where a mark would be out of place.
        for (size_t s = segment; s < segments.size() && segments[s].begin < end; ++s) {
            if (segments[s].kind != DocumentText::SegmentKind::Text)
                continue;
            const qsizetype from = std::max(begin, segments[s].begin);
            const qsizetype to = std::min(end, segments[s].end);
            bool blankOnly = true;
            for (qsizetype u = from; u < to && blankOnly; ++u)
                blankOnly = isBlankUnit(u);
            const auto besideBlock = [&](size_t neighbour) {
                return segments[neighbour].kind != DocumentText::SegmentKind::InlineTag;
            };
            if (blankOnly &&
                ((from == segments[s].begin && s > 0 && besideBlock(s - 1)) ||
                 (to == segments[s].end && s + 1 < segments.size() && besideBlock(s + 1))))
                continue;
            writer.insert(from, open);
            writer.insert(to, closeTag);
        }
    }
    result.copy = writer.write(raw.constData(), raw.size(), units);
    if (utf16 && raw.size() % 2 != 0)
        result.copy += raw.back();
    return result;
}

} // namespace

HighlightedCopy::Highlight HighlightedCopy::highlight(const QByteArray& rawText,
                                                      const QString& context,
                                                      const MatchOptions& options,
                                                      const QByteArray& openTag,
                                                      const QByteArray& closeTag)
{
    // The encoding is decided on the document's own bytes, as the search decides it.
    const Encoding encoding = TextEncoding::detect(rawText.constData(), rawText.size());
    return options.textMode || options.wordForms
               ? highlightText(rawText, encoding, context, options, openTag, closeTag)
               : highlightRaw(rawText, encoding, context, options, openTag, closeTag);
}

QByteArray HighlightedCopy::highlighted(const QByteArray& rawText, const QString& context,
                                        bool caseSensitive, const QByteArray& openTag,
                                        const QByteArray& closeTag)
{
    return highlight(rawText, context, MatchOptions{caseSensitive, false, false, false}, openTag,
                     closeTag)
        .copy;
}

bool HighlightedCopy::write()
{
    m_markedCount = m_inMarkupCount = 0;
    // Opened without waiting and read only when it is a regular file.
    Platform::ReadOnlyFile source(m_documentPath);
    if (!source.isOpen())
        return false;
    QByteArray raw;
    if (!source.readRest(raw))
        return false;
    bool written = false;
    QFile copy(m_workFileName);
    if (!m_workFileName.isEmpty() && copy.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const Highlight result =
            highlight(raw, m_context, m_options, m_openTag.toLatin1(), m_closeTag.toLatin1());
        m_markedCount = result.marked;
        m_inMarkupCount = result.inMarkup;
        written = copy.write(result.copy) == result.copy.size() && copy.flush();
    }
    if (!m_documentFilesDir.isEmpty() && Platform::isFolder(m_documentFilesDir))
        FileTree().copyDir(m_documentFilesDir, m_workFilesDir, QStringLiteral("*.*"));
    return written;
}

void HighlightedCopy::deleteWorkFiles()
{
    if (!m_workFileName.isEmpty() && QFileInfo::exists(m_workFileName) &&
        !FileTree().deleteFile(m_workFileName))
        MessageReporter::report(QStringLiteral("Предупреждение"),
                                QStringLiteral("Не могу удалить файл ") + m_workFileName);
    if (!m_workFilesDir.isEmpty() && QFileInfo::exists(m_workFilesDir))
        FileTree().deleteDir(m_workFilesDir, QStringLiteral("*.*"));
}
