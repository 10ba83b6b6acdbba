// lectoria-find: the search of the viewer from a terminal, by the same rules and code.
#include "compare/editioncomparison.h"
#include "index/indexfilter.h"
#include "library/collectionlists.h"
#include "library/directorylisting.h"
#include "library/libraryscan.h"
#include "matching/namematcher.h"
#include "matching/wordforms.h"
#include "norms/citationsearch.h"
#include "norms/designationrule.h"
#include "norms/documentnorms.h"
#include "norms/documentstructure.h"
#include "platform/messagereporter.h"
#include "platform/platform.h"
#include "query/querysearch.h"
#include "search/founddocument.h"
#include "search/resultexport.h"
#include "search/searchjob.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

const char* const usage =
    "usage: lectoria-find [OPTION...] CONTEXT DIR...\n"
    "       lectoria-find [OPTION...] --tech-parts SUITE_DIR CONTEXT\n"
    "       lectoria-find [OPTION...] --words QUERY DIR...\n"
    "       lectoria-find [-0] --names QUERY DIR...\n"
    "       lectoria-find [-0] [--index] --cites DESIGNATION DIR...\n"
    "       lectoria-find --designations FILE...\n"
    "       lectoria-find --outline FILE...\n"
    "       lectoria-find --compare OLD NEW\n"
    "       lectoria-find [OPTION...] --query QUERY DIR...\n"
    "options: --case-sensitive, --whole-words, --text, --words, --index, -0 (--null),\n"
    "         --format csv|json\n"
    "\n"
    "Searches the documents (.htm and .pdf files) below each DIR for CONTEXT, as Lectoria's\n"
    "find box does: the raw text of every document, markup included, lines joined with CR LF,\n"
    "letters of A-Z, А-Я and Ё matched without regard to case unless --case-sensitive is\n"
    "given.\n"
    "A PDF document is searched by its text in every mode (as with --text): its pages in\n"
    "reading order, a word broken by a hyphen at a line end read whole. A PDF without text (a\n"
    "scan) is counted apart (\"without text\"); one that cannot be read (damaged, locked by a\n"
    "password) is counted unreadable.\n"
    "Documents are read as UTF-16 when they start with its byte-order mark, as UTF-8 when they\n"
    "start with its byte-order mark or declare charset=utf-8, as windows-1251 otherwise. Picture\n"
    "folders (names containing \".files\") and folder pages (_index.htm) are left out; links to\n"
    "folders are followed, but never back up the path.\n"
    "\n"
    "With --whole-words, an occurrence counts only when the characters just before and after\n"
    "it are not letters or digits (or are the start or end of the text).\n"
    "\n"
    "With --text, CONTEXT is looked for in the text of each document as a reader sees it:\n"
    "  - the document is decoded: UTF-16 when it starts with a byte-order mark, UTF-8 by its\n"
    "    byte-order mark or charset declaration, windows-1251 otherwise;\n"
    "  - a tag runs from \"<\" and a letter to the first \">\" outside a quoted attribute\n"
    "    value; a comment from \"<!--\" to \"-->\" or \"--!>\";\n"
    "  - comments and the content of style, script and xml are left out, and so is the\n"
    "    content of head (up to </head>, or to <body> or the first block tag other than\n"
    "    title when </head> is missing);\n"
    "  - tags vanish; the block tags br p div table tr td th li ul ol h1-h6 hr blockquote pre\n"
    "    dd dt title count as a blank;\n"
    "  - character references (&nbsp; &#8470; &laquo; ...) are decoded within each piece\n"
    "    of text between tags, as a browser decodes them: a number needs no \";\"\n"
    "    (&#150; is the \"–\" of windows-1252, as for 128-159), nor do a few old names\n"
    "    (&nbsp &copy &amp &lt ...); a reference cut by a tag stays as written;\n"
    "  - every run of blanks (line breaks included) counts as one blank.\n"
    "\n"
    "With --words, QUERY is a set of words looked for in any of their forms in the text of\n"
    "each document (as with --text): words are the runs of letters and digits, compared in\n"
    "lower case with \"ё\" as \"е\". Russian words by the Russian dictionary (hunspell-ru):\n"
    "every form of a word, a verb with its -ся verb, participles and verbal adverbs; a form\n"
    "that may be of two words (\"стали\") is either; derived words (\"бетон\", \"бетонный\")\n"
    "stay apart. Words the dictionary does not know, English words and all words when the\n"
    "dictionary is not installed, by their stems (Snowball).\n"
    "QUERY is split at blanks; a quoted text, or a word with punctuation such as 2.01.07-85,\n"
    "is a phrase whose words must stand one after another. A document is found when it holds\n"
    "every word and phrase. The found documents are printed most relevant first (BM25), equal\n"
    "ones in scan order. --case-sensitive and --whole-words do not apply.\n"
    "\n"
    "With --names, the documents are found by their caption or file name, as the window's\n"
    "\"Найти по названию\" finds them: QUERY is split at blanks into words, and each word must\n"
    "occur in the caption or the file name once letter case, Latin letters that look like\n"
    "Cyrillic ones and separators (blanks, hyphens and dashes, dots, commas, underscores,\n"
    "slashes) are left aside: \"2.01.07-85\" finds \"СНиП 2.01.07-85*.htm\". In scan order.\n"
    "\n"
    "With --cites, the documents are found that cite DESIGNATION, a designation of a\n"
    "normative or estimate document (\"СП 48.13330.2019\", \"СНиП 3.03.01-87*\", \"ГЭСН\n"
    "81-02-06-2022\"), read as loosely as --names reads names. Designations are found in the\n"
    "text of each document (as with --text); a document's own designations (those of its file\n"
    "name, its title and its first heading) are not citations of itself. Without a year,\n"
    "DESIGNATION stands for every edition; a citation without a year cites every edition. In\n"
    "scan order; with --index, each DIR's index answers for the documents it knows as they are.\n"
    "DESIGNATION may name a part of the document (\"п. 5.2 СП 48.13330.2019\", \"СП\n"
    "48.13330.2019, табл. 3\", \"раздел 6 СП 70.13330.2012\", \"прил. Б ГОСТ 10178-85\"): then\n"
    "the documents are found that cite that part beside the document (\"п. 5.2.3 СП ...\"); a\n"
    "citation of a part within it (\"п. 5.2.3\") cites it too.\n"
    "\n"
    "With --designations, each FILE's designations are printed, one per line, tab-separated:\n"
    "the file, what the designation is to it (own: of its names; cites: a citation, with the\n"
    "number of mentions; replaces: named after \"взамен\" or \"актуализированная редакция\"),\n"
    "the designation as written, its key (the document whatever its edition), its edition (the\n"
    "year, or -) and the count; exit status 2 also when a FILE cannot be read.\n"
    "\n"
    "With --outline, each FILE's parts are printed, one per line, tab-separated: the part's\n"
    "kind (title, heading, section, clause, appendix, table, figure, item), its key as a part\n"
    "is looked for (\"5.2.3\", \"Б\", \"5.1\", \"06-01-001\"; - for a heading), its title, its\n"
    "depth (1 at the top) and where it starts in the document's text (as with --text; for a\n"
    "PDF, in the text of its pages one after another). With several FILEs each line begins\n"
    "with the file. Parts are clauses numbered at the start of a paragraph whose numbers\n"
    "follow on from those before, appendices, captions of tables and figures, and headings;\n"
    "a number in a sentence or a table's cell, a list item, a date, an amount, a line of the\n"
    "table of contents, a PDF's page numbers and running heads are none. Exit status 2 also\n"
    "when a FILE cannot be read.\n"
    "\n"
    "With --query, CONTEXT is a query: terms (fragments; words with --words) joined by\n"
    "И/AND/&, ИЛИ/OR/|, НЕ/NOT or a minus before a letter (\"смесь -асфальт\"), grouped by\n"
    "parentheses; \"...\" holds operator signs (a phrase with --words); \"...\"~N and A /N B:\n"
    "the terms with at most N (up to 100) words between them; word* with --words: a word\n"
    "beginning so (3 letters at least); название:, обозначение:, папка: (title:,\n"
    "designation:, folder:): the caption, file name, title and first heading; a designation\n"
    "of any edition; a folder's name. Operator words count only in capitals. A query\n"
    "without operators is one context; a malformed one is a usage error that names the\n"
    "place. The documents found hold what the query says, with and without --index.\n"
    "\n"
    "With --compare, two editions of a document (pages or PDFs, in any mix) are compared\n"
    "part by part: parts are paired by their numbers where their texts are alike, else by\n"
    "likeness of their texts (a renumbered or moved part), and the words of each pair are\n"
    "compared. Each part that is not unchanged is printed, one per line, tab-separated: its\n"
    "kind (as with --outline), its key in NEW (- when removed; a heading's text), its key in\n"
    "OLD (- when added), what became of it (added, removed, changed, moved) and the counts of\n"
    "words inserted and deleted. Exit status: 0 something changed, 1 nothing did, 2 when a\n"
    "file cannot be read.\n"
    "\n"
    "With --index (and --text, --words or --cites), each DIR's index, written by lectoria-index, "
    "tells "
    "which\n"
    "documents can hold CONTEXT: only those, and those added or changed since the index was\n"
    "written, are read. The answer is the same as without it. A context under three characters,\n"
    "and the raw search, read every document. Without an index for a DIR the exit status is 2.\n"
    "\n"
    "With --tech-parts, the folders searched are the technical parts of the installed bases\n"
    "listed in SUITE_DIR/TQ_W/instal.dbf, as the viewer's \"Тех. части\" collection lists them;\n"
    "the table is only read, never changed.\n"
    "\n"
    "CONTEXT must be valid UTF-8.\n"
    "\n"
    "Prints each found document's path, one per line, in scan order (in every folder its\n"
    "sub-folders first, then its documents, in directory order). With -0 (--null) each path\n"
    "ends with a NUL byte instead of a line break, for names that hold line breaks. With\n"
    "--format csv the found documents are a table instead (UTF-8 with a byte-order mark, \";\"\n"
    "between fields: document, designation, folder, file, occurrences, relevance in per cent\n"
    "with --words, the line around the first occurrence), with --format json an object per\n"
    "document and line, with the same fields. The last line on stderr is \"checked N, found M\".\n"
    "Exit status: 0 something found, 1 nothing found, 2 usage error.\n";

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

// --designations: each file's designations, a line each.
int printDesignations(const QList<const char*>& files)
{
    if (files.isEmpty())
        return usageError(QStringLiteral("--designations takes at least one FILE"));
    int unreadable = 0;
    int printed = 0;
    for (const char* name : files) {
        const QString path = Platform::fromNativeName(std::filesystem::path(name));
        const std::optional<DocumentNorms> norms =
            DocumentNorms::ofFile(path, {DocumentNorms::fileNameOf(path)});
        if (!norms) {
            printLine(stderr, QStringLiteral("lectoria-find: cannot read ") + path);
            ++unreadable;
            continue;
        }
        const auto print = [&](const char* role, const Designation& designation, int count) {
            printLine(stdout,
                      QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6")
                          .arg(path, QLatin1String(role), designation.text(), designation.key(),
                               designation.edition ? QString::number(designation.edition)
                                                   : QStringLiteral("-"))
                          .arg(count));
            ++printed;
        };
        for (const Designation& own : norms->own())
            print("own", own, 1);
        for (const DocumentNorms::Citation& citation : norms->citations())
            print("cites", citation.first, citation.count);
        for (const Designation& replaced : norms->replaced())
            print("replaces", replaced, 1);
    }
    std::fflush(stdout);
    return unreadable > 0 ? 2 : printed > 0 ? 0 : 1;
}

// --outline: each file's parts, a line each.
int printOutlines(const QList<const char*>& files)
{
    if (files.isEmpty())
        return usageError(QStringLiteral("--outline takes at least one FILE"));
    int unreadable = 0;
    int printed = 0;
    for (const char* name : files) {
        const QString path = Platform::fromNativeName(std::filesystem::path(name));
        const std::optional<DocumentStructure> structure = DocumentStructure::ofFile(path);
        if (!structure) {
            printLine(stderr, QStringLiteral("lectoria-find: cannot read ") + path);
            ++unreadable;
            continue;
        }
        for (const DocumentPart& part : structure->parts()) {
            const QString line = QStringLiteral("%1\t%2\t%3\t%4\t%5")
                                     .arg(DocumentPart::kindName(part.kind),
                                          part.key.isEmpty() ? QStringLiteral("-") : part.key,
                                          QString(part.title).replace(u'\t', u' '))
                                     .arg(part.depth)
                                     .arg(part.start);
            printLine(stdout, files.size() > 1 ? path + u'\t' + line : line);
            ++printed;
        }
    }
    std::fflush(stdout);
    return unreadable > 0 ? 2 : printed > 0 ? 0 : 1;
}

// --compare: the parts of NEW that changed from OLD, a line each.
int printComparison(const QList<const char*>& files)
{
    if (files.size() != 2)
        return usageError(QStringLiteral("--compare takes OLD and NEW"));
    std::optional<Edition> editions[2];
    for (int i = 0; i < 2; ++i) {
        const QString path = Platform::fromNativeName(std::filesystem::path(files[i]));
        editions[i] = Edition::ofFile(path);
        if (!editions[i]) {
            printLine(stderr, QStringLiteral("lectoria-find: cannot read ") + path);
            return 2;
        }
    }
    const EditionComparison comparison(*editions[0], *editions[1]);
    const auto keyOf = [](const std::optional<Edition>& edition, int part) {
        if (part < 0)
            return QStringLiteral("-");
        const DocumentPart& found = edition->parts()[std::size_t(part)].part;
        const QString key = found.key.isEmpty() ? found.title : found.key;
        return key.isEmpty() ? QStringLiteral("-") : QString(key).replace(u'\t', u' ');
    };
    for (const PartChange& change : comparison.changes()) {
        if (change.what == PartChange::What::Unchanged)
            continue;
        const EditionPart& part = change.newPart >= 0
                                      ? editions[1]->parts()[std::size_t(change.newPart)]
                                      : editions[0]->parts()[std::size_t(change.oldPart)];
        printLine(stdout,
                  QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6")
                      .arg(DocumentPart::kindName(part.part.kind),
                           keyOf(editions[1], change.newPart), keyOf(editions[0], change.oldPart),
                           PartChange::whatName(change.what))
                      .arg(change.inserted)
                      .arg(change.deleted));
    }
    std::fflush(stdout);
    return comparison.hasChanges() ? 0 : 1;
}

// How the found documents are printed: their paths, or --format csv|json.
enum class Format
{
    Paths,
    Csv,
    Json
};

// The found documents, in their order: each path, or a row of the table (its caption,
// designation, occurrences or relevance, the line around the first occurrence) read as the
// window's result list reads it. marked: what the documents are marked with.
void printFound(const QStringList& found, Format format, char pathEnd, const SearchRequest& request,
                const QStringList& marked, const QHash<QString, double>& relevance = {})
{
    if (format == Format::Paths) {
        for (const QString& document : found) {
            // The path's own bytes, also where they are no UTF-8.
            const std::string path = Platform::toNative(document).native();
            std::fwrite(path.data(), 1, path.size(), stdout);
            std::fputc(pathEnd, stdout);
        }
        std::fflush(stdout);
        return;
    }
    double best = 0;
    for (const QString& document : found)
        best = std::max(best, relevance.value(document));
    QList<ResultExport::Row> rows;
    for (const QString& document : found) {
        ResultExport::Row row;
        row.caption = FoundDocument::captionsBelow(request, document).join(QStringLiteral("->"));
        row.path = document;
        row.designation = ResultExport::designationOf(row.caption);
        const FoundDocument::Summary summary =
            FoundDocument::summarize(document, marked, request.options);
        row.occurrences = summary.readable ? summary.marked : -1;
        row.page = summary.page;
        row.snippet = (summary.before + summary.match + summary.after).trimmed();
        if (request.options.wordForms)
            row.relevance = best > 0 ? 100.0 * relevance.value(document) / best : 100.0;
        rows.append(row);
    }
    const QByteArray bytes =
        format == Format::Csv ? ResultExport::csv(rows) : ResultExport::json(rows);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

// --query: the documents a query with operators finds.
int printQuery(const SearchQuery& query, const MatchOptions& options, const QStringList& roots,
               bool useIndex, char pathEnd, Format format)
{
    for (const QString& root : roots) {
        if (useIndex && IndexFilter::indexFileFor(root).isEmpty() && Platform::isFolder(root)) {
            printLine(stderr, QStringLiteral("lectoria-find: %1 has no index; build it with "
                                             "lectoria-index %1")
                                  .arg(root));
            return 2;
        }
    }
    printLine(stderr, QStringLiteral("lectoria-find: read as ") + query.reading());
    const QuerySearch::Result result =
        QuerySearch::run({query, options, roots, QString(), useIndex});
    SearchRequest request;
    request.options = options.effective();
    request.folders = roots;
    const QStringList terms = query.positiveTerms();
    printFound(result.found, format, pathEnd, request,
               options.wordForms ? QStringList{terms.join(u' ')} : terms);
    printLine(
        stderr,
        QStringLiteral("checked %1, found %2").arg(result.documents).arg(result.found.size()));
    return result.found.isEmpty() ? 1 : 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    bool caseSensitive = false;
    bool wholeWords = false;
    bool textMode = false;
    bool techParts = false;
    bool useIndex = false;
    bool wordForms = false;
    bool names = false;
    bool cites = false;
    bool designations = false;
    bool outline = false;
    bool compare = false;
    bool query = false;
    char pathEnd = '\n';
    Format format = Format::Paths;
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
        else if (!optionsEnd && argument == "--whole-words")
            wholeWords = true;
        else if (!optionsEnd && argument == "--text")
            textMode = true;
        else if (!optionsEnd && argument == "--names")
            names = true;
        else if (!optionsEnd && argument == "--cites")
            cites = true;
        else if (!optionsEnd && argument == "--designations")
            designations = true;
        else if (!optionsEnd && argument == "--outline")
            outline = true;
        else if (!optionsEnd && argument == "--compare")
            compare = true;
        else if (!optionsEnd && argument == "--query")
            query = true;
        else if (!optionsEnd && argument == "--words")
            wordForms = true;
        else if (!optionsEnd && argument == "--index")
            useIndex = true;
        else if (!optionsEnd && argument == "--tech-parts")
            techParts = true;
        else if (!optionsEnd && (argument == "-0" || argument == "--null"))
            pathEnd = '\0';
        else if (!optionsEnd && (argument == "--format" || argument.startsWith("--format="))) {
            QByteArray value = argument.mid(9);
            if (argument == "--format") {
                if (i + 1 >= argc)
                    return usageError(QStringLiteral("--format takes csv or json"));
                value = argv[++i];
            }
            if (value == "csv")
                format = Format::Csv;
            else if (value == "json")
                format = Format::Json;
            else
                return usageError(QStringLiteral("--format takes csv or json"));
        } else if (!optionsEnd && argument == "--")
            optionsEnd = true;
        else if (!optionsEnd && argument.startsWith("--"))
            return usageError(QStringLiteral("unknown option ") + QString::fromLocal8Bit(argument));
        else
            positional.append(argv[i]);
    }

    if (designations)
        return printDesignations(positional);
    if (outline)
        return printOutlines(positional);
    if (compare)
        return printComparison(positional);
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
                                                 DbaseTableOpener::Access::ReadOnly))
            return 2;
    }
    context = SearchJob::trimmedContext(context);
    if (context.isEmpty())
        return usageError(QStringLiteral("the context is empty"));
    if (cites && !CitationSearch::parse(context))
        return usageError(
            QStringLiteral("\"%1\" is no designation of a document, nor a part of one")
                .arg(context));
    const SearchQuery parsedQuery =
        query ? SearchQuery::parse(context, wordForms) : SearchQuery::parse(QString(), wordForms);
    if (!parsedQuery.isValid())
        return usageError(parsedQuery.error());
    if (query && !parsedQuery.isPlain())
        return printQuery(parsedQuery, MatchOptions{caseSensitive, wholeWords, textMode, wordForms},
                          roots, useIndex, pathEnd, format);
    if (wordForms && !WordQuery(context).isValid())
        return usageError(QStringLiteral("the query holds no word"));

    if (wordForms && WordQuery(context).wordCount() > WordQuery::MaxWords)
        return usageError(
            QStringLiteral("the query holds more than %1 words").arg(WordQuery::MaxWords));

    QStringList missingRoots; // read as the scan reads them: folders that cannot be read
    for (const QString& root : std::as_const(roots)) {
        FolderId id;
        if (!DirectoryListing::folderId(root, &id)) {
            printLine(stderr, QStringLiteral("lectoria-find: no such directory: ") + root);
            missingRoots.append(root);
        }
    }
    if (names) {
        const NameMatcher matcher(context);
        if (!matcher.isValid())
            return usageError(QStringLiteral("the query holds nothing but separators"));
        int checked = 0;
        int matched = 0;
        for (const QString& root : std::as_const(roots)) {
            LibraryScan::forEachDocument(LibraryScan::deep(root), [&](const ScanNode& node) {
                ++checked;
                const QString fileName = node.path.mid(node.path.lastIndexOf(u'/') + 1);
                if (!matcher.matches(node.caption, Platform::displayName(fileName)))
                    return;
                ++matched;
                const std::string path = Platform::toNative(node.path).native();
                std::fwrite(path.data(), 1, path.size(), stdout);
                std::fputc(pathEnd, stdout);
            });
        }
        std::fflush(stdout);
        printLine(stderr, QStringLiteral("checked %1, found %2").arg(checked).arg(matched));
        return matched > 0 ? 0 : 1;
    }
    if (useIndex) {
        for (const QString& root : std::as_const(roots)) {
            if (IndexFilter::indexFileFor(root).isEmpty() && !missingRoots.contains(root)) {
                printLine(stderr, QStringLiteral("lectoria-find: %1 has no index; build it with "
                                                 "lectoria-index %1")
                                      .arg(root));
                return 2;
            }
        }
    }
    SearchRequest request;
    request.context = context;
    request.options = MatchOptions{caseSensitive, wholeWords, textMode, wordForms};
    request.folders = roots;
    request.useIndex = useIndex;
    request.citations = cites;
    const SearchResult result = SearchJob(request).run();
    for (const QString& folder : result.unindexedFolders)
        printLine(stderr, QStringLiteral("lectoria-find: the index of %1 cannot be read; it was "
                                         "searched without it (lectoria-index %1 makes it anew)")
                              .arg(folder));
    QStringList found;
    LibraryScan::forEachDocument(result.nodes,
                                 [&found](const ScanNode& node) { found.append(node.path); });
    if (wordForms) // most relevant first, equal ones in scan order
        std::stable_sort(found.begin(), found.end(), [&result](const QString& a, const QString& b) {
            return result.relevance.value(a) > result.relevance.value(b);
        });
    printFound(found, format, pathEnd, request, {context}, result.relevance);
    if (result.unreadable > 0)
        printLine(stderr, QStringLiteral("lectoria-find: %1 folders or documents could not be read")
                              .arg(result.unreadable));
    if (result.withoutText > 0)
        printLine(stderr,
                  QStringLiteral("lectoria-find: %1 PDF documents without text (scans) were not "
                                 "looked through")
                      .arg(result.withoutText));
    printLine(stderr, QStringLiteral("checked %1, found %2").arg(result.checked).arg(result.found));
    return result.found > 0 ? 0 : 1;
}
