// Times a whole search in the window: from the command (progress window shown) to the
// filled tree, on a library given as the external documentation directory. With --indexed,
// a text-mode search with the index, once the window has brought the index up to date and
// keeps the library's walk, several times (WINDOW_BENCH_RUNS, at least 5); with
// WINDOW_BENCH_COLD=1 (root only) the page cache is dropped before each of them, as on a share
// whose pages another machine may have changed; with WINDOW_BENCH_PAUSE=<ms> the first search
// waits that long after the window is ready (what the window starts still runs then).
#include "dialogs/userinteraction.h"
#include "find/findbox.h"
#include "find/indexkeeper.h"
#include "find/librarywatcher.h"
#include "find/searchcontroller.h"
#include "settings/inifile.h"
#include "tree/documenttreepanel.h"
#include "window/mainwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace {

// Drops the page cache (root only); false when it cannot.
bool dropPageCache()
{
    ::sync();
    std::FILE* control = std::fopen("/proc/sys/vm/drop_caches", "w");
    if (!control)
        return false;
    const bool written = std::fputs("3\n", control) >= 0;
    return std::fclose(control) == 0 && written;
}

// The result dialog is closed at once.
class NoDialogs final : public UserInteraction
{
public:
    int run(QDialog&) override { return int(QDialog::Rejected); }
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_bench LIBRARY_DIR CONTEXT [--indexed]\n");
        return 2;
    }
    const bool indexed = argc > 3 && std::strcmp(argv[3], "--indexed") == 0;
    QTemporaryDir suite;
    QDir().mkpath(suite.filePath(QStringLiteral("Bin/Lectoria")));
    const QString ini = suite.filePath(QStringLiteral("Bin/Lectoria/Lectoria.ini"));
    const IniFile settings{};
    settings.writeBool(ini, QStringLiteral("TreeView"), QStringLiteral("NormDocButton"), true);
    settings.writeText(ini, QStringLiteral("File"), QStringLiteral("ExternalDirectory"),
                       QString::fromLocal8Bit(argv[1]));
    settings.writeBool(ini, QStringLiteral("Search"), QStringLiteral("TextMode"), indexed);
    settings.writeBool(ini, QStringLiteral("Search"), QStringLiteral("UseIndex"), indexed);
    MainWindow form(suite.filePath(QStringLiteral("Bin/lectoria")));
    form.resize(1200, 800);
    form.show();
    if (!QTest::qWaitForWindowActive(&form))
        return 1;
    NoDialogs noDialogs;
    UserInteraction::install(&noDialogs);
    form.search()->findBox()->setEditText(QString::fromLocal8Bit(argv[2]));
    form.treePanel()->view()->setCurrentItem(form.treePanel()->view()->topLevelItem(0));
    if (indexed) {
        const QString library = QDir::cleanPath(QString::fromLocal8Bit(argv[1]));
        QElapsedTimer ready;
        ready.start();
        if (!QTest::qWaitFor(
                [&] {
                    return !form.search()->indexKeeper()->isUpdating() &&
                           form.search()->libraryWatcher()->isFollowing(library);
                },
                600000)) {
            std::fprintf(stderr, "the window does not follow %s\n", qPrintable(library));
            return 1;
        }
        std::printf("index up to date and walk kept after %.2f s\n", ready.nsecsElapsed() / 1e9);
        const bool cold = qEnvironmentVariableIntValue("WINDOW_BENCH_COLD") == 1;
        QTest::qWait(qEnvironmentVariableIntValue("WINDOW_BENCH_PAUSE"));
        for (int run = 0; run < std::max(5, qEnvironmentVariableIntValue("WINDOW_BENCH_RUNS"));
             ++run) {
            form.treePanel()->view()->setCurrentItem(form.treePanel()->view()->topLevelItem(0));
            // Timed to the signal in an event loop of its own: a wait that polls would add
            // its sleeps between the steps of the search.
            QEventLoop loop;
            QObject::connect(form.search(), &SearchController::searchFinished, &loop,
                             &QEventLoop::quit);
            if (cold && !dropPageCache()) {
                std::fprintf(stderr, "the page cache cannot be dropped (root only)\n");
                return 1;
            }
            QElapsedTimer timer;
            timer.start();
            form.search()->run();
            if (form.search()->isSearching())
                loop.exec();
            std::printf("indexed window_search%s %.1f ms%s\n", cold ? " cold" : "",
                        timer.nsecsElapsed() / 1e6,
                        form.search()->libraryWatcher()->isFollowing(library)
                            ? ""
                            : " (the walk was not kept: it is being made anew)");
            form.search()->setSearchMode(false);
            // The whole tree comes back meanwhile, as it does before a reader searches again.
            QTest::qWait(1000);
        }
        return 0;
    }
    QElapsedTimer timer;
    timer.start();
    form.search()->run();
    if (!QTest::qWaitFor([&] { return !form.search()->isSearching(); }, 600000))
        return 1;
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("window_search %.3f s (%d top-level folders)\n", seconds,
                form.treePanel()->view()->topLevelItem(0)->childCount());
    return 0;
}
