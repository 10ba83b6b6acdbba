#include "find/scopechooser.h"

#include <algorithm>

ScopeChooser::ScopeChooser(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("scopeChooser"));
    setToolTip(QStringLiteral("Где искать: везде или в выбранной в дереве папке или документе"));
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    follow(TreeNode());
}

void ScopeChooser::follow(const TreeNode& node)
{
    m_node = node;
    const QSignalBlocker quiet(this);
    clear();
    addItem(QStringLiteral("Везде"));
    if (node.isBelowRoot()) {
        const QString own = node.kind == NodeKind::Folder ? QStringLiteral("В папке «%1»")
                                                          : QStringLiteral("В документе «%1»");
        addItem(own.arg(node.caption()));
        setItemData(1, node.title(), Qt::ToolTipRole);
        setCurrentIndex(1);
    }
}

bool ScopeChooser::isEverywhere() const
{
    return currentIndex() <= 0 || !m_node.isBelowRoot();
}

QString ScopeChooser::description() const
{
    if (isEverywhere())
        return QStringLiteral("во всей коллекции");
    return (m_node.kind == NodeKind::Folder ? QStringLiteral("в папке «%1»")
                                            : QStringLiteral("в документе «%1»"))
        .arg(m_node.caption());
}

QSize ScopeChooser::sizeHint() const
{
    // As wide as its text up to a bound; a long caption is cut, whole in the list and tip.
    QSize hint = QComboBox::sizeHint();
    hint.setWidth(std::min(hint.width(), 240));
    return hint;
}

QSize ScopeChooser::minimumSizeHint() const
{
    // A narrow window keeps its other parts: the chooser gives up its width first.
    QSize hint = QComboBox::minimumSizeHint();
    hint.setWidth(std::min(hint.width(), 64));
    return hint;
}
