#pragma once

#include <QString>

// The user's own folders of the program, by the XDG rules: "$XDG_CACHE_HOME/lectoria"
// (~/.cache/lectoria) for what can be made again (indexes, the dictionary's families, PDF
// texts) and "$XDG_CONFIG_HOME/lectoria" (~/.config/lectoria) for the settings. A relative
// variable is ignored, as the rules say: files would land below whatever folder the program
// was started from.
namespace UserFolders {

QString cache();
QString config();

} // namespace UserFolders
