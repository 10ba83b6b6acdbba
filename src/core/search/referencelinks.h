#pragma once

#include "norms/designation.h"
#include "norms/documentnorms.h"
#include "norms/partreferences.h"

#include <QString>
#include <QStringList>

#include <optional>

class DocumentStructure;
class NormCatalog;

// Where the designations and part references of a shown document lead: a designation to the
// document of the catalog that holds it (or marked absent from the library), a part of
// another norm to that norm at the part, a part of the document itself to that part, an
// estimate item ("ГЭСН 06-01-001-01") to the table or collection that holds it. The
// document's own designations lead nowhere: it does not cite itself.
class ReferenceLinks
{
public:
    struct Link
    {
        enum class Kind
        {
            Norm,    // "lectoria-norm:<designation>", with "#<part>" for a part of it
            OwnPart, // part: the index of the part in the document's structure
            Absent,  // the library does not hold it
        };
        Kind kind = Kind::Norm;
        QString target; // a norm's designation as written
        QString part;   // the part of that norm, as a reader names it; empty: its top
        int ownPart = -1;
        QString hint; // the text shown over the link

        // "lectoria-norm:" and the target, percent-encoded, "#" and the part when there is one.
        QByteArray normUrl() const;
    };

    // names: what the document is known by (its caption, file name, title, heading); catalog
    // and structure may be missing: then only what they would give is left out.
    ReferenceLinks(const QString& document, const QStringList& names, const NormCatalog* catalog,
                   const DocumentStructure* structure);

    std::optional<Link> forDesignation(const Designation& designation) const;
    // named: the designation of the document the reference names; none: the document itself.
    std::optional<Link> forPart(const PartReference& reference, const Designation* named) const;

private:
    std::optional<Link> ownPart(const PartAddress& address) const;

    QString m_document;
    DocumentNorms m_own;
    const NormCatalog* m_catalog;
    const DocumentStructure* m_structure;
};
