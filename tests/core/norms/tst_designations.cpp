#include "norms/designationrule.h"
#include "norms/documentnorms.h"
#include "testsupport/testfiles.h"
#include "text/documenttext.h"

#include <QTemporaryDir>
#include <QTest>

// The designation rule on the variants readers write and on the numbers that are none.
class TestDesignations : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    struct Known
    {
        const char16_t* written;
        const char16_t* key;
        int edition;
    };
    // Designations as documents write them, each with its key and edition.
    static const QList<Known>& knownDesignations()
    {
        static const QList<Known> list = {
            {u"СП 48.13330.2019", u"СП 48.13330", 2019},
            {u"СП 48.13330.2011", u"СП 48.13330", 2011},
            {u"СП 70.13330.2012", u"СП 70.13330", 2012},
            {u"СП 31-105-2002", u"СП 31.105", 2002},
            {u"СП 2.2.2.1327-03", u"СП 2.2.2.1327", 2003},
            {u"СНиП 12-01-2004", u"СНиП 12.01", 2004},
            {u"СНиП 3.03.01-87*", u"СНиП 3.03.01", 1987},
            {u"СНиП 2.01.07-85*", u"СНиП 2.01.07", 1985},
            {u"СНиП II-23-81*", u"СНиП II.23", 1981},
            {u"СНиП III-4-80*", u"СНиП III.4", 1980},
            {u"ГОСТ Р 21.1101-2013", u"ГОСТ Р 21.1101", 2013},
            {u"ГОСТ 530-2012", u"ГОСТ 530", 2012},
            {u"ГОСТ 10180-90", u"ГОСТ 10180", 1990},
            {u"ГОСТ 26633-2015", u"ГОСТ 26633", 2015},
            {u"ГОСТ 12.1.004-91", u"ГОСТ 12.1.004", 1991},
            {u"ГОСТ 31937-2011", u"ГОСТ 31937", 2011},
            {u"ГОСТ Р ИСО 9001-2015", u"ГОСТ Р ИСО 9001", 2015},
            {u"ГОСТ ISO 9001-2011", u"ГОСТ ИСО 9001", 2011},
            {u"ГОСТ Р МЭК 60204-1-2007", u"ГОСТ Р МЭК 60204.1", 2007},
            {u"ГОСТ EN 1090-1-2011", u"ГОСТ EN 1090.1", 2011},
            {u"ISO 9001:2015", u"ISO 9001", 2015},
            {u"EN 1992-1-1:2004", u"EN 1992.1.1", 2004},
            {u"ГЭСН 81-02-06-2022", u"ГЭСН 81.02.06", 2022},
            {u"ГЭСН 81-02-01-2020", u"ГЭСН 81.02.01", 2020},
            {u"ГЭСНм 81-03-08-2001", u"ГЭСНм 81.03.08", 2001},
            {u"ГЭСНп 81-05-01-2017", u"ГЭСНп 81.05.01", 2017},
            {u"ГЭСНр 81-04-46-2022", u"ГЭСНр 81.04.46", 2022},
            {u"ФЕР 81-02-07-2001", u"ФЕР 81.02.07", 2001},
            {u"ФЕРм 81-03-10-2001", u"ФЕРм 81.03.10", 2001},
            {u"ФЕРп 81-05-02-2001", u"ФЕРп 81.05.02", 2001},
            {u"ФЕРр 81-04-53-2001", u"ФЕРр 81.04.53", 2001},
            {u"ТЕР 81-02-09-2001", u"ТЕР 81.02.09", 2001},
            {u"ФССЦ 81-01-2001", u"ФССЦ 81.01", 2001},
            {u"ФСНБ-2022", u"ФСНБ", 2022},
            {u"МДС 81-35.2004", u"МДС 81.35", 2004},
            {u"МДС 12-46.2008", u"МДС 12.46", 2008},
            {u"РД 11-02-2006", u"РД 11.02", 2006},
            {u"РД 34.21.122-87", u"РД 34.21.122", 1987},
            {u"ВСН 57-88", u"ВСН 57", 1988},
            {u"СН 2.2.4/2.1.8.562-96", u"СН 2.2.4.2.1.8.562", 1996},
            {u"СанПиН 2.1.4.1074-01", u"СанПиН 2.1.4.1074", 2001},
            {u"СТО 02494680-0034-2004", u"СТО 02494680.0034", 2004},
            {u"ТСН 12-336-2007", u"ТСН 12.336", 2007},
            {u"ТР ТС 004/2011", u"ТР ТС 004.2011", 0},
            {u"НПБ 105-03", u"НПБ 105", 2003},
            {u"ПБ 03-428-02", u"ПБ 03.428", 2002},
            {u"ТУ 5767-001-12345678-2005", u"ТУ 5767.001.12345678", 2005},
        };
        return list;
    }

    // The ways a designation is written: case, Latin look-alikes in the kind, a no-break
    // space, another dash.
    static QStringList variants(const QString& written)
    {
        QString latin = written;
        latin.replace(u'С', u'C').replace(u'Т', u'T').replace(u'Е', u'E').replace(u'Р', u'P');
        QString nbsp = written;
        nbsp.replace(u' ', u'\u00A0');
        QString dashes = written;
        dashes.replace(u'-', u'–');
        return {written, written.toLower(), written.toUpper(), latin, nbsp, dashes};
    }

private slots:
    // At least 99 % of the variants of known designations are found with their key and
    // edition; at most 1 % of the near misses are taken for one.
    void findsDesignationsAndNotNearMisses()
    {
        int variantsTried = 0;
        QStringList missed;
        for (const Known& known : knownDesignations()) {
            for (const QString& variant : variants(QString::fromUtf16(known.written))) {
                ++variantsTried;
                const QString text =
                    QStringLiteral("Согласно ") + variant + QStringLiteral(", п. 5.");
                const QList<Designation> found = DesignationRule::find(text);
                if (found.size() != 1 || found[0].key() != QString::fromUtf16(known.key) ||
                    found[0].edition != known.edition ||
                    text.mid(found[0].begin, found[0].end - found[0].begin) != variant)
                    missed.append(variant);
            }
        }
        QVERIFY(variantsTried >= 200);
        QVERIFY2(missed.size() * 100 <= variantsTried, qPrintable(missed.join(u'\n')));

        QStringList nearMisses;
        for (int i = 1; i <= 12; ++i) {
            const QString n = QString::number(i);
            nearMisses << QStringLiteral("см. п. %1.2.3").arg(n)
                       << QStringLiteral("пп. %1.1-%1.5").arg(n)
                       << QStringLiteral("раздел %1.2").arg(n)
                       << QStringLiteral("табл. %1.4").arg(n) << QStringLiteral("рис. %1").arg(n)
                       << QStringLiteral("тел. +7 (495) 12%1-45-67").arg(n)
                       << QStringLiteral("8-800-55%1-35-35").arg(n)
                       << QStringLiteral("от %1.05.2019 г.").arg(n, 2, u'0')
                       << QStringLiteral("%1.01.2020").arg(n, 2, u'0')
                       << QStringLiteral("12 50%1,00 руб.").arg(n)
                       << QStringLiteral("48.13330.20%1").arg(n, 2, u'0')
                       << QStringLiteral("СПб, ул. Садовая, %1").arg(n)
                       << QStringLiteral("ГОСТов %1 и более").arg(n)
                       << QStringLiteral("ТУ-154М борт %1").arg(n)
                       << QStringLiteral("в ту %1-ю смену").arg(n)
                       << QStringLiteral("ФЕРМА %1 м").arg(n)
                       << QStringLiteral("Госстрой России, %1 экз.").arg(n)
                       << QStringLiteral("СП-%1 бригада").arg(n);
        }
        QVERIFY(nearMisses.size() >= 200);
        QStringList taken;
        for (const QString& miss : std::as_const(nearMisses)) {
            if (!DesignationRule::find(miss).isEmpty())
                taken.append(miss);
        }
        QVERIFY2(taken.size() * 100 <= nearMisses.size(), qPrintable(taken.join(u'\n')));
    }

    // The parts of a designation: number, year, star, changes; and editions of one document.
    void partsAndEditions()
    {
        const QList<Designation> found = DesignationRule::find(
            QStringLiteral("по СНиП 3.03.01-87* (с изм. № 1, 2) и СП 48.13330.2019"));
        QCOMPARE(found.size(), 2);
        QCOMPARE(found[0].kind, QStringLiteral("СНиП"));
        QCOMPARE(found[0].number, QStringLiteral("3.03.01"));
        QCOMPARE(found[0].writtenYear, QStringLiteral("-87"));
        QVERIFY(found[0].starred);
        QCOMPARE(found[0].amendment, QStringLiteral("с изм. № 1, 2"));
        QCOMPARE(found[0].text(), QStringLiteral("СНиП 3.03.01-87*"));
        QCOMPARE(found[1].text(), QStringLiteral("СП 48.13330.2019"));
        const Designation older = DesignationRule::parse(QStringLiteral(" сп 48.13330.2011 "));
        QCOMPARE(older.key(), found[1].key());
        QVERIFY(!older.sameAs(found[1]));
        QVERIFY(DesignationRule::parse(QStringLiteral("СП 48.13330")).sameAs(found[1]));
        QVERIFY(DesignationRule::parse(QStringLiteral("СП 48.13330.2019 и")).kind.isEmpty());
        QVERIFY(DesignationRule::parse(QStringLiteral("48.13330")).kind.isEmpty());
    }

    // Markup and line breaks inside a designation: it is found in the text a reader sees,
    // whatever the page's encoding.
    void insidePages()
    {
        const QString body = QStringLiteral(
            "<p>по <b>СП</b>&nbsp;48.<span>13330</span>.2019 и СНиП\r\n12-01&#8211;2004</p>");
        const QList<QByteArray> pages = TestFiles::inEveryEncoding(body);
        for (const QByteArray& page : pages) {
            const QList<Designation> found = DesignationRule::find(DocumentText(page).text());
            QCOMPARE(found.size(), 2);
            QCOMPARE(found[0].text(), QStringLiteral("СП 48.13330.2019"));
            QCOMPARE(found[1].text(), QStringLiteral("СНиП 12-01-2004"));
        }
    }

    // A document's own designations, what it cites and what it replaces; the same read from a
    // file in pieces as from its text whole.
    void documentNorms()
    {
        const QString title = QStringLiteral(
            "СП 48.13330.2019 Организация строительства (актуализированная редакция СНиП "
            "12-01-2004)");
        QString text =
            QStringLiteral("СП 48.13330.2019. ВЗАМЕН СП 48.13330.2011 и СНиП 12-01-2004. "
                           "Работы ведут по ГОСТ 530-2012 и СП 70.13330.2012; "
                           "см. также ГОСТ 530-2012, п. 5.2.");
        const QString filler = QStringLiteral("Текст без обозначений. ").repeated(60000);
        text += filler + QStringLiteral(" В конце: ГЭСН 81-02-06-2022.");
        const DocumentNorms norms =
            DocumentNorms::ofText({QStringLiteral("Организация"), title}, text);
        QCOMPARE(norms.own().size(), 2);
        QCOMPARE(norms.own()[0].text(), QStringLiteral("СП 48.13330.2019"));
        QCOMPARE(norms.own()[1].text(), QStringLiteral("СНиП 12-01-2004"));
        QStringList cited;
        for (const DocumentNorms::Citation& citation : norms.citations())
            cited << citation.first.text() + u'×' + QString::number(citation.count);
        QCOMPARE(cited, QStringList({QStringLiteral("СП 48.13330.2011×1"),
                                     QStringLiteral("ГОСТ 530-2012×2"),
                                     QStringLiteral("СП 70.13330.2012×1"),
                                     QStringLiteral("ГЭСН 81-02-06-2022×1")}));
        QStringList replaced;
        for (const Designation& designation : norms.replaced())
            replaced << designation.text();
        QCOMPARE(replaced, QStringList({QStringLiteral("СНиП 12-01-2004"),
                                        QStringLiteral("СП 48.13330.2011")}));

        const QString path = m_dir.filePath(QStringLiteral("doc.htm"));
        QVERIFY(
            TestFiles::write(path, TestFiles::cp1251(QStringLiteral("<html><head><title>") + title +
                                                     QStringLiteral("</title></head><body><p>") +
                                                     text + QStringLiteral("</p></body></html>"))));
        const std::optional<DocumentNorms> read =
            DocumentNorms::ofFile(path, {QStringLiteral("Организация")});
        QVERIFY(read);
        QCOMPARE(read->own().size(), 2);
        QCOMPARE(read->citations().size(), 4);
        QCOMPARE(read->citations()[3].first.text(), QStringLiteral("ГЭСН 81-02-06-2022"));
        // Its place in the page's text, read in pieces.
        QCOMPARE(read->citations()[3].first.begin,
                 DocumentText(TestFiles::read(path)).text().indexOf(QStringLiteral("ГЭСН 81")));
        QCOMPARE(read->replaced().size(), 2);
        QVERIFY(!DocumentNorms::ofFile(m_dir.filePath(QStringLiteral("none.htm")), {}));
    }
};

QTEST_GUILESS_MAIN(TestDesignations)
#include "tst_designations.moc"
