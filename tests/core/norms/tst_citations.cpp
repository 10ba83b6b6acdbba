#include "indexbuild.h"
#include "indexsettle.h"
#include "libraryscan.h"
#include "searchjob.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
            return TestFiles::write(
                path, QByteArray("\xFF\xFE") +
                          QByteArray(reinterpret_cast<const char*>(page.utf16()), 2 * page.size()));
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
};

QTEST_GUILESS_MAIN(TestCitations)
#include "tst_citations.moc"
