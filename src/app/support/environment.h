#pragma once

#include <QString>

// What the process needs before the application object exists.
namespace Environment {

// The embedded browser cannot use its sandbox as root: it is switched off there.
void prepareWebEngine();
// Empty when a display is available, else one line saying how to start the program.
QString missingDisplayMessage();

} // namespace Environment
