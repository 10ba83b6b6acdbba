#include "index/indexbuild.h"
#include "index/indexlocation.h"
#include "library/libraryscan.h"
#include "norms/designationrule.h"
#include "norms/linkedcopy.h"
#include "norms/mentionsentence.h"
#include "search/normcatalog.h"
#include "search/searchjob.h"
#include "search/showncopy.h"
#include "testsupport/indexsettle.h"
#include "testsupport/testfiles.h"
#include "text/documenttext.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sqlite3.h>

// Which documents of a library cite a designation: a library with a known graph of
// citations, editions and replacements, asked with and without its index, also after
// documents are added, changed and removed.
class TestCitations : public QObject
{
    Q_OBJECT

    QTemporaryDir m_cache;
    QTemporaryDir m_dir;
    QString m_lib;

    bool writePage(const QString& relative, const QString& title, const QString& body,
                   const char* encoding = "windows-1251")
    {
        const QString page = QStringLiteral("<html><head><title>") + title +
                             QStringLiteral("</title></head><body>") + body +
                             QStringLiteral("</body></html>");
        const QString path = m_lib + u'/' + relative;
        QDir().mkpath(path.left(path.lastIndexOf(u'/')));
        if (qstrcmp(encoding, "utf-8") == 0)
            return TestFiles::write(path, (QStringLiteral("<meta charset=utf-8>") + page).toUtf8());
        if (qstrcmp(encoding, "utf-16") == 0)
            return TestFiles::write(path, TestFiles::utf16(page));
        return TestFiles::write(path, TestFiles::cp1251(page));
    }

    // The documents citing the designation, by their paths below the library, sorted.
    QString citing(const QString& designation, bool useIndex) const
    {
        SearchRequest request;
        request.context = designation;
        request.citations = true;
        request.folders = {m_lib};
        request.useIndex = useIndex;
        const SearchResult result = SearchJob(request).run();
        QStringList paths;
        LibraryScan::forEachDocument(result.nodes, [&](const ScanNode& node) {
            paths.append(node.path.mid(m_lib.size() + 1));
        });
        paths.sort();
        return paths.join(u'|');
    }

    // Every question of the graph, with the index and without: the same answers, these.
    bool answers(const QList<std::pair<QString, QString>>& expected, const char* stage) const
    {
        for (const auto& [designation, documents] : expected) {
            for (const bool useIndex : {false, true}) {
                const QString got = citing(designation, useIndex);
                if (got != documents) {
                    qWarning().noquote() << stage << designation << (useIndex ? "index" : "scan")
                                         << "\n  got:     " << got << "\n  expected:" << documents;
                    return false;
                }
            }
        }
        return true;
    }

    // Whether a statement on file gives a row, or runs to its end without one where it
    // gives none (a statement that fails: false).
    static bool sqlStep(const QString& file, const char* sql)
    {
        sqlite3* db = nullptr;
        sqlite3_stmt* statement = nullptr;
        bool result = false;
        if (sqlite3_open(QFile::encodeName(file).constData(), &db) == SQLITE_OK &&
            sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK) {
            const int code = sqlite3_step(statement);
            result =
                code == SQLITE_ROW || (code == SQLITE_DONE && sqlite3_column_count(statement) == 0);
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return result;
    }

    // The catalog of the library that citationGraph writes.
    void checkCatalog(const NormCatalog& catalog) const
    {
        const auto resolved = [&](const QString& written, bool* exact = nullptr) {
            const auto entry = catalog.resolve(DesignationRule::parse(written), exact);
            return entry ? entry->path.mid(m_lib.size() + 1) : QString();
        };
        bool exact = false;
        QCOMPARE(resolved(QStringLiteral("СП 48.13330"), &exact),
                 QStringLiteral("СП 48.13330.2019.htm"));
        QVERIFY(!exact);
        QCOMPARE(resolved(QStringLiteral("сп 48.13330.2011"), &exact),
                 QStringLiteral("СП 48.13330.2011.htm"));
        QVERIFY(exact);
        QCOMPARE(resolved(QStringLiteral("СП 48.13330.2016"), &exact),
                 QStringLiteral("СП 48.13330.2019.htm"));
        QVERIFY(!exact);
        // Known by its file name, and by the title of the document that replaced it: the
        // document chiefly known by it is named.
        QCOMPARE(resolved(QStringLiteral("СНиП 12-01-2004")),
                 QStringLiteral("СНиП 12-01-2004.htm"));
        QCOMPARE(resolved(QStringLiteral("ГОСТ 530-2012")), QString());
        QCOMPARE(catalog.editions(QStringLiteral("СП 48.13330")).size(), 2);
        // Where following a designation leads, and what the status bar says of it.
        const NormCatalog::Followed newer = catalog.follow(QStringLiteral("СП 48.13330.2016"));
        QCOMPARE(newer.path.mid(m_lib.size() + 1), QStringLiteral("СП 48.13330.2019.htm"));
        QVERIFY2(
            newer.note.startsWith(QStringLiteral("Редакции 2016 в библиотеке нет; показана «")),
            qPrintable(newer.note));
        const NormCatalog::Followed held = catalog.follow(QStringLiteral("сп 48.13330.2011"));
        QCOMPARE(held.path.mid(m_lib.size() + 1), QStringLiteral("СП 48.13330.2011.htm"));
        QCOMPARE(held.note, QString());
        for (const QString& absent : {QStringLiteral("ГОСТ 530-2012"), QStringLiteral("бетон")}) {
            const NormCatalog::Followed none = catalog.follow(absent);
            QCOMPARE(none.path, QString());
            QCOMPARE(none.note, absent + QStringLiteral(": нет в библиотеке"));
        }
        const QString snip = m_lib + QStringLiteral("/СНиП 12-01-2004.htm");
        const QList<NormCatalog::Entry> replacing = catalog.replacing(catalog.ownOf(snip));
        QCOMPARE(replacing.size(), 1);
        QCOMPARE(replacing[0].path, m_lib + QStringLiteral("/СП 48.13330.2019.htm"));
        QCOMPARE(catalog.replacing(catalog.ownOf(m_lib + QStringLiteral("/СП 48.13330.2011.htm")))
                     .size(),
                 1);
        // The editions compared for a document: the one before the newest, the one after an
        // older edition, and a replaced document with the one that replaces it.
        const auto compared = [&](const QString& name) {
            const auto pair = catalog.comparedEditions(m_lib + u'/' + name);
            return pair ? pair->older.mid(m_lib.size() + 1) + u'>' +
                              pair->newer.mid(m_lib.size() + 1)
                        : QString();
        };
        QCOMPARE(compared(QStringLiteral("СП 48.13330.2019.htm")),
                 QStringLiteral("СП 48.13330.2011.htm>СП 48.13330.2019.htm"));
        QCOMPARE(compared(QStringLiteral("СП 48.13330.2011.htm")),
                 QStringLiteral("СП 48.13330.2011.htm>СП 48.13330.2019.htm"));
        QCOMPARE(compared(QStringLiteral("СНиП 12-01-2004.htm")),
                 QStringLiteral("СНиП 12-01-2004.htm>СП 48.13330.2019.htm"));
        QCOMPARE(compared(QStringLiteral("нет такого.htm")), QString());
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CACHE_HOME", m_cache.path().toUtf8());
        m_lib = m_dir.path() + QStringLiteral("/lib");
    }

    void citationGraph()
    {
        QVERIFY(writePage(QStringLiteral("СП 48.13330.2019.htm"),
                          QStringLiteral("СП 48.13330.2019 (актуализированная редакция СНиП "
                                         "12-01-2004)"),
                          QStringLiteral("<h1>СП 48.13330.2019</h1><p>ВЗАМЕН СП 48.13330.2011</p>"
                                         "<p>Работы по ГОСТ 530-2012.</p>")));
        QVERIFY(writePage(QStringLiteral("СП 48.13330.2011.htm"), QStringLiteral("Свод правил"),
                          QStringLiteral("<p>Бетон по СНиП 3.03.01-87*.</p>")));
        QVERIFY(writePage(QStringLiteral("СНиП 12-01-2004.htm"), QStringLiteral("СНиП"),
                          QStringLiteral("<p>Организация строительства.</p>")));
        QVERIFY(writePage(QStringLiteral("a/Смета.htm"), QStringLiteral("Смета"),
                          QStringLiteral("<p>Согласно <b>СП</b>&nbsp;48.13330.2019 и СП "
                                         "70.13330.2012; ещё раз СП 48.13330.2019.</p>")));
        QVERIFY(writePage(QStringLiteral("a/Письмо.htm"), QStringLiteral("Письмо"),
                          QStringLiteral("<p>По СП 48.13330 и по сп 48.13330.2011.</p>"), "utf-8"));
        QVERIFY(writePage(QStringLiteral("b/Акт.htm"), QStringLiteral("Акт"),
                          QStringLiteral("<p>По СНиП<br>12-01&#8211;2004.</p>"), "utf-16"));
        waitForStampsToSettle();
        QVERIFY(IndexBuild::updateOwn(m_lib).outcome == IndexBuild::Outcome::Done);

        const QString sp2019 = QStringLiteral("СП 48.13330.2019.htm");
        QVERIFY(answers(
            {{QStringLiteral("СП 48.13330.2019"), QStringLiteral("a/Письмо.htm|a/Смета.htm")},
             {QStringLiteral("сп 48.13330.2011"), QStringLiteral("a/Письмо.htm|") + sp2019},
             {QStringLiteral("СП 48.13330"), QStringLiteral("a/Письмо.htm|a/Смета.htm|") + sp2019},
             {QStringLiteral("СНиП 12-01-2004"), QStringLiteral("b/Акт.htm")},
             {QStringLiteral("СНиП 3.03.01-87"), QStringLiteral("СП 48.13330.2011.htm")},
             {QStringLiteral("ГОСТ 530-2012"), sp2019},
             {QStringLiteral("СП 70.13330.2012"), QStringLiteral("a/Смета.htm")},
             {QStringLiteral("ГОСТ 530-2007"), QString()}},
            "built"));

        // Changed, added and removed after the index was written: the answers follow the
        // documents, before and after the index is brought up to date.
        QVERIFY(writePage(QStringLiteral("b/Акт.htm"), QStringLiteral("Акт"),
                          QStringLiteral("<p>Без ссылок.</p>"), "utf-16"));
        QVERIFY(writePage(QStringLiteral("c/Новый.htm"), QStringLiteral("Новый"),
                          QStringLiteral("<p>СНиП 12-01-2004 и СП 48.13330.2019.</p>")));
        QVERIFY(QFile::remove(m_lib + QStringLiteral("/a/Смета.htm")));
        const QList<std::pair<QString, QString>> changed = {
            {QStringLiteral("СП 48.13330.2019"), QStringLiteral("a/Письмо.htm|c/Новый.htm")},
            {QStringLiteral("СНиП 12-01-2004"), QStringLiteral("c/Новый.htm")},
            {QStringLiteral("СП 70.13330.2012"), QString()}};
        QVERIFY(answers(changed, "changed"));
        waitForStampsToSettle();
        QVERIFY(IndexBuild::updateOwn(m_lib).outcome == IndexBuild::Outcome::Done);
        QVERIFY(answers(changed, "updated"));
    }

    // Which document a designation names: by captions and file names, and with the index by
    // titles and replacements too.
    void catalog()
    {
        checkCatalog(NormCatalog::ofFolders({m_lib}, nullptr));
        if (QTest::currentTestFailed())
            return;
        // An index made before its norms were found by their role: read as it is, it gives
        // the same catalog; its next update adds the way.
        const QString file = IndexLocation::cacheFile(m_lib);
        QVERIFY(sqlStep(file, "DROP INDEX norms_by_role;"));
        QVERIFY(!sqlStep(file, "SELECT 1 FROM sqlite_master WHERE name = 'norms_by_role';"));
        checkCatalog(NormCatalog::ofFolders({m_lib}, nullptr));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(IndexBuild::updateOwn(m_lib).outcome, IndexBuild::Outcome::Done);
        QVERIFY(sqlStep(file, "SELECT 1 FROM sqlite_master WHERE name = 'norms_by_role';"));
        checkCatalog(NormCatalog::ofFolders({m_lib}, nullptr));
    }

    // Designations wrapped in the copy of a page, across markup and a search's marks, in
    // every encoding: the text the reader sees stays the same.
    void linkedCopy()
    {
        const QString body = QStringLiteral(
            "<p>по <b>СП</b>&nbsp;48.<span style='color:ff0000'>13330</span>.2019, ГОСТ 1-90 и "
            "СНиП\r\n12-01&#8211;2004</p>");
        const QList<QByteArray> pages = TestFiles::inEveryEncoding(body);
        for (const QByteArray& page : pages) {
            QStringList seen;
            int wrapped = 0;
            const QByteArray copy = LinkedCopy::linked(
                page,
                [&seen](const Designation& designation) {
                    seen << designation.text();
                    if (designation.kind == u"ГОСТ")
                        return LinkedCopy::Wrap{};
                    return LinkedCopy::Wrap{"<a href='x'>", "</a>"};
                },
                &wrapped);
            QCOMPARE(seen,
                     QStringList({QStringLiteral("СП 48.13330.2019"), QStringLiteral("ГОСТ 1-90"),
                                  QStringLiteral("СНиП 12-01-2004")}));
            QCOMPARE(wrapped, 2);
            QCOMPARE(DocumentText(copy).text(), DocumentText(page).text());
            // Four pieces of the first designation and one of the last: five links.
            const QByteArray link =
                TextEncoding::isUtf16(TextEncoding::detect(copy.constData(), copy.size()))
                    ? QByteArray("<\0a\0 \0h\0", 8)
                    : QByteArray("<a h");
            QCOMPARE(copy.count(link), 5);
        }
        QCOMPARE(LinkedCopy::attributeText(QStringLiteral("СП 'x'")),
                 QByteArray("&#1057;&#1055; &#39;x&#39;"));
    }

    // The copy the viewer shows links what a page cites to the document that holds it (and
    // says which edition is missing), marks what the library lacks, leaves the page's own
    // designations alone and its text as it was; a page with nothing to link or mark is
    // shown itself.
    void shownCopy()
    {
        NormCatalog catalog;
        const QString held = m_lib + QStringLiteral("/held/СП 48.13330.2019.htm");
        catalog.addDocument(held, QStringLiteral("СП 48.13330.2019"),
                            {DesignationRule::parse(QStringLiteral("СП 48.13330.2019"))});
        const QString document = m_lib + QStringLiteral("/own/ГОСТ 1-90.htm");
        const QByteArray page = TestFiles::cp1251(QStringLiteral(
            "<html><head><title>ГОСТ 1-90</title></head><body><p>ГОСТ 1-90 составлен по "
            "СП 48.13330.2016 и СНиП 3.03.01-87.</p></body></html>"));
        QByteArray linked;
        QCOMPARE(ShownCopy::linkDesignations(page, document, QStringLiteral("ГОСТ 1-90"), catalog,
                                             &linked),
                 2);
        QCOMPARE(DocumentText(linked).text(), DocumentText(page).text());
        QCOMPARE(linked.count("<a class='lectoria-norm'"), 1);
        QVERIFY(linked.contains("href='lectoria-norm:" +
                                QUrl::toPercentEncoding(QStringLiteral("СП 48.13330.2016")) + "'"));
        QVERIFY(linked.contains(LinkedCopy::attributeText(
            QStringLiteral("СП 48.13330.2019 (редакции 2016 в библиотеке нет)"))));
        QCOMPARE(linked.count("class='lectoria-absent'"), 1);
        // The document that holds a designation does not link to itself, in any edition.
        QCOMPARE(ShownCopy::linkDesignations(page, held, QStringLiteral("СП 48.13330.2019"),
                                             catalog, &linked),
                 1);
        QCOMPARE(linked.count("<a class='lectoria-norm'"), 0);
        QCOMPARE(linked.count("class='lectoria-absent'"), 1);

        QVERIFY(writePage(QStringLiteral("own/ГОСТ 1-90.htm"), QStringLiteral("ГОСТ 1-90"),
                          QStringLiteral("<p>Бетон по СП 48.13330.2016.</p>")));
        QVERIFY(writePage(QStringLiteral("own/Письмо.htm"), QStringLiteral("Письмо"),
                          QStringLiteral("<p>Бетон.</p>")));
        const ShownCopy::Made withLinks =
            ShownCopy::make(document, QStringLiteral("ГОСТ 1-90"), std::nullopt, &catalog);
        QVERIFY(!withLinks.file.isEmpty());
        QVERIFY(TestFiles::read(withLinks.file).contains("<a class='lectoria-norm'"));
        QVERIFY(ShownCopy::make(m_lib + QStringLiteral("/own/Письмо.htm"), QStringLiteral("Письмо"),
                                std::nullopt, &catalog)
                    .file.isEmpty());
        const ShownCopy::Made marked = ShownCopy::make(
            m_lib + QStringLiteral("/own/Письмо.htm"), QStringLiteral("Письмо"),
            ShownCopy::Marking{{QStringLiteral("бетон")}, MatchOptions{}}, &catalog);
        QCOMPARE(marked.marks, 1);
        QVERIFY(!marked.file.isEmpty());
    }

    // The sentence around a mention: from the end of the sentence before to its own end,
    // within reach of the mention; of a page, in its text as the reader sees it.
    void sentenceOfMention()
    {
        const QString text = QStringLiteral("Общие положения. Работы ведут по СП 48.13330.2019 "
                                            "с изменениями. Далее.");
        const qsizetype begin = text.indexOf(QStringLiteral("СП 48"));
        QCOMPARE(MentionSentence::around(text, begin, begin + 16),
                 QStringLiteral("Работы ведут по СП 48.13330.2019 с изменениями."));
        QCOMPARE(MentionSentence::around(text, 0, 7), QStringLiteral("Общие положения."));
        const QString longer =
            QString(300, u'а') + QStringLiteral(" ГОСТ 1-90 ") + QString(300, u'б');
        const QString cut = MentionSentence::around(longer, 301, 310);
        QCOMPARE(cut.size(), MentionSentence::Reach * 2 + 9);
        // A place past the end is the end.
        QCOMPARE(MentionSentence::around(text, text.size() + 5, text.size() + 9),
                 QStringLiteral("Далее."));

        for (const char* encoding : {"windows-1251", "utf-8", "utf-16"}) {
            QVERIFY(writePage(QStringLiteral("sentence/Письмо.htm"), QStringLiteral("Письмо"),
                              QStringLiteral("<p>Общие <b>положения</b>.</p><p>Работы ведут "
                                             "по&nbsp;СП 48.13330.2019 с изменениями.</p>"),
                              encoding));
            const std::optional<MentionSentence> mention =
                MentionSentence::find(m_lib + QStringLiteral("/sentence/Письмо.htm"),
                                      DesignationRule::parse(QStringLiteral("СП 48.13330.2019")));
            QVERIFY2(mention, encoding);
            QCOMPARE(mention->mention(), QStringLiteral("СП 48.13330.2019"));
            QCOMPARE(mention->sentence(),
                     QStringLiteral("Работы ведут по СП 48.13330.2019 с изменениями."));
        }
        // Past the size a document is read for its sentence, the mention still counts.
        const QString large = m_lib + QStringLiteral("/sentence/Большой.htm");
        QVERIFY(TestFiles::write(
            large, TestFiles::cp1251(QStringLiteral("<p>Работы ведут по СП 48.13330.2019.</p>")) +
                       QByteArray(MentionSentence::ReadLimit, ' ')));
        const std::optional<MentionSentence> far = MentionSentence::find(
            large, DesignationRule::parse(QStringLiteral("СП 48.13330.2019")));
        QVERIFY(far);
        QCOMPARE(far->mention(), QStringLiteral("СП 48.13330.2019"));
        QCOMPARE(far->sentence(), QString());
        QVERIFY(QFile::remove(large));
        QVERIFY(!MentionSentence::find(m_lib + QStringLiteral("/sentence/Письмо.htm"),
                                       DesignationRule::parse(QStringLiteral("ГОСТ 1-90"))));
        QVERIFY(!MentionSentence::find(m_lib + QStringLiteral("/sentence/нет.htm"),
                                       DesignationRule::parse(QStringLiteral("ГОСТ 1-90"))));
    }
};

QTEST_GUILESS_MAIN(TestCitations)
#include "tst_citations.moc"
