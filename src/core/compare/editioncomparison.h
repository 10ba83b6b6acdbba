#pragma once

#include "compare/edition.h"
#include "compare/tokendiff.h"

#include <QString>

#include <vector>

// What became of a part from the old edition to the new.
struct PartChange
{
    enum class What
    {
        Unchanged,
        Changed, // the same number, other words
        Moved,   // another number or place ("п. 5.4 (было 5.3)"), its words maybe changed
        Added,
        Removed,
    };
    What what = What::Unchanged;
    int oldPart = -1; // index in the old edition's parts; -1 when added
    int newPart = -1; // in the new; -1 when removed
    int inserted = 0; // words
    int deleted = 0;
    std::vector<DiffStep> steps; // of the tokens, old to new; none when added or removed

    // As the terminal command names it: "added", "removed", "changed", "moved", "unchanged".
    static QString whatName(What what);
};

// Two editions compared part by part. The parts are paired by their numbers where their
// texts are alike, and by likeness of their texts where a part was renumbered or moved (each
// part compared only with those that share its rarer words, so the cost stays near the
// documents' length); what is left was added or removed. Inside each pair the words are
// compared. Of unrelated documents few parts pair, and most come out added and removed.
class EditionComparison
{
public:
    EditionComparison(const Edition& older, const Edition& newer);

    // In the new edition's order, each removed part after the part that preceded it in the
    // old one.
    const std::vector<PartChange>& changes() const { return m_changes; }
    int count(PartChange::What what) const;
    bool hasChanges() const;

private:
    std::vector<PartChange> m_changes;
};
