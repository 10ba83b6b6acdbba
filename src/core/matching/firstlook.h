#pragma once

#include <QtGlobal>

#include <atomic>

// Whether a text-mode search reads a document's first bytes alone before the rest of its
// first chunk. Where most documents hold the context early (a common word, past the head),
// the first bytes answer for them, and copying the rest of the chunk from the file is most of
// the reading; where few do, the extra read only costs. The share is learnt as the search
// goes: every so many documents look first anyway, so it stays known. Only the reading's
// speed depends on it, never an answer. Shared by the threads of one search.
class FirstLook
{
public:
    static constexpr qsizetype Size = 16 * 1024;

    // Whether the next document is looked at first (counted as one more document).
    bool isWanted()
    {
        const int document = m_documents.fetch_add(1, std::memory_order_relaxed);
        if (document % SampleEvery == 0)
            return true;
        const int looks = m_looks.load(std::memory_order_relaxed);
        return looks >= LeastLooks && 2 * m_answers.load(std::memory_order_relaxed) > looks;
    }
    // A document longer than the first bytes was looked at first; answered: they held the
    // context where the rest could not change it.
    void noteLook(bool answered)
    {
        m_looks.fetch_add(1, std::memory_order_relaxed);
        if (answered)
            m_answers.fetch_add(1, std::memory_order_relaxed);
    }

private:
    static constexpr int SampleEvery = 16;
    static constexpr int LeastLooks = 4;
    std::atomic<int> m_documents{0};
    std::atomic<int> m_looks{0};
    std::atomic<int> m_answers{0};
};
