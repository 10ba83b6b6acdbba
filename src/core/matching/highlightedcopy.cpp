#include "matching/highlightedcopy.h"

#include "pdf/documentfile.h"

#include "library/documentlayout.h"
#include "library/filetree.h"
#include "matching/rawmatcher.h"
#include "matching/snippetkeeper.h"
#include "matching/textmatcher.h"
#include "matching/wordforms.h"
#include "platform/messagereporter.h"
#include "platform/platform.h"
#include "platform/userworkdir.h"
#include "text/characterreference.h"
#include "text/copyoutput.h"
#include "text/documenttext.h"
#include "text/textencoding.h"
#include "text/textwindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <deque>
#include <limits>
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

HighlightedCopy::HighlightedCopy(const QString& documentPath, const QStringList& contexts, int slot)
    : m_contexts(contexts)
{
    setColors(0xFFFFFF, 255);
    prepareWorkDir(documentPath, slot);
}

HighlightedCopy::~HighlightedCopy()
{
    if (m_deleteOnDestroy)
        deleteWorkFiles();
}

void HighlightedCopy::prepareWorkDir(const QString& documentPath, int slot)
{
    m_workDir = UserWorkDir::highlightWorkDir(slot);
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
    if (filesName.isEmpty())
        return; // a PDF has no picture folder
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
using Segment = DocumentText::Segment;
using SegmentKind = DocumentText::SegmentKind;

// The bytes read at once: the work stays near the document, and so does the memory.
constexpr qsizetype Piece = 256 * 1024;

// The open tag of a piece of the occurrence number: the attribute after the tag's name.
QByteArray numberedTag(const QByteArray& openTag, int occurrence)
{
    qsizetype nameEnd = 1;
    while (nameEnd < openTag.size() && QChar::isLetterOrNumber(uchar(openTag[nameEnd])))
        ++nameEnd;
    return openTag.left(nameEnd) + " data-occurrence='" + QByteArray::number(occurrence) + '\'' +
           openTag.mid(nameEnd);
}

// Reads a document in pieces into a window, its characters also to a snippet keeper: from
// its bytes in memory, or from its file.
class PieceReader
{
public:
    PieceReader(const QByteArray& bytes, TextWindow& window, SnippetKeeper& snippet)
        : m_bytes(bytes), m_window(window), m_snippet(snippet)
    {
    }
    // The file's first bytes already read are bytes.
    PieceReader(DocumentFile& file, const QByteArray& bytes, TextWindow& window,
                SnippetKeeper& snippet)
        : m_bytes(bytes), m_file(&file), m_window(window), m_snippet(snippet)
    {
    }

    bool atEnd() const { return m_finished; }
    bool failed() const { return m_failed; }

    // The next piece, or the end; false when there is nothing left.
    bool next()
    {
        if (m_finished)
            return false;
        if (m_read < m_bytes.size()) {
            const qsizetype size = std::min(Piece, m_bytes.size() - m_read);
            m_window.read(m_bytes.constData() + m_read, size);
            m_read += size;
        } else if (const qsizetype size = readFile(); size > 0) {
            m_window.read(m_buffer.constData(), size);
        } else {
            m_failed = size < 0;
            m_window.finish();
            m_finished = true;
        }
        m_snippet.read(m_window.newCharacters(), m_window.newCount());
        return true;
    }

    // Reads on until the units before unit have all given their characters, forgetting what
    // lies before keepFrom.
    void readTo(qsizetype unit, qsizetype keepFrom)
    {
        while (m_window.unitsRead() < unit && next())
            m_window.forgetBefore(keepFrom);
    }

private:
    qsizetype readFile()
    {
        if (!m_file)
            return 0;
        m_buffer.resize(Piece);
        return m_file->readFull(m_buffer.data(), Piece);
    }

    const QByteArray& m_bytes;
    DocumentFile* m_file = nullptr;
    QByteArray m_buffer;
    TextWindow& m_window;
    SnippetKeeper& m_snippet;
    qsizetype m_read = 0;
    bool m_finished = false;
    bool m_failed = false;
};

void setSnippet(HighlightedCopy::Highlight& result, const SnippetKeeper& snippet)
{
    if (!snippet.isTaken())
        return;
    result.snippetBefore = snippet.before();
    result.snippetMatch = snippet.match();
    result.snippetAfter = snippet.after();
}

// The next occurrence of any of several contexts in a joined text: the one that begins first
// (the longest of those beginning there), none overlapping the one taken before it.
class RawOccurrences
{
public:
    RawOccurrences(const QStringList& contexts, const MatchOptions& options, Encoding encoding,
                   const QByteArray& text)
        : m_text(text)
    {
        for (const QString& context : contexts) {
            RawMatcher matcher(context, options, encoding);
            if (!matcher.isValid())
                continue;
            m_next.push_back(matcher.next(m_text.constData(), m_text.size()));
            m_matchers.push_back(std::move(matcher));
        }
    }

    // The next occurrence's first byte and its length; false when there is none.
    bool next(qsizetype* at, qsizetype* length)
    {
        qsizetype best = -1;
        for (size_t i = 0; i < m_matchers.size(); ++i) {
            if (m_next[i] < 0)
                continue;
            if (best < 0 || m_next[i] < m_next[size_t(best)] ||
                (m_next[i] == m_next[size_t(best)] &&
                 m_matchers[i].length() > m_matchers[size_t(best)].length()))
                best = qsizetype(i);
        }
        if (best < 0)
            return false;
        *at = m_next[size_t(best)];
        *length = m_matchers[size_t(best)].length();
        const qsizetype end = *at + *length;
        for (size_t i = 0; i < m_matchers.size(); ++i) {
            if (m_next[i] >= 0 && m_next[i] < end)
                m_next[i] = m_matchers[i].next(m_text.constData(), m_text.size(), end);
        }
        return true;
    }

private:
    const QByteArray& m_text;
    std::vector<RawMatcher> m_matchers;
    std::vector<qsizetype> m_next; // each matcher's next occurrence, -1 past its last
};

HighlightedCopy::Highlight highlightRaw(QByteArray raw, Encoding encoding,
                                        const QStringList& contexts, const MatchOptions& options,
                                        const QByteArray& openTag, const QByteArray& closeTag,
                                        bool writeCopy)
{
    HighlightedCopy::Highlight result;
    const bool utf16 = TextEncoding::isUtf16(encoding);
    const bool bigEndian = encoding == Encoding::Utf16Be;
    // The lines joined with CR LF, in the document's units.
    QByteArray joined;
    QByteArray oddByte;
    if (utf16) {
        if (raw.size() % 2 != 0)
            oddByte = raw.right(1); // the odd last byte stays as it was
        std::u16string units = TextEncoding::utf16Units(raw.constData(), raw.size(), bigEndian);
        raw = QByteArray();
        units = TextEncoding::joinLines(units);
        joined = TextEncoding::utf16Bytes(units.data(), qsizetype(units.size()), bigEndian);
    } else {
        joined = TextEncoding::joinLines(raw);
        raw = QByteArray();
    }
    RawOccurrences occurrences(contexts, options, encoding, joined);
    const qsizetype unit = utf16 ? 2 : 1;
    CopyOutput out(joined, encoding, writeCopy);
    TextWindow window(encoding);
    SnippetKeeper snippet(4096);
    PieceReader reader(joined, window, snippet);
    qsizetype at = 0;
    qsizetype length = 0;
    while (occurrences.next(&at, &length)) {
        const qsizetype begin = at / unit;
        const qsizetype end = (at + length) / unit;
        // Far enough for the characters around the occurrence to be known.
        reader.readTo(end + CharacterReference::MaxLength + 8, begin);
        if (!window.whollyInText(begin, end)) {
            ++result.inMarkup;
            continue;
        }
        out.insert(begin, openTag);
        out.insert(end, closeTag);
        if (++result.marked == 1) {
            snippet.take(window.characterAt(begin), window.characterAt(end));
            result.firstUnit = begin;
        }
    }
    // The text after the first occurrence, and whether more follows it.
    while (result.marked > 0 && reader.next())
        window.forgetBefore(window.unitsRead());
    setSnippet(result, snippet);
    result.copy = out.finish() + oddByte;
    return result;
}

// Text mode. raw is the document, or (without a copy) its first bytes, the rest in file. Each
// context has its own cursor; an occurrence is marked once none still to come can begin before
// it, so the marks stand left to right and none overlaps the one before.
HighlightedCopy::Highlight highlightText(const QByteArray& raw, DocumentFile* file,
                                         Encoding encoding, const QStringList& contexts,
                                         const MatchOptions& options, const QByteArray& openTag,
                                         const QByteArray& closeTag, bool writeCopy)
{
    using Occurrence = TextMatcher::Occurrence;
    HighlightedCopy::Highlight result;
    CopyOutput out(raw, encoding, writeCopy);
    TextWindow window(encoding);
    std::deque<TextMatcher> matchers; // the cursors hold them where they stand
    std::vector<TextMatcher::Cursor> cursors;
    qsizetype longest = 0;
    for (const QString& context : contexts) {
        const TextMatcher& matcher = matchers.emplace_back(context, options);
        if (!matcher.isValid())
            continue;
        cursors.emplace_back(matcher);
        longest = std::max(longest, matcher.length());
    }
    SnippetKeeper snippet(longest);
    PieceReader reader =
        file ? PieceReader(*file, raw, window, snippet) : PieceReader(raw, window, snippet);
    std::vector<Occurrence> found;
    std::vector<Occurrence> waiting; // found, not yet marked, in order of their beginning
    qsizetype markedEnd = 0;         // past the last character marked
    const auto byPlace = [](const Occurrence& a, const Occurrence& b) {
        return a.beginUnit != b.beginUnit ? a.beginUnit < b.beginUnit : a.endUnit > b.endUnit;
    };
    while (reader.next()) {
        qsizetype horizon =
            reader.atEnd() ? std::numeric_limits<qsizetype>::max() : window.textEnd();
        for (TextMatcher::Cursor& cursor : cursors) {
            cursor.read(window.newCharacters(), window.newCount(), found);
            if (reader.atEnd())
                cursor.finish(found);
            if (const qsizetype pending = cursor.pendingUnit(); pending >= 0)
                horizon = std::min(horizon, pending);
        }
        waiting.insert(waiting.end(), found.begin(), found.end());
        found.clear();
        std::stable_sort(waiting.begin(), waiting.end(), byPlace);
        size_t settled = 0;
        for (; settled < waiting.size() && waiting[settled].beginUnit < horizon; ++settled) {
            const Occurrence& occurrence = waiting[settled];
            if (occurrence.first < markedEnd)
                continue; // within the one marked before it
            markedEnd = occurrence.end;
            if (++result.marked == 1) {
                snippet.take(occurrence.first, occurrence.end);
                result.firstUnit = occurrence.beginUnit;
            }
            if (writeCopy)
                out.markPieces(window, occurrence.beginUnit, occurrence.endUnit,
                               numberedTag(openTag, result.marked), closeTag);
        }
        waiting.erase(waiting.begin(), waiting.begin() + qsizetype(settled));
        qsizetype keepFrom = std::min(horizon, window.textEnd());
        if (!waiting.empty())
            keepFrom = std::min(keepFrom, waiting.front().beginUnit);
        window.forgetBefore(keepFrom);
    }
    result.readable = !reader.failed();
    setSnippet(result, snippet);
    result.copy = out.finish();
    return result;
}

// Word forms: the query's groups marked where they stand; the snippet shows the best passage,
// where most of the groups stand close.
HighlightedCopy::Highlight highlightWords(const QByteArray& raw, DocumentFile* file,
                                          Encoding encoding, const QString& context,
                                          const QByteArray& openTag, const QByteArray& closeTag,
                                          bool writeCopy)
{
    constexpr qsizetype passage = 160;
    HighlightedCopy::Highlight result;
    CopyOutput out(raw, encoding, writeCopy);
    TextWindow window(encoding);
    SnippetKeeper snippet(4096);
    PieceReader reader =
        file ? PieceReader(*file, raw, window, snippet) : PieceReader(raw, window, snippet);
    const WordQuery query(context);
    const qsizetype longest = std::max<qsizetype>(1, query.longestGroup());
    WordForms::WordSplitter splitter;
    std::vector<WordForms::Word> words;
    std::deque<WordForms::Word> undecided;
    std::deque<WordQuery::Occurrence> passages; // occurrences whose passage is still open
    int bestGroups = 0;
    const auto closePassages = [&](qsizetype horizon) {
        // A passage is told once no occurrence can begin within it any more.
        while (!passages.empty() && passages.front().first + passage <= horizon) {
            QList<int> groups;
            for (const WordQuery::Occurrence& o : passages) {
                if (o.first - passages.front().first >= passage)
                    break;
                if (!groups.contains(o.group))
                    groups.append(o.group);
            }
            if (int(groups.size()) > bestGroups) {
                bestGroups = int(groups.size());
                snippet.take(passages.front().first, passages.front().end);
            }
            passages.pop_front();
        }
    };
    const auto decide = [&](bool last) {
        std::vector<const WordForms::Word*> at;
        while (!undecided.empty() && (last || qsizetype(undecided.size()) >= longest)) {
            at.clear();
            for (size_t i = 0; i < undecided.size() && qsizetype(i) < longest; ++i)
                at.push_back(&undecided[i]);
            qsizetype length = 0;
            const int group = query.groupAt(at.data(), qsizetype(at.size()), &length);
            if (group < 0) {
                undecided.pop_front();
                continue;
            }
            const WordForms::Word& first = undecided.front();
            const WordForms::Word& final = undecided[size_t(length) - 1];
            if (++result.marked == 1)
                result.firstUnit = first.beginUnit;
            if (writeCopy)
                out.markPieces(window, first.beginUnit, final.endUnit,
                               numberedTag(openTag, result.marked), closeTag);
            passages.push_back(WordQuery::Occurrence{first.first, final.end, group});
            undecided.erase(undecided.begin(), undecided.begin() + length);
        }
    };
    while (query.isValid() && reader.next()) {
        splitter.read(window.newCharacters(), window.newCount(), window.newFirstIndex(), words);
        if (reader.atEnd())
            splitter.finish(words);
        undecided.insert(undecided.end(), words.begin(), words.end());
        words.clear();
        decide(reader.atEnd());
        qsizetype horizon =
            reader.atEnd() ? std::numeric_limits<qsizetype>::max() : window.charactersRead();
        if (!undecided.empty())
            horizon = std::min(horizon, undecided.front().first);
        if (splitter.wordBegin() >= 0)
            horizon = std::min(horizon, splitter.wordBegin());
        closePassages(horizon);
        qsizetype keepFrom = window.textEnd();
        if (!undecided.empty())
            keepFrom = std::min(keepFrom, undecided.front().beginUnit);
        if (splitter.wordBeginUnit() >= 0)
            keepFrom = std::min(keepFrom, splitter.wordBeginUnit());
        window.forgetBefore(keepFrom);
    }
    result.readable = !reader.failed();
    setSnippet(result, snippet);
    result.copy = out.finish();
    return result;
}

} // namespace

HighlightedCopy::Highlight HighlightedCopy::highlight(QByteArray rawText,
                                                      const QStringList& contexts,
                                                      const MatchOptions& options,
                                                      const QByteArray& openTag,
                                                      const QByteArray& closeTag, bool writeCopy)
{
    // The encoding is decided on the document's own bytes, as the search decides it.
    const Encoding encoding = TextEncoding::detect(rawText.constData(), rawText.size());
    if (options.wordForms)
        return highlightWords(rawText, nullptr, encoding, contexts.join(u' '), openTag, closeTag,
                              writeCopy);
    if (options.textMode)
        return highlightText(rawText, nullptr, encoding, contexts, options, openTag, closeTag,
                             writeCopy);
    return highlightRaw(std::move(rawText), encoding, contexts, options, openTag, closeTag,
                        writeCopy);
}

HighlightedCopy::Highlight HighlightedCopy::summary(const QString& path,
                                                    const QStringList& contexts,
                                                    const MatchOptions& options)
{
    Highlight none;
    none.readable = false;
    DocumentFile file(path);
    if (!file.isOpen())
        return none;
    // The encoding is decided on the first bytes, as the search decides it.
    QByteArray head(TextEncoding::DeclarationWindow, Qt::Uninitialized);
    const qsizetype read = file.readFull(head.data(), head.size());
    if (read < 0)
        return none;
    head.resize(read);
    const Encoding encoding = TextEncoding::detect(head.constData(), head.size());
    const QByteArray noTag;
    if (options.wordForms || options.textMode || file.isPdfDocument()) {
        Highlight found =
            options.wordForms
                ? highlightWords(head, &file, encoding, contexts.join(u' '), noTag, noTag, false)
                : highlightText(head, &file, encoding, contexts, options, noTag, noTag, false);
        found.page = found.marked > 0 ? file.pageAt(found.firstUnit) : 0;
        return found;
    }
    // The raw search looks at the lines joined: the document is read whole.
    if (!file.readRest(head))
        return none;
    return highlight(std::move(head), contexts, options, noTag, noTag, false);
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
        const Highlight result = highlight(std::move(raw), m_contexts, m_options,
                                           m_openTag.toLatin1(), m_closeTag.toLatin1());
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
