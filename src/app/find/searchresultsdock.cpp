#include "find/searchresultsdock.h"

#include "dialogs/userinteraction.h"
#include "library/captionorder.h"
#include "support/flatbutton.h"
#include "support/newtabclick.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCollator>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMutex>
#include <QPainter>
#include <QSaveFile>
#include <QShortcut>
#include <QStandardPaths>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

namespace {

const CaptionOrder& captionOrder()
{
    // The order of the tree's captions, as keys computed once per row: the list is sorted
    // again each time rows come in.
    static const CaptionOrder order;
    return order;
}

// The line around the first occurrence, the occurrence in bold; the part before it is cut
// from the left when the column is narrow, so that the occurrence stays in sight.
class SnippetDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const QString match = index.data(SearchResultsDock::MatchRole).toString();
        if (match.isEmpty()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        item.text.clear();
        const QWidget* widget = item.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget)
                               .adjusted(margin, 0, -margin, 0);
        QFont bold = item.font;
        bold.setBold(true);
        const QFontMetrics plainMetrics(item.font);
        const QFontMetrics boldMetrics(bold);
        const QString before = index.data(SearchResultsDock::BeforeRole).toString();
        const QString after = index.data(SearchResultsDock::AfterRole).toString();
        const int room = area.width() - boldMetrics.horizontalAdvance(match);
        const int afterWidth = plainMetrics.horizontalAdvance(after);
        const int beforeRoom = qMax(0, qMax(room / 3, room - afterWidth));

        painter->save();
        painter->setClipRect(area);
        const QPalette::ColorGroup group =
            item.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        painter->setPen(item.palette.color(group, item.state & QStyle::State_Selected
                                                      ? QPalette::HighlightedText
                                                      : QPalette::Text));
        int x = area.left();
        const auto run = [&](const QString& text, const QFont& font, Qt::TextElideMode elide,
                             int width) {
            const QFontMetrics metrics(font);
            const QString shown = metrics.elidedText(text, elide, width);
            painter->setFont(font);
            painter->drawText(QRect(x, area.top(), area.right() - x + 1, area.height()),
                              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
            x += metrics.horizontalAdvance(shown);
        };
        run(before, item.font, Qt::ElideLeft, beforeRoom);
        run(match, bold, Qt::ElideRight, area.right() - x + 1);
        run(after, item.font, Qt::ElideRight, area.right() - x + 1);
        painter->restore();
    }
};

} // namespace

// A found document. Rows are ordered by their place in the tree: by the captions on the way
// down while the search runs, by the tree's own order once the tree holds the findings.
class ResultRow final : public QTreeWidgetItem
{
public:
    ResultRow(const QString& documentPath, const QStringList& captions)
        : QTreeWidgetItem(UserType), path(documentPath)
    {
        keys.reserve(size_t(captions.size()));
        for (const QString& caption : captions)
            keys.push_back(captionOrder().sortKey(caption));
        setText(SearchResultsDock::DocumentColumn, captions.join(QStringLiteral("->")));
        setData(SearchResultsDock::DocumentColumn, SearchResultsDock::PathRole, path);
        setToolTip(SearchResultsDock::DocumentColumn, QDir::toNativeSeparators(path));
        setText(SearchResultsDock::CountColumn, QStringLiteral("…"));
        setTextAlignment(SearchResultsDock::CountColumn, Qt::AlignRight | Qt::AlignVCenter);
    }

    const QString path;
    std::vector<QCollatorSortKey> keys;
    int order = -1;        // among the tree's documents, once the tree holds them
    int count = -1;        // occurrences in the text; -1 while not known
    double relevance = -1; // of the word-forms search
    bool read = false;

    bool operator<(const QTreeWidgetItem& other) const override
    {
        const auto& row = static_cast<const ResultRow&>(other);
        const QTreeWidget* list = treeWidget();
        const int column = list ? list->sortColumn() : SearchResultsDock::DocumentColumn;
        if (column == SearchResultsDock::CountColumn ||
            column == SearchResultsDock::RelevanceColumn) {
            if (column == SearchResultsDock::CountColumn && count != row.count)
                return count < row.count;
            if (column == SearchResultsDock::RelevanceColumn && relevance != row.relevance)
                return relevance < row.relevance;
            // Equal counts keep the tree's order whichever way the counts go.
            return list->header()->sortIndicatorOrder() == Qt::DescendingOrder ? row.before(*this)
                                                                               : before(row);
        }
        return before(row);
    }

private:
    bool before(const ResultRow& row) const
    {
        if (order != row.order)
            return order < row.order;
        const size_t levels = std::min(keys.size(), row.keys.size());
        for (size_t i = 0; i < levels; ++i) {
            const int compared = keys[i].compare(row.keys[i]);
            if (compared != 0)
                return compared < 0;
        }
        if (keys.size() != row.keys.size())
            return keys.size() > row.keys.size(); // a folder before a document of its caption
        return path < row.path;
    }
};

// The rows to read, shared with the reading thread, which takes them in the order asked until
// none is left.
struct SearchResultsDock::ReadQueue
{
    QMutex mutex;
    QStringList paths;
    bool taking = false; // a reading takes from it; once it has found it empty, it ends

    // The next path; none: the reading ends (and the next rows asked start another).
    std::optional<QString> take()
    {
        const QMutexLocker lock(&mutex);
        if (paths.isEmpty()) {
            taking = false;
            return std::nullopt;
        }
        return paths.takeFirst();
    }
    // Whether a reading still takes what is added.
    bool add(const QStringList& more)
    {
        const QMutexLocker lock(&mutex);
        paths += more;
        const bool wasTaking = taking;
        taking = true;
        return wasTaking;
    }
};

SearchResultsDock::SearchResultsDock(QWidget* parent)
    : QDockWidget(QStringLiteral("Результаты поиска"), parent),
      m_queue(std::make_shared<ReadQueue>())
{
    setObjectName(QStringLiteral("searchResultsDock"));
    // Docked only: a choice in a window of its own would not be this window's selection.
    setFeatures(DockWidgetClosable | DockWidgetMovable);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("searchResultsList"));
    m_list->setColumnCount(4);
    m_list->setHeaderLabels({QStringLiteral("Документ"), QStringLiteral("Совпадения"),
                             QStringLiteral("Релевантность"), QStringLiteral("Фрагмент")});
    m_list->setColumnHidden(RelevanceColumn, true);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setItemDelegateForColumn(SnippetColumn, new SnippetDelegate(m_list));
    m_list->setTextElideMode(Qt::ElideMiddle); // the document's own caption stays in sight
    m_list->header()->resizeSection(DocumentColumn, 420);
    m_list->header()->resizeSection(CountColumn, 110);
    m_list->header()->resizeSection(RelevanceColumn, 130);
    m_list->header()->setStretchLastSection(true);
    m_list->setSortingEnabled(true);
    m_list->sortByColumn(DocumentColumn, Qt::AscendingOrder);
    m_list->setToolTip(QStringLiteral("Найденные документы (F6). Следующий: Alt+PgDown, "
                                      "предыдущий: Alt+PgUp"));
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(2, 0, 2, 0);
    m_header = new QLabel(panel);
    m_header->setObjectName(QStringLiteral("searchResultsHeader"));
    m_header->setTextFormat(Qt::PlainText);
    const auto stepButton = [panel, row](const QString& name, const QString& text,
                                         const QString& hint) {
        QToolButton* button = makeFlatButton(panel, name, text, hint);
        row->addWidget(button);
        return button;
    };
    QToolButton* previous = stepButton(QStringLiteral("previousDocumentButton"),
                                       QStringLiteral("◀ Предыдущий документ"),
                                       QStringLiteral("Предыдущий найденный документ (Alt+PgUp)"));
    QToolButton* next =
        stepButton(QStringLiteral("nextDocumentButton"), QStringLiteral("Следующий документ ▶"),
                   QStringLiteral("Следующий найденный документ (Alt+PgDown)"));
    row->addWidget(m_header, 1);
    m_line = row;
    QToolButton* save =
        makeFlatButton(panel, QStringLiteral("saveResultsButton"), QStringLiteral("Сохранить…"),
                       QStringLiteral("Сохранить результаты в таблицу CSV или "
                                      "отчёт HTML"));
    row->addWidget(save);
    connect(save, &QToolButton::clicked, this, qOverload<>(&SearchResultsDock::saveResults));
    m_everywhereButton =
        makeFlatButton(panel, QStringLiteral("everywhereButton"), QStringLiteral("Искать везде"),
                       QStringLiteral("Тот же поиск во всей коллекции"));
    m_everywhereButton->hide();
    row->addWidget(m_everywhereButton);
    connect(m_everywhereButton, &QToolButton::clicked, this,
            &SearchResultsDock::everywhereRequested);
    m_withinFoundButton = new QToolButton(panel);
    m_withinFoundButton->setObjectName(QStringLiteral("searchWithinFoundButton"));
    m_withinFoundButton->setAutoRaise(true);
    m_withinFoundButton->hide(); // until the command is given
    row->addWidget(m_withinFoundButton);
    m_restoreTreeButton =
        makeFlatButton(panel, QStringLiteral("restoreTreeButton"), QStringLiteral("Вернуть дерево"),
                       QStringLiteral("Все документы коллекции снова в дереве"));
    m_restoreTreeButton->hide();
    row->addWidget(m_restoreTreeButton);
    connect(m_restoreTreeButton, &QToolButton::clicked, this,
            &SearchResultsDock::treeRestoreRequested);
    layout->addLayout(row);
    layout->addWidget(m_list, 1);
    setWidget(panel);
    connect(previous, &QToolButton::clicked, this, [this] { chooseNext(-1); });
    connect(next, &QToolButton::clicked, this, [this] { chooseNext(1); });

    connect(m_list->header(), &QHeaderView::sortIndicatorChanged, this,
            &SearchResultsDock::sortChanged);
    const auto choose = [this](QTreeWidgetItem* row) {
        if (row)
            emit documentChosen(documentPath(row));
    };
    connect(m_list, &QTreeWidget::itemClicked, this, choose);
    m_list->viewport()->installEventFilter(this);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QTreeWidgetItem* row = m_list->itemAt(at);
        if (!row)
            return;
        QMenu menu(this);
        QAction* open = menu.addAction(QStringLiteral("Открыть"));
        QAction* inNewTab = menu.addAction(QStringLiteral("Открыть в новой вкладке"));
        menu.addSeparator();
        QAction* copy = menu.addAction(QStringLiteral("Копировать"));
        copy->setShortcut(QKeySequence::Copy);
        QAction* save = menu.addAction(QStringLiteral("Сохранить результаты…"));
        QAction* chosen = menu.exec(m_list->viewport()->mapToGlobal(at));
        if (chosen == open)
            emit documentChosen(documentPath(row));
        else if (chosen == inNewTab)
            emit documentChosenInNewTab(documentPath(row));
        else if (chosen == copy)
            copySelectedRows();
        else if (chosen == save)
            saveResults();
    });
    connect(m_list, &QTreeWidget::itemActivated, this, choose);
    auto* copy = new QShortcut(QKeySequence::Copy, m_list, nullptr, nullptr, Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, &SearchResultsDock::copySelectedRows);
    // Moving through the rows with the keys shows each document, as the tree does.
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this, choose](QTreeWidgetItem* row) {
        if (m_list->hasFocus())
            choose(row);
    });

    // Rows come in groups: the list is sorted again once per group, not once per document.
    m_addTimer.setSingleShot(true);
    m_addTimer.setInterval(100);
    connect(&m_addTimer, &QTimer::timeout, this, &SearchResultsDock::addPending);
}

SearchResultsDock::~SearchResultsDock() = default;

SearchResultsDock::Saved::~Saved()
{
    qDeleteAll(rows);
}

bool SearchResultsDock::eventFilter(QObject* watched, QEvent* event)
{
    if (QTreeWidgetItem* row = newTabClickRow(m_list, watched, event)) {
        emit documentChosenInNewTab(documentPath(row));
        return true;
    }
    return QDockWidget::eventFilter(watched, event);
}

QString SearchResultsDock::documentPath(const QTreeWidgetItem* row)
{
    return row ? row->data(DocumentColumn, PathRole).toString() : QString();
}

void SearchResultsDock::beginSearch(const SearchRequest& request, const QStringList& marked,
                                    const QStringList& prefix)
{
    stopReading();
    m_addTimer.stop();
    m_incoming.clear();
    auto saved = std::make_unique<Saved>();
    saved->rows = m_list->invisibleRootItem()->takeChildren();
    saved->request = m_request;
    saved->marked = m_marked;
    saved->prefix = m_prefix;
    saved->header = m_header->text();
    saved->visible = !isHidden();
    m_saved = std::move(saved);
    m_rows.clear();
    m_request = request;
    m_marked = marked;
    m_prefix = prefix;
    m_everywhereButton->hide();
    // An offer may be what began this search: let go once its click is handled.
    for (QToolButton* offer : std::exchange(m_offers, {})) {
        offer->hide();
        offer->deleteLater();
    }
    show();
}

void SearchResultsDock::addFound(const QString& path)
{
    m_incoming.append(path);
    if (!m_addTimer.isActive())
        m_addTimer.start();
}

void SearchResultsDock::addPending()
{
    QList<QTreeWidgetItem*> items;
    QList<ResultRow*> rows;
    for (const QString& path : std::as_const(m_incoming)) {
        if (m_rows.contains(path))
            continue;
        auto* row = new ResultRow(path, m_prefix + FoundDocument::captionsBelow(m_request, path));
        m_rows.insert(path, row);
        rows.append(row);
        items.append(row);
    }
    m_incoming.clear();
    m_list->addTopLevelItems(items);
    read(rows);
}

void SearchResultsDock::endSearch(const QStringList& paths, const QHash<QString, double>& relevance)
{
    m_addTimer.stop();
    addPending();
    m_saved.reset();
    m_list->setColumnHidden(RelevanceColumn, !m_request.options.wordForms);
    double best = 0.0;
    for (ResultRow* row : std::as_const(m_rows)) {
        row->relevance = relevance.value(row->path, 0.0);
        best = std::max(best, row->relevance);
    }
    for (ResultRow* row : std::as_const(m_rows)) {
        // The share of the best document's score: 100 % for the first. Documents a score
        // cannot tell apart (a single one, or all alike) are each the best.
        if (m_request.options.wordForms)
            row->setText(RelevanceColumn,
                         QStringLiteral("%1 %").arg(
                             best > 0.0 ? qRound(100.0 * row->relevance / best) : 100));
        row->setTextAlignment(RelevanceColumn, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (m_request.options.wordForms) // most relevant first; the user may sort otherwise
        m_list->header()->setSortIndicator(RelevanceColumn, Qt::DescendingOrder);
    else if (m_list->sortColumn() == RelevanceColumn)
        m_list->header()->setSortIndicator(DocumentColumn, Qt::AscendingOrder);
    for (qsizetype i = 0; i < paths.size(); ++i) {
        ResultRow* row = m_rows.value(paths.at(i));
        if (row && row->order < 0)
            row->order = int(i);
    }
    for (ResultRow* row : std::as_const(m_rows)) {
        if (row->order < 0)
            row->order = INT_MAX;
    }
    m_list->sortItems(m_list->sortColumn(), m_list->header()->sortIndicatorOrder());
    // The keys start from the first row; it is not chosen, nor marked as if it were.
    if (!m_list->currentItem() && m_list->topLevelItemCount() > 0)
        m_list->selectionModel()->setCurrentIndex(m_list->model()->index(0, 0),
                                                  QItemSelectionModel::NoUpdate);
    show();
}

void SearchResultsDock::cancelSearch()
{
    stopReading();
    m_addTimer.stop();
    m_incoming.clear();
    deleteRows();
    if (!m_saved) {
        hide();
        return;
    }
    const std::unique_ptr<Saved> saved = std::move(m_saved);
    m_request = saved->request;
    m_marked = saved->marked;
    m_prefix = saved->prefix;
    m_header->setText(saved->header); // the list and its header are those of that search
    QList<ResultRow*> rows;
    for (QTreeWidgetItem* item : std::as_const(saved->rows)) {
        auto* row = static_cast<ResultRow*>(item);
        m_rows.insert(row->path, row);
        rows.append(row);
    }
    m_list->addTopLevelItems(saved->rows);
    saved->rows.clear(); // the list's now
    m_list->sortItems(m_list->sortColumn(), m_list->header()->sortIndicatorOrder());
    setVisible(saved->visible);
    read(rows); // those the search interrupted
}

void SearchResultsDock::leaveSearch()
{
    stopReading();
    m_addTimer.stop();
    m_incoming.clear();
    deleteRows();
    m_saved.reset();
    hide();
}

bool SearchResultsDock::chooseNext(int step)
{
    const int count = m_list->topLevelItemCount();
    if (count == 0)
        return false;
    // The list's keys start at its first row without choosing it: the first step chooses it.
    const int current =
        m_list->selectedItems().isEmpty() ? -1 : m_list->indexOfTopLevelItem(m_list->currentItem());
    const int next = current < 0 ? (step > 0 ? 0 : count - 1) : (current + step + count) % count;
    if (current >= 0 && count > 1 && (step > 0 ? next < current : next > current))
        emit wentRound(step > 0);
    QTreeWidgetItem* row = m_list->topLevelItem(next);
    m_list->setCurrentItem(row);
    m_list->scrollToItem(row);
    emit documentChosen(documentPath(row));
    return true;
}

void SearchResultsDock::setWithinFoundAction(QAction* action)
{
    m_withinFoundButton->setDefaultAction(action);
    m_withinFoundButton->setToolTip(
        QStringLiteral("Следующий поиск — только среди найденных документов (Esc — выйти)"));
    m_withinFoundButton->show();
    const auto follow = [this, action] { m_restoreTreeButton->setVisible(action->isChecked()); };
    connect(action, &QAction::toggled, this, follow);
    follow();
}

void SearchResultsDock::setSearchFacts(const QString& reading, const QString& scope,
                                       const QString& freshness)
{
    m_reading = reading;
    m_scope = scope;
    m_freshness = freshness;
}

QList<ResultExport::Row> SearchResultsDock::exportRows(bool selectedOnly) const
{
    QList<ResultExport::Row> rows;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const auto* row = static_cast<const ResultRow*>(m_list->topLevelItem(i));
        if (selectedOnly && !row->isSelected())
            continue;
        ResultExport::Row out;
        out.caption = row->text(DocumentColumn);
        out.path = row->path;
        out.designation = ResultExport::designationOf(out.caption);
        out.occurrences = row->count;
        if (m_request.options.wordForms) {
            const QString shown = row->text(RelevanceColumn);
            out.relevance = shown.isEmpty() ? -1 : shown.chopped(2).toDouble();
        }
        out.snippet = row->text(SnippetColumn);
        rows.append(out);
    }
    return rows;
}

void SearchResultsDock::copySelectedRows() const
{
    QList<ResultExport::Row> rows = exportRows(true);
    if (rows.isEmpty() && m_list->currentItem())
        rows = exportRows(false).mid(m_list->indexOfTopLevelItem(m_list->currentItem()), 1);
    if (!rows.isEmpty())
        QGuiApplication::clipboard()->setText(ResultExport::tabSeparated(rows));
}

void SearchResultsDock::saveResults()
{
    if (m_list->topLevelItemCount() == 0) {
        emit statusNote(QStringLiteral("Список результатов пуст: сохранять нечего"));
        return;
    }
    const QString folder = m_saveFolder.isEmpty()
                               ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                               : m_saveFolder;
    const QString path = UserInteraction::current().chooseSaveFile(
        window(), QStringLiteral("Сохранить результаты"),
        QDir(folder).filePath(QStringLiteral("Результаты поиска.csv")),
        QStringLiteral("Таблица CSV (*.csv);;Отчёт HTML (*.html *.htm)"), QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    m_saveFolder = QFileInfo(path).absolutePath();
    emit statusNote(saveResults(path)
                        ? QStringLiteral("Результаты сохранены: ") + QDir::toNativeSeparators(path)
                        : QStringLiteral("Не удалось записать файл ") +
                              QDir::toNativeSeparators(path));
}

bool SearchResultsDock::saveResults(const QString& path) const
{
    const QList<ResultExport::Row> rows = exportRows(false);
    const QString suffix = QFileInfo(path).suffix().toLower();
    QByteArray bytes;
    if (suffix == u"html" || suffix == u"htm") {
        ResultExport::Search search;
        search.query = m_request.context;
        search.reading = m_reading;
        search.mode = m_request.options.wordForms ? QStringLiteral("слова в любой форме")
                      : m_request.options.textMode ? QStringLiteral("в тексте документов")
                                                   : QStringLiteral("по содержимому файлов");
        search.scope = m_scope;
        search.freshness = m_freshness;
        search.when = QDateTime::currentDateTime();
        bytes = ResultExport::html(search, rows);
    } else {
        bytes = ResultExport::csv(rows);
    }
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

void SearchResultsDock::addOffer(const QString& name, const QString& text, const QString& hint,
                                 const std::function<void()>& chosen)
{
    QToolButton* button = makeFlatButton(this, name, text, hint);
    // Before the buttons of the line's own.
    m_line->insertWidget(m_line->indexOf(m_header) + 1, button);
    button->show();
    connect(button, &QToolButton::clicked, this, chosen);
    m_offers.append(button);
}

void SearchResultsDock::offerEverywhere()
{
    m_everywhereButton->show();
}

void SearchResultsDock::setHeader(const QString& text)
{
    m_header->setText(text);
    m_header->setToolTip(text);
}

QString SearchResultsDock::header() const
{
    return m_header->text();
}

void SearchResultsDock::focusList()
{
    show();
    raise();
    m_list->setFocus();
    if (!m_list->currentItem() && m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
}

void SearchResultsDock::deleteRows()
{
    m_rows.clear();
    qDeleteAll(m_list->invisibleRootItem()->takeChildren());
}

void SearchResultsDock::stopReading()
{
    // What the reading sends for these rows is let go, and it takes no more of them.
    m_reader.cancel();
    m_queue = std::make_shared<ReadQueue>();
}

void SearchResultsDock::read(const QList<ResultRow*>& rows)
{
    QStringList paths;
    for (const ResultRow* row : rows) {
        if (!row->read)
            paths.append(row->path);
    }
    if (paths.isEmpty() || m_queue->add(paths))
        return;
    m_reader.start(
        [this, queue = m_queue, options = m_request.options, marked = m_marked](const auto& run) {
            while (!run.isStopped()) {
                const std::optional<QString> path = queue->take();
                if (!path)
                    return;
                const FoundDocument::Summary summary =
                    FoundDocument::summarize(*path, marked, options);
                run.handOver([this, path = *path, summary] { showSummary(path, summary); });
            }
        },
        [] {});
}

void SearchResultsDock::showSummary(const QString& path, const FoundDocument::Summary& summary)
{
    ResultRow* row = m_rows.value(path);
    if (!row)
        return;
    row->read = true;
    if (!summary.readable) {
        row->setText(CountColumn, QStringLiteral("—"));
        row->setText(SnippetColumn, QStringLiteral("документ не удалось прочитать"));
        row->setForeground(SnippetColumn, QBrush(Qt::gray));
        return;
    }
    row->count = summary.marked; // before the text: a sort by the count reads it
    row->setText(CountColumn, QString::number(summary.marked));
    if (summary.marked == 0 && summary.inMarkup > 0) {
        row->setText(SnippetColumn, QStringLiteral("совпадения только в разметке"));
        row->setForeground(SnippetColumn, QBrush(Qt::gray));
        return;
    }
    // Blanks alone before an occurrence that opens the text say nothing.
    QString before = summary.before.trimmed().isEmpty() ? QString() : summary.before;
    if (summary.page > 0)
        before.prepend(QStringLiteral("с. %1: ").arg(summary.page)); // the page of a PDF
    row->setData(SnippetColumn, BeforeRole, before);
    row->setData(SnippetColumn, MatchRole, summary.match);
    row->setData(SnippetColumn, AfterRole, summary.after);
    const QString line = before + summary.match + summary.after;
    row->setText(SnippetColumn, line);
    row->setToolTip(SnippetColumn, line);
}

void SearchResultsDock::sortChanged(int column, Qt::SortOrder order)
{
    const bool toNumbers =
        (column == CountColumn || column == RelevanceColumn) && m_sortColumn != column;
    m_sortColumn = column;
    // Most occurrences, or the most relevant, first when the column is first chosen.
    if (toNumbers && order == Qt::AscendingOrder)
        m_list->header()->setSortIndicator(column, Qt::DescendingOrder);
}
