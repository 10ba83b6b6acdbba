#include "library/documentcopy.h"
#include "library/filetree.h"
#include "library/guidefile.h"
#include "platform/messagereporter.h"
#include "platform/platform.h"
#include "platform/systeminfo.h"
#include "testsupport/testfiles.h"
#include "text/textconversion.h"

#include <QDir>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestFileTree : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_messages;
    const FileTree m_files{};

    QString path(const QString& relative) const { return m_dir.filePath(relative); }
    bool exists(const QString& relative) const
    {
        return QFileInfo::exists(path(relative)) || QFileInfo(path(relative)).isSymLink();
    }

private slots:
    // A folder's copy tells which documents it wrote since it began (a stopped copy says what
    // it copied): pages and PDFs, not picture folders or folder pages; a kept file is not.
    void documentsWrittenByACopy()
    {
        QVERIFY(TestFiles::writeTree(path(QStringLiteral("copied")),
                                     {QStringLiteral("src/a.htm"), QStringLiteral("src/b.pdf"),
                                      QStringLiteral("src/a.files/image.png"),
                                      QStringLiteral("src/_index.htm"),
                                      QStringLiteral("src/sub/c.htm")}));
        const QString out = path(QStringLiteral("copied/out"));
        QVERIFY(QDir().mkpath(out));
        const QDateTime start = QDateTime::currentDateTime().addSecs(-1);
        const DocumentCopy copy =
            DocumentCopy::plan(path(QStringLiteral("copied/src")), true, out + u'/');
        QVERIFY(copy.run());
        QCOMPARE(copy.documentsWrittenSince(start), 3);
        QCOMPARE(copy.documentsWrittenSince(QDateTime::currentDateTime().addSecs(60)), 0);
    }

    // The guide's window loads regular files of the guide's folder only, each under a limit.
    void guideLoadsOnlyItsOwnFiles()
    {
        QTemporaryDir dir;
        const QString guide = dir.filePath(QStringLiteral("help"));
        QVERIFY(TestFiles::write(guide + QStringLiteral("/lectoria.files/p.png"), "png"));
        QVERIFY(TestFiles::write(guide + QStringLiteral("/big.png"), QByteArray(2000, 'x')));
        QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("outside.htm")), "secret"));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("outside.htm")),
                            guide + QStringLiteral("/link.htm")));
        QCOMPARE(mkfifo(QFile::encodeName(guide + QStringLiteral("/pipe")).constData(), 0600), 0);
        QCOMPARE(GuideFile::read(guide, guide + QStringLiteral("/lectoria.files/p.png")),
                 std::optional<QByteArray>("png"));
        QCOMPARE(GuideFile::read(guide, guide + QStringLiteral("/big.png"), 2000)->size(), 2000);
        for (const QString& refused :
             {guide + QStringLiteral("/big.png"), guide + QStringLiteral("/pipe"),
              guide + QStringLiteral("/link.htm"), guide + QStringLiteral("/../outside.htm"),
              QStringLiteral("/dev/zero"), guide + QStringLiteral("/missing.png"), guide})
            QVERIFY2(!GuideFile::read(guide, refused, 1999), qPrintable(refused));
    }

    void init()
    {
        m_messages.clear();
        MessageReporter::setHandler([this](const QString& caption, const QString& text) {
            m_messages << caption + u'|' + text;
        });
    }

    void stringsAndNames()
    {
        QCOMPARE(TextConversion::withTrailingSlash(QString()), QString());
        QCOMPARE(TextConversion::withTrailingSlash(QStringLiteral("/tmp/docs")),
                 QStringLiteral("/tmp/docs/"));
        QCOMPARE(TextConversion::withTrailingSlash(QStringLiteral("/tmp/docs/")),
                 QStringLiteral("/tmp/docs/"));
        // A backslash is part of a name here, not a separator.
        QCOMPARE(TextConversion::withTrailingSlash(QStringLiteral("x\\")), QStringLiteral("x\\/"));

        // Code page 866 without a length limit.
        const QString name = QStringLiteral("ГЭСН-2020. Сметные нормы ").repeated(200);
        const QByteArray oem = QStringEncoder("IBM866").encode(name);
        QVERIFY(oem.size() > 2000);
        QCOMPARE(TextConversion::fromOem(oem), name);
        QCOMPARE(TextConversion::fromOem(QByteArray()), QString());

        const QString computer = SystemInfo::computerName();
        QVERIFY(!computer.isEmpty());
        QVERIFY(computer.size() <= 63);

        QVERIFY(FileTree::maskMatches(QStringLiteral("noext"), QStringLiteral("*.*")));
        QVERIFY(FileTree::maskMatches(QStringLiteral("A.HTM"), QStringLiteral("*.htm")));
        QVERIFY(!FileTree::maskMatches(QStringLiteral("a.html"), QStringLiteral("*.htm")));
    }

    void deleteDirRemovesTreeWithReadOnlyFiles()
    {
        QVERIFY(TestFiles::write(path(QStringLiteral("del/a.htm")), "a"));
        QVERIFY(TestFiles::write(path(QStringLiteral("del/sub/b.htm")), "b"));
        QVERIFY(TestFiles::setReadOnly(path(QStringLiteral("del/a.htm"))));
        QVERIFY(TestFiles::setReadOnly(path(QStringLiteral("del/sub/b.htm"))));
        // Folders copied read-only (from a disc), the one deleted too, one not even readable.
        QVERIFY(QFile::setPermissions(path(QStringLiteral("del/sub")), QFileDevice::ExeOwner));
        QVERIFY(QFile::setPermissions(path(QStringLiteral("del")),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QVERIFY(m_files.deleteDir(path(QStringLiteral("del")), QStringLiteral("*.*")));
        QVERIFY(!exists(QStringLiteral("del")));
        QVERIFY(!m_files.deleteDir(path(QStringLiteral("del")), QStringLiteral("*.*")));
        QVERIFY(!m_files.deleteDir(QString(), QStringLiteral("*.*")));
        QVERIFY(!m_files.deleteDir(QStringLiteral("0"), QStringLiteral("*.*")));
    }

    void backslashIsPartOfAName()
    {
        QVERIFY(TestFiles::writeTree(path(QStringLiteral("bs")),
                                     {QStringLiteral("x/keep.htm"), QStringLiteral("x\\/gone.htm"),
                                      QStringLiteral("x\\precious.txt")}));
        QVERIFY(m_files.deleteDir(path(QStringLiteral("bs/x\\")), QStringLiteral("*.*")));
        QVERIFY(!exists(QStringLiteral("bs/x\\")));
        QVERIFY(exists(QStringLiteral("bs/x/keep.htm")));
        QVERIFY(exists(QStringLiteral("bs/x\\precious.txt")));
    }

    void namesThatAreNoUtf8()
    {
        // Windows-1251 names (copied from Windows) keep their bytes through copy and delete.
        const QByteArray root = QFile::encodeName(path(QStringLiteral("cp1251")));
        const QByteArray folder = root + "/\xcf\xe0\xef\xea\xe0";
        QVERIFY(::mkdir(root.constData(), 0700) == 0 && ::mkdir(folder.constData(), 0700) == 0);
        FILE* raw = fopen((folder + "/\xd1\xec\xe5\xf2\xe0.htm").constData(), "w");
        QVERIFY(raw);
        fputs("doc", raw);
        fclose(raw);
        const QString kept = Platform::fromNativeName(std::filesystem::path(root.toStdString()));
        QVERIFY(m_files.copyDir(kept, kept + QStringLiteral("-copy"), QStringLiteral("*.*")));
        QVERIFY(QFile::exists(QFile::decodeName(root + "-copy")));
        const QString copied = Platform::fromNativeName(std::filesystem::path(
            (root + "-copy/\xcf\xe0\xef\xea\xe0/\xd1\xec\xe5\xf2\xe0.htm").toStdString()));
        QVERIFY(Platform::isFile(copied));
        QVERIFY(m_files.deleteWritableFile(copied));
        QVERIFY(!Platform::isFile(copied));
        QVERIFY(m_files.deleteDir(kept, QStringLiteral("*.*")));
        QVERIFY(!Platform::isFolder(kept));
    }

    void deleteDirWithMask()
    {
        QVERIFY(TestFiles::write(path(QStringLiteral("mask/a.htm")), "a"));
        QVERIFY(TestFiles::write(path(QStringLiteral("mask/B.HTM")), "b"));
        QVERIFY(TestFiles::write(path(QStringLiteral("mask/keep.txt")), "t"));
        QVERIFY(TestFiles::write(path(QStringLiteral("mask/Folder/c.htm")), "c"));
        QVERIFY(!m_files.deleteDir(path(QStringLiteral("mask/")), QStringLiteral("*.htm")));
        QVERIFY(!exists(QStringLiteral("mask/a.htm")));
        QVERIFY(!exists(QStringLiteral("mask/B.HTM")));
        QVERIFY(exists(QStringLiteral("mask/keep.txt")));
        QVERIFY(exists(QStringLiteral("mask/Folder/c.htm")));
    }

    void linksAreNeverFollowed()
    {
        QVERIFY(TestFiles::write(path(QStringLiteral("outside/precious.htm")), "keep"));
        QVERIFY(TestFiles::write(path(QStringLiteral("tree/doc.htm")), "d"));
        QVERIFY(QFile::link(path(QStringLiteral("outside")), path(QStringLiteral("tree/link"))));
        QVERIFY(QFile::link(path(QStringLiteral("outside/precious.htm")),
                            path(QStringLiteral("tree/filelink.htm"))));
        QVERIFY(TestFiles::setReadOnly(path(QStringLiteral("outside/precious.htm"))));

        // Copying keeps the links as links.
        QVERIFY(m_files.copyDir(path(QStringLiteral("tree")), path(QStringLiteral("copy")),
                                QStringLiteral("*.*")));
        QVERIFY(QFileInfo(path(QStringLiteral("copy/link"))).isSymLink());
        QCOMPARE(QFileInfo(path(QStringLiteral("copy/link"))).symLinkTarget(),
                 path(QStringLiteral("outside")));

        // Deleting removes the links themselves; what they point at stays as it was.
        QVERIFY(m_files.deleteDir(path(QStringLiteral("tree")), QStringLiteral("*.*")));
        QVERIFY(!exists(QStringLiteral("tree")));
        QCOMPARE(TestFiles::read(path(QStringLiteral("outside/precious.htm"))), QByteArray("keep"));
        QVERIFY(!TestFiles::isWritableByOwner(path(QStringLiteral("outside/precious.htm"))));

        // A link given as the directory to delete is not entered.
        QVERIFY(!m_files.deleteDir(path(QStringLiteral("copy/link")), QStringLiteral("*.*")));
        QVERIFY(exists(QStringLiteral("outside/precious.htm")));
    }

    void copyDir()
    {
        // A source that does not exist: the target is created, the result is false.
        QVERIFY(!m_files.copyDir(path(QStringLiteral("nosuch")), path(QStringLiteral("target1")),
                                 QStringLiteral("*.*")));
        QVERIFY(QFileInfo(path(QStringLiteral("target1"))).isDir());

        QVERIFY(TestFiles::write(path(QStringLiteral("src/Doc.files/image001.png")), "new"));
        QVERIFY(TestFiles::write(path(QStringLiteral("src/Doc.files/sub/deep.xml")), "deep"));
        QVERIFY(TestFiles::setReadOnly(path(QStringLiteral("src/Doc.files/image001.png"))));
        QVERIFY(TestFiles::write(path(QStringLiteral("dst/Doc.files/image001.png")), "old"));
        QVERIFY(TestFiles::setReadOnly(path(QStringLiteral("dst/Doc.files/image001.png"))));
        QVERIFY(m_files.copyDir(path(QStringLiteral("src/Doc.files")),
                                path(QStringLiteral("dst/Doc.files")), QStringLiteral("*.*")));
        const QString copied = path(QStringLiteral("dst/Doc.files/image001.png"));
        QCOMPARE(TestFiles::read(copied), QByteArray("new"));
        QVERIFY(TestFiles::isWritableByOwner(copied));
        QCOMPARE(TestFiles::read(path(QStringLiteral("dst/Doc.files/sub/deep.xml"))),
                 QByteArray("deep"));

        // A pipe in the tree is left out instead of blocking the copy.
        QCOMPARE(::mkfifo(QFile::encodeName(path(QStringLiteral("src/Doc.files/pipe"))).constData(),
                          0600),
                 0);
        QVERIFY(m_files.copyDir(path(QStringLiteral("src/Doc.files")), path(QStringLiteral("dst2")),
                                QStringLiteral("*.*")));
        QVERIFY(!exists(QStringLiteral("dst2/pipe")));
        QVERIFY(exists(QStringLiteral("dst2/sub/deep.xml")));

        // Into itself or one of its own folders: refused, nothing copied.
        QVERIFY(!m_files.copyDir(path(QStringLiteral("src")), path(QStringLiteral("src")),
                                 QStringLiteral("*.*")));
        QVERIFY(!m_files.copyDir(path(QStringLiteral("src")),
                                 path(QStringLiteral("src/Doc.files/in")), QStringLiteral("*.*")));
        QVERIFY(!exists(QStringLiteral("src/Doc.files/in")));
        QVERIFY(!m_files.copyDir(QString(), path(QStringLiteral("x")), QStringLiteral("*.*")));

        // A stopped copy reports false and copies nothing more.
        const std::atomic<bool> stop{true};
        FileTree stopped;
        stopped.setStopFlag(&stop);
        QVERIFY(!stopped.copyDir(path(QStringLiteral("src/Doc.files")),
                                 path(QStringLiteral("dst3")), QStringLiteral("*.*")));
        QVERIFY(!exists(QStringLiteral("dst3/sub")));
    }

    void singleFiles()
    {
        const QString doc = path(QStringLiteral("single/Doc.htm"));
        QVERIFY(TestFiles::write(doc, "content"));
        // A file copied onto itself stays intact.
        QVERIFY(m_files.copyFile(doc, doc, false));
        QVERIFY(!m_files.copyFile(doc, doc, true));
        QCOMPARE(TestFiles::read(doc), QByteArray("content"));
        QVERIFY(m_files.copyFile(doc, path(QStringLiteral("single/Copy.htm")), true));
        QVERIFY(!m_files.copyFile(doc, path(QStringLiteral("single/Copy.htm")), true));

        QVERIFY(!m_files.clearReadOnly(path(QStringLiteral("single"))));
        QVERIFY(!m_files.clearReadOnly(path(QStringLiteral("single/none.htm"))));
        QVERIFY(TestFiles::setReadOnly(doc));
        QVERIFY(m_files.clearReadOnly(doc));
        QVERIFY(TestFiles::isWritableByOwner(doc));

        QVERIFY(!m_files.deleteFile(path(QStringLiteral("single/none.htm"))));
        QVERIFY(!m_files.deleteFile(path(QStringLiteral("single"))));
        QVERIFY(m_files.deleteFile(doc));
        QVERIFY(!exists(QStringLiteral("single/Doc.htm")));

        // A plain deletion: a read-only file stays; a link goes without its target.
        const QString kept = path(QStringLiteral("single/Kept.htm"));
        QVERIFY(TestFiles::write(kept, "kept"));
        QVERIFY(TestFiles::setReadOnly(kept));
        QVERIFY(!m_files.deleteWritableFile(kept));
        const QString link = path(QStringLiteral("single/Link.htm"));
        QVERIFY(QFile::link(path(QStringLiteral("single/Copy.htm")), link));
        QVERIFY(m_files.deleteWritableFile(link));
        QVERIFY(!QFileInfo(link).isSymLink());
        QVERIFY(exists(QStringLiteral("single/Copy.htm")));
        QVERIFY(exists(QStringLiteral("single/Kept.htm")));
    }

    void deleteFilesLeavesFolders()
    {
        QVERIFY(TestFiles::write(path(QStringLiteral("files/a.htm")), "a"));
        QVERIFY(TestFiles::write(path(QStringLiteral("files/b.txt")), "b"));
        QVERIFY(TestFiles::write(path(QStringLiteral("files/Sub/c.htm")), "c"));
        QVERIFY(m_files.deleteFiles(path(QStringLiteral("files")), QStringLiteral("*.*")));
        QVERIFY(!exists(QStringLiteral("files/a.htm")));
        QVERIFY(!exists(QStringLiteral("files/b.txt")));
        QVERIFY(exists(QStringLiteral("files/Sub/c.htm")));
        QVERIFY(!m_files.deleteFiles(QStringLiteral("0"), QStringLiteral("*.*")));
    }

    void makeDir()
    {
        QVERIFY(m_files.makeDir(path(QStringLiteral("made"))));
        QVERIFY(m_files.makeDir(path(QStringLiteral("made"))));
        QVERIFY(m_messages.isEmpty());
        const QString orphan = path(QStringLiteral("no/parent/here"));
        QVERIFY(!m_files.makeDir(orphan));
        QCOMPARE(m_messages,
                 QStringList{QStringLiteral("Lectoria|Ошибка при создании директории: ") + orphan});
    }
};

QTEST_GUILESS_MAIN(TestFileTree)
#include "tst_filetree.moc"
