#include "index/keystokenizer.h"

#include <sqlite3.h>

namespace {

// Any non-null pointer stands for the tokenizer: it keeps no state.
int stateless = 0;

int create(void*, const char**, int, Fts5Tokenizer** out)
{
    *out = reinterpret_cast<Fts5Tokenizer*>(&stateless);
    return SQLITE_OK;
}

void destroy(Fts5Tokenizer*) {}

using TokenCallback = int (*)(void*, int, const char*, int, int, int);

int tokenize(Fts5Tokenizer*, void* context, int, const char* text, int size, TokenCallback token)
{
    int at = 0;
    while (at < size) {
        // A word: up to a blank (any ASCII white space).
        while (at < size && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r')))
            ++at;
        bool first = true;
        while (at < size && !(text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) {
            int end = at;
            while (end < size && text[end] != '|' && text[end] != ' ' &&
                   !(text[end] >= '\t' && text[end] <= '\r'))
                ++end;
            if (end > at) {
                const int code =
                    token(context, first ? 0 : FTS5_TOKEN_COLOCATED, text + at, end - at, at, end);
                if (code != SQLITE_OK)
                    return code;
                first = false;
            }
            at = end < size && text[end] == '|' ? end + 1 : end;
        }
    }
    return SQLITE_OK;
}

} // namespace

bool KeysTokenizer::addTo(sqlite3* db)
{
    fts5_api* api = nullptr;
    sqlite3_stmt* ask = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1);", -1, &ask, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_pointer(ask, 1, static_cast<void*>(&api), "fts5_api_ptr", nullptr);
    sqlite3_step(ask);
    sqlite3_finalize(ask);
    if (!api)
        return false;
    fts5_tokenizer tokenizer{create, destroy, tokenize};
    return api->xCreateTokenizer(api, Name, nullptr, &tokenizer, nullptr) == SQLITE_OK;
}
