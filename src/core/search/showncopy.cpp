#include "search/showncopy.h"

#include "norms/documentheadings.h"
#include "norms/documentnorms.h"
#include "norms/linkedcopy.h"
#include "norms/partanchors.h"
#include "pdf/documentfile.h"
#include "search/normcatalog.h"

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
                                const std::optional<Marking>& marking, const NormCatalog* catalog)
{
    Made made;
    QByteArray linked;
    std::shared_ptr<DocumentStructure> structure;
    if (!marking) {
        // Only a document with designations to link or parts to mark is shown as a copy; any
        // other is shown itself.
        const std::optional<QByteArray> page = pageBytes(document);
        if (!page)
            return made;
        if (!catalog || linkDesignations(*page, document, caption, *catalog, &linked) == 0) {
            structure = std::make_shared<DocumentStructure>(DocumentStructure::ofPage(*page));
            made.structure = structure;
            if (structure->isEmpty())
                return made;
            linked = *page;
        }
    }
    HighlightedCopy copy(document, marking ? marking->context : QString());
    if (marking) {
        copy.setOptions(marking->options);
        copy.setColors(marking->fontColor, marking->backColor);
    } else {
        copy.setOptions(MatchOptions{false, false, true, false}); // written as it is
    }
    if (!copy.write())
        return Made{};
    made.file = copy.workFileName();
    if (marking) {
        made.marks = copy.markedCount();
        made.inMarkup = copy.inMarkupCount();
        // The copy just written is our own file, not a library document.
        QFile written(made.file);
        if (!written.open(QIODevice::ReadOnly))
            return Made{};
        const QByteArray marked = written.readAll();
        if (!catalog || linkDesignations(marked, document, caption, *catalog, &linked) == 0)
            linked = marked;
    }
    // The parts are those of the copy: its anchors are placed by its own units.
    if (!structure)
        structure = std::make_shared<DocumentStructure>(DocumentStructure::ofPage(linked));
    made.structure = structure;
    QFile out(made.file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(PartAnchors::anchored(linked, *structure)) < 0)
        made.structure = std::make_shared<DocumentStructure>(); // no anchors to show them by
    return made;
}

int ShownCopy::linkDesignations(const QByteArray& page, const QString& document,
                                const QString& caption, const NormCatalog& catalog,
                                QByteArray* linked)
{
    const DocumentHeadings headings = DocumentHeadings::read(page);
    // The document's own designations are no links: it does not cite itself.
    const DocumentNorms own(QStringList{caption, DocumentNorms::fileNameOf(document),
                                        headings.title, headings.heading});
    const QByteArray absent = "<span class='lectoria-absent' style='text-decoration:underline "
                              "dotted' title='" +
                              LinkedCopy::attributeText(QStringLiteral("Нет в библиотеке")) + "'>";
    int wrapped = 0;
    *linked = LinkedCopy::linked(
        page,
        [&](const Designation& designation) -> LinkedCopy::Wrap {
            if (own.isOwn(designation))
                return {};
            bool exact = false;
            const std::optional<NormCatalog::Entry> held = catalog.resolve(designation, &exact);
            if (!held)
                return {absent, "</span>"};
            if (held->path == document)
                return {};
            QString hint = held->caption;
            if (!exact && designation.edition != 0)
                hint += QStringLiteral(" (редакции %1 в библиотеке нет)").arg(designation.edition);
            return {"<a class='lectoria-norm' href='lectoria-norm:" +
                        QUrl::toPercentEncoding(designation.text()) + "' title='" +
                        LinkedCopy::attributeText(hint) + "'>",
                    "</a>"};
        },
        &wrapped);
    return wrapped;
}
