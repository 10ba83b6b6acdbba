#include "tselectdirdialog1.h"

#include "dialogbuttons.h"

#include "folderdialog.h"
#include "pictures.h"
#include "platform.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

TSelectDirDialog1::TSelectDirDialog1(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SelectDirDialog1"));
    setWindowTitle(QStringLiteral("Выбор директории с нормативной документацией"));
    QFont dialogFont(QStringLiteral("MS Sans Serif"));
    dialogFont.setPixelSize(13);
    setFont(dialogFont);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(Pictures::logo(48));
    Image1->setAlignment(Qt::AlignTop);

    ZebNormDocRadioButton1 =
        new QRadioButton(QStringLiteral("Нормативная документация в ЗЕБе"), this);
    ZebNormDocRadioButton1->setObjectName(QStringLiteral("ZebNormDocRadioButton1"));
    ZebNormDocRadioButton1->setChecked(true);
    VneshNormDocRadioButton1 =
        new QRadioButton(QStringLiteral("Внешняя нормативная документация"), this);
    VneshNormDocRadioButton1->setObjectName(QStringLiteral("VneshNormDocRadioButton1"));

    SelectDirButton1 =
        new QPushButton(style()->standardIcon(QStyle::SP_DirOpenIcon),
                        QStringLiteral("Выбор директории с нормативной документацией >>"), this);
    SelectDirButton1->setObjectName(QStringLiteral("SelectDirButton1"));
    SelectDirPanel1 = new QLabel(this);
    SelectDirPanel1->setObjectName(QStringLiteral("SelectDirPanel1"));
    SelectDirPanel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    SelectDirPanel1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SelectDirPanel1->setTextFormat(Qt::PlainText);
    SelectDirPanel1->setMinimumHeight(22);

    const DialogButtons buttonRow = DialogButtons::create(this);
    OkButton1 = buttonRow.ok;
    CancelButton1 = buttonRow.cancel;
    HelpButton1 = buttonRow.help;

    auto* choices = new QVBoxLayout;
    choices->addWidget(ZebNormDocRadioButton1);
    choices->addWidget(VneshNormDocRadioButton1);
    choices->addWidget(SelectDirButton1);
    choices->addWidget(SelectDirPanel1);
    auto* top = new QHBoxLayout;
    top->addWidget(Image1);
    top->addLayout(choices, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttonRow.row());
    setFixedSize(520, 200);

    connect(ZebNormDocRadioButton1, &QRadioButton::clicked, this,
            &TSelectDirDialog1::UpdateDialogControls);
    connect(VneshNormDocRadioButton1, &QRadioButton::clicked, this,
            &TSelectDirDialog1::UpdateDialogControls);
    connect(SelectDirButton1, &QPushButton::clicked, this,
            &TSelectDirDialog1::SelectDirButton1Click);
    connect(OkButton1, &QPushButton::clicked, this, &TSelectDirDialog1::OkButton1Click);
    connect(CancelButton1, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpButton1, &QPushButton::clicked, this, &TSelectDirDialog1::HelpButton1Click);
}

void TSelectDirDialog1::setChosenDirectory(const QString& directory)
{
    ChosenDirectory = directory;
    SelectDirPanel1->setText(QStringLiteral(" ") + ChosenDirectory);
}

bool TSelectDirDialog1::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        UpdateDialogControls();
    return QDialog::event(event);
}

void TSelectDirDialog1::UpdateDialogControls()
{
    const bool external = VneshNormDocRadioButton1->isChecked();
    SelectDirButton1->setEnabled(external);
    OkButton1->setEnabled(!external || !ChosenDirectory.isEmpty());
}

void TSelectDirDialog1::SelectDirButton1Click()
{
    QString chosen = FolderDialog::choose(this, QStringLiteral("Выбор директории с документацией"));
    if (chosen.isEmpty())
        return;
    // One trailing separator goes ("D:\" becomes "D:"); the file system's root stays itself.
    if (chosen.size() > 1 && Platform::endsWithSeparator(chosen))
        chosen.chop(1);
    setChosenDirectory(chosen);
    UpdateDialogControls();
}

void TSelectDirDialog1::OkButton1Click()
{
    if (ZebNormDocRadioButton1->isChecked())
        ChosenDirectory.clear();
    accept();
}

void TSelectDirDialog1::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        reject();
    else if (event->key() == Qt::Key_F1)
        HelpButton1Click();
    QDialog::keyReleaseEvent(event);
}
