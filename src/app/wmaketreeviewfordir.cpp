#include "wmaketreeviewfordir.h"

#include <QTreeWidget>

WMakeTreeviewForDir::WMakeTreeviewForDir(int /*collection*/, const QStringList& /*rootDirs*/,
                                         const QStringList& /*names*/, QTreeWidget* treeView,
                                         const QList<QIcon>* imageList, const QString& rootCaption,
                                         bool searching, bool caseSensitive, const QString& context,
                                         bool /*techParts*/, bool sortByDate)
    : RootCaption(rootCaption), Searching(searching), CaseSensitive(caseSensitive),
      SortByDate(sortByDate), Context(context), m_treeView(treeView), m_imageList(imageList)
{
    m_treeView->clear();
    QTreeWidgetItem* root =
        addNode(nullptr, RootCaption, MyRec{RootOrStub, QStringLiteral("0")}, FolderImage);
    m_treeView->setCurrentItem(root);
}

WMakeTreeviewForDir::~WMakeTreeviewForDir() = default;

QTreeWidgetItem* WMakeTreeviewForDir::addNode(QTreeWidgetItem* parent, const QString& caption,
                                              const MyRec& record, int imageIndex)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_treeView);
    item->setText(0, caption);
    item->setData(0, KindRole, record.Kind);
    item->setData(0, FileNameRole, record.FileName);
    item->setData(0, ImageIndexRole, imageIndex);
    if (m_imageList && imageIndex < m_imageList->size())
        item->setIcon(0, m_imageList->at(imageIndex));
    return item;
}

WMakeTreeviewForDir::MyRec WMakeTreeviewForDir::NodeRecord(const QTreeWidgetItem* node)
{
    if (!node)
        return {};
    return MyRec{static_cast<quint8>(node->data(0, KindRole).toUInt()),
                 node->data(0, FileNameRole).toString()};
}

QString WMakeTreeviewForDir::GetNodeTitle(const QTreeWidgetItem* node) const
{
    if (!node)
        return {};
    QString title = node->text(0);
    for (const QTreeWidgetItem* up = node->parent(); up; up = up->parent())
        title = up->text(0) + QStringLiteral("->") + title;
    return title;
}

QString WMakeTreeviewForDir::GetNodeFileName(const QTreeWidgetItem* node) const
{
    return NodeRecord(node).FileName;
}
