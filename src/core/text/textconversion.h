#pragma once

#include <QByteArray>
#include <QString>

// Small text conversions of the support library.
class TextConversion
{
public:
    // Text stored in the DOS code page (866), as the suite's tables hold it; no length limit.
    static QString fromOem(const QByteArray& oemText);
    // The path ending in a separator; the empty text stays empty.
    static QString withTrailingSlash(const QString& path);
};
