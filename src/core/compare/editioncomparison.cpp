#include "compare/editioncomparison.h"

#include <QHash>

#include <algorithm>
#include <unordered_map>

namespace {

// A part is compared by likeness with at most this many parts of the other edition: those
// that share most of its words.
constexpr int LikeCandidates = 3;
// A word in more parts than this tells nothing about which part is which.
constexpr std::size_t CommonWord = 64;
// How alike two parts must be to pair: by the same number, and by likeness alone.
constexpr double NumberedLikeness = 0.3;
constexpr double MovedLikeness = 0.5;
// What sharing a number weighs beside likeness.
constexpr double NumberBonus = 0.25;

// Twice the words two sorted bags share over their sizes.
double likeness(const std::vector<std::size_t>& a, const std::vector<std::size_t>& b)
{
    if (a.empty() && b.empty())
        return 1.0;
    std::size_t shared = 0;
    auto i = a.begin();
    auto j = b.begin();
    while (i != a.end() && j != b.end()) {
        if (*i < *j) {
            ++i;
        } else if (*j < *i) {
            ++j;
        } else {
            ++shared;
            ++i;
            ++j;
        }
    }
    return 2.0 * double(shared) / double(a.size() + b.size());
}

struct Candidate
{
    double score = 0;
    int oldPart = 0;
    int newPart = 0;
};

class Aligner
{
public:
    Aligner(const Edition& older, const Edition& newer)
        : m_old(older.parts()), m_new(newer.parts()), m_oldPair(m_old.size(), -1),
          m_newPair(m_new.size(), -1)
    {
    }

    // For each part of the new edition, its old part (-1: added).
    std::vector<int> pairs()
    {
        std::vector<Candidate> candidates = numbered();
        likeByWords(candidates);
        std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
            if (a.score != b.score)
                return a.score > b.score;
            if (a.newPart != b.newPart)
                return a.newPart < b.newPart;
            return a.oldPart < b.oldPart;
        });
        int paired = 0;
        for (const Candidate& candidate : candidates) {
            if (m_oldPair[std::size_t(candidate.oldPart)] >= 0 ||
                m_newPair[std::size_t(candidate.newPart)] >= 0)
                continue;
            m_oldPair[std::size_t(candidate.oldPart)] = candidate.newPart;
            m_newPair[std::size_t(candidate.newPart)] = candidate.oldPart;
            ++paired;
        }
        // In editions of one document, a part rewritten beyond likeness keeps its number.
        const std::size_t smaller = std::min(m_old.size(), m_new.size());
        if (smaller > 0 && 2 * std::size_t(paired) >= smaller)
            pairLeftByNumber();
        return m_newPair;
    }

private:
    // Parts of the same number, each occurrence of a number with the same occurrence in the
    // other edition (and its neighbours, where a number repeats).
    std::vector<Candidate> numbered()
    {
        std::vector<Candidate> candidates;
        for (std::size_t i = 0; i < m_old.size(); ++i)
            m_oldByKey[m_old[i].matchKey()].push_back(int(i));
        QHash<QString, int> seen;
        for (std::size_t j = 0; j < m_new.size(); ++j) {
            const QString key = m_new[j].matchKey();
            const int occurrence = seen[key]++;
            const auto found = m_oldByKey.constFind(key);
            if (found == m_oldByKey.constEnd())
                continue;
            const QList<int>& olds = *found;
            for (int k = std::max(0, occurrence - 1);
                 k < std::min<int>(int(olds.size()), occurrence + 2); ++k) {
                const int i = olds[k];
                const double alike = likeness(m_old[std::size_t(i)].bag, m_new[j].bag);
                if (alike >= NumberedLikeness)
                    candidates.push_back({alike + NumberBonus - nearness(i, int(j)), i, int(j)});
            }
        }
        return candidates;
    }

    // Each new part with the old parts that share most of its rarer words.
    void likeByWords(std::vector<Candidate>& candidates) const
    {
        std::unordered_map<std::size_t, std::vector<int>> postings;
        for (std::size_t i = 0; i < m_old.size(); ++i) {
            const std::vector<std::size_t>& bag = m_old[i].bag;
            for (std::size_t w = 0; w < bag.size(); ++w)
                if (w == 0 || bag[w] != bag[w - 1])
                    postings[bag[w]].push_back(int(i));
        }
        std::unordered_map<int, int> shared;
        for (std::size_t j = 0; j < m_new.size(); ++j) {
            shared.clear();
            const std::vector<std::size_t>& bag = m_new[j].bag;
            for (std::size_t w = 0; w < bag.size(); ++w) {
                if (w > 0 && bag[w] == bag[w - 1])
                    continue;
                const auto found = postings.find(bag[w]);
                if (found == postings.end() || found->second.size() > CommonWord)
                    continue;
                for (const int i : found->second)
                    ++shared[i];
            }
            std::vector<std::pair<int, int>> best(shared.begin(), shared.end());
            const auto more = [](const std::pair<int, int>& a, const std::pair<int, int>& b) {
                return a.second != b.second ? a.second > b.second : a.first < b.first;
            };
            const std::size_t kept = std::min<std::size_t>(best.size(), LikeCandidates);
            std::partial_sort(best.begin(), best.begin() + qsizetype(kept), best.end(), more);
            for (std::size_t c = 0; c < kept; ++c) {
                const int i = best[c].first;
                const double alike = likeness(m_old[std::size_t(i)].bag, bag);
                if (alike >= MovedLikeness)
                    candidates.push_back({alike - nearness(i, int(j)), i, int(j)});
            }
        }
    }

    // Of two equally alike pairs, the one whose places in the documents are nearer.
    double nearness(int oldPart, int newPart) const
    {
        const double oldAt = double(oldPart) / double(std::max<std::size_t>(1, m_old.size()));
        const double newAt = double(newPart) / double(std::max<std::size_t>(1, m_new.size()));
        return 0.001 * std::abs(oldAt - newAt);
    }

    void pairLeftByNumber()
    {
        QHash<QString, int> seen;
        for (std::size_t j = 0; j < m_new.size(); ++j) {
            const QString key = m_new[j].matchKey();
            const int occurrence = seen[key]++;
            if (m_newPair[j] >= 0)
                continue;
            const QList<int> olds = m_oldByKey.value(key);
            if (occurrence >= olds.size())
                continue;
            const int i = olds[occurrence];
            if (m_oldPair[std::size_t(i)] >= 0)
                continue;
            m_oldPair[std::size_t(i)] = int(j);
            m_newPair[j] = i;
        }
    }

    const std::vector<EditionPart>& m_old;
    const std::vector<EditionPart>& m_new;
    std::vector<int> m_oldPair;
    std::vector<int> m_newPair;
    QHash<QString, QList<int>> m_oldByKey;
};

PartChange compared(const EditionPart& older, const EditionPart& newer, int oldPart, int newPart)
{
    PartChange change;
    change.oldPart = oldPart;
    change.newPart = newPart;
    change.steps = TokenDiff::of(older.hashes, newer.hashes);
    bool same = true;
    for (const DiffStep& step : change.steps) {
        if (step.kind == DiffStep::Kind::Same)
            continue;
        same = false;
        const bool deleted = step.kind == DiffStep::Kind::Deleted;
        const std::vector<TextToken>& tokens = deleted ? older.tokens : newer.tokens;
        const qsizetype from = deleted ? step.oldAt : step.newAt;
        int words = 0;
        for (qsizetype t = from; t < from + step.count; ++t)
            words += tokens[std::size_t(t)].word ? 1 : 0;
        (deleted ? change.deleted : change.inserted) += words;
    }
    if (older.matchKey() != newer.matchKey())
        change.what = PartChange::What::Moved;
    else
        change.what = same ? PartChange::What::Unchanged : PartChange::What::Changed;
    return change;
}

} // namespace

QString PartChange::whatName(What what)
{
    switch (what) {
    case What::Unchanged:
        return QStringLiteral("unchanged");
    case What::Changed:
        return QStringLiteral("changed");
    case What::Moved:
        return QStringLiteral("moved");
    case What::Added:
        return QStringLiteral("added");
    case What::Removed:
        return QStringLiteral("removed");
    }
    return {};
}

EditionComparison::EditionComparison(const Edition& older, const Edition& newer)
{
    const std::vector<EditionPart>& oldParts = older.parts();
    const std::vector<EditionPart>& newParts = newer.parts();
    const std::vector<int> newPair = Aligner(older, newer).pairs();
    std::vector<bool> oldPaired(oldParts.size(), false);
    for (const int i : newPair)
        if (i >= 0)
            oldPaired[std::size_t(i)] = true;
    // A removed part follows the part before it in the old edition: the nearest one paired,
    // or the start.
    std::vector<std::vector<int>> removedAfter(oldParts.size());
    std::vector<int> removedFirst;
    int lastPaired = -1;
    for (std::size_t i = 0; i < oldParts.size(); ++i) {
        if (oldPaired[i])
            lastPaired = int(i);
        else if (lastPaired < 0)
            removedFirst.push_back(int(i));
        else
            removedAfter[std::size_t(lastPaired)].push_back(int(i));
    }
    const auto addRemoved = [this](const std::vector<int>& removed) {
        for (const int i : removed) {
            PartChange change;
            change.what = PartChange::What::Removed;
            change.oldPart = i;
            m_changes.push_back(std::move(change));
        }
    };
    addRemoved(removedFirst);
    for (std::size_t j = 0; j < newParts.size(); ++j) {
        const int i = newPair[j];
        if (i < 0) {
            PartChange change;
            change.what = PartChange::What::Added;
            change.newPart = int(j);
            m_changes.push_back(std::move(change));
            continue;
        }
        m_changes.push_back(compared(oldParts[std::size_t(i)], newParts[j], i, int(j)));
        addRemoved(removedAfter[std::size_t(i)]);
    }
    for (PartChange& change : m_changes) {
        if (change.what == PartChange::What::Added)
            change.inserted = newParts[std::size_t(change.newPart)].wordCount();
        else if (change.what == PartChange::What::Removed)
            change.deleted = oldParts[std::size_t(change.oldPart)].wordCount();
    }
}

int EditionComparison::count(PartChange::What what) const
{
    return int(std::count_if(m_changes.begin(), m_changes.end(),
                             [what](const PartChange& change) { return change.what == what; }));
}

bool EditionComparison::hasChanges() const
{
    return std::any_of(m_changes.begin(), m_changes.end(), [](const PartChange& change) {
        return change.what != PartChange::What::Unchanged;
    });
}
