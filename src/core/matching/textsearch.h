#pragma once

#include "matching/matchoptions.h"
#include "matching/textmatcher.h"
#include "text/documenttext.h"
#include "text/textreader.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <atomic>
#include <string>
#include <vector>

// Whether the text of a document (see DocumentText) holds a context, without reading the
// whole text of every document: a few characters of the context, as the document's bytes
// can write them, pick the candidate places, and the text is read only around them. Where
// that cannot decide (markup or references too near, or too much looking around), the text
// is read once from the start: the work stays linear in the document.
namespace TextSearchDetail {
class NearText;
}

class TextSearch
{
public:
    TextSearch(const QString& context, const MatchOptions& options);

    bool isValid() const { return m_matcher.isValid(); }
    // What a look at the first bytes of a document found that holds for the whole document:
    // the places the context may begin at in its first blocks, which need not be sought again.
    class Beginning
    {
    private:
        friend class TextSearch;
        TextEncoding::Encoding m_encoding = TextEncoding::Encoding::Windows1251;
        std::vector<qsizetype> m_candidates; // sorted within each block, the blocks in order
        qsizetype m_upTo = 0;                // the blocks before it are told
    };

    // The document's whole bytes; false when cancel is set meanwhile (it is looked at every
    // 64 KB or sooner). beginning: what foundInBeginning told of the same document.
    bool contains(const char* document, qsizetype size, const std::atomic<bool>* cancel = nullptr,
                  const Beginning* beginning = nullptr) const;
    // Whether the first size bytes of a longer document already hold the context, told by
    // the look around candidates: true only when the occurrence and all that decides it lie
    // before the bytes that follow could change it. False tells nothing; what it found on the
    // way is kept in beginning for the look at the whole document.
    // known: what a look at fewer of the same first bytes told, not sought again.
    bool foundInBeginning(const char* data, qsizetype size, TextEncoding::Encoding encoding,
                          Beginning* beginning, const Beginning* known = nullptr) const;
    // Whether a document in this encoding can be looked at around candidates, its whole
    // bytes in memory; otherwise it is read in pieces.
    bool looksAround(TextEncoding::Encoding encoding) const { return quickFilter(encoding); }

    // A document read in pieces, from the start, in memory that does not grow with it.
    class Reading
    {
    public:
        Reading(const TextSearch& search, TextEncoding::Encoding encoding);
        // The next bytes; true once the context is found.
        bool read(const char* bytes, qsizetype size);
        // The end of the document: whether the context was found.
        bool finish();

    private:
        TextReader m_reader;
        TextMatcher::Cursor m_cursor;
        std::vector<TextMatcher::Occurrence> m_found;
    };
    static constexpr qsizetype ReadingPiece = 64 * 1024;

    // The bytes that can begin a candidate, for each byte of the characters looked for first.
    struct ByteFilter
    {
        static constexpr int MaxBytes = 12;
        static constexpr int MaxValues = 4;
        int length = 0;       // bytes; 0 when no characters of the context can be looked for
        int contextIndex = 0; // of the first character looked for
        std::array<std::array<unsigned char, MaxValues>, MaxBytes> values{};
        std::array<int, MaxBytes> valueCount{};  // 0: any byte
        std::array<bool, MaxBytes> startsChar{}; // markup or a reference may come instead
        // The first bytes of what may stand before a character without being one: markup, a
        // reference, a character the text leaves out (a soft hyphen, a stress accent).
        std::array<unsigned char, MaxValues> breakBytes{};
        int breakCount = 0;
        std::vector<char32_t> firstVariants; // the forms of the first character
        // The bytes after an "&" that may begin a reference to one of them: "#", and the
        // first letters of their names.
        std::array<bool, 256> referenceStarts{};
    };

private:
    enum class Check
    {
        No,
        Yes,
        Unsure, // markup or a reference is near: the text has to be read
    };
    // Walks the text one way from a candidate (step: one thing of the text from place, moving
    // it) over the context's characters first, first + direction, ... to either end of the
    // context; a blank of the context takes a whole run of blanks.
    template <typename Place, typename Step>
    Check walkContext(Place& place, const Step& step, qsizetype first, int direction) const;
    // Whether the context goes on from a candidate at at, were it in the text segment given:
    // No rules the candidate out wherever it lies.
    Check continuesAfter(const TextSearchDetail::NearText& near,
                         const DocumentText::Segment& segment, const ByteFilter& filter,
                         qsizetype at) const;
    Check checkNearText(const TextSearchDetail::NearText& near,
                        const DocumentText::Segment& segment, const ByteFilter& filter,
                        qsizetype at) const;
    // How a look around candidates goes on: what it keeps of the beginning of a document it
    // is given, what it takes from an earlier look at it, how far the markup was looked at
    // (MarkupScanner::reach), when wanted.
    struct Around
    {
        Beginning* record = nullptr;
        const Beginning* known = nullptr;
        qsizetype* reach = nullptr;
    };
    // Yes or No, or Unsure when the text has to be read whole.
    Check containsAround(const char* data, qsizetype size, TextEncoding::Encoding encoding,
                         const ByteFilter& filter, const std::atomic<bool>* cancel,
                         const Around& around) const;
    const ByteFilter* quickFilter(TextEncoding::Encoding encoding) const;

    std::u32string m_context;
    MatchOptions m_options;
    TextMatcher m_matcher;
    ByteFilter m_windows1251;
    ByteFilter m_utf8;
};
