#include "search/showncopy.h"

#include "norms/documentheadings.h"
#include "norms/documentnorms.h"
#include "norms/linkedcopy.h"
#include "norms/partanchors.h"
#include "pdf/documentfile.h"
#include "search/normcatalog.h"
#include "search/referencelinks.h"

#include <QFile>
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
                                const std::optional<Marking>& marking, const NormCatalog* catalog,
                                int slot)
{
    Made made;
    HighlightedCopy copy(document, marking ? marking->contexts : QStringList(), slot);
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

int ShownCopy::linkDesignations(const QByteArray& page, const QString& document,
                                const QString& caption, const NormCatalog* catalog,
                                const DocumentStructure* structure, QByteArray* linked)
{
    const DocumentHeadings headings = DocumentHeadings::read(page);
    const ReferenceLinks links(
        document, {caption, DocumentNorms::fileNameOf(document), headings.title, headings.heading},
        catalog, structure);
    const auto wrap = [](const std::optional<ReferenceLinks::Link>& link) -> LinkedCopy::Wrap {
        if (!link)
            return {};
        const QByteArray hint = LinkedCopy::attributeText(link->hint);
        switch (link->kind) {
        case ReferenceLinks::Link::Kind::Absent:
            return {"<span class='lectoria-absent' style='text-decoration:underline dotted' "
                    "title='" +
                        hint + "'>",
                    "</span>"};
        case ReferenceLinks::Link::Kind::OwnPart:
            return {"<a class='lectoria-part' href='#" +
                        PartAnchors::idOf(link->ownPart).toLatin1() + "' title='" + hint + "'>",
                    "</a>"};
        case ReferenceLinks::Link::Kind::Norm:
            break;
        }
        return {"<a class='lectoria-norm' href='" + link->normUrl() + "' title='" + hint + "'>",
                "</a>"};
    };
    LinkedCopy::Wrappers wrappers;
    wrappers.designation = [&](const Designation& designation) {
        return wrap(links.forDesignation(designation));
    };
    wrappers.part = [&](const PartReference& reference, const Designation* named) {
        return wrap(links.forPart(reference, named));
    };
    int wrapped = 0;
    *linked = LinkedCopy::linked(page, wrappers, &wrapped);
    return wrapped;
}
