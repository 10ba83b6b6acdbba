#pragma once

#include "compare/comparisonpage.h"

#include <QString>

#include <atomic>

// Two documents of the library compared, their page written where the viewer shows it (a
// working folder; never into the library).
namespace ComparisonFile {

struct Made
{
    QString page;  // the page written; empty when it could not be made
    QString error; // what went wrong, for the reader
    bool changed = false;
};

// Compares older with newer and writes the page to pagePath; cancel, when set, ends it (no
// page then).
Made make(const ComparisonPage::Source& older, const ComparisonPage::Source& newer,
          const QString& pagePath, const std::atomic<bool>* cancel = nullptr);

} // namespace ComparisonFile
