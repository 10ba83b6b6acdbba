#include "textmatcher.h"

TextMatcher::TextMatcher(const QString& context, const MatchOptions& options)
    : m_context(DocumentText::normalizedContext(context, options.caseSensitive)), m_options(options)
{
}

std::vector<TextMatcher::Occurrence> TextMatcher::find(const std::vector<DocumentText::Char>& text,
                                                       bool firstOnly) const
{
    std::vector<Occurrence> found;
    if (m_context.empty())
        return found;
    thread_local std::u32string folded;
    folded.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        folded[i] = DocumentText::folded(text[i].c, m_options.caseSensitive);
    const auto isWord = [&text](size_t i) { return DocumentText::isWordCharacter(text[i].c); };
    size_t from = 0;
    for (;;) {
        const size_t at = folded.find(m_context, from);
        if (at == std::u32string::npos)
            break;
        const size_t end = at + m_context.size();
        if (m_options.wholeWords &&
            ((at > 0 && isWord(at - 1)) || (end < text.size() && isWord(end)))) {
            from = at + 1;
            continue;
        }
        found.push_back({qsizetype(at), qsizetype(end)});
        if (firstOnly)
            break;
        from = end;
    }
    return found;
}
