#include "support/appversion.h"

#include "appversion_config.h"

QString AppVersion::text()
{
    return QStringLiteral(LECTORIA_VERSION_TEXT);
}

QString AppVersion::build()
{
    return QStringLiteral(LECTORIA_BUILD);
}
