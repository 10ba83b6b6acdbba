#pragma once

#include <QString>

// What proves an index file whole without reading it through: the stamp the file had when an
// update of ours last left it whole, kept beside it. Reading a large index through to check it
// costs as much as the index's size read from the disk at every update; a file whose stamp is
// still the one kept was not written since (its change time is one no tool sets back), but for
// a write of the same size within the same tick of the file system's clock as the update's
// last: the check stands guard against damage (a crash, a fault of the disk), not against a
// program that writes the index on purpose, which it would not catch either. The record is
// dropped before the file is written, so that an update cut off midway never leaves a record
// that vouches for what it wrote. Where stamps carry no change time (Windows), nothing is
// proven.
class SoundnessRecord
{
public:
    explicit SoundnessRecord(const QString& indexFile);

    // Whether the index file is the one the record vouches for.
    bool provesSound() const;
    // Keeps the file's present stamp; false when it cannot be taken or written.
    bool keep() const;
    // Drops the record; false when it is there and cannot be removed.
    bool forget() const;

    // The record's file beside an index file.
    static QString recordFile(const QString& indexFile);

private:
    QString m_indexFile;
};
