#pragma once

struct sqlite3;

// The FTS5 tokenizer of the index's table of words (WordForms::tokens): words are separated by
// blanks; the keys of one word, separated by '|', stand at one position (colocated tokens),
// so that a homograph is found by each of its words and phrases still hold. In a query the
// keys of a word are alternatives: any of them found at the place is the word found.
namespace KeysTokenizer {

constexpr const char* Name = "lectoria_keys";
// Makes the tokenizer known to a connection: before any statement touches the table.
bool addTo(sqlite3* db);

} // namespace KeysTokenizer
