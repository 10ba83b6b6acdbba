#include "matching/documentsearch.h"
#include "matching/highlightedcopy.h"
#include "matching/wordforms.h"
#include "testsupport/pagewriter.h"
#include "testsupport/testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <new>

namespace {

// The processor time this thread has used, in microseconds.
qint64 threadMicroseconds()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000 +
           usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
}

// The least processor time of a few runs of work.
template <typename Work> qint64 leastTime(Work work)
{
    qint64 least = std::numeric_limits<qint64>::max();
    for (int run = 0; run < 3; ++run) {
        const qint64 start = threadMicroseconds();
        work();
        least = std::min(least, threadMicroseconds() - start);
    }
    return std::max<qint64>(least, 1);
}

qint64 addressSpaceInUse()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    return statm.readAll().split(' ').value(0).toLongLong() * sysconf(_SC_PAGESIZE);
}

// Runs work with no more address space than is in use now and extra; false when it ran out.
template <typename Work> bool withinMemory(qint64 extra, Work work)
{
    rlimit old{};
    getrlimit(RLIMIT_AS, &old);
    const rlimit limited{rlim_t(addressSpaceInUse() + extra), old.rlim_max};
    setrlimit(RLIMIT_AS, &limited);
    bool enough = true;
    try {
        work();
    } catch (const std::bad_alloc&) {
        enough = false;
    }
    setrlimit(RLIMIT_AS, &old);
    return enough;
}

// The bytes this process has read from files so far.
qint64 bytesRead()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

QByteArray utf16(const QString& text)
{
    return encoded(text, 2);
}

constexpr qint64 MB = 1024 * 1024;

} // namespace

class TestTextBounds : public QObject
{
    Q_OBJECT

private slots:
    // Pages made to make a search look again and again: eight times the page costs about
    // eight times the work, not sixty-four.
    void workGrowsWithThePageAlone()
    {
        QTemporaryDir dir;
        const QString longContext = QString(3000, u'a') + u'b';
        struct Case
        {
            const char* name;
            std::function<QByteArray(qsizetype)> page;
            QString context;
            MatchOptions options;
        };
        const std::vector<Case> cases = {
            {"markup beside every candidate",
             [](qsizetype n) { return QByteArray("&ab<b> ").repeated(n / 7); },
             QStringLiteral("ab x"), MatchOptions{false, false, true, false}},
            {"whole words after references",
             [](qsizetype n) { return QByteArray("R&D<i>s</i> ").repeated(n / 12); },
             QStringLiteral("r&d"), MatchOptions{false, true, true, false}},
            {"a long context, text", [](qsizetype n) { return QByteArray(n, 'a'); }, longContext,
             MatchOptions{false, false, true, false}},
            {"a long context, UTF-16 text", [](qsizetype n) { return utf16(QString(n / 2, u'a')); },
             longContext, MatchOptions{false, false, true, false}},
            {"a long context, UTF-16 raw", [](qsizetype n) { return utf16(QString(n / 2, u'a')); },
             longContext, MatchOptions{false, false, false, false}},
            {"a long context, whole words", [](qsizetype n) { return QByteArray(n, 'a'); },
             QString(3000, u'a'), MatchOptions{false, true, false, false}},
        };
        for (const Case& c : cases) {
            qint64 times[2] = {};
            for (const int scale : {1, 8}) {
                const QString path = dir.filePath(QStringLiteral("page%1.htm").arg(scale));
                QVERIFY(TestFiles::write(path, c.page(scale * 512 * 1024)));
                const DocumentSearch search(c.context, c.options);
                times[scale == 8] = leastTime([&] { search.contains(path); });
            }
            const QByteArray what = QByteArray(c.name) + ": " + QByteArray::number(times[0]) +
                                    " µs, then " + QByteArray::number(times[1]) + " µs";
            // The clock goes in ticks of a few milliseconds: a fifth of a second is allowed on top.
            QVERIFY2(times[1] < 24 * times[0] + 200000, what.constData());
        }
    }

    // A search, a summary and a highlighted copy of a large page stay within their memory.
    void memoryStaysBounded()
    {
        QTemporaryDir dir;
        const QString windows1251 = dir.filePath(QStringLiteral("1251.htm"));
        const QString utf16Page = dir.filePath(QStringLiteral("utf16.htm"));
        constexpr qsizetype size = 40 * MB;
        {
            const QByteArray line = TestFiles::cp1251(QStringLiteral(
                "<p class=MsoNormal>Сметная стоимость работ &amp; Portland</p>\r\n"));
            QVERIFY(TestFiles::write(windows1251, line.repeated(size / line.size())));
            QVERIFY(TestFiles::write(
                utf16Page,
                utf16(QStringLiteral("<p>Сметная стоимость Portland").repeated(size / 56))));
        }
        const MatchOptions text{false, false, true, false};
        const MatchOptions raw{false, false, false, false};
        const MatchOptions words{false, false, true, true};
        for (const QString& path : {windows1251, utf16Page}) {
            for (const QString& context : {QStringLiteral("😀"), QStringLiteral("стоимостьX")}) {
                bool found = true;
                QVERIFY(withinMemory(
                    64 * MB, [&] { found = DocumentSearch(context, text).contains(path); }));
                QVERIFY(!found);
            }
            // The dictionary is the program's, loaded once at its first use: not a page's cost.
            WordForms::keys(QStringLiteral("слово"));
            for (const MatchOptions& options : {text, words}) {
                HighlightedCopy::Highlight summary;
                QVERIFY(withinMemory(64 * MB, [&] {
                    summary = HighlightedCopy::summary(path, QStringLiteral("Portland"), options);
                }));
                QVERIFY(summary.marked > 500000);
                QCOMPARE(summary.snippetMatch, QStringLiteral("Portland"));
            }
        }
        // A copy needs the page, its copy and a little more (the raw one its lines joined too).
        for (const MatchOptions& options : {text, raw, words}) {
            QByteArray page = TestFiles::read(windows1251);
            HighlightedCopy::Highlight copy;
            QVERIFY(withinMemory(2 * size + 64 * MB, [&] {
                copy = HighlightedCopy::highlight(std::move(page), QStringLiteral("Сметная"),
                                                  options, "<b>", "</b>");
            }));
            QVERIFY(copy.marked > 500000);
            QVERIFY(copy.copy.size() > size);
        }
    }

    // A search that is stopped reads no more of a large page than a piece of it.
    void stoppedSearchReadsAPieceAtMost()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("slow.htm"));
        QVERIFY(TestFiles::write(path, QByteArray("&ab<b> ").repeated(3 * MB)));
        std::atomic<bool> cancel{true};
        for (const MatchOptions& options :
             {MatchOptions{false, false, true, false}, MatchOptions{false, true, false, false}}) {
            const qint64 before = bytesRead();
            QVERIFY(!DocumentSearch(QStringLiteral("ab x"), options).contains(path, &cancel));
            QVERIFY(bytesRead() - before <= 4 * DocumentSearch::ChunkSize);
        }
    }

    // The summary of the result list tells what the highlighted copy marks, in every mode,
    // on pages longer than the pieces they are read in.
    void summaryTellsWhatTheCopyMarks()
    {
        QTemporaryDir dir;
        PageWriter writer(77);
        for (int n = 0; n < 8; ++n) {
            const QByteArray page = encoded(writer.page(n < 4 ? 3000 : 700000), n % 4);
            const QString path = dir.filePath(QStringLiteral("%1.htm").arg(n));
            QVERIFY(TestFiles::write(path, page));
            for (const QString& context :
                 {QStringLiteral("сметная стоимость"), QStringLiteral("Portland"),
                  QStringLiteral("R&D"), QStringLiteral("12")}) {
                for (int mode = 0; mode < 3; ++mode) {
                    const MatchOptions options{false, n % 2 == 0, mode > 0, mode == 2};
                    const auto copy =
                        HighlightedCopy::highlight(page, context, options, "<b>", "</b>");
                    const auto summary = HighlightedCopy::summary(path, context, options);
                    const QByteArray what = context.toUtf8() + " mode " + QByteArray::number(mode) +
                                            " page " + QByteArray::number(n);
                    QVERIFY2(summary.readable, what.constData());
                    QVERIFY2(summary.marked == copy.marked, what.constData());
                    QVERIFY2(summary.inMarkup == copy.inMarkup, what.constData());
                    QVERIFY2(summary.snippetBefore == copy.snippetBefore, what.constData());
                    QVERIFY2(summary.snippetMatch == copy.snippetMatch, what.constData());
                    QVERIFY2(summary.snippetAfter == copy.snippetAfter, what.constData());
                    QVERIFY2(summary.copy.isEmpty(), what.constData());
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestTextBounds)
#include "tst_textbounds.moc"
