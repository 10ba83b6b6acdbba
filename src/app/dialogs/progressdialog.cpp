#include "dialogs/progressdialog.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

ProgressDialog::ProgressDialog(QWidget* parent, const QString& caption, const QString& message)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    // Without the desktop's frame: some window managers give every framed window a close
    // button whatever the window asks for, and only "Отмена" may end the work. The caption
    // is a strip of its own, the border the window's ground around its panels.
    setObjectName(QStringLiteral("progressDialog"));
    setWindowTitle(caption);
    setFixedSize(328, 104 + CaptionHeight);
    setStyleSheet(QStringLiteral("#ProgressBarDialog1 { background: #3a6ea5; }"));
    m_captionLabel = new QLabel(caption, this);
    m_captionLabel->setObjectName(QStringLiteral("captionLabel"));
    m_captionLabel->setFixedHeight(CaptionHeight - 1);
    m_captionLabel->setAlignment(Qt::AlignCenter);
    m_captionLabel->setStyleSheet(QStringLiteral("QLabel { color: white; font-weight: bold; }"));

    m_messagePanel = new QWidget(this);
    m_messagePanel->setObjectName(QStringLiteral("messagePanel"));
    m_messagePanel->setAutoFillBackground(true);
    m_messagePanel->setStyleSheet(QStringLiteral("#m_messagePanel { background: #a6caf0; }"));
    m_messageLabel = new QLabel(message, m_messagePanel);
    m_messageLabel->setObjectName(QStringLiteral("messageLabel"));
    QFont big = m_messageLabel->font();
    big.setPixelSize(20);
    m_messageLabel->setFont(big);
    m_messageLabel->setAlignment(Qt::AlignCenter);
    m_busyBar = new QProgressBar(m_messagePanel);
    m_busyBar->setObjectName(QStringLiteral("busyBar"));
    m_busyBar->setRange(0, 0); // busy
    m_busyBar->setTextVisible(false);
    m_busyBar->setFixedSize(160, 14);
    m_countLabel = new QLabel(m_messagePanel);
    m_countLabel->setObjectName(QStringLiteral("countLabel"));
    m_countLabel->setAlignment(Qt::AlignCenter);

    auto* panelLayout = new QVBoxLayout(m_messagePanel);
    panelLayout->addWidget(m_messageLabel);
    panelLayout->addWidget(m_busyBar, 0, Qt::AlignHCenter);
    panelLayout->addWidget(m_countLabel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 0, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(m_captionLabel);
    layout->addWidget(m_messagePanel);
}

void ProgressDialog::enableCancel()
{
    if (m_cancelButton)
        return;
    m_cancelButton = new QPushButton(QStringLiteral("Отмена"), m_messagePanel);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setAutoDefault(false);
    connect(m_cancelButton, &QPushButton::clicked, this, &ProgressDialog::reject);
    m_messagePanel->layout()->addWidget(m_cancelButton);
    m_messagePanel->layout()->setAlignment(m_cancelButton, Qt::AlignHCenter);
    setFixedSize(328, 144 + CaptionHeight);
}

void ProgressDialog::reject()
{
    // Esc: a window that can be stopped asks for it; otherwise the work cannot be left.
    if (m_cancelButton) {
        m_cancelButton->setEnabled(false);
        emit cancelRequested();
    }
}

void ProgressDialog::setCheckedCount(int checked)
{
    m_countLabel->setText(QStringLiteral("Проверено документов: %1").arg(checked));
}

void ProgressDialog::showCentered()
{
    if (parentWidget()) {
        const QRect area = parentWidget()->window()->geometry();
        move(area.center() - rect().center());
    }
    show();
}

void ProgressDialog::showNow()
{
    showCentered();
    m_messagePanel->repaint();
    m_messagePanel->repaint();
    m_busyBar->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
