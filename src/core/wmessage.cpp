#include "wmessage.h"

#include <QSysInfo>

QString WMessage::ComputerName() const
{
    return QSysInfo::machineHostName().left(63);
}
