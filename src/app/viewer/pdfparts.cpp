#include "viewer/pdfparts.h"

#include "norms/documentnorms.h"
#include "norms/documentstructure.h"
#include "norms/partaddress.h"
#include "pdf/pdftextreader.h"
#include "search/normcatalog.h"
#include "search/pdflinks.h"
#include "viewer/pdfpresenter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

QByteArray linksJson(const std::vector<PdfLink>& links, const DocumentStructure& structure)
{
    QJsonArray out;
    for (const PdfLink& found : links) {
        QString href;
        QString kind;
        switch (found.link.kind) {
        case ReferenceLinks::Link::Kind::Norm:
            href = QString::fromLatin1(found.link.normUrl());
            kind = QStringLiteral("lectoria-norm");
            break;
        case ReferenceLinks::Link::Kind::OwnPart:
            href =
                QStringLiteral("#page%1").arg(structure.parts()[size_t(found.link.ownPart)].page);
            kind = QStringLiteral("lectoria-part");
            break;
        case ReferenceLinks::Link::Kind::Absent:
            kind = QStringLiteral("lectoria-absent");
            break;
        }
        out.append(QJsonObject{{QStringLiteral("page"), found.page},
                               {QStringLiteral("text"), found.text},
                               {QStringLiteral("href"), href},
                               {QStringLiteral("title"), found.link.hint},
                               {QStringLiteral("kind"), kind}});
    }
    return QJsonDocument(out).toJson(QJsonDocument::Compact);
}

// The file's bookmarks as parts: headings at their depth, each under the one before it that
// is less deep.
std::shared_ptr<const DocumentStructure> bookmarkParts(const QVariantList& outline)
{
    std::vector<DocumentPart> parts;
    std::vector<int> open; // the latest part of each depth
    for (const QVariant& entry : outline) {
        const QVariantMap bookmark = entry.toMap();
        DocumentPart part;
        part.kind = DocumentPart::Kind::Heading;
        part.title = bookmark.value(QStringLiteral("title")).toString().left(300);
        part.page = bookmark.value(QStringLiteral("page")).toInt();
        part.depth = std::clamp(bookmark.value(QStringLiteral("depth")).toInt(), 1, 12);
        if (part.title.isEmpty())
            continue;
        // A depth skipped puts it under the nearest one above.
        open.resize(std::min(open.size(), size_t(part.depth - 1)));
        part.parent = open.empty() ? -1 : open.back();
        part.depth = int(open.size()) + 1;
        open.push_back(int(parts.size()));
        parts.push_back(part);
    }
    return std::make_shared<const DocumentStructure>(DocumentStructure::ofParts(std::move(parts)));
}

} // namespace

PdfParts::PdfParts(PdfPresenter* presenter, QObject* parent)
    : QObject(parent), m_presenter(presenter)
{
}

PdfParts::~PdfParts() = default;

void PdfParts::start(const QString& path, const QString& caption,
                     std::shared_ptr<const NormCatalog> catalog, const QString& part)
{
    stop();
    m_askedPart = part;
    m_analysis.start(
        [path, caption, catalog](const auto& run) {
            const PdfText text = PdfTextReader::read(path, run.stopFlag());
            auto structure = std::make_shared<const DocumentStructure>(
                text.state() == PdfText::State::Text ? DocumentStructure::ofPdf(text)
                                                     : DocumentStructure());
            const ReferenceLinks links(path, {caption, DocumentNorms::fileNameOf(path)},
                                       catalog.get(), structure.get());
            return Analysis{structure, linksJson(PdfLinks::of(text, links), *structure)};
        },
        [this](const Analysis& analysis) { analysed(analysis); });
}

void PdfParts::stop()
{
    m_analysis.cancel();
    m_structure.reset();
    m_ruleParts.reset();
    m_links.clear();
    m_askedPart.clear();
    m_analysed = m_presented = m_bookmarks = false;
}

void PdfParts::analysed(const Analysis& analysis)
{
    m_analysed = true;
    m_ruleParts = analysis.structure;
    m_links = analysis.links;
    if (!m_bookmarks) {
        m_structure = m_ruleParts;
        emit structureChanged();
    }
    if (m_presented) {
        m_presenter->addLinks(m_links);
        showAskedPart();
    }
}

void PdfParts::presented()
{
    m_presented = true;
    if (m_analysed) {
        m_presenter->addLinks(m_links);
        showAskedPart();
    }
    m_presenter->askOutline([this](const QVariantList& outline) {
        if (outline.isEmpty() || !m_presented)
            return;
        m_bookmarks = true;
        m_structure = bookmarkParts(outline);
        emit structureChanged();
    });
}

void PdfParts::showAskedPart()
{
    if (m_askedPart.isEmpty())
        return;
    const QString asked = std::exchange(m_askedPart, QString());
    const std::optional<PartAddress> address = PartAddress::parse(asked);
    const int part = address && m_ruleParts ? address->find(*m_ruleParts) : -1;
    if (part < 0) {
        if (address)
            emit statusNote(address->missingText() + QStringLiteral(": документ показан с начала"));
        return;
    }
    const DocumentPart& found = m_ruleParts->parts()[size_t(part)];
    m_presenter->showPart(found.page, found.number);
}

void PdfParts::showNamedPart(const QString& part)
{
    m_askedPart = part;
    if (m_analysed && m_presented)
        showAskedPart();
}

void PdfParts::showPart(int part)
{
    if (!m_structure || part < 0 || part >= int(m_structure->parts().size()))
        return;
    const DocumentPart& shown = m_structure->parts()[size_t(part)];
    if (shown.page > 0)
        m_presenter->showPart(shown.page, m_bookmarks ? QString() : shown.number);
}

void PdfParts::askReadingPart(std::function<void(int)> answer)
{
    if (!m_structure || m_structure->isEmpty() || !m_presented)
        return;
    m_presenter->askPageAtTop([this, asked = m_structure, answer = std::move(answer)](int page) {
        if (asked != m_structure)
            return;
        // The last part that begins on a page at or above the one read.
        int reading = -1;
        const std::vector<DocumentPart>& parts = asked->parts();
        for (size_t i = 0; i < parts.size(); ++i)
            if (parts[i].page > 0 && parts[i].page <= page)
                reading = int(i);
        answer(reading);
    });
}
