#include "window/secondrow.h"

#include "support/pictures.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QToolButton>

SecondRow::SecondRow(const QList<QToolButton*>& buttons, QWidget* titlePanel, QWidget* parent)
    : QWidget(parent), m_openButton(new QPushButton(Pictures::icon(Pictures::Picture::Open),
                                                    QStringLiteral("Открыть"), this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    m_openButton->setObjectName(QStringLiteral("openButton"));
    m_openButton->setToolTip(QStringLiteral("Выбор директории с документацией (Ctrl+O)"));
    layout->addWidget(m_openButton);
    for (QToolButton* button : buttons) {
        button->setParent(this);
        layout->addWidget(button);
    }
    titlePanel->setParent(this);
    layout->addWidget(titlePanel, 1);
}
