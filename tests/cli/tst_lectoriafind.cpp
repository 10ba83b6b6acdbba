#include "dbase/dbfwriter.h"
#include "testsupport/indexsettle.h"
#include "testsupport/testfiles.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class TestLectoriaFind : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    struct Run
    {
        int exitCode;
        QStringList out;
        QStringList err;
        QByteArray rawOut;
    };
    // Through the shell when an argument must be bytes that are no text ($'..' of bash).
    static Run run(const QStringList& arguments, const QString& shellLine = {})
    {
        QProcess process;
        if (shellLine.isEmpty())
            process.start(QStringLiteral(LECTORIA_FIND), arguments);
        else
            process.start(QStringLiteral("/bin/bash"), QStringList{QStringLiteral("-c"), shellLine,
                                                                   QStringLiteral(LECTORIA_FIND)} +
                                                           arguments);
        process.waitForFinished(60000);
        const auto lines = [](const QByteArray& bytes) {
            return QString::fromUtf8(bytes).split(u'\n', Qt::SkipEmptyParts);
        };
        const QByteArray out = process.readAllStandardOutput();
        return Run{process.exitCode(), lines(out), lines(process.readAllStandardError()), out};
    }

private slots:
    void initTestCase()
    {
        const QString lib = m_dir.filePath(QStringLiteral("lib"));
        QVERIFY(TestFiles::write(lib + QStringLiteral("/b.htm"),
                                 TestFiles::cp1251(QStringLiteral("Покрытия из КСИЛОЛИТА"))));
        QVERIFY(TestFiles::write(lib + QStringLiteral("/Полы/a.htm"),
                                 TestFiles::cp1251(QStringLiteral("ксилолит"))));
        QVERIFY(TestFiles::write(lib + QStringLiteral("/Полы/c.htm"),
                                 TestFiles::cp1251(QStringLiteral("линолеум"))));
        QVERIFY(TestFiles::write(lib + QStringLiteral("/Полы/_index.htm"),
                                 TestFiles::cp1251(QStringLiteral("ксилолит"))));
        QVERIFY(TestFiles::write(lib + QStringLiteral("/Полы/a.files/x.htm"),
                                 TestFiles::cp1251(QStringLiteral("ксилолит"))));
        QVERIFY(QFile::link(lib, lib + QStringLiteral("/Полы/наверх")));
    }

    // lectoria-index builds the index that --index answers from, with the scan's answer; with
    // no index --index is a usage error.
    void indexedSearch()
    {
        const QString lib = m_dir.filePath(QStringLiteral("lib"));
        QProcess index;
        index.setProcessChannelMode(QProcess::MergedChannels);
        const QStringList plain{QStringLiteral("--text"), QStringLiteral("ксилолит"), lib};
        const QStringList indexed = QStringList{QStringLiteral("--index")} + plain;
        const Run missing = run(indexed);
        QCOMPARE(missing.exitCode, 2);
        QVERIFY(missing.err.join(u'\n').contains(QStringLiteral("lectoria-index")));
        index.start(QStringLiteral(LECTORIA_INDEX), {lib});
        QVERIFY(index.waitForFinished(60000));
        QCOMPARE(index.exitCode(), 0);
        QVERIFY(QString::fromLocal8Bit(index.readAll()).contains(QStringLiteral("3 documents")));
        const Run scanned = run(plain);
        const Run answered = run(indexed);
        QCOMPARE(answered.exitCode, 0);
        QCOMPARE(answered.out, scanned.out);
        QCOMPARE(answered.err.last(), scanned.err.last());
        QCOMPARE(answered.err.last(), QStringLiteral("checked 3, found 2"));

        // Words in any form: found through the index as by reading; a query without a word
        // is a usage error.
        const Run words = run({QStringLiteral("--words"), QStringLiteral("покрытиями"), lib});
        QCOMPARE(words.exitCode, 0);
        QCOMPARE(words.out, QStringList{lib + QStringLiteral("/b.htm")});
        const Run wordsIndexed = run({QStringLiteral("--words"), QStringLiteral("--index"),
                                      QStringLiteral("покрытиями"), lib});
        QCOMPARE(QSet<QString>(wordsIndexed.out.begin(), wordsIndexed.out.end()),
                 QSet<QString>(words.out.begin(), words.out.end()));
        QCOMPARE(run({QStringLiteral("--words"), QStringLiteral("- … «»"), lib}).exitCode, 2);
    }

    // The documents citing a designation, by reading and from the index; the designations of
    // files, a line each.
    void citationsAndDesignations()
    {
        const QString lib = m_dir.filePath(QStringLiteral("norms"));
        QVERIFY(TestFiles::write(
            lib + QStringLiteral("/СП 48.13330.2019.htm"),
            TestFiles::cp1251(QStringLiteral("<p>СП 48.13330.2019. ВЗАМЕН СП 48.13330.2011</p>"))));
        QVERIFY(
            TestFiles::write(lib + QStringLiteral("/Смета.htm"),
                             TestFiles::cp1251(QStringLiteral(
                                 "<p>По сп&nbsp;48.13330.2019 и ГОСТ 530-2012 (с изм. 1)</p>"))));
        QVERIFY(TestFiles::write(lib + QStringLiteral("/Письмо.htm"),
                                 TestFiles::cp1251(QStringLiteral("<p>Без ссылок.</p>"))));
        const QStringList cites{QStringLiteral("--cites"), QStringLiteral("СП 48.13330"), lib};
        const Run scanned = run(cites);
        QCOMPARE(scanned.exitCode, 0);
        QCOMPARE(QSet<QString>(scanned.out.begin(), scanned.out.end()),
                 QSet<QString>({lib + QStringLiteral("/Смета.htm"),
                                lib + QStringLiteral("/СП 48.13330.2019.htm")}));
        QCOMPARE(scanned.err.last(), QStringLiteral("checked 3, found 2"));
        QCOMPARE(run({QStringLiteral("--cites"), QStringLiteral("ГОСТ 1-90"), lib}).exitCode, 1);
        const Run notOne = run({QStringLiteral("--cites"), QStringLiteral("п. 5.2.3"), lib});
        QCOMPARE(notOne.exitCode, 2);
        QVERIFY(notOne.err.first().contains(QStringLiteral("no designation")));

        const QStringList indexed = QStringList{QStringLiteral("--index")} + cites;
        QCOMPARE(run(indexed).exitCode, 2); // no index yet
        waitForStampsToSettle();
        QProcess index;
        index.start(QStringLiteral(LECTORIA_INDEX), {lib});
        QVERIFY(index.waitForFinished(60000));
        QCOMPARE(index.exitCode(), 0);
        const Run answered = run(indexed);
        QCOMPARE(answered.exitCode, 0);
        QCOMPARE(QSet<QString>(answered.out.begin(), answered.out.end()),
                 QSet<QString>(scanned.out.begin(), scanned.out.end()));
        QCOMPARE(answered.err.last(), scanned.err.last());

        const Run designations =
            run({QStringLiteral("--designations"), lib + QStringLiteral("/Смета.htm"),
                 lib + QStringLiteral("/СП 48.13330.2019.htm")});
        QCOMPARE(designations.exitCode, 0);
        const QString smeta = lib + QStringLiteral("/Смета.htm\t");
        const QString sp = lib + QStringLiteral("/СП 48.13330.2019.htm\t");
        QCOMPARE(
            designations.out,
            QStringList({smeta + QStringLiteral("cites\tСП 48.13330.2019\tСП 48.13330\t2019\t1"),
                         smeta + QStringLiteral("cites\tГОСТ 530-2012\tГОСТ 530\t2012\t1"),
                         sp + QStringLiteral("own\tСП 48.13330.2019\tСП 48.13330\t2019\t1"),
                         sp + QStringLiteral("cites\tСП 48.13330.2011\tСП 48.13330\t2011\t1"),
                         sp + QStringLiteral("replaces\tСП 48.13330.2011\tСП 48.13330\t2011\t1")}));
        QCOMPARE(run({QStringLiteral("--designations"), lib + QStringLiteral("/нет.htm")}).exitCode,
                 2);
    }

    // A library with a known graph of part citations in their written variants: the documents
    // citing a part (or a part within it) are exactly those, with and without the index, and
    // after documents change behind the index's back.
    void partCitations()
    {
        const QString lib = m_dir.filePath(QStringLiteral("parts"));
        struct Cited
        {
            QString norm;
            QString part; // as PartAddress keys it, with its kind
        };
        const QStringList norms{QStringLiteral("СП 48.13330.2019"),
                                QStringLiteral("СНиП 12-01-2004"), QStringLiteral("ГОСТ 10178-85")};
        QRandomGenerator random(48);
        QHash<QString, QList<Cited>> truth; // by document
        const auto write = [&](int number) {
            QString body;
            QList<Cited> cited;
            for (int i = 0; i < 4; ++i) {
                const QString norm = norms[random.bounded(3)];
                const QString clause = QStringLiteral("%1.%2.%3")
                                           .arg(random.bounded(4, 7))
                                           .arg(random.bounded(1, 4))
                                           .arg(random.bounded(1, 3));
                const QString table = QString::number(random.bounded(1, 4));
                switch (random.bounded(7)) {
                case 0:
                    body +=
                        QStringLiteral("<p>Согласно п. %1 %2 работы ведут.</p>").arg(clause, norm);
                    cited.append({norm, QStringLiteral("c:") + clause});
                    break;
                case 1:
                    body +=
                        QStringLiteral("<p>В соответствии с пунктом %1 %2.</p>").arg(clause, norm);
                    cited.append({norm, QStringLiteral("c:") + clause});
                    break;
                case 2:
                    body +=
                        QStringLiteral("<p>Требования %2, п. %1 соблюдены.</p>").arg(clause, norm);
                    cited.append({norm, QStringLiteral("c:") + clause});
                    break;
                case 3:
                    body += QStringLiteral("<p>Марки по табл. %1 %2.</p>").arg(table, norm);
                    cited.append({norm, QStringLiteral("t:") + table});
                    break;
                case 4:
                    body += QStringLiteral("<p>Порядок по пп. %1–%2 %3.</p>")
                                .arg(clause, clause.left(4) + u'9', norm);
                    cited.append({norm, QStringLiteral("c:") + clause});
                    cited.append({norm, QStringLiteral("c:") + clause.left(4) + u'9'});
                    break;
                case 5: // the document's own clause, then a norm in another sentence
                    body += QStringLiteral("<p>См. п. %1. Материалы по %2.</p>").arg(clause, norm);
                    break;
                default: // an amount is not a part
                    body += QStringLiteral("<p>По %1 слой 5.2 м, уклон 2,5 %.</p>").arg(norm);
                    break;
                }
            }
            truth.insert(QStringLiteral("%1/Док %2.htm").arg(lib).arg(number), cited);
            return TestFiles::write(QStringLiteral("%1/Док %2.htm").arg(lib).arg(number),
                                    TestFiles::cp1251(body));
        };
        for (int number = 0; number < 40; ++number)
            QVERIFY(write(number));
        struct Query
        {
            QString text;
            QString norm; // the norm's key
            QString part;
        };
        const QList<Query> queries{
            {QStringLiteral("п. 5.2 СП 48.13330.2019"), QStringLiteral("СП 48.13330"),
             QStringLiteral("c:5.2")},
            {QStringLiteral("п. 4.1.1 СП 48.13330"), QStringLiteral("СП 48.13330"),
             QStringLiteral("c:4.1.1")},
            {QStringLiteral("СНиП 12-01-2004, раздел 6"), QStringLiteral("СНиП 12-01"),
             QStringLiteral("c:6")},
            {QStringLiteral("табл. 2 ГОСТ 10178-85"), QStringLiteral("ГОСТ 10178"),
             QStringLiteral("t:2")},
        };
        const auto expected = [&](const Query& query) {
            QSet<QString> out;
            for (auto it = truth.cbegin(); it != truth.cend(); ++it)
                for (const Cited& cited : it.value())
                    if (cited.norm.startsWith(query.norm) &&
                        (cited.part == query.part || (query.part.startsWith(u"c:") &&
                                                      cited.part.startsWith(query.part + u'.'))))
                        out.insert(it.key());
            return out;
        };
        const auto check = [&](bool indexed) {
            for (const Query& query : queries) {
                QStringList arguments{QStringLiteral("--cites"), query.text, lib};
                if (indexed)
                    arguments.prepend(QStringLiteral("--index"));
                const Run found = run(arguments);
                const QSet<QString> wanted = expected(query);
                QCOMPARE(found.exitCode, wanted.isEmpty() ? 1 : 0);
                QCOMPARE(QSet<QString>(found.out.begin(), found.out.end()), wanted);
            }
        };
        check(false);
        QVERIFY(!expected(queries[0]).isEmpty() && !expected(queries[3]).isEmpty());
        waitForStampsToSettle();
        QProcess index;
        index.start(QStringLiteral(LECTORIA_INDEX), {lib});
        QVERIFY(index.waitForFinished(60000));
        QCOMPARE(index.exitCode(), 0);
        check(true);
        // Changed behind the index's back: the changed ones are read.
        for (int number = 0; number < 40; number += 3)
            QVERIFY(write(number));
        check(true);
        check(false);
    }

    // A document's parts, a line each; several files name the file first.
    void printsOutlines()
    {
        const QString page = m_dir.filePath(QStringLiteral("outline/СП.htm"));
        QVERIFY(TestFiles::write(
            page, TestFiles::cp1251(QStringLiteral(
                      "<html><body><h1>Введение</h1><h1>5 Бетонные работы</h1>"
                      "<p>5.1 Бетонную смесь укладывают.</p><p>Таблица 5.1 — Марки</p>"
                      "<table><tr><td>5.2</td></tr></table>"
                      "<p>ПРИЛОЖЕНИЕ Б (обязательное) Методика</p></body></html>"))));
        const Run one = run({QStringLiteral("--outline"), page});
        QCOMPARE(one.exitCode, 0);
        QCOMPARE(one.out,
                 QStringList({QStringLiteral("heading\t-\tВведение\t1\t1"),
                              QStringLiteral("section\t5\tБетонные работы\t1\t10"),
                              QStringLiteral("clause\t5.1\tБетонную смесь укладывают.\t2\t28"),
                              QStringLiteral("table\t5.1\tМарки\t3\t59"),
                              QStringLiteral("appendix\tБ\tМетодика\t1\t83")}));
        const Run two = run({QStringLiteral("--outline"), page, page});
        QCOMPARE(two.out.size(), 10);
        QVERIFY(two.out.first().startsWith(page + QStringLiteral("\theading\t")));
        QCOMPARE(
            run({QStringLiteral("--outline"), m_dir.filePath(QStringLiteral("нет.htm"))}).exitCode,
            2);
        QCOMPARE(run({QStringLiteral("--outline")}).exitCode, 2);
    }

    // Two editions compared: a line per part that changed, the exit status telling whether
    // any did; a page against a PDF as well.
    // --format csv|json: the found documents with their fields, read back.
    void printsTablesAndObjects()
    {
        const QString lib = m_dir.filePath(QStringLiteral("formats"));
        QVERIFY(
            TestFiles::write(lib + QStringLiteral("/Своды/СП 48.13330.2019 Организация.htm"),
                             TestFiles::cp1251(QStringLiteral("<p>Бетон; \"М200\" и бетон.</p>"))));
        QVERIFY(TestFiles::write(lib + QStringLiteral("/Прочее.htm"),
                                 TestFiles::cp1251(QStringLiteral("<p>Раствор.</p>"))));
        const Run csv = run({QStringLiteral("--text"), QStringLiteral("--format"),
                             QStringLiteral("csv"), QStringLiteral("бетон"), lib});
        QCOMPARE(csv.exitCode, 0);
        QVERIFY(csv.rawOut.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(csv.out.size(), 2);
        QCOMPARE(csv.out[1].trimmed(),
                 QStringLiteral("СП 48.13330.2019 Организация;СП 48.13330.2019;Своды;%1;2;;"
                                "\"Бетон; \"\"М200\"\" и бетон.\"")
                     .arg(lib + QStringLiteral("/Своды/СП 48.13330.2019 Организация.htm")));
        const Run json = run({QStringLiteral("--format=json"), QStringLiteral("--words"),
                              QStringLiteral("--query"), QStringLiteral("бетон ИЛИ раствор"), lib});
        QCOMPARE(json.exitCode, 0);
        QCOMPARE(json.out.size(), 2);
        for (const QString& line : json.out) {
            QJsonParseError error;
            const QJsonObject object = QJsonDocument::fromJson(line.toUtf8(), &error).object();
            QCOMPARE(error.error, QJsonParseError::NoError);
            QVERIFY(object.value(QStringLiteral("occurrences")).toInt() >= 1);
            QVERIFY(object.contains(QStringLiteral("relevance")));
        }
        QCOMPARE(run({QStringLiteral("--format"), QStringLiteral("xml"), QStringLiteral("a"), lib})
                     .exitCode,
                 2);
    }

    void comparesEditions()
    {
        const QString body = QStringLiteral(
            "<h1>5 Бетонные работы</h1><p>5.1 Смесь марки М200 укладывают слоями.</p>"
            "<p>5.2 Уход за бетоном ведут семь суток.</p><p>5.3 Прочность проверяют.</p>");
        const QString older = m_dir.filePath(QStringLiteral("compare/СП 2012.htm"));
        const QString newer = m_dir.filePath(QStringLiteral("compare/СП 2024.htm"));
        QVERIFY(TestFiles::write(older, TestFiles::cp1251(QStringLiteral("<html><body>") + body +
                                                          QStringLiteral("</body></html>"))));
        QString changed = body;
        changed.replace(QStringLiteral("М200"), QStringLiteral("М300"));
        changed.replace(QStringLiteral("<p>5.2 "), QStringLiteral("<p>5.2 Основание очищают от "
                                                                  "снега и наледи.</p><p>5.3 "));
        changed.replace(QStringLiteral("<p>5.3 Прочность"), QStringLiteral("<p>5.4 Прочность"));
        QVERIFY(TestFiles::write(newer, TestFiles::cp1251(QStringLiteral("<html><body>") + changed +
                                                          QStringLiteral("</body></html>"))));
        const Run run1 = run({QStringLiteral("--compare"), older, newer});
        QCOMPARE(run1.exitCode, 0);
        QCOMPARE(run1.out, QStringList({QStringLiteral("clause\t5.1\t5.1\tchanged\t1\t1"),
                                        QStringLiteral("clause\t5.2\t-\tadded\t6\t0"),
                                        QStringLiteral("clause\t5.3\t5.2\tmoved\t0\t0"),
                                        QStringLiteral("clause\t5.4\t5.3\tmoved\t0\t0")}));
        const Run same = run({QStringLiteral("--compare"), older, older});
        QCOMPARE(same.exitCode, 1);
        QVERIFY(same.out.isEmpty());
        QCOMPARE(
            run({QStringLiteral("--compare"), older, m_dir.filePath(QStringLiteral("нет.htm"))})
                .exitCode,
            2);
        QCOMPARE(run({QStringLiteral("--compare"), older}).exitCode, 2);
    }

    // A document this user may not read is answered as the scan answers it ("could not be
    // read"), never from the index. The index is shared, as readers other than its builder
    // use one; the search runs as another user when the test runs as root.
    void indexAnswersOnlyForReadableDocuments()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ReadOther |
                                                      QFile::ExeOther));
        const QString lib = dir.path() + QStringLiteral("/lib");
        const QString cache = dir.path() + QStringLiteral("/cache");
        QVERIFY(QDir().mkpath(lib) && QDir().mkpath(cache));
        for (const QString& folder : {lib, cache})
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ReadOther |
                                                      QFile::ExeOther));
        const QString open = lib + QStringLiteral("/open.htm");
        const QString closed = lib + QStringLiteral("/closed.htm");
        for (const QString& page : {open, closed})
            QVERIFY(TestFiles::write(page, TestFiles::cp1251(QStringLiteral("<p>ксилолит</p>"))));
        QVERIFY(QFile::setPermissions(open, QFile::ReadOwner | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(closed, QFile::ReadOwner | QFile::WriteOwner));
        waitForStampsToSettle();
        QProcess index;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache);
        index.setProcessEnvironment(environment);
        index.start(QStringLiteral(LECTORIA_INDEX), {QStringLiteral("--shared"), lib});
        QVERIFY(index.waitForFinished(60000));
        QCOMPARE(index.exitCode(), 0);

        const bool root = ::geteuid() == 0;
        if (!root)
            QVERIFY(QFile::setPermissions(closed, QFileDevice::Permissions()));
        else if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            QSKIP("running as root without setpriv: no other user to search as");
        const auto search = [&](const QStringList& arguments) {
            QProcess process;
            process.setProcessEnvironment(environment);
            QStringList command{QStringLiteral(LECTORIA_FIND)};
            if (root)
                command =
                    QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                QStringLiteral("--clear-groups"), QStringLiteral("--")} +
                    command;
            process.start(root ? QStringLiteral("setpriv") : command.takeFirst(),
                          command + arguments + QStringList{lib});
            process.waitForFinished(60000);
            return QString::fromUtf8(process.readAllStandardOutput() + "|" +
                                     process.readAllStandardError());
        };
        for (const QString& mode : {QStringLiteral("--text"), QStringLiteral("--words")}) {
            const QString scanned = search({mode, QStringLiteral("ксилолит")});
            QVERIFY2(scanned.contains(QStringLiteral("could not be read")), qPrintable(scanned));
            QCOMPARE(search({mode, QStringLiteral("--index"), QStringLiteral("ксилолит")}),
                     scanned);
            QVERIFY(!scanned.contains(QStringLiteral("index")));
        }
        QVERIFY(QFile::setPermissions(closed, QFile::ReadOwner | QFile::WriteOwner));
    }

    void searchesDirectories()
    {
        const QString lib = m_dir.filePath(QStringLiteral("lib"));
        Run r = run({QStringLiteral("  ксилолит "), lib});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, (QStringList{lib + QStringLiteral("/Полы/a.htm"),
                                     lib + QStringLiteral("/b.htm")}));
        QCOMPARE(r.err.last(), QStringLiteral("checked 3, found 2"));

        r = run({QStringLiteral("--case-sensitive"), QStringLiteral("КСИЛОЛИТ"), lib,
                 lib + QStringLiteral("/Полы")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringList{lib + QStringLiteral("/b.htm")});
        QCOMPARE(r.err.last(), QStringLiteral("checked 5, found 1"));

        r = run({QStringLiteral("синхрофазотрон"), lib, m_dir.filePath(QStringLiteral("nosuch"))});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err.last(), QStringLiteral("checked 3, found 0"));

        // The match options, alone and together: a whole word without markup is found.
        for (const QStringList& options :
             {QStringList{QStringLiteral("--whole-words")}, QStringList{QStringLiteral("--text")},
              QStringList{QStringLiteral("--text"), QStringLiteral("--case-sensitive"),
                          QStringLiteral("--whole-words")}}) {
            r = run(options + QStringList{QStringLiteral("ксилолит"), lib});
            QCOMPARE(r.exitCode, 0);
            QVERIFY(r.out.contains(lib + QStringLiteral("/Полы/a.htm")));
        }
    }

    void usage()
    {
        QCOMPARE(run({}).exitCode, 2);
        QCOMPARE(run({QStringLiteral("ксилолит")}).exitCode, 2);
        QCOMPARE(run({QStringLiteral("   "), m_dir.path()}).exitCode, 2);
        QCOMPARE(run({QStringLiteral("--nonsense"), QStringLiteral("a"), m_dir.path()}).exitCode,
                 2);
        const Run help = run({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.join(u'\n').contains(QStringLiteral("--tech-parts")));
        QVERIFY(help.out.join(u'\n').contains(QStringLiteral("--null")));
        QVERIFY(help.out.join(u'\n').contains(QStringLiteral("--whole-words")));
        QVERIFY(help.out.join(u'\n').contains(QStringLiteral("--text")));

        // A context of bytes that are no UTF-8 would match U+FFFD: refused, whichever form.
        const QString lib = m_dir.filePath(QStringLiteral("lib"));
        for (const QString& line : {QStringLiteral("\"$0\" $'\\xc0\\xc1' \"$1\""),
                                    QStringLiteral("\"$0\" -- $'a\\xff' \"$1\""),
                                    QStringLiteral("\"$0\" --tech-parts \"$1\" $'\\xe2\\x82'")}) {
            const Run r = run({lib}, line);
            QCOMPARE(r.exitCode, 2);
            QVERIFY(r.err.first().contains(QStringLiteral("UTF-8")));
        }
    }

    void nulEndedPaths()
    {
        const QString dir = m_dir.filePath(QStringLiteral("lines"));
        QVERIFY(TestFiles::write(dir + QStringLiteral("/a\nb.htm"), "ksilolit"));
        QVERIFY(TestFiles::write(dir + QStringLiteral("/c.htm"), "ksilolit"));
        for (const QString& option : {QStringLiteral("-0"), QStringLiteral("--null")}) {
            const Run r = run({option, QStringLiteral("ksilolit"), dir});
            QCOMPARE(r.exitCode, 0);
            QCOMPARE(r.rawOut.split('\0'),
                     (QByteArrayList{QFile::encodeName(dir + QStringLiteral("/a\nb.htm")),
                                     QFile::encodeName(dir + QStringLiteral("/c.htm")), ""}));
        }
    }

    void namesAsBytesLongPathsAndWhatCannotBeRead()
    {
        // A windows-1251 name is searched and printed with its own bytes; a document below a
        // path too long to open whole is found all the same.
        const QString dir = m_dir.filePath(QStringLiteral("bytes"));
        QVERIFY(QDir().mkpath(dir));
        const QByteArray name = QFile::encodeName(dir) + "/\xd1\xec\xe5\xf2\xe0.htm";
        FILE* raw = fopen(name.constData(), "w");
        QVERIFY(raw);
        fputs("ksilolit", raw);
        fclose(raw);
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir));
        QString deep = dir;
        for (int level = 0; level < 20; ++level) {
            const QString part = QString(250, QChar(u'a' + level));
            QVERIFY(QDir().mkdir(part) && QDir::setCurrent(part));
            deep += u'/' + part;
        }
        QVERIFY(TestFiles::write(QStringLiteral("deep.htm"), "ksilolit"));
        QVERIFY(QDir::setCurrent(previous));
        Run r = run({QStringLiteral("ksilolit"), dir});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.rawOut,
                 QFile::encodeName(deep + QStringLiteral("/deep.htm")) + '\n' + name + '\n');

        // What cannot be read is counted and said.
        if (::geteuid() == 0)
            QSKIP("root reads every folder");
        QVERIFY(QDir().mkpath(dir + QStringLiteral("/locked")));
        QVERIFY(QFile::setPermissions(dir + QStringLiteral("/locked"), QFileDevice::WriteOwner));
        r = run({QStringLiteral("ksilolit"), dir});
        QVERIFY(r.err.at(r.err.size() - 2).contains(QStringLiteral("could not be read")));
        QFile::setPermissions(dir + QStringLiteral("/locked"), QFileDevice::ReadOwner |
                                                                   QFileDevice::WriteOwner |
                                                                   QFileDevice::ExeOwner);
    }

    void technicalParts()
    {
        const QString suite = m_dir.filePath(QStringLiteral("suite"));
        Run r = run({QStringLiteral("--tech-parts"), suite, QStringLiteral("ксилолит")});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.join(u'\n').contains(QStringLiteral("instal.dbf")));

        const QString base = m_dir.filePath(QStringLiteral("lib/Полы/"));
        QVERIFY(QDir().mkpath(suite + QStringLiteral("/TQ_W")));
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("lib/Полы")),
                            m_dir.filePath(QStringLiteral("lib/ПолыTT"))));
        QVERIFY(DbfWriter::write(
            suite + QStringLiteral("/TQ_W/instal.dbf"), {{"VID", 1}, {"DIR", 200}, {"NAIM", 20}},
            {{{"b", m_dir.filePath(QStringLiteral("lib/Полы")).toUtf8(), "A"}, false},
             {{"B", base.toUtf8(), "B"}, false}}));
        // The table is only read: an index file the flag does not announce, a set flag
        // without its index file, a read-only mode and a table name that links elsewhere all
        // stay as they are.
        const QString table = suite + QStringLiteral("/TQ_W/instal.dbf");
        const QString real = m_dir.filePath(QStringLiteral("real.dbf"));
        QVERIFY(QFile::rename(table, real));
        QVERIFY(QFile::link(real, table));
        QVERIFY(TestFiles::write(suite + QStringLiteral("/TQ_W/instal.mdx"), "index"));
        r = run({QStringLiteral("--tech-parts"), suite, QStringLiteral("ксилолит")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringList{m_dir.filePath(QStringLiteral("lib/ПолыTT/a.htm"))});
        QCOMPARE(r.err.last(), QStringLiteral("checked 2, found 1"));
        QVERIFY(QFile::remove(suite + QStringLiteral("/TQ_W/instal.mdx")));
        QByteArray bytes = TestFiles::read(real);
        bytes[28] = 1;
        QVERIFY(TestFiles::write(real, bytes));
        QVERIFY(TestFiles::setReadOnly(real));
        QCOMPARE(run({QStringLiteral("--text"), QStringLiteral("--tech-parts"), suite,
                      QStringLiteral("--whole-words"), QStringLiteral("ксилолит")})
                     .exitCode,
                 0);
        QVERIFY(!TestFiles::isWritableByOwner(real));
        QCOMPARE(TestFiles::read(real), bytes);
    }
};

QTEST_GUILESS_MAIN(TestLectoriaFind)
#include "tst_lectoriafind.moc"
