#pragma once

#include <QString>

// System queries of the support library.
class SystemInfo
{
public:
    // The computer's network name, at most 63 characters.
    static QString computerName();
};
