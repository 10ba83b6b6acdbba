// Writes the program's icon as the menu entry wants it: OUTPUT_DIR/<size>x<size>/apps/lectoria.png
// for each size given, drawn by the same code as the window's logo.
#include "support/pictures.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Drawn without a display; Qt's notes about the session it finds are no news to a build.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: make_icons OUTPUT_DIR SIZE...\n");
        return 2;
    }
    for (const QString& size : arguments.mid(2)) {
        const int pixels = size.toInt();
        const QString folder = arguments.at(1) + QStringLiteral("/%1x%1/apps").arg(pixels);
        if (pixels <= 0 || !QDir().mkpath(folder) ||
            !Pictures::logo(pixels).save(folder + QStringLiteral("/lectoria.png"))) {
            std::fprintf(stderr, "make_icons: cannot write the %s icon\n", qPrintable(size));
            return 1;
        }
    }
    return 0;
}
