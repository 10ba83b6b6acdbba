#include "links/normlinksdock.h"

#include "library/libraryscan.h"
#include "norms/citationsearch.h"
#include "norms/designationrule.h"
#include "norms/documentnorms.h"
#include "norms/mentionsentence.h"
#include "platform/platform.h"
#include "search/searchjob.h"
#include "text/russianplural.h"

#include <QDir>
#include <QHeaderView>
#include <QTreeWidget>

#include <algorithm>

namespace {

// Past this many documents citing one, the sentences of the rest are not looked for.
constexpr int SentencesLooked = 200;

} // namespace

NormLinksDock::NormLinksDock(QWidget* parent) : QDockWidget(QStringLiteral("Связи"), parent)
{
    setObjectName(QStringLiteral("normLinksDock"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("normLinks"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("Документ"), QStringLiteral("Упоминание")});
    m_list->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    m_list->setColumnWidth(0, 300);
    m_list->setRootIsDecorated(true);
    setWidget(m_list);
    m_progress.setInterval(200);
    connect(&m_progress, &QTimer::timeout, this, &NormLinksDock::updateProgress);
    connect(m_list, &QTreeWidget::itemActivated, this, &NormLinksDock::activate);
    connect(m_list, &QTreeWidget::itemClicked, this, &NormLinksDock::activate);
    m_partSettle.setSingleShot(true);
    m_partSettle.setInterval(400);
    connect(&m_partSettle, &QTimer::timeout, this, &NormLinksDock::searchPart);
}

NormLinksDock::~NormLinksDock()
{
    stopSearch();
}

void NormLinksDock::stopSearch()
{
    if (m_job)
        m_job->cancel();
    if (m_partJob)
        m_partJob->cancel();
    m_reading.cancelAndWait();
    m_citing.cancelAndWait();
    m_partCiting.cancelAndWait();
    m_progress.stop();
    m_partSettle.stop();
}

void NormLinksDock::setCatalog(std::shared_ptr<const NormCatalog> catalog)
{
    m_catalog = std::move(catalog);
    m_shownPath.clear(); // what is present may have changed
    if (isVisible())
        refresh();
}

void NormLinksDock::setFolders(const QStringList& folders, bool useIndex)
{
    m_folders = folders;
    m_useIndex = useIndex;
}

void NormLinksDock::showDocument(const QString& path, const QString& caption)
{
    m_path = path;
    m_caption = caption;
    if (isVisible())
        refresh();
}

void NormLinksDock::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    refresh();
}

void NormLinksDock::refresh()
{
    if (m_path == m_shownPath && m_list->topLevelItemCount() > 0)
        return;
    stopSearch();
    m_shownPath = m_path;
    m_list->clear();
    m_cites = m_citedBy = m_citedPart = m_editions = nullptr;
    m_own.reset();
    m_partSearched.reset();
    if (m_path.isEmpty() || !Platform::isFile(m_path)) {
        auto* none = new QTreeWidgetItem(m_list, {QStringLiteral("Документ не выбран")});
        none->setDisabled(true);
        return;
    }
    m_cites = new QTreeWidgetItem(m_list, {QStringLiteral("Ссылается на")});
    m_citedBy = new QTreeWidgetItem(m_list, {QStringLiteral("На документ ссылаются")});
    m_citedPart = new QTreeWidgetItem(m_list, {QStringLiteral("На этот пункт ссылаются")});
    m_editions = new QTreeWidgetItem(m_list, {QStringLiteral("Редакции и замены")});
    for (QTreeWidgetItem* part : {m_cites, m_citedBy, m_citedPart, m_editions}) {
        QFont font = part->font(0);
        font.setBold(true);
        part->setFont(0, font);
        part->setExpanded(true);
    }
    // The shown document is read again for its citations, apart from the window: it may be
    // large.
    m_cites->setText(1, QStringLiteral("чтение…"));
    m_reading.start(
        [path = m_path, caption = m_caption](const auto& run) {
            return DocumentNorms::ofFile(path, {caption, DocumentNorms::fileNameOf(path)},
                                         run.stopFlag());
        },
        [this](const std::optional<DocumentNorms>& norms) { showRead(norms); });
}

void NormLinksDock::showRead(const std::optional<DocumentNorms>& norms)
{
    if (!m_cites || m_path != m_shownPath)
        return;
    if (!norms) {
        m_cites->setText(1, QStringLiteral("документ не прочитан"));
        return;
    }
    fillCited(*norms);
    if (norms->own().isEmpty()) {
        m_citedBy->setText(1, QStringLiteral("у документа нет обозначения"));
        return;
    }
    // The documents citing the one it is chiefly known by, and its part being read.
    m_own = norms->own().front();
    startCiting(m_citing, m_job, m_own->text(), *m_own, std::nullopt, m_citedBy);
    searchPart();
}

void NormLinksDock::startCiting(LatestWork<QList<Citing>>& work, std::shared_ptr<SearchJob>& job,
                                const QString& context, const Designation& cited,
                                const std::optional<PartAddress>& part, QTreeWidgetItem* group)
{
    SearchRequest request;
    request.context = context;
    request.citations = true;
    request.folders = m_folders;
    request.useIndex = m_useIndex;
    if (job)
        job->cancel();
    job = std::make_shared<SearchJob>(request);
    group->setText(1, QStringLiteral("поиск…"));
    m_progress.start();
    work.start(
        [job, cited, part, self = m_path](const auto& run) {
            const SearchResult result = job->run();
            QList<Citing> documents;
            int looked = 0;
            LibraryScan::forEachDocument(result.nodes, [&](const ScanNode& node) {
                if (node.path == self || job->isCancelRequested() || run.isStopped())
                    return;
                Citing citing{node.path, QString(), QString()};
                if (looked++ < SentencesLooked) {
                    if (const auto found =
                            MentionSentence::find(node.path, cited, part, run.stopFlag())) {
                        citing.mention = found->mention();
                        citing.sentence = found->sentence();
                    }
                }
                documents.append(citing);
            });
            return documents;
        },
        [this, group](QList<Citing> documents) { showCiting(group, std::move(documents)); });
}

void NormLinksDock::setReadingPart(const std::optional<PartAddress>& part)
{
    if (part == m_part)
        return;
    m_part = part;
    if (isVisible() && m_citedPart)
        m_partSettle.start();
}

void NormLinksDock::searchPart()
{
    if (!m_citedPart || !m_own)
        return;
    const QString context = m_part ? m_part->text() + u' ' + m_own->text() : QString();
    if (context == m_partSearched)
        return;
    m_partSearched = context;
    if (m_partJob)
        m_partJob->cancel();
    m_partCiting.cancel();
    qDeleteAll(m_citedPart->takeChildren());
    const std::optional<CitationSearch> asked =
        m_part ? CitationSearch::parse(context) : std::nullopt;
    if (!asked || !asked->part()) {
        m_citedPart->setText(0, QStringLiteral("На этот пункт ссылаются"));
        m_citedPart->setText(1, QStringLiteral("читаемая часть без номера"));
        return;
    }
    m_citedPart->setText(0, QStringLiteral("На этот пункт ссылаются (%1)").arg(m_part->text()));
    startCiting(m_partCiting, m_partJob, context, *m_own, m_part, m_citedPart);
}

void NormLinksDock::fillCited(const DocumentNorms& norms)
{
    const auto addDesignation = [this](QTreeWidgetItem* part, const QString& prefix,
                                       const Designation& designation, const QString& note) {
        auto* item = new QTreeWidgetItem(part, {prefix + designation.text(), note});
        item->setData(0, DesignationRole, designation.text());
        const auto held = m_catalog ? m_catalog->resolve(designation) : std::nullopt;
        if (held) {
            item->setToolTip(0, held->caption);
        } else {
            item->setForeground(0, m_list->palette().brush(QPalette::Disabled, QPalette::Text));
            item->setToolTip(0, QStringLiteral("Нет в библиотеке"));
        }
    };
    for (const DocumentNorms::Citation& citation : norms.citations())
        addDesignation(m_cites, QString(), citation.first,
                       RussianPlural::counted(citation.count, QStringLiteral("упоминание"),
                                              QStringLiteral("упоминания"),
                                              QStringLiteral("упоминаний")));
    m_cites->setText(1, QString::number(norms.citations().size()));
    if (m_catalog && !norms.own().isEmpty()) {
        for (const NormCatalog::Entry& entry : m_catalog->editions(norms.own().front().key())) {
            if (entry.path != m_path)
                addDesignation(m_editions, QStringLiteral("Редакция: "), entry.designation,
                               entry.caption);
        }
        for (const NormCatalog::Entry& entry : m_catalog->replacing(norms.own())) {
            if (entry.path != m_path)
                addDesignation(m_editions, QStringLiteral("Заменён: "), entry.designation,
                               entry.caption);
        }
    }
    for (const Designation& replaced : norms.replaced())
        addDesignation(m_editions, QStringLiteral("Заменяет: "), replaced, QString());
    if (m_editions->childCount() == 0)
        m_editions->setText(1, QStringLiteral("в библиотеке нет"));
}

void NormLinksDock::updateProgress()
{
    if (m_job && m_citing.isRunning() && m_citedBy)
        m_citedBy->setText(1, QStringLiteral("поиск… проверено %1").arg(m_job->checkedCount()));
    if (m_partJob && m_partCiting.isRunning() && m_citedPart)
        m_citedPart->setText(1,
                             QStringLiteral("поиск… проверено %1").arg(m_partJob->checkedCount()));
    if (!m_citing.isRunning() && !m_partCiting.isRunning())
        m_progress.stop();
}

void NormLinksDock::showCiting(QTreeWidgetItem* group, QList<Citing> documents)
{
    if (group != m_citedBy && group != m_citedPart)
        return; // of a list cleared since
    const auto captionOf = [this](const QString& path) {
        const QString caption = m_catalog ? m_catalog->captionOf(path) : QString();
        return caption.isEmpty() ? DocumentNorms::fileNameOf(path) : caption;
    };
    std::stable_sort(documents.begin(), documents.end(), [&](const Citing& a, const Citing& b) {
        return captionOf(a.path).localeAwareCompare(captionOf(b.path)) < 0;
    });
    for (const Citing& citing : std::as_const(documents)) {
        auto* item = new QTreeWidgetItem(group, {captionOf(citing.path), citing.sentence});
        item->setData(0, PathRole, citing.path);
        item->setData(0, MentionRole, citing.mention);
        item->setToolTip(0, QDir::toNativeSeparators(citing.path));
        item->setToolTip(1, citing.sentence);
    }
    group->setText(1, QString::number(documents.size()));
}

void NormLinksDock::activate(QTreeWidgetItem* item)
{
    if (!item)
        return;
    const QString path = item->data(0, PathRole).toString();
    if (!path.isEmpty()) {
        emit documentRequested(path, item->data(0, MentionRole).toString());
        return;
    }
    const QString designation = item->data(0, DesignationRole).toString();
    if (!designation.isEmpty())
        emit designationRequested(designation);
}
