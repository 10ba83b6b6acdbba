#include "compare/comparisonpage.h"
#include "compare/editioncomparison.h"
#include "compare/texttokens.h"
#include "compare/tokendiff.h"
#include "testsupport/testpdf.h"

#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

namespace {

using What = PartChange::What;

// Words made of syllables, a vocabulary of their own for each seed.
QStringList vocabulary(quint32 seed, int size)
{
    static const QStringList syllables = {
        QStringLiteral("ба"),   QStringLiteral("ве"), QStringLiteral("ти"),  QStringLiteral("ро"),
        QStringLiteral("мон"),  QStringLiteral("ка"), QStringLiteral("лу"),  QStringLiteral("зе"),
        QStringLiteral("прот"), QStringLiteral("ни"), QStringLiteral("ста"), QStringLiteral("фу"),
        QStringLiteral("гер"),  QStringLiteral("до"), QStringLiteral("шин"), QStringLiteral("ар")};
    QRandomGenerator random(seed);
    QStringList words;
    while (words.size() < size) {
        QString word;
        const int count = 2 + int(random.bounded(3));
        for (int i = 0; i < count; ++i)
            word += syllables[int(random.bounded(int(syllables.size())))];
        if (!words.contains(word))
            words << word;
    }
    return words;
}

// A norm as sections of clauses and tables, each with an identity that survives its edits.
struct Clause
{
    int id = 0;
    QString text;
};
struct Table
{
    int id = 0;
    QString caption;
    QStringList cells;
};
struct Section
{
    int id = 0;
    QString title;
    QList<Clause> clauses;
    QList<Table> tables;
};
using Norm = QList<Section>;

class NormMaker
{
public:
    NormMaker(quint32 seed, const QStringList& words) : m_random(seed), m_words(words) {}

    QString sentence(int words)
    {
        QStringList picked;
        for (int i = 0; i < words; ++i)
            picked << m_words[int(m_random.bounded(int(m_words.size())))];
        picked[0][0] = picked[0][0].toUpper();
        return picked.join(u' ') + u'.';
    }

    Norm norm(int sections, int clauses, const QStringList& titles)
    {
        Norm made;
        for (int s = 0; s < sections; ++s) {
            Section section{m_next++, titles[s % titles.size()], {}, {}};
            for (int c = 0; c < clauses; ++c)
                section.clauses << Clause{m_next++, sentence(12 + int(m_random.bounded(12)))};
            if (s % 2 == 1)
                section.tables << Table{m_next++,
                                        sentence(4),
                                        {QStringLiteral("Марка"), QStringLiteral("М200"),
                                         QStringLiteral("10 м3"), sentence(3)}};
            made << section;
        }
        return made;
    }
    int nextId() { return m_next++; }

private:
    QRandomGenerator m_random;
    QStringList m_words;
    int m_next = 1;
};

// The norm as paragraphs, in order: "N Title", "N.k text", "Таблица N.k – caption", cells.
struct Line
{
    QString text;
    bool heading = false;
    bool cell = false;
};
QList<Line> linesOf(const Norm& norm)
{
    QList<Line> lines;
    for (qsizetype s = 0; s < norm.size(); ++s) {
        const Section& section = norm[s];
        const QString number = QString::number(s + 1);
        lines << Line{number + u' ' + section.title, true};
        for (qsizetype c = 0; c < section.clauses.size(); ++c)
            lines << Line{
                QStringLiteral("%1.%2 %3").arg(number).arg(c + 1).arg(section.clauses[c].text)};
        for (qsizetype t = 0; t < section.tables.size(); ++t) {
            lines << Line{QStringLiteral("Таблица %1.%2 – %3")
                              .arg(number)
                              .arg(t + 1)
                              .arg(section.tables[t].caption)};
            for (const QString& cell : section.tables[t].cells)
                lines << Line{cell, false, true};
        }
    }
    return lines;
}

QByteArray pageOf(const Norm& norm)
{
    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"><title>Свод правил</title>"
                                  "</head><body>\r\n");
    bool inTable = false;
    for (const Line& line : linesOf(norm)) {
        if (line.cell != inTable)
            html += line.cell ? QStringLiteral("<table border=1><tr>")
                              : QStringLiteral("</tr></table>\r\n");
        inTable = line.cell;
        if (line.cell)
            html += QStringLiteral("<td><p class=MsoNormal>%1</p></td>").arg(line.text);
        else if (line.heading)
            html += QStringLiteral("<h1>%1</h1>\r\n").arg(line.text);
        else
            html += QStringLiteral("<p class=MsoNormal>%1</p>\r\n").arg(line.text);
    }
    if (inTable)
        html += QStringLiteral("</tr></table>");
    return (html + QStringLiteral("</body></html>")).toUtf8();
}

QList<QStringList> pdfPagesOf(const Norm& norm)
{
    QList<QStringList> pages{{}};
    for (const Line& line : linesOf(norm)) {
        QString text;
        for (const QString& word : line.text.split(u' ')) {
            if (!text.isEmpty() && text.size() + word.size() > 70) {
                pages.last() << text;
                text.clear();
            }
            text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
        pages.last() << text;
        if (pages.last().size() >= 40)
            pages << QStringList();
    }
    return pages;
}

// Where each part of a norm stands: its identity to its key ("c:2.3", "t:3.1").
QHash<int, QString> keysOf(const Norm& norm)
{
    QHash<int, QString> keys;
    for (qsizetype s = 0; s < norm.size(); ++s) {
        keys[norm[s].id] = QStringLiteral("c:%1").arg(s + 1);
        for (qsizetype c = 0; c < norm[s].clauses.size(); ++c)
            keys[norm[s].clauses[c].id] = QStringLiteral("c:%1.%2").arg(s + 1).arg(c + 1);
        for (qsizetype t = 0; t < norm[s].tables.size(); ++t)
            keys[norm[s].tables[t].id] = QStringLiteral("t:%1.%2").arg(s + 1).arg(t + 1);
    }
    return keys;
}

// What a comparison must say: a line per part that is not unchanged, "what new old +ins -del".
QStringList expectedChanges(const Norm& older, const Norm& newer,
                            const QHash<int, QPair<int, int>>& wordEdits)
{
    const QHash<int, QString> oldKeys = keysOf(older);
    const QHash<int, QString> newKeys = keysOf(newer);
    QStringList lines;
    const auto line = [](What what, const QString& key, const QString& oldKey, int inserted,
                         int deleted) {
        return QStringLiteral("%1 %2 %3 +%4 -%5")
            .arg(PartChange::whatName(what), key.isEmpty() ? QStringLiteral("-") : key,
                 oldKey.isEmpty() ? QStringLiteral("-") : oldKey)
            .arg(inserted)
            .arg(deleted);
    };
    for (auto it = newKeys.begin(); it != newKeys.end(); ++it) {
        const QString oldKey = oldKeys.value(it.key());
        const QPair<int, int> edit = wordEdits.value(it.key(), {-1, -1});
        if (oldKey.isEmpty())
            lines << line(What::Added, it.value(), {}, edit.first, 0);
        else if (oldKey != it.value())
            lines << line(What::Moved, it.value(), oldKey, std::max(0, edit.first),
                          std::max(0, edit.second));
        else if (edit.first >= 0)
            lines << line(What::Changed, it.value(), oldKey, edit.first, edit.second);
    }
    for (auto it = oldKeys.begin(); it != oldKeys.end(); ++it)
        if (!newKeys.contains(it.key()))
            lines << line(What::Removed, {}, it.value(), 0, wordEdits.value(it.key()).second);
    lines.sort();
    return lines;
}

QString keyOf(const EditionPart& part)
{
    return part.matchKey();
}

QStringList actualChanges(const Edition& older, const Edition& newer,
                          const EditionComparison& comparison)
{
    QStringList lines;
    for (const PartChange& change : comparison.changes()) {
        if (change.what == What::Unchanged)
            continue;
        lines << QStringLiteral("%1 %2 %3 +%4 -%5")
                     .arg(PartChange::whatName(change.what),
                          change.newPart < 0 ? QStringLiteral("-")
                                             : keyOf(newer.parts()[std::size_t(change.newPart)]),
                          change.oldPart < 0 ? QStringLiteral("-")
                                             : keyOf(older.parts()[std::size_t(change.oldPart)]))
                     .arg(change.inserted)
                     .arg(change.deleted);
    }
    lines.sort();
    return lines;
}

int wordsOf(const QString& text)
{
    int words = 0;
    for (const TextToken& token : TextTokens::of(text))
        words += token.word ? 1 : 0;
    return words;
}

// The old steps' tokens rebuilt into the new sequence: the steps must say all of it.
bool rebuildsNew(const std::vector<std::size_t>& a, const std::vector<std::size_t>& b,
                 const std::vector<DiffStep>& steps, qsizetype* same)
{
    std::vector<std::size_t> rebuilt;
    qsizetype oldAt = 0;
    *same = 0;
    for (const DiffStep& step : steps) {
        if (step.kind != DiffStep::Kind::Inserted && step.oldAt != oldAt)
            return false;
        if (step.kind == DiffStep::Kind::Same) {
            for (qsizetype i = 0; i < step.count; ++i)
                if (a[std::size_t(step.oldAt + i)] != b[std::size_t(step.newAt + i)])
                    return false;
            rebuilt.insert(rebuilt.end(), a.begin() + step.oldAt,
                           a.begin() + step.oldAt + step.count);
            *same += step.count;
        } else if (step.kind == DiffStep::Kind::Inserted) {
            if (step.newAt != qsizetype(rebuilt.size()))
                return false;
            rebuilt.insert(rebuilt.end(), b.begin() + step.newAt,
                           b.begin() + step.newAt + step.count);
        }
        if (step.kind != DiffStep::Kind::Inserted)
            oldAt += step.count;
    }
    return oldAt == qsizetype(a.size()) && rebuilt == b;
}

qsizetype commonLength(const std::vector<std::size_t>& a, const std::vector<std::size_t>& b)
{
    std::vector<std::vector<qsizetype>> table(a.size() + 1,
                                              std::vector<qsizetype>(b.size() + 1, 0));
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j)
            table[i][j] = a[i - 1] == b[j - 1] ? table[i - 1][j - 1] + 1
                                               : std::max(table[i - 1][j], table[i][j - 1]);
    return table[a.size()][b.size()];
}

const QStringList sectionTitles = {
    QStringLiteral("Общие положения"),    QStringLiteral("Требования к материалам"),
    QStringLiteral("Производство работ"), QStringLiteral("Контроль качества"),
    QStringLiteral("Приемка работ"),      QStringLiteral("Требования безопасности")};

} // namespace

class EditionComparisonTest : public QObject
{
    Q_OBJECT

private slots:
    void tokensKeepNumbersWhole();
    void diffIsShortestAndComplete();
    void diffOfLongSequencesStaysComplete();
    void editScriptComesOutExactly_data();
    void editScriptComesOutExactly();
    void unrelatedDocumentsAreAddedAndRemoved();
    void sameEditionHasNoChanges();
    void pageSaysWhatChanged();
    void largePairStaysWithinMemory();
};

void EditionComparisonTest::tokensKeepNumbersWhole()
{
    const QString text = QStringLiteral("Бетон марки М200 по ГОСТ 7473-2010, слой 0,5 м "
                                        "(технико-экономических) 1/2. Конец.");
    QStringList tokens;
    for (const TextToken& token : TextTokens::of(text))
        tokens << text.mid(token.start, token.length);
    QCOMPARE(tokens,
             (QStringList{"Бетон", "марки", "М200", "по", "ГОСТ", "7473-2010", ",", "слой", "0,5",
                          "м", "(", "технико-экономических", ")", "1/2", ".", "Конец", "."}));
    QCOMPARE(wordsOf(text), 12);
}

void EditionComparisonTest::diffIsShortestAndComplete()
{
    QRandomGenerator random(7);
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<std::size_t> a(random.bounded(60));
        std::vector<std::size_t> b(random.bounded(60));
        const quint32 letters = 2 + random.bounded(6);
        for (std::size_t& token : a)
            token = random.bounded(letters);
        for (std::size_t& token : b)
            token = random.bounded(letters);
        const std::vector<DiffStep> steps = TokenDiff::of(a, b);
        qsizetype same = 0;
        QVERIFY2(rebuildsNew(a, b, steps, &same), qPrintable(QString::number(trial)));
        QCOMPARE(same, commonLength(a, b));
    }
}

void EditionComparisonTest::diffOfLongSequencesStaysComplete()
{
    QRandomGenerator random(11);
    // A long sequence with scattered edits, and one unlike it in every token.
    std::vector<std::size_t> a(60000);
    for (std::size_t& token : a)
        token = random.bounded(5000u);
    std::vector<std::size_t> b = a;
    for (int edit = 0; edit < 3000; ++edit)
        b[random.bounded(quint32(b.size()))] = 10000 + random.bounded(5000u);
    qsizetype same = 0;
    QVERIFY(rebuildsNew(a, b, TokenDiff::of(a, b), &same));
    QVERIFY2(same >= qsizetype(a.size()) * 9 / 10, qPrintable(QString::number(same)));
    std::vector<std::size_t> unlike(50000);
    for (std::size_t& token : unlike)
        token = 20000 + random.bounded(3u);
    QVERIFY(rebuildsNew(a, unlike, TokenDiff::of(a, unlike), &same));
    QCOMPARE(same, qsizetype(0));
}

void EditionComparisonTest::editScriptComesOutExactly_data()
{
    QTest::addColumn<bool>("oldAsPdf");
    QTest::addColumn<bool>("newAsPdf");
    QTest::newRow("pages") << false << false;
    QTest::newRow("old PDF, new page") << true << false;
    QTest::newRow("PDFs") << true << true;
}

void EditionComparisonTest::editScriptComesOutExactly()
{
    QFETCH(bool, oldAsPdf);
    QFETCH(bool, newAsPdf);
    const QStringList words = vocabulary(1, 400);
    NormMaker maker(5, words);
    const Norm older = maker.norm(6, 7, sectionTitles);
    Norm newer = older;
    QHash<int, QPair<int, int>> edits; // identity: words inserted, deleted

    // A word of 2.3 replaced.
    {
        Clause& clause = newer[1].clauses[2];
        QStringList split = clause.text.split(u' ');
        split[3] = QStringLiteral("заменено");
        clause.text = split.join(u' ');
        edits[clause.id] = {1, 1};
    }
    // A grade and a designation in 3.1, as whole tokens.
    {
        Clause& clause = newer[2].clauses[0];
        clause.text.chop(1);
        clause.text += QStringLiteral(" марки М300 по ГОСТ 7473-2020.");
    }
    // A cell of table 4.1.
    newer[3].tables[0].cells[2] = QStringLiteral("12 м3");
    edits[newer[3].tables[0].id] = {1, 1};
    // A clause inserted in 4: those after it renumbered.
    {
        const Clause added{maker.nextId(), maker.sentence(15)};
        newer[3].clauses.insert(1, added);
        edits[added.id] = {wordsOf(added.text), 0};
    }
    // 5.1 removed: those after it renumbered.
    {
        const Clause removed = newer[4].clauses.takeFirst();
        edits[removed.id] = {0, wordsOf(removed.text)};
    }
    // 2.5 moved to the end of 6, a word of it changed on the way.
    {
        Clause moved = newer[1].clauses.takeAt(4);
        QStringList split = moved.text.split(u' ');
        split[1] = QStringLiteral("перенесено");
        moved.text = split.join(u' ');
        newer[5].clauses << moved;
        edits[moved.id] = {1, 1};
    }
    // Three words taken out of 6.2, two put into 6.4.
    {
        Clause& shorter = newer[5].clauses[1];
        QStringList split = shorter.text.split(u' ');
        split.remove(2, 3);
        shorter.text = split.join(u' ');
        edits[shorter.id] = {0, 3};
        Clause& longer = newer[5].clauses[3];
        split = longer.text.split(u' ');
        split.insert(4, QStringLiteral("вставлено"));
        split.insert(4, QStringLiteral("также"));
        longer.text = split.join(u' ');
        edits[longer.id] = {2, 0};
    }
    // 3.1's change is of words appended: say it as the words are.
    {
        const QString oldText = older[2].clauses[0].text;
        const QString newText = newer[2].clauses[0].text;
        edits[older[2].clauses[0].id] = {wordsOf(newText) - wordsOf(oldText), 0};
    }

    QTemporaryDir dir;
    const auto edition = [&dir](const Norm& norm, bool pdf, const QString& name) {
        const QString path = dir.filePath(name + (pdf ? ".pdf" : ".htm"));
        if (pdf) {
            if (!TestPdf::writePages(path, pdfPagesOf(norm)))
                return std::optional<Edition>();
        } else {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(pageOf(norm)) < 0)
                return std::optional<Edition>();
        }
        return Edition::ofFile(path);
    };
    const std::optional<Edition> oldEdition = edition(older, oldAsPdf, QStringLiteral("old"));
    const std::optional<Edition> newEdition = edition(newer, newAsPdf, QStringLiteral("new"));
    QVERIFY(oldEdition && newEdition);
    const EditionComparison comparison(*oldEdition, *newEdition);
    QCOMPARE(actualChanges(*oldEdition, *newEdition, comparison).join(u'\n'),
             expectedChanges(older, newer, edits).join(u'\n'));
    QVERIFY(comparison.count(What::Unchanged) > 20);
    QVERIFY(comparison.hasChanges());
}

void EditionComparisonTest::unrelatedDocumentsAreAddedAndRemoved()
{
    NormMaker first(21, vocabulary(2, 300));
    NormMaker second(22, vocabulary(3, 300));
    const Norm older = first.norm(8, 12, sectionTitles);
    const Norm newer = second.norm(7, 15,
                                   {QStringLiteral("Термины"), QStringLiteral("Обозначения"),
                                    QStringLiteral("Расчет"), QStringLiteral("Испытания")});
    const Edition oldEdition = Edition::ofPage(pageOf(older));
    const Edition newEdition = Edition::ofPage(pageOf(newer));
    const EditionComparison comparison(oldEdition, newEdition);
    const int paired = comparison.count(What::Changed) + comparison.count(What::Moved) +
                       comparison.count(What::Unchanged);
    // The tables' cells alike ("Марка", "М200") may pair a table; nothing else.
    QVERIFY2(paired <= 4, qPrintable(QString::number(paired)));
    QVERIFY(comparison.count(What::Added) >= int(newEdition.parts().size()) - 4);
    QVERIFY(comparison.count(What::Removed) >= int(oldEdition.parts().size()) - 4);
}

void EditionComparisonTest::sameEditionHasNoChanges()
{
    NormMaker maker(31, vocabulary(4, 300));
    const Norm norm = maker.norm(5, 6, sectionTitles);
    const Edition page = Edition::ofPage(pageOf(norm));
    const EditionComparison comparison(page, page);
    QVERIFY(!comparison.hasChanges());
    QCOMPARE(comparison.count(What::Unchanged), int(page.parts().size()));
    // An empty document against a norm: all of it added.
    const EditionComparison fromNothing(Edition::ofPage(QByteArray()), page);
    QCOMPARE(fromNothing.count(What::Added), int(page.parts().size()));
}

void EditionComparisonTest::pageSaysWhatChanged()
{
    NormMaker maker(41, vocabulary(5, 300));
    const Norm older = maker.norm(3, 5, sectionTitles);
    Norm newer = older;
    newer[1].clauses[0].text.replace(0, 1, QStringLiteral("Ж"));
    newer[2].clauses.insert(0, Clause{maker.nextId(), maker.sentence(10)});
    const Edition oldEdition = Edition::ofPage(pageOf(older));
    const Edition newEdition = Edition::ofPage(pageOf(newer));
    const EditionComparison comparison(oldEdition, newEdition);
    const QString page = QString::fromUtf8(ComparisonPage::html(
        oldEdition, newEdition, comparison, {QStringLiteral("/lib/old <1>.htm"), "СП 1.2020"},
        {QStringLiteral("/lib/new.htm"), "СП 1.2024"}));
    QVERIFY(page.contains(QStringLiteral("Что изменилось")));
    QVERIFY(page.contains(QStringLiteral("Добавлено: 1 пункт")));
    QVERIFY(page.contains(QStringLiteral("Изменено: 1 пункт")));
    QVERIFY(page.contains(QStringLiteral("Перенумеровано или перенесено: 5 пунктов")));
    QVERIFY(page.contains(QStringLiteral("п. 3.2 (было 3.1)")));
    QVERIFY(page.contains(QStringLiteral("Без изменений: ")));
    QVERIFY(page.contains(QStringLiteral("<del>")) && page.contains(QStringLiteral("<ins>")));
    // Links into the page for each change, and to the editions at the part, the path encoded.
    QVERIFY(page.contains(QStringLiteral("href=\"#change-")));
    QVERIFY(page.contains(QStringLiteral("lectoria-part:/lib/old%20%3C1%3E.htm#")));
    QVERIFY(!page.contains(QStringLiteral("<1>")));
    const QUrl link(ComparisonPage::partLink(QStringLiteral("/lib/a#b.htm"), "п. 5.4"));
    QCOMPARE(link.path(), QStringLiteral("/lib/a#b.htm"));
    QCOMPARE(link.fragment(), QStringLiteral("п. 5.4"));
}

void EditionComparisonTest::largePairStaysWithinMemory()
{
    // Two editions of about 5 MB each, one clause in a hundred changed.
    NormMaker maker(51, vocabulary(6, 3000));
    const Norm older = maker.norm(90, 200, sectionTitles);
    Norm newer = older;
    for (Section& section : newer)
        for (qsizetype c = 0; c < section.clauses.size(); c += 100)
            section.clauses[c].text.prepend(QStringLiteral("Изменено "));
    const QByteArray oldPage = pageOf(older);
    const QByteArray newPage = pageOf(newer);
    QVERIFY(oldPage.size() > 4'500'000);
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const Edition oldEdition = Edition::ofPage(oldPage);
    const Edition newEdition = Edition::ofPage(newPage);
    const EditionComparison comparison(oldEdition, newEdition);
    const QByteArray page = ComparisonPage::html(oldEdition, newEdition, comparison, {}, {});
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    QCOMPARE(comparison.count(What::Changed), 90 * 2);
    QCOMPARE(comparison.count(What::Added) + comparison.count(What::Removed), 0);
    QVERIFY(!page.isEmpty());
    const long grownMegabytes = (after.ru_maxrss - before.ru_maxrss) / 1024;
    QVERIFY2(grownMegabytes < 300, qPrintable(QString::number(grownMegabytes)));
}

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv); // the PDF writer draws with fonts
    EditionComparisonTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_editioncomparison.moc"
