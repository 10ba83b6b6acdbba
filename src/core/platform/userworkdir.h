#pragma once

#include <QString>

// This running program's own working folder, under which the viewer's and the highlighting
// working copies live. It is made fresh and private for each program (as mkdtemp makes it),
// so no other user, and no other running program of the same user, can have put anything in
// it; it is removed, without following links, when the program closes. Folders left by
// programs that are no longer running are removed at the next start.
namespace UserWorkDir {

// The folder ("<temp>/lectoria-<user>-XXXXXX"), made at the first call; empty when none can
// be made. A new one is made when the temporary folder changes or the old one is gone.
QString base();
// "<base>/Q.temp/" (with its trailing separator): the viewer's working directory. Another
// viewer beside the first (slot 1, 2, ...) has its own: "<base>/Q2.temp/".
QString viewerWorkDir(int slot = 0);
// "<base>/Temp/NormDoc": the folder of the highlighted copies ("<base>/Temp/NormDoc2" for
// slot 1).
QString highlightWorkDir(int slot = 0);
// Removes this program's folder with everything in it.
void removeBase();
// Removes the working folders that programs no longer running have left in the temporary
// folder; folders of running programs, other users' folders and links stay.
void removeLeftovers();

} // namespace UserWorkDir
