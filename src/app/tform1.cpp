// The main window's lifecycle: creation, first activation, rebuilds and closing.
#include "tform1.h"

#include "occurrencenavigator.h"

#include "appsettings.h"
#include "backgroundsearch.h"
#include "backgroundtask.h"
#include "documentpage.h"
#include "settingsfile.h"
#include "singleinstance.h"
#include "tsplashform.h"
#include "userinteraction.h"
#include "userworkdir.h"
#include "waitcursor.h"
#include "wdbffile.h"
#include "windowfront.h"
#include "wmaketreeviewfordir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWebEngineView>

TForm1::TForm1(const QString& programFile, TSplashForm* splash, QWidget* parent)
    : QMainWindow(parent), m_splashForm(splash)
{
    setObjectName(QStringLiteral("Form1"));
    ExeFileName =
        QFileInfo(programFile.isEmpty() ? QCoreApplication::applicationFilePath() : programFile)
            .absoluteFilePath();
    const QFileInfo program(ExeFileName);
    const QString programFolder = program.absolutePath() + u'/';
    IniFileName = SettingsFile::choose(programFolder + QStringLiteral("Lectoria/Lectoria.ini"));
    HelpFileName = programFolder + QStringLiteral("Lectoria/") + program.completeBaseName() +
                   QStringLiteral(".htm");
    // Only the window's own title: a display name of the application would be appended to
    // every dialog's caption.
    setWindowTitle(AppTitle);

    createControls();
    connectControls();
    FormCreate();
}

TForm1::~TForm1()
{
    m_search.reset(); // a search or copy still running stops before the tree goes
    m_copy.reset();
    FormDestroy();
}

void TForm1::connectControls()
{
    connect(ExitButton1, &QPushButton::clicked, this, &QWidget::close);
    connect(Refresh1, &QAction::triggered, this, &TForm1::Refresh1Click);
    connect(CancelFindItem1, &QAction::triggered, this, &TForm1::Refresh1Click);
    connect(CancelFindButton1, &QToolButton::clicked, this, &TForm1::Refresh1Click);
    connect(NormDocButton1, &QToolButton::clicked, this, &TForm1::NormDocButton1Click);
    connect(TechTButton1, &QToolButton::clicked, this, &TForm1::NormDocButton1Click);
    connect(OpenButton1, &QPushButton::clicked, this, &TForm1::OpenButton1Click);
    connect(OpenItem1, &QAction::triggered, this, &TForm1::OpenButton1Click);
    connect(FindComboBox1, &QComboBox::editTextChanged, this, &TForm1::UpdateSearchCommands);
    connect(FindComboBox1, &QComboBox::activated, this, &TForm1::FindComboBox1CloseUp);
    connect(BeginFindButton1, &QToolButton::clicked, this, &TForm1::BeginFindItem1Click);
    connect(BeginFindItem1, &QAction::triggered, this, &TForm1::BeginFindItem1Click);
    connect(SetFindButton1, &QToolButton::clicked, this, &TForm1::SetFindButton1Click);
    connect(SetFindItem1, &QAction::triggered, this, &TForm1::SetFindButton1Click);
    connect(ShowDocCheckBox1, &QCheckBox::clicked, this, &TForm1::ShowDocCheckBox1Click);
    connect(ScaleComboBox1, &QComboBox::activated, this, &TForm1::ScaleComboBox1Change);
    connect(CppWebBrowser1, &QWebEngineView::loadFinished, this,
            &TForm1::CppWebBrowser1DocumentComplete);
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, &TForm1::TreeView1Change);
    connect(TreeView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        PopupMenu1->popup(TreeView1->viewport()->mapToGlobal(position));
    });
    connectCommands();
    // Window keys are seen before the focused control's own handling.
    qApp->installEventFilter(this);
}

void TForm1::FormCreate()
{
    WDbfFile::ConfigureDbaseDriver();

    m_singleInstance = new SingleInstance(this);
    if (!m_singleInstance->claim(ExeFileName)) {
        m_terminateRequested = true;
        return;
    }
    connect(m_singleInstance, &SingleInstance::showRequested, this, &TForm1::bringToFront);
    UserWorkDir::removeLeftovers(); // of programs that did not close (a crash, a power cut)

    const AppSettings stored = settings();
    if (stored.normativeCollection())
        NormDocButton1->setChecked(true);
    else
        TechTButton1->setChecked(true);
    SortDateItem1->setChecked(stored.sortByDate());
    BookmarkFileName = stored.bookmarkFile();
    LoadSearchHistory();
    UpdateOpenCommands();
    LoadTree(false);
    const int scale = stored.zoomIndex();
    // An index outside the list selects nothing.
    ScaleComboBox1->setCurrentIndex(scale >= 0 && scale < ScaleComboBox1->count() ? scale : -1);
}

bool TForm1::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QMainWindow::event(event);
}

void TForm1::FormActivate()
{
    if (Activated || m_terminateRequested)
        return;
    Activated = true;

    showNodeTitle(selectedNode());

    const AppSettings stored = settings();
    applyStoredTreeWidth(stored.treeWidth());
    WholeWords = stored.wholeWords();
    TextMode = stored.textMode();
    CaseSensitive = stored.caseSensitive();
    HighlightBackColor = stored.highlightBackColor();
    HighlightFontColor = stored.highlightFontColor();
    UpdateSearchCommands();
    if (m_splashForm)
        m_splashForm->hide();
    ExternalDirectory = stored.externalDirectory();
    Refresh1Click();
    TreeView1->setFocus();
}

void TForm1::applyStoredTreeWidth(int width)
{
    // The stored width is that of the tree, which fills its pane.
    if (width <= 0)
        return;
    const int total = Splitter1->width();
    Splitter1->setSizes({width, qMax(0, total - width - Splitter1->handleWidth())});
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // A running search or copy is stopped (a search's findings are dropped, what a copy has
    // copied stays) and the window closes.
    if (m_search)
        cancelSearch();
    m_copy.reset();
    if (m_busy) {
        event->ignore();
        return;
    }
    if (!m_closed && !m_terminateRequested) {
        m_closed = true;
        FormClose();
    }
    event->accept();
}

void TForm1::FormClose()
{
    const AppSettings stored = settings();
    stored.setTreeWidth(TreeView1->width());
    stored.setNormativeCollection(NormDocButton1->isChecked());
    stored.setBookmarkFile(TreeBuilder ? TreeBuilder->GetNodeFileName(selectedNode()) : QString());
    stored.setLastContext(SearchContext);

    // The working copies (highlighted and viewer's) go with this program's working folder.
    UserWorkDir::removeBase();
}

void TForm1::FormDestroy()
{
    qApp->removeEventFilter(this);
    TreeBuilder.reset();
    m_splashForm.reset();
}

AppSettings TForm1::settings() const
{
    return AppSettings(IniFileName);
}

int TForm1::runDialog(QDialog& dialog)
{
    return UserInteraction::current().run(dialog);
}

void TForm1::bringToFront()
{
    WindowFront::bringBack(this);
}

QString TForm1::GetSuiteDir() const
{
    const QString folder = QFileInfo(ExeFileName).absolutePath() + u'/';
    const qsizetype cut = folder.lastIndexOf(u'/', folder.size() - 2);
    // A program in the file system's root has no parent: the suite is the root itself.
    return cut < 0 ? folder : folder.left(cut + 1);
}

void TForm1::UpdateOpenCommands()
{
    const bool normDoc = NormDocButton1->isChecked();
    OpenButton1->setEnabled(normDoc);
    OpenItem1->setEnabled(normDoc);
}

void TForm1::LoadTree(bool search)
{
    QStringList rootDirs;
    QStringList names;
    FillCollectionLists(rootDirs, names);
    buildTree(rootDirs, names, search, nullptr);
}

void TForm1::buildTree(const QStringList& rootDirs, const QStringList& names, bool search,
                       const SearchResult* found)
{
    WaitCursor waitCursor;
    setStatusText(QStringLiteral("Загрузка..."));
    StatusBar1->repaint();
    CppWebBrowser1->setUrl(QUrl(QStringLiteral("about:blank")));

    const QString context = search ? SearchContext : QString();
    const bool normDoc = NormDocButton1->isChecked();
    const QString title =
        normDoc ? QStringLiteral("Нормативная документация") : QStringLiteral("Технические части");
    // Links and redirects in documents may show the collection's files and working copies.
    ViewerPage->setAllowedFolders(rootDirs + QStringList{UserWorkDir::base()});

    // The selection the build makes is not the user's: the viewer stays blank.
    const QScopedValueRollback building(m_buildingTree, true);
    TreeBuilder.reset();
    TreeBuilder = std::make_unique<WMakeTreeviewForDir>(
        rootDirs, names, TreeView1, &ImageList1, title, search, matchOptions(), context, !normDoc,
        SortDateItem1->isChecked(), found);
    TreeBuilder->ShowDoc = ShowDocCheckBox1->isChecked();
    pruneHistory();
}

void TForm1::Refresh1Click()
{
    if (m_splashForm)
        m_splashForm->showNow();
    UpdateOpenCommands();
    SearchMode = false;
    UpdateSearchCommands();
    LoadTree(false);
    setStatusText(QString());
    if (m_splashForm)
        m_splashForm->hide();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FindComboBox1 || watched == FindComboBox1->lineEdit()) {
        if (findBoxEvent(event))
            return true;
    }
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        // The mouse's own back and forward buttons go through the nodes shown.
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if (button == Qt::BackButton || button == Qt::ForwardButton) {
            button == Qt::BackButton ? goBack() : goForward();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        // Enter in the viewer steps through the occurrences of the shown copy.
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        if ((keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter) &&
            widget == QApplication::focusWidget() && CppWebBrowser1->isAncestorOf(widget) &&
            Occurrences->count() > 0) {
            stepOccurrence(keyEvent->modifiers() & Qt::ShiftModifier ? -1 : 1);
            return true;
        }
        // Seen once per key: at the focused control of this window (or the window itself).
        // At the control only as the user pressed it: the browser hands a key it did not use
        // back as a new event, which would run the command a second time (help shown twice).
        const QWidget* focus = QApplication::focusWidget();
        if (widget->window() == this &&
            ((widget == focus && event->spontaneous()) || (!focus && widget == this))) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            FormKeyDown(key);
            if (widget == TreeView1)
                TreeView1KeyDown(key);
        }
    }
    if (event->type() == QEvent::MouseButtonDblClick && watched == Image1)
        AboutButton1Click();
    return QMainWindow::eventFilter(watched, event);
}

bool TForm1::findBoxEvent(QEvent* event)
{
    // A search starts from Enter or from an entry chosen in the open list; the box's own
    // arrow keys and wheel would run one at every step through the history.
    if (event->type() == QEvent::Wheel)
        return true;
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const int key = keyEvent->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        FindComboBox1KeyUp();
        return true;
    }
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && !(keyEvent->modifiers() & Qt::AltModifier)) {
        const int index = FindComboBox1->currentIndex() + (key == Qt::Key_Down ? 1 : -1);
        if (index >= 0 && index < FindComboBox1->count())
            FindComboBox1->setCurrentIndex(index);
        return true;
    }
    return false;
}

void TForm1::FormKeyDown(int key)
{
    switch (key) {
    case Qt::Key_Escape:
        close();
        break;
    case Qt::Key_F1:
        HelpButton1Click();
        break;
    case Qt::Key_F3:
        FindComboBox1->setFocus();
        break;
    case Qt::Key_F5:
        ShowDocCheckBox1->setChecked(!ShowDocCheckBox1->isChecked());
        ShowDocCheckBox1Click();
        break;
    default:
        break;
    }
}

QString TForm1::statusText() const
{
    return StatusBar1->currentMessage();
}

void TForm1::setStatusText(const QString& text)
{
    if (text.isEmpty())
        StatusBar1->clearMessage();
    else
        StatusBar1->showMessage(text);
}

QTreeWidgetItem* TForm1::selectedNode() const
{
    return TreeView1->currentItem();
}
