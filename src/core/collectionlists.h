#pragma once

#include <QString>
#include <QStringList>

// The root directories and display names of the two collections.
namespace CollectionLists {

// The suite's installation table, relative to the suite folder.
inline const QString InstallationTable = QStringLiteral("TQ_W/instal.dbf");

// The normative documents: the external directory when one is chosen, else the suite's
// "NormDoc"; one empty display name.
void fillNormative(const QString& suiteDir, const QString& externalDirectory, QStringList& rootDirs,
                   QStringList& names);

// The technical parts: the "TT" folder of every base whose record has VID "b", named by the
// record's NAIM (code page 866), in file order. False when the table cannot be read (the
// lists stay empty; messages as the table access reports them).
bool fillTechnicalParts(const QString& suiteDir, QStringList& rootDirs, QStringList& names,
                        bool showMessages);

// A DIR value of the table as text: UTF-8 when valid, else windows-1251.
QString decodeDirectory(const QByteArray& raw);

} // namespace CollectionLists
