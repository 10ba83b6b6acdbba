#pragma once

#include "norms/documentnorms.h"
#include "norms/partaddress.h"
#include "search/normcatalog.h"
#include "support/latestwork.h"

#include <QDockWidget>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <memory>

class QTreeWidget;
class QTreeWidgetItem;
class SearchJob;

// "Связи": the links of the shown document, in a panel beside the result list. "Ссылается на"
// lists each designation it cites with its mentions (those the library holds can be followed;
// the others are greyed); "На документ ссылаются" every document of the collection citing it,
// with the sentence around the first mention, found apart from the window (from the index
// where it can prove a document unchanged); "На этот пункт ссылаются" those citing the part
// being read (or a part within it), with the sentence; "Редакции и замены" the other editions
// the library holds, what replaces the document and what it replaces.
class NormLinksDock final : public QDockWidget
{
    Q_OBJECT
public:
    enum Role
    {
        DesignationRole = Qt::UserRole + 1, // a designation to follow
        PathRole,                           // a document to show
        MentionRole                         // the first mention in it, as written
    };

    explicit NormLinksDock(QWidget* parent);
    ~NormLinksDock() override;

    QTreeWidget* list() const { return m_list; }
    void setCatalog(std::shared_ptr<const NormCatalog> catalog);
    // The collection searched for the documents citing the shown one.
    void setFolders(const QStringList& folders, bool useIndex);
    // The shown document; the panel follows it while it is open.
    void showDocument(const QString& path, const QString& caption);
    // The part of the shown document being read; none: one without a number, or none.
    void setReadingPart(const std::optional<PartAddress>& part);
    // Whether the search for the documents citing the shown one is done.
    bool isSearching() const
    {
        return m_reading.isRunning() || m_citing.isRunning() || m_partCiting.isRunning() ||
               m_partSettle.isActive();
    }

signals:
    void designationRequested(const QString& designation);
    void documentRequested(const QString& path, const QString& mention);

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Citing
    {
        QString path;
        QString mention; // the first mention as written
        QString sentence;
    };
    void refresh();
    // The shown document has been read: its citations listed, the search for those citing it
    // begun.
    void showRead(const std::optional<DocumentNorms>& norms);
    void fillCited(const DocumentNorms& norms);
    // Finds the documents citing what context names apart from the window, then done.
    void startCiting(LatestWork<QList<Citing>>& work, std::shared_ptr<SearchJob>& job,
                     const QString& context, const Designation& cited,
                     const std::optional<PartAddress>& part, QTreeWidgetItem* group);
    void showCiting(QTreeWidgetItem* group, QList<Citing> documents);
    void searchPart();
    void updateProgress();
    void activate(QTreeWidgetItem* item);
    void stopSearch();

    QTreeWidget* m_list = nullptr;
    QTreeWidgetItem* m_cites = nullptr;
    QTreeWidgetItem* m_citedBy = nullptr;
    QTreeWidgetItem* m_citedPart = nullptr;
    QTreeWidgetItem* m_editions = nullptr;
    std::shared_ptr<const NormCatalog> m_catalog;
    QStringList m_folders;
    bool m_useIndex = false;
    QString m_path;
    QString m_caption;
    QString m_shownPath; // the document the panel lists now
    std::shared_ptr<SearchJob> m_job;
    std::shared_ptr<SearchJob> m_partJob;
    std::optional<Designation> m_own; // what the shown document is chiefly known by
    std::optional<PartAddress> m_part;
    std::optional<QString> m_partSearched; // the context of the latest part search
    QTimer m_progress;
    QTimer m_partSettle; // the part is looked for once the reader stops on one
    // Threads of their own: the window's search keeps the shared threads. Last: they end
    // before the rest goes.
    LatestWork<std::optional<DocumentNorms>> m_reading{this};
    LatestWork<QList<Citing>> m_citing{this};
    LatestWork<QList<Citing>> m_partCiting{this};
};
