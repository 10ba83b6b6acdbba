#include "support/environment.h"

#include "platform/platform.h"

#include <QtGlobal>

void Environment::prepareWebEngine()
{
    if (Platform::isAdministrator() && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

QString Environment::missingDisplayMessage()
{
    if (Platform::needsDisplayServer() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return QStringLiteral("lectoria: no display found; start it in a desktop session, or "
                              "without one under a virtual display: xvfb-run -a scripts/run.sh");
    return QString();
}
