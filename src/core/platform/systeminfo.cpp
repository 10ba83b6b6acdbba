#include "platform/systeminfo.h"

#include <QSysInfo>

QString SystemInfo::computerName()
{
    return QSysInfo::machineHostName().left(63);
}
