#include "environment.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

void Environment::prepareWebEngine()
{
#ifdef Q_OS_UNIX
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

QString Environment::missingDisplayMessage()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return QStringLiteral("lectoria: no display found; start it in a desktop session, or "
                              "without one under a virtual display: xvfb-run -a scripts/run.sh");
#endif
    return QString();
}
