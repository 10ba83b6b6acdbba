// lectoria-find: the search of the viewer from a terminal, by the same rules and code.
#include "collectionlists.h"
#include "directorylisting.h"
#include "libraryscan.h"
#include "messagereporter.h"
#include "platform.h"
#include "searchjob.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <cstdio>

namespace {

const char* const usage =
    "usage: lectoria-find [--case-sensitive] [-0] CONTEXT DIR...\n"
    "       lectoria-find [--case-sensitive] [-0] --tech-parts SUITE_DIR CONTEXT\n"
    "\n"
    "Searches the documents (.htm files) below each DIR for CONTEXT, as Lectoria's find box\n"
    "does: the raw text of every document, markup included, lines joined with CR LF, letters\n"
    "of A-Z, А-Я and Ё matched without regard to case unless --case-sensitive is given.\n"
    "Documents are read as windows-1251, or as UTF-8 when they start with a byte-order mark or\n"
    "declare charset=utf-8. Picture folders (names containing \".files\") and folder pages\n"
    "(_index.htm) are left out; links to folders are followed, but never back up the path.\n"
    "\n"
    "With --tech-parts, the folders searched are the technical parts of the installed bases\n"
    "listed in SUITE_DIR/TQ_W/instal.dbf, as the viewer's \"Тех. части\" collection lists them;\n"
    "the table is only read, never changed.\n"
    "\n"
    "CONTEXT must be valid UTF-8.\n"
    "\n"
    "Prints each found document's path, one per line, in scan order (in every folder its\n"
    "sub-folders first, then its documents, in directory order). With -0 (--null) each path\n"
    "ends with a NUL byte instead of a line break, for names that hold line breaks. The last\n"
    "line on stderr is \"checked N, found M\". Exit status: 0 something found, 1 nothing found,\n"
    "2 usage error.\n";

void printLine(FILE* stream, const QString& text, char end = '\n')
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fputc(end, stream);
}

// The argument's bytes as text; false when they are no UTF-8 (they would match U+FFFD).
bool decodeArgument(const char* bytes, QString* text)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *text = utf8.decode(QByteArrayView(bytes));
    return !utf8.hasError();
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
    bool caseSensitive = false;
    bool techParts = false;
    char pathEnd = '\n';
    // Positional arguments keep their bytes: the context is checked as it was given.
    QList<const char*> positional;
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (!optionsEnd && (argument == "--help" || argument == "-h")) {
            std::fputs(usage, stdout);
            return 0;
        }
        if (!optionsEnd && argument == "--case-sensitive")
            caseSensitive = true;
        else if (!optionsEnd && argument == "--tech-parts")
            techParts = true;
        else if (!optionsEnd && (argument == "-0" || argument == "--null"))
            pathEnd = '\0';
        else if (!optionsEnd && argument == "--")
            optionsEnd = true;
        else if (!optionsEnd && argument.startsWith("--"))
            return usageError(QStringLiteral("unknown option ") + QString::fromLocal8Bit(argument));
        else
            positional.append(argv[i]);
    }

    const char* contextBytes = nullptr;
    QStringList roots;
    if (techParts) {
        if (positional.size() != 2)
            return usageError(QStringLiteral("--tech-parts takes SUITE_DIR and CONTEXT"));
        contextBytes = positional.at(1);
    } else {
        if (positional.size() < 2)
            return usageError(QStringLiteral("CONTEXT and at least one DIR are needed"));
        contextBytes = positional.at(0);
        for (const char* root : positional.mid(1))
            roots.append(Platform::fromNativeName(std::filesystem::path(root))); // bytes kept
    }
    QString context;
    if (!decodeArgument(contextBytes, &context))
        return usageError(QStringLiteral("the context is not valid UTF-8"));
    if (techParts) {
        MessageReporter::setHandler([](const QString&, const QString& text) {
            printLine(stderr,
                      QStringLiteral("lectoria-find: ") + QString(text).replace(u'\n', u' '));
        });
        QStringList names;
        const QString suiteDir =
            QDir(QString::fromLocal8Bit(positional.at(0))).absolutePath() + u'/';
        if (!CollectionLists::fillTechnicalParts(suiteDir, roots, names, true,
                                                 WDbfFile::Access::ReadOnly))
            return 2;
    }
    context = SearchJob::trimmedContext(context);
    if (context.isEmpty())
        return usageError(QStringLiteral("the context is empty"));

    for (const QString& root : std::as_const(roots)) {
        FolderId id;
        if (!DirectoryListing::folderId(root, &id))
            printLine(stderr, QStringLiteral("lectoria-find: no such directory: ") + root);
    }
    SearchRequest request;
    request.context = context;
    request.caseSensitive = caseSensitive;
    request.folders = roots;
    const SearchResult result = SearchJob(request).run();
    LibraryScan::forEachDocument(result.nodes, [pathEnd](const ScanNode& node) {
        // The path's own bytes, also where they are no UTF-8.
        const std::string path = Platform::toNative(node.path).native();
        std::fwrite(path.data(), 1, path.size(), stdout);
        std::fputc(pathEnd, stdout);
    });
    std::fflush(stdout);
    if (result.unreadable > 0)
        printLine(stderr, QStringLiteral("lectoria-find: %1 folders or documents could not be read")
                              .arg(result.unreadable));
    printLine(stderr, QStringLiteral("checked %1, found %2").arg(result.checked).arg(result.found));
    return result.found > 0 ? 0 : 1;
}
