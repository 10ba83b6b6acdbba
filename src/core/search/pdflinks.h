#pragma once

#include "search/referencelinks.h"

#include <QString>

#include <vector>

class PdfText;

// The designations and part references of a PDF as links, page by page: each as its text is
// written on the page (blanks made one), in the order of the page, so that the viewer finds
// each one in the page's text layer in turn.
struct PdfLink
{
    int page = 0; // from 1
    QString text;
    ReferenceLinks::Link link;
};

namespace PdfLinks {

// At most limit links: a hostile file does not fill the memory of the window.
std::vector<PdfLink> of(const PdfText& text, const ReferenceLinks& links, int limit = 20000);

} // namespace PdfLinks
