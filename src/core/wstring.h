#pragma once

#include <QByteArray>
#include <QString>

// Small text conversions of the support library.
class WString
{
public:
    const QString Description = QStringLiteral("Класс WString");

    // Text stored in the DOS code page (866), as the suite's tables hold it; no length limit.
    QString OemToAnsi(const QByteArray& oemText) const;
    // The path ending in a separator; the empty text stays empty.
    QString WithBackslash(const QString& path) const;
};
