// PDF documents for the benchmarks, made from a benchmark library's own pages:
//   pdf_library --convert LIB SHARE   every SHARE-th document (in name order) becomes a PDF of
//                                     the same text (Qt's PDF writer, A4), its page removed;
//   pdf_library --read LIB            reads the text of every PDF below LIB on one thread, as
//                                     the search does, and tells pages and pages per second.
#include "pdf/pdftext.h"
#include "pdf/pdftextreader.h"
#include "text/documenttext.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>

namespace {

QStringList filesBelow(const QString& folder, const QString& pattern)
{
    QStringList files;
    QDirIterator it(folder, {pattern}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    std::sort(files.begin(), files.end());
    return files;
}

int convert(const QString& library, int share)
{
    const QStringList pages = filesBelow(library, QStringLiteral("*.htm"));
    int made = 0;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i % share != 0 || pages.at(i).endsWith(QStringLiteral("/_index.htm")))
            continue;
        QFile page(pages.at(i));
        if (!page.open(QIODevice::ReadOnly))
            continue;
        const QString text = DocumentText(page.readAll()).text();
        page.close();
        QString pdf = pages.at(i);
        pdf.replace(pdf.size() - 4, 4, QStringLiteral(".pdf"));
        {
            QPdfWriter writer(pdf);
            writer.setPageSize(QPageSize(QPageSize::A4));
            QTextDocument document;
            document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
            document.setPlainText(text);
            document.print(&writer);
        }
        QFile::remove(pages.at(i));
        ++made;
    }
    std::printf("%d documents made PDF\n", made);
    return 0;
}

int read(const QString& library)
{
    const QStringList files = filesBelow(library, QStringLiteral("*.pdf"));
    QElapsedTimer timer;
    timer.start();
    qint64 pages = 0;
    qint64 bytes = 0;
    int failed = 0;
    for (const QString& file : files) {
        const PdfText text = PdfTextReader::read(file);
        if (text.state() != PdfText::State::Text) {
            ++failed;
            continue;
        }
        pages += text.pages().size();
        bytes += text.document().size();
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("%lld files, %lld pages, %.1f MB of text in %.2f s on one thread: %.0f pages/s"
                " (%d not read)\n",
                static_cast<long long>(files.size()), static_cast<long long>(pages), bytes / 1e6,
                seconds, pages / seconds, failed);
    return failed == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 4 && arguments.at(1) == u"--convert")
        return convert(arguments.at(2), std::max(1, arguments.at(3).toInt()));
    if (arguments.size() == 3 && arguments.at(1) == u"--read")
        return read(arguments.at(2));
    std::fprintf(stderr, "usage: pdf_library --convert LIB SHARE | --read LIB\n");
    return 2;
}
