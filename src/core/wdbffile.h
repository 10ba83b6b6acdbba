#pragma once

#include <QString>

// Access to the suite's dBase tables.
class WDbfFile
{
public:
    const QString Description = QStringLiteral("Класс WDbfFile");

    // The table reader needs no driver set-up; kept as the first step of window creation.
    static bool ConfigureDbaseDriver() { return true; }
};
