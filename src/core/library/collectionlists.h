#pragma once

#include "dbase/dbasetableopener.h"

#include <QString>
#include <QStringList>

// The folders of a collection, as listed once for each build of its tree.
struct Collection
{
    QStringList folders;
    // One per folder: the technical parts' base names; empty for the normative documents.
    QStringList names;
    bool technicalParts = false;
};

// The root directories and display names of the two collections.
namespace CollectionLists {

// The suite's installation table, relative to the suite folder.
inline const QString InstallationTable = QStringLiteral("TQ_W/instal.dbf");

// The normative documents: the external directory when one is chosen, else the suite's
// "NormDoc"; one empty display name.
void fillNormative(const QString& suiteDir, const QString& externalDirectory, QStringList& rootDirs,
                   QStringList& names);

// The technical parts: the "TT" folder of every base whose record has VID "b", named by the
// record's NAIM (code page 866), in file order. A record whose DIR is empty or no absolute
// path names no base and is left out. The table is read a block at a time, only its three
// fields kept. False when the table cannot be read (the lists stay empty; messages as the
// table access reports them). The terminal search opens the table ReadOnly.
bool fillTechnicalParts(
    const QString& suiteDir, QStringList& rootDirs, QStringList& names, bool showMessages,
    DbaseTableOpener::Access access = DbaseTableOpener::Access::MaintainIndexes);

// A DIR value of the table as text: UTF-8 when valid, else windows-1251; its backslashes
// (the table is written on Windows) become "/".
QString decodeDirectory(const QByteArray& raw);

} // namespace CollectionLists
