// lectoria-index: builds or brings up to date the index of library folders, so that text-mode
// searches read only the documents that can hold their context.
#include "index/indexbuild.h"
#include "platform/platform.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

#include <unistd.h>

namespace {

const char* const usage =
    "usage: lectoria-index [--shared] FOLDER...\n"
    "\n"
    "Builds the index of each FOLDER, or brings it up to date: every document (.htm or .pdf file) "
    "below\n"
    "it added or changed since is read, and those gone are dropped. The index keeps the text of\n"
    "each document as Lectoria's text mode reads it; searches in the text of the documents\n"
    "(the find box in text mode, lectoria-find --text --index) then read only the documents\n"
    "that can hold their context, and those changed since. Their answers are the same as\n"
    "without the index. A document is known as it was indexed by its device, inode, size and\n"
    "times of writing and change; one changed within two seconds of its reading is read again\n"
    "by every search and the next update, and one over 16 MB is not kept (every search reads\n"
    "it). A damaged index, or one of another version, is made anew.\n"
    "\n"
    "The index lives in $XDG_CACHE_HOME/lectoria (~/.cache/lectoria), one file per folder.\n"
    "With --shared it is written into FOLDER/.lectoria instead, for a library on a share that\n"
    "many users read: as a new numbered file, then named by FOLDER/.lectoria/current. Readers\n"
    "open it read-only and write nothing on the share.\n"
    "\n"
    "Prints a progress line on a terminal and a summary per folder on stderr. Exit status: 0\n"
    "every index is up to date, 1 some could not be built, 2 usage error.\n";

void printLine(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB");
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    bool shared = false;
    QStringList folders;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--help" || argument == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
        if (argument == "--shared") {
            shared = true;
        } else if (argument.startsWith("--")) {
            printLine(QStringLiteral("lectoria-index: unknown option ") +
                      QString::fromLocal8Bit(argument));
            std::fputs(usage, stderr);
            return 2;
        } else {
            folders.append(Platform::fromNativeName(std::filesystem::path(argv[i])));
        }
    }
    if (folders.isEmpty()) {
        std::fputs(usage, stderr);
        return 2;
    }
    const bool terminal = isatty(fileno(stderr));
    int failures = 0;
    for (const QString& folder : std::as_const(folders)) {
        if (!Platform::isFolder(folder)) {
            printLine(QStringLiteral("lectoria-index: no such directory: ") + folder);
            ++failures;
            continue;
        }
        QElapsedTimer timer;
        timer.start();
        const auto progress = [terminal, &folder](int done, int total) {
            if (terminal)
                std::fprintf(stderr, "\r%s: %d of %d documents read", qPrintable(folder), done,
                             total);
        };
        const IndexBuild::Report report = shared ? IndexBuild::updateShared(folder, progress)
                                                 : IndexBuild::updateOwn(folder, progress);
        if (terminal)
            std::fputs("\r\033[K", stderr);
        if (report.replaced)
            printLine(QStringLiteral("lectoria-index: the index of %1 was damaged or of another "
                                     "version and is made anew")
                          .arg(folder));
        switch (report.outcome) {
        case IndexBuild::Outcome::Done:
            printLine(QStringLiteral("%1: %2 documents (%3 read, %4 removed), %5 of text, index "
                                     "%6, %7 s")
                          .arg(folder)
                          .arg(report.summary.documents)
                          .arg(report.summary.read)
                          .arg(report.summary.removed)
                          .arg(megabytes(report.textBytes), megabytes(report.fileBytes))
                          .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 1));
            if (report.summary.tooLarge > 0)
                printLine(QStringLiteral("%1: %2 documents over %3 MB are not kept in the index; "
                                         "every search reads them")
                              .arg(folder)
                              .arg(report.summary.tooLarge)
                              .arg(IndexUpdater::LargestDocument / (1024 * 1024)));
            break;
        case IndexBuild::Outcome::Busy:
            printLine(QStringLiteral("lectoria-index: another program is building the index of ") +
                      folder);
            ++failures;
            break;
        case IndexBuild::Outcome::Stopped:
        case IndexBuild::Outcome::Failed:
            printLine(QStringLiteral("lectoria-index: the index of %1 could not be written: %2")
                          .arg(folder, report.errorText));
            ++failures;
            break;
        }
    }
    return failures > 0 ? 1 : 0;
}
