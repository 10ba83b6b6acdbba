#include "norms/documentstructure.h"

#include "norms/designationrule.h"
#include "pdf/pdftext.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

using Kind = DocumentPart::Kind;
using Option = QRegularExpression::PatternOption;

// Latin letters written for Cyrillic ones in appendix letters: "Приложение A" is "А".
QString cyrillicLetter(const QString& letter)
{
    static const QString latin = QStringLiteral("ABCEHKMOPTXY");
    static const QString cyrillic = QStringLiteral("АВСЕНКМОРТХУ");
    QString out = letter.toUpper();
    for (QChar& c : out) {
        const qsizetype at = latin.indexOf(c);
        if (at >= 0)
            c = cyrillic.at(at);
    }
    return out.replace(QChar(u'Ё'), QChar(u'Е'));
}

QString folded(const QString& text)
{
    QString out = text.toLower();
    out.replace(QChar(u'ё'), QChar(u'е'));
    return out;
}

const QRegularExpression& numbered()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(?:([А-ЯЁA-Z])\.)?(\d{1,2}(?:\.\d{1,3}){0,5})(\.?)(?=\s|$)\s*(.*)$)"),
        Option::DotMatchesEverythingOption);
    return pattern;
}

const QRegularExpression& appendix()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^приложени[ея]\s+([А-ЯЁA-Z]|\d{1,2})(?![\p{L}\d])\.?\s*(.*)$)"),
        Option::CaseInsensitiveOption | Option::DotMatchesEverythingOption);
    return pattern;
}

const QRegularExpression& estimateTable()
{
    static const QRegularExpression pattern(
        QStringLiteral(
            R"(^(?:таблица\s+(?:№\s*)?)?(?:ГЭСН|ФЕР|ТЕР)[мрп]?\s+(\d{2}-\d{2}-\d{3})(?![\d\p{L}-])\s*(.*)$)"),
        Option::CaseInsensitiveOption | Option::DotMatchesEverythingOption);
    return pattern;
}

const QRegularExpression& estimateItem()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(?:(?:ГЭСН|ФЕР|ТЕР)[мрп]?\s*)?(\d{2}-\d{2}-\d{3})-(\d{2})$)"));
    return pattern;
}

const QRegularExpression& table()
{
    static const QRegularExpression pattern(
        QStringLiteral(
            R"(^таблица\s+(?:№\s*)?((?:[А-ЯЁA-Z]\.)?\d{1,3}(?:\.\d{1,3}){0,3})(?![\p{L}\d])\.?\s*(.*)$)"),
        Option::CaseInsensitiveOption | Option::DotMatchesEverythingOption);
    return pattern;
}

const QRegularExpression& figure()
{
    static const QRegularExpression pattern(
        QStringLiteral(
            R"(^(?:рисунок|рис\.)\s*((?:[А-ЯЁA-Z]\.)?\d{1,3}(?:\.\d{1,3}){0,3})(?![\p{L}\d])\.?\s*(.*)$)"),
        Option::CaseInsensitiveOption | Option::DotMatchesEverythingOption);
    return pattern;
}

const QRegularExpression& sectionWord()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(?:раздел|отдел|глава)\s+(\d{1,2}|[IVX]{1,5})(?![\p{L}\d])\.?\s*(.*)$)"),
        Option::CaseInsensitiveOption | Option::DotMatchesEverythingOption);
    return pattern;
}

const QRegularExpression& appendixNote()
{
    static const QRegularExpression pattern(
        QStringLiteral(
            R"(^\(?\s*(?:обязательное|рекомендуемое|справочное|информационное)\s*\)?\.?\s*)"),
        Option::CaseInsensitiveOption);
    return pattern;
}

// A line of a table of contents written out: the part's name and its page ("5.2 Бетон .... 12").
bool looksLikeContentsLine(const QString& text)
{
    qsizetype at = text.size();
    while (at > 0 && text.at(at - 1).isDigit())
        --at;
    if (at == text.size() || text.size() - at > 4)
        return false;
    while (at > 0 && text.at(at - 1) == u' ')
        --at;
    const auto leaderOf = [&](char16_t c, int least) {
        int count = 0;
        while (at > 0 && text.at(at - 1) == c) {
            --at;
            ++count;
        }
        return count >= least;
    };
    return leaderOf(u'.', 3) || leaderOf(u'…', 1) || leaderOf(u'_', 3);
}

bool endsWithPageNumber(const QString& text)
{
    static const QRegularExpression page(QStringLiteral(R"(\s\d{1,4}$)"));
    return page.match(text).hasMatch() && !text.endsWith(QLatin1Char('.'));
}

// Headings without a number that stand at the top of a norm.
enum class TopWord
{
    None,
    Part,     // a part at the top: its numbers go on from before
    Contents, // the table of contents: its lines are no parts
    Preface,  // a preface: its numbered paragraphs are no clauses
};

TopWord topWord(const QString& text)
{
    if (text.size() > 40)
        return TopWord::None;
    QString word = folded(text);
    while (word.endsWith(QLatin1Char('.')) || word.endsWith(QLatin1Char(':')))
        word.chop(1);
    word = word.simplified();
    if (word == u"содержание" || word == u"оглавление")
        return TopWord::Contents;
    if (word == u"предисловие" || word == u"сведения о своде правил" ||
        word == u"сведения о стандарте" || word == u"сведения о документе")
        return TopWord::Preface;
    if (word == u"введение" || word == u"библиография" || word == u"техническая часть" ||
        word == u"общие положения" || word == u"лист регистрации изменений" ||
        word == u"библиографические данные" || word == u"приложения" ||
        word == u"вводные указания" || word == u"общие указания" ||
        word == u"термины и определения")
        return TopWord::Part;
    return TopWord::None;
}

// Words that make the number before them an amount: "5.2 МПа", "12 Н".
bool isUpperUnit(const QString& rest)
{
    static const QRegularExpression unit(QStringLiteral(
        R"(^(?:МПа|ГПа|Па|Н|МН|Вт|МВт|В|Гц|К|Дж|Ом|Кл|Гр|Бк|Зв|ГОСТ|СНиП|СП|ТУ|ФЕР|ГЭСН|ТЕР)(?![\p{L}\d]))"));
    return unit.match(rest).hasMatch();
}

// Words after a number that make it an amount: "5.2 м", "2 раза".
bool isLowerUnit(const QString& rest)
{
    static const QRegularExpression unit(QStringLiteral(
        R"(^(?:м|мм|см|дм|км|м2|м3|кг|г|т|л|с|мин|ч|сут|шт|руб|коп|раз|раза|ед|кпа|кн|квт|мпа|га|год|года|лет|тыс|млн|чел)(?![\p{L}\d]))"));
    return unit.match(rest).hasMatch();
}

// Whether the words after a number begin a clause: a capital letter or an opening quote, not
// an amount, a date or a designation cut from the line before. A clause that begins with a
// small letter (a term and its definition: "3.1 бетон: ...") is one where its number follows
// on strictly.
bool beginsClause(const QString& rest, bool heading, bool* lower)
{
    *lower = false;
    if (rest.isEmpty())
        return heading;
    const QChar first = rest.at(0);
    if (first.isLower()) {
        *lower = !heading;
        return heading || !isLowerUnit(rest);
    }
    if (!first.isUpper() && first != u'«' && first != u'"' && first != u'(' && first != u'[')
        return false;
    if (isUpperUnit(rest))
        return false;
    const QList<Designation> designations = DesignationRule::find(rest.left(48));
    return designations.isEmpty() || designations.first().begin > 0;
}

QList<int> groupsOf(const QString& number)
{
    QList<int> groups;
    for (const QString& group : number.split(QLatin1Char('.'), Qt::SkipEmptyParts))
        groups << group.toInt();
    return groups;
}

// Whether numbers follow on: g after last (the numbers of the part read last in its scope;
// empty when none was).
bool followsOn(const QList<int>& g, const QList<int>& last)
{
    if (last.isEmpty())
        return true; // the first: a part the next numbers do not follow on from is dropped

    const auto restAreFirst = [&](qsizetype from) {
        for (qsizetype k = from; k < g.size(); ++k) {
            if (g.at(k) > 1)
                return false;
        }
        return true;
    };
    // A deeper part of last: "5.2" after "5", "5.2.1" after "5.2".
    if (g.size() > last.size() && g.mid(0, last.size()) == last && g.at(last.size()) <= 2 &&
        restAreFirst(last.size() + 1))
        return true;
    // The next at some level: "5.2.4" after "5.2.3", "5.3" or "6" after "5.2.3".
    for (qsizetype level = 0; level < last.size() && level < g.size(); ++level) {
        if (g.mid(0, level) != last.mid(0, level))
            break;
        if (g.at(level) > last.at(level) && g.at(level) <= last.at(level) + 3 &&
            restAreFirst(level + 1))
            return true;
    }
    return false;
}

// The very next number: "5.2.4" or "5.3" after "5.2.3", "5.2.1" after "5.2".
bool followsStrictly(const QList<int>& g, const QList<int>& last)
{
    if (last.isEmpty())
        return false;
    if (g.size() == last.size() + 1 && g.mid(0, last.size()) == last && g.last() == 1)
        return true;
    // The next at its own level or one above: "5.3" after "5.2.3".
    const qsizetype level = g.size() - 1;
    return level < last.size() && g.mid(0, level) == last.mid(0, level) &&
           g.last() == last.at(level) + 1;
}

QString titleOf(QString rest, bool heading)
{
    while (!rest.isEmpty() && (rest.at(0) == u'—' || rest.at(0) == u'–' || rest.at(0) == u'-' ||
                               rest.at(0) == u'.' || rest.at(0) == u':' || rest.at(0) == u' '))
        rest.remove(0, 1);
    const qsizetype limit = heading ? 200 : 120;
    if (rest.size() <= limit)
        return rest;
    qsizetype cut = rest.lastIndexOf(QLatin1Char(' '), 80);
    if (cut < 40)
        cut = 80;
    return rest.left(cut) + QStringLiteral("…");
}

class StructureReader
{
public:
    explicit StructureReader(const std::vector<TextBlock>& blocks) : m_blocks(blocks) {}

    std::vector<DocumentPart> read();

private:
    struct Scope
    {
        int owner = -1;     // the part whose numbers these are; -1 for the body's
        QString letter;     // an appendix's letter its clauses are written with
        QList<int> numbers; // the indexes of the numbered parts read, in order
        bool counts = true; // false in a preface: its numbers are no clauses
    };

    bool readNumbered(const TextBlock& block);
    bool readAppendix(size_t at);
    bool readCaption(const TextBlock& block);
    void readHeading(const TextBlock& block, TopWord word);
    int add(DocumentPart part, const TextBlock& block);
    int container() const;
    int depthUnder(int parent) const { return parent < 0 ? 1 : m_parts[size_t(parent)].depth + 1; }

    const std::vector<TextBlock>& m_blocks;
    std::vector<DocumentPart> m_parts;
    std::vector<QList<int>> m_groups; // of each part, numbered ones only
    std::vector<bool> m_dropped;
    Scope m_scope;
    int m_estimateTable = -1;
    bool m_inContents = false;
    int m_prefaceNumbers = 0; // numbered paragraphs of the preface read
    size_t m_skipTo = 0;      // blocks taken as an appendix's title
};

int StructureReader::add(DocumentPart part, const TextBlock& block)
{
    part.start = block.start;
    part.unit = block.unit;
    part.page = block.page;
    part.depth = depthUnder(part.parent);
    m_parts.push_back(std::move(part));
    m_groups.emplace_back();
    m_dropped.push_back(false);
    return int(m_parts.size() - 1);
}

// The part a table or a figure belongs to: the latest numbered part of the scope, or the
// scope's owner.
int StructureReader::container() const
{
    for (auto it = m_scope.numbers.crbegin(); it != m_scope.numbers.crend(); ++it) {
        if (!m_dropped[size_t(*it)])
            return *it;
    }
    return m_scope.owner;
}

bool StructureReader::readNumbered(const TextBlock& block)
{
    const QRegularExpressionMatch match = numbered().match(block.text);
    if (!match.hasMatch())
        return false;
    const bool heading = block.headingLevel > 0;
    const QString letter =
        match.captured(1).isEmpty() ? QString() : cyrillicLetter(match.captured(1));
    const QString rest = match.captured(4);
    bool lower = false;
    // "01. Устройство опалубки" numbers a list; a PDF's line may begin with the words
    // wrapped from the line before.
    if (match.captured(2).startsWith(QLatin1Char('0')) || !beginsClause(rest, heading, &lower))
        return false;
    // On a PDF's line a small letter begins a clause only as a term does: "3.1 бетон: ...".
    if (lower && block.page > 0) {
        const QStringView head = QStringView(rest).left(60);
        if (!head.contains(u':') && !head.contains(u'—'))
            return false;
    }
    if (!m_scope.counts) {
        // A preface numbers its paragraphs by the word in capitals that begins each ("1
        // РАЗРАБОТАН", "2 ВНЕСЕН"); the first clause of the body ends it.
        const qsizetype wordEnd = rest.indexOf(QLatin1Char(' '));
        const QString word = rest.left(wordEnd < 0 ? rest.size() : wordEnd);
        const bool capitals = word.size() >= 3 && word == word.toUpper() && word.at(0).isLetter();
        const int first = match.captured(2).section(QLatin1Char('.'), 0, 0).toInt();
        if (capitals && !heading && !(first == 1 && m_prefaceNumbers > 0)) {
            ++m_prefaceNumbers;
            return true; // read, and no part
        }
        m_scope = Scope{};
    }
    // An appendix lettered "Б" numbers its clauses "Б.1".
    if (letter != m_scope.letter && (!letter.isEmpty() || !m_scope.letter.at(0).isDigit()))
        return false;
    const QList<int> g = groupsOf(match.captured(2));
    const auto lastOf = [&](qsizetype back) -> QList<int> {
        qsizetype seen = 0;
        for (auto it = m_scope.numbers.crbegin(); it != m_scope.numbers.crend(); ++it) {
            if (m_dropped[size_t(*it)])
                continue;
            if (seen++ == back)
                return m_groups[size_t(*it)];
        }
        return {};
    };
    const QList<int> last = lastOf(0);
    bool fits = followsOn(g, last);
    if (!fits && !last.isEmpty() && followsOn(g, lastOf(1))) {
        // The part read last broke the numbers: it was no part.
        for (auto it = m_scope.numbers.crbegin(); it != m_scope.numbers.crend(); ++it) {
            if (!m_dropped[size_t(*it)]) {
                m_dropped[size_t(*it)] = true;
                break;
            }
        }
        fits = true;
    }
    if (!fits || (lower && !followsStrictly(g, last)))
        return false;
    DocumentPart part;
    part.kind = g.size() == 1 && letter.isEmpty() ? Kind::Section : Kind::Clause;
    part.number = (letter.isEmpty() ? QString() : match.captured(1) + QLatin1Char('.')) +
                  match.captured(2) + match.captured(3);
    part.key = (letter.isEmpty() ? QString() : letter + QLatin1Char('.')) + match.captured(2);
    part.title = titleOf(rest, heading || rest.size() <= 120);
    // Its parent: the nearest part of the scope whose numbers begin its own.
    part.parent = -1;
    for (auto it = m_scope.numbers.crbegin(); it != m_scope.numbers.crend(); ++it) {
        const QList<int>& groups = m_groups[size_t(*it)];
        if (m_dropped[size_t(*it)] || groups.size() >= g.size())
            continue;
        if (g.mid(0, groups.size()) == groups) {
            part.parent = *it;
            break;
        }
    }
    if (part.parent < 0) {
        part.parent = m_scope.owner;
        // A section of the body stands beside a heading such as "Введение", not under it.
        if (part.parent >= 0 && g.size() == 1 && letter.isEmpty() &&
            m_parts[size_t(part.parent)].kind == Kind::Heading)
            part.parent = m_parts[size_t(part.parent)].parent;
    }
    const int index = add(std::move(part), block);
    m_groups.back() = g;
    m_scope.numbers << index;
    return true;
}

bool StructureReader::readAppendix(size_t at)
{
    const TextBlock& block = m_blocks[at];
    const QRegularExpressionMatch match = appendix().match(block.text);
    if (!match.hasMatch() || !block.text.at(0).isUpper())
        return false;
    QString rest = match.captured(2);
    rest.remove(appendixNote());
    const bool heading = block.headingLevel > 0;
    if (!rest.isEmpty() && rest.at(0).isLower() && !heading)
        return false;
    if (rest.size() > 300 && !heading)
        return false;
    if (rest.isEmpty()) {
        // The title on the lines after it, below its note "(обязательное)".
        for (size_t next = at + 1; next < m_blocks.size() && next <= at + 3; ++next) {
            const QString& text = m_blocks[next].text;
            if (appendixNote().match(text).capturedLength() == text.size()) {
                m_skipTo = next + 1;
                continue;
            }
            if (text.size() <= 200 && !numbered().match(text).hasMatch() &&
                !appendix().match(text).hasMatch() && !table().match(text).hasMatch()) {
                rest = text;
                m_skipTo = next + 1;
            }
            break;
        }
    }
    DocumentPart part;
    part.kind = Kind::Appendix;
    part.number = match.captured(1);
    part.key = cyrillicLetter(match.captured(1));
    part.title = titleOf(rest, true);
    part.parent = -1;
    const int index = add(std::move(part), block);
    m_scope = Scope{index, m_parts.back().key, {}, true};
    m_estimateTable = -1;
    return true;
}

bool StructureReader::readCaption(const TextBlock& block)
{
    QRegularExpressionMatch match = estimateTable().match(block.text);
    if (match.hasMatch()) {
        DocumentPart part;
        part.kind = Kind::Table;
        part.key = match.captured(1);
        part.number = part.key;
        part.title = titleOf(match.captured(2), true);
        part.parent = container();
        m_estimateTable = add(std::move(part), block);
        return true;
    }
    if (!block.text.at(0).isUpper())
        return false;
    const bool isFigure = !block.text.startsWith(QStringLiteral("Т"), Qt::CaseInsensitive);
    match = (isFigure ? figure() : table()).match(block.text);
    if (!match.hasMatch())
        return false;
    const QString rest = match.captured(2);
    const QString lowerRest = folded(rest);
    if (lowerRest.startsWith(u"(продолж") || lowerRest.startsWith(u"(оконч"))
        return true;
    if (!rest.isEmpty() && rest.at(0).isLower())
        return false; // a sentence about the table
    QString key = match.captured(1);
    if (key.size() > 1 && key.at(1) == u'.' && key.at(0).isLetter())
        key = cyrillicLetter(key.left(1)) + key.mid(1);
    const Kind kind = isFigure ? Kind::Figure : Kind::Table;
    for (const DocumentPart& seen : m_parts) {
        if (seen.kind == kind && seen.key == key)
            return true; // its continuation on the next page
    }
    DocumentPart part;
    part.kind = kind;
    part.number = match.captured(1);
    part.key = key;
    part.title = titleOf(rest, true);
    part.parent = container();
    add(std::move(part), block);
    return true;
}

void StructureReader::readHeading(const TextBlock& block, TopWord word)
{
    DocumentPart part;
    part.kind = block.title ? Kind::Title : Kind::Heading;
    part.title = titleOf(block.text, true);
    const bool top = word != TopWord::None || block.title;
    const bool ownedScope =
        m_scope.owner >= 0 && m_parts[size_t(m_scope.owner)].kind != Kind::Heading;
    part.parent = top || !ownedScope ? -1 : m_scope.owner;
    const int index = add(std::move(part), block);
    if (word == TopWord::Preface) {
        m_scope = Scope{index, {}, {}, false};
    } else if (word == TopWord::Part) {
        // Its numbers go on from before unless they were a preface's.
        Scope scope = m_scope.counts ? m_scope : Scope{};
        scope.owner = index;
        scope.letter.clear();
        if (m_scope.letter.size() > 0)
            scope.numbers.clear();
        m_scope = scope;
    }
}

std::vector<DocumentPart> StructureReader::read()
{
    for (size_t at = 0; at < m_blocks.size(); ++at) {
        if (at < m_skipTo)
            continue;
        const TextBlock& block = m_blocks[at];
        if (block.runningLine || block.tocEntry)
            continue;
        if (block.inTable) {
            const QRegularExpressionMatch item = estimateItem().match(block.text);
            if (item.hasMatch() && m_estimateTable >= 0 &&
                m_parts[size_t(m_estimateTable)].key == item.captured(1)) {
                DocumentPart part;
                part.kind = Kind::Item;
                part.number = item.captured(1) + QLatin1Char('-') + item.captured(2);
                part.key = part.number;
                part.title = item.captured(2);
                part.parent = m_estimateTable;
                add(std::move(part), block);
            }
            continue;
        }
        const TopWord word = topWord(block.text);
        if (word == TopWord::Contents) {
            m_inContents = true;
            if (!m_scope.counts)
                m_scope = Scope{};
            continue;
        }
        if (m_inContents) {
            if (looksLikeContentsLine(block.text) || endsWithPageNumber(block.text))
                continue;
            m_inContents = false;
        }
        if (looksLikeContentsLine(block.text))
            continue;
        if (readAppendix(at) || readCaption(block))
            continue;
        const QRegularExpressionMatch section = sectionWord().match(block.text);
        if (section.hasMatch() &&
            (section.captured(2).isEmpty() || !section.captured(2).at(0).isLower())) {
            DocumentPart part;
            part.kind = Kind::Section;
            part.number = section.captured(1);
            part.key = section.captured(1);
            part.title = titleOf(section.captured(2), true);
            part.parent =
                m_scope.owner >= 0 && m_parts[size_t(m_scope.owner)].kind == Kind::Appendix
                    ? m_scope.owner
                    : -1;
            const int index = add(std::move(part), block);
            m_scope = Scope{index, m_scope.letter, {}, true};
            m_estimateTable = -1;
            continue;
        }
        if (readNumbered(block))
            continue;
        if (word != TopWord::None ||
            ((block.headingLevel > 0 || block.title) && block.text.size() <= 300))
            readHeading(block, word);
    }
    // The dropped parts go; the indexes of parents follow.
    std::vector<int> renumbered(m_parts.size(), -1);
    std::vector<DocumentPart> kept;
    for (size_t i = 0; i < m_parts.size(); ++i) {
        DocumentPart part = m_parts[i];
        int parent = part.parent;
        while (parent >= 0 && m_dropped[size_t(parent)])
            parent = m_parts[size_t(parent)].parent;
        part.parent = parent >= 0 ? renumbered[size_t(parent)] : -1;
        if (m_dropped[i])
            continue;
        part.depth = part.parent < 0 ? 1 : kept[size_t(part.parent)].depth + 1;
        renumbered[i] = int(kept.size());
        kept.push_back(std::move(part));
    }
    return kept;
}

} // namespace

QString DocumentPart::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Title:
        return QStringLiteral("title");
    case Kind::Heading:
        return QStringLiteral("heading");
    case Kind::Section:
        return QStringLiteral("section");
    case Kind::Clause:
        return QStringLiteral("clause");
    case Kind::Appendix:
        return QStringLiteral("appendix");
    case Kind::Table:
        return QStringLiteral("table");
    case Kind::Figure:
        return QStringLiteral("figure");
    case Kind::Item:
        return QStringLiteral("item");
    }
    return {};
}

DocumentStructure::DocumentStructure(const std::vector<TextBlock>& blocks)
    : m_parts(StructureReader(blocks).read())
{
    const qsizetype textEnd = blocks.empty() ? 0 : blocks.back().start + blocks.back().text.size();
    for (size_t i = 0; i < m_parts.size(); ++i) {
        DocumentPart& part = m_parts[i];
        part.end = textEnd;
        const bool leaf = part.kind == DocumentPart::Kind::Table ||
                          part.kind == DocumentPart::Kind::Figure ||
                          part.kind == DocumentPart::Kind::Item;
        for (size_t next = i + 1; next < m_parts.size(); ++next) {
            if (leaf || m_parts[next].depth <= part.depth) {
                part.end = m_parts[next].start;
                break;
            }
        }
    }
}

DocumentStructure DocumentStructure::ofPage(const QByteArray& raw)
{
    return DocumentStructure(TextBlocks::ofPage(raw));
}

DocumentStructure DocumentStructure::ofPdf(const PdfText& text)
{
    return DocumentStructure(TextBlocks::ofPdf(text));
}

DocumentStructure DocumentStructure::ofParts(std::vector<DocumentPart> parts)
{
    DocumentStructure structure;
    structure.m_parts = std::move(parts);
    return structure;
}

std::optional<DocumentStructure> DocumentStructure::ofFile(const QString& path)
{
    const std::optional<std::vector<TextBlock>> blocks = TextBlocks::ofFile(path);
    if (!blocks)
        return std::nullopt;
    return DocumentStructure(*blocks);
}

int DocumentStructure::partAt(qsizetype position) const
{
    const auto after =
        std::upper_bound(m_parts.begin(), m_parts.end(), position,
                         [](qsizetype at, const DocumentPart& part) { return at < part.start; });
    int index = int(after - m_parts.begin()) - 1;
    while (index >= 0 && m_parts[size_t(index)].end <= position)
        index = m_parts[size_t(index)].parent;
    return index;
}
