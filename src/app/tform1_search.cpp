// The search run, the find box with its history, and the search parameters.
#include "tform1.h"

#include "appsettings.h"
#include "backgroundsearch.h"
#include "searchhistory.h"
#include "searchresultsdock.h"
#include "tfindresultdialog1.h"
#include "tsetfindparameterdialog1.h"
#include "wmaketreeviewfordir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

// The documents of the tree in its order, top to bottom, collapsed folders included.
QStringList documentsInTreeOrder(QTreeWidget* tree)
{
    QStringList paths;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        const WMakeTreeviewForDir::MyRec record = WMakeTreeviewForDir::NodeRecord(*it);
        if (record.Kind == WMakeTreeviewForDir::Document)
            paths.append(record.FileName);
    }
    return paths;
}

} // namespace

void TForm1::RunSearch()
{
    const QString context = SearchJob::trimmedContext(FindComboBox1->currentText());
    if (context.isEmpty()) {
        SearchMode = false;
        SearchResultsDock1->leaveSearch();
        return;
    }
    if (m_search)
        return; // one search at a time
    // Nothing of the window changes until the search has ended: a stopped search leaves the
    // tree, the selection, the search mode and the status as they were.
    QTreeWidgetItem* node = selectedNode();
    m_searchWholeCollection = !node || !node->parent();
    SearchRequest request;
    QStringList place; // the captions of the node searched, below the root
    if (m_searchWholeCollection) {
        m_searchRootDirs.clear();
        m_searchRootNames.clear();
        FillCollectionLists(m_searchRootDirs, m_searchRootNames);
        request = WMakeTreeviewForDir::collectionSearch(m_searchRootDirs, m_searchRootNames,
                                                        !NormDocButton1->isChecked(), context,
                                                        matchOptions());
    } else if (TreeBuilder) {
        // The builder's options: they are taken when the tree is built.
        request = TreeBuilder->subtreeSearch(context, TreeBuilder->Options);
        for (const QTreeWidgetItem* up = node; up->parent(); up = up->parent())
            place.prepend(up->text(0));
    } else {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SearchResultsDock1->beginSearch(request, place);
    m_search = std::make_unique<BackgroundSearch>(std::move(request), this);
    connect(m_search.get(), &BackgroundSearch::documentFound, SearchResultsDock1,
            &SearchResultsDock::addFound);
    connect(m_search.get(), &BackgroundSearch::finished, this, &TForm1::showSearchResult);
}

const SearchRequest* TForm1::runningSearch() const
{
    return m_search ? &m_search->request() : nullptr;
}

MatchOptions TForm1::matchOptions() const
{
    return MatchOptions{CaseSensitive, WholeWords, TextMode};
}

void TForm1::cancelSearch()
{
    if (!m_search)
        return;
    m_search->cancel();
    m_search.reset(); // waits for the run to stop: moments, at most a chunk of a document
    SearchResultsDock1->cancelSearch();
    QApplication::restoreOverrideCursor();
    activateWindow();
    emit searchFinished();
}

void TForm1::showSearchResult()
{
    // The run has ended; it is let go once this handler of its signal is done.
    BackgroundSearch* search = m_search.release();
    search->deleteLater();
    QApplication::restoreOverrideCursor();
    const SearchResult& result = search->result();
    if (result.cancelled || search->isCancelled()) {
        SearchResultsDock1->cancelSearch();
        activateWindow(); // back from the progress window
        emit searchFinished();
        return;
    }
    SearchContext = search->request().context;
    SearchMode = true;
    int found = 0;
    int checked = 0;
    if (m_searchWholeCollection) {
        buildTree(m_searchRootDirs, m_searchRootNames, true, &result);
        found = TreeBuilder->FoundCount;
        checked = TreeBuilder->CheckedCount;
    } else if (TreeBuilder) {
        found = TreeBuilder->ShowSubtreeSearch(SearchContext, result);
        checked = TreeBuilder->CheckedCount;
        showSelectedNode(); // shown again, now the search-mode way
    }
    SearchResultsDock1->endSearch(documentsInTreeOrder(TreeView1));
    activateWindow(); // back from the progress window
    // A phrase split by markup (a tag or a line wrap between its words) is not in the raw
    // bytes; the search in the text of the documents finds it.
    const bool suggestTextMode = m_searchWholeCollection && found == 0 &&
                                 !search->request().textMode && SearchContext.contains(u' ');
    TFindResultDialog1 dialog(SearchContext, checked, found, this, result.unreadable,
                              suggestTextMode);
    runDialog(dialog);
    UpdateSearchCommands();
    setStatusText(QStringLiteral(" Режим поиска. Для отмены режима поиска нажмите Ctrl+Z."));
    emit searchFinished();
}

void TForm1::BeginFindItem1Click()
{
    RunSearch();
    TreeView1->setFocus();
}

void TForm1::FindComboBox1KeyUp()
{
    AddToSearchHistory(FindComboBox1->currentText());
    RunSearch();
    TreeView1->setFocus();
}

void TForm1::FindComboBox1CloseUp(int index)
{
    if (index >= 0) {
        FindComboBox1->setEditText(FindComboBox1->itemText(index));
        RunSearch();
        TreeView1->setFocus();
    }
    AddToSearchHistory(FindComboBox1->currentText().trimmed());
}

void TForm1::LoadSearchHistory()
{
    const QSignalBlocker blocker(FindComboBox1);
    FindComboBox1->clear();
    FindComboBox1->addItems(settings().searchHistory());
    FindComboBox1->setCurrentIndex(-1);
    FindComboBox1->setEditText(QString());
}

void TForm1::AddToSearchHistory(const QString& text)
{
    if (text.trimmed().isEmpty())
        return;
    QStringList history;
    for (int i = 0; i < FindComboBox1->count(); ++i)
        history.append(FindComboBox1->itemText(i));
    history = SearchHistory::added(history, text);
    {
        const QSignalBlocker blocker(FindComboBox1);
        FindComboBox1->clear();
        FindComboBox1->addItems(history);
        FindComboBox1->setCurrentIndex(0);
    }
    settings().setSearchHistory(history);
    UpdateSearchCommands();
}

void TForm1::UpdateSearchCommands()
{
    const bool hasContext = !FindComboBox1->currentText().trimmed().isEmpty();
    BeginFindItem1->setEnabled(hasContext);
    BeginFindButton1->setEnabled(hasContext);
    CancelFindItem1->setEnabled(SearchMode);
    CancelFindButton1->setEnabled(SearchMode);
    // The result list belongs to search mode (a search that runs fills it already).
    if (!SearchMode && !m_search)
        SearchResultsDock1->leaveSearch();
}

void TForm1::SetFindButton1Click()
{
    TSetFindParameterDialog1 dialog(this);
    dialog.WholeWordsCheckBox1->setChecked(WholeWords);
    dialog.TextModeCheckBox1->setChecked(TextMode);
    dialog.RegisterCheckBox1->setChecked(CaseSensitive);
    TSetFindParameterDialog1::selectColor(dialog.BackColorBox1, HighlightBackColor);
    TSetFindParameterDialog1::selectColor(dialog.FontColorBox1, HighlightFontColor);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    WholeWords = dialog.WholeWordsCheckBox1->isChecked();
    TextMode = dialog.TextModeCheckBox1->isChecked();
    CaseSensitive = dialog.RegisterCheckBox1->isChecked();
    HighlightBackColor = TSetFindParameterDialog1::selectedColor(dialog.BackColorBox1);
    HighlightFontColor = TSetFindParameterDialog1::selectedColor(dialog.FontColorBox1);
    const AppSettings stored = settings();
    stored.setWholeWords(WholeWords);
    stored.setCaseSensitive(CaseSensitive);
    stored.setHighlightBackColor(HighlightBackColor);
    stored.setHighlightFontColor(HighlightFontColor);
    stored.setTextMode(TextMode);
}

void TForm1::createSearchResults()
{
    SearchResultsDock1 = new SearchResultsDock(this);
    addDockWidget(Qt::BottomDockWidgetArea, SearchResultsDock1);
    SearchResultsDock1->hide();
    connect(SearchResultsDock1, &SearchResultsDock::documentChosen, this,
            &TForm1::showFoundDocument);
}

void TForm1::showFoundDocument(const QString& path)
{
    // The search tree holds every found document, so a walk of it finds the node.
    for (QTreeWidgetItemIterator it(TreeView1); *it; ++it) {
        const WMakeTreeviewForDir::MyRec record = WMakeTreeviewForDir::NodeRecord(*it);
        if (record.Kind != WMakeTreeviewForDir::Document || record.FileName != path)
            continue;
        // Opening a folder sorts its children again, which moves the iterator on.
        QTreeWidgetItem* node = *it;
        for (QTreeWidgetItem* up = node->parent(); up; up = up->parent())
            up->setExpanded(true);
        TreeView1->setCurrentItem(node); // shown as any selection is
        TreeView1->scrollToItem(node);
        return;
    }
    setStatusText(QStringLiteral(" Документа нет в дереве: ") + path);
}
