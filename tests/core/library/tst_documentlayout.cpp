#include "library/captionorder.h"
#include "library/directorylisting.h"
#include "library/documentlayout.h"
#include "library/libraryscan.h"
#include "library/shownfile.h"
#include "library/suitelayout.h"
#include "matching/documentsearch.h"
#include "platform/platform.h"
#include "testsupport/testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>

#include <unistd.h>

class TestDocumentLayout : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& relative) const { return m_dir.filePath(relative); }

private slots:
    // The parts of a suite, from its program's file wherever it was started from.
    void suiteLayout()
    {
        const SuiteLayout suite(QStringLiteral("/opt/lectoria/Bin/lectoria"));
        QCOMPARE(suite.programFolder(), QStringLiteral("/opt/lectoria/Bin/"));
        QCOMPARE(suite.shippedSettingsFile(),
                 QStringLiteral("/opt/lectoria/Bin/Lectoria/Lectoria.ini"));
        QCOMPARE(suite.helpFile(), QStringLiteral("/opt/lectoria/Bin/Lectoria/lectoria.htm"));
        QCOMPARE(suite.suiteDir(), QStringLiteral("/opt/lectoria/"));
        // A relative program file is the working folder's; a program in the root has the root
        // as its suite.
        QCOMPARE(SuiteLayout(QStringLiteral("Bin/lectoria.exe")).helpFile(),
                 QDir::currentPath() + QStringLiteral("/Bin/Lectoria/lectoria.htm"));
        QCOMPARE(SuiteLayout(QStringLiteral("/lectoria")).suiteDir(), QStringLiteral("/"));
        QCOMPARE(SuiteLayout(QStringLiteral("/lectoria")).helpFile(),
                 QStringLiteral("/Lectoria/lectoria.htm"));
    }

    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("document");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("folderPage");
        QTest::addColumn<bool>("companion");
        QTest::newRow("plain") << "Раздел 1.htm" << true << "Раздел 1" << false << false;
        QTest::newRow("upper") << "Doc.HTM" << true << "Doc" << false << false;
        QTest::newRow("html") << "Doc.html" << false << "Doc.html" << false << false;
        QTest::newRow("double") << "a.htm.htm" << true << "a" << false << false;
        QTest::newRow("inner") << "x.HTMfile.htm" << true << "x" << false << false;
        QTest::newRow("page") << "_INDEX.HTM" << true << "_INDEX" << true << false;
        QTest::newRow("files") << "Doc.files" << false << "Doc.files" << false << true;
        QTest::newRow("filesystem") << "my.filesystem" << false << "my.filesystem" << false << true;
        QTest::newRow("FILES upper") << "Doc.FILES" << false << "Doc.FILES" << false << false;
        QTest::newRow("no dot") << "htm" << false << "htm" << false << false;
    }
    void names()
    {
        QFETCH(QString, name);
        QFETCH(bool, document);
        QFETCH(QString, caption);
        QFETCH(bool, folderPage);
        QFETCH(bool, companion);
        QCOMPARE(DocumentLayout::isDocument(name), document);
        if (document)
            QCOMPARE(DocumentLayout::documentCaption(name), caption);
        QCOMPARE(DocumentLayout::isFolderPage(name), folderPage);
        QCOMPARE(DocumentLayout::isCompanionFolder(name), companion);
    }

    void listingOfAMixedDirectory()
    {
        const QString dir = path(QStringLiteral("mixed"));
        QVERIFY(TestFiles::writeTree(
            dir, {QStringLiteral("a.htm"), QStringLiteral("A.files/image001.png"),
                  QStringLiteral("B/_index.htm"), QStringLiteral("C/c.htm"),
                  QStringLiteral("D/x.files/p.png"), QStringLiteral("E/readme.txt"),
                  QStringLiteral("_Index.htm"), QStringLiteral("Doc.html"),
                  QStringLiteral("my.filesystem/z.htm"), QStringLiteral("Folder.htm/"),
                  QStringLiteral("\"quoted\" -dash.htm")}));
        const QString longName = QString(100, QChar(0x0416)) + QStringLiteral(".htm"); // 204 bytes
        QVERIFY(TestFiles::write(dir + u'/' + longName, "l"));
        // A name that is not valid UTF-8 (windows-1251, copied from Windows) is listed with its
        // bytes kept for opening and shown as windows-1251.
        const QByteArray badName = QFile::encodeName(dir) + "/\xd1\xec\xe5\xf2\xe0.htm";
        FILE* raw = fopen(badName.constData(), "w");
        QVERIFY(raw);
        fputs("<p>ksilolit</p>", raw);
        fclose(raw);
        QVERIFY(QFile::link(dir + QStringLiteral("/C"), dir + QStringLiteral("/LinkToC")));

        const DirectoryEntries entries = DirectoryListing::list(dir);
        QStringList folders = entries.folders;
        folders.sort();
        QCOMPARE(folders, (QStringList{QStringLiteral("B"), QStringLiteral("C"),
                                       QStringLiteral("D"), QStringLiteral("E"),
                                       QStringLiteral("Folder.htm"), QStringLiteral("LinkToC")}));
        QStringList documents = entries.documents;
        QString kept;
        for (const QString& name : documents) {
            if (DocumentLayout::documentCaption(name) == QStringLiteral("Смета"))
                kept = name;
        }
        QVERIFY(!kept.isEmpty());
        QCOMPARE(QByteArray(Platform::toNative(dir + u'/' + kept).c_str()), badName);
        QVERIFY(DocumentSearch(QStringLiteral("KSILOLIT"), false).contains(dir + u'/' + kept));
        QVERIFY(Platform::fileUrl(dir + u'/' + kept).toEncoded().endsWith("/%D1%EC%E5%F2%E0.htm"));
        documents.removeOne(kept);
        documents.sort();
        QCOMPARE(documents,
                 (QStringList{QStringLiteral("\"quoted\" -dash.htm"), QStringLiteral("Folder.htm"),
                              QStringLiteral("a.htm"), longName}));

        QVERIFY(!DirectoryListing::hasVisibleEntry(dir + QStringLiteral("/B")));
        QVERIFY(DirectoryListing::hasVisibleEntry(dir + QStringLiteral("/C")));
        QVERIFY(DirectoryListing::hasVisibleEntry(dir + QStringLiteral("/D")));
        QVERIFY(DirectoryListing::hasVisibleEntry(dir + QStringLiteral("/E")));
        QVERIFY(!DirectoryListing::hasVisibleEntry(dir + QStringLiteral("/nosuch")));
        QCOMPARE(DirectoryListing::list(dir + QStringLiteral("/nosuch")).documents.size(), 0);
        QCOMPARE(DirectoryListing::list(dir + QStringLiteral("/a.htm")).documents.size(), 0);
        ::unlink(badName.constData()); // QDir cannot name it to clean up
    }

    void listingKeepsDirectoryOrder()
    {
        const QString dir = path(QStringLiteral("order"));
        for (int i = 0; i < 40; ++i)
            QVERIFY(TestFiles::write(dir + QStringLiteral("/d%1.htm").arg(i * 7919 % 97), "x"));
        QStringList expected;
        const QStringList raw = QDir(dir).entryList(QDir::Files, QDir::Unsorted);
        for (const QString& name : raw)
            expected.append(name);
        QCOMPARE(DirectoryListing::list(dir).documents, expected);
    }

    void unreadableFolder()
    {
        if (::geteuid() == 0)
            QSKIP("root reads every folder");
        const QString dir = path(QStringLiteral("locked"));
        QVERIFY(TestFiles::write(dir + QStringLiteral("/x.htm"), "x"));
        QVERIFY(QFile::setPermissions(dir, QFileDevice::WriteOwner));
        QCOMPARE(DirectoryListing::list(dir).documents.size(), 0);
        QVERIFY(LibraryScan::deep(dir).empty());
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ExeOwner);
    }

    void deepScanEntersEachFolderOnce()
    {
        const QString dir = path(QStringLiteral("loop"));
        QVERIFY(TestFiles::write(dir + QStringLiteral("/A/a.htm"), "a"));
        QVERIFY(TestFiles::write(dir + QStringLiteral("/A/B/b.htm"), "b"));
        QVERIFY(TestFiles::write(dir + QStringLiteral("/S/s.htm"), "s"));
        QVERIFY(QFile::link(dir + QStringLiteral("/A"), dir + QStringLiteral("/A/B/up")));
        QVERIFY(QFile::link(dir, dir + QStringLiteral("/A/B/top")));
        QVERIFY(QFile::link(dir + QStringLiteral("/S"), dir + QStringLiteral("/A/side")));
        QVERIFY(QFile::link(QStringLiteral("/proc"), dir + QStringLiteral("/proc")));
        // A web of links: each folder holds a document and two links to the next one.
        for (int level = 0; level < 20; ++level) {
            const QString folder = dir + QStringLiteral("/W/D%1").arg(level);
            QVERIFY(TestFiles::write(folder + QStringLiteral("/d.htm"), "d"));
            for (const char* link : {"/x", "/y"})
                QVERIFY(QFile::link(dir + QStringLiteral("/W/D%1").arg(level + 1),
                                    folder + QString::fromLatin1(link)));
        }

        QStringList documents;
        LibraryScan::forEachDocument(LibraryScan::deep(dir), [&](const ScanNode& node) {
            documents.append(node.path.mid(dir.size() + 1));
        });
        QCOMPARE(documents.count(QStringLiteral("A/a.htm")), 1);
        QCOMPARE(documents.count(QStringLiteral("A/B/b.htm")), 1);
        // The side folder once, at the place it is met first.
        QCOMPARE(documents.filter(QStringLiteral("s.htm")).size(), 1);
        QCOMPARE(documents.filter(QStringLiteral("d.htm")).size(), 20);
        QCOMPARE(documents.size(), 23); // nothing from /proc

        // A root that is a link to a folder it lies in walks that whole folder, each real
        // folder once: the folders on the link's own way down are part of it.
        const QString up = dir + QStringLiteral("/A/B/top");
        QStringList fromUp;
        LibraryScan::forEachDocument(LibraryScan::deep(up),
                                     [&](const ScanNode& node) { fromUp.append(node.path); });
        QVERIFY(fromUp.contains(up + QStringLiteral("/S/s.htm")));
        QCOMPARE(fromUp.filter(QStringLiteral("/s.htm")).size(), 1);
        QCOMPARE(fromUp.filter(QStringLiteral("/a.htm")).size(), 1);
        QCOMPARE(fromUp.filter(QStringLiteral("/b.htm")).size(), 1);
        QCOMPARE(fromUp.size(), 23);

        // Taking stamps (and listing folders ahead) walks the same: the same nodes and
        // documents in the same order, each given with its stamp as a look at its path takes
        // it and its path below the root as the file system's bytes; a name that is no UTF-8
        // too.
        const QByteArray oddName = QFile::encodeName(dir) + "/W/D3/\xcf\xee\xeb.htm";
        std::ofstream(oddName.toStdString()) << "d";
        QVERIFY(std::filesystem::exists(std::filesystem::path(oddName.toStdString())));
        const auto shape = [](const std::vector<ScanNode>& nodes) {
            QStringList out;
            const std::function<void(const std::vector<ScanNode>&, int)> walk =
                [&](const std::vector<ScanNode>& level, int depth) {
                    for (const ScanNode& node : level) {
                        out.append(QString(depth, u' ') + node.caption + u'|' + node.path +
                                   (node.revisited ? QStringLiteral(" again") : QString()));
                        walk(node.children, depth + 1);
                    }
                };
            walk(nodes, 0);
            return out;
        };
        QStringList plainOrder;
        const std::vector<ScanNode> plain = LibraryScan::deep(
            dir, [&](const ScannedDocument& document) { plainOrder.append(document.path()); });
        QStringList stampedOrder;
        bool sameStamps = true;
        const std::atomic<bool> takeStamps{true};
        const std::vector<ScanNode> stamped = LibraryScan::deep(
            dir,
            [&](const ScannedDocument& document) {
                stampedOrder.append(document.path());
                Platform::FileStamp byPath;
                const bool looked = Platform::fileStamp(document.path(), &byPath);
                const QString below = document.path().mid(dir.size() + 1);
                sameStamps = sameStamps && document.isStampTaken() &&
                             looked == (document.stamp() != nullptr) &&
                             (!looked || *document.stamp() == byPath) &&
                             document.nativeBelowRoot() == Platform::toNativeBytes(below);
            },
            nullptr, nullptr, &takeStamps);
        QCOMPARE(stampedOrder, plainOrder);
        QCOMPARE(shape(stamped), shape(plain));
        QVERIFY(sameStamps);
        QCOMPARE(plainOrder.size(), 24);

        // Documents their reader leaves out get no node, with stamps or without; the rest of
        // the tree stays as it is, folders included.
        for (const bool withStamps : {false, true}) {
            QStringList leftOut;
            int met = 0;
            const std::vector<ScanNode> lean = LibraryScan::deep(
                dir,
                [&](ScannedDocument& document) {
                    if (met++ % 3 == 0)
                        return;
                    leftOut.append(document.path());
                    document.leaveOutOfTree();
                },
                nullptr, nullptr, withStamps ? &takeStamps : nullptr);
            QStringList expected = shape(plain);
            expected.removeIf(
                [&](const QString& line) { return leftOut.contains(line.section(u'|', 1, 1)); });
            QCOMPARE(leftOut.size(), 16);
            QCOMPARE(shape(lean), expected);
        }
    }

    // A walk that takes stamps lists each folder it enters once, whoever lists it: the
    // threads that run ahead of it never follow a link the walk does not enter (here one back
    // up to a folder the library lies in, which holds the library again).
    void stampedWalkListsEachFolderOnce()
    {
#ifdef Q_OS_WIN
        QSKIP("listings are not counted on this system");
#endif
        const QString dir = path(QStringLiteral("ahead"));
        const QString lib = dir + QStringLiteral("/lib");
        int folders = 1;
        for (int a = 0; a < 6; ++a) {
            for (int b = 0; b < 4; ++b) {
                QVERIFY(
                    TestFiles::write(lib + QStringLiteral("/a%1/b%2/c/d.htm").arg(a).arg(b), "d"));
                folders += 2;
            }
            ++folders;
        }
        QVERIFY(QFile::link(dir, lib + QStringLiteral("/a2/b1/up")));
        const std::atomic<bool> takeStamps{true};
        for (int run = 0; run < 10; ++run) {
            const quint64 before = Platform::folderListings();
            int documents = 0;
            LibraryScan::deep(
                lib, [&](const ScannedDocument&) { ++documents; }, nullptr, nullptr, &takeStamps);
            QCOMPARE(documents, 24);
            // The link is listed once too, as the walk meets it and finds its folder met.
            QCOMPARE(Platform::folderListings() - before, quint64(folders + 1));
        }
    }

    void backslashIsPartOfAName()
    {
        const QString dir = path(QStringLiteral("backslash"));
        QVERIFY(TestFiles::writeTree(dir, {QStringLiteral("x/a.htm"), QStringLiteral("x\\/b.htm"),
                                           QStringLiteral("x\\other.htm")}));
        QStringList documents;
        LibraryScan::forEachDocument(LibraryScan::deep(dir), [&](const ScanNode& node) {
            documents.append(node.path.mid(dir.size() + 1));
        });
        documents.sort();
        QCOMPARE(documents, (QStringList{QStringLiteral("x/a.htm"), QStringLiteral("x\\/b.htm"),
                                         QStringLiteral("x\\other.htm")}));
        QCOMPARE(DocumentLayout::joinPath(QStringLiteral("x\\"), QStringLiteral("b.htm")),
                 QStringLiteral("x\\/b.htm"));
    }

    void deepScanPutsFoldersFirst()
    {
        const QString dir = path(QStringLiteral("deep"));
        QVERIFY(TestFiles::write(dir + QStringLiteral("/z.htm"), "z"));
        QVERIFY(TestFiles::write(dir + QStringLiteral("/Раздел 1.2/Doc.HTM"), "d"));
        QVERIFY(TestFiles::write(dir + QStringLiteral("/Раздел 1.2/Doc.files/header.htm"), "h"));
        const std::vector<ScanNode> nodes = LibraryScan::deep(dir);
        QCOMPARE(nodes.size(), size_t(2));
        QVERIFY(nodes[0].isFolder);
        QCOMPARE(nodes[0].caption, QStringLiteral("Раздел 1.2"));
        QCOMPARE(nodes[0].children.size(), size_t(1));
        QCOMPARE(nodes[0].children[0].caption, QStringLiteral("Doc"));
        QCOMPARE(nodes[0].children[0].path, dir + QStringLiteral("/Раздел 1.2/Doc.HTM"));
        QVERIFY(!nodes[1].isFolder);
        QVERIFY(LibraryScan::deep(QString()).empty());
    }

    void pruneKeepsOnlyFoldersWithDocuments()
    {
        const auto folder = [](const QString& caption, std::vector<ScanNode> children) {
            return ScanNode{true, caption, caption, std::move(children)};
        };
        const ScanNode doc{false, QStringLiteral("doc"), QStringLiteral("doc"), {}};
        std::vector<ScanNode> nodes{
            folder(QStringLiteral("empty"), {folder(QStringLiteral("emptier"), {})}),
            folder(QStringLiteral("kept"),
                   {folder(QStringLiteral("inner"), {doc}), folder(QStringLiteral("gone"), {})}),
            doc};
        LibraryScan::pruneEmptyFolders(nodes);
        QCOMPARE(nodes.size(), size_t(2));
        QCOMPARE(nodes[0].caption, QStringLiteral("kept"));
        QCOMPARE(nodes[0].children.size(), size_t(1));
        QCOMPARE(nodes[0].children[0].caption, QStringLiteral("inner"));
        QVERIFY(!nodes[1].isFolder);
    }

    void captionOrderIsRussian()
    {
        const CaptionOrder order;
        QStringList captions{QStringLiteral("Яма"),     QStringLiteral("ёмкость"),
                             QStringLiteral("Бетон"),   QStringLiteral("арматура"),
                             QStringLiteral("Емкость"), QStringLiteral("Zeta"),
                             QStringLiteral("alpha")};
        std::sort(captions.begin(), captions.end(), order);
        // Letter case is ignored; the Russian order puts Cyrillic before Latin.
        QCOMPARE(captions.join(u','),
                 QStringLiteral("арматура,Бетон,Емкость,ёмкость,Яма,alpha,Zeta"));
    }

    void shownFileOfANode()
    {
        using Kind = NodeKind;
        const QString dir = path(QStringLiteral("shown"));
        QVERIFY(TestFiles::writeTree(dir,
                                     {QStringLiteral("Doc.htm"), QStringLiteral("Paged/_Index.HTM"),
                                      QStringLiteral("Bare/x.htm")}));
        const QString doc = dir + QStringLiteral("/Doc.htm");
        QCOMPARE(ShownFile::forNode(Kind::Document, doc), doc);
        QCOMPARE(ShownFile::forNode(Kind::Folder, dir + QStringLiteral("/Paged")),
                 dir + QStringLiteral("/Paged/_Index.HTM"));
        QCOMPARE(ShownFile::forNode(Kind::Folder, dir + QStringLiteral("/Bare")), QString());
        QCOMPARE(ShownFile::forNode(Kind::None, QString()), QString());

        // Search mode: only an existing document is highlighted; without a copy it is shown
        // as it is.
        QStringList highlighted;
        const auto copyOf = [&](const QString& document) {
            highlighted << document;
            return QStringLiteral("/work/NormDoc.htm");
        };
        QCOMPARE(ShownFile::forNode(Kind::Document, doc, true, copyOf),
                 QStringLiteral("/work/NormDoc.htm"));
        QCOMPARE(
            ShownFile::forNode(Kind::Document, doc, true, [](const QString&) { return QString(); }),
            doc);
        const QString gone = dir + QStringLiteral("/Gone.htm");
        QCOMPARE(ShownFile::forNode(Kind::Document, gone, true, copyOf), gone);
        QCOMPARE(ShownFile::forNode(Kind::Folder, dir + QStringLiteral("/Paged"), true, copyOf),
                 dir + QStringLiteral("/Paged/_Index.HTM"));
        QCOMPARE(highlighted, QStringList{doc});
    }
};

QTEST_GUILESS_MAIN(TestDocumentLayout)
#include "tst_documentlayout.moc"
