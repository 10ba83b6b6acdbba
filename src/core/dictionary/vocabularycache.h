#pragma once

#include <QStringList>

#include <array>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

// Words and their keys, shared by every thread of the program: a library's whole vocabulary
// is looked up in the dictionary once. Held in parts, each with its own lock, so that threads
// seldom wait for one another; a part that outgrows its share of the capacity (a text of
// endless made-up words) is emptied, so that the memory stays bounded.
class VocabularyCache
{
public:
    explicit VocabularyCache(size_t capacity);

    using Maker = std::function<QStringList(const std::u32string&)>;
    // The keys of word, made by make when the cache does not hold them yet.
    QStringList keys(const std::u32string& word, const Maker& make);

private:
    struct Part
    {
        mutable std::mutex use;
        std::unordered_map<std::u32string, QStringList> words;
    };
    static constexpr size_t PartCount = 64;
    std::array<Part, PartCount> m_parts;
    size_t m_partCapacity;
};
