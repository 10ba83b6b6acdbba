// The highlighted copy of a large document beside a plain read and write of the same file.
#include "matching/highlightedcopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    qputenv("TMPDIR", dir.path().toLocal8Bit());
    const QString source = dir.filePath(QStringLiteral("Большой.htm"));
    QByteArray text;
    QStringEncoder cp1251("windows-1251");
    const QByteArray line = cp1251.encode(QStringLiteral(
        "<p class=MsoNormal>Покрытия из КСИЛОЛИТА устраивают по подготовленному основанию "
        "в два слоя, расход материалов принят по норме.</p>\r\n"));
    int occurrences = 0;
    while (text.size() < 20 * 1024 * 1024) {
        text += line;
        ++occurrences;
    }
    QFile out(source);
    out.open(QIODevice::WriteOnly);
    out.write(text);
    out.close();

    const auto best = [](auto&& work) {
        double fastest = 1e9;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer timer;
            timer.start();
            work();
            fastest = std::min(fastest, timer.nsecsElapsed() / 1e9);
        }
        return fastest;
    };
    const double copy = best([&] {
        QFile in(source);
        in.open(QIODevice::ReadOnly);
        const QByteArray bytes = in.readAll();
        QFile copyFile(dir.filePath(QStringLiteral("copy.htm")));
        copyFile.open(QIODevice::WriteOnly);
        copyFile.write(bytes);
    });
    qint64 written = 0;
    const double highlight = best([&] {
        HighlightedCopy highlighter(source, QStringLiteral("ксилолит"));
        highlighter.write();
        written = QFileInfo(highlighter.workFileName()).size();
    });
    std::printf("document %.1f MB, %d occurrences, copy written %.1f MB\n", text.size() / 1048576.0,
                occurrences, written / 1048576.0);
    std::printf("read+write %.3f s, highlighted copy %.3f s (%.2fx read+write)\n", copy, highlight,
                highlight / copy);
    return 0;
}
