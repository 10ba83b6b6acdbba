#pragma once

// How a context is matched against a document.
struct MatchOptions
{
    bool caseSensitive = false;
    // An occurrence counts only when the characters just before and after it are not letters
    // or digits (or are the start or end of the text).
    bool wholeWords = false;
    // The context is looked for in the text of the document as the reader sees it (markup
    // left out, references decoded, blanks collapsed) instead of in its raw bytes.
    bool textMode = false;
    // The context is a query of words in any of their forms (WordQuery); the text of the
    // document is read, case and whole words do not apply.
    bool wordForms = false;

    // The options a search runs with: word forms read the text of the documents and leave
    // case and whole words aside. The window, the terminal and the search job all ask here.
    MatchOptions effective() const
    {
        return wordForms ? MatchOptions{false, false, true, true} : *this;
    }
};
