#include "compare/texttokens.h"

#include <QHash>

#include <algorithm>

namespace {

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber();
}

// Whether the sign at i joins the characters either side into one token: a hyphen between
// letters or digits, a dot, comma or slash between digits.
bool joins(QStringView text, qsizetype i)
{
    if (i == 0 || i + 1 >= text.size())
        return false;
    const QChar before = text[i - 1];
    const QChar after = text[i + 1];
    const QChar sign = text[i];
    if (sign == u'-')
        return isWordCharacter(before) && isWordCharacter(after);
    if (sign == u'.' || sign == u',' || sign == u'/')
        return before.isDigit() && after.isDigit();
    return false;
}

} // namespace

namespace TextTokens {

std::vector<TextToken> of(QStringView text)
{
    std::vector<TextToken> tokens;
    tokens.reserve(std::size_t(text.size() / 6));
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size) {
        const QChar c = text[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        bool word = false;
        if (isWordCharacter(c)) {
            word = true;
            ++i;
            while (i < size && (isWordCharacter(text[i]) || joins(text, i)))
                ++i;
        } else {
            ++i;
            // A surrogate pair is one sign.
            if (c.isHighSurrogate() && i < size && text[i].isLowSurrogate())
                ++i;
        }
        const QStringView token = text.mid(start, i - start);
        tokens.push_back({start, i - start, std::size_t(qHash(token)), word});
    }
    return tokens;
}

std::vector<std::size_t> wordBag(QStringView text, const std::vector<TextToken>& tokens)
{
    std::vector<std::size_t> bag;
    bag.reserve(tokens.size());
    QString word;
    for (const TextToken& token : tokens) {
        if (!token.word)
            continue;
        word = text.mid(token.start, token.length).toString().toLower();
        word.replace(u'ё', u'е');
        bag.push_back(std::size_t(qHash(word)));
    }
    std::sort(bag.begin(), bag.end());
    return bag;
}

} // namespace TextTokens
