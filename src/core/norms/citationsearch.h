#pragma once

#include "norms/designation.h"
#include "norms/partaddress.h"

#include <QString>

#include <atomic>
#include <optional>

// Checks documents for citing a designation, or a part of the document it names: the document
// is read (in pieces) and its norms made as the index makes them, its names being its file
// name, title and heading.
class CitationSearch
{
public:
    explicit CitationSearch(const Designation& cited, std::optional<PartAddress> part = {})
        : m_cited(cited), m_part(std::move(part))
    {
    }
    // "СП 48.13330.2019", "п. 5.2 СП 48.13330.2019", "СП 48.13330.2019, табл. 3"; none when
    // the text names no document (or more than one).
    static std::optional<CitationSearch> parse(const QString& text);

    const Designation& cited() const { return m_cited; }
    // The part cited; none: the document whatever part.
    const std::optional<PartAddress>& part() const { return m_part; }
    // unreadable, when given, is set when the document could not be read.
    bool cites(const QString& path, const std::atomic<bool>* cancel = nullptr,
               bool* unreadable = nullptr) const;

private:
    Designation m_cited;
    std::optional<PartAddress> m_part;
};
