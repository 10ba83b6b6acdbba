#include "index/indexbuild.h"
#include "library/directorylisting.h"
#include "library/documentlayout.h"
#include "library/libraryscan.h"
#include "matching/highlightedcopy.h"
#include "matching/pdfmarks.h"
#include "norms/designationrule.h"
#include "norms/mentionsentence.h"
#include "pdf/documentfile.h"
#include "pdf/pdftext.h"
#include "pdf/pdftextcache.h"
#include "pdf/pdftextreader.h"
#include "pdf/pdftextstore.h"
#include "search/searchjob.h"
#include "testsupport/indexsettle.h"
#include "testsupport/testfiles.h"
#include "testsupport/testpdf.h"
#include "text/documenttext.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

Q_DECLARE_METATYPE(MatchOptions)

// PDF documents of a library: their text read in a process of its own, searched in every
// mode as pages are, indexed, and a damaged or locked file counted unreadable.
class TestPdfDocuments : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_library;

    QString path(const QString& name) const { return m_library + QStringLiteral("/Нормы/") + name; }

    static QString found(const SearchResult& result)
    {
        QStringList names;
        LibraryScan::forEachDocument(result.nodes, [&names](const ScanNode& node) {
            names.append(node.path.section(u'/', -1));
        });
        return names.join(u'|');
    }

    SearchResult search(const QString& context, const MatchOptions& options, bool useIndex) const
    {
        SearchRequest request;
        request.context = context;
        request.options = options.effective();
        request.folders = {m_library};
        request.useIndex = useIndex;
        return SearchJob(request).run();
    }

    // The text of a PDF as the search reads it.
    static QString textOf(const QString& file)
    {
        const PdfText text = PdfTextReader::read(file);
        return DocumentText(text.document()).text();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral("cache")).toUtf8());
        m_library = m_dir.filePath(QStringLiteral("library"));
        QVERIFY(QDir().mkpath(m_library + QStringLiteral("/Нормы")));
        QVERIFY(TestPdf::writePages(
            path(QStringLiteral("Бетон.pdf")),
            {{QStringLiteral("Бетонные и железобетонные конструкции"),
              QStringLiteral("Основные положения")},
             {QStringLiteral("Применение ксилолитовых полов допускается при соблю-"),
              QStringLiteral("дении требований СНиП 2.01.07-"),
              QStringLiteral("85* «Нагрузки и воздействия»."),
              QStringLiteral("Шпунт Ларсен-5 & <анкер>.")},
             {}, // a page of a picture alone
             {QStringLiteral("Заключение"), QStringLiteral("Бетон класса B25.")}}));
        QVERIFY(TestPdf::writePages(path(QStringLiteral("Скан.PDF")), {{}}));
        const QByteArray whole = TestFiles::read(path(QStringLiteral("Бетон.pdf")));
        QVERIFY(
            TestFiles::write(path(QStringLiteral("Испорчен.pdf")), whole.left(whole.size() / 3)));
        QVERIFY(TestPdf::writeLocked(path(QStringLiteral("Закрыт.pdf"))));
        QVERIFY(TestFiles::write(path(QStringLiteral("Мусор.pdf")),
                                 QByteArray("%PDF-1.7\n") + QByteArray(50000, '\x9F')));
        QVERIFY(TestFiles::write(path(QStringLiteral("Страница.htm")),
                                 TestFiles::cp1251(QStringLiteral(
                                     "<html><body><p>При соблюдении правил.</p></body></html>"))));
    }

    // The text layer in reading order: a word broken at a line end is whole, a designation
    // keeps its hyphen, markup characters of the text stay text.
    void textOfPages()
    {
        const PdfText text = PdfTextReader::read(path(QStringLiteral("Бетон.pdf")));
        QCOMPARE(text.state(), PdfText::State::Text);
        QCOMPARE(text.pages().size(), 4);
        QVERIFY(text.pages().at(2).trimmed().isEmpty());
        const QString read = textOf(path(QStringLiteral("Бетон.pdf")));
        QVERIFY2(read.contains(QStringLiteral("допускается при соблюдении требований СНиП "
                                              "2.01.07-85* «Нагрузки и воздействия».")),
                 qPrintable(read));
        QVERIFY2(read.contains(QStringLiteral("Шпунт Ларсен-5 & <анкер>.")), qPrintable(read));
        QVERIFY(read.contains(QStringLiteral("Бетонные и железобетонные конструкции")));
        QVERIFY(!read.contains(QStringLiteral("соблю-")));
        const QByteArray document = text.document();
        QCOMPARE(PdfText::pageAt(document, document.indexOf("Ларсен")), 2);
        QCOMPARE(PdfText::pageAt(document, document.indexOf("Заключение")), 4);
        QCOMPARE(PdfText::pageAt(document, 0), 0);
    }

    void lineJoining_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("joined");
        QTest::newRow("word") << QStringLiteral("бето-\nна") << QStringLiteral("бетона");
        QTest::newRow("designation")
            << QStringLiteral("ГОСТ 31108-\n2020") << QStringLiteral("ГОСТ 31108-2020");
        QTest::newRow("compound") << QStringLiteral("северо-\nЗапад")
                                  << QStringLiteral("северо-Запад");
        QTest::newRow("dash alone")
            << QStringLiteral("итог -\nсумма") << QStringLiteral("итог -\nсумма");
        QTest::newRow("plain lines")
            << QStringLiteral("одна\r\nдругая") << QStringLiteral("одна\nдругая");
        QTest::newRow("last line") << QStringLiteral("конец-") << QStringLiteral("конец-");
    }
    void lineJoining()
    {
        QFETCH(QString, page);
        QFETCH(QString, joined);
        QCOMPARE(QString::fromUtf8(PdfText::joinedPage(page.toUtf8())), joined);
    }

    // A scan is told apart; a damaged, a locked and a false file are unreadable.
    void filesWithoutText()
    {
        QCOMPARE(PdfTextReader::read(path(QStringLiteral("Скан.PDF"))).state(),
                 PdfText::State::NoText);
        for (const QString& name : {QStringLiteral("Испорчен.pdf"), QStringLiteral("Закрыт.pdf"),
                                    QStringLiteral("Мусор.pdf"), QStringLiteral("Нет.pdf")})
            QVERIFY2(PdfTextReader::read(path(name)).state() == PdfText::State::Unreadable,
                     qPrintable(name));
        // The reader still reads after those.
        QCOMPARE(PdfTextReader::read(path(QStringLiteral("Бетон.pdf"))).state(),
                 PdfText::State::Text);
    }

    // The state of a file read on a thread of its own, which starts a reader of its own.
    static PdfText::State readOnNewThread(const QString& file,
                                          const std::atomic<bool>* cancel = nullptr)
    {
        PdfText::State state = PdfText::State::Text;
        QThread* thread =
            QThread::create([&] { state = PdfTextReader::read(file, cancel).state(); });
        thread->start();
        if (!thread->wait(20000))
            qFatal("the reading did not end");
        delete thread;
        return state;
    }
    static QString script(const QString& path, const QByteArray& text)
    {
        if (!TestFiles::write(path, "#!/bin/sh\n" + text + '\n') ||
            !QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner))
            return {};
        return path;
    }

    // A reader that dies, hangs, or is not there: the file is unreadable, nothing waits for
    // long, and the next thread's reader is a good one again.
    void readerThatFails()
    {
        const QByteArray kept = qgetenv("LECTORIA_PDFTEXT");
        const QString file = path(QStringLiteral("Бетон.pdf"));
        for (const QString& program :
             {script(m_dir.filePath(QStringLiteral("dying.sh")), "read line\nkill -SEGV $$"),
              m_dir.filePath(QStringLiteral("none"))}) {
            qputenv("LECTORIA_PDFTEXT", program.toUtf8());
            QCOMPARE(readOnNewThread(file), PdfText::State::Unreadable);
        }
        // One that hangs is given up when the search is cancelled, within moments.
        qputenv("LECTORIA_PDFTEXT",
                script(m_dir.filePath(QStringLiteral("hanging.sh")), "exec sleep 600").toUtf8());
        std::atomic<bool> cancel{false};
        QElapsedTimer timer;
        timer.start();
        QTimer::singleShot(300, [&cancel] { cancel = true; });
        PdfText::State state = PdfText::State::Text;
        QThread* reading =
            QThread::create([&] { state = PdfTextReader::read(file, &cancel).state(); });
        reading->start();
        QTRY_VERIFY_WITH_TIMEOUT(reading->isFinished(), 10000);
        delete reading;
        QCOMPARE(state, PdfText::State::Unreadable);
        QVERIFY(timer.elapsed() < 5000);

        qputenv("LECTORIA_PDFTEXT", kept);
        PdfTextCache::instance().clear();
        QCOMPARE(readOnNewThread(file), PdfText::State::Text);
    }

    // A PDF is a document of the tree; it has no picture folder.
    void inTheLibrary()
    {
        const DirectoryEntries entries =
            DirectoryListing::list(m_library + QStringLiteral("/Нормы"));
        QVERIFY(entries.documents.contains(QStringLiteral("Бетон.pdf")));
        QVERIFY(entries.documents.contains(QStringLiteral("Скан.PDF")));
        QCOMPARE(DocumentLayout::documentCaption(QStringLiteral("СП 48.13330.2019.PDF")),
                 QStringLiteral("СП 48.13330.2019"));
        QVERIFY(DocumentLayout::companionFolderName(QStringLiteral("Бетон.pdf")).isEmpty());
        QVERIFY(!DocumentLayout::isDocument(QStringLiteral("Бетон.pdf.bak")));
    }

    // Every mode finds in a PDF what its text holds, with the index as without it; the scan
    // and the broken files are counted as such.
    void searchInEveryMode_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<MatchOptions>("options");
        QTest::addColumn<QString>("expected");
        const MatchOptions text{false, false, true, false};
        const MatchOptions raw{false, false, false, false};
        QTest::newRow("text, broken word")
            << QStringLiteral("при соблюдении") << text << QStringLiteral("Бетон.pdf|Страница.htm");
        QTest::newRow("text, designation")
            << QStringLiteral("СНиП 2.01.07-85*") << text << QStringLiteral("Бетон.pdf");
        QTest::newRow("text, markup characters")
            << QStringLiteral("& <анкер>") << text << QStringLiteral("Бетон.pdf");
        QTest::newRow("raw as text")
            << QStringLiteral("ларсен-5") << raw << QStringLiteral("Бетон.pdf");
        QTest::newRow("raw, no markup of ours") << QStringLiteral("data-page") << raw << QString();
        QTest::newRow("case") << QStringLiteral("ларсен-5")
                              << MatchOptions{true, false, true, false} << QString();
        QTest::newRow("whole words")
            << QStringLiteral("бетон") << MatchOptions{false, true, true, false}
            << QStringLiteral("Бетон.pdf");
        QTest::newRow("not a whole word")
            << QStringLiteral("ксилолит") << MatchOptions{false, true, true, false} << QString();
        QTest::newRow("word forms")
            << QStringLiteral("железобетонная конструкция")
            << MatchOptions{false, false, false, true} << QStringLiteral("Бетон.pdf");
        QTest::newRow("word forms, broken word")
            << QStringLiteral("соблюдение") << MatchOptions{false, false, false, true}
            << QStringLiteral("Бетон.pdf|Страница.htm");
    }
    void searchInEveryMode()
    {
        QFETCH(QString, context);
        QFETCH(MatchOptions, options);
        QFETCH(QString, expected);
        for (const bool useIndex : {false, true}) {
            if (useIndex) {
                static bool built = false;
                if (!built) {
                    waitForStampsToSettle();
                    QVERIFY(IndexBuild::updateOwn(m_library).outcome == IndexBuild::Outcome::Done);
                    built = true;
                }
            }
            const SearchResult result = search(context, options, useIndex);
            QCOMPARE(found(result), expected);
            QCOMPARE(result.unreadable, 3);
            QCOMPARE(result.withoutText, 1);
            if (useIndex && options.textMode && context.size() >= 3 && !options.wordForms)
                QCOMPARE(result.indexedFolders, QStringList{m_library});
        }
    }

    // A designation a PDF cites, broken at a line end, links it like a page's; with the index
    // as without.
    void citations()
    {
        for (const bool useIndex : {false, true}) {
            SearchRequest request;
            request.context = QStringLiteral("СНиП 2.01.07-85");
            request.citations = true;
            request.folders = {m_library};
            request.useIndex = useIndex;
            QCOMPARE(found(SearchJob(request).run()), QStringLiteral("Бетон.pdf"));
        }
    }

    // The viewer marks each occurrence as written: every form and letter case, once each.
    void whatTheViewerMarks()
    {
        const QString file = path(QStringLiteral("Бетон.pdf"));
        QCOMPARE(PdfMarks::foundTexts(file, {QStringLiteral("конструкция")},
                                      MatchOptions{false, false, false, true}),
                 QStringList{QStringLiteral("конструкции")});
        QCOMPARE(PdfMarks::foundTexts(file, {QStringLiteral("БЕТОН")}, MatchOptions{}),
                 (QStringList{QStringLiteral("Бетон"), QStringLiteral("бетон")}));
        QCOMPARE(PdfMarks::foundTexts(file, {QStringLiteral("при соблюдении")},
                                      MatchOptions{false, false, true, false}),
                 QStringList{QStringLiteral("при соблюдении")});
        QCOMPARE(PdfMarks::foundTexts(file, {QStringLiteral("& <анкер>")}, MatchOptions{}),
                 QStringList{QStringLiteral("& <анкер>")});
        QVERIFY(PdfMarks::foundTexts(path(QStringLiteral("Скан.PDF")), {QStringLiteral("бетон")},
                                     MatchOptions{})
                    .isEmpty());
        // How the viewer finds them in its pages: word forms are whole words in any case (each
        // form found is a whole word), a fragment is found inside words, as the user set it.
        const PdfMarks::Found forms = PdfMarks::find(file, {QStringLiteral("конструкция")},
                                                     MatchOptions{true, false, false, true});
        QCOMPARE(forms.texts, QStringList{QStringLiteral("конструкции")});
        QVERIFY(forms.wholeWords);
        QVERIFY(!forms.caseSensitive);
        const PdfMarks::Found fragment =
            PdfMarks::find(file, {QStringLiteral("Бетон")}, MatchOptions{true, false, true, false});
        QCOMPARE(fragment.texts, QStringList{QStringLiteral("Бетон")});
        QVERIFY(!fragment.wholeWords);
        QVERIFY(fragment.caseSensitive);
        QVERIFY(
            PdfMarks::find(file, {QStringLiteral("бетон")}, MatchOptions{false, true, false, false})
                .wholeWords);
    }

    // The sentence around a mention in a PDF is cut from its text as the search reads it, not
    // from the file's bytes: searched as a context, it finds the document, with the index and
    // without.
    void sentenceOfMention()
    {
        const QString file = path(QStringLiteral("Бетон.pdf"));
        const Designation cited = DesignationRule::parse(QStringLiteral("СНиП 2.01.07-85"));
        const std::optional<MentionSentence> mention = MentionSentence::find(file, cited);
        QVERIFY(mention);
        QVERIFY2(mention->mention().startsWith(QStringLiteral("СНиП 2.01.07")),
                 qPrintable(mention->mention()));
        const QString sentence = mention->sentence();
        QVERIFY2(sentence.contains(QStringLiteral("при соблюдении требований СНиП 2.01.07")),
                 qPrintable(sentence));
        QVERIFY(textOf(file).contains(sentence));
        for (const bool useIndex : {false, true})
            QCOMPARE(found(search(sentence, MatchOptions{false, false, true, false}, useIndex)),
                     QStringLiteral("Бетон.pdf"));
        // A document that does not cite it, a scan, a damaged file: no sentence.
        for (const char* other : {"Страница.htm", "Скан.PDF", "Испорчен.pdf", "Мусор.pdf"})
            QVERIFY2(!MentionSentence::find(path(QString::fromUtf8(other)), cited), other);
    }

    // A text kept on disk is given again only for the file as it was read; a damaged one is
    // no text.
    void storedTextsFollowTheFile()
    {
        const QString file = m_dir.filePath(QStringLiteral("kept/Письмо.pdf"));
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("kept"))));
        const auto textOf = [&file] {
            PdfTextCache::instance().clear();
            DocumentFile document(file);
            QByteArray bytes;
            return document.readRest(bytes) ? DocumentText(bytes).text() : QString();
        };
        QVERIFY(TestPdf::writePages(file, {{QStringLiteral("Первое письмо министерства")}}));
        waitForStampsToSettle();
        QVERIFY(textOf().contains(QStringLiteral("Первое письмо")));
        const QStringList stored =
            QDir(PdfTextStore::folder()).entryList({QStringLiteral("*.text")}, QDir::Files);
        QVERIFY(!stored.isEmpty());
        QVERIFY(textOf().contains(QStringLiteral("Первое письмо"))); // from the disk now

        QVERIFY(TestPdf::writePages(file, {{QStringLiteral("Второе письмо министерства")}}));
        QVERIFY(textOf().contains(QStringLiteral("Второе письмо")));
        waitForStampsToSettle();
        QVERIFY(textOf().contains(QStringLiteral("Второе письмо")));
        for (const QString& name :
             QDir(PdfTextStore::folder()).entryList({QStringLiteral("*.text")}, QDir::Files)) {
            QFile damaged(PdfTextStore::folder() + u'/' + name);
            QVERIFY(damaged.open(QIODevice::ReadWrite));
            QVERIFY(damaged.resize(damaged.size() / 2));
        }
        QVERIFY(textOf().contains(QStringLiteral("Второе письмо")));
    }

    // The result line of a PDF tells the page of its first occurrence.
    void pageOfTheFirstOccurrence()
    {
        const HighlightedCopy::Highlight line =
            HighlightedCopy::summary(path(QStringLiteral("Бетон.pdf")), QStringLiteral("ларсен"),
                                     MatchOptions{false, false, true, false});
        QCOMPARE(line.marked, 1);
        QCOMPARE(line.page, 2);
        QCOMPARE(line.snippetMatch, QStringLiteral("Ларсен"));
        const HighlightedCopy::Highlight page =
            HighlightedCopy::summary(path(QStringLiteral("Страница.htm")), QStringLiteral("правил"),
                                     MatchOptions{false, false, true, false});
        QCOMPARE(page.page, 0);
    }
};

QTEST_MAIN(TestPdfDocuments)
#include "tst_pdfdocuments.moc"
