#include "matching/highlightedcopy.h"
#include "platform/messagereporter.h"
#include "platform/userworkdir.h"
#include "testsupport/testfiles.h"

#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

#include <unistd.h>
#include <utime.h>

class TestHighlightedCopy : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static QByteArray wrap(const QByteArray& bytes, const QString& context,
                           bool caseSensitive = false)
    {
        return HighlightedCopy::highlighted(bytes, context, caseSensitive, "<S>", "</S>");
    }

private slots:
    void initTestCase() { qputenv("TMPDIR", m_dir.filePath(QStringLiteral("tmp")).toLocal8Bit()); }

    void ownWorkingFolderAndLeftovers()
    {
        const QString tmp = m_dir.filePath(QStringLiteral("work"));
        const QString library = m_dir.filePath(QStringLiteral("library"));
        QVERIFY(TestFiles::write(library + QStringLiteral("/doc.htm"), "doc"));
        QVERIFY(QDir().mkpath(tmp));
        const QByteArray previousTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", tmp.toLocal8Bit());
        const QString prefix = tmp + QStringLiteral("/lectoria-%1-").arg(::getuid());
        // Left by a program that has ended (with a link into the library), held by one that
        // runs, and a link in the name of such a folder.
        QVERIFY(QDir().mkpath(prefix + QStringLiteral("ended")));
        QVERIFY(QFile::link(library, prefix + QStringLiteral("ended/Temp")));
        QVERIFY(QDir().mkpath(prefix + QStringLiteral("running")));
        QLockFile running(prefix + QStringLiteral("running/running.lock"));
        QVERIFY(running.tryLock(0));
        QVERIFY(QFile::link(library, prefix + QStringLiteral("link")));
        // Folders an hour old: a younger one may belong to a program that is just starting.
        const utimbuf hourAgo{::time(nullptr) - 3600, ::time(nullptr) - 3600};
        for (const char* name : {"ended", "running"})
            QVERIFY(::utime(QFile::encodeName(prefix + QString::fromLatin1(name)).constData(),
                            &hourAgo) == 0);
        // Just now: one whose program was killed (its lock names a process that is gone) goes
        // at once; one without a lock may belong to a program that is starting.
        QVERIFY(
            TestFiles::write(prefix + QStringLiteral("killed/running.lock"),
                             "4000000\nlectoria\n" + QSysInfo::machineHostName().toUtf8() + "\n"));
        QVERIFY(QDir().mkpath(prefix + QStringLiteral("starting")));
        UserWorkDir::removeLeftovers();
        QVERIFY(!QFileInfo::exists(prefix + QStringLiteral("killed")));
        QVERIFY(QFileInfo::exists(prefix + QStringLiteral("starting")));
        QVERIFY(!QFileInfo::exists(prefix + QStringLiteral("ended")));
        QVERIFY(QFileInfo::exists(prefix + QStringLiteral("running")));
        QVERIFY(QFileInfo(prefix + QStringLiteral("link")).isSymLink());
        QVERIFY(QFileInfo::exists(library + QStringLiteral("/doc.htm")));

        // A fresh private folder of this program, removed with what is in it, links as links.
        const QString base = UserWorkDir::base();
        QVERIFY(base.startsWith(prefix));
        QCOMPARE(UserWorkDir::base(), base);
        QCOMPARE(QFileInfo(base).permissions() & 0x0077, QFileDevice::Permissions());
        QVERIFY(QFile::link(library, UserWorkDir::highlightWorkDir()) ||
                (QDir().mkpath(base + QStringLiteral("/Temp")) &&
                 QFile::link(library, UserWorkDir::highlightWorkDir())));
        UserWorkDir::removeBase();
        QVERIFY(!QFileInfo::exists(base));
        QVERIFY(QFileInfo::exists(library + QStringLiteral("/doc.htm")));
        qputenv("TMPDIR", previousTmp);
    }

    void tagsAndColours()
    {
        QDir().mkpath(m_dir.filePath(QStringLiteral("tmp")));
        HighlightedCopy highlighter{QString(), QString()};
        QCOMPARE(highlighter.openTag(),
                 QStringLiteral("<span style='color:ffffff;background:ff0000'>"));
        QCOMPARE(highlighter.closeTag(), QStringLiteral("</span>"));
        QCOMPARE(HighlightedCopy::styleColor(0x123456), QStringLiteral("563412"));
        QCOMPARE(HighlightedCopy::styleColor(0), QStringLiteral("000000"));
        QCOMPARE(HighlightedCopy::styleColor(0x8000000F), QStringLiteral("f0f0f0")); // button face
        QCOMPARE(HighlightedCopy::styleColor(0x80000005), QStringLiteral("ffffff")); // window
        highlighter.setColors(0x123456, 0x00FF00);
        QCOMPARE(highlighter.openTag(),
                 QStringLiteral("<span style='color:563412;background:00ff00'>"));
    }

    void occurrences()
    {
        const QByteArray text = TestFiles::cp1251(QStringLiteral("Смета и СМЕТА, сметана\r\n"));
        QCOMPARE(
            wrap(text, QStringLiteral("смета")),
            TestFiles::cp1251(QStringLiteral("<S>Смета</S> и <S>СМЕТА</S>, <S>смета</S>на\r\n")));
        QCOMPARE(wrap(text, QStringLiteral("СМЕТА"), true),
                 TestFiles::cp1251(QStringLiteral("Смета и <S>СМЕТА</S>, сметана\r\n")));
        // Runs of equal letters: no overlaps.
        QCOMPARE(wrap("aaa aaaa", QStringLiteral("aa")),
                 QByteArray("<S>aa</S>a <S>aa</S><S>aa</S>\r\n"));
        // Text the scan inserts is never scanned again; a tag of the document is left alone.
        QCOMPARE(wrap("S span <S>", QStringLiteral("s")),
                 QByteArray("<S>S</S> <S>s</S>pan <S>\r\n"));
        QCOMPARE(wrap("x", QStringLiteral("")), QByteArray("x\r\n"));
        // A UTF-8 document is matched with the UTF-8 form of the context.
        const QByteArray utf8 = "<meta charset=utf-8>" + QStringLiteral("Ёлка ёлка").toUtf8();
        QCOMPARE(wrap(utf8, QStringLiteral("ЁЛКА")),
                 "<meta charset=utf-8>" + QStringLiteral("<S>Ёлка</S> <S>ёлка</S>").toUtf8() +
                     "\r\n");
        // The encoding is decided on the document's bytes: a declaration near byte 2,000 of a
        // document with LF line ends counts, though joining the lines moves it further.
        const QByteArray late = QByteArray("<p>\n").repeated(495) + "<meta charset=utf-8>" +
                                QStringLiteral("Ёлка").toUtf8();
        QVERIFY(wrap(late, QStringLiteral("ёлка")).contains("<S>"));
        // In text mode a soft hyphen or an accent inside a word is marked with it.
        const auto copy = HighlightedCopy::highlight(
            TestFiles::cp1251(QStringLiteral("за&#769;мок; за\u00ADмок")), QStringLiteral("замок"),
            MatchOptions{false, true, true, false}, "<S>", "</S>");
        QCOMPARE(copy.marked, 2);
        QVERIFY(copy.copy.contains(TestFiles::cp1251(QStringLiteral("'>за&#769;мок</S>; "))));
        QVERIFY(copy.copy.contains(TestFiles::cp1251(QStringLiteral("'>за\u00ADмок</S>"))));
    }

    // The fragments of a query, marked together: left to right, the longer of two that begin
    // at one place, none within the one marked before it; numbered in their order in the text.
    void severalContexts()
    {
        const QStringList fragments{QStringLiteral("бетон"), QStringLiteral("бетонная смесь"),
                                    QStringLiteral("смесь"), QStringLiteral("раствор")};
        const QByteArray text =
            TestFiles::cp1251(QStringLiteral("<p>Раствор, бетонная смесь; смесь и бетон</p>"));
        const QByteArray expected = TestFiles::cp1251(
            QStringLiteral("<p><S>Раствор</S>, <S>бетонная смесь</S>; <S>смесь</S> и "
                           "<S>бетон</S></p>\r\n"));
        const MatchOptions raw{false, false, false, false};
        const auto rawCopy = HighlightedCopy::highlight(text, fragments, raw, "<S>", "</S>");
        QCOMPARE(rawCopy.marked, 4);
        QCOMPARE(rawCopy.copy, expected);
        QCOMPARE(rawCopy.firstUnit, 3);

        const MatchOptions inText{false, false, true, false};
        const auto textCopy = HighlightedCopy::highlight(text, fragments, inText, "<S>", "</S>");
        QCOMPARE(textCopy.marked, 4);
        QCOMPARE(textCopy.copy.count("<S data-occurrence="), 4);
        QVERIFY(textCopy.copy.contains(
            TestFiles::cp1251(QStringLiteral("<S data-occurrence='2'>бетонная смесь</S>"))));
        QVERIFY(textCopy.copy.contains(
            TestFiles::cp1251(QStringLiteral("<S data-occurrence='4'>бетон</S></p>"))));
        QCOMPARE(textCopy.snippetMatch, QStringLiteral("Раствор"));

        // A long fragment still open at the end of a piece of reading (256 KiB) holds back a
        // short one within it, found in that piece: the long one is marked, the short not.
        const QByteArray filler = QByteArray("x ").repeated(128 * 1024 - 6);
        const QByteArray across = filler + "long short phrase end" + filler;
        const QStringList longAndShort{QStringLiteral("short"),
                                       QStringLiteral("long short phrase end")};
        for (const MatchOptions& options : {inText, raw}) {
            const auto copy =
                HighlightedCopy::highlight(across, longAndShort, options, "<S>", "</S>");
            QCOMPARE(copy.marked, 1);
            QVERIFY(copy.copy.contains(">long short phrase end</S>"));
        }
        // Contexts of nothing but blanks are no marks; a list of them marks nothing.
        QCOMPARE(HighlightedCopy::highlight(text, {QStringLiteral(" "), QStringLiteral("смесь")},
                                            inText, "<S>", "</S>")
                     .marked,
                 2);
        QCOMPARE(HighlightedCopy::highlight(text, QStringList{}, raw, "<S>", "</S>").marked, 0);
    }

    // A raw occurrence inside a reference is left alone, also one that gave no character of its
    // own (a blank joined to the blank before it), also at the end of a piece of reading.
    void rawOccurrenceInsideAReference()
    {
        const MatchOptions raw{false, false, false, false};
        const auto count = [&](const QByteArray& page, const QString& context) {
            const auto copy = HighlightedCopy::highlight(page, context, raw, "<S>", "</S>");
            return std::make_pair(copy.marked, copy.inMarkup);
        };
        QCOMPARE(count("<p>&nbsp;</p>", QStringLiteral("nbsp")), std::make_pair(0, 1));
        QCOMPARE(count("a &#160; b &amp; c", QStringLiteral("160")), std::make_pair(0, 1));
        QCOMPARE(count("a &#160; b &amp; c", QStringLiteral("amp")), std::make_pair(0, 1));
        QCOMPARE(count("nbsp &nbsp;", QStringLiteral("nbsp")), std::make_pair(1, 1));
        const QByteArray longPage = QByteArray(256 * 1024 - 80, 'a') + "x&nbsp;" +
                                    QByteArray("</span>\r\n").repeated(30) + "y";
        QCOMPARE(count(longPage, QStringLiteral("nbsp")), std::make_pair(0, 1));
    }

    void highlightedCopy()
    {
        const QString docs = m_dir.filePath(QStringLiteral("docs"));
        const QString doc = docs + QStringLiteral("/Смета.htm");
        QVERIFY(TestFiles::write(
            doc, TestFiles::cp1251(QStringLiteral("Смета в начале\nвторая\rтретья строка смета"))));
        QVERIFY(TestFiles::write(docs + QStringLiteral("/Смета.files/image001.png"), "png"));
        QVERIFY(TestFiles::write(docs + QStringLiteral("/Смета.files/sub/x.xml"), "xml"));
        QVERIFY(TestFiles::write(docs + QStringLiteral("/Без картинок.htm"), "plain"));

        {
            HighlightedCopy highlighter(doc, QStringLiteral("СМЕТА"));
            highlighter.setColors(0xFFFFFF, 255);
            QVERIFY(highlighter.write());
            QCOMPARE(highlighter.workFileName(),
                     UserWorkDir::highlightWorkDir() + QStringLiteral("/NormDoc.htm"));
            QCOMPARE(TestFiles::read(highlighter.workFileName()),
                     TestFiles::cp1251(QStringLiteral(
                         "<span style='color:ffffff;background:ff0000'>Смета</span> в "
                         "начале\r\nвторая\r\n"
                         "третья строка <span "
                         "style='color:ffffff;background:ff0000'>смета</span>\r\n")));
            QCOMPARE(
                TestFiles::read(highlighter.workDir() + QStringLiteral("/Смета.files/sub/x.xml")),
                QByteArray("xml"));
        }
        // The copy stays after the object (DeleteOnDestroy is off); the next one empties the
        // folder.
        QVERIFY(
            QFileInfo::exists(UserWorkDir::highlightWorkDir() + QStringLiteral("/NormDoc.htm")));
        {
            HighlightedCopy highlighter(docs + QStringLiteral("/Без картинок.htm"),
                                        QStringLiteral("plain"));
            QCOMPARE(QDir(highlighter.workDir()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                     QStringList());
            QVERIFY(highlighter.write());
            QCOMPARE(QDir(highlighter.workDir()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                     QStringList{QStringLiteral("NormDoc.htm")});
            highlighter.setDeleteOnDestroy(true);
        }
        QVERIFY(
            !QFileInfo::exists(UserWorkDir::highlightWorkDir() + QStringLiteral("/NormDoc.htm")));
        QCOMPARE(TestFiles::read(doc),
                 TestFiles::cp1251(QStringLiteral("Смета в начале\nвторая\rтретья строка смета")));

        // An empty document path only empties the working directory.
        QVERIFY(
            TestFiles::write(UserWorkDir::highlightWorkDir() + QStringLiteral("/left.htm"), "x"));
        const HighlightedCopy empty{QString(), QString()};
        QCOMPARE(QDir(empty.workDir()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
        QCOMPARE(empty.workFileName(), QString());

        // A working copy that cannot be removed is reported.
        QStringList messages;
        MessageReporter::setHandler([&](const QString& caption, const QString& text) {
            messages << caption + u'|' + text;
        });
        {
            HighlightedCopy stuck(docs + QStringLiteral("/Без картинок.htm"), QStringLiteral("x"));
            QVERIFY(QDir().mkpath(stuck.workFileName())); // a folder where the copy should be
            stuck.deleteWorkFiles();
        }
        QCOMPARE(messages,
                 QStringList{QStringLiteral("Предупреждение|Не могу удалить файл ") +
                             UserWorkDir::highlightWorkDir() + QStringLiteral("/NormDoc.htm")});

        // A document that is gone: no copy.
        HighlightedCopy gone(docs + QStringLiteral("/нет.htm"), QStringLiteral("x"));
        QVERIFY(!gone.write());
        QVERIFY(!QFileInfo::exists(gone.workFileName()));
    }
};

QTEST_GUILESS_MAIN(TestHighlightedCopy)
#include "tst_highlightedcopy.moc"
