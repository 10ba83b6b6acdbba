#include "dialogs/libraryfolderdialog.h"

#include "dialogs/dialogbuttons.h"

#include "dialogs/folderchooser.h"
#include "platform/platform.h"
#include "support/pictures.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

LibraryFolderDialog::LibraryFolderDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("libraryFolderDialog"));
    setWindowTitle(QStringLiteral("Выбор директории с нормативной документацией"));
    QFont dialogFont(QStringLiteral("MS Sans Serif"));
    dialogFont.setPixelSize(13);
    setFont(dialogFont);

    m_logo = new QLabel(this);
    m_logo->setObjectName(QStringLiteral("logo"));
    m_logo->setPixmap(Pictures::logo(48));
    m_logo->setAlignment(Qt::AlignTop);

    m_suiteChoice = new QRadioButton(QStringLiteral("Нормативная документация в ЗЕБе"), this);
    m_suiteChoice->setObjectName(QStringLiteral("suiteChoice"));
    m_suiteChoice->setChecked(true);
    m_externalChoice = new QRadioButton(QStringLiteral("Внешняя нормативная документация"), this);
    m_externalChoice->setObjectName(QStringLiteral("externalChoice"));

    m_chooseFolderButton =
        new QPushButton(style()->standardIcon(QStyle::SP_DirOpenIcon),
                        QStringLiteral("Выбор директории с нормативной документацией >>"), this);
    m_chooseFolderButton->setObjectName(QStringLiteral("chooseFolderButton"));
    m_folderLabel = new QLabel(this);
    m_folderLabel->setObjectName(QStringLiteral("folderLabel"));
    m_folderLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_folderLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_folderLabel->setTextFormat(Qt::PlainText);
    m_folderLabel->setMinimumHeight(22);

    const DialogButtons buttonRow = DialogButtons::create(this);
    m_okButton = buttonRow.ok;
    m_cancelButton = buttonRow.cancel;
    m_helpButton = buttonRow.help;

    auto* choices = new QVBoxLayout;
    choices->addWidget(m_suiteChoice);
    choices->addWidget(m_externalChoice);
    choices->addWidget(m_chooseFolderButton);
    choices->addWidget(m_folderLabel);
    auto* top = new QHBoxLayout;
    top->addWidget(m_logo);
    top->addLayout(choices, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttonRow.row());
    setFixedSize(520, 200);

    connect(m_suiteChoice, &QRadioButton::clicked, this, &LibraryFolderDialog::updateControls);
    connect(m_externalChoice, &QRadioButton::clicked, this, &LibraryFolderDialog::updateControls);
    connect(m_chooseFolderButton, &QPushButton::clicked, this, &LibraryFolderDialog::chooseFolder);
    connect(m_okButton, &QPushButton::clicked, this, &LibraryFolderDialog::acceptChoice);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_helpButton, &QPushButton::clicked, this, &LibraryFolderDialog::showHelp);
}

void LibraryFolderDialog::setChosenDirectory(const QString& directory)
{
    m_chosenDirectory = directory;
    m_folderLabel->setText(QStringLiteral(" ") + m_chosenDirectory);
}

bool LibraryFolderDialog::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        updateControls();
    return QDialog::event(event);
}

void LibraryFolderDialog::updateControls()
{
    const bool external = m_externalChoice->isChecked();
    m_chooseFolderButton->setEnabled(external);
    m_okButton->setEnabled(!external || !m_chosenDirectory.isEmpty());
}

void LibraryFolderDialog::chooseFolder()
{
    QString chosen =
        FolderChooser::choose(this, QStringLiteral("Выбор директории с документацией"));
    if (chosen.isEmpty())
        return;
    // One trailing separator goes ("D:\" becomes "D:"); the file system's root stays itself.
    if (chosen.size() > 1 && Platform::endsWithSeparator(chosen))
        chosen.chop(1);
    setChosenDirectory(chosen);
    updateControls();
}

void LibraryFolderDialog::acceptChoice()
{
    if (m_suiteChoice->isChecked())
        m_chosenDirectory.clear();
    accept();
}

void LibraryFolderDialog::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        reject();
    else if (event->key() == Qt::Key_F1)
        showHelp();
    QDialog::keyReleaseEvent(event);
}
