#include "support/pictures.h"
#include "testsupport/apptestmain.h"
#include "testsupport/testfiles.h"
#include "tree/documenttree.h"
#include "tree/treefileoperations.h"

#include <QTemporaryDir>
#include <QTreeWidget>

using Builder = DocumentTree;

class TestTreeOperations : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_next = 0;

    QString freshLibrary()
    {
        const QString lib = m_dir.filePath(QStringLiteral("lib%1").arg(++m_next));
        for (const char* path :
             {"/Сборник 1/Раздел 3/Глава/Документ.htm", "/Сборник 1/Раздел 3/Другой.htm",
              "/Сборник 1/Соседний/Сосед.htm", "/Сборник 2/Раздел/Чужой.htm", "/Общие.htm",
              "/Doc.htm", "/Doc.files/image001.png", "/Doc.files/sub/deep.xml"})
            TestFiles::write(lib + QString::fromUtf8(path), path);
        return lib;
    }
    std::unique_ptr<Builder> build(QTreeWidget& tree, const QString& lib)
    {
        return std::make_unique<Builder>(QStringList{lib}, QStringList{QString()}, &tree,
                                         QStringLiteral("Нормативная документация"), MatchOptions{},
                                         false, false);
    }
    static QTreeWidgetItem* child(QTreeWidgetItem* node, const QString& caption)
    {
        for (int i = 0; i < node->childCount(); ++i) {
            if (node->child(i)->text(0) == caption)
                return node->child(i);
        }
        return nullptr;
    }

private slots:
    void init() { TestAnswers::reset(); }

    void bookmarkLookup()
    {
        const QString lib = freshLibrary();
        QTreeWidget tree;
        auto builder = build(tree, lib);
        const QString path = lib + QStringLiteral("/Сборник 1/Раздел 3/Глава/Документ.htm");
        QVERIFY(builder->selectNodeByPath(path));
        QTreeWidgetItem* root = tree.topLevelItem(0);
        QCOMPARE(Builder::nodeData(tree.currentItem()).path, path);
        QVERIFY(root->isExpanded());
        QTreeWidgetItem* first = child(root, QStringLiteral("Сборник 1"));
        QVERIFY(first->isExpanded());
        QVERIFY(child(first, QStringLiteral("Раздел 3"))->isExpanded());
        QVERIFY(child(first, QStringLiteral("Соседний"))->isExpanded());
        QVERIFY(!child(root, QStringLiteral("Сборник 2"))->isExpanded());
        QCOMPARE(Builder::topFolder(tree.currentItem()), first);
        QCOMPARE(Builder::topFolder(first), first);
        QCOMPARE(Builder::topFolder(root), root);

        // Another letter case is another path.
        QVERIFY(!builder->selectNodeByPath(
            lib + QStringLiteral("/сборник 1/Раздел 3/Глава/Документ.htm")));
        QCOMPARE(tree.currentItem(), root);
        QVERIFY(!root->isExpanded());
        QVERIFY(builder->selectNodeByPath(lib + QStringLiteral("/Сборник 2")));
        QCOMPARE(tree.currentItem()->text(0), QStringLiteral("Сборник 2"));
    }

    void deleting()
    {
        const QString lib = freshLibrary();
        QVERIFY(TestFiles::write(lib + QStringLiteral("/Сборник 2/Раздел/ro.htm"), "ro"));
        QVERIFY(TestFiles::setReadOnly(lib + QStringLiteral("/Сборник 2/Раздел/ro.htm")));
        QVERIFY(TestFiles::setReadOnly(lib + QStringLiteral("/Сборник 2/Раздел/Чужой.htm")));
        QTreeWidget tree;
        auto builder = build(tree, lib);
        QTreeWidgetItem* root = tree.topLevelItem(0);

        tree.setCurrentItem(child(root, QStringLiteral("Doc")));
        TreeFileOperations::deleteNode(tree.currentItem());
        QVERIFY(!QFileInfo::exists(lib + QStringLiteral("/Doc.htm")));
        QVERIFY(QFileInfo::exists(lib + QStringLiteral("/Doc.files/image001.png")));
        QVERIFY(!child(root, QStringLiteral("Doc")));

        tree.setCurrentItem(child(root, QStringLiteral("Сборник 2")));
        TreeFileOperations::deleteNode(tree.currentItem());
        QVERIFY(!QFileInfo::exists(lib + QStringLiteral("/Сборник 2")));
        QVERIFY(!child(root, QStringLiteral("Сборник 2")));
        QVERIFY(TestAnswers::instance().messages.isEmpty());
    }

    void copying()
    {
        const QString lib = freshLibrary();
        const QString out = m_dir.filePath(QStringLiteral("out%1").arg(m_next));
        QTreeWidget tree;
        auto builder = build(tree, lib);
        QTreeWidgetItem* root = tree.topLevelItem(0);

        // Cancelled: nothing copied.
        tree.setCurrentItem(child(root, QStringLiteral("Doc")));
        QVERIFY(!TreeFileOperations::copyNode(tree.currentItem(), nullptr));
        QVERIFY(!QFileInfo::exists(out));

        // A document with its picture folder, twice; a read-only copy stays as it is.
        TestAnswers::instance().folders = {out + u'/', out};
        QVERIFY(TreeFileOperations::copyNode(tree.currentItem(), nullptr));
        QCOMPARE(TestFiles::read(out + QStringLiteral("/Doc.htm")), QByteArray("/Doc.htm"));
        QCOMPARE(TestFiles::read(out + QStringLiteral("/Doc.files/sub/deep.xml")),
                 QByteArray("/Doc.files/sub/deep.xml"));
        QVERIFY(TestFiles::write(out + QStringLiteral("/Doc.htm"), "kept"));
        QVERIFY(TestFiles::setReadOnly(out + QStringLiteral("/Doc.htm")));
        QVERIFY(TestFiles::write(out + QStringLiteral("/Doc.files/image001.png"), "old"));
        // Nothing is replaced without the user's word: "Нет" keeps a file, "Отмена" stops
        // before anything is copied, "Да для всех" replaces the rest.
        TestAnswers::instance().messages.clear();
        TestAnswers::instance().button = QMessageBox::No;
        TestAnswers::instance().folders = {out};
        QVERIFY(TreeFileOperations::copyNode(tree.currentItem(), nullptr));
        QCOMPARE(TestFiles::read(out + QStringLiteral("/Doc.files/image001.png")),
                 QByteArray("old"));
        QVERIFY(TestAnswers::instance().messages.size() >= 2); // Doc.htm, image001.png, ...
        QVERIFY(TestAnswers::instance().messages.first().startsWith(
            QStringLiteral("Копирование|Файл уже есть в папке назначения:")));
        // The question tells both files' size and date.
        QVERIFY2(
            TestAnswers::instance().messages.first().contains(QStringLiteral("Прежний: 4 байт")),
            qPrintable(TestAnswers::instance().messages.first()));
        QVERIFY(TestAnswers::instance().messages.first().contains(QStringLiteral("Новый: 8 байт")));
        // "Нет для всех" keeps this one and the rest, with one question.
        TestAnswers::instance().messages.clear();
        TestAnswers::instance().button = QMessageBox::NoToAll;
        TestAnswers::instance().folders = {out};
        QVERIFY(TreeFileOperations::copyNode(tree.currentItem(), nullptr));
        QCOMPARE(TestAnswers::instance().messages.size(), 1);
        QCOMPARE(TestFiles::read(out + QStringLiteral("/Doc.files/image001.png")),
                 QByteArray("old"));
        TestAnswers::instance().button = QMessageBox::Cancel;
        TestAnswers::instance().folders = {out};
        QVERIFY(!TreeFileOperations::copyNode(tree.currentItem(), nullptr));
        TestAnswers::instance().button = QMessageBox::YesToAll;
        TestAnswers::instance().folders = {out};
        QVERIFY(TreeFileOperations::copyNode(tree.currentItem(),
                                             nullptr)); // the picture folder's result
        QCOMPARE(TestFiles::read(out + QStringLiteral("/Doc.htm")), QByteArray("kept"));
        QCOMPARE(TestFiles::read(out + QStringLiteral("/Doc.files/image001.png")),
                 QByteArray("/Doc.files/image001.png"));
        TestAnswers::instance().button = QMessageBox::Ok;
        TestAnswers::instance().messages.clear();

        // Onto itself: the document stays intact.
        TestAnswers::instance().folders = {lib};
        QVERIFY(TreeFileOperations::copyNode(tree.currentItem(), nullptr));
        QCOMPARE(TestFiles::read(lib + QStringLiteral("/Doc.htm")), QByteArray("/Doc.htm"));

        // A folder with its whole subtree.
        tree.setCurrentItem(child(root, QStringLiteral("Сборник 1")));
        TestAnswers::instance().folders = {out};
        QVERIFY(TreeFileOperations::copyNode(tree.currentItem(), nullptr));
        QCOMPARE(TestFiles::read(out + QStringLiteral("/Сборник 1/Раздел 3/Глава/Документ.htm")),
                 QByteArray("/Сборник 1/Раздел 3/Глава/Документ.htm"));

        // Into itself or one of its folders: refused with a message, nothing copied.
        TestAnswers::instance().folders = {lib + QStringLiteral("/Сборник 1/Раздел 3")};
        QVERIFY(!TreeFileOperations::copyNode(tree.currentItem(), nullptr));
        QVERIFY(!QFileInfo::exists(lib + QStringLiteral("/Сборник 1/Раздел 3/Сборник 1")));
        QCOMPARE(TestAnswers::instance().messages.size(), 1);
        QVERIFY(TestAnswers::instance().messages.first().startsWith(QStringLiteral("Lectoria|")));

        // A destination that cannot be made.
        TestAnswers::instance().messages.clear();
        QVERIFY(TestFiles::write(m_dir.filePath(QStringLiteral("afile")), "x"));
        TestAnswers::instance().folders = {m_dir.filePath(QStringLiteral("afile"))};
        QVERIFY(!TreeFileOperations::copyNode(tree.currentItem(), nullptr));
        QCOMPARE(TestAnswers::instance().messages,
                 QStringList{QStringLiteral("Lectoria|Ошибка при создании директории:\n") +
                             m_dir.filePath(QStringLiteral("afile/Сборник 1"))});
    }
};

LECTORIA_APP_TEST_MAIN(TestTreeOperations)
#include "tst_treeoperations.moc"
