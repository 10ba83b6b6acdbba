#pragma once

#include <QString>
#include <QStringList>

// The find box's history: the last twenty contexts, newest first, kept in the settings file
// (AppSettings::searchHistory).
namespace SearchHistory {

constexpr int Size = 20;

// The list with text put first: equal entries (exact comparison) removed, the oldest dropped
// beyond twenty. A text of blanks only changes nothing.
QStringList added(const QStringList& history, const QString& text);

} // namespace SearchHistory
