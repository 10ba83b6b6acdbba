#include "window/toprow.h"

#include "settings/appsettings.h"

#include "find/findbox.h"
#include "support/flatbutton.h"
#include "support/pictures.h"
#include "support/windowcommands.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace {

QToolButton* flatButton(QWidget* parent, const QString& name, const QIcon& icon,
                        const QString& hint)
{
    QToolButton* button = makeFlatButton(parent, name, QString(), hint);
    button->setIcon(icon);
    return button;
}

// A button that runs a command: its icon, and its hint with the command's key.
QToolButton* commandButton(QWidget* parent, const QString& name, QAction* action,
                           const QString& hint)
{
    QToolButton* button = flatButton(parent, name, action->icon(), hint);
    button->setEnabled(action->isEnabled());
    QObject::connect(button, &QToolButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    return button;
}

} // namespace

TopRow::TopRow(FindBox* findBox, QComboBox* scopeChooser, const WindowCommands* commands,
               QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("topRow"));
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);

    auto* logoPanel = new QFrame(this);
    logoPanel->setObjectName(QStringLiteral("logoPanel"));
    logoPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    logoPanel->setFixedWidth(55);
    auto* logoLayout = new QHBoxLayout(logoPanel);
    logoLayout->setContentsMargins(2, 2, 2, 2);
    m_logo = new QLabel(logoPanel);
    m_logo->setObjectName(QStringLiteral("logo"));
    m_logo->setPixmap(Pictures::logo(40));
    m_logo->setAlignment(Qt::AlignCenter);
    m_logo->installEventFilter(this);
    logoLayout->addWidget(m_logo);
    layout->addWidget(logoPanel);

    auto* exitButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                                       QStringLiteral("Выход"), this);
    exitButton->setObjectName(QStringLiteral("exitButton"));
    layout->addWidget(exitButton);

    auto* findLabel = new QLabel(QStringLiteral("Поиск:"), this);
    findLabel->setObjectName(QStringLiteral("findLabel"));
    findLabel->setToolTip(QStringLiteral("Поиск по контексту в документах"));
    layout->addWidget(findLabel);
    findBox->setParent(this);
    layout->addWidget(findBox);
    scopeChooser->setParent(this);
    layout->addWidget(scopeChooser);
    m_modeLabel = new QLabel(this);
    m_modeLabel->setObjectName(QStringLiteral("searchModeLabel"));
    m_modeLabel->setStyleSheet(QStringLiteral("QLabel { color: #205080; }"));
    m_modeLabel->setToolTip(QStringLiteral("Режим поиска: параметры поиска (Ctrl+P)"));
    m_modeLabel->hide();
    layout->addWidget(m_modeLabel);

    layout->addWidget(commandButton(this, QStringLiteral("beginSearchButton"),
                                    commands->action(WindowCommands::BeginSearch),
                                    QStringLiteral("Начать поиск (Ctrl+F)")));
    layout->addWidget(commandButton(this, QStringLiteral("cancelSearchButton"),
                                    commands->action(WindowCommands::CancelSearch),
                                    QStringLiteral("Отменить поиск (Ctrl+Z)")));
    layout->addWidget(commandButton(this, QStringLiteral("searchOptionsButton"),
                                    commands->action(WindowCommands::SearchOptions),
                                    QStringLiteral("Параметры поиска (Ctrl+P)")));

    m_zoomBox = new QComboBox(this);
    m_zoomBox->setObjectName(QStringLiteral("zoomBox"));
    m_zoomBox->addItems({QStringLiteral("100%"), QStringLiteral("120%"), QStringLiteral("140%"),
                         QStringLiteral("160%"), QStringLiteral("180%"), QStringLiteral("200%")});
    m_zoomBox->setToolTip(QStringLiteral("Масштаб"));
    m_zoomBox->setFixedWidth(65);
    layout->addWidget(m_zoomBox);

    m_showDocumentBox = new QCheckBox(QStringLiteral("F5 - Показать документ"), this);
    m_showDocumentBox->setObjectName(QStringLiteral("showDocumentBox"));
    m_showDocumentBox->setChecked(true);
    layout->addWidget(m_showDocumentBox);
    layout->addStretch(1);

    QToolButton* aboutButton = flatButton(this, QStringLiteral("aboutButton"),
                                          style()->standardIcon(QStyle::SP_MessageBoxInformation),
                                          QStringLiteral("О программе"));
    QToolButton* helpButton = flatButton(this, QStringLiteral("helpButton"),
                                         style()->standardIcon(QStyle::SP_DialogHelpButton),
                                         QStringLiteral("Справка (F1)"));
    layout->addWidget(aboutButton);
    layout->addWidget(helpButton);

    connect(m_zoomBox, &QComboBox::activated, this, &TopRow::zoomChosen);
    connect(exitButton, &QPushButton::clicked, this, &TopRow::exitRequested);
    connect(aboutButton, &QToolButton::clicked, this, &TopRow::aboutRequested);
    connect(helpButton, &QToolButton::clicked, this, &TopRow::helpRequested);
}

void TopRow::useSettings(AppSettings* settings)
{
    const int stored = settings->zoomIndex();
    m_zoomBox->setCurrentIndex(stored >= 0 && stored < m_zoomBox->count() ? stored : -1);
    connect(this, &TopRow::zoomChosen, settings,
            [this, settings] { settings->setZoomIndex(m_zoomBox->currentIndex()); });
}

double TopRow::selectedZoomFactor() const
{
    if (m_zoomBox->currentIndex() < 0)
        return 1.0;
    QString text = m_zoomBox->currentText().trimmed();
    const qsizetype percent = text.indexOf(u'%');
    if (percent >= 0)
        text.truncate(percent);
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && value > 0 ? float(value * 0.01) : 1.0;
}

void TopRow::stepZoom(int step)
{
    const int index = qBound(0, m_zoomBox->currentIndex() + step, m_zoomBox->count() - 1);
    if (index == m_zoomBox->currentIndex())
        return;
    m_zoomBox->setCurrentIndex(index);
    emit zoomChosen();
}

void TopRow::setSearchModeText(const QString& text)
{
    m_modeLabel->setText(text);
    m_modeLabel->setVisible(!text.isEmpty());
}

void TopRow::resetZoom()
{
    stepZoom(-m_zoomBox->currentIndex());
}

bool TopRow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_logo && event->type() == QEvent::MouseButtonDblClick)
        emit aboutRequested();
    return QFrame::eventFilter(watched, event);
}
