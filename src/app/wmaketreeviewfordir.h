#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;

// Builds the document tree of one collection in the tree control and serves it until the
// next rebuild.
class WMakeTreeviewForDir
{
public:
    // The node record, held in the item's data roles and so freed with the item.
    struct MyRec
    {
        quint8 Kind = 0; // 0 root or expansion stub, 1 document, 2 folder
        QString FileName;
    };
    enum NodeKind : quint8
    {
        RootOrStub = 0,
        Document = 1,
        Folder = 2
    };
    enum Role
    {
        KindRole = 0x0101,
        FileNameRole,
        ImageIndexRole
    };

    WMakeTreeviewForDir(int collection, const QStringList& rootDirs, const QStringList& names,
                        QTreeWidget* treeView, const QList<QIcon>* imageList,
                        const QString& rootCaption, bool searching, bool caseSensitive,
                        const QString& context, bool techParts, bool sortByDate);
    ~WMakeTreeviewForDir();
    WMakeTreeviewForDir(const WMakeTreeviewForDir&) = delete;
    WMakeTreeviewForDir& operator=(const WMakeTreeviewForDir&) = delete;

    const QString Description = QStringLiteral("Класс WMakeTreeviewForDir");

    QString GetNodeTitle(const QTreeWidgetItem* node) const;
    QString GetNodeFileName(const QTreeWidgetItem* node) const;
    static MyRec NodeRecord(const QTreeWidgetItem* node);

    QString CurrentDir;
    QString RootCaption;
    const int FolderImage = 0;
    const int DocumentImage = 1;
    int FoundCount = 0;
    int CheckedCount = 0;
    bool ShowDoc = true;
    bool Searching = false;
    bool CaseSensitive = false;
    bool SortByDate = false;
    QString Context;

private:
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& caption, const MyRec& record,
                             int imageIndex);

    QTreeWidget* m_treeView;
    const QList<QIcon>* m_imageList;
};
