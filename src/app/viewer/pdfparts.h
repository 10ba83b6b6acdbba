#pragma once

#include "support/latestwork.h"

#include <QObject>
#include <QString>

#include <memory>

class DocumentStructure;
class NormCatalog;
class PdfPresenter;

// The parts and links of the PDF shown: its text layer read off the window's thread, the
// rule's parts by page (or the file's own bookmarks, where it has them) for the outline, its
// designations and part references placed as links over its pages once they are laid out,
// and a part asked for (a followed link) shown once both are there.
class PdfParts final : public QObject
{
    Q_OBJECT
public:
    PdfParts(PdfPresenter* presenter, QObject* parent);
    ~PdfParts() override;

    // A PDF is being shown; part: the one a followed link names ("п. 5.2"), or empty.
    void start(const QString& path, const QString& caption,
               std::shared_ptr<const NormCatalog> catalog, const QString& part);
    // Nothing of it is shown any more.
    void stop();
    // The presenter has laid out its pages.
    void presented();

    std::shared_ptr<const DocumentStructure> structure() const { return m_structure; }
    void showPart(int part);
    // Shows the part named so ("п. 5.2") once the parts are known, or says it has none.
    void showNamedPart(const QString& part);
    // The part at the top of the view, given to answer (-1: none).
    void askReadingPart(std::function<void(int)> answer);

signals:
    // The parts shown in the outline changed (structure()).
    void structureChanged();
    void statusNote(const QString& note);

private:
    struct Analysis
    {
        std::shared_ptr<const DocumentStructure> structure;
        QByteArray links; // JSON, as the presenter places them
    };
    void analysed(const Analysis& analysis);
    void showAskedPart();

    PdfPresenter* m_presenter;
    LatestWork<Analysis> m_analysis{this};
    std::shared_ptr<const DocumentStructure> m_structure;
    std::shared_ptr<const DocumentStructure> m_ruleParts; // found by the rule, for part links
    QByteArray m_links;
    QString m_askedPart;
    bool m_analysed = false;
    bool m_presented = false;
    bool m_bookmarks = false; // the outline is the file's own
};
