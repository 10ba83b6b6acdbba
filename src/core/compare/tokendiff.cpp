#include "compare/tokendiff.h"

#include <algorithm>
#include <unordered_map>

namespace {

using Hashes = std::vector<std::size_t>;

// The differences Myers's search may go through before the rest is split.
constexpr int DifferenceBudget = 300;
// Past this many tokens, the unique ones split the sequences before any search.
constexpr qsizetype SearchLength = 20000;
// Splits within splits, at most: past them the rest is deleted and inserted whole.
constexpr int SplitDepth = 32;

class Differ
{
public:
    Differ(const Hashes& a, const Hashes& b) : m_a(a), m_b(b) {}

    std::vector<DiffStep> steps()
    {
        compare(0, qsizetype(m_a.size()), 0, qsizetype(m_b.size()));
        return merged();
    }

private:
    void add(DiffStep::Kind kind, qsizetype oldAt, qsizetype newAt, qsizetype count)
    {
        if (count > 0)
            m_steps.push_back({kind, oldAt, newAt, count});
    }

    // a[aFrom, aTo) against b[bFrom, bTo).
    void compare(qsizetype aFrom, qsizetype aTo, qsizetype bFrom, qsizetype bTo)
    {
        qsizetype head = 0;
        while (aFrom + head < aTo && bFrom + head < bTo && m_a[aFrom + head] == m_b[bFrom + head])
            ++head;
        add(DiffStep::Kind::Same, aFrom, bFrom, head);
        aFrom += head;
        bFrom += head;
        qsizetype tail = 0;
        while (aTo - tail > aFrom && bTo - tail > bFrom &&
               m_a[aTo - tail - 1] == m_b[bTo - tail - 1])
            ++tail;
        const qsizetype aEnd = aTo - tail;
        const qsizetype bEnd = bTo - tail;
        if (aFrom == aEnd || bFrom == bEnd) {
            add(DiffStep::Kind::Deleted, aFrom, bFrom, aEnd - aFrom);
            add(DiffStep::Kind::Inserted, aEnd, bFrom, bEnd - bFrom);
        } else if ((aEnd - aFrom) + (bEnd - bFrom) > SearchLength ||
                   !search(aFrom, aEnd, bFrom, bEnd)) {
            if (m_depth < SplitDepth) {
                ++m_depth;
                split(aFrom, aEnd, bFrom, bEnd);
                --m_depth;
            } else {
                add(DiffStep::Kind::Deleted, aFrom, bFrom, aEnd - aFrom);
                add(DiffStep::Kind::Inserted, aEnd, bFrom, bEnd - bFrom);
            }
        }
        add(DiffStep::Kind::Same, aEnd, bEnd, tail);
    }

    // Myers's greedy search, keeping the furthest reaches of every round to walk back along;
    // false (nothing added) when more than the budget differ.
    bool search(qsizetype aFrom, qsizetype aTo, qsizetype bFrom, qsizetype bTo)
    {
        const qsizetype n = aTo - aFrom;
        const qsizetype m = bTo - bFrom;
        const int limit = int(std::min<qsizetype>(DifferenceBudget, n + m));
        // rounds[d][k + d]: the furthest x on diagonal k after d differences.
        std::vector<std::vector<qsizetype>> rounds;
        std::vector<qsizetype> reach(std::size_t(limit) * 2 + 3, 0);
        const auto at = [limit](int k) { return std::size_t(k) + std::size_t(limit) + 1; };
        int found = -1;
        for (int d = 0; d <= limit && found < 0; ++d) {
            for (int k = -d; k <= d; k += 2) {
                qsizetype x = (k == -d || (k != d && reach[at(k - 1)] < reach[at(k + 1)]))
                                  ? reach[at(k + 1)]
                                  : reach[at(k - 1)] + 1;
                qsizetype y = x - k;
                while (x < n && y < m && m_a[aFrom + x] == m_b[bFrom + y]) {
                    ++x;
                    ++y;
                }
                reach[at(k)] = x;
                if (x >= n && y >= m)
                    found = d;
            }
            rounds.emplace_back(reach.begin() + qsizetype(at(-d)),
                                reach.begin() + qsizetype(at(d)) + 1);
        }
        if (found < 0)
            return false;
        // Walk back from the end, the steps gathered in reverse.
        std::vector<DiffStep> reversed;
        qsizetype x = n;
        qsizetype y = m;
        for (int d = found; d > 0; --d) {
            const std::vector<qsizetype>& before = rounds[std::size_t(d - 1)];
            const auto reachBefore = [&](int k) { return before[std::size_t(k + d - 1)]; };
            const int k = int(x - y);
            const bool down = k == -d || (k != d && reachBefore(k - 1) < reachBefore(k + 1));
            const int previousK = down ? k + 1 : k - 1;
            const qsizetype previousX = reachBefore(previousK);
            const qsizetype previousY = previousX - previousK;
            const qsizetype snakeX = down ? previousX : previousX + 1;
            const qsizetype snakeY = down ? previousY + 1 : previousY;
            if (x > snakeX)
                reversed.push_back(
                    {DiffStep::Kind::Same, aFrom + snakeX, bFrom + snakeY, x - snakeX});
            if (down)
                reversed.push_back(
                    {DiffStep::Kind::Inserted, aFrom + previousX, bFrom + previousY, 1});
            else
                reversed.push_back(
                    {DiffStep::Kind::Deleted, aFrom + previousX, bFrom + previousY, 1});
            x = previousX;
            y = previousY;
        }
        if (x > 0)
            reversed.push_back({DiffStep::Kind::Same, aFrom, bFrom, x});
        m_steps.insert(m_steps.end(), reversed.rbegin(), reversed.rend());
        return true;
    }

    // Splits at runs of tokens found once in each side, the longest chain of them kept in
    // order, and compares the gaps between them; with none, the old is deleted and the new
    // inserted. Runs of three tokens come first: in a text most single words repeat, most
    // three words in a row do not.
    void split(qsizetype aFrom, qsizetype aTo, qsizetype bFrom, qsizetype bTo)
    {
        for (const qsizetype run : {3, 1}) {
            const std::vector<std::pair<qsizetype, qsizetype>> anchors =
                uniqueRuns(aFrom, aTo, bFrom, bTo, run);
            if (anchors.empty())
                continue;
            qsizetype a = aFrom;
            qsizetype b = bFrom;
            for (const auto& [oldAt, newAt] : anchors) {
                compare(a, oldAt, b, newAt);
                add(DiffStep::Kind::Same, oldAt, newAt, run);
                a = oldAt + run;
                b = newAt + run;
            }
            compare(a, aTo, b, bTo);
            return;
        }
        add(DiffStep::Kind::Deleted, aFrom, bFrom, aTo - aFrom);
        add(DiffStep::Kind::Inserted, aTo, bFrom, bTo - bFrom);
    }

    // The places of runs of run tokens found once in each range and alike, in a chain that
    // rises in both and where no two overlap.
    std::vector<std::pair<qsizetype, qsizetype>>
    uniqueRuns(qsizetype aFrom, qsizetype aTo, qsizetype bFrom, qsizetype bTo, qsizetype run) const
    {
        struct Seen
        {
            int inOld = 0;
            int inNew = 0;
            qsizetype oldAt = 0;
            qsizetype newAt = 0;
        };
        const auto hashAt = [run](const Hashes& tokens, qsizetype at) {
            std::size_t hash = tokens[std::size_t(at)];
            for (qsizetype i = 1; i < run; ++i)
                hash = hash * 1000003u ^ tokens[std::size_t(at + i)];
            return hash;
        };
        std::unordered_map<std::size_t, Seen> seen;
        seen.reserve(std::size_t((aTo - aFrom) + (bTo - bFrom)));
        for (qsizetype i = aFrom; i + run <= aTo; ++i) {
            Seen& entry = seen[hashAt(m_a, i)];
            ++entry.inOld;
            entry.oldAt = i;
        }
        for (qsizetype j = bFrom; j + run <= bTo; ++j) {
            Seen& entry = seen[hashAt(m_b, j)];
            ++entry.inNew;
            entry.newAt = j;
        }
        std::vector<std::pair<qsizetype, qsizetype>> pairs;
        for (qsizetype i = aFrom; i + run <= aTo; ++i) {
            const Seen& entry = seen[hashAt(m_a, i)];
            if (entry.inOld == 1 && entry.inNew == 1 &&
                std::equal(m_a.begin() + i, m_a.begin() + i + run, m_b.begin() + entry.newAt))
                pairs.emplace_back(i, entry.newAt);
        }
        std::vector<std::pair<qsizetype, qsizetype>> chain;
        for (const auto& pair : longestRising(pairs)) {
            if (!chain.empty() &&
                (pair.first < chain.back().first + run || pair.second < chain.back().second + run))
                continue;
            chain.push_back(pair);
        }
        return chain;
    }

    static std::vector<std::pair<qsizetype, qsizetype>>
    longestRising(const std::vector<std::pair<qsizetype, qsizetype>>& pairs)
    {
        // Patience sorting: the smallest last new place of a run of each length.
        std::vector<qsizetype> tails; // indexes into pairs
        std::vector<qsizetype> previous(pairs.size(), -1);
        for (qsizetype i = 0; i < qsizetype(pairs.size()); ++i) {
            const auto place =
                std::lower_bound(tails.begin(), tails.end(), pairs[std::size_t(i)].second,
                                 [&pairs](qsizetype tail, qsizetype value) {
                                     return pairs[std::size_t(tail)].second < value;
                                 });
            if (place != tails.begin())
                previous[std::size_t(i)] = *(place - 1);
            if (place == tails.end())
                tails.push_back(i);
            else
                *place = i;
        }
        std::vector<std::pair<qsizetype, qsizetype>> run;
        for (qsizetype i = tails.empty() ? -1 : tails.back(); i >= 0; i = previous[std::size_t(i)])
            run.push_back(pairs[std::size_t(i)]);
        std::reverse(run.begin(), run.end());
        return run;
    }

    // Neighbouring steps of one kind made one.
    std::vector<DiffStep> merged() const
    {
        std::vector<DiffStep> steps;
        for (const DiffStep& step : m_steps) {
            if (!steps.empty() && steps.back().kind == step.kind) {
                DiffStep& last = steps.back();
                const bool follows =
                    (step.kind != DiffStep::Kind::Inserted ? last.oldAt + last.count == step.oldAt
                                                           : true) &&
                    (step.kind != DiffStep::Kind::Deleted ? last.newAt + last.count == step.newAt
                                                          : true);
                if (follows) {
                    last.count += step.count;
                    continue;
                }
            }
            steps.push_back(step);
        }
        return steps;
    }

    const Hashes& m_a;
    const Hashes& m_b;
    std::vector<DiffStep> m_steps;
    int m_depth = 0;
};

} // namespace

namespace TokenDiff {

std::vector<DiffStep> of(const std::vector<std::size_t>& oldTokens,
                         const std::vector<std::size_t>& newTokens)
{
    return Differ(oldTokens, newTokens).steps();
}

} // namespace TokenDiff
