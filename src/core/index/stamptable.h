#pragma once

#include "platform/platform.h"

#include <QByteArray>
#include <QByteArrayView>

#include <atomic>
#include <string_view>
#include <vector>

// The stamps of an index, read once for an answer: each document's path below the library
// folder in the file system's bytes, kept in one block and hashed, so that a document the
// walk meets is found by its bytes without a string made per document. Once finished it is
// only read: one table serves the searches while nobody writes the index.
class StampTable final
{
public:
    void reserve(qsizetype documents);
    void add(QByteArrayView nativePath, const Platform::FileStamp& stamp);
    // Makes what was added findable; find() works only after it. False when a path came
    // twice (an index that contradicts itself).
    bool finish();
    void clear();
    qsizetype size() const { return qsizetype(m_entries.size()); }

    // The entry of a path, or -1.
    qsizetype find(QByteArrayView nativePath) const;
    QByteArrayView path(qsizetype entry) const { return pathOf(m_entries[size_t(entry)]); }
    const Platform::FileStamp& stamp(qsizetype entry) const
    {
        return m_entries[size_t(entry)].stamp;
    }

private:
    struct Entry
    {
        qsizetype offset = 0;
        qsizetype length = 0;
        Platform::FileStamp stamp;
    };
    QByteArrayView pathOf(const Entry& entry) const
    {
        return QByteArrayView(m_paths.constData() + entry.offset, entry.length);
    }

    // Where the next look begins: a walk meets documents mostly in the order they were
    // indexed, so the entry after the last one found is tried before any hashing. Only a
    // guess (each look checks it), so a copy starts afresh and threads may race on it.
    class NextGuess
    {
    public:
        NextGuess() = default;
        NextGuess(const NextGuess&) {}
        NextGuess& operator=(const NextGuess&) { return *this; }
        qsizetype load() const { return m_entry.load(std::memory_order_relaxed); }
        void store(qsizetype entry) const { m_entry.store(entry, std::memory_order_relaxed); }

    private:
        mutable std::atomic<qsizetype> m_entry{0};
    };

    QByteArray m_paths; // not grown once finished: the views below stay valid
    std::vector<Entry> m_entries;
    // Open addressing: each slot the entry + 1 of a path hashed there, or 0; at least twice as
    // many slots as entries, a power of two.
    std::vector<qsizetype> m_slots;
    NextGuess m_next;
    static size_t hashOf(QByteArrayView path)
    {
        return std::hash<std::string_view>{}(std::string_view(path.data(), size_t(path.size())));
    }
};
