#pragma once

#include "index/indexupdater.h"

#include <QTest>

// Waits until documents written just now are old enough for the index to trust their stamps.
inline void waitForStampsToSettle()
{
    QTest::qSleep(int(IndexUpdater::SettleTime / 1000000) + 100);
}
