#include "window/windowtabs.h"

#include "dialogs/appmessagebox.h"
#include "dialogs/userinteraction.h"
#include "find/searchcontroller.h"
#include "norms/documentnorms.h"
#include "platform/platform.h"
#include "platform/userworkdir.h"
#include "search/normcatalog.h"
#include "settings/appsettings.h"
#include "support/windowcommands.h"
#include "tree/documenttree.h"
#include "tree/documenttreepanel.h"
#include "viewer/documentviewer.h"
#include "viewer/occurrencenavigator.h"
#include "window/nodenavigation.h"
#include "window/sidepane.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace {

QString comparisonCaption(const QString& newerCaption)
{
    return QStringLiteral("Сравнение: ") + newerCaption;
}

} // namespace

WindowTabs::WindowTabs(const Parts& parts, QWidget* pane, QObject* parent)
    : QObject(parent), m_parts(parts)
{
    m_tabs = new ViewerTabs(pane);
    m_split = new QSplitter(Qt::Horizontal, pane);
    m_split->setObjectName(QStringLiteral("sideBySideSplitter"));
    m_split->setChildrenCollapsible(false);
    m_split->addWidget(parts.viewer);
    m_side = new SidePane(m_split);
    m_split->addWidget(m_side);
    m_side->hide();
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_tabs->bar());
    layout->addWidget(m_split, 1);

    connect(m_tabs, &ViewerTabs::leaving, this, &WindowTabs::keepPlace);
    connect(m_tabs, &ViewerTabs::entered, this, &WindowTabs::showCurrent);
    connect(m_tabs, &ViewerTabs::statusNote, this, &WindowTabs::statusNote);
    connect(m_tabs, &ViewerTabs::closed, this, [this] {
        if (m_side->isVisible() && partner() < 0)
            showPartner();
    });

    WindowCommands* commands = parts.commands;
    const auto command = [this, commands](WindowCommands::Command which, auto slot) {
        connect(commands->action(which), &QAction::triggered, this, slot);
    };
    command(WindowCommands::NextTab, [this] { m_tabs->step(1); });
    command(WindowCommands::PreviousTab, [this] { m_tabs->step(-1); });
    // Ctrl+Shift+Tab comes as Backtab with Shift, or as Tab with Shift.
    commands->action(WindowCommands::PreviousTab)
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)});
    command(WindowCommands::CloseTab, [this] { m_tabs->close(m_tabs->currentIndex()); });
    command(WindowCommands::OpenInNewTab, [this] {
        const QString path = m_parts.tree->selectedPath();
        if (!path.isEmpty())
            openInNewTab(path, [this](const QString& p) { return m_parts.tree->selectPath(p); });
    });
    connect(commands->action(WindowCommands::SideBySide), &QAction::toggled, this,
            &WindowTabs::setSideBySide);
    command(WindowCommands::CompareEditions, &WindowTabs::compareShown);
    command(WindowCommands::CompareWith, &WindowTabs::compareWith);
    connect(m_side, &SidePane::closeRequested, this,
            [commands] { commands->action(WindowCommands::SideBySide)->setChecked(false); });
    connect(parts.viewer, &DocumentViewer::readingPartChanged, this,
            [this](int part) { m_side->follow(m_parts.viewer, part); });
    // A link followed beside is shown in the current tab.
    connect(m_side->viewer(), &DocumentViewer::libraryDocumentRequested, this,
            [this](const QString& path, const QString& anchor) {
                m_parts.viewer->setPendingAnchor(anchor);
                if (!m_parts.tree->selectPath(path))
                    m_parts.viewer->setPendingAnchor(QString());
            });
    connect(m_side->viewer(), &DocumentViewer::statusNote, this, &WindowTabs::statusNote);
}

WindowTabs::~WindowTabs() = default;

void WindowTabs::prepareNewTab()
{
    ViewerTabs::Tab tab;
    tab.zoomIndex = m_parts.zoomBox->currentIndex();
    m_tabs->add(std::move(tab));
    m_parts.navigation->setHistory(NodeHistory());
    // Where the next document shown is the one shown already, the new tab takes it as it is.
    QTimer::singleShot(0, this, [this] {
        if (m_tabs->current().path.isEmpty() && !m_parts.viewer->shownDocument().isEmpty()) {
            const TreeNode node = m_parts.tree->selected();
            recordShown(node.caption(), node.title());
        }
    });
}

void WindowTabs::openInNewTab(const QString& path,
                              const std::function<bool(const QString&)>& select)
{
    prepareNewTab();
    if (!select(path)) {
        // Neither tree holds it: shown as it is, the tree at its root.
        const NodeKind kind = Platform::isFolder(path) ? NodeKind::Folder : NodeKind::Document;
        m_parts.viewer->showNode(kind, path, captionOf(path), QDir::toNativeSeparators(path),
                                 std::nullopt);
        return;
    }
    if (m_parts.viewer->shownDocument() != path)
        m_parts.showSelected();
}

void WindowTabs::recordShown(const QString& caption, const QString& title)
{
    ViewerTabs::Tab& tab = m_tabs->current();
    const QString shown = m_parts.viewer->shownDocument();
    if (tab.isComparison() && shown == tab.page)
        return; // the comparison's page, shown late (a large one)
    if (tab.isComparison()) {
        // A document followed from the comparison: the tab shows it from now on.
        tab.comparedWith.clear();
        tab.page.clear();
    }
    if (!tab.path.isEmpty() && tab.path != shown)
        tab.moved = true;
    tab.path = shown;
    tab.caption = shown.isEmpty() ? QString() : caption;
    tab.title = title;
    tab.scroll = 0;
    tab.marking = m_parts.search->highlighting();
    m_tabs->updateCaption();
}

void WindowTabs::keepPlace()
{
    ViewerTabs::Tab& tab = m_tabs->current();
    const QString shown = m_parts.viewer->shownDocument();
    if (!shown.isEmpty() && (shown == tab.path || shown == tab.page)) {
        const int scroll = qRound(m_parts.viewer->scrollPosition());
        if (scroll != tab.scroll)
            tab.moved = true;
        tab.scroll = scroll;
    }
    tab.history = m_parts.navigation->keptHistory();
    tab.zoomIndex = m_parts.zoomBox->currentIndex();
    tab.occurrence = m_parts.viewer->occurrences()->current();
}

void WindowTabs::showCurrent()
{
    ViewerTabs::Tab& tab = m_tabs->current();
    {
        const QScopedValueRollback showing(m_showingTab, true);
        m_parts.navigation->setHistory(tab.history);
        if (tab.zoomIndex >= 0 && tab.zoomIndex < m_parts.zoomBox->count())
            m_parts.zoomBox->setCurrentIndex(tab.zoomIndex);
        if (tab.isComparison()) {
            m_parts.tree->selectPath(tab.path);
            showComparison(tab);
        } else if (tab.path.isEmpty()) {
            QTreeWidget* view = m_parts.tree->view();
            if (view->topLevelItemCount() > 0)
                view->setCurrentItem(view->topLevelItem(0));
            const TreeNode root = m_parts.tree->selected();
            m_parts.viewer->showNode(NodeKind::None, QString(), root.caption(), root.title());
        } else {
            m_parts.viewer->setPendingScroll(tab.scroll);
            if (m_parts.tree->selectPath(tab.path)) {
                const TreeNode node = m_parts.tree->selected();
                m_parts.viewer->showNode(node.kind, node.path, node.caption(), node.title(),
                                         tab.marking);
            } else {
                // The tree does not hold it now (a search's tree): shown all the same.
                QTreeWidget* view = m_parts.tree->view();
                if (view->topLevelItemCount() > 0)
                    view->setCurrentItem(view->topLevelItem(0));
                const NodeKind kind =
                    Platform::isFolder(tab.path) ? NodeKind::Folder : NodeKind::Document;
                m_parts.viewer->showNode(kind, tab.path, tab.caption, tab.title, tab.marking);
            }
        }
    }
    m_parts.tree->updateCommands();
    m_tabs->updateCaption();
    if (m_side->isVisible())
        showPartner();
}

bool WindowTabs::makeComparison(
    const QString& olderPath, const QString& newerPath,
    std::function<void(const ComparisonPage::Source&, const ComparisonPage::Source&,
                       const ComparisonFile::Made&)>
        done)
{
    if (UserWorkDir::base().isEmpty()) {
        emit statusNote(QStringLiteral("Нет рабочей папки для страницы сравнения"));
        return false;
    }
    const QString page =
        UserWorkDir::base() + QStringLiteral("/Compare/%1.htm").arg(++m_comparisons);
    emit statusMessage(QStringLiteral("Сравниваются редакции…"));
    const ComparisonPage::Source older{olderPath, captionOf(olderPath)};
    const ComparisonPage::Source newer{newerPath, captionOf(newerPath)};
    m_making.start(
        [older, newer, page](const auto& run) {
            return ComparisonFile::make(older, newer, page, run.stopFlag());
        },
        [this, older, newer, done = std::move(done)](const ComparisonFile::Made& made) {
            emit statusMessage(QString());
            done(older, newer, made);
        });
    return true;
}

void WindowTabs::showComparison(ViewerTabs::Tab& tab)
{
    if (!tab.page.isEmpty() && Platform::isFile(tab.page)) {
        m_parts.viewer->setPendingScroll(tab.scroll);
        m_parts.viewer->showNode(NodeKind::Document, tab.page, tab.caption, tab.title);
        return;
    }
    // Its page went with the last run's working folder: it is made again.
    m_parts.viewer->showNode(NodeKind::None, QString(), tab.caption, tab.title);
    const quint64 id = tab.id;
    makeComparison(tab.comparedWith, tab.path,
                   [this, id](const ComparisonPage::Source&, const ComparisonPage::Source&,
                              const ComparisonFile::Made& made) {
                       const int index = m_tabs->indexOf(id);
                       if (index < 0)
                           return;
                       if (made.page.isEmpty()) {
                           emit statusNote(made.error.section(u'\n', 0, 0));
                           return;
                       }
                       ViewerTabs::Tab& remade = m_tabs->at(index);
                       remade.page = made.page;
                       remade.history = NodeHistory();
                       remade.history.shown(made.page);
                       if (index == m_tabs->currentIndex())
                           showCurrent();
                   });
}

void WindowTabs::compare(const QString& olderPath, const QString& newerPath)
{
    if (QFileInfo(olderPath) == QFileInfo(newerPath)) {
        emit statusNote(QStringLiteral("Документ нельзя сравнить с самим собой"));
        return;
    }
    makeComparison(
        olderPath, newerPath,
        [this](const ComparisonPage::Source& older, const ComparisonPage::Source& newer,
               const ComparisonFile::Made& made) {
            if (made.page.isEmpty()) {
                if (!made.error.isEmpty())
                    AppMessageBox::show(m_parts.viewer->window(),
                                        m_parts.viewer->window()->windowTitle(), made.error);
                return;
            }
            ViewerTabs::Tab tab;
            tab.path = newer.path;
            tab.comparedWith = older.path;
            tab.page = made.page;
            tab.history.shown(made.page); // a jump within the page is a step back
            tab.caption = comparisonCaption(newer.name);
            tab.title =
                QStringLiteral("Сравнение редакций: «%1» и «%2»").arg(older.name, newer.name);
            tab.zoomIndex = m_parts.zoomBox->currentIndex();
            m_tabs->add(std::move(tab));
            showCurrent();
            if (!made.changed)
                emit statusNote(QStringLiteral("Редакции не различаются"));
        });
}

QString WindowTabs::currentDocument() const
{
    const ViewerTabs::Tab& tab = m_tabs->at(m_tabs->currentIndex());
    if (tab.isComparison())
        return tab.path;
    const QString shown = m_parts.viewer->shownDocument();
    return Platform::isFile(shown) ? shown : QString();
}

void WindowTabs::compareShown()
{
    const QString path = currentDocument();
    if (path.isEmpty()) {
        emit statusNote(QStringLiteral("Выберите документ, чтобы сравнить его редакции"));
        return;
    }
    const std::shared_ptr<const NormCatalog> catalog = m_parts.catalog();
    const std::optional<NormCatalog::EditionPair> pair =
        catalog ? catalog->comparedEditions(path) : std::nullopt;
    if (!pair) {
        emit statusNote(QStringLiteral("В библиотеке нет другой редакции этого документа; "
                                       "документ для сравнения выбирается в «Сравнить с…»"));
        return;
    }
    compare(pair->older, pair->newer);
}

void WindowTabs::compareWith()
{
    const QString path = currentDocument();
    if (path.isEmpty()) {
        emit statusNote(QStringLiteral("Выберите документ, чтобы сравнить его с другим"));
        return;
    }
    const QString chosen = UserInteraction::current().chooseOpenFile(
        m_parts.viewer->window(), QStringLiteral("Сравнить с…"), QFileInfo(path).path(),
        QStringLiteral("Документы (*.htm *.html *.pdf);;Все файлы (*)"));
    if (chosen.isEmpty())
        return;
    // The older edition first, by the years of their designations where both have one; else
    // the document chosen is taken for the older.
    const std::shared_ptr<const NormCatalog> catalog = m_parts.catalog();
    const auto yearOf = [&catalog](const QString& document) {
        const QList<Designation> own = catalog ? catalog->ownOf(document) : QList<Designation>();
        return own.isEmpty() ? 0 : own.front().edition;
    };
    const int chosenYear = yearOf(chosen);
    const int shownYear = yearOf(path);
    if (chosenYear != 0 && shownYear != 0 && chosenYear > shownYear)
        compare(path, chosen);
    else
        compare(chosen, path);
}

void WindowTabs::showDocumentPart(const QString& path, const QString& part)
{
    if (m_side->isVisible()) {
        m_side->viewer()->setNormCatalog(m_parts.catalog());
        m_side->showPart(path, captionOf(path), part);
        return;
    }
    if (!part.isEmpty())
        m_parts.viewer->setPendingPart(path, part);
    openInNewTab(path, [this](const QString& p) { return m_parts.tree->selectPath(p); });
}

void WindowTabs::setSideBySide(bool on)
{
    QAction* action = m_parts.commands->action(WindowCommands::SideBySide);
    if (on && m_tabs->count() < 2) {
        const QSignalBlocker blocker(action);
        action->setChecked(false);
        emit statusNote(QStringLiteral("«Рядом» показывает две вкладки: откройте ещё документ в "
                                       "новой вкладке (средняя кнопка мыши или Ctrl+щелчок)"));
        return;
    }
    if (!on) {
        m_side->hide();
        m_side->viewer()->clear();
        m_partner = -1;
        return;
    }
    m_partner = -1;
    m_side->show();
    const int half = std::max(1, m_split->width() / 2);
    m_split->setSizes({half, half});
    showPartner();
}

int WindowTabs::partner() const
{
    return m_partner < 0 ? -1 : m_tabs->indexOf(quint64(m_partner));
}

void WindowTabs::showPartner()
{
    int index = partner();
    if (index < 0 || index == m_tabs->currentIndex()) {
        // The tab shown most lately other than the current one.
        index = -1;
        for (int i = 0; i < m_tabs->count(); ++i)
            if (i != m_tabs->currentIndex() &&
                (index < 0 || m_tabs->at(i).lastShown > m_tabs->at(index).lastShown))
                index = i;
    }
    if (index < 0) {
        m_parts.commands->action(WindowCommands::SideBySide)->setChecked(false);
        return;
    }
    const ViewerTabs::Tab& tab = m_tabs->at(index);
    m_partner = int(tab.id);
    DocumentViewer* side = m_side->viewer();
    side->setNormCatalog(m_parts.catalog());
    side->setZoomFactor(m_parts.viewer->view()->zoomFactor());
    const QString shown = tab.isComparison() && Platform::isFile(tab.page) ? tab.page : tab.path;
    m_side->showDocument(shown, tab.caption.isEmpty() ? captionOf(shown) : tab.caption, tab.scroll,
                         tab.isComparison() ? std::nullopt : tab.marking);
}

QString WindowTabs::captionOf(const QString& path) const
{
    const std::shared_ptr<const NormCatalog> catalog = m_parts.catalog();
    const QString caption = catalog ? catalog->captionOf(path) : QString();
    return caption.isEmpty() ? DocumentNorms::fileNameOf(path) : caption;
}

WindowTabs::Restored WindowTabs::restore()
{
    const QList<AppSettings::KeptTab> kept = m_parts.settings->keptTabs();
    if (kept.size() < 2)
        return {};
    std::vector<ViewerTabs::Tab> tabs;
    QStringList gone;
    int current = 0;
    const int keptCurrent = m_parts.settings->keptCurrentTab();
    for (int i = 0; i < int(kept.size()); ++i) {
        const AppSettings::KeptTab& place = kept.at(i);
        const bool there = (Platform::isFile(place.path) || Platform::isFolder(place.path)) &&
                           (place.comparedWith.isEmpty() || Platform::isFile(place.comparedWith));
        if (!there) {
            gone << DocumentNorms::fileNameOf(place.path);
            continue;
        }
        if (i <= keptCurrent)
            current = int(tabs.size());
        ViewerTabs::Tab tab;
        tab.path = place.path;
        tab.comparedWith = place.comparedWith;
        tab.scroll = place.scroll;
        tab.zoomIndex = place.zoomIndex;
        tab.caption =
            tab.isComparison() ? comparisonCaption(captionOf(place.path)) : captionOf(place.path);
        tab.title = QDir::toNativeSeparators(place.path);
        tab.history.shown(place.path);
        tabs.push_back(std::move(tab));
    }
    Restored restored;
    if (!gone.isEmpty())
        restored.note = QStringLiteral("Не открыты вкладки документов, которых больше нет: «%1»")
                            .arg(gone.join(QStringLiteral("», «")));
    if (tabs.empty())
        return restored;
    m_tabs->reset(std::move(tabs), current);
    showCurrent();
    restored.shown = true;
    return restored;
}

void WindowTabs::save()
{
    keepPlace();
    QList<AppSettings::KeptTab> kept;
    int current = 0;
    for (int i = 0; i < m_tabs->count(); ++i) {
        const ViewerTabs::Tab& tab = m_tabs->at(i);
        if (tab.path.isEmpty())
            continue;
        if (i == m_tabs->currentIndex())
            current = int(kept.size());
        kept.append({tab.path, tab.scroll, tab.zoomIndex, tab.comparedWith});
    }
    // One tab is the window as it always was: its document is the bookmark's.
    if (kept.size() < 2)
        kept.clear();
    m_parts.settings->setKeptTabs(kept, current);
}
