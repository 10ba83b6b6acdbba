#include "norms/designationrule.h"
#include "norms/linkedcopy.h"
#include "norms/partreferences.h"
#include "search/normcatalog.h"
#include "search/showncopy.h"
#include "testsupport/testfiles.h"
#include "text/documenttext.h"

#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

// References to the parts of norms in running text, and the links the shown copy makes of
// them: to a part of the page itself, to a part of a document the library holds, to the table
// that holds an estimate item.
class TestPartLinks : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // Each reference as "written→address@designation" ("-" for the page's own).
    static QStringList referencesOf(const QString& text)
    {
        const QList<Designation> designations = DesignationRule::find(text);
        QStringList out;
        for (const PartReference& reference : PartReferences::find(text, 0, designations))
            out << text.mid(reference.begin, reference.end - reference.begin) +
                       QStringLiteral("→") + reference.address.text() + u'@' +
                       (reference.designation < 0 ? QStringLiteral("-")
                                                  : designations[reference.designation].text());
        return out;
    }

private slots:
    void references_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        const auto list = [](std::initializer_list<const char*> items) {
            QStringList out;
            for (const char* item : items)
                out << QString::fromUtf8(item);
            return out;
        };
        QTest::newRow("clause, then the norm") << "согласно п. 5.2.3 СП 48.13330.2019 работы ведут"
                                               << list({"п. 5.2.3→пункт 5.2.3@СП 48.13330.2019"});
        QTest::newRow("inflected, older designation")
            << "в соответствии с пунктом 4.7 СНиП 12-01-2004."
            << list({"пунктом 4.7→пункт 4.7@СНиП 12-01-2004"});
        QTest::newRow("table") << "по табл. 3 ГОСТ 10178-85"
                               << list({"табл. 3→таблица 3@ГОСТ 10178-85"});
        QTest::newRow("section") << "требования раздела 6 СП 70.13330.2012 выполнены"
                                 << list({"раздела 6→раздел 6@СП 70.13330.2012"});
        QTest::newRow("range") << "см. пп. 5.2–5.4 СП 48.13330.2019"
                               << list({"пп. 5.2→пункт 5.2@СП 48.13330.2019",
                                        "5.4→пункт 5.4@СП 48.13330.2019"});
        QTest::newRow("list") << "пункты 5.2, 5.3 и 5.4 настоящего свода"
                              << list({"пункты 5.2→пункт 5.2@-", "5.3→пункт 5.3@-",
                                       "5.4→пункт 5.4@-"});
        QTest::newRow("norm, then the clause")
            << "СП 48.13330.2019, п. 5.2 и далее" << list({"п. 5.2→пункт 5.2@СП 48.13330.2019"});
        QTest::newRow("norm, then the clause in brackets")
            << "по ГОСТ 10178-85 (табл. 2)" << list({"табл. 2→таблица 2@ГОСТ 10178-85"});
        QTest::newRow("own document")
            << "см. п. 5.4. Далее по ГОСТ 10178-85." << list({"п. 5.4→пункт 5.4@-"});
        QTest::newRow("own table")
            << "в соответствии с таблицей 2 и приложением Б"
            << list({"таблицей 2→таблица 2@-", "приложением Б→приложение Б@-"});
        QTest::newRow("same sentence, later") << "по п. 5.2 требований СП 48.13330.2019"
                                              << list({"п. 5.2→пункт 5.2@СП 48.13330.2019"});
        QTest::newRow("said to be this one")
            << "по п. 5.2 настоящего стандарта и ГОСТ 10178-85" << list({"п. 5.2→пункт 5.2@-"});
        QTest::newRow("appendix clause")
            << "по п. А.3 этого документа" << list({"п. А.3→пункт А.3@-"});
        // Near misses.
        QTest::newRow("caption") << "Таблица 5.1 — Марки бетона" << QStringList();
        QTest::newRow("amount") << "слой 5.2 м, уклон 2,5 %, 12.03.2020" << QStringList();
        QTest::newRow("and so on") << "кирпич, камень и т.п. 5 раз" << QStringList();
        QTest::newRow("a word, not a reference") << "пунктир 5 и таблички 3, пп 4" << QStringList();
        QTest::newRow("number of a designation after the word")
            << "пп. 12-01-2004" << QStringList();
    }
    void references()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QCOMPARE(referencesOf(text), expected);
    }

    // The copy links a reference to a part of the page within it where the page has that
    // part, one to a part of a held norm to that norm with the part, an estimate item to the
    // table or the collection holding it; its text stays as it was.
    void linksInTheCopy()
    {
        NormCatalog catalog;
        const QString sp = m_dir.filePath(QStringLiteral("СП 48.13330.2019.htm"));
        catalog.addDocument(sp, QStringLiteral("СП 48.13330.2019"),
                            {DesignationRule::parse(QStringLiteral("СП 48.13330.2019"))});
        const QString gesn = m_dir.filePath(QStringLiteral("ГЭСН 81-02-06-2022.htm"));
        catalog.addDocument(gesn, QStringLiteral("ГЭСН 81-02-06-2022"),
                            {DesignationRule::parse(QStringLiteral("ГЭСН 81-02-06-2022"))});
        const QString document = m_dir.filePath(QStringLiteral("Смета.htm"));
        const QByteArray page = TestFiles::cp1251(QStringLiteral(
            "<html><body><p>1 Общие положения</p><p>1.1 Работы ведут по п. 5.2.3 СП "
            "48.13330.2019 и по п. 1.2.</p><p>1.2 Бетон по п. 7.1 ГОСТ 1-90, см. также п. "
            "9.9.</p><p>1.3 Расценка ГЭСН 06-01-001-01 и пункт 1.1 настоящего документа."
            "</p></body></html>"));
        const DocumentStructure structure = DocumentStructure::ofPage(page);
        QCOMPARE(structure.parts().size(), size_t(4));
        QByteArray linked;
        QVERIFY(ShownCopy::linkDesignations(page, document, QStringLiteral("Смета"), &catalog,
                                            &structure, &linked) > 0);
        QCOMPARE(DocumentText(linked).text(), DocumentText(page).text());
        const auto href = [](const QString& target, const QString& part) {
            return "href='lectoria-norm:" + QUrl::toPercentEncoding(target) + '#' +
                   QUrl::toPercentEncoding(part) + "'";
        };
        QVERIFY(linked.contains(
            href(QStringLiteral("СП 48.13330.2019"), QStringLiteral("пункт 5.2.3"))));
        QVERIFY(linked.contains(
            href(QStringLiteral("ГЭСН 81-02-06-2022"), QStringLiteral("06-01-001-01"))));
        // Within the page: 1.2 and 1.1 are there, 9.9 is not; 7.1 of a norm not held stays text.
        QCOMPARE(linked.count("<a class='lectoria-part' href='#lectoria-part-"), 2);
        QVERIFY(linked.contains("href='#lectoria-part-2'"));
        QVERIFY(linked.contains("href='#lectoria-part-1'"));
        QCOMPARE(linked.count("lectoria-norm:"), 2 + 1); // the norm itself is a link too
        QCOMPARE(linked.count("class='lectoria-absent'"), 1);

        // Without a catalog the page's own parts still link.
        QVERIFY(ShownCopy::linkDesignations(page, document, QStringLiteral("Смета"), nullptr,
                                            &structure, &linked) == 2);
        QVERIFY(!linked.contains("lectoria-norm:"));
    }

    // The shown copy of a page with parts marks each part's place and links within it, the
    // library file left as it was; a page without parts or links is shown itself.
    void shownCopyOfAPageWithParts()
    {
        QVERIFY(qputenv("TMPDIR", m_dir.filePath(QStringLiteral("tmp")).toLocal8Bit()));
        const QString document = m_dir.filePath(QStringLiteral("Правила.htm"));
        const QByteArray page = TestFiles::cp1251(
            QStringLiteral("<html><body><p>1 Область</p><p>1.1 Текст, см. п. 1.2.</p>"
                           "<p>1.2 Текст.</p></body></html>"));
        QVERIFY(TestFiles::write(document, page));
        const ShownCopy::Made made =
            ShownCopy::make(document, QStringLiteral("Правила"), std::nullopt, nullptr);
        QVERIFY(!made.file.isEmpty());
        QVERIFY(made.structure && made.structure->parts().size() == 3);
        const QByteArray shown = TestFiles::read(made.file);
        QCOMPARE(shown.count("<a id=\"lectoria-part-"), 3);
        QVERIFY(shown.contains("href='#lectoria-part-2'"));
        QCOMPARE(DocumentText(shown).text(), DocumentText(page).text());
        QCOMPARE(TestFiles::read(document), page);

        const QString plain = m_dir.filePath(QStringLiteral("Письмо.htm"));
        QVERIFY(TestFiles::write(plain, TestFiles::cp1251(QStringLiteral(
                                            "<html><body><p>Просто письмо.</p></body></html>"))));
        const ShownCopy::Made none =
            ShownCopy::make(plain, QStringLiteral("Письмо"), std::nullopt, nullptr);
        QVERIFY(none.file.isEmpty());
        QVERIFY(none.structure && none.structure->isEmpty());
    }

    // A reference whose norm lies beyond a piece of a long page is still bound to it.
    void referencesAcrossPieces()
    {
        QString body;
        for (int i = 0; i < 3000; ++i)
            body += QStringLiteral("<p>Работы выполняют по проекту, см. п. %1 СП 48.13330.2019 и "
                                   "СП 48.13330.2019, п. %1.</p>")
                        .arg(i % 9 + 1);
        const QByteArray page = TestFiles::cp1251(QStringLiteral("<html><body>") + body +
                                                  QStringLiteral("</body></html>"));
        int parts = 0;
        int named = 0;
        int wrapped = 0;
        LinkedCopy::Wrappers wrappers;
        wrappers.designation = [](const Designation&) { return LinkedCopy::Wrap{"<u>", "</u>"}; };
        wrappers.part = [&](const PartReference&, const Designation* designation) {
            ++parts;
            named += designation && designation->text() == u"СП 48.13330.2019" ? 1 : 0;
            return LinkedCopy::Wrap{"<i>", "</i>"};
        };
        const QByteArray linked = LinkedCopy::linked(page, wrappers, &wrapped);
        QCOMPARE(parts, 6000);
        QCOMPARE(named, 6000);
        QCOMPARE(wrapped, 12000);
        QCOMPARE(DocumentText(linked).text(), DocumentText(page).text());
    }
};

QTEST_GUILESS_MAIN(TestPartLinks)
#include "tst_partlinks.moc"
