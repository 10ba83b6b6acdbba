#include "norms/documentstructure.h"
#include "norms/partaddress.h"
#include "pdf/pdftextreader.h"
#include "testsupport/normwriter.h"
#include "testsupport/testfiles.h"
#include "testsupport/testpdf.h"
#include "text/documenttext.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Kind = DocumentPart::Kind;
using Style = NormWriter::Style;

QString describe(const DocumentPart& part)
{
    return DocumentPart::kindName(part.kind) + QLatin1Char(' ') +
           (part.key.isEmpty() ? part.title : part.key);
}

// How the parts found compare with those written.
struct Tally
{
    int expected = 0;
    int right = 0; // found, with the right parent
    int found = 0;
    int falseParts = 0;
    QStringList misses;

    void add(const NormWriter& norm, const DocumentStructure& structure, const QString& name)
    {
        const QList<NormWriter::Expected>& wanted = norm.expected();
        const std::vector<DocumentPart>& parts = structure.parts();
        expected += int(wanted.size());
        found += int(parts.size());
        std::vector<int> matchOf(wanted.size(), -1);
        std::vector<bool> used(parts.size(), false);
        size_t from = 0;
        for (qsizetype w = 0; w < wanted.size(); ++w) {
            for (size_t p = from; p < parts.size(); ++p) {
                const bool same = parts[p].kind == wanted.at(w).kind &&
                                  (wanted.at(w).key.isEmpty() ? parts[p].title == wanted.at(w).title
                                                              : parts[p].key == wanted.at(w).key);
                if (same && !used[p]) {
                    matchOf[size_t(w)] = int(p);
                    used[p] = true;
                    from = p + 1;
                    break;
                }
            }
            const int p = matchOf[size_t(w)];
            const int parent = wanted.at(w).parent;
            const bool parentRight =
                p >= 0 && (parent < 0 ? parts[size_t(p)].parent < 0
                                      : parts[size_t(p)].parent == matchOf[size_t(parent)] &&
                                            matchOf[size_t(parent)] >= 0);
            if (parentRight)
                ++right;
            else
                misses << name + QStringLiteral(": missed or misplaced ") +
                              DocumentPart::kindName(wanted.at(w).kind) + QLatin1Char(' ') +
                              wanted.at(w).key + wanted.at(w).title;
        }
        for (size_t p = 0; p < parts.size(); ++p) {
            if (!used[p]) {
                ++falseParts;
                misses << name + QStringLiteral(": false ") + describe(parts[p]) +
                              QStringLiteral(" «") + parts[p].title + QStringLiteral("»");
            }
        }
    }
    void check(int documents) const
    {
        for (const QString& miss : misses)
            qInfo().noquote() << miss;
        qInfo("%d documents: %d of %d parts found with their parent, %d false of %d found",
              documents, right, expected, falseParts, found);
        QVERIFY(expected > 0);
        QVERIFY2(right >= 0.98 * expected, qPrintable(QString::number(right)));
        QVERIFY2(falseParts <= 0.01 * found, qPrintable(QString::number(falseParts)));
    }
};

QByteArray encoded(const QString& page, int encoding)
{
    switch (encoding % 3) {
    case 0:
        return TestFiles::cp1251(page);
    case 1:
        return QString(page)
            .replace(QStringLiteral("content=\"text/html\""),
                     QStringLiteral("content=\"text/html; charset=utf-8\""))
            .toUtf8();
    default:
        return QByteArray("\xFF\xFE", 2) + QStringEncoder(QStringEncoder::Utf16LE).encode(page);
    }
}

QByteArray withCharset(const QString& html)
{
    return "<meta http-equiv=Content-Type content=\"text/html; charset=utf-8\">" + html.toUtf8();
}

DocumentStructure ofText(const QString& html)
{
    return DocumentStructure::ofPage(withCharset(html));
}

QStringList keysOf(const DocumentStructure& structure)
{
    QStringList keys;
    for (const DocumentPart& part : structure.parts())
        keys << describe(part);
    return keys;
}

} // namespace

class DocumentStructureTest : public QObject
{
    Q_OBJECT

private slots:
    // Word pages of every style, in the three encodings of the library.
    void findsThePartsOfWordPages()
    {
        Tally tally;
        int documents = 0;
        for (const Style style : {Style::Rules, Style::Standard, Style::OldCode, Style::Estimate}) {
            for (quint32 seed = 1; seed <= 12; ++seed) {
                const NormWriter norm(seed * 97 + quint32(style), style);
                const QByteArray raw = encoded(norm.page(), int(seed));
                tally.add(norm, DocumentStructure::ofPage(raw),
                          QStringLiteral("style %1 seed %2").arg(int(style)).arg(seed));
                ++documents;
            }
        }
        tally.check(documents);
    }

    // PDFs written here, read through their text layer: page numbers and running heads
    // are no parts.
    void findsThePartsOfPdfs()
    {
        if (PdfTextReader::program().isEmpty())
            QSKIP("the PDF reader is not built");
        QTemporaryDir dir;
        Tally tally;
        int documents = 0;
        for (const Style style : {Style::Rules, Style::Standard, Style::OldCode}) {
            for (quint32 seed = 1; seed <= 4; ++seed) {
                const NormWriter norm(seed * 31 + quint32(style), style);
                const QString path =
                    dir.filePath(QStringLiteral("%1-%2.pdf").arg(int(style)).arg(seed));
                QVERIFY(TestPdf::writePages(path, norm.pdfPages()));
                const PdfText text = PdfTextReader::read(path);
                QCOMPARE(text.state(), PdfText::State::Text);
                const DocumentStructure structure = DocumentStructure::ofPdf(text);
                tally.add(norm, structure,
                          QStringLiteral("PDF %1 seed %2").arg(int(style)).arg(seed));
                for (const DocumentPart& part : structure.parts())
                    QVERIFY(part.page >= 1);
                ++documents;
            }
        }
        tally.check(documents);
    }

    void leavesOutWhatOnlyLooksLikeAPart()
    {
        const DocumentStructure structure = ofText(
            QStringLiteral("<p>1 Общие положения</p>"
                           "<p>1.1 Настоящий свод правил распространяется на работы.</p>"
                           "<p>В соответствии с п. 1.2 работы ведут захватками.</p>"
                           "<p>1) на основании проекта;</p><p>1.2 м — расстояние между швами.</p>"
                           "<p>12.05.2019 введены изменения.</p><p>2,5 % от массы.</p>"
                           "<p>2 раза в смену.</p><p>10 МПа при сжатии.</p>"
                           "<table><tr><td>1.2</td><td>2 Бетон</td></tr></table>"
                           "<p>1.2 Работы выполняют по проекту.</p>"));
        QCOMPARE(keysOf(structure), (QStringList{"section 1", "clause 1.1", "clause 1.2"}));
        QCOMPARE(structure.parts()[2].parent, 0);
        QCOMPARE(structure.parts()[2].depth, 2);
    }

    // A number that breaks the sequence is a false find, even when it came first.
    void numbersMustFollowOn()
    {
        const DocumentStructure structure =
            ofText(QStringLiteral("<p>5 Кроме того, допускается иное.</p>"
                                  "<p>1 Область применения</p><p>1.1 Текст пункта.</p>"
                                  "<p>40 Рабочих смен длится цикл.</p>"
                                  "<p>1.2 Текст пункта.</p><p>1.2.1 Подпункт.</p><p>1.3 Текст.</p>"
                                  "<p>2 Нормативные ссылки</p><p>2.1 Текст.</p>"));
        QCOMPARE(keysOf(structure),
                 (QStringList{"section 1", "clause 1.1", "clause 1.2", "clause 1.2.1", "clause 1.3",
                              "section 2", "clause 2.1"}));
        QCOMPARE(structure.parts()[3].parent, 2);
        QCOMPARE(structure.parts()[6].parent, 5);
    }

    // Each part's place: its title, where it starts and ends, and which part holds a place.
    void placesEachPart()
    {
        const QString html = QStringLiteral(
            "<h1>5 Бетонные работы</h1><p>5.1 Бетонную смесь укладывают слоями.</p>"
            "<p>Таблица 5.1 — Коэффициенты</p><table><tr><td>1</td></tr></table>"
            "<p>5.2 Уход за бетоном.</p>"
            "<p class=MsoNormal>ПРИЛОЖЕНИЕ Б<br>(обязательное)<br>Методика испытаний</p>"
            "<p>Б.1 Образцы изготавливают.</p>");
        const DocumentStructure structure = ofText(html);
        QCOMPARE(keysOf(structure), (QStringList{"section 5", "clause 5.1", "table 5.1",
                                                 "clause 5.2", "appendix Б", "clause Б.1"}));
        const std::vector<DocumentPart>& parts = structure.parts();
        QCOMPARE(parts[0].title, QStringLiteral("Бетонные работы"));
        QCOMPARE(parts[2].title, QStringLiteral("Коэффициенты"));
        QCOMPARE(parts[2].parent, 1);
        QCOMPARE(parts[4].title, QStringLiteral("Методика испытаний"));
        QCOMPARE(parts[5].parent, 4);
        const QString text = DocumentText(withCharset(html)).text();
        QCOMPARE(text.mid(parts[1].start, 3), QStringLiteral("5.1"));
        QCOMPARE(parts[0].end, parts[4].start);
        QCOMPARE(parts[1].end, parts[3].start);
        QCOMPARE(structure.partAt(parts[1].start + 10), 1);
        QCOMPARE(structure.partAt(parts[2].start + 2), 2);
        QCOMPARE(structure.partAt(parts[3].start), 3);
        QCOMPARE(structure.partAt(parts[0].start), 0);
        QCOMPARE(structure.partAt(parts[0].start - 1), -1);
        QCOMPARE(structure.partAt(parts[5].end - 1), 5);
        QCOMPARE(parts[5].end, text.trimmed().size() + 1);
    }

    // Word's contents lines point to the parts; they are none.
    void contentsLinesAreNoParts()
    {
        const DocumentStructure structure = ofText(QStringLiteral(
            "<p class=MsoToc1><a href='#_Toc1'>1 Область применения 3</a></p>"
            "<p>Содержание</p><p>2 Нормативные ссылки ......... 4</p><p>3 Термины 5</p>"
            "<h1>1 Область применения</h1><p>1.1 Текст.</p>"));
        QCOMPARE(keysOf(structure), (QStringList{"section 1", "clause 1.1"}));
    }

    void readsAddressesAsReadersWriteThem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("key");
        using K = PartAddress::Kind;
        QTest::newRow("bare") << "5.2.3" << int(K::Clause) << "5.2.3";
        QTest::newRow("clause") << "п. 5.2.3." << int(K::Clause) << "5.2.3";
        QTest::newRow("table") << "табл. 5.1" << int(K::Table) << "5.1";
        QTest::newRow("table word") << "Таблица А.2" << int(K::Table) << "А.2";
        QTest::newRow("appendix") << "прил. Б" << int(K::Appendix) << "Б";
        QTest::newRow("latin appendix") << "приложение b" << int(K::Appendix) << "В";
        QTest::newRow("section") << "разд. 6" << int(K::Section) << "6";
        QTest::newRow("figure") << "рис. 2" << int(K::Figure) << "2";
        QTest::newRow("item") << "06-01-001-01" << int(K::Item) << "06-01-001-01";
        QTest::newRow("estimate table") << "06-01-001" << int(K::Table) << "06-01-001";
    }
    void readsAddressesAsReadersWriteThem()
    {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(QString, key);
        const std::optional<PartAddress> address = PartAddress::parse(text);
        QVERIFY(address);
        QCOMPARE(int(address->kind()), kind);
        QCOMPARE(address->key(), key);
    }

    void findsAPartOrTheNearest()
    {
        for (const QString& wrong :
             {QStringLiteral("п. "), QStringLiteral("5.2 м"), QStringLiteral("табл. Б"), QString()})
            QVERIFY2(!PartAddress::parse(wrong), qPrintable(wrong));
        const DocumentStructure structure = ofText(QStringLiteral(
            "<p>5 Работы</p><p>5.2 Текст.</p><p>5.2.1 Текст.</p><p>5.2.3 Текст.</p>"
            "<p>Таблица 5.1 — Значения</p><p>6 Контроль</p><p>Приложение Б (обязательное) "
            "Методика</p>"));
        QCOMPARE(keysOf(structure),
                 (QStringList{"section 5", "clause 5.2", "clause 5.2.1", "clause 5.2.3",
                              "table 5.1", "section 6", "appendix Б"}));
        QCOMPARE(PartAddress::parse(u"п. 5.2.3")->find(structure), 3);
        QCOMPARE(PartAddress::parse(u"табл. 5.1")->find(structure), 4);
        QCOMPARE(PartAddress::parse(u"разд. 6")->find(structure), 5);
        QCOMPARE(PartAddress::parse(u"прил. Б")->find(structure), 6);
        const PartAddress missing = *PartAddress::parse(u"5.2.9");
        QCOMPARE(missing.find(structure), -1);
        QCOMPARE(missing.nearest(structure), 3);
        QCOMPARE(missing.missingText(), QStringLiteral("Пункта 5.2.9 в документе нет"));
        QCOMPARE(PartAddress::parse(u"табл. 7")->nearest(structure), 4);
        QCOMPARE(PartAddress::parse(u"рис. 1")->nearest(structure), -1);
        QVERIFY(PartAddress::parse(u"п. 5.2")->covers(*PartAddress::parse(u"п. 5.2.3")));
        QVERIFY(!PartAddress::parse(u"п. 5.2")->covers(*PartAddress::parse(u"п. 5.21")));
        QVERIFY(PartAddress::parse(u"06-01-001")->covers(*PartAddress::parse(u"06-01-001-01")));
    }

    // A damaged page never stops the rule: unclosed tags, a huge number, control bytes.
    void survivesDamagedPages()
    {
        QByteArray raw = "<p>1 Общие<table><td><p>5.2.3.4.5.6.7.8.9 X<p class=\"MsoHeading1";
        raw += QByteArray(200000, '<');
        raw += QByteArray("\x00\x01<h9>", 8) + "<p>Приложение";
        const DocumentStructure structure = DocumentStructure::ofPage(raw);
        QVERIFY(structure.parts().size() <= 2);
        QVERIFY(DocumentStructure::ofPage(QByteArray()).isEmpty());
        QCOMPARE(DocumentStructure().partAt(10), -1);
    }
};

QTEST_MAIN(DocumentStructureTest)
#include "tst_documentstructure.moc"
