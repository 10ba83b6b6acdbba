#include "window/sidepane.h"

#include "library/nodekind.h"
#include "norms/partaddress.h"
#include "platform/platform.h"
#include "viewer/documentviewer.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

SidePane::SidePane(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("sidePane"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(4, 2, 2, 2);
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("sideCaption"));
    m_caption->setTextFormat(Qt::PlainText);
    m_together = new QCheckBox(QStringLiteral("Вместе по пунктам"), this);
    m_together->setObjectName(QStringLiteral("sideTogether"));
    m_together->setToolTip(QStringLiteral("Показывать здесь пункт с тем же номером, что читается "
                                          "рядом"));
    auto* close = new QToolButton(this);
    close->setObjectName(QStringLiteral("sideClose"));
    close->setAutoRaise(true);
    close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close->setToolTip(QStringLiteral("Закрыть показ рядом"));
    header->addWidget(m_caption, 1);
    header->addWidget(m_together);
    header->addWidget(close);
    layout->addLayout(header);
    m_viewer = new DocumentViewer(this, 1);
    layout->addWidget(m_viewer, 1);
    connect(close, &QToolButton::clicked, this, &SidePane::closeRequested);
}

void SidePane::showDocument(const QString& path, const QString& caption, int scroll,
                            const std::optional<ShownCopy::Marking>& marking)
{
    m_caption->setText(caption);
    m_caption->setToolTip(QDir::toNativeSeparators(path));
    m_viewer->setPendingScroll(scroll);
    const NodeKind kind = Platform::isFolder(path) ? NodeKind::Folder : NodeKind::Document;
    m_viewer->showNode(kind, path, caption, caption, marking);
}

void SidePane::showPart(const QString& path, const QString& caption, const QString& part)
{
    if (m_viewer->shownDocument() == path && !part.isEmpty()) {
        m_viewer->showPartNamed(part);
        return;
    }
    if (!part.isEmpty())
        m_viewer->setPendingPart(path, part);
    showDocument(path, caption, 0, std::nullopt);
}

void SidePane::follow(const DocumentViewer* other, int part)
{
    if (!m_together->isChecked() || !isVisible() || part < 0 || !other->shownStructure())
        return;
    const auto& parts = other->shownStructure()->parts();
    if (part >= int(parts.size()))
        return;
    const std::optional<PartAddress> address = PartAddress::of(parts[std::size_t(part)]);
    const auto structure = m_viewer->shownStructure();
    if (!address || !structure)
        return;
    const int here = address->find(*structure);
    if (here >= 0 && here != m_viewer->readingPart())
        m_viewer->showPart(here);
}
