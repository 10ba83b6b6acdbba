// Moving through results: the occurrences of the shown copy, back and forward through the nodes
// shown, links of documents, the viewer's own menu and find bar, printing.
#include "tform1.h"

#include "documentpage.h"
#include "occurrencenavigator.h"
#include "platform.h"
#include "replacehtml.h"
#include "userworkdir.h"
#include "wmaketreeviewfordir.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScopedValueRollback>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEngineFindTextResult>
#include <QWebEngineView>

namespace {

// The keys of a standard command other than plain F3, which moves to the find box; Ctrl+G
// where the platform has no other.
QList<QKeySequence> bindingsWithoutF3(QKeySequence::StandardKey key)
{
    QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    keys.removeAll(QKeySequence(Qt::Key_F3));
    if (keys.isEmpty())
        keys.append(QKeySequence(Qt::CTRL | Qt::Key_G));
    return keys;
}

QString keysText(const QList<QKeySequence>& keys, const QString& more)
{
    QStringList texts;
    for (const QKeySequence& key : keys)
        texts.append(key.toString(QKeySequence::NativeText));
    texts.append(more);
    return texts.join(QStringLiteral(", "));
}

QToolButton* toolButton(QWidget* parent, const QString& name, const QString& text,
                        const QString& hint)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    return button;
}

} // namespace

void TForm1::createHistoryButtons(QHBoxLayout* row)
{
    QWidget* parent = row->parentWidget();
    BackButton1 = toolButton(parent, QStringLiteral("BackButton1"), QStringLiteral("Назад"),
                             QStringLiteral("К предыдущему показанному документу (Alt+Влево)"));
    BackButton1->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    ForwardButton1 = toolButton(parent, QStringLiteral("ForwardButton1"), QStringLiteral("Вперёд"),
                                QStringLiteral("К следующему показанному документу (Alt+Вправо)"));
    ForwardButton1->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    for (QToolButton* button : {BackButton1, ForwardButton1}) {
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        row->addWidget(button);
    }
}

void TForm1::createOccurrenceControls(QHBoxLayout* row)
{
    QWidget* parent = row->parentWidget();
    PrevOccurrenceButton1 =
        toolButton(parent, QStringLiteral("PrevOccurrenceButton1"), QStringLiteral("Предыдущее"),
                   QStringLiteral("Предыдущее совпадение (") +
                       keysText(QKeySequence::keyBindings(QKeySequence::FindPrevious),
                                QStringLiteral("Shift+Enter")) +
                       u')');
    OccurrenceLabel1 = new QLabel(parent);
    OccurrenceLabel1->setObjectName(QStringLiteral("OccurrenceLabel1"));
    NextOccurrenceButton1 = toolButton(
        parent, QStringLiteral("NextOccurrenceButton1"), QStringLiteral("Следующее"),
        QStringLiteral("Следующее совпадение (") +
            keysText(bindingsWithoutF3(QKeySequence::FindNext), QStringLiteral("Enter")) + u')');
    row->addWidget(PrevOccurrenceButton1);
    row->addWidget(OccurrenceLabel1);
    row->addWidget(NextOccurrenceButton1);
}

void TForm1::setupNavigation()
{
    Occurrences = new OccurrenceNavigator(this);
    connect(Occurrences, &OccurrenceNavigator::changed, this, &TForm1::updateNavigationControls);
    connect(Occurrences, &OccurrenceNavigator::wrapped, this, [this](bool forward) {
        showStatusNote(forward ? QStringLiteral("Поиск продолжен с начала документа")
                               : QStringLiteral("Поиск продолжен с конца документа"));
    });
    connect(PrevOccurrenceButton1, &QToolButton::clicked, this, [this] { stepOccurrence(-1); });
    connect(NextOccurrenceButton1, &QToolButton::clicked, this, [this] { stepOccurrence(1); });
    connect(BackButton1, &QToolButton::clicked, this, &TForm1::goBack);
    connect(ForwardButton1, &QToolButton::clicked, this, &TForm1::goForward);

    const auto addShortcut = [this](const QList<QKeySequence>& keys, auto slot) {
        auto* action = new QAction(this);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    addShortcut(bindingsWithoutF3(QKeySequence::FindNext), [this] { stepOccurrence(1); });
    addShortcut(QKeySequence::keyBindings(QKeySequence::FindPrevious),
                [this] { stepOccurrence(-1); });
    addShortcut(QKeySequence::keyBindings(QKeySequence::Back), [this] { goBack(); });
    addShortcut(QKeySequence::keyBindings(QKeySequence::Forward), [this] { goForward(); });

    connect(ViewerPage, &DocumentPage::linkActivated, this, &TForm1::followLink);
    CppWebBrowser1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(CppWebBrowser1, &QWidget::customContextMenuRequested, this, &TForm1::showViewerMenu);
    connect(ViewerPage, &QWebEnginePage::pdfPrintingFinished, this,
            [this](const QString& path, bool ok) { emit pdfSaved(path, ok); });

    // The find bar of the page, above it.
    PageFindBar1 = new QWidget(WebPanel1);
    PageFindBar1->setObjectName(QStringLiteral("PageFindBar1"));
    auto* bar = new QHBoxLayout(PageFindBar1);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->addWidget(new QLabel(QStringLiteral("Найти на странице:"), PageFindBar1));
    PageFindEdit1 = new QLineEdit(PageFindBar1);
    PageFindEdit1->setObjectName(QStringLiteral("PageFindEdit1"));
    bar->addWidget(PageFindEdit1, 1);
    PageFindLabel1 = new QLabel(PageFindBar1);
    PageFindLabel1->setObjectName(QStringLiteral("PageFindLabel1"));
    bar->addWidget(PageFindLabel1);
    QToolButton* close = toolButton(PageFindBar1, QStringLiteral("PageFindCloseButton1"),
                                    QStringLiteral("✕"), QStringLiteral("Закрыть (Esc)"));
    bar->addWidget(close);
    static_cast<QVBoxLayout*>(WebPanel1->layout())->insertWidget(0, PageFindBar1);
    PageFindBar1->hide();
    const auto find = [this](bool backward) {
        QWebEnginePage::FindFlags flags;
        if (backward)
            flags |= QWebEnginePage::FindBackward;
        ViewerPage->findText(PageFindEdit1->text(), flags,
                             [this](const QWebEngineFindTextResult& result) {
                                 PageFindLabel1->setText(result.numberOfMatches() > 0
                                                             ? QStringLiteral("%1 из %2")
                                                                   .arg(result.activeMatch())
                                                                   .arg(result.numberOfMatches())
                                                             : QStringLiteral("нет совпадений"));
                             });
    };
    connect(PageFindEdit1, &QLineEdit::returnPressed, this,
            [find] { find(QApplication::keyboardModifiers() & Qt::ShiftModifier); });
    connect(close, &QToolButton::clicked, this, [this] {
        ViewerPage->findText(QString());
        PageFindBar1->hide();
        CppWebBrowser1->setFocus();
    });
    updateNavigationControls();
}

void TForm1::updateNavigationControls()
{
    const int count = Occurrences ? Occurrences->count() : 0;
    for (QWidget* control :
         {static_cast<QWidget*>(PrevOccurrenceButton1),
          static_cast<QWidget*>(NextOccurrenceButton1), static_cast<QWidget*>(OccurrenceLabel1)})
        control->setVisible(count > 0);
    if (count > 0)
        OccurrenceLabel1->setText(
            Occurrences->current() > 0
                ? QStringLiteral("%1 из %2").arg(Occurrences->current()).arg(count)
                : QStringLiteral("%1").arg(count));
    BackButton1->setEnabled(History.canGoBack());
    ForwardButton1->setEnabled(History.canGoForward());
}

void TForm1::stepOccurrence(int direction)
{
    if (Occurrences->count() == 0)
        return;
    Occurrences->step(direction);
}

void TForm1::showStatusNote(const QString& note)
{
    // A note for a moment; the status it covers comes back unless something else replaced it.
    const QString before = statusText();
    setStatusText(note);
    QTimer::singleShot(3000, this, [this, note, before] {
        if (statusText() == note)
            setStatusText(before);
    });
}

void TForm1::goBack()
{
    const QScopedValueRollback navigating(m_navigatingHistory, true);
    while (History.canGoBack()) {
        if (showPath(History.goBack()))
            break;
    }
    updateNavigationControls();
}

void TForm1::goForward()
{
    const QScopedValueRollback navigating(m_navigatingHistory, true);
    while (History.canGoForward()) {
        if (showPath(History.goForward()))
            break;
    }
    updateNavigationControls();
}

bool TForm1::showPath(const QString& path)
{
    if (!TreeBuilder || path.isEmpty())
        return false;
    QTreeWidgetItem* node = TreeBuilder->NodeForPath(path);
    if (!node)
        return false;
    if (TreeView1->currentItem() == node)
        showSelectedNode();
    else
        TreeView1->setCurrentItem(node); // shown as the user's own selection is
    TreeView1->scrollToItem(node);
    return true;
}

void TForm1::pruneHistory()
{
    if (!TreeBuilder) {
        History.clear();
    } else {
        History.keepOnly([this](const QString& path) { return TreeBuilder->HasNodeForPath(path); });
    }
    updateNavigationControls();
}

bool TForm1::isLibraryDocument(const QString& path) const
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return (suffix == u"htm" || suffix == u"html") && Platform::isFile(path) &&
           ViewerPage->isAllowedFile(QUrl::fromLocalFile(path)) &&
           !path.startsWith(UserWorkDir::base() + u'/');
}

void TForm1::followLink(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == u"http" || scheme == u"https" || scheme == u"ftp" || scheme == u"mailto") {
        QDesktopServices::openUrl(url); // the desktop's browser or mail program, never here
        return;
    }
    if (!url.isLocalFile())
        return;
    QString path = QDir::cleanPath(url.toLocalFile());
    // A link of the highlighted copy resolves in the working folder: it means the same place
    // beside the document itself.
    const QString workDir = QDir::cleanPath(UserWorkDir::highlightWorkDir());
    if (!m_shownDocument.isEmpty() && path.startsWith(workDir + u'/'))
        path = QDir::cleanPath(QFileInfo(m_shownDocument).path() + u'/' +
                               path.mid(workDir.size() + 1));
    if (!isLibraryDocument(path)) {
        showStatusNote(QStringLiteral("Ссылка ведёт за пределы библиотеки: ") +
                       QDir::toNativeSeparators(path));
        return;
    }
    m_pendingAnchor = url.fragment();
    if (!showPath(path)) {
        m_pendingAnchor.clear();
        showStatusNote(QStringLiteral("Документа нет в дереве: ") + QDir::toNativeSeparators(path));
    }
}

void TForm1::openPageFind()
{
    PageFindBar1->show();
    PageFindEdit1->setFocus();
    PageFindEdit1->selectAll();
}

void TForm1::showViewerMenu(const QPoint& at)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("Копировать"), this,
                   [this] { ViewerPage->triggerAction(QWebEnginePage::Copy); })
        ->setEnabled(ViewerPage->hasSelection());
    menu.addAction(QStringLiteral("Выделить всё"), this,
                   [this] { ViewerPage->triggerAction(QWebEnginePage::SelectAll); });
    menu.addSeparator();
    menu.addAction(QStringLiteral("Назад"), this, &TForm1::goBack)->setEnabled(History.canGoBack());
    menu.addAction(QStringLiteral("Вперёд"), this, &TForm1::goForward)
        ->setEnabled(History.canGoForward());
    menu.addSeparator();
    menu.addAction(QStringLiteral("Найти на странице…"), this, &TForm1::openPageFind);
    menu.addAction(QStringLiteral("Печать…"), this, &TForm1::printDocument);
    menu.addAction(QStringLiteral("Сохранить как PDF…"), this, [this] {
        const QString caption = shownCaption();
        const QString suggested =
            QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                .filePath((caption.isEmpty() ? QStringLiteral("Документ") : caption) +
                          QStringLiteral(".pdf"));
        const QString path =
            QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить как PDF"), suggested,
                                         QStringLiteral("Документ PDF (*.pdf)"));
        if (!path.isEmpty())
            saveAsPdf(path);
    });
    menu.exec(CppWebBrowser1->mapToGlobal(at));
}

QString TForm1::shownCaption() const
{
    // The caption of the shown node, made fit for a file name.
    QString caption = TreeView1->currentItem() ? TreeView1->currentItem()->text(0) : QString();
    static const QString unfit = QStringLiteral("/\\:*?\"<>|");
    for (QChar& c : caption) {
        if (unfit.contains(c))
            c = u'_';
    }
    return caption.trimmed();
}

void TForm1::saveAsPdf(const QString& path)
{
    ViewerPage->printToPdf(path);
}

void TForm1::printDocument()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(shownCaption());
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(QStringLiteral("Печать"));
    // The preview asks for pages as it is drawn; the viewer prints them in the background.
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
        QEventLoop wait;
        const auto done =
            connect(CppWebBrowser1, &QWebEngineView::printFinished, &wait, &QEventLoop::quit);
        CppWebBrowser1->print(target);
        wait.exec();
        disconnect(done);
    });
    preview.exec();
}
