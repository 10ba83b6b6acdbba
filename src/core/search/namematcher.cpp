#include "namematcher.h"

#include "characterrules.h"
#include "looseletters.h"

#include <algorithm>

QString NameMatcher::folded(const QString& text, QList<qsizetype>* at)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        // A soft hyphen or an accent is no separator and no letter: it is left out.
        if (LooseLetters::isSeparator(c) || CharacterRules::isIgnorable(c))
            continue;
        out += QChar(char16_t(LooseLetters::folded(c)));
        if (at)
            at->append(i);
    }
    return out;
}

NameMatcher::NameMatcher(const QString& typed)
{
    for (const QString& word : typed.split(QChar(u' '), Qt::SkipEmptyParts)) {
        const QString kept = folded(word);
        if (!kept.isEmpty())
            m_words.append(kept);
    }
}

bool NameMatcher::matches(const QString& caption, const QString& fileName) const
{
    if (m_words.isEmpty())
        return false;
    const QString inCaption = folded(caption);
    const QString inFileName = folded(fileName);
    return std::all_of(m_words.begin(), m_words.end(), [&](const QString& word) {
        return inCaption.contains(word) || inFileName.contains(word);
    });
}

QList<QPair<qsizetype, qsizetype>> NameMatcher::marks(const QString& caption) const
{
    QList<qsizetype> at;
    const QString inCaption = folded(caption, &at);
    QList<QPair<qsizetype, qsizetype>> ranges;
    for (const QString& word : m_words) {
        for (qsizetype from = inCaption.indexOf(word); from >= 0;
             from = inCaption.indexOf(word, from + 1))
            ranges.append({at[from], at[from + word.size() - 1] + 1});
    }
    std::sort(ranges.begin(), ranges.end());
    QList<QPair<qsizetype, qsizetype>> joined;
    for (const auto& range : std::as_const(ranges)) {
        if (!joined.isEmpty() && range.first <= joined.last().second)
            joined.last().second = std::max(joined.last().second, range.second);
        else
            joined.append(range);
    }
    return joined;
}
