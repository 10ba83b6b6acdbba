#include "matching/namematcher.h"

#include "text/characterrules.h"
#include "text/looseletters.h"

#include <QHash>

#include <algorithm>

namespace {

// Where a group of digits ends inside a folded text: "2.01.07" is "2", this, "01", this, "07".
constexpr char16_t GroupEnd = u'\u001F';

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isLatin(QChar c)
{
    const char16_t u = QChar::toLower(c.unicode());
    return u >= u'a' && u <= u'z';
}

} // namespace

QString NameMatcher::folded(const QString& text, QList<qsizetype>* at)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        // A soft hyphen or an accent is no separator and no letter: it is left out.
        if (CharacterRules::isIgnorable(c))
            continue;
        if (LooseLetters::isSeparator(c)) {
            // Between two digits, a separator ends a group of digits.
            qsizetype next = i + 1;
            while (next < text.size() && (LooseLetters::isSeparator(text.at(next).unicode()) ||
                                          CharacterRules::isIgnorable(text.at(next).unicode())))
                ++next;
            if (!out.isEmpty() && isDigit(out.back()) && next < text.size() &&
                isDigit(text.at(next))) {
                out += QChar(GroupEnd);
                if (at)
                    at->append(i);
            }
            i = next - 1;
            continue;
        }
        out += QChar(char16_t(LooseLetters::folded(c)));
        if (at)
            at->append(i);
    }
    return out;
}

QString NameMatcher::fromLatinLayout(const QString& word)
{
    static const QString latin = QStringLiteral("qwertyuiop[]asdfghjkl;'zxcvbnm,.`");
    static const QString russian = QStringLiteral("йцукенгшщзхъфывапролджэячсмитьбюё");
    if (!std::any_of(word.begin(), word.end(), isLatin))
        return word;
    QString out;
    for (qsizetype i = 0; i < word.size(); ++i) {
        const QChar c = word.at(i);
        const qsizetype key = latin.indexOf(c.toLower());
        // The keys of punctuation are letters only beside letters: "3.05" keeps its dot.
        const bool besideLetter =
            (i > 0 && isLatin(word.at(i - 1))) || (i + 1 < word.size() && isLatin(word.at(i + 1)));
        if (key >= 0 && (isLatin(c) || besideLetter))
            out += russian.at(key);
        else
            out += c;
    }
    return out;
}

QString NameMatcher::fromLatinSpelling(const QString& word)
{
    static const QList<QPair<QString, QString>> spellings = {
        {QStringLiteral("shch"), QStringLiteral("щ")}, {QStringLiteral("sch"), QStringLiteral("щ")},
        {QStringLiteral("sh"), QStringLiteral("ш")},   {QStringLiteral("ch"), QStringLiteral("ч")},
        {QStringLiteral("zh"), QStringLiteral("ж")},   {QStringLiteral("kh"), QStringLiteral("х")},
        {QStringLiteral("ts"), QStringLiteral("ц")},   {QStringLiteral("ya"), QStringLiteral("я")},
        {QStringLiteral("yu"), QStringLiteral("ю")},   {QStringLiteral("yo"), QStringLiteral("ё")},
        {QStringLiteral("a"), QStringLiteral("а")},    {QStringLiteral("b"), QStringLiteral("б")},
        {QStringLiteral("c"), QStringLiteral("ц")},    {QStringLiteral("d"), QStringLiteral("д")},
        {QStringLiteral("e"), QStringLiteral("е")},    {QStringLiteral("f"), QStringLiteral("ф")},
        {QStringLiteral("g"), QStringLiteral("г")},    {QStringLiteral("h"), QStringLiteral("х")},
        {QStringLiteral("i"), QStringLiteral("и")},    {QStringLiteral("j"), QStringLiteral("й")},
        {QStringLiteral("k"), QStringLiteral("к")},    {QStringLiteral("l"), QStringLiteral("л")},
        {QStringLiteral("m"), QStringLiteral("м")},    {QStringLiteral("n"), QStringLiteral("н")},
        {QStringLiteral("o"), QStringLiteral("о")},    {QStringLiteral("p"), QStringLiteral("п")},
        {QStringLiteral("q"), QStringLiteral("к")},    {QStringLiteral("r"), QStringLiteral("р")},
        {QStringLiteral("s"), QStringLiteral("с")},    {QStringLiteral("t"), QStringLiteral("т")},
        {QStringLiteral("u"), QStringLiteral("у")},    {QStringLiteral("v"), QStringLiteral("в")},
        {QStringLiteral("w"), QStringLiteral("в")},    {QStringLiteral("x"), QStringLiteral("кс")},
        {QStringLiteral("y"), QStringLiteral("ы")},    {QStringLiteral("z"), QStringLiteral("з")},
    };
    const QString lower = word.toLower();
    QString out;
    for (qsizetype i = 0; i < lower.size();) {
        bool spelled = false;
        for (const auto& [written, letter] : spellings) {
            if (QStringView(lower).mid(i).startsWith(written)) {
                out += letter;
                i += written.size();
                spelled = true;
                break;
            }
        }
        if (!spelled)
            out += lower.at(i++);
    }
    return out;
}

NameMatcher::NameMatcher(const QString& typed)
{
    for (const QString& word : typed.split(QChar(u' '), Qt::SkipEmptyParts)) {
        QStringList forms;
        const auto add = [&forms](const QString& form) {
            const QString kept = folded(form);
            if (!kept.isEmpty() && !forms.contains(kept))
                forms.append(kept);
        };
        add(word);
        if (std::any_of(word.begin(), word.end(), isLatin)) {
            add(fromLatinLayout(word));
            const QString spelled = fromLatinSpelling(word);
            add(spelled);
            add(QString(spelled).replace(u'е', u'э')); // "GESN" is "ГЭСН"
        }
        if (!forms.isEmpty())
            m_words.append(forms);
    }
}

qsizetype NameMatcher::find(const QString& text, const QString& word, qsizetype from)
{
    const bool digitFirst = isDigit(word.front());
    const bool digitLast = isDigit(word.back());
    for (qsizetype at = text.indexOf(word, from); at >= 0; at = text.indexOf(word, at + 1)) {
        const qsizetype end = at + word.size();
        if (digitFirst && at > 0 && isDigit(text.at(at - 1)))
            continue; // inside a group of digits
        if (digitLast && end < text.size() && isDigit(text.at(end)))
            continue;
        return at;
    }
    return -1;
}

bool NameMatcher::matchesFolded(const QString& foldedCaption, const QString& foldedFileName) const
{
    if (m_words.isEmpty())
        return false;
    return std::all_of(m_words.begin(), m_words.end(), [&](const QStringList& forms) {
        return std::any_of(forms.begin(), forms.end(), [&](const QString& form) {
            return find(foldedCaption, form) >= 0 || find(foldedFileName, form) >= 0;
        });
    });
}

bool NameMatcher::beginsFolded(const QString& foldedCaption) const
{
    // Each word as typed or as meant, in the order typed, from the caption's start on.
    qsizetype at = 0;
    for (const QStringList& forms : m_words) {
        const auto form = std::find_if(forms.begin(), forms.end(), [&](const QString& word) {
            if (!QStringView(foldedCaption).mid(at).startsWith(word))
                return false;
            const qsizetype end = at + word.size();
            return !(isDigit(word.back()) && end < foldedCaption.size() &&
                     isDigit(foldedCaption.at(end)));
        });
        if (form == forms.end())
            return false;
        at += form->size();
        if (at < foldedCaption.size() && foldedCaption.at(at) == QChar(GroupEnd))
            ++at; // "06" then "01" of "06-01"
    }
    return !m_words.isEmpty();
}

bool NameMatcher::matches(const QString& caption, const QString& fileName) const
{
    return matchesFolded(folded(caption), folded(fileName));
}

QList<QPair<qsizetype, qsizetype>> NameMatcher::marks(const QString& caption) const
{
    QList<qsizetype> at;
    const QString inCaption = folded(caption, &at);
    QList<QPair<qsizetype, qsizetype>> ranges;
    for (const QStringList& forms : m_words) {
        for (const QString& word : forms) {
            for (qsizetype from = find(inCaption, word); from >= 0;
                 from = find(inCaption, word, from + 1))
                ranges.append({at[from], at[from + word.size() - 1] + 1});
        }
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
