#include "norms/partaddress.h"

#include <QRegularExpression>

#include <climits>

namespace {

using PartKind = DocumentPart::Kind;
using Option = QRegularExpression::PatternOption;

QString cyrillicKey(QString key)
{
    static const QString latin = QStringLiteral("ABCEHKMOPTXY");
    static const QString cyrillic = QStringLiteral("АВСЕНКМОРТХУ");
    if (!key.isEmpty() && key.at(0).isLetter()) {
        QChar first = key.at(0).toUpper();
        const qsizetype at = latin.indexOf(first);
        if (at >= 0)
            first = cyrillic.at(at);
        if (first == u'Ё')
            first = u'Е';
        key[0] = first;
    }
    return key;
}

QList<QString> groupsOf(const QString& key)
{
    return key.split(QRegularExpression(QStringLiteral("[.-]")), Qt::SkipEmptyParts);
}

} // namespace

std::optional<PartAddress> PartAddress::parse(QStringView text)
{
    static const QRegularExpression pattern(
        QStringLiteral(
            R"(^\s*(?:(пп?\.?|пункт[а-я]*|разд\.?|раздел[а-я]*|табл\.?|таблиц[а-я]*|рис\.?|рисун[а-я]*|прил\.?|приложени[а-я]*)\s*(?:№\s*)?)?)"
            R"(((?:[А-ЯЁA-Zа-яёa-z]\.)?\d{1,3}(?:\.\d{1,3}){0,5}|\d{2}-\d{2}-\d{3}(?:-\d{2})?|[А-ЯЁA-Zа-яёa-z])\.?\s*$)"),
        Option::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QString word = match.captured(1).toLower();
    const QString key = cyrillicKey(match.captured(2));
    const bool letter = key.size() == 1 && key.at(0).isLetter();
    if (key.contains(QLatin1Char('-')))
        return PartAddress(key.count(QLatin1Char('-')) == 3 ? Kind::Item : Kind::Table, key);
    if (word.startsWith(u"прил"))
        return letter || key.at(0).isDigit() ? std::optional(PartAddress(Kind::Appendix, key))
                                             : std::nullopt;
    if (letter) // a letter alone is an appendix's when written as one: "Б"
        return word.isEmpty() && match.captured(2).at(0).isUpper()
                   ? std::optional(PartAddress(Kind::Appendix, key))
                   : std::nullopt;
    if (word.startsWith(u"табл"))
        return PartAddress(Kind::Table, key);
    if (word.startsWith(u"рис"))
        return PartAddress(Kind::Figure, key);
    if (word.startsWith(u"разд"))
        return PartAddress(Kind::Section, key);
    return PartAddress(Kind::Clause, key);
}

std::optional<PartAddress> PartAddress::of(const DocumentPart& part)
{
    if (part.key.isEmpty())
        return std::nullopt;
    switch (part.kind) {
    case PartKind::Section:
        return PartAddress(Kind::Section, part.key);
    case PartKind::Clause:
        return PartAddress(Kind::Clause, part.key);
    case PartKind::Table:
        return PartAddress(Kind::Table, part.key);
    case PartKind::Figure:
        return PartAddress(Kind::Figure, part.key);
    case PartKind::Appendix:
        return PartAddress(Kind::Appendix, part.key);
    case PartKind::Item:
        return PartAddress(Kind::Item, part.key);
    case PartKind::Title:
    case PartKind::Heading:
        break;
    }
    return std::nullopt;
}

bool PartAddress::names(const DocumentPart& part) const
{
    if (part.key != m_key)
        return false;
    switch (m_kind) {
    case Kind::Clause:
    case Kind::Section:
        return part.kind == PartKind::Section || part.kind == PartKind::Clause;
    case Kind::Table:
        return part.kind == PartKind::Table;
    case Kind::Figure:
        return part.kind == PartKind::Figure;
    case Kind::Appendix:
        return part.kind == PartKind::Appendix;
    case Kind::Item:
        return part.kind == PartKind::Item;
    }
    return false;
}

bool PartAddress::covers(const PartAddress& other) const
{
    const bool numbered = m_kind == Kind::Clause || m_kind == Kind::Section;
    const bool otherNumbered = other.m_kind == Kind::Clause || other.m_kind == Kind::Section;
    if (numbered != otherNumbered || (!numbered && m_kind != other.m_kind))
        return m_kind == Kind::Table && other.m_kind == Kind::Item &&
               other.m_key.startsWith(m_key + QLatin1Char('-'));
    return other.m_key == m_key || (numbered && other.m_key.startsWith(m_key + QLatin1Char('.')));
}

QString PartAddress::indexKey() const
{
    // Clauses and sections are one numbering ("разд. 6" is "п. 6").
    static constexpr char16_t letters[] = {u'c', u'c', u't', u'f', u'a', u'i'};
    return QChar(letters[int(m_kind)]) + QLatin1Char(':') + m_key;
}

QStringList PartAddress::coveringIndexKeys() const
{
    QStringList keys{indexKey()};
    if (m_kind == Kind::Clause || m_kind == Kind::Section) {
        for (qsizetype dot = m_key.lastIndexOf(u'.'); dot > 0;
             dot = m_key.lastIndexOf(u'.', dot - 1))
            keys.append(PartAddress(Kind::Clause, m_key.left(dot)).indexKey());
    } else if (m_kind == Kind::Item) {
        keys.append(PartAddress(Kind::Table, m_key.section(u'-', 0, 2)).indexKey());
    }
    return keys;
}

int PartAddress::find(const DocumentStructure& structure) const
{
    const std::vector<DocumentPart>& parts = structure.parts();
    // "разд. 6" is first a part written "Раздел 6", else the section numbered 6.
    if (m_kind == Kind::Section) {
        for (size_t i = 0; i < parts.size(); ++i) {
            if (parts[i].kind == PartKind::Section && parts[i].key == m_key)
                return int(i);
        }
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        if (names(parts[i]))
            return int(i);
    }
    return -1;
}

int PartAddress::nearest(const DocumentStructure& structure) const
{
    const std::vector<DocumentPart>& parts = structure.parts();
    const QList<QString> wanted = groupsOf(m_key);
    int best = -1;
    qsizetype bestShared = -1;
    long bestDistance = LONG_MAX;
    for (size_t i = 0; i < parts.size(); ++i) {
        PartAddress same(m_kind, parts[i].key);
        if (!same.names(parts[i]))
            continue;
        const QList<QString> groups = groupsOf(parts[i].key);
        qsizetype shared = 0;
        while (shared < wanted.size() && shared < groups.size() &&
               wanted.at(shared) == groups.at(shared))
            ++shared;
        long distance = 0;
        if (shared < wanted.size() && shared < groups.size()) {
            bool a = false;
            bool b = false;
            const long x = wanted.at(shared).toLong(&a);
            const long y = groups.at(shared).toLong(&b);
            distance = a && b ? std::labs(x - y) : 999;
        } else {
            // A part that holds the one named, or lies in it: after its siblings.
            distance = 1000 + std::labs(long(groups.size() - wanted.size()));
        }
        if (shared > bestShared || (shared == bestShared && distance < bestDistance)) {
            best = int(i);
            bestShared = shared;
            bestDistance = distance;
        }
    }
    return best;
}

QString PartAddress::text() const
{
    switch (m_kind) {
    case Kind::Clause:
        return QStringLiteral("пункт %1").arg(m_key);
    case Kind::Section:
        return QStringLiteral("раздел %1").arg(m_key);
    case Kind::Table:
        return QStringLiteral("таблица %1").arg(m_key);
    case Kind::Figure:
        return QStringLiteral("рисунок %1").arg(m_key);
    case Kind::Appendix:
        return QStringLiteral("приложение %1").arg(m_key);
    case Kind::Item:
        return QStringLiteral("позиция %1").arg(m_key);
    }
    return {};
}

QString PartAddress::missingText() const
{
    static const char16_t* const words[] = {u"Пункта",  u"Раздела",    u"Таблицы",
                                            u"Рисунка", u"Приложения", u"Позиции"};
    return QStringLiteral("%1 %2 в документе нет")
        .arg(QString::fromUtf16(words[int(m_kind)]), m_key);
}
