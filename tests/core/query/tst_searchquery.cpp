#include "query/searchquery.h"

#include <QTest>

// How the find box's text is read: as one context as it always was, as a query, or refused
// with a message that names the place.
class TestSearchQuery : public QObject
{
    Q_OBJECT

private slots:
    void readAs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("wordForms");
        // Empty: one context, as always; "!" first: the error; else how it was read.
        QTest::addColumn<QString>("reading");

        // Contexts without operators stay what they were.
        for (const char* plain :
             {"СНиП 3.03.01-87", "от -5 до +5 °С", "с/х", "(м3)", "50%", "1,02 м3",
              "Примечание:", "бетонная смесь", "ЗДАНИЯ-И-СООРУЖЕНИЯ", "и или не", "A&B",
              "\"бетонная смесь\"", "арматур*", "x - y", "1/2", "смесь-асфальт"})
            QTest::newRow(plain) << QString::fromUtf8(plain) << false << QString();
        QTest::newRow("words: plain") << "бетонная смесь" << true << QString();
        QTest::newRow("words: quoted phrase") << "\"бетонная смесь\"" << true << QString();

        // Operators, in the fragment modes: a term is a fragment, blanks included.
        QTest::newRow("or") << "сваи ИЛИ шпунт Ларсена" << false << "«сваи» ИЛИ «шпунт Ларсена»";
        QTest::newRow("or signs") << "сваи | шпунт OR забивка" << false
                                  << "«сваи» ИЛИ «шпунт» ИЛИ «забивка»";
        QTest::newRow("and") << "бетон И смесь & раствор AND вода" << false
                             << "«бетон» И «смесь» И «раствор» И «вода»";
        QTest::newRow("minus") << "смесь -асфальт" << false << "«смесь» И БЕЗ «асфальт»";
        QTest::newRow("not") << "смесь НЕ асфальт NOT гудрон" << false
                             << "«смесь» И БЕЗ «асфальт» И БЕЗ «гудрон»";
        QTest::newRow("groups") << "бетон И (смесь ИЛИ раствор) -асфальт" << false
                                << "«бетон» И («смесь» ИЛИ «раствор») И БЕЗ «асфальт»";
        QTest::newRow("precedence") << "а ИЛИ б И в" << false << "«а» ИЛИ «б» И «в»";
        QTest::newRow("operators quoted") << "\"ИЛИ\" ИЛИ \"a|b\"" << false << "«ИЛИ» ИЛИ «a|b»";
        QTest::newRow("quoted operators")
            << "\"ЗДАНИЯ И СООРУЖЕНИЯ\"" << false << "«ЗДАНИЯ И СООРУЖЕНИЯ»";
        QTest::newRow("ЗДАНИЯ И СООРУЖЕНИЯ")
            << "ЗДАНИЯ И СООРУЖЕНИЯ" << false << "«ЗДАНИЯ» И «СООРУЖЕНИЯ»";
        QTest::newRow("minus inside stays")
            << "СНиП 3.03.01-87 ИЛИ от -5 до +5" << false << "«СНиП 3.03.01-87» ИЛИ «от -5 до +5»";
        QTest::newRow("near quoted") << "\"бетонная смесь\"~5" << false
                                     << "«бетонная», «смесь» не дальше 5 слов друг от друга";
        QTest::newRow("near slash")
            << "уход /3 бетон" << false << "«уход», «бетон» не дальше 3 слов друг от друга";
        QTest::newRow("fields") << "название:фундамент ИЛИ обозначение:СП 48.13330 папка:Своды"
                                << false
                                << "название: «фундамент» ИЛИ обозначение: «СП 48.13330» И "
                                   "папка: «Своды»";
        QTest::newRow("field other colon")
            << "Примечание: ИЛИ title:свод" << false << "«Примечание:» ИЛИ название: «свод»";
        QTest::newRow("field quoted") << "обозначение:\"СП 48.13330\" -бетон" << false
                                      << "обозначение: «СП 48.13330» И БЕЗ «бетон»";

        // Word forms: blanks say "and", a star a prefix.
        QTest::newRow("words: or")
            << "бетонная смесь ИЛИ раствор" << true << "«бетонная» И «смесь» ИЛИ «раствор»";
        QTest::newRow("words: prefix") << "арматур* -сталь" << true << "«арматур…» И БЕЗ «сталь»";
        QTest::newRow("words: phrase")
            << "\"бетонная смесь\" ИЛИ раствор" << true << "«бетонная смесь» ИЛИ «раствор»";

        // Refused, naming the place.
        QTest::newRow("open quote")
            << "бетон ИЛИ \"смесь" << false << "!Нет закрывающей кавычки после «\"смесь»";
        QTest::newRow("open parenthesis") << "бетон И (смесь ИЛИ раствор" << false
                                          << "!Нет закрывающей скобки после «(смесь ИЛИ раствор»";
        QTest::newRow("extra parenthesis")
            << "бетон ИЛИ смесь)" << false << "!Лишняя закрывающая скобка после «бетон ИЛИ смесь)»";
        QTest::newRow("nothing after") << "бетон ИЛИ" << false << "!После «бетон ИЛИ» нет слова";
        QTest::newRow("nothing before") << "ИЛИ бетон" << false << "!Перед «ИЛИ» нет слова";
        QTest::newRow("not at end") << "бетон НЕ" << false << "!После «бетон НЕ» нет слова";
        QTest::newRow("empty group")
            << "бетон И ()" << false << "!В скобках нет слова: «бетон И ()»";
        QTest::newRow("short prefix")
            << "ар* ИЛИ бетон" << true << "!Перед «*» нужно не меньше 3 букв: «ар*»";
        QTest::newRow("slash without number")
            << "уход / бетон" << false << "!После «/» нужно число слов: «уход /»";
        QTest::newRow("distance too far")
            << "\"бетон смесь\"~150" << false << "!Расстояние больше 100 слов: «150»";
        QTest::newRow("only exclusions") << "-асфальт НЕ гудрон" << false
                                         << "!Запрос должен содержать хотя бы одно слово, "
                                            "которое нужно найти";
        QTest::newRow("minus excludes from the group")
            << "бетон ИЛИ -асфальт" << false << "«бетон» И БЕЗ «асфальт»";
        QTest::newRow("minus after or") << "сваи ИЛИ шпунт Ларсена -асфальт" << false
                                        << "(«сваи» ИЛИ «шпунт Ларсена») И БЕЗ «асфальт»";
        QTest::newRow("not binds to its term")
            << "сваи ИЛИ шпунт НЕ асфальт" << false << "«сваи» ИЛИ «шпунт» И БЕЗ «асфальт»";
        QTest::newRow("minus inside a group") << "бетон И (смесь ИЛИ раствор -вода)" << false
                                              << "«бетон» И («смесь» ИЛИ «раствор») И БЕЗ «вода»";
    }
    void readAs()
    {
        QFETCH(QString, text);
        QFETCH(bool, wordForms);
        QFETCH(QString, reading);
        const SearchQuery query = SearchQuery::parse(text, wordForms);
        if (reading.isEmpty()) {
            QVERIFY2(query.isPlain() && query.isValid(), qPrintable(query.reading()));
            QCOMPARE(query.root().text, text);
            return;
        }
        QVERIFY(!query.isPlain());
        if (reading.startsWith(u'!')) {
            QCOMPARE(query.error(), reading.mid(1));
            return;
        }
        QCOMPARE(query.error(), QString());
        QCOMPARE(query.reading(), reading);
    }

    // The terms marked in the documents: those that must or may be present.
    void positiveTerms()
    {
        const SearchQuery query =
            SearchQuery::parse(QStringLiteral("бетон И (смесь ИЛИ раствор) -асфальт"), false);
        QCOMPARE(query.positiveTerms(),
                 QStringList({QStringLiteral("бетон"), QStringLiteral("смесь"),
                              QStringLiteral("раствор")}));
        const QueryNode& root = query.root();
        QCOMPARE(root.kind, QueryNode::Kind::And);
        QCOMPARE(root.children.size(), std::size_t(3));
        QCOMPARE(root.children[2].kind, QueryNode::Kind::Not);
        const SearchQuery near = SearchQuery::parse(QStringLiteral("\"уход за бетоном\"~4"), true);
        QCOMPARE(near.root().kind, QueryNode::Kind::Near);
        QCOMPARE(near.root().distance, 4);
        QCOMPARE(near.root().children.size(), std::size_t(3));
    }
};

QTEST_APPLESS_MAIN(TestSearchQuery)
#include "tst_searchquery.moc"
