#pragma once

// Where a piece of markup ends, told unit by unit: the same rules for the reader that reads a
// page in one pass (TextReader) and for the scanner that looks at it from any place
// (DocumentTextReader::MarkupScanner).
#include <cstring>

namespace MarkupEnd {

// The first unit from at on (before end) that is one of stops; end when none is.
template <typename Unit, typename... Stops>
long long findAny(const Unit* data, long long at, long long end, Stops... stops)
{
    if constexpr (sizeof(Unit) == 1 && sizeof...(Stops) == 1) {
        const void* hit =
            at < end ? std::memchr(data + at, int(stops...), size_t(end - at)) : nullptr;
        return hit ? static_cast<const Unit*>(hit) - data : end;
    } else {
        for (; at < end; ++at) {
            const unsigned u = static_cast<unsigned>(data[at]) & (sizeof(Unit) == 1 ? 0xFFu : ~0u);
            if (((u == unsigned(stops)) || ...))
                return at;
        }
        return end;
    }
}

inline bool isTagBlank(unsigned c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The rest of a tag after its name: it ends at the first ">" outside a quoted attribute value.
class Tag
{
public:
    // How many units from at on (before end) would leave the tag where it is, stepped one by
    // one: the rest of a quoted value up to its quote. The long values of styles are passed
    // over at once.
    template <typename Unit> long long quiet(const Unit* data, long long at, long long end) const
    {
        if (m_state == State::Quoted)
            return findAny(data, at, end, m_quote) - at;
        // The rest of an attribute's name, or of a value without quotes.
        const bool inName = m_state == State::Attributes && m_attribute == Name;
        if (!inName && m_state != State::Unquoted)
            return 0;
        long long i = at;
        for (; i < end; ++i) {
            const unsigned u = static_cast<unsigned>(data[i]) & (sizeof(Unit) == 1 ? 0xFFu : ~0u);
            if (u <= ' ' || u == '>' || (inName && (u == '/' || u == '=')))
                break;
        }
        return i - at;
    }

    // Whether u (the next unit) is the ">" that ends the tag.
    bool step(unsigned u)
    {
        switch (m_state) {
        case State::Attributes:
            if (u == '>')
                return true;
            if (isTagBlank(u))
                m_attribute = m_attribute == Name ? AfterName : m_attribute;
            else if (u == '/')
                m_attribute = None;
            else if (u == '=' && m_attribute != None)
                m_state = State::ValueStart;
            else
                m_attribute = Name;
            return false;
        case State::ValueStart:
            if (u == '"' || u == '\'') {
                m_quote = u;
                m_state = State::Quoted;
            } else if (u == '>') {
                return true;
            } else if (!isTagBlank(u)) {
                m_state = State::Unquoted;
            }
            return false;
        case State::Quoted:
            if (u == m_quote)
                afterValue();
            return false;
        case State::Unquoted:
            if (u == '>')
                return true;
            if (isTagBlank(u))
                afterValue();
            return false;
        }
        return false;
    }

private:
    enum class State
    {
        Attributes,
        ValueStart,
        Quoted,
        Unquoted,
    };
    enum Attribute
    {
        None,      // before an attribute's name
        Name,      // in it
        AfterName, // in the blanks after it
    };

    void afterValue()
    {
        m_attribute = None;
        m_state = State::Attributes;
    }

    State m_state = State::Attributes;
    Attribute m_attribute = None;
    unsigned m_quote = 0;
};

// The rest of a comment after its "<!--": it ends at "-->" or "--!>"; "<!-->" and "<!--->" are
// whole comments.
class Comment
{
public:
    // How many units from at on (before end) would leave the comment where it is: once its
    // first units are read, a run without "-", "!" or ">" changes nothing.
    template <typename Unit> long long quiet(const Unit* data, long long at, long long end) const
    {
        if (m_dashes != 0 || m_bang || m_length < 2)
            return 0;
        return findAny(data, at, end, '-', '!', '>') - at;
    }

    // Whether u (the next unit) is the ">" that ends the comment.
    bool step(unsigned u)
    {
        bool ends = false;
        if (u == '-') {
            m_dashes = m_bang ? 1 : (m_dashes < 2 ? m_dashes + 1 : 2);
            m_bang = false;
        } else if (u == '!' && m_dashes >= 2 && !m_bang) {
            m_bang = true;
        } else {
            ends = u == '>' && (m_dashes >= 2 || m_length == 0 || (m_length == 1 && m_dashes == 1));
            m_dashes = 0;
            m_bang = false;
        }
        m_length = m_length < 2 ? m_length + 1 : 2;
        return ends;
    }

private:
    int m_dashes = 0;
    int m_length = 0; // units read, up to two
    bool m_bang = false;
};

} // namespace MarkupEnd
