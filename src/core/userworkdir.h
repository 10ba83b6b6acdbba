#pragma once

#include <QString>

// The private per-user directory under which the viewer's and the highlighting working
// copies live. A folder shared by all users would let another user read or plant them, so
// the base is created with mode 0700 and used only when it is a real directory owned by
// the current user.
namespace UserWorkDir {

// The base directory, created when missing; empty when no safe base can be had.
QString base();
// "<base>/Q.temp/" (with its trailing separator): the viewer's working directory.
QString viewerWorkDir();
// "<base>/Temp/NormDoc": the folder of the highlighted copies.
QString highlightWorkDir();
// Removes the base when nothing is left in it (after both working directories are gone).
void removeBaseIfEmpty();

} // namespace UserWorkDir
