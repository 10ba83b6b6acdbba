#include "namematcher.h"

#include <algorithm>

namespace {

bool isSeparator(QChar c)
{
    switch (c.unicode()) {
    case u' ':
    case u'\t':
    case u'\u00A0':
    case u'-':
    case u'\u2010':
    case u'\u2011':
    case u'\u2012':
    case u'\u2013':
    case u'\u2014':
    case u'\u2015':
    case u'\u2212':
    case u'.':
    case u',':
    case u'_':
    case u'/':
    case u'\\':
        return true;
    default:
        return false;
    }
}

// The Cyrillic letter a Latin one looks like, in lower case; ё as е.
QChar cyrillicLookAlike(QChar c)
{
    switch (c.unicode()) {
    case u'a':
        return u'а';
    case u'c':
        return u'с';
    case u'e':
        return u'е';
    case u'o':
        return u'о';
    case u'p':
        return u'р';
    case u'x':
        return u'х';
    case u'y':
        return u'у';
    case u'k':
        return u'к';
    case u'm':
        return u'м';
    case u't':
        return u'т';
    case u'h':
        return u'н';
    case u'b':
        return u'в';
    case u'ё': // "Емкости" finds "Ёмкости": the letter is written either way
        return u'е';
    default:
        return c;
    }
}

} // namespace

QString NameMatcher::folded(const QString& text, QList<qsizetype>* at)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // A soft hyphen is no separator and no letter: it is left out.
        if (isSeparator(c) || c == u'\u00AD')
            continue;
        out += cyrillicLookAlike(c.toLower());
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
