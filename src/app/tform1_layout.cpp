// The main window's controls, their texts and places.
#include "tform1.h"

#include "documentpage.h"
#include "elidedtoolbutton.h"
#include "pictures.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

QToolButton* flatButton(QWidget* parent, const QString& name, const QIcon& icon,
                        const QString& hint)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setAutoRaise(true);
    button->setIcon(icon);
    button->setToolTip(hint);
    return button;
}

} // namespace

void TForm1::createControls()
{
    ImageList1 = Pictures::imageList();

    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setPixelSize(13);
    setFont(windowFont);
    setMinimumSize(100, 100);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(createTopRow());
    layout->addWidget(createSecondRow());

    Splitter1 = new QSplitter(Qt::Horizontal, central);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(createTreePane());

    WebPanel1 = new QWidget(Splitter1);
    WebPanel1->setObjectName(QStringLiteral("WebPanel1"));
    auto* webLayout = new QVBoxLayout(WebPanel1);
    webLayout->setContentsMargins(0, 0, 0, 0);
    CppWebBrowser1 = new QWebEngineView(WebPanel1);
    CppWebBrowser1->setObjectName(QStringLiteral("CppWebBrowser1"));
    ViewerPage = new DocumentPage(CppWebBrowser1);
    CppWebBrowser1->setPage(ViewerPage);
    installHighlightColours();
    webLayout->addWidget(CppWebBrowser1);
    setupNavigation();
    Splitter1->addWidget(WebPanel1);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({252, 800});
    layout->addWidget(Splitter1, 1);
    setCentralWidget(central);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(25);
    StatusBar1->setSizeGripEnabled(false);
    setStatusBar(StatusBar1);
    createSearchResults();

    createTreeMenu();
    // Below this size the top row's controls would cover each other.
    setMinimumSize(minimumSizeHint().expandedTo(QSize(640, 420)));
}

QWidget* TForm1::createTopRow()
{
    auto* row = new QFrame(this);
    row->setObjectName(QStringLiteral("TopPanel1"));
    row->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(2, 2, 2, 2);

    auto* logoPanel = new QFrame(row);
    logoPanel->setObjectName(QStringLiteral("LogoPanel1"));
    logoPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    logoPanel->setFixedWidth(55);
    auto* logoLayout = new QHBoxLayout(logoPanel);
    logoLayout->setContentsMargins(2, 2, 2, 2);
    Image1 = new QLabel(logoPanel);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(Pictures::logo(40));
    Image1->setAlignment(Qt::AlignCenter);
    logoLayout->addWidget(Image1);
    layout->addWidget(logoPanel);

    ExitButton1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                                  QStringLiteral("Выход"), row);
    ExitButton1->setObjectName(QStringLiteral("ExitButton1"));
    layout->addWidget(ExitButton1);

    Label1 = new QLabel(QStringLiteral("Поиск:"), row);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setToolTip(QStringLiteral("Поиск по контексту в документах"));
    layout->addWidget(Label1);

    FindComboBox1 = new QComboBox(row);
    FindComboBox1->setObjectName(QStringLiteral("FindComboBox1"));
    FindComboBox1->setEditable(true);
    FindComboBox1->setInsertPolicy(QComboBox::NoInsert);
    FindComboBox1->setMaxVisibleItems(20);
    FindComboBox1->setFixedWidth(205);
    layout->addWidget(FindComboBox1);

    BeginFindButton1 = flatButton(row, QStringLiteral("BeginFindButton1"), ImageList1.value(8),
                                  QStringLiteral("Начать поиск (Ctrl+F)"));
    CancelFindButton1 = flatButton(row, QStringLiteral("CancelFindButton1"), ImageList1.value(9),
                                   QStringLiteral("Отменить поиск (Ctrl+Z)"));
    SetFindButton1 = flatButton(row, QStringLiteral("SetFindButton1"), ImageList1.value(10),
                                QStringLiteral("Параметры поиска (Ctrl+P)"));
    layout->addWidget(BeginFindButton1);
    layout->addWidget(CancelFindButton1);
    layout->addWidget(SetFindButton1);

    ScaleComboBox1 = new QComboBox(row);
    ScaleComboBox1->setObjectName(QStringLiteral("ScaleComboBox1"));
    ScaleComboBox1->addItems({QStringLiteral("100%"), QStringLiteral("120%"),
                              QStringLiteral("140%"), QStringLiteral("160%"),
                              QStringLiteral("180%"), QStringLiteral("200%")});
    ScaleComboBox1->setToolTip(QStringLiteral("Масштаб"));
    ScaleComboBox1->setFixedWidth(65);
    layout->addWidget(ScaleComboBox1);

    ShowDocCheckBox1 = new QCheckBox(QStringLiteral("F5 - Показать документ"), row);
    ShowDocCheckBox1->setObjectName(QStringLiteral("ShowDocCheckBox1"));
    ShowDocCheckBox1->setChecked(true);
    layout->addWidget(ShowDocCheckBox1);
    layout->addStretch(1);

    AboutButton1 = flatButton(row, QStringLiteral("AboutButton1"),
                              style()->standardIcon(QStyle::SP_MessageBoxInformation),
                              QStringLiteral("О программе"));
    HelpButton1 = flatButton(row, QStringLiteral("HelpButton1"),
                             style()->standardIcon(QStyle::SP_DialogHelpButton),
                             QStringLiteral("Справка (F1)"));
    layout->addWidget(AboutButton1);
    layout->addWidget(HelpButton1);
    return row;
}

QWidget* TForm1::createSecondRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(2, 2, 2, 2);

    OpenButton1 = new QPushButton(ImageList1.value(5), QStringLiteral("Открыть"), row);
    OpenButton1->setObjectName(QStringLiteral("OpenButton1"));
    OpenButton1->setToolTip(QStringLiteral("Выбор директории с документацией (Ctrl+O)"));
    layout->addWidget(OpenButton1);
    createHistoryButtons(layout);

    NamePanel1 = new QLabel(row);
    NamePanel1->setObjectName(QStringLiteral("NamePanel1"));
    NamePanel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    NamePanel1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    NamePanel1->setAutoFillBackground(true);
    NamePanel1->setStyleSheet(QStringLiteral("QLabel { background: #ccffcc; font-weight: bold; }"));
    NamePanel1->setTextFormat(Qt::PlainText);
    NamePanel1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(NamePanel1, 1);
    createOccurrenceControls(layout);
    return row;
}

QWidget* TForm1::createTreePane()
{
    TreeViewPanel1 = new QWidget(this);
    TreeViewPanel1->setObjectName(QStringLiteral("TreeViewPanel1"));
    auto* layout = new QVBoxLayout(TreeViewPanel1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* buttons = new QHBoxLayout;
    m_collectionGroup = new QButtonGroup(this);
    m_collectionGroup->setExclusive(true);
    const auto collectionButton = [&](const QString& name, const QString& caption) {
        auto* button = new ElidedToolButton(TreeViewPanel1);
        button->setObjectName(name);
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        button->setMinimumWidth(1); // the pane may still be made narrow
        QFont bold = button->font();
        bold.setBold(true);
        button->setFont(bold);
        button->setFullText(caption);
        m_collectionGroup->addButton(button);
        buttons->addWidget(button);
        return button;
    };
    NormDocButton1 =
        collectionButton(QStringLiteral("NormDocButton1"), QStringLiteral("Норм. документы"));
    TechTButton1 = collectionButton(QStringLiteral("TechTButton1"), QStringLiteral("Тех. части"));
    NormDocButton1->setChecked(true);
    layout->addLayout(buttons);

    TreeView1 = new QTreeWidget(TreeViewPanel1);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    TreeView1->setIndentation(19);
    TreeView1->setMinimumWidth(40);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    TreeView1->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    TreeView1->header()->setStretchLastSection(false);
    // The selection stays visible when the tree loses the focus.
    QPalette palette = TreeView1->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    palette.setColor(QPalette::Base, QColor(0xff, 0xfb, 0xf0));
    TreeView1->setPalette(palette);
    layout->addWidget(TreeView1, 1);
    return TreeViewPanel1;
}

void TForm1::installHighlightColours()
{
    // The highlighted copy writes its colours as bare RRGGBB digits. The browser reads bare
    // digits for "color" but not for "background", which left white text on white: the marks
    // of the copy are given their "#" when a page is shown (the copy on disk stays as it is),
    // and a sign by which stepping through the occurrences finds them.
    QWebEngineScript script;
    script.setName(QStringLiteral("lectoria-highlight-colours"));
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setSourceCode(QStringLiteral(R"(
(function () {
  var mark = /^color:([0-9a-f]{6});background:([0-9a-f]{6})$/;
  var spans = document.getElementsByTagName('span');
  for (var i = 0; i < spans.length; ++i) {
    var found = mark.exec(spans[i].getAttribute('style') || '');
    if (found) {
      spans[i].style.color = '#' + found[1];
      spans[i].style.background = '#' + found[2];
      spans[i].setAttribute('data-lectoria-mark', '');
    }
  }
})();
)"));
    CppWebBrowser1->page()->scripts().insert(script);
}

void TForm1::createTreeMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const auto item = [this](const QString& name, const QString& caption,
                             const QKeySequence& shortcut, int icon) {
        auto* action = PopupMenu1->addAction(caption);
        action->setObjectName(name);
        if (!shortcut.isEmpty()) {
            action->setShortcut(shortcut);
            // The shortcuts act while the tree has the focus.
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            TreeView1->addAction(action);
        }
        if (icon >= 0)
            action->setIcon(ImageList1.value(icon));
        return action;
    };
    OpenItem1 = item(QStringLiteral("OpenItem1"), QStringLiteral("О&ткрыть..."),
                     QKeySequence(Qt::CTRL | Qt::Key_O), 5);
    PopupMenu1->addSeparator();
    Refresh1 = item(QStringLiteral("Refresh1"), QStringLiteral("О&бновить все"),
                    QKeySequence(Qt::CTRL | Qt::Key_R), 4);
    PopupMenu1->addSeparator();
    OpenAllFolders1 = item(QStringLiteral("OpenAllFolders1"), QStringLiteral("&Открыть все папки"),
                           QKeySequence(), 3);
    CloseAllFolders1 =
        item(QStringLiteral("CloseAllFolders1"), QStringLiteral("&Закрыть все папки"),
             QKeySequence(Qt::CTRL | Qt::Key_C), 2);
    PopupMenu1->addSeparator();
    DeleteItem1 = item(QStringLiteral("DeleteItem1"), QStringLiteral("У&далить..."),
                       QKeySequence(Qt::CTRL | Qt::Key_Delete), 6);
    CopyInItem1 = item(QStringLiteral("CopyInItem1"), QStringLiteral("Скопировать в..."),
                       QKeySequence(Qt::CTRL | Qt::Key_S), 11);
    PopupMenu1->addSeparator();
    SetZakladka1 = item(QStringLiteral("SetZakladka1"), QStringLiteral("&Установить закладку"),
                        QKeySequence(Qt::Key_F2), -1);
    GotoZakladka1 = item(QStringLiteral("GotoZakladka1"), QStringLiteral("&Перейти к закладке"),
                         QKeySequence(Qt::CTRL | Qt::Key_F2), -1);
    PopupMenu1->addSeparator();
    BeginFindItem1 = item(QStringLiteral("BeginFindItem1"), QStringLiteral("&Начать поиск"),
                          QKeySequence(Qt::CTRL | Qt::Key_F), 8);
    CancelFindItem1 = item(QStringLiteral("CancelFindItem1"), QStringLiteral("От&менить поиск"),
                           QKeySequence(Qt::CTRL | Qt::Key_Z), 9);
    SetFindItem1 = item(QStringLiteral("SetFindItem1"), QStringLiteral("Параметры по&иска..."),
                        QKeySequence(Qt::CTRL | Qt::Key_P), 10);
    PopupMenu1->addSeparator();
    SortDateItem1 = item(QStringLiteral("SortDateItem1"), QStringLiteral("&Сортировка по дате"),
                         QKeySequence(), -1);
    SortDateItem1->setCheckable(true);
    PopupMenu1->addSeparator();
    OpenInEditorItem1 =
        item(QStringLiteral("OpenInEditorItem1"), QStringLiteral("Открыть в Microsoft &Word"),
             QKeySequence(Qt::CTRL | Qt::Key_W), 7);
}
