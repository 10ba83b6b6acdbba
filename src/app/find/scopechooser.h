#pragma once

#include "tree/treenode.h"

#include <QComboBox>

// Beside the find box: where the next search looks, shown and chosen. It follows the node
// selected in the tree (the root: "Везде"; a folder: "В папке «…»"; a document: "В документе
// «…»"), and the reader may choose "Везде" instead.
class ScopeChooser final : public QComboBox
{
    Q_OBJECT
public:
    explicit ScopeChooser(QWidget* parent);

    // The selected node, whose own scope is chosen again.
    void follow(const TreeNode& node);
    // Whether the whole collection is chosen (or no node can be searched alone).
    bool isEverywhere() const;
    // The node whose folder or document is searched when not everywhere.
    const TreeNode& node() const { return m_node; }
    // The scope as the result list's line tells it: "во всей коллекции", "в папке «…»".
    QString description() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    TreeNode m_node;
};
