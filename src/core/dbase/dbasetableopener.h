#pragma once

#include "platform/messagereporter.h"

#include "dbase/dbfreader.h"

#include <QString>

#include <memory>

// Opens the suite's dBase tables for reading a block at a time. With MaintainIndexes, before
// each attempt the table's index files are brought into order (a production index older than
// an NTX index is dropped, the header flag made to agree with the production index file); an
// attempt that fails is followed by dropping the production index, then by resetting the
// engine configuration, and only the third failure is reported. These changes reach only a
// regular file that is no link and has no second name. ReadOnly changes nothing on disk.
class DbaseTableOpener
{
public:
    using TableSlot = std::unique_ptr<DbfReader>;
    enum class Access
    {
        MaintainIndexes,
        ReadOnly
    };

    // The caption of the messages of table access.
    static QString messageCaption() { return MessageReporter::ProgramCaption; }

    bool open(TableSlot& table, const QString& path, bool showMessages,
              Access access = Access::MaintainIndexes) const;
    bool close(TableSlot& table) const;

    bool clearReadOnly(const QString& path) const;
    bool hasProductionIndex(const QString& path, bool showMessages) const;
    bool dropProductionIndex(const QString& path, bool showMessages) const;
    // 1 indexes checked, 0 flag cleared (no production index), -1 the flag could not be
    // cleared, -2 the production index, -3 an NTX index could not be opened.
    int checkIndexFiles(const QString& path, bool showMessages) const;
    // The reader keeps no configuration: nothing to reset.
    static bool resetEngineConfiguration() { return true; }

    // Index file names of a table.
    static QString productionIndexName(const QString& path);
    static QString mdxName(const QString& path);
    static QString ntxName(const QString& path, int number);

    static constexpr qint64 ProductionIndexFlagOffset = 28;

private:
    void report(bool showMessages, const QString& caption, const QString& text) const;
};
