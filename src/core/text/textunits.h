#pragma once

#include <QtGlobal>

// The pieces the text of a document is told in (see DocumentText), shared by the one-pass
// reader and everything that reads its output. Positions are in the document's units: bytes,
// or 16-bit units of a UTF-16 document.

// One character of the text and the units it comes from (a blank made of several pieces of
// markup and blanks comes from the first of them).
struct TextCharacter
{
    char32_t c;
    qsizetype begin;
    qsizetype end;
};

enum class TextSegmentKind
{
    Text,
    InlineTag,
    BlockTag,
    Hidden, // a comment, or an element whose content is left out, with its tags
};

// A piece of the document: markup or text.
struct TextSegment
{
    TextSegmentKind kind;
    qsizetype begin;
    qsizetype end;
};
