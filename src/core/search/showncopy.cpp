#include "search/showncopy.h"

#include "norms/designationrule.h"
#include "norms/documentheadings.h"
#include "norms/documentnorms.h"
#include "norms/linkedcopy.h"
#include "norms/partanchors.h"
#include "pdf/documentfile.h"
#include "search/normcatalog.h"

#include <QFile>
#include <QRegularExpression>
#include <QUrl>

namespace {

// The bytes of a page, read as every reader of the library reads them; empty when unreadable.
std::optional<QByteArray> pageBytes(const QString& path)
{
    DocumentFile file(path);
    QByteArray bytes;
    if (!file.isOpen() || !file.readRest(bytes))
        return std::nullopt;
    return bytes;
}

} // namespace

ShownCopy::Made ShownCopy::make(const QString& document, const QString& caption,
                                const std::optional<Marking>& marking, const NormCatalog* catalog)
{
    Made made;
    HighlightedCopy copy(document, marking ? marking->context : QString());
    QByteArray page;
    if (marking) {
        copy.setOptions(marking->options);
        copy.setColors(marking->fontColor, marking->backColor);
        if (!copy.write())
            return made;
        made.file = copy.workFileName();
        made.marks = copy.markedCount();
        made.inMarkup = copy.inMarkupCount();
        // The copy just written is our own file, not a library document.
        QFile written(made.file);
        if (!written.open(QIODevice::ReadOnly))
            return Made{};
        page = written.readAll();
    } else {
        std::optional<QByteArray> bytes = pageBytes(document);
        if (!bytes)
            return made;
        page = std::move(*bytes);
    }
    // The parts are those of the page as it is copied: the anchors go by its own units, and
    // the links then wrap text, never markup.
    auto structure = std::make_shared<DocumentStructure>(DocumentStructure::ofPage(page));
    made.structure = structure;
    if (!structure->isEmpty())
        page = PartAnchors::anchored(page, *structure);
    QByteArray linked;
    const int links = linkDesignations(page, document, caption, catalog, structure.get(), &linked);
    if (!marking) {
        // Only a document with designations to link or parts to mark is shown as a copy; any
        // other is shown itself.
        if (links == 0 && structure->isEmpty())
            return made;
        copy.setOptions(MatchOptions{false, false, true, false}); // written as it is
        if (!copy.write())
            return Made{};
        made.file = copy.workFileName();
    }
    QFile out(made.file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(links > 0 ? linked : page) < 0)
        return Made{};
    return made;
}

int ShownCopy::linkDesignations(const QByteArray& page, const QString& document,
                                const QString& caption, const NormCatalog& catalog,
                                QByteArray* linked)
{
    return linkDesignations(page, document, caption, &catalog, nullptr, linked);
}

namespace {

// "ГЭСН 06-01-001-01", "ФЕР 06-01-001-01": the item 01 of the table 06-01-001.
bool isEstimateItem(const Designation& designation)
{
    static const QRegularExpression item(QStringLiteral(R"(^\d{2}-\d{2}-\d{3}-\d{2}$)"));
    return (designation.kind.startsWith(u"ГЭСН") || designation.kind.startsWith(u"ФЕР")) &&
           item.match(QString(designation.text()).section(u' ', -1)).hasMatch();
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

QByteArray partHint(const PartAddress& address)
{
    QString text = address.text();
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return LinkedCopy::attributeText(text);
}

} // namespace

int ShownCopy::linkDesignations(const QByteArray& page, const QString& document,
                                const QString& caption, const NormCatalog* catalog,
                                const DocumentStructure* structure, QByteArray* linked)
{
    const DocumentHeadings headings = DocumentHeadings::read(page);
    // The document's own designations are no links: it does not cite itself.
    const DocumentNorms own(QStringList{caption, DocumentNorms::fileNameOf(document),
                                        headings.title, headings.heading});
    const QByteArray absent = "<span class='lectoria-absent' style='text-decoration:underline "
                              "dotted' title='" +
                              LinkedCopy::attributeText(QStringLiteral("Нет в библиотеке")) + "'>";
    const auto normLink = [](const QString& target, const QString& part, const QString& hint) {
        QByteArray href = "lectoria-norm:" + QUrl::toPercentEncoding(target);
        if (!part.isEmpty())
            href += '#' + QUrl::toPercentEncoding(part);
        return LinkedCopy::Wrap{"<a class='lectoria-norm' href='" + href + "' title='" +
                                    LinkedCopy::attributeText(hint) + "'>",
                                "</a>"};
    };
    // A part of this page: a link within it, where the page has the part.
    const auto ownPart = [&](const PartAddress& address) -> LinkedCopy::Wrap {
        const int part = structure ? address.find(*structure) : -1;
        if (part < 0)
            return {};
        return {"<a class='lectoria-part' href='#" + PartAnchors::idOf(part).toLatin1() +
                    "' title='" + partHint(address) + "'>",
                "</a>"};
    };
    LinkedCopy::Wrappers wrappers;
    wrappers.designation = [&](const Designation& designation) -> LinkedCopy::Wrap {
        if (!catalog || own.isOwn(designation))
            return {};
        if (isEstimateItem(designation)) {
            QString item;
            if (const std::optional<NormCatalog::Entry> holder =
                    holderOfItem(designation, *catalog, &item)) {
                if (holder->path == document)
                    return ownPart(PartAddress(PartAddress::Kind::Item, item));
                return normLink(holder->caption, item,
                                holder->caption + QStringLiteral(", расценка ") + item);
            }
        }
        bool exact = false;
        const std::optional<NormCatalog::Entry> held = catalog->resolve(designation, &exact);
        if (!held)
            return {absent, "</span>"};
        if (held->path == document)
            return {};
        QString hint = held->caption;
        if (!exact && designation.edition != 0)
            hint += QStringLiteral(" (редакции %1 в библиотеке нет)").arg(designation.edition);
        return normLink(designation.text(), QString(), hint);
    };
    wrappers.part = [&](const PartReference& reference,
                        const Designation* named) -> LinkedCopy::Wrap {
        if (!named || own.isOwn(*named))
            return ownPart(reference.address);
        if (!catalog)
            return {};
        const std::optional<NormCatalog::Entry> held = catalog->resolve(*named);
        if (!held)
            return {};
        if (held->path == document)
            return ownPart(reference.address);
        return normLink(named->text(), reference.address.text(),
                        held->caption + QStringLiteral(", ") + reference.address.text());
    };
    int wrapped = 0;
    *linked = LinkedCopy::linked(page, wrappers, &wrapped);
    return wrapped;
}
