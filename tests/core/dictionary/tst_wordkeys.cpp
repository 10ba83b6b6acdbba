#include "dictionary/affixrules.h"
#include "dictionary/russiandictionary.h"
#include "dictionary/wordfamilies.h"
#include "dictionary/wordkeys.h"
#include "matching/wordforms.h"

#include <QFile>
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

// The beginnings the quick look at a document looks for, for a query word.
QStringList beginningsOf(const QString& word)
{
    return WordKeys::beginnings(WordQuery(word).groups().first().first());
}

bool startsWithAny(const QString& word, const QStringList& beginnings)
{
    return std::any_of(beginnings.begin(), beginnings.end(),
                       [&word](const QString& beginning) { return word.startsWith(beginning); });
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

    // The quick look at a document's bytes never misses a form: every form begins with one of
    // the beginnings it looks for.
    void beginningsHoldForEveryForm()
    {
        const QStringList pairs = {
            QStringLiteral("узел узлов"),          QStringLiteral("учесть учтут"),
            QStringLiteral("стали стал"),          QStringLiteral("шов шва"),
            QStringLiteral("время времени"),       QStringLiteral("свая свай"),
            QStringLiteral("сутки суток"),         QStringLiteral("изменить изменяющийся"),
            QStringLiteral("ксилолиты ксилолита"), QStringLiteral("поле поля")};
        for (const QString& pair : pairs) {
            const QStringList words = pair.split(u' ');
            const QStringList beginnings = beginningsOf(words[0]);
            QVERIFY2(beginnings.isEmpty() || startsWithAny(words[1], beginnings),
                     qPrintable(pair + QStringLiteral(": ") + beginnings.join(u',')));
        }
        QCOMPARE(beginningsOf(QStringLiteral("материалы")), QStringList{QStringLiteral("мат")});
        // A word whose forms change their beginning: each beginning is looked for.
        QVERIFY(beginningsOf(QStringLiteral("шов")).contains(QStringLiteral("шов")));
        QVERIFY(beginningsOf(QStringLiteral("шов")).contains(QStringLiteral("шва")));
        // An е among the first letters is looked for as е and as ё.
        QCOMPARE(beginningsOf(QStringLiteral("время")),
                 QStringList({QStringLiteral("врем"), QStringLiteral("врём")}));
        QVERIFY(startsWithAny(QStringLiteral("врёмени"), beginningsOf(QStringLiteral("время"))));
        // Too short a beginning tells nothing: every document is read.
        QVERIFY(beginningsOf(QStringLiteral("уч")).isEmpty());
    }

    // Checked against the dictionary itself, on every 40th entry with flags: each form the
    // rules make is one Hunspell takes for a form of the entry (the rules are read as Hunspell
    // reads them), the entry's query finds it, and it begins with what the quick look at a
    // document looks for.
    void everyFormOfTheDictionary()
    {
        QFile affixFile(QStringLiteral("/usr/share/hunspell/ru_RU.aff"));
        QFile wordsFile(QStringLiteral("/usr/share/hunspell/ru_RU.dic"));
        QVERIFY(affixFile.open(QIODevice::ReadOnly) && wordsFile.open(QIODevice::ReadOnly));
        AffixRules rules;
        QVERIFY(rules.parse(affixFile.readAll()));
        const QList<QByteArray> lines = wordsFile.readAll().split('\n');
        std::vector<std::u32string> forms;
        const RussianDictionary* dictionary = RussianDictionary::instance();
        int checked = 0;
        int unknown = 0;
        for (qsizetype i = 1; i < lines.size(); i += 40) {
            const QList<QByteArray> parts = lines[i].trimmed().split('/');
            if (parts.size() != 2)
                continue;
            const std::u32string entry = utf32(QString::fromUtf8(parts[0]));
            forms.resize(rules.forms(entry, utf32(QString::fromUtf8(parts[1])), forms));
            const QStringList beginnings = beginningsOf(text(entry));
            for (const std::u32string& form : forms) {
                const QString written = text(form);
                const QString folded = text(WordFamilies::folded(form));
                // A form Hunspell does not take ("ворьёу") is a word it does not know: its
                // beginning must hold all the same.
                if (dictionary->keys(WordFamilies::folded(form)).empty())
                    ++unknown;
                else
                    QVERIFY2(finds(text(entry), written), qPrintable(text(entry) + u' ' + written));
                QVERIFY2(beginnings.isEmpty() || startsWithAny(folded, beginnings),
                         qPrintable(written + QStringLiteral(": ") + beginnings.join(u',')));
                ++checked;
            }
        }
        QVERIFY(checked > 20000);
        QVERIFY2(unknown < checked / 100, qPrintable(QString::number(unknown)));
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
        // The verbs' and the participle's beginnings.
        QCOMPARE(families.beginningsOf(U"делать"), (Keys{U"дела", U"делаться", U"делающий"}));
        QCOMPARE(families.keysOf(U"досок"), Keys{U"доска"});

        // Kept and read back they are the same; damaged bytes are no families.
        WordFamilies kept;
        QVERIFY(kept.restore(families.saved()));
        for (const std::u32string word : {U"делаться", U"делающий", U"дело", U"досок", U"доска"})
            QCOMPARE(kept.keysOf(word), families.keysOf(word));
        QCOMPARE(kept.beginningsOf(U"делать"), families.beginningsOf(U"делать"));
        QCOMPARE(kept.beginningsOf(U"доска"), families.beginningsOf(U"доска"));
        const QByteArray saved = families.saved();
        QVERIFY(!kept.restore(saved.left(saved.size() / 2)));
        QVERIFY(!kept.restore(QByteArray(saved).replace("families", "familiez")));
        const QByteArray head = "lectoria-families " + QByteArray::number(WordFamilies::Version);
        QVERIFY(kept.restore(head + "\nB\tа\t0\nB\tдело\t2\nend\n"));
        QVERIFY(!kept.restore(head + "\nB\tдело\t9\nend\n"));       // past the word
        QVERIFY(!kept.restore(head + "\nB\tя\t0\nB\tа\t0\nend\n")); // unordered
        QCOMPARE(kept.keysOf(U"делаться"), Keys{U"делаться"});      // nothing kept of them
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
