#include "search/referencelinks.h"

#include "norms/designationrule.h"
#include "norms/documentstructure.h"
#include "search/normcatalog.h"

#include <QRegularExpression>
#include <QUrl>

namespace {

// "ГЭСН 06-01-001-01", "ФЕР 06-01-001-01": the item 01 of the table 06-01-001.
bool isEstimateItem(const Designation& designation)
{
    static const QRegularExpression item(QStringLiteral(R"(^\d{2}-\d{2}-\d{3}-\d{2}$)"));
    return (designation.kind.startsWith(u"ГЭСН") || designation.kind.startsWith(u"ФЕР")) &&
           item.match(designation.text().section(u' ', -1)).hasMatch();
}

// Where the library holds an estimate item: its table ("ГЭСН 06-01-001"), else the collection
// that holds the table ("ГЭСН 81-02-06").
std::optional<NormCatalog::Entry> holderOfItem(const Designation& designation,
                                               const NormCatalog& catalog, QString* item)
{
    *item = designation.text().section(u' ', -1);
    const QString table = item->left(9);
    for (const QString& holder : {designation.kind + u' ' + table,
                                  designation.kind + QStringLiteral(" 81-02-") + table.left(2)}) {
        const QList<Designation> named = DesignationRule::find(holder);
        if (named.size() == 1)
            if (std::optional<NormCatalog::Entry> held = catalog.resolve(named.front()))
                return held;
    }
    return std::nullopt;
}

QString capitalized(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

} // namespace

QByteArray ReferenceLinks::Link::normUrl() const
{
    QByteArray url = "lectoria-norm:" + QUrl::toPercentEncoding(target);
    if (!part.isEmpty())
        url += '#' + QUrl::toPercentEncoding(part);
    return url;
}

ReferenceLinks::ReferenceLinks(const QString& document, const QStringList& names,
                               const NormCatalog* catalog, const DocumentStructure* structure)
    : m_document(document), m_own(names), m_catalog(catalog), m_structure(structure)
{
}

std::optional<ReferenceLinks::Link> ReferenceLinks::ownPart(const PartAddress& address) const
{
    const int part = m_structure ? address.find(*m_structure) : -1;
    if (part < 0)
        return std::nullopt;
    Link link;
    link.kind = Link::Kind::OwnPart;
    link.ownPart = part;
    link.hint = capitalized(address.text());
    return link;
}

std::optional<ReferenceLinks::Link>
ReferenceLinks::forDesignation(const Designation& designation) const
{
    if (!m_catalog || m_own.isOwn(designation))
        return std::nullopt;
    if (isEstimateItem(designation)) {
        QString item;
        if (const std::optional<NormCatalog::Entry> holder =
                holderOfItem(designation, *m_catalog, &item)) {
            if (holder->path == m_document)
                return ownPart(PartAddress(PartAddress::Kind::Item, item));
            return Link{Link::Kind::Norm, holder->caption, item, -1,
                        holder->caption + QStringLiteral(", расценка ") + item};
        }
    }
    bool exact = false;
    const std::optional<NormCatalog::Entry> held = m_catalog->resolve(designation, &exact);
    if (!held)
        return Link{
            Link::Kind::Absent, designation.text(), {}, -1, QStringLiteral("Нет в библиотеке")};
    if (held->path == m_document)
        return std::nullopt;
    QString hint = held->caption;
    if (!exact && designation.edition != 0)
        hint += QStringLiteral(" (редакции %1 в библиотеке нет)").arg(designation.edition);
    return Link{Link::Kind::Norm, designation.text(), {}, -1, hint};
}

std::optional<ReferenceLinks::Link> ReferenceLinks::forPart(const PartReference& reference,
                                                            const Designation* named) const
{
    if (!named || m_own.isOwn(*named))
        return ownPart(reference.address);
    if (!m_catalog)
        return std::nullopt;
    const std::optional<NormCatalog::Entry> held = m_catalog->resolve(*named);
    if (!held)
        return std::nullopt;
    if (held->path == m_document)
        return ownPart(reference.address);
    return Link{Link::Kind::Norm, named->text(), reference.address.text(), -1,
                held->caption + QStringLiteral(", ") + reference.address.text()};
}
