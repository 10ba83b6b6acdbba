#include "dictionary/russiandictionary.h"
#include "dictionary/wordkeys.h"
#include "index/indexbuild.h"
#include "matching/wordforms.h"
#include "search/searchjob.h"
#include "testsupport/testfiles.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// The program as it runs where the dictionary is not installed: set before anything asks.
const bool withoutDictionary = qputenv("LECTORIA_DICTIONARY_DIR", QByteArray());

} // namespace

// Without the dictionary the word-forms search stems as Snowball does, and says so.
class TestWithoutDictionary : public QObject
{
    Q_OBJECT

    QTemporaryDir m_cache;

private slots:
    void initTestCase() { qputenv("XDG_CACHE_HOME", m_cache.path().toUtf8()); }

    void stemsAsSnowballDoes()
    {
        QVERIFY(withoutDictionary);
        QVERIFY(!RussianDictionary::isInstalled());
        QVERIFY(!WordKeys::usesDictionary());
        QCOMPARE(WordKeys::identity(), QByteArray("snowball"));
        QCOMPARE(WordForms::keys(QStringLiteral("сметной")), QStringList{QStringLiteral("~сметн")});

        QTemporaryDir dir;
        const QString library = dir.path() + QStringLiteral("/lib");
        QVERIFY(TestFiles::write(library + QStringLiteral("/a.htm"),
                                 TestFiles::cp1251(QStringLiteral("<p>сметной стоимости</p>"))));
        QVERIFY(TestFiles::write(library + QStringLiteral("/b.htm"),
                                 TestFiles::cp1251(QStringLiteral("<p>материалов</p>"))));
        QCOMPARE(IndexBuild::updateOwn(library).outcome, IndexBuild::Outcome::Done);
        for (const bool useIndex : {false, true}) {
            SearchRequest request;
            request.folders = {library};
            request.options.textMode = true;
            request.options.wordForms = true;
            request.useIndex = useIndex;
            request.context = QStringLiteral("сметная стоимость");
            const SearchResult result = SearchJob(request).run();
            QCOMPARE(result.found, 1);
            QCOMPARE(result.indexedFolders.size(), useIndex ? 1 : 0);
            // What the stemmer does not join stays apart ("материал": "материа" and
            // "материал"): the dictionary is what joins them.
            request.context = QStringLiteral("материал");
            QCOMPARE(SearchJob(request).run().found, 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestWithoutDictionary)
#include "tst_withoutdictionary.moc"
