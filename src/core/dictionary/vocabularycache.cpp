#include "dictionary/vocabularycache.h"

VocabularyCache::VocabularyCache(size_t capacity)
    : m_partCapacity(std::max<size_t>(1, capacity / PartCount))
{
}

QStringList VocabularyCache::keys(const std::u32string& word, const Maker& make)
{
    Part& part = m_parts[std::hash<std::u32string>()(word) % PartCount];
    {
        const std::lock_guard<std::mutex> lock(part.use);
        const auto known = part.words.find(word);
        if (known != part.words.end())
            return known->second;
    }
    // Made outside the lock: two threads may make the same keys at once, never wait for it.
    QStringList made = make(word);
    const std::lock_guard<std::mutex> lock(part.use);
    if (part.words.size() >= m_partCapacity)
        part.words.clear();
    part.words.emplace(word, made);
    return made;
}
