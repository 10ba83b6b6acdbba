#include "index/indexbuild.h"
#include "query/querysearch.h"
#include "search/searchjob.h"
#include "testsupport/indexsettle.h"
#include "testsupport/testfiles.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

// Queries answered over a library whose every document's words are known: each query must
// find exactly the documents an answer worked out from those words finds, with the index and
// without, and after documents change.
class TestQuerySearch : public QObject
{
    Q_OBJECT

    // The words of the library: each a word in its forms.
    struct Lexeme
    {
        QStringList forms;
    };
    const QList<Lexeme> m_lexemes = {
        {{"бетон", "бетона", "бетоном"}},
        {{"смесь", "смеси", "смесью"}},
        {{"раствор", "раствора", "раствором"}},
        {{"асфальт", "асфальта", "асфальтом"}},
        {{"свая", "сваи", "сваями"}},
        {{"шпунт", "шпунта", "шпунтом"}},
        {{"уход", "ухода", "уходом"}},
        {{"кладка", "кладки", "кладкой"}},
        {{"арматура", "арматуры", "арматурой"}},
        {{"щебень", "щебня", "щебнем"}},
        {{"песок", "песка", "песком"}},
        {{"грунт", "грунта", "грунтом"}},
    };

    struct Document
    {
        QString path;
        QString folder;      // the folder's name below the library
        QString title;       // <title>
        QString designation; // its own designation with its year, or empty
        QStringList words;   // its text, word by word
        QList<int> lexemes;  // of each word
    };

    QTemporaryDir m_dir;
    QTemporaryDir m_cache;
    QString m_lib;
    QList<Document> m_documents;

    bool writeDocument(const Document& document)
    {
        const QString page = QStringLiteral("<html><head><title>%1</title></head><body><p>%2</p>"
                                            "</body></html>")
                                 .arg(document.title, document.words.join(u' '));
        return TestFiles::write(document.path, TestFiles::cp1251(page));
    }

    void makeLibrary()
    {
        QRandomGenerator random(50);
        const QStringList folders{QStringLiteral("Своды правил"), QStringLiteral("Сметы"),
                                  QStringLiteral("Прочее")};
        for (int i = 0; i < 90; ++i) {
            Document document;
            document.folder = folders[i % 3];
            const bool designated = i % 3 == 0;
            const QString name =
                designated ? QStringLiteral("СП 48.13330.%1 № %2").arg(i % 2 ? 2019 : 2011).arg(i)
                           : QStringLiteral("Документ %1").arg(i);
            document.path = m_lib + u'/' + document.folder + u'/' + name + QStringLiteral(".htm");
            document.designation =
                designated ? QStringLiteral("сп 48.13330.%1").arg(i % 2 ? 2019 : 2011) : QString();
            document.title = i % 5 == 0 ? QStringLiteral("Фундаменты и основания")
                                        : QStringLiteral("Общие требования");
            const int count = 4 + int(random.bounded(10));
            for (int w = 0; w < count; ++w) {
                // Some words rare, some common.
                const int lexeme =
                    int(random.bounded(100) < 60 ? random.bounded(4) : random.bounded(12));
                document.lexemes << lexeme;
                const QStringList& forms = m_lexemes[lexeme].forms;
                document.words << forms[int(random.bounded(int(forms.size())))];
            }
            m_documents << document;
        }
    }

    // The answer worked out from the words: what a term means, in each mode.
    bool holdsTerm(const Document& document, const QueryNode& term, bool wordForms) const
    {
        const QString value = term.text.toLower();
        switch (term.field) {
        case QueryNode::Field::Folder:
            return document.folder.toLower().contains(value);
        case QueryNode::Field::Title:
            return document.title.toLower().contains(value) ||
                   QFileInfo(document.path).fileName().toLower().contains(value);
        case QueryNode::Field::Designation:
            // Without a year every edition; with one, that edition.
            return !document.designation.isEmpty() && document.designation.startsWith(value);
        case QueryNode::Field::Text:
            break;
        }
        if (term.prefix) {
            for (const QString& word : document.words)
                if (word.startsWith(value))
                    return true;
            return false;
        }
        if (!wordForms)
            return document.words.join(u' ').toLower().contains(value);
        const QStringList asked = value.split(u' ', Qt::SkipEmptyParts);
        // A phrase: its words' lexemes one after another.
        for (qsizetype w = 0; w + asked.size() <= document.words.size(); ++w) {
            bool all = true;
            for (qsizetype a = 0; a < asked.size() && all; ++a)
                all = m_lexemes[document.lexemes[w + a]].forms.contains(asked[a]);
            if (all)
                return true;
        }
        return false;
    }

    QList<int> placesOf(const Document& document, const QueryNode& term, bool wordForms) const
    {
        QList<int> places;
        for (qsizetype w = 0; w < document.words.size(); ++w) {
            const bool match = wordForms ? m_lexemes[document.lexemes[w]].forms.contains(term.text)
                                         : document.words[w].contains(term.text);
            if (match)
                places << int(w);
        }
        return places;
    }

    bool holds(const Document& document, const QueryNode& node, bool wordForms) const
    {
        switch (node.kind) {
        case QueryNode::Kind::Term:
            return holdsTerm(document, node, wordForms);
        case QueryNode::Kind::Not:
            return !holds(document, node.children.front(), wordForms);
        case QueryNode::Kind::And:
            return std::all_of(
                node.children.begin(), node.children.end(),
                [&](const QueryNode& child) { return holds(document, child, wordForms); });
        case QueryNode::Kind::Or:
            return std::any_of(
                node.children.begin(), node.children.end(),
                [&](const QueryNode& child) { return holds(document, child, wordForms); });
        case QueryNode::Kind::Near: {
            // Two single words here: at most distance words between some two of their places.
            const QList<int> a = placesOf(document, node.children[0], wordForms);
            const QList<int> b = placesOf(document, node.children[1], wordForms);
            for (const int x : a)
                for (const int y : b)
                    if (x != y && std::abs(x - y) - 1 <= node.distance)
                        return true;
            return false;
        }
        }
        return false;
    }

    QStringList expected(const SearchQuery& query, bool wordForms) const
    {
        QStringList found;
        for (const Document& document : m_documents)
            if (holds(document, query.root(), wordForms))
                found << document.path;
        found.sort();
        return found;
    }

    enum class Mode
    {
        Raw,
        Text,
        WordForms
    };

    QStringList answered(const SearchQuery& query, Mode mode, bool useIndex) const
    {
        MatchOptions options;
        options.textMode = mode != Mode::Raw;
        options.wordForms = mode == Mode::WordForms;
        QStringList found = QuerySearch::run({query, options, {m_lib}, QString(), useIndex}).found;
        found.sort();
        return found;
    }

    static QStringList queries()
    {
        return {
            "бетон ИЛИ шпунт",
            "бетон И шпунт",
            "бетон & кладка",
            "свая | шпунт | щебень",
            "смесь -асфальт",
            "смесь НЕ асфальт",
            "бетон NOT раствор NOT смесь",
            "(свая ИЛИ шпунт) -бетон",
            "бетон И (смесь ИЛИ раствор) -асфальт",
            "грунт ИЛИ песок И щебень",
            "(грунт ИЛИ песок) И щебень",
            "кладка И (уход ИЛИ -бетон)",
            "уход /0 бетон",
            "уход /2 бетон",
            "\"смесь бетон\"~1",
            "арматур* ИЛИ кладка",
            "название:Фундаменты",
            "название:Фундаменты бетон",
            "title:основания -шпунт",
            "папка:Сметы И свая",
            "folder:своды ИЛИ folder:прочее",
            "обозначение:СП 48.13330 И раствор",
            "designation:СП 48.13330.2019 -бетон",
            "папка:Сметы НЕ название:Фундаменты",
            "бетона ИЛИ сваями",
            "песком И НЕ (грунт ИЛИ щебень)",
            "асфальт AND раствор OR шпунт AND уход",
            "\"бетон смесь\" ИЛИ щебень",
            "бетон ИЛИ смесь ИЛИ раствор",
            "бетон И смесь И раствор",
            "щебень & песок & грунт",
            "-бетон & шпунт",
            "шпунт -бетон -асфальт",
            "(свая | шпунт) & (щебень | песок)",
            "((бетон ИЛИ смесь)) -щебень",
            "бетон ИЛИ (смесь И НЕ асфальт)",
            "НЕ бетон И свая",
            "кладка /1 арматура",
            "\"арматура кладка\"~3",
            "грунт /5 песок",
            "арматур* -кладка",
            "щеб* И пес*",
            "сва* ИЛИ шпун*",
            "title:Общие И грунт",
            "название:требования ИЛИ папка:Прочее",
            "обозначение:СП 48.13330.2011",
            "обозначение:СП 48.13330 -обозначение:СП 48.13330.2019",
            "папка:Своды -название:Фундаменты -бетон",
            "folder:Сметы & title:Фундаменты & уход",
            "designation:СП 48.13330 ИЛИ папка:Прочее",
            "раствор OR асфальт NOT бетон",
            "уход AND NOT шпунт",
            "бетоном ИЛИ смесью",
            "раствора -раствором",
            "кладкой /3 арматурой",
            "(уход /1 бетон) ИЛИ щебень",
            "песок И (грунт ИЛИ (щебень -асфальт))",
            "смесь | раствор | асфальт | бетон",
            "\"бетон смесь\" -раствор",
            "(папка:Сметы ИЛИ папка:Прочее) И кладка",
            "щебень И песок И грунт И уход",
        };
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CACHE_HOME", m_cache.path().toUtf8());
        m_lib = m_dir.path() + QStringLiteral("/lib");
        makeLibrary();
        for (const Document& document : std::as_const(m_documents))
            QVERIFY(writeDocument(document));
        waitForStampsToSettle();
        QCOMPARE(IndexBuild::updateOwn(m_lib).outcome, IndexBuild::Outcome::Done);
    }

    // Every query of the table, in both fragment modes and in word forms, with the index and
    // without, then again after documents changed (the index not made anew).
    void exactAnswers()
    {
        int checked = 0;
        for (int round = 0; round < 2; ++round) {
            if (round == 1) {
                // A third of the documents rewritten: other words.
                for (int i = 0; i < m_documents.size(); i += 3) {
                    Document& document = m_documents[i];
                    document.words = {QStringLiteral("шпунтом"), QStringLiteral("асфальт"),
                                      QStringLiteral("уходом"), QStringLiteral("бетона")};
                    document.lexemes = {5, 3, 6, 0};
                    QVERIFY(writeDocument(document));
                }
                waitForStampsToSettle();
            }
            for (const Mode mode : {Mode::Raw, Mode::Text, Mode::WordForms}) {
                const bool wordForms = mode == Mode::WordForms;
                for (const QString& text : queries()) {
                    if (!wordForms && text.contains(u'*'))
                        continue; // a star is a letter of the fragment there
                    const SearchQuery query = SearchQuery::parse(text, wordForms);
                    QVERIFY2(query.isValid() && !query.isPlain(), qPrintable(text));
                    const QStringList want = expected(query, wordForms);
                    for (const bool useIndex : {false, true}) {
                        const QStringList got = answered(query, mode, useIndex);
                        QVERIFY2(got == want,
                                 qPrintable(QStringLiteral("%1 (%2, %3, round %4): %5 of %6")
                                                .arg(text,
                                                     wordForms           ? "words"
                                                     : mode == Mode::Raw ? "raw"
                                                                         : "text",
                                                     useIndex ? "index" : "scan")
                                                .arg(round)
                                                .arg(got.size())
                                                .arg(want.size())));
                        ++checked;
                    }
                }
            }
        }
        QVERIFY(checked >= 600);
    }

    // Within the documents of an earlier result: a query's answer and a plain search's are
    // those of the whole library among them, and only they are checked.
    void withinFound()
    {
        auto within = std::make_shared<QSet<QString>>();
        for (qsizetype i = 0; i < m_documents.size(); i += 2)
            within->insert(m_documents[i].path);
        for (const Mode mode : {Mode::Text, Mode::WordForms}) {
            const bool wordForms = mode == Mode::WordForms;
            MatchOptions options;
            options.textMode = true;
            options.wordForms = wordForms;
            for (const bool useIndex : {false, true}) {
                for (const QString& text :
                     {QStringLiteral("бетон ИЛИ шпунт"), QStringLiteral("смесь -асфальт"),
                      QStringLiteral("папка:Сметы И свая")}) {
                    const SearchQuery query = SearchQuery::parse(text, wordForms);
                    QStringList want;
                    for (const QString& path : expected(query, wordForms))
                        if (within->contains(path))
                            want << path;
                    QuerySearch::Request request{query, options, {m_lib}, QString(), useIndex};
                    request.within = within;
                    QStringList got = QuerySearch::run(request).found;
                    got.sort();
                    QCOMPARE(got, want);
                }
                SearchRequest plain;
                plain.context = QStringLiteral("бетон");
                plain.options = options;
                plain.folders = {m_lib};
                plain.useIndex = useIndex;
                SearchRequest among = plain;
                among.within = within;
                QSet<QString> all;
                LibraryScan::forEachDocument(
                    SearchJob(plain).run().nodes,
                    [&all](const ScanNode& node) { all.insert(node.path); });
                const SearchResult result = SearchJob(among).run();
                QSet<QString> found;
                LibraryScan::forEachDocument(
                    result.nodes, [&found](const ScanNode& node) { found.insert(node.path); });
                QCOMPARE(found, all & *within);
                QCOMPARE(result.found, int(found.size()));
                QCOMPARE(result.checked, int(within->size()));
                if (wordForms)
                    QCOMPARE(result.relevance.size(), found.size());
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestQuerySearch)
#include "tst_querysearch.moc"
