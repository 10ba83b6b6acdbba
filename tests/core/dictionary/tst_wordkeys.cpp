#include "affixrules.h"
#include "russiandictionary.h"
#include "wordfamilies.h"
#include "wordforms.h"
#include "wordkeys.h"

#include <QTest>

namespace {

std::u32string utf32(const QString& text)
{
    const QList<uint> units = text.toUcs4();
    return std::u32string(units.begin(), units.end());
}

QString text(const std::u32string& word)
{
    return QString::fromUcs4(word.data(), qsizetype(word.size()));
}

// Whether the query finds the text, as the word-forms search decides.
bool finds(const QString& query, const QString& inText)
{
    QList<QStringList> words;
    for (const WordForms::Word& word : WordForms::words(inText))
        words.append(word.keys);
    return WordQuery::allFound(WordQuery(query).counts(words));
}

} // namespace

class TestWordKeys : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(RussianDictionary::instance(), "the Russian dictionary (hunspell-ru) is missing");
        QVERIFY(WordKeys::usesDictionary());
    }

    // Every form the dictionary knows of a word finds the word and is found by it: nouns
    // (with forms listed apart and dropped vowels), adjectives, verbs with -ся and their
    // participles.
    void formsFindEachOther_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QStringList>("forms");
        const auto row = [](const char* word, const QString& forms) {
            QTest::newRow(word) << QString::fromUtf8(word) << forms.split(u' ');
        };
        row("материал", QStringLiteral("материалы материалов материалом материале"));
        row("уровень", QStringLiteral("уровня уровнем уровней"));
        row("объем", QStringLiteral("объема объёма объёмов"));
        row("узел", QStringLiteral("узлов узла узлами"));
        row("порядок", QStringLiteral("порядка порядке"));
        row("стенка", QStringLiteral("стенок стенки стенкой"));
        row("свая", QStringLiteral("свай сваи сваями"));
        row("монтаж", QStringLiteral("монтажом монтажа монтаже"));
        row("кирпич", QStringLiteral("кирпичом кирпича кирпичей"));
        row("правило", QStringLiteral("правил правила правилами"));
        row("время", QStringLiteral("времени временем"));
        row("шов", QStringLiteral("шва швы швов швами"));
        row("сутки", QStringLiteral("суток сутками"));
        row("сметный", QStringLiteral("сметной сметная сметных сметную"));
        row("учесть", QStringLiteral("учел учла учтут учтено учтенный учтённых учтя"));
        row("нормироваться",
            QStringLiteral("нормируется нормировать нормируемый нормированных нормирующийся"));
        row("изменить", QStringLiteral("изменил изменен измененный изменённые изменившийся "
                                       "изменивший изменив изменится"));
        row("изменять", QStringLiteral("изменяет изменяющий изменяемых изменяя изменяясь"));
        row("строить", QStringLiteral("строится строят строящийся строивший построенный"));
    }
    void formsFindEachOther()
    {
        QFETCH(QString, word);
        QFETCH(QStringList, forms);
        for (const QString& form : forms) {
            if (form == QStringLiteral("построенный")) {
                // Another verb: "построить" is not "строить".
                QVERIFY2(!finds(word, form), qPrintable(form));
                continue;
            }
            QVERIFY2(finds(word, form), qPrintable(word + QStringLiteral(" → ") + form));
            QVERIFY2(finds(form, word), qPrintable(form + QStringLiteral(" → ") + word));
            // In capitals and capitalised, as a heading writes it.
            QVERIFY2(finds(word, form.toUpper()), qPrintable(form.toUpper()));
        }
    }

    // Words the stemmer joins and the dictionary keeps apart, derived words among them.
    void unrelatedWordsStayApart_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("other");
        const auto row = [](const char* query, const char* other) {
            QTest::addRow("%s / %s", query, other)
                << QString::fromUtf8(query) << QString::fromUtf8(other);
        };
        row("ось", "о");
        row("о", "ось");
        row("сталь", "стал");
        row("стал", "сталь");
        row("вода", "водил");
        row("смета", "сметен");
        row("ксилолит", "ксилол");
        row("поле", "полы");
        row("измененный", "изменения");
        row("изменение", "измененный");
        row("бетон", "бетонный");
        row("бетонный", "бетона");
        row("материал", "материальный");
        row("изменить", "изменять"); // two verbs, one of each aspect
    }
    void unrelatedWordsStayApart()
    {
        QFETCH(QString, query);
        QFETCH(QString, other);
        QVERIFY(!finds(query, other));
    }

    // A homograph is every word it can be: found by each, at its one place in a phrase.
    void homographs()
    {
        const QString text = QStringLiteral("Марки стали и поле допусков");
        QVERIFY(finds(QStringLiteral("сталь"), text));
        QVERIFY(finds(QStringLiteral("стать"), text));
        QVERIFY(finds(QStringLiteral("\"марка стали\""), text));
        QVERIFY(finds(QStringLiteral("\"марки сталь\""), text));
        QVERIFY(finds(QStringLiteral("\"стали и\""), text));
        QVERIFY(!finds(QStringLiteral("\"сталь марки\""), text));
        QVERIFY(finds(QStringLiteral("\"поле допуска\""), text));
        QVERIFY(finds(QStringLiteral("пол"), text)); // "о поле": a form of "пол" too
        // A form that is no entry of its own stands for every word it can be.
        QVERIFY(finds(QStringLiteral("стали"), QStringLiteral("стала")));
        QVERIFY(finds(QStringLiteral("стали"), QStringLiteral("сталью")));
        // One that is an entry stands for that word.
        QVERIFY(!finds(QStringLiteral("поле"), QStringLiteral("полы")));
        // The index keeps every key of the word at its one place.
        QCOMPARE(WordForms::tokens(QStringLiteral("стали")),
                 QStringList{QStringLiteral("^стал|сталь|стать")});
    }

    // Words the dictionary does not know are found as the stemmer finds them, and a query
    // word it does not know finds the known words the stemmer joins to it.
    void unknownWords()
    {
        QVERIFY(finds(QStringLiteral("газобетон"), QStringLiteral("газобетона газобетонами")));
        QVERIFY(finds(QStringLiteral("пароизоляция"), QStringLiteral("пароизоляции")));
        QVERIFY(finds(QStringLiteral("ксилолитовый"), QStringLiteral("ксилолитовых")));
        QVERIFY(finds(QStringLiteral("ксилолиты"), QStringLiteral("покрытия из ксилолита")));
        QVERIFY(finds(QStringLiteral("cement"), QStringLiteral("Portland cements")));
        QVERIFY(finds(QStringLiteral("2.01.07-85"), QStringLiteral("СНиП 2.01.07-85*")));
        QVERIFY(!finds(QStringLiteral("2.01.07-85"), QStringLiteral("СНиП 2.01.07-86")));
        QVERIFY(WordForms::keys(QStringLiteral("газобетона")).first().startsWith(u'~'));
    }

    // ё and е are one letter both ways, in the text and in the query.
    void yoAndYe()
    {
        QVERIFY(finds(QStringLiteral("учёт"), QStringLiteral("учета")));
        QVERIFY(finds(QStringLiteral("учет"), QStringLiteral("учёта")));
        QVERIFY(finds(QStringLiteral("объём"), QStringLiteral("объемов")));
        QVERIFY(finds(QStringLiteral("изменённый"), QStringLiteral("изменил")));
    }

    // The quick look at a document's bytes never misses a form: every form begins with what
    // it looks for.
    void sharedBeginningsHoldForEveryForm()
    {
        const QStringList pairs = {
            QStringLiteral("узел узлов"),          QStringLiteral("учесть учтут"),
            QStringLiteral("стали стал"),          QStringLiteral("шов шва"),
            QStringLiteral("время времени"),       QStringLiteral("свая свай"),
            QStringLiteral("сутки суток"),         QStringLiteral("изменить изменяющийся"),
            QStringLiteral("ксилолиты ксилолита"), QStringLiteral("поле поля")};
        for (const QString& pair : pairs) {
            const QStringList words = pair.split(u' ');
            const QString beginning =
                WordKeys::sharedBeginning(WordQuery(words[0]).groups().first().first());
            QVERIFY2(words[1].startsWith(beginning),
                     qPrintable(pair + QStringLiteral(": ") + beginning));
        }
        QCOMPARE(WordKeys::sharedBeginning(
                     WordQuery(QStringLiteral("материалы")).groups().first().first()),
                 QStringLiteral("мат")); // up to the е a text may write as ё
    }

    // The rules are read from the files: suffixes with their conditions, and families made
    // by the flags of a small dictionary of our own.
    void rulesFromTheFiles()
    {
        AffixRules rules;
        QVERIFY(!rules.parse("SET UTF-8\n"));
        QVERIFY(rules.parse("SET UTF-8\n"
                            "SFX A Y 3\n"
                            "SFX A   ть   л     [ая]ть\n"
                            "SFX A   ть   ют    ать\n"
                            "SFX A   0    ся    ть\n"
                            "SFX B Y 2\n"
                            "SFX B   а    ы     [^к]а\n"
                            "SFX B   а    0     а\n"));
        std::vector<std::u32string> forms;
        forms.resize(rules.forms(U"делать", U"A", forms));
        QCOMPARE(forms, (std::vector<std::u32string>{U"делать", U"делал", U"делают", U"делаться"}));
        forms.resize(rules.forms(U"рука", U"B", forms));
        QCOMPARE(forms, (std::vector<std::u32string>{U"рука", U"рук"})); // not "рукы"

        WordFamilies families;
        families.build("6\n"
                       "делать/A\n"
                       "делаться/A\n"
                       "делающий/B\n"
                       "дело/B\n"
                       "доска/B\n"
                       "досок\n",
                       rules);
        using Keys = std::vector<std::u32string>;
        QCOMPARE(families.keysOf(U"делаться"), Keys{U"делать"});
        QCOMPARE(families.keysOf(U"делающий"), Keys{U"делать"});
        QCOMPARE(families.keysOf(U"дело"), Keys{U"дело"});
        QCOMPARE(text(families.beginningOf(U"делать")), QStringLiteral("дела"));
        QCOMPARE(families.keysOf(U"досок"), Keys{U"доска"});

        // Kept and read back they are the same; damaged bytes are no families.
        WordFamilies kept;
        QVERIFY(kept.restore(families.saved()));
        for (const std::u32string word : {U"делаться", U"делающий", U"дело", U"досок", U"доска"})
            QCOMPARE(kept.keysOf(word), families.keysOf(word));
        QCOMPARE(kept.beginningOf(U"делать"), families.beginningOf(U"делать"));
        QCOMPARE(kept.beginningOf(U"доска"), families.beginningOf(U"доска"));
        const QByteArray saved = families.saved();
        QVERIFY(!kept.restore(saved.left(saved.size() / 2)));
        QVERIFY(!kept.restore(QByteArray(saved).replace("families", "familiez")));
        QVERIFY(!kept.restore("lectoria-families 1\nB\tдело\t9\nend\n"));       // past the word
        QVERIFY(!kept.restore("lectoria-families 1\nB\tя\t0\nB\tа\t0\nend\n")); // unordered
        QCOMPARE(kept.keysOf(U"делаться"), Keys{U"делаться"}); // nothing kept of them
    }

    // The program's dictionary is Debian's: its families are built from its own flags.
    void theInstalledDictionary()
    {
        const RussianDictionary* dictionary = RussianDictionary::instance();
        QVERIFY(dictionary->identity().startsWith("ru_RU "));
        QVERIFY(dictionary->families().joinedCount() > 30000); // participles, forms apart
        QCOMPARE(dictionary->queryKeys(utf32(QStringLiteral("стали"))),
                 (std::vector<std::u32string>{U"сталь", U"стать"}));
        QVERIFY(dictionary->keys(utf32(QStringLiteral("ксилолитовых"))).empty());
        // A word longer than any of the dictionary's is not looked up.
        QVERIFY(dictionary->keys(std::u32string(200, U'а')).empty());
    }
};

QTEST_GUILESS_MAIN(TestWordKeys)
#include "tst_wordkeys.moc"
