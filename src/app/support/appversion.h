#pragma once

#include <QString>

// The version of this build, as the About dialog and the help name it.
namespace AppVersion {

// "1.20.YYMMDD": the project's version and the date of the sources' last commit.
QString text();
// What `git describe` said of the sources at build time; empty when they were no checkout.
QString build();

} // namespace AppVersion
