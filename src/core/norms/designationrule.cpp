#include "norms/designationrule.h"

#include "text/characterrules.h"
#include "text/looseletters.h"

#include <QChar>
#include <QHash>

#include <algorithm>
#include <vector>

namespace {

// A kind of document: how it may be written, the name it is known by, whether its years
// may be written with two digits ("ВСН 57-88"), whether it may stand with a year alone
// ("ФСНБ-2022"). A kind is added with one line.
struct Kind
{
    const char16_t* written;
    const char16_t* name;
    bool shortYears;
    bool yearAlone;
};

constexpr Kind kindTable[] = {
    {u"ГОСТ Р ИСО", u"ГОСТ Р ИСО", true, false},
    {u"ГОСТ Р ISO", u"ГОСТ Р ИСО", true, false},
    {u"ГОСТ Р МЭК", u"ГОСТ Р МЭК", true, false},
    {u"ГОСТ Р IEC", u"ГОСТ Р МЭК", true, false},
    {u"ГОСТ Р EN", u"ГОСТ Р EN", true, false},
    {u"ГОСТ Р ЕН", u"ГОСТ Р EN", true, false},
    {u"ГОСТ ИСО", u"ГОСТ ИСО", true, false},
    {u"ГОСТ ISO", u"ГОСТ ИСО", true, false},
    {u"ГОСТ МЭК", u"ГОСТ МЭК", true, false},
    {u"ГОСТ IEC", u"ГОСТ МЭК", true, false},
    {u"ГОСТ EN", u"ГОСТ EN", true, false},
    {u"ГОСТ ЕН", u"ГОСТ EN", true, false},
    {u"ГОСТ Р", u"ГОСТ Р", true, false},
    {u"ГОСТ", u"ГОСТ", true, false},
    {u"ИСО", u"ISO", true, false},
    {u"ISO", u"ISO", true, false},
    {u"EN", u"EN", true, false},
    {u"МЭК", u"МЭК", true, false},
    {u"IEC", u"МЭК", true, false},
    {u"СП", u"СП", true, false},
    {u"СНиП", u"СНиП", true, false},
    {u"ГЭСНмр", u"ГЭСНмр", false, true},
    {u"ГЭСНм", u"ГЭСНм", false, true},
    {u"ГЭСНп", u"ГЭСНп", false, true},
    {u"ГЭСНр", u"ГЭСНр", false, true},
    {u"ГЭСН", u"ГЭСН", false, true},
    {u"ФЕРмр", u"ФЕРмр", false, true},
    {u"ФЕРм", u"ФЕРм", false, true},
    {u"ФЕРп", u"ФЕРп", false, true},
    {u"ФЕРр", u"ФЕРр", false, true},
    {u"ФЕР", u"ФЕР", false, true},
    {u"ТЕРмр", u"ТЕРмр", false, true},
    {u"ТЕРм", u"ТЕРм", false, true},
    {u"ТЕРп", u"ТЕРп", false, true},
    {u"ТЕРр", u"ТЕРр", false, true},
    {u"ТЕР", u"ТЕР", false, true},
    {u"ФССЦ", u"ФССЦ", false, true},
    {u"ФСНБ", u"ФСНБ", false, true},
    {u"ФСЭМ", u"ФСЭМ", false, true},
    {u"ТССЦ", u"ТССЦ", false, true},
    {u"ТСЭМ", u"ТСЭМ", false, true},
    {u"МДС", u"МДС", false, false},
    {u"РД", u"РД", true, false},
    {u"ВСН", u"ВСН", true, false},
    {u"СН", u"СН", true, false},
    {u"СанПиН", u"СанПиН", true, false},
    {u"СТО", u"СТО", true, false},
    {u"ТСН", u"ТСН", true, false},
    {u"ТР ТС", u"ТР ТС", true, false},
    {u"ТР ЕАЭС", u"ТР ЕАЭС", true, false},
    {u"НПБ", u"НПБ", true, false},
    {u"ПБ", u"ПБ", true, false},
    {u"ТУ", u"ТУ", true, false},
    {u"ГН", u"ГН", true, false},
    {u"ОДМ", u"ОДМ", true, false},
};

struct FoldedKind
{
    QString pattern; // folded; a blank stands for any run of blanks, or none
    const Kind* kind;
};

QString foldedText(QStringView text)
{
    QString out;
    for (const QChar c : text)
        out += QChar(char16_t(LooseLetters::folded(c.unicode())));
    return out;
}

// The kinds, longest first, so that "ГОСТ Р" is tried before "ГОСТ".
const std::vector<FoldedKind>& foldedKinds()
{
    static const std::vector<FoldedKind> kinds = [] {
        std::vector<FoldedKind> out;
        for (const Kind& kind : kindTable)
            out.push_back({foldedText(QStringView(kind.written)), &kind});
        std::stable_sort(out.begin(), out.end(), [](const FoldedKind& a, const FoldedKind& b) {
            return a.pattern.size() > b.pattern.size();
        });
        return out;
    }();
    return kinds;
}

bool isBlank(QChar c)
{
    return CharacterRules::isBlank(c.unicode());
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isRomanDigit(QChar c)
{
    return c == u'I' || c == u'V' || c == u'X' || c == u'i' || c == u'v' || c == u'x';
}

bool isNumberSeparator(QChar c)
{
    return c == u'.' || c == u'/' || c == u':' || LooseLetters::isDash(c.unicode());
}

// Where the kind's pattern written at at ends; -1 when it is not there.
qsizetype kindEnd(QStringView text, qsizetype at, const QString& pattern)
{
    qsizetype j = at;
    for (const QChar p : pattern) {
        if (p == u' ') {
            while (j < text.size() && isBlank(text[j]))
                ++j;
            continue;
        }
        if (j >= text.size() || QChar(char16_t(LooseLetters::folded(text[j].unicode()))) != p)
            return -1;
        ++j;
    }
    return j;
}

struct Group
{
    qsizetype begin;
    qsizetype end;
};

int yearOf(QStringView digits, bool shortYears, QChar separator)
{
    const int value = digits.toInt();
    if (digits.size() == 4 && value >= 1900 && value <= 2099)
        return value;
    if (digits.size() == 2 && shortYears && LooseLetters::isDash(separator.unicode()))
        return value >= 30 ? 1900 + value : 2000 + value;
    return 0;
}

QString normalizedSeparators(QStringView text)
{
    QString out = text.toString();
    for (QChar& c : out) {
        if (LooseLetters::isDash(c.unicode()))
            c = u'-';
    }
    return out;
}

// A note of changes just after a designation: "(с изм. № 1)", "с изменениями".
QString amendmentAt(QStringView text, qsizetype at)
{
    while (at < text.size() && (isBlank(text[at]) || text[at] == u'(' || text[at] == u','))
        ++at;
    const QString ahead = foldedText(text.mid(at, 48));
    if (!ahead.startsWith(u"с изм") && !ahead.startsWith(u"изм"))
        return {};
    qsizetype end = 0;
    while (end < ahead.size() && ahead[end] != u')' && ahead[end] != u';' && ahead[end] != u'\n')
        ++end;
    return text.mid(at, end).toString().trimmed();
}

// The designation of kind whose kind ends at at, when a number follows it.
bool readNumber(QStringView text, qsizetype at, const Kind& kind, Designation* out)
{
    qsizetype p = at;
    for (int blanks = 0; p < text.size() && isBlank(text[p]) && blanks < 3; ++blanks)
        ++p;
    QChar joinedBy; // a dash between the kind and its year alone
    if (kind.yearAlone && p < text.size() && LooseLetters::isDash(text[p].unicode())) {
        joinedBy = u'-';
        ++p;
    }
    std::vector<Group> groups;
    std::vector<QChar> separators; // before each group but the first
    for (;;) {
        qsizetype q = p;
        while (q < text.size() && isDigit(text[q]))
            ++q;
        if (q == p && groups.empty() && joinedBy.isNull()) {
            // An old number of Roman parts: "СНиП II-23-81*".
            while (q < text.size() && isRomanDigit(text[q]) && q - p < 4)
                ++q;
            if (q == p || q + 1 >= text.size() || !LooseLetters::isDash(text[q].unicode()) ||
                !isDigit(text[q + 1]))
                return false;
        }
        // Longer than any number of a document: a table of figures, not a designation.
        if (q == p || q - p > 12 || groups.size() == 10)
            return false;
        groups.push_back({p, q});
        if (q + 1 < text.size() && isNumberSeparator(text[q]) && isDigit(text[q + 1])) {
            separators.push_back(text[q]);
            p = q + 1;
            continue;
        }
        p = q;
        break;
    }
    if (!joinedBy.isNull() && groups.size() > 1)
        return false;
    bool starred = false;
    while (p < text.size() && text[p] == u'*') {
        starred = true;
        ++p;
    }
    if (p < text.size() && text[p].isLetterOrNumber())
        return false; // a word goes on: "ТУ-154М"
    if (p + 1 < text.size() && LooseLetters::isDash(text[p].unicode()) && text[p + 1].isLetter())
        return false; // an ordinal: "в ту 2-ю смену"

    Designation found;
    found.kind = QString::fromUtf16(kind.name);
    const Group last = groups.back();
    const QStringView lastDigits = text.sliced(last.begin, last.end - last.begin);
    const int yearAlone = groups.size() == 1 && kind.yearAlone ? yearOf(lastDigits, false, {}) : 0;
    if (!joinedBy.isNull() && yearAlone == 0)
        return false;
    if (yearAlone) { // "ФСНБ-2022", "ФЕР 2001": the base of that year
        found.edition = yearAlone;
        found.writtenYear = (joinedBy.isNull() ? u' ' : u'-') + lastDigits.toString();
    } else {
        const QChar separator = groups.size() > 1 ? separators.back() : QChar();
        if (groups.size() > 1 && separator != u'/')
            found.edition = yearOf(lastDigits, kind.shortYears, separator);
        const qsizetype numberEnd =
            found.edition ? groups[groups.size() - 2].end : groups.back().end;
        found.number = normalizedSeparators(
            text.sliced(groups.front().begin, numberEnd - groups.front().begin));
        // An old number's Roman part as it is printed: "СНиП II-23-81*" whatever the case.
        for (qsizetype i = 0; i < found.number.size() && isRomanDigit(found.number[i]); ++i)
            found.number[i] = found.number[i].toUpper();
        if (found.edition)
            found.writtenYear = normalizedSeparators(text.sliced(numberEnd, last.end - numberEnd));
    }
    found.starred = starred;
    found.end = p;
    found.amendment = amendmentAt(text, p);
    *out = found;
    return true;
}

// The kinds by the folded first letter of their pattern.
const QHash<char16_t, std::vector<const FoldedKind*>>& kindsByFirstLetter()
{
    static const QHash<char16_t, std::vector<const FoldedKind*>> byFirst = [] {
        QHash<char16_t, std::vector<const FoldedKind*>> out;
        for (const FoldedKind& kind : foldedKinds())
            out[kind.pattern.front().unicode()].push_back(&kind);
        return out;
    }();
    return byFirst;
}

// Whether a kind may begin with the character: most places of a text are left at once.
bool mayBeginKind(QChar c)
{
    static const std::vector<bool> first = [] {
        std::vector<bool> out(0x10000, false);
        for (char32_t u = 0; u < 0x10000; ++u)
            out[u] = kindsByFirstLetter().contains(char16_t(LooseLetters::folded(u)));
        return out;
    }();
    return first[c.unicode()];
}

// The designation beginning at at, if one does.
bool readAt(QStringView text, qsizetype at, Designation* out)
{
    const auto kinds =
        kindsByFirstLetter().constFind(char16_t(LooseLetters::folded(text[at].unicode())));
    if (kinds == kindsByFirstLetter().constEnd())
        return false;
    for (const FoldedKind* kind : *kinds) {
        const qsizetype end = kindEnd(text, at, kind->pattern);
        if (end < 0 || (end < text.size() && text[end].isLetter()))
            continue;
        if (readNumber(text, end, *kind->kind, out)) {
            out->begin = at;
            return true;
        }
    }
    return false;
}

} // namespace

namespace DesignationRule {

QList<Designation> find(QStringView text, qsizetype from)
{
    // A designation holds a digit within this many characters of its start ("ГОСТ Р ИСО",
    // blanks and a Roman part before it): stretches of text far from any digit are skipped.
    constexpr qsizetype reach = 24;
    QList<Designation> out;
    qsizetype digit = from; // the next digit at or after at
    for (qsizetype at = from; at < text.size(); ++at) {
        if (digit < at) {
            digit = at;
            while (digit < text.size() && !isDigit(text[digit]))
                ++digit;
        }
        if (digit >= text.size())
            break;
        if (digit - at > reach) {
            at = digit - reach - 1;
            continue;
        }
        if (!mayBeginKind(text[at]) || (at > 0 && text[at - 1].isLetterOrNumber()))
            continue;
        Designation found;
        if (readAt(text, at, &found)) {
            out.append(found);
            at = found.end - 1;
        }
    }
    return out;
}

Designation parse(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    Designation found;
    if (!readAt(trimmed, 0, &found) || found.end != trimmed.size())
        return {};
    return found;
}

} // namespace DesignationRule
