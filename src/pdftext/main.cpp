// lectoria-pdftext: reads the text of PDF files for Lectoria, one file at a time, in a process
// of its own, so that a damaged or hostile file can take down nothing but this process.
//
// Requests on standard input: the length of a path in bytes, a line feed, the path's bytes.
// Answers on standard output, one per request:
//   "T <pages> <bytes>\n" and the text: each page's text in reading order (UTF-8), the pages
//                         separated by a form feed;
//   "N <pages>\n"         the file has pages but no text (a scan);
//   "E\n"                 the file cannot be read (damaged, locked by a password, too large).
// Its memory is limited; the caller limits its time.
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-global.h>
#include <poppler/cpp/poppler-page.h>

#if defined(__unix__)
#include <sys/resource.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

// Past this much text a file is not read: a search holds one document's text at a time.
constexpr size_t TextLimit = 64 * 1024 * 1024;
#if defined(__unix__)
constexpr rlim_t MemoryLimit = rlim_t(1536) * 1024 * 1024;
#endif
constexpr size_t PathLimit = 64 * 1024;

void ignoreMessage(const std::string&, void*) {}

// Whether the word in next goes on the line of the one in word, right after it.
bool onOneLine(const poppler::rectf& word, const poppler::rectf& next)
{
    const double height = std::max(word.height(), 1.0);
    return next.left() >= word.left() && std::abs(next.top() - word.top()) < height / 2;
}

void answer(const std::string& head, const std::string& body = {})
{
    std::fwrite(head.data(), 1, head.size(), stdout);
    std::fwrite(body.data(), 1, body.size(), stdout);
    std::fflush(stdout);
}

void readFile(const std::string& path)
{
    const std::unique_ptr<poppler::document> document(poppler::document::load_from_file(path));
    if (!document || document->is_locked()) {
        answer("E\n");
        return;
    }
    const int pages = document->pages();
    std::string text;
    bool anyText = false;
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            text += '\f';
        const std::unique_ptr<poppler::page> page(document->create_page(i));
        if (!page)
            continue;
        // Word by word in reading order: the page's own line ends and hyphens are kept (the
        // joined layout of the library drops every hyphen at a line end, and dashes with it).
        const std::vector<poppler::text_box> words = page->text_list();
        for (size_t w = 0; w < words.size(); ++w) {
            for (const char c : words[w].text().to_utf8()) {
                if (c == '\f' || c == '\n' || c == '\r')
                    continue; // the separators of pages and lines
                text += c;
                anyText = anyText || !(c == ' ' || c == '\t');
            }
            if (w + 1 == words.size())
                text += '\n';
            else if (words[w].has_space_after())
                text += ' ';
            else if (!onOneLine(words[w].bbox(), words[w + 1].bbox()))
                text += '\n';
        }
        if (text.size() > TextLimit) {
            answer("E\n");
            return;
        }
    }
    if (pages <= 0)
        answer("E\n");
    else if (!anyText)
        answer("N " + std::to_string(pages) + "\n");
    else
        answer("T " + std::to_string(pages) + " " + std::to_string(text.size()) + "\n", text);
}

} // namespace

int main()
{
#if defined(__unix__)
    const rlimit memory{MemoryLimit, MemoryLimit};
    setrlimit(RLIMIT_AS, &memory);
#endif
    poppler::set_debug_error_function(ignoreMessage, nullptr);
    std::ios::sync_with_stdio(false);
    for (;;) {
        std::string line;
        if (!std::getline(std::cin, line))
            return 0;
        char* end = nullptr;
        const unsigned long length = std::strtoul(line.c_str(), &end, 10);
        if (end == line.c_str() || *end != '\0' || length == 0 || length > PathLimit)
            return 1;
        std::string path(length, '\0');
        if (!std::cin.read(path.data(), std::streamsize(length)))
            return 1;
        try {
            readFile(path);
        } catch (const std::bad_alloc&) {
            answer("E\n");
        }
    }
}
