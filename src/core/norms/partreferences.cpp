#include "norms/partreferences.h"

#include <QRegularExpression>

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
        QStringLiteral(R"((?<![\p{L}\d.])(пп?\.|пункт(?:а|у|ом|е|ы|ов|ам|ами|ах)?|табл\.|)"
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

    std::vector<PartReference> found;
    const auto inDesignation = [&](qsizetype at) {
        for (const Designation& designation : designations)
            if (at >= designation.begin && at < designation.end)
                return true;
        return false;
    };
    QRegularExpressionMatchIterator words = word.globalMatch(text, from);
    while (words.hasNext()) {
        const QRegularExpressionMatch match = words.next();
        const qsizetype wordBegin = match.capturedStart();
        if (inDesignation(wordBegin))
            continue;
        const std::optional<Word> meant = wordOf(match.capturedView(1));
        if (!meant)
            continue;
        // The numbers the word governs: "п. 5.2", "пп. 5.2, 5.3 и 5.4", "пп. 5.2–5.4".
        std::vector<PartReference> numbers;
        qsizetype at = match.capturedEnd();
        while (true) {
            const QRegularExpressionMatch written = number.match(text, at);
            if (!written.hasMatch() || inDesignation(written.capturedStart()))
                break;
            const std::optional<PartAddress> address =
                PartAddress::parse(meant->addressPrefix + written.captured());
            if (!address)
                break;
            const bool letterAlone =
                written.capturedLength() == 1 && written.captured().front().isLetter();
            if (letterAlone && address->kind() != PartAddress::Kind::Appendix)
                break;
            numbers.push_back(PartReference{*address,
                                            numbers.empty() ? wordBegin : written.capturedStart(),
                                            written.capturedEnd(), -1});
            at = written.capturedEnd();
            const QRegularExpressionMatch joined = joiner.match(text, at);
            if (!joined.hasMatch())
                break;
            at = joined.capturedEnd();
        }
        if (numbers.empty() || (meant->caption && numbers.size() == 1))
            continue;
        // The document they belong to.
        const qsizetype end = numbers.back().end;
        int bound = -1;
        for (qsizetype i = 0; i < designations.size(); ++i) {
            const Designation& designation = designations[i];
            if (designation.begin >= end) {
                const QStringView gap = text.sliced(end, designation.begin - end);
                if (onlyJoining(gap, 2) ||
                    (gap.size() <= sentenceReach && !endsSentence(text, end, designation.begin) &&
                     !sameDocumentSaid(gap)))
                    bound = int(i);
                break;
            }
        }
        if (bound < 0 || !onlyJoining(text.sliced(end, designations[bound].begin - end), 2)) {
            // One just before it, joined by a comma or a bracket, holds first.
            for (qsizetype i = designations.size(); i-- > 0;) {
                const Designation& designation = designations[i];
                if (designation.end <= wordBegin && designation.end >= 0) {
                    if (onlyJoining(text.sliced(designation.end, wordBegin - designation.end), 4))
                        bound = int(i);
                    break;
                }
            }
        }
        for (PartReference& reference : numbers) {
            reference.designation = bound;
            found.push_back(reference);
        }
    }
    return found;
}

} // namespace PartReferences
