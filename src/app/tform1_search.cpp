// The search run, the find box with its history, and the search parameters.
#include "tform1.h"

#include "appsettings.h"
#include "librarysearch.h"
#include "searchhistory.h"
#include "tfindresultdialog1.h"
#include "tprogressbardialog1.h"
#include "tsetfindparameterdialog1.h"
#include "waitcursor.h"
#include "wmaketreeviewfordir.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

namespace {

// While it lives, the long part of a search runs off the user interface thread; the progress
// window keeps painting and counts, and no user input reaches the windows.
class BackgroundSearch
{
public:
    explicit BackgroundSearch(TProgressBarDialog1& progressWindow)
    {
        // One count for the whole run, over every root directory searched.
        WMakeTreeviewForDir::setWorkRunner([&progressWindow, this](const auto& work) {
            std::atomic<int>& progress = m_checked;
            std::unique_ptr<QThread> thread(QThread::create([&] { work(&progress); }));
            QEventLoop loop;
            QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit,
                             Qt::QueuedConnection);
            QTimer counter;
            QObject::connect(&counter, &QTimer::timeout, &progressWindow,
                             [&] { progressWindow.setCheckedCount(progress.load()); });
            counter.start(50);
            thread->start();
            loop.exec(QEventLoop::ExcludeUserInputEvents);
            thread->wait();
            progressWindow.setCheckedCount(progress.load());
        });
    }
    ~BackgroundSearch() { WMakeTreeviewForDir::setWorkRunner(nullptr); }
    BackgroundSearch(const BackgroundSearch&) = delete;
    BackgroundSearch& operator=(const BackgroundSearch&) = delete;

private:
    std::atomic<int> m_checked{0};
};

} // namespace

void TForm1::RunSearch()
{
    SearchContext = LibrarySearch::trimmedContext(FindComboBox1->currentText());
    if (SearchContext.isEmpty()) {
        SearchMode = false;
        return;
    }
    int found = 0;
    int checked = 0;
    {
        const QScopedValueRollback busy(m_busy, true);
        WaitCursor waitCursor;
        TProgressBarDialog1 progressWindow(this, QStringLiteral("Поиск"),
                                           QStringLiteral("Идет поиск. Ждите..."));
        progressWindow.setCheckedCount(0);
        progressWindow.showNow();
        const BackgroundSearch background(progressWindow);

        QTreeWidgetItem* node = selectedNode();
        SearchMode = true;
        if (!node || !node->parent()) {
            LoadTree(true);
            found = TreeBuilder->FoundCount;
            checked = TreeBuilder->CheckedCount;
        } else if (TreeBuilder) {
            found = TreeBuilder->SearchSubtree(SearchContext);
            checked = TreeBuilder->CheckedCount;
            progressWindow.close();
            showSelectedNode(); // shown again, now the search-mode way
        }
    }
    activateWindow(); // back from the progress window
    TFindResultDialog1 result(SearchContext, checked, found, this);
    runDialog(result);
    UpdateSearchCommands();
    setStatusText(QStringLiteral(" Режим поиска. Для отмены режима поиска нажмите Ctrl+Z."));
}

void TForm1::BeginFindItem1Click()
{
    RunSearch();
    TreeView1->setFocus();
}

void TForm1::FindComboBox1KeyUp()
{
    const QString text = FindComboBox1->currentText();
    SearchContext = text;
    AddToSearchHistory(text);
    RunSearch();
    TreeView1->setFocus();
}

void TForm1::FindComboBox1CloseUp(int index)
{
    if (index >= 0) {
        FindComboBox1->setEditText(FindComboBox1->itemText(index));
        SearchContext = FindComboBox1->currentText();
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
}

void TForm1::SetFindButton1Click()
{
    TSetFindParameterDialog1 dialog(this);
    dialog.WholeWordsCheckBox1->setChecked(WholeWords);
    dialog.RegisterCheckBox1->setChecked(CaseSensitive);
    TSetFindParameterDialog1::selectColor(dialog.BackColorBox1, HighlightBackColor);
    TSetFindParameterDialog1::selectColor(dialog.FontColorBox1, HighlightFontColor);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    WholeWords = dialog.WholeWordsCheckBox1->isChecked();
    CaseSensitive = dialog.RegisterCheckBox1->isChecked();
    HighlightBackColor = TSetFindParameterDialog1::selectedColor(dialog.BackColorBox1);
    HighlightFontColor = TSetFindParameterDialog1::selectedColor(dialog.FontColorBox1);
    const AppSettings stored = settings();
    stored.setWholeWords(WholeWords);
    stored.setCaseSensitive(CaseSensitive);
    stored.setHighlightBackColor(HighlightBackColor);
    stored.setHighlightFontColor(HighlightFontColor);
}
