#pragma once

#include "documenttext.h"
#include "matchoptions.h"
#include "textmatcher.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <string>
#include <vector>

// Whether the text of a document (see DocumentText) holds a context, without reading the
// whole text of every document: a few characters of the context, as the document's bytes
// can write them, pick the candidate places; the text is then read only around those
// places, from the block tag before them.
namespace TextSearchDetail {
class NearText;
}

class TextSearch
{
public:
    TextSearch(const QString& context, const MatchOptions& options);

    bool isValid() const { return m_matcher.isValid(); }
    // The document's whole bytes.
    bool contains(const char* document, qsizetype size) const;

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
        std::vector<char32_t> firstVariants;     // the forms of the first character
        std::vector<std::string> referenceNames; // named references to the first character
    };

private:
    enum class Check
    {
        No,
        Yes,
        Unsure, // markup or a reference is near: the text has to be read
    };
    Check checkNearText(const TextSearchDetail::NearText& near,
                        const DocumentText::Segment& segment, const ByteFilter& filter,
                        qsizetype at) const;
    bool containsAround(const char* data, qsizetype size, TextEncoding::Encoding encoding,
                        const ByteFilter& filter) const;

    std::u32string m_context;
    MatchOptions m_options;
    TextMatcher m_matcher;
    ByteFilter m_windows1251;
    ByteFilter m_utf8;
};
