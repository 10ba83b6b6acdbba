#include "tprogressbardialog1.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TProgressBarDialog1::TProgressBarDialog1(QWidget* parent, const QString& caption,
                                         const QString& message)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    // Without the desktop's frame: some window managers give every framed window a close
    // button whatever the window asks for, and only "Отмена" may end the work. The caption
    // is a strip of its own, the border the window's ground around its panels.
    setObjectName(QStringLiteral("ProgressBarDialog1"));
    setWindowTitle(caption);
    setFixedSize(328, 104 + CaptionHeight);
    setStyleSheet(QStringLiteral("#ProgressBarDialog1 { background: #3a6ea5; }"));
    CaptionLabel1 = new QLabel(caption, this);
    CaptionLabel1->setObjectName(QStringLiteral("CaptionLabel1"));
    CaptionLabel1->setFixedHeight(CaptionHeight - 1);
    CaptionLabel1->setAlignment(Qt::AlignCenter);
    CaptionLabel1->setStyleSheet(QStringLiteral("QLabel { color: white; font-weight: bold; }"));

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAutoFillBackground(true);
    Panel1->setStyleSheet(QStringLiteral("#Panel1 { background: #a6caf0; }"));
    Panel2 = new QLabel(message, Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    QFont big = Panel2->font();
    big.setPixelSize(20);
    Panel2->setFont(big);
    Panel2->setAlignment(Qt::AlignCenter);
    Animate1 = new QProgressBar(Panel1);
    Animate1->setObjectName(QStringLiteral("Animate1"));
    Animate1->setRange(0, 0); // busy
    Animate1->setTextVisible(false);
    Animate1->setFixedSize(160, 14);
    CountLabel1 = new QLabel(Panel1);
    CountLabel1->setObjectName(QStringLiteral("CountLabel1"));
    CountLabel1->setAlignment(Qt::AlignCenter);

    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->addWidget(Panel2);
    panelLayout->addWidget(Animate1, 0, Qt::AlignHCenter);
    panelLayout->addWidget(CountLabel1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 0, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(CaptionLabel1);
    layout->addWidget(Panel1);
}

void TProgressBarDialog1::enableCancel()
{
    if (CancelButton1)
        return;
    CancelButton1 = new QPushButton(QStringLiteral("Отмена"), Panel1);
    CancelButton1->setObjectName(QStringLiteral("CancelButton1"));
    CancelButton1->setAutoDefault(false);
    connect(CancelButton1, &QPushButton::clicked, this, &TProgressBarDialog1::reject);
    Panel1->layout()->addWidget(CancelButton1);
    Panel1->layout()->setAlignment(CancelButton1, Qt::AlignHCenter);
    setFixedSize(328, 144 + CaptionHeight);
}

void TProgressBarDialog1::reject()
{
    // Esc: a window that can be stopped asks for it; otherwise the work cannot be left.
    if (CancelButton1) {
        CancelButton1->setEnabled(false);
        emit cancelRequested();
    }
}

void TProgressBarDialog1::setCheckedCount(int checked)
{
    CountLabel1->setText(QStringLiteral("Проверено документов: %1").arg(checked));
}

void TProgressBarDialog1::showCentered()
{
    if (parentWidget()) {
        const QRect area = parentWidget()->window()->geometry();
        move(area.center() - rect().center());
    }
    show();
}

void TProgressBarDialog1::showNow()
{
    showCentered();
    Panel1->repaint();
    Panel1->repaint();
    Animate1->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
