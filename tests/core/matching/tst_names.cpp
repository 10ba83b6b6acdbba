#include "library/favorites.h"
#include "matching/namematcher.h"
#include "settings/appsettings.h"
#include "testsupport/testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestNames : public QObject
{
    Q_OBJECT

private slots:
    // The loose rule of designations, with its near misses.
    void designations_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("found");
        QTest::newRow("as written") << QStringLiteral("2.01.07-85") << true;
        QTest::newRow("en dash") << QStringLiteral("2.01.07–85") << true;
        QTest::newRow("run together") << QStringLiteral("СНиП2.01.07-85") << true;
        QTest::newRow("Latin C in СНиП") << QStringLiteral("CНиП 2.01.07") << true;
        QTest::newRow("all Latin look-alikes") << QStringLiteral("cHuП") << false; // u is no и
        QTest::newRow("lower case") << QStringLiteral("снип 2 01 07 85") << true;
        QTest::newRow("words in any order") << QStringLiteral("85 снип") << true;
        QTest::newRow("file name") << QStringLiteral("snip_20107") << false;
        QTest::newRow("by the file name") << QStringLiteral("нагрузки") << true;
        QTest::newRow("near miss") << QStringLiteral("2.01.07-86") << false;
        QTest::newRow("one word missing") << QStringLiteral("СНиП 2.01.08") << false;
        QTest::newRow("underscore and slash") << QStringLiteral("2_01/07") << true;
        QTest::newRow("ё written е") << QStringLiteral("нагрузки ёмкости") << false;
    }
    void designations()
    {
        QFETCH(QString, typed);
        QFETCH(bool, found);
        const NameMatcher matcher(typed);
        QCOMPARE(matcher.matches(QStringLiteral("СНиП 2.01.07-85*"),
                                 QStringLiteral("Нагрузки и воздействия.htm")),
                 found);
    }

    // Numbers match as whole groups of digits; a word typed in the Latin layout or spelled in
    // Latin letters finds what the Russian word finds.
    void groupsAndLayouts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("found");
        const QString gesn06 = QStringLiteral("ГЭСН 06-01-001 Бетонные работы");
        const QString gesnr = QStringLiteral("ГЭСНр 34-05-106 Ремонт");
        const QString snip = QStringLiteral("СНиП 3.05.04-85* Наружные сети");
        QTest::newRow("group") << QStringLiteral("гэсн 06") << gesn06 << true;
        QTest::newRow("inside a group") << QStringLiteral("гэсн 06") << gesnr << false;
        QTest::newRow("group at the end") << QStringLiteral("106") << gesnr << true;
        QTest::newRow("across groups") << QStringLiteral("с 48") << snip << false;
        QTest::newRow("groups typed") << QStringLiteral("04-85") << snip << true;
        QTest::newRow("groups run together") << QStringLiteral("0485") << snip << false;
        QTest::newRow("wrong layout") << QStringLiteral("cybg 3.05") << snip << true;
        QTest::newRow("wrong layout, other") << QStringLiteral("cybg 3.06") << snip << false;
        QTest::newRow("Latin spelling") << QStringLiteral("SNIP 3.05") << snip << true;
        QTest::newRow("Latin, э") << QStringLiteral("GESN 06") << gesn06 << true;
        QTest::newRow("Latin, words") << QStringLiteral("betonnye") << gesn06 << true;
        QTest::newRow("sp") << QStringLiteral("SP 48")
                            << QStringLiteral("СП 48.13330.2019 Организация строительства") << true;
    }
    void groupsAndLayouts()
    {
        QFETCH(QString, typed);
        QFETCH(QString, caption);
        QFETCH(bool, found);
        QCOMPARE(NameMatcher(typed).matches(caption, QStringLiteral("x.htm")), found);
    }

    // A caption that begins with what is typed comes first.
    void beginning()
    {
        const auto begins = [](const char16_t* typed, const char16_t* caption) {
            return NameMatcher(QString::fromUtf16(typed))
                .beginsFolded(NameMatcher::folded(QString::fromUtf16(caption)));
        };
        QVERIFY(begins(u"гэсн 06", u"ГЭСН 06-01-001 Бетонные работы"));
        QVERIFY(begins(u"GESN 06 01", u"ГЭСН 06-01-001"));
        QVERIFY(!begins(u"гэсн 06", u"Сборник ГЭСН 06"));
        QVERIFY(!begins(u"гэсн 0", u"ГЭСН 06-01"));
        QVERIFY(!begins(u"06 гэсн", u"ГЭСН 06-01"));
    }

    // ё and е are one letter for names; a soft hyphen in a caption splits nothing.
    void lettersWrittenEitherWay()
    {
        QVERIFY(NameMatcher(QStringLiteral("Емкости"))
                    .matches(QStringLiteral("Ёмкости резервуаров"), QStringLiteral("x.htm")));
        QVERIFY(NameMatcher(QStringLiteral("ёмкости"))
                    .matches(QStringLiteral("Емкости резервуаров"), QStringLiteral("x.htm")));
        QVERIFY(NameMatcher(QStringLiteral("резервуаров"))
                    .matches(QStringLiteral("Ёмкости резер\u00ADвуаров"), QStringLiteral("x.htm")));
    }

    void marksAndEmptyQueries()
    {
        const NameMatcher matcher(QStringLiteral("2.01.07 снип"));
        const auto marks = matcher.marks(QStringLiteral("СНиП 2.01.07-85*"));
        QCOMPARE(marks.size(), 2);
        QCOMPARE(marks.at(0), (QPair<qsizetype, qsizetype>(0, 4)));
        QCOMPARE(marks.at(1), (QPair<qsizetype, qsizetype>(5, 12)));
        QVERIFY(!NameMatcher(QStringLiteral(" - . , _ ")).isValid());
        QVERIFY(!NameMatcher(QString()).matches(QStringLiteral("x"), QStringLiteral("x")));
    }

    // Favourites survive a restart (a new reading of the settings file), in their order and
    // with their labels; one whose document is gone is kept and known as missing.
    void favoritesSurviveARestart()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("Lectoria.ini"));
        QVERIFY(TestFiles::write(ini, "[Search]\nTextMode=1\n"));
        const QString kept = dir.filePath(QStringLiteral("Ларсен.htm"));
        const QString gone = dir.filePath(QStringLiteral("Удалён.htm"));
        QVERIFY(TestFiles::write(kept, "x") && TestFiles::write(gone, "x"));
        AppSettings settings(ini);
        Favorites favorites = settings.favorites();
        QCOMPARE(favorites.size(), 0);
        QVERIFY(favorites.add(kept, QStringLiteral("Шпунт Ларсена")));
        QVERIFY(favorites.add(gone, QStringLiteral("Удалённый")));
        QVERIFY(!favorites.add(kept, QStringLiteral("ещё раз")));
        favorites.move(1, -1);
        favorites.rename(1, QStringLiteral("  Шпунт  "));
        QVERIFY(settings.setFavorites(favorites));
        QVERIFY(QFile::remove(gone));

        const Favorites again = AppSettings(ini).favorites();
        QCOMPARE(again.items(), favorites.items());
        QCOMPARE(again.items().at(0).path, gone);
        QCOMPARE(again.items().at(1).label, QStringLiteral("Шпунт"));
        QVERIFY(!Favorites::exists(again.items().at(0)));
        QVERIFY(Favorites::exists(again.items().at(1)));
        QVERIFY(TestFiles::read(ini).contains("TextMode=1")); // the rest of the file stays

        Favorites fewer = again;
        fewer.remove(0);
        QVERIFY(settings.setFavorites(fewer));
        QCOMPARE(AppSettings(ini).favorites().items(), fewer.items());
    }
};

QTEST_GUILESS_MAIN(TestNames)
#include "tst_names.moc"
