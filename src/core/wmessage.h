#pragma once

#include <QString>

// System queries of the support library.
class WMessage
{
public:
    const QString Description =
        QStringLiteral("WMessage: Класс для работы с системными сообщениями");

    // The computer's network name, at most 63 characters.
    QString ComputerName() const;
};
