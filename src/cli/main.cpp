// lectoria-find: the search of the viewer from a terminal, by the same rules and code.
#include "collectionlists.h"
#include "libraryscan.h"
#include "messagereporter.h"
#include "searchjob.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

const char* const usage =
    "usage: lectoria-find [--case-sensitive] CONTEXT DIR...\n"
    "       lectoria-find [--case-sensitive] --tech-parts SUITE_DIR CONTEXT\n"
    "\n"
    "Searches the documents (.htm files) below each DIR for CONTEXT, as Lectoria's find box\n"
    "does: the raw text of every document, markup included, lines joined with CR LF, letters\n"
    "of A-Z, А-Я and Ё matched without regard to case unless --case-sensitive is given.\n"
    "Documents are read as windows-1251, or as UTF-8 when they start with a byte-order mark or\n"
    "declare charset=utf-8. Picture folders (names containing \".files\") and folder pages\n"
    "(_index.htm) are left out; links to folders are followed, but never back up the path.\n"
    "\n"
    "With --tech-parts, the folders searched are the technical parts of the installed bases\n"
    "listed in SUITE_DIR/TQ_W/instal.dbf, as the viewer's \"Тех. части\" collection lists them.\n"
    "\n"
    "Prints each found document's path, one per line, in scan order (in every folder its\n"
    "sub-folders first, then its documents, in directory order). The last line on stderr is\n"
    "\"checked N, found M\". Exit status: 0 something found, 1 nothing found, 2 usage error.\n";

void printLine(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fputc('\n', stream);
}

int usageError(const QString& message)
{
    if (!message.isEmpty())
        printLine(stderr, QStringLiteral("lectoria-find: ") + message);
    std::fputs(usage, stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    bool caseSensitive = false;
    bool techParts = false;
    QStringList positional;
    bool optionsEnd = false;
    for (const QString& argument : std::as_const(arguments)) {
        if (!optionsEnd && (argument == u"--help" || argument == u"-h")) {
            std::fputs(usage, stdout);
            return 0;
        }
        if (!optionsEnd && argument == u"--case-sensitive")
            caseSensitive = true;
        else if (!optionsEnd && argument == u"--tech-parts")
            techParts = true;
        else if (!optionsEnd && argument == u"--")
            optionsEnd = true;
        else if (!optionsEnd && argument.startsWith(u"--"))
            return usageError(QStringLiteral("unknown option ") + argument);
        else
            positional.append(argument);
    }

    QString context;
    QStringList roots;
    if (techParts) {
        if (positional.size() != 2)
            return usageError(QStringLiteral("--tech-parts takes SUITE_DIR and CONTEXT"));
        context = positional.at(1);
        MessageReporter::setHandler([](const QString&, const QString& text) {
            printLine(stderr,
                      QStringLiteral("lectoria-find: ") + QString(text).replace(u'\n', u' '));
        });
        QStringList names;
        const QString suiteDir = QDir(positional.at(0)).absolutePath() + u'/';
        if (!CollectionLists::fillTechnicalParts(suiteDir, roots, names, true))
            return 2;
    } else {
        if (positional.size() < 2)
            return usageError(QStringLiteral("CONTEXT and at least one DIR are needed"));
        context = positional.at(0);
        roots = positional.mid(1);
    }
    context = SearchJob::trimmedContext(context);
    if (context.isEmpty())
        return usageError(QStringLiteral("the context is empty"));

    for (const QString& root : std::as_const(roots)) {
        if (!QFileInfo(root).isDir())
            printLine(stderr, QStringLiteral("lectoria-find: no such directory: ") + root);
    }
    SearchRequest request;
    request.context = context;
    request.caseSensitive = caseSensitive;
    request.folders = roots;
    const SearchResult result = SearchJob(request).run();
    LibraryScan::forEachDocument(result.nodes,
                                 [](const ScanNode& node) { printLine(stdout, node.path); });
    std::fflush(stdout);
    printLine(stderr, QStringLiteral("checked %1, found %2").arg(result.checked).arg(result.found));
    return result.found > 0 ? 0 : 1;
}
