#pragma once

#include <QString>

// Where the program keeps its settings. A suite keeps them in its settings folder beside the
// program; a program installed where its user may not write (a package under /opt) keeps
// them in the user's configuration folder instead, seeded once from the file shipped beside
// the program.
namespace SettingsFile {

// programFile is "<program folder>/Lectoria/Lectoria.ini": it is the answer while its folder
// can be written (or the file itself can); else userFile(), copied from programFile when it
// does not exist yet.
QString choose(const QString& programFile);
// "<configuration folder>/lectoria/Lectoria.ini": $XDG_CONFIG_HOME (when it is an absolute
// path), by default ~/.config.
QString userFile();
// After choose: neither folder can be written, so the shipped settings are only read and
// nothing the user changes is kept.
bool cannotBeKept();

} // namespace SettingsFile
