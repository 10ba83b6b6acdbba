#include "matching/pagewords.h"

#include "dictionary/wordfamilies.h"
#include "dictionary/wordkeys.h"
#include "text/characterrules.h"
#include "text/documenttextreader.h"

#include <array>
#include <cstring>

namespace {

using Encoding = TextEncoding::Encoding;

// The word being read: its length, and its folded characters as long as it may still begin
// as a keyed word.
class WordInProgress
{
public:
    // keyedBeginnings: null when every word is keyed; firsts: their first characters.
    WordInProgress(const std::vector<std::u32string>* keyedBeginnings, const std::u32string& firsts,
                   WordQuery::Tally& tally)
        : m_beginnings(keyedBeginnings), m_firsts(firsts), m_tally(tally)
    {
        m_folded.reserve(size_t(WordForms::MaxWordLength));
    }

    // The next character of the word, folded (WordFamilies::foldedCharacter).
    void add(char32_t folded)
    {
        if (m_length++ == 0) {
            // Most words are told by their first character: no beginning starts with it.
            m_keyed = !m_beginnings;
            m_decided = m_keyed || m_firsts.find(folded) == std::u32string::npos;
        }
        if (m_decided && !m_keyed)
            return;
        // A run of letters longer than a word can be is cut: its beginning is the word.
        if (m_folded.size() < size_t(WordForms::MaxWordLength))
            m_folded += folded;
        if (!m_decided)
            decide(false);
    }

    // The end of the word, if one is being read (most characters that end a word end none).
    void end()
    {
        if (m_length != 0)
            count();
    }

    qsizetype words() const { return m_words; }
    // Whether the rest of the word can be passed over: it gets no keys.
    bool isPassedOver() const { return m_length > 0 && m_decided && !m_keyed; }

private:
    void count()
    {
        if (!m_decided)
            decide(true);
        if (m_keyed)
            m_tally.add(WordKeys::ofText(m_folded));
        else
            m_tally.addWithoutKeys();
        ++m_words;
        m_length = 0;
        m_folded.clear();
    }

    // Whether the word is keyed, once its characters so far tell (or it ended): it is when
    // it begins with a beginning, not when none of them can still be its beginning.
    void decide(bool ended)
    {
        bool open = false;
        for (const std::u32string& beginning : *m_beginnings) {
            if (m_folded.size() >= beginning.size()) {
                if (m_folded.compare(0, beginning.size(), beginning) == 0) {
                    m_keyed = m_decided = true;
                    return;
                }
            } else if (beginning.compare(0, m_folded.size(), m_folded) == 0) {
                open = true;
            }
        }
        if (!open || ended) {
            m_keyed = false;
            m_decided = true;
        }
    }

    const std::vector<std::u32string>* m_beginnings;
    const std::u32string& m_firsts; // the first characters of the beginnings
    WordQuery::Tally& m_tally;
    std::u32string m_folded;
    qsizetype m_length = 0;
    qsizetype m_words = 0;
    bool m_keyed = false;
    bool m_decided = false;
};

// Looks at cancel (if given) once in every piece of a page read: a search stops soon even in
// one endless text.
class CancelLooks
{
public:
    CancelLooks(const std::atomic<bool>* cancel, qsizetype from)
        : m_cancel(cancel), m_next(from + Piece)
    {
    }
    // Whether the reading, at at, is to stop (once it is, it stays so).
    bool stopsAt(qsizetype at)
    {
        if (m_stopped || at < m_next)
            return m_stopped;
        m_next = at + Piece;
        m_stopped = isCancelled();
        return m_stopped;
    }
    bool isCancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }

private:
    static constexpr qsizetype Piece = 256 * 1024;
    const std::atomic<bool>* m_cancel;
    qsizetype m_next;
    bool m_stopped = false;
};

// The characters of a piece of text given to the word in progress.
class TextWords
{
public:
    TextWords(const char* data, Encoding encoding, WordInProgress& word)
        : m_folded(bytesOf(encoding)), m_data(data), m_utf8(encoding == Encoding::Utf8),
          m_decoder(data, encoding), m_word(word)
    {
    }

    // The text of [begin, end), unless cancel stops it.
    void read(qsizetype begin, qsizetype end, CancelLooks& cancel) const
    {
        for (qsizetype at = begin; at < end;) {
            if (cancel.stopsAt(at))
                return;
            const auto byte = static_cast<unsigned char>(m_data[at]);
            const char32_t folded = m_folded[byte];
            if (folded != Decoded) {
                // Letters and digits go on a word; anything else ends it.
                ++at;
                if (folded == NotWord) {
                    m_word.end();
                } else if (folded != Ignorable) {
                    m_word.add(folded);
                    if (m_word.isPassedOver())
                        at = pastWordCharacters(at, end);
                }
                continue;
            }
            if (byte == '&') {
                const DocumentTextReader::Reference reference = m_decoder.reference(at, end);
                if (reference.first) {
                    character(reference.first);
                    if (reference.second)
                        character(reference.second);
                    at = reference.end;
                    continue;
                }
            }
            qsizetype length = 1;
            character(m_decoder.decode(at, end, &length));
            at += length;
            if (m_word.isPassedOver())
                at = pastWordCharacters(at, end);
        }
    }

private:
    // Past the letters and digits from at on (and the characters the text leaves out), told
    // by their bytes alone: the rest of a word that gets no keys. A reference, or a character
    // of UTF-8 other than a Cyrillic letter, is left to be decoded.
    qsizetype pastWordCharacters(qsizetype at, qsizetype end) const
    {
        while (at < end) {
            const auto byte = static_cast<unsigned char>(m_data[at]);
            const char32_t folded = m_folded[byte];
            if (folded == NotWord)
                break;
            if (folded != Decoded) {
                ++at;
                continue;
            }
            // U+0400 to U+047F, letters all: 0xD0 or 0xD1 and a continuation byte.
            if (!m_utf8 || (byte | 1u) != 0xD1 || at + 1 >= end ||
                (static_cast<unsigned char>(m_data[at + 1]) & 0xC0u) != 0x80)
                break;
            at += 2;
        }
        return at;
    }

    // What a byte is besides a folded letter or digit.
    static constexpr char32_t NotWord = 0;
    static constexpr char32_t Ignorable = 0xFFFFFFFE; // left out of the text: the word goes on
    static constexpr char32_t Decoded = 0xFFFFFFFF;   // a reference, or a character of UTF-8
    using ByteTable = std::array<char32_t, 256>;

    // What each byte is in the text of an encoding, folded (a byte of several in UTF-8 is
    // decoded); made once.
    static const ByteTable& bytesOf(Encoding encoding)
    {
        const auto make = [](Encoding of) {
            ByteTable table;
            for (unsigned byte = 0; byte < 256; ++byte) {
                const char32_t c =
                    byte < 0x80 ? char32_t(byte)
                    : of == Encoding::Windows1251
                        ? char32_t(TextEncoding::fromWindows1251(static_cast<unsigned char>(byte)))
                        : U'\0';
                table[byte] = CharacterRules::isIgnorable(c) ? Ignorable
                              : c == U'\0' && byte >= 0x80   ? Decoded
                              : CharacterRules::isWordCharacter(c)
                                  ? WordFamilies::foldedCharacter(c)
                                  : NotWord;
            }
            table['&'] = Decoded;
            return table;
        };
        static const ByteTable windows1251 = make(Encoding::Windows1251);
        static const ByteTable utf8 = make(Encoding::Utf8);
        return encoding == Encoding::Utf8 ? utf8 : windows1251;
    }

    void character(char32_t c) const
    {
        if (CharacterRules::isIgnorable(c))
            return;
        if (CharacterRules::isWordCharacter(c))
            m_word.add(WordFamilies::foldedCharacter(c));
        else
            m_word.end();
    }

    const ByteTable& m_folded;
    const char* m_data;
    bool m_utf8;
    const DocumentTextReader::TextDecoder<char> m_decoder;
    WordInProgress& m_word;
};

} // namespace

PageWords::PageWords(const std::vector<std::u32string>* keyedBeginnings)
    : m_keyedBeginnings(keyedBeginnings)
{
    if (!m_keyedBeginnings)
        return;
    for (const std::u32string& beginning : *m_keyedBeginnings) {
        // An empty beginning would key every word: its first character is any.
        if (beginning.empty())
            m_keyedBeginnings = nullptr;
        else if (m_firsts.find(beginning[0]) == std::u32string::npos)
            m_firsts += beginning[0];
    }
}

bool PageWords::reads(TextEncoding::Encoding encoding)
{
    return encoding == Encoding::Windows1251 || encoding == Encoding::Utf8;
}

qsizetype PageWords::count(const char* data, qsizetype size, TextEncoding::Encoding encoding,
                           WordQuery::Tally& tally, const std::atomic<bool>* cancel) const
{
    using namespace DocumentTextReader;
    WordInProgress word(m_keyedBeginnings, m_firsts, tally);
    const TextWords text(data, encoding, word);
    const qsizetype textBegin =
        encoding == Encoding::Utf8 && size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0 ? 3
                                                                                             : 0;
    const MarkupScanner<char> scanner(data, size);
    CancelLooks looks(cancel, textBegin);
    for (qsizetype at = textBegin; at < size;) {
        if (looks.stopsAt(at))
            return -1;
        const Segment segment = scanner.segmentAt(at);
        at = segment.end;
        // Inline tags and hidden markup (comments, the head, styles, scripts) go inside a word;
        // a block tag stands between words.
        if (segment.kind == SegmentKind::BlockTag)
            word.end();
        else if (segment.kind == SegmentKind::Text)
            text.read(segment.begin, segment.end, looks);
    }
    if (looks.isCancelled())
        return -1;
    word.end();
    return word.words();
}
