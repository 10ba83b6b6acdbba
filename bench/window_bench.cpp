// Times a whole search in the window: from the command (progress window shown) to the
// filled tree, on a library given as the external documentation directory.
#include "documenttreepanel.h"
#include "findbox.h"
#include "inifile.h"
#include "mainwindow.h"
#include "searchcontroller.h"
#include "userinteraction.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>

namespace {

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
        std::fprintf(stderr, "usage: window_bench LIBRARY_DIR CONTEXT\n");
        return 2;
    }
    QTemporaryDir suite;
    QDir().mkpath(suite.filePath(QStringLiteral("Bin/Lectoria")));
    const QString ini = suite.filePath(QStringLiteral("Bin/Lectoria/Lectoria.ini"));
    const IniFile settings{};
    settings.writeBool(ini, QStringLiteral("TreeView"), QStringLiteral("NormDocButton"), true);
    settings.writeText(ini, QStringLiteral("File"), QStringLiteral("ExternalDirectory"),
                       QString::fromLocal8Bit(argv[1]));
    MainWindow form(suite.filePath(QStringLiteral("Bin/lectoria")));
    form.resize(1200, 800);
    form.show();
    if (!QTest::qWaitForWindowActive(&form))
        return 1;
    NoDialogs noDialogs;
    UserInteraction::install(&noDialogs);
    form.search()->findBox()->setEditText(QString::fromLocal8Bit(argv[2]));
    form.treePanel()->view()->setCurrentItem(form.treePanel()->view()->topLevelItem(0));
    QElapsedTimer timer;
    timer.start();
    form.RunSearch();
    if (!QTest::qWaitFor([&] { return !form.search()->isSearching(); }, 600000))
        return 1;
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("window_search %.3f s (%d top-level folders)\n", seconds,
                form.treePanel()->view()->topLevelItem(0)->childCount());
    return 0;
}
