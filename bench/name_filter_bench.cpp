// "Найти по названию" on a library: the names read once, then the time each keystroke of a
// few typed queries takes to filter and show them, as the window does it (offscreen).
// Usage: name_filter_bench LIBRARY
#include "tree/namefilter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTreeWidget>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: name_filter_bench LIBRARY\n");
        return 2;
    }
    const QString library = QString::fromLocal8Bit(argv[1]);
    QTreeWidget view;
    view.setHeaderHidden(true);
    view.resize(360, 800);
    view.show(); // painted after each keystroke, as in the window
    NameFilter names(&view, nullptr);
    names.setCollection({library}, {QString()}, QStringLiteral("Библиотека"));
    QElapsedTimer timer;
    timer.start();
    QSignalSpy ready(&names, &NameFilter::ready);
    names.filter(QStringLiteral("x"));
    if (!ready.wait(600'000)) {
        std::fprintf(stderr, "the names were not read\n");
        return 1;
    }
    std::printf("names read in %lld ms\n", timer.elapsed());
    for (const QString& typed : {QStringLiteral("СНиП 2.01.07-85"), QStringLiteral("ГЭСН 06"),
                                 QStringLiteral("бетон"), QStringLiteral("zzzz")}) {
        qint64 worst = 0;
        qint64 total = 0;
        for (qsizetype n = 1; n <= typed.size(); ++n) {
            timer.restart();
            names.filter(typed.left(n));
            view.repaint(); // laid out and painted, as after a keystroke
            app.processEvents();
            const qint64 took = timer.elapsed();
            worst = std::max(worst, took);
            total += took;
        }
        const QTreeWidgetItem* told = view.topLevelItem(0);
        std::printf("%-18s %3lld keystrokes: %5.1f ms each on average, worst %lld ms (%s)\n",
                    qPrintable(u'"' + typed + u'"'), qlonglong(typed.size()),
                    double(total) / double(typed.size()), worst,
                    told ? qPrintable(told->text(0)) : "");
    }
    return 0;
}
