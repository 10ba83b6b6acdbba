#pragma once

#include <QtGlobal>

#include <cstddef>
#include <vector>

// One step of the way from an old sequence of tokens to a new one.
struct DiffStep
{
    enum class Kind
    {
        Same,     // count tokens alike, from oldAt and newAt
        Deleted,  // count tokens of the old from oldAt
        Inserted, // count tokens of the new from newAt
    };
    Kind kind = Kind::Same;
    qsizetype oldAt = 0;
    qsizetype newAt = 0;
    qsizetype count = 0;
    bool operator==(const DiffStep&) const = default;
};

// The shortest way (or, past a budget, a short one) from one sequence of token hashes to
// another. The common start and end are taken first; what is left is compared by Myers's
// algorithm within a bounded number of differences, and where more differ, split at the
// tokens that occur once in each and kept in order (so a long, much-changed part costs about
// its length, never its length squared); what cannot be split is deleted and inserted whole.
namespace TokenDiff {

std::vector<DiffStep> of(const std::vector<std::size_t>& oldTokens,
                         const std::vector<std::size_t>& newTokens);

} // namespace TokenDiff
