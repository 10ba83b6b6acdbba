#include "norms/partreferences.h"

#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace {

using Option = QRegularExpression::PatternOption;

// The farthest a designation may stand after a reference in the same sentence.
constexpr qsizetype sentenceReach = 160;

struct Word
{
    QString addressPrefix; // as PartAddress reads it
    bool caption = false;  // the nominative that begins a caption: "Таблица 5.1 — ..."
};

std::optional<Word> wordOf(QStringView written)
{
    const QString word = written.toString().toLower();
    const bool capital = written.front().isUpper();
    const auto nominative = [&](QStringView form) { return capital && word == form; };
    if (word.startsWith(u"пп") || word.startsWith(u"п.") || word.startsWith(u"пункт"))
        return Word{QStringLiteral("п. "), nominative(u"пункт")};
    if (word.startsWith(u"табл"))
        return Word{QStringLiteral("табл. "), nominative(u"таблица")};
    if (word.startsWith(u"разд"))
        return Word{QStringLiteral("разд. "), nominative(u"раздел")};
    if (word.startsWith(u"прил"))
        return Word{QStringLiteral("прил. "), nominative(u"приложение")};
    if (word.startsWith(u"рис"))
        return Word{QStringLiteral("рис. "), nominative(u"рисунок")};
    return std::nullopt;
}

// Whether a sentence ends in [begin, end): a stop, a blank and a capital letter or a number,
// or a semicolon.
bool endsSentence(QStringView text, qsizetype begin, qsizetype end)
{
    for (qsizetype i = begin; i < end; ++i) {
        const QChar c = text[i];
        if (c == u';')
            return true;
        if (i + 2 >= text.size())
            break;
        // A new paragraph may begin with its number: "... по п. 1.2. 1.3 Бетон ...".
        if ((c == u'.' || c == u'!' || c == u'?') && text[i + 1].isSpace() &&
            (text[i + 2].isUpper() || text[i + 2].isDigit()))
            return true;
    }
    return false;
}

// Whether a reference's word may begin at at: no letter, digit or dot before it, and its first
// letters looked at before the expression is asked, as most places of a text begin no such
// word. Never false where the expression would match.
bool mayBeginWord(QStringView text, qsizetype at)
{
    const char16_t first = text[at].unicode();
    if (first != u'п' && first != u'т' && first != u'р' && first != u'П' && first != u'Т' &&
        first != u'Р')
        return false;
    if (at > 0) {
        const QChar before = text[at - 1];
        if (before.isLetter() || before.isDigit() || before == u'.')
            return false;
    }
    const auto lower = [&](qsizetype i) { return i < text.size() ? text[i].toLower() : QChar(); };
    switch (lower(at).unicode()) {
    case u'п': { // "п.", "пп.", "пункт", "прил."
        const QChar second = lower(at + 1);
        return second == u'.' || second == u'п' || second == u'у' ||
               (second == u'р' && lower(at + 2) == u'и' && lower(at + 3) == u'л');
    }
    case u'т': // "табл.", "таблица"
        return lower(at + 1) == u'а' && lower(at + 2) == u'б';
    case u'р': // "разд.", "раздел", "рис.", "рисунок"
        return (lower(at + 1) == u'а' && lower(at + 2) == u'з') ||
               (lower(at + 1) == u'и' && lower(at + 2) == u'с');
    default:
        return false;
    }
}

bool sameDocumentSaid(QStringView gap)
{
    return gap.contains(u"настоящ", Qt::CaseInsensitive) ||
           gap.contains(u"данного", Qt::CaseInsensitive);
}

bool onlyJoining(QStringView gap, qsizetype longest)
{
    if (gap.size() > longest)
        return false;
    for (const QChar c : gap)
        if (!c.isSpace() && c != u',' && c != u'(')
            return false;
    return true;
}

} // namespace

namespace PartReferences {

std::vector<PartReference> find(QStringView text, qsizetype from,
                                const QList<Designation>& designations)
{
    static const QRegularExpression word(
        QStringLiteral(R"((пп?\.|пункт(?:а|у|ом|е|ы|ов|ам|ами|ах)?|табл\.|)"
                       R"(таблиц(?:а|ы|е|у|ей|ею|ам|ами|ах)|разд\.|)"
                       R"(раздел(?:а|у|ом|е|ы|ов|ам|ами|ах)?|прил\.|)"
                       R"(приложени(?:е|я|ю|ем|и|й|ям|ями|ях)|рис\.|)"
                       R"(рисун(?:ок|ка|ку|ком|ке|ки|ков))(?![\p{L}])\s*(?:№\s*)?)"),
        Option::CaseInsensitiveOption | Option::UseUnicodePropertiesOption);
    // A number of a part, or an appendix's letter; nothing of a word or a designation goes on.
    static const QRegularExpression number(
        QStringLiteral(
            R"(\G(?:[А-ЯЁA-Z]\.)?\d{1,3}(?:\.\d{1,3}){0,5}(?![\d\p{L}]|\.\d|[-‐–]\d+[-‐–]\d)|)"
            R"(\G[А-ЯЁA-Z](?![\p{L}\d]))"),
        Option::UseUnicodePropertiesOption);
    static const QRegularExpression joiner(QStringLiteral(R"(\G\.?\s*(?:,|и|или|–|—|-|\.\.\.)\s*)"),
                                           Option::UseUnicodePropertiesOption);

    // Each expression is asked at one place, of a short piece of the text: asked of the whole
    // text, a match checks all of it for sound UTF-16 first (and, unanchored, looks through
    // it). No word or number of a reference is longer than the piece.
    const auto matchAt = [&](const QRegularExpression& expression, qsizetype at) {
        constexpr qsizetype piece = 64;
        return expression.match(text.sliced(at, std::min(piece, text.size() - at)), 0,
                                QRegularExpression::NormalMatch,
                                QRegularExpression::AnchorAtOffsetMatchOption);
    };
    std::vector<PartReference> found;
    // The designations are in the order of the text, none within another.
    const auto firstFrom = [&](qsizetype at) {
        return std::partition_point(designations.begin(), designations.end(),
                                    [at](const Designation& d) { return d.begin < at; }) -
               designations.begin();
    };
    const auto inDesignation = [&](qsizetype at) {
        const qsizetype before = firstFrom(at + 1) - 1;
        return before >= 0 && at < designations[before].end;
    };
    for (qsizetype at = from; at < text.size(); ++at) {
        if (!mayBeginWord(text, at))
            continue;
        const QRegularExpressionMatch match = matchAt(word, at);
        if (!match.hasMatch())
            continue;
        const qsizetype wordBegin = at;
        at += match.capturedEnd() - 1; // looked at again after the word, as a global match does
        if (inDesignation(wordBegin))
            continue;
        const std::optional<Word> meant = wordOf(match.capturedView(1));
        if (!meant)
            continue;
        // The numbers the word governs: "п. 5.2", "пп. 5.2, 5.3 и 5.4", "пп. 5.2–5.4".
        std::vector<PartReference> numbers;
        qsizetype next = wordBegin + match.capturedEnd();
        while (true) {
            const QRegularExpressionMatch written = matchAt(number, next);
            if (!written.hasMatch() || inDesignation(next))
                break;
            const std::optional<PartAddress> address =
                PartAddress::parse(meant->addressPrefix + written.captured());
            if (!address)
                break;
            const bool letterAlone =
                written.capturedLength() == 1 && written.captured().front().isLetter();
            if (letterAlone && address->kind() != PartAddress::Kind::Appendix)
                break;
            numbers.push_back(PartReference{*address, numbers.empty() ? wordBegin : next,
                                            next + written.capturedEnd(), -1});
            next += written.capturedEnd();
            const QRegularExpressionMatch joined = matchAt(joiner, next);
            if (!joined.hasMatch())
                break;
            next += joined.capturedEnd();
        }
        if (numbers.empty() || (meant->caption && numbers.size() == 1))
            continue;
        // The document they belong to.
        const qsizetype end = numbers.back().end;
        int bound = -1;
        if (const qsizetype after = firstFrom(end); after < designations.size()) {
            const QStringView gap = text.sliced(end, designations[after].begin - end);
            if (onlyJoining(gap, 2) ||
                (gap.size() <= sentenceReach &&
                 !endsSentence(text, end, designations[after].begin) && !sameDocumentSaid(gap)))
                bound = int(after);
        }
        if (bound < 0 || !onlyJoining(text.sliced(end, designations[bound].begin - end), 2)) {
            // One just before it, joined by a comma or a bracket, holds first.
            const qsizetype before = firstFrom(wordBegin) - 1;
            if (before >= 0 && designations[before].end >= 0 &&
                onlyJoining(
                    text.sliced(designations[before].end, wordBegin - designations[before].end), 4))
                bound = int(before);
        }
        for (PartReference& reference : numbers) {
            reference.designation = bound;
            found.push_back(reference);
        }
    }
    return found;
}

} // namespace PartReferences
