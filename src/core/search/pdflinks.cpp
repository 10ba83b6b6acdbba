#include "search/pdflinks.h"

#include "norms/designationrule.h"
#include "pdf/pdftext.h"

namespace PdfLinks {

std::vector<PdfLink> of(const PdfText& text, const ReferenceLinks& links, int limit)
{
    std::vector<PdfLink> found;
    for (qsizetype page = 0; page < text.pages().size(); ++page) {
        QString written = QString::fromUtf8(PdfText::joinedPage(text.pages()[page]));
        written.replace(u'\n', u' ');
        const QList<Designation> designations = DesignationRule::find(written);
        const std::vector<PartReference> references =
            PartReferences::find(written, 0, designations);
        const auto add = [&](qsizetype begin, qsizetype end,
                             const std::optional<ReferenceLinks::Link>& link) {
            if (link)
                found.push_back(
                    PdfLink{int(page) + 1, written.mid(begin, end - begin).simplified(), *link});
        };
        const auto addReference = [&](const PartReference& reference) {
            add(reference.begin, reference.end,
                links.forPart(reference, reference.designation >= 0
                                             ? &designations[reference.designation]
                                             : nullptr));
        };
        // In the order of the page: the viewer finds each after the one before.
        auto reference = references.cbegin();
        for (const Designation& designation : designations) {
            for (; reference != references.cend() && reference->begin < designation.begin;
                 ++reference)
                addReference(*reference);
            add(designation.begin, designation.end, links.forDesignation(designation));
        }
        for (; reference != references.cend(); ++reference)
            addReference(*reference);
        if (qsizetype(found.size()) >= limit) {
            found.resize(size_t(limit));
            break;
        }
    }
    return found;
}

} // namespace PdfLinks
