#pragma once

#include "norms/designation.h"

#include <QString>

#include <atomic>

// Checks documents for citing a designation: the document is read (in pieces) and its norms
// made as the index makes them, its names being its file name, title and heading.
class CitationSearch
{
public:
    explicit CitationSearch(const Designation& cited) : m_cited(cited) {}

    const Designation& cited() const { return m_cited; }
    // unreadable, when given, is set when the document could not be read.
    bool cites(const QString& path, const std::atomic<bool>* cancel = nullptr,
               bool* unreadable = nullptr) const;

private:
    Designation m_cited;
};
