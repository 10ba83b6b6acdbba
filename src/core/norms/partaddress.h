#pragma once

#include "norms/documentstructure.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// A part of a norm as a reader names it: "5.2.3", "п. 5.2.3", "табл. 5.1", "прил. Б",
// "разд. 6", "рис. 2", "06-01-001-01".
class PartAddress
{
public:
    enum class Kind
    {
        Clause, // a numbered section or clause
        Section,
        Table,
        Figure,
        Appendix,
        Item,
    };

    PartAddress() = default;
    PartAddress(Kind kind, QString key) : m_kind(kind), m_key(std::move(key)) {}

    // The address text is, blanks and a final dot aside; none when it names no part.
    static std::optional<PartAddress> parse(QStringView text);
    // The address of a part found in a document; none for a heading without a number.
    static std::optional<PartAddress> of(const DocumentPart& part);

    Kind kind() const { return m_kind; }
    QString key() const { return m_key; }
    bool operator==(const PartAddress&) const = default;

    // Whether part is the one named.
    bool names(const DocumentPart& part) const;
    // Whether part is the one named or lies within it: "п. 5.2.3" is within "п. 5.2".
    bool covers(const PartAddress& other) const;
    // The index of the first part of structure named; -1 when it has none.
    int find(const DocumentStructure& structure) const;
    // The part of structure nearest to the one named, of its kind: the one that shares most
    // of its numbers, then the closest; -1 when it has none of the kind.
    int nearest(const DocumentStructure& structure) const;

    // The address as an index keeps it ("c:5.2.3"), and the addresses of every part that
    // holds it, itself first ("c:5.2.3", "c:5.2", "c:5"): a citation of a part cites those.
    QString indexKey() const;
    QStringList coveringIndexKeys() const;

    // As written in a sentence: "пункт 5.2.3", "таблица 5.1", "приложение Б".
    QString text() const;
    // "Пункта 5.2.9 в документе нет".
    QString missingText() const;

private:
    Kind m_kind = Kind::Clause;
    QString m_key;
};
