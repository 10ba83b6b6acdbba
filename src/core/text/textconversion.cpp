#include "text/textconversion.h"

#include "platform/platform.h"

#include <QStringDecoder>

QString TextConversion::fromOem(const QByteArray& oemText)
{
    QStringDecoder decoder("IBM866");
    if (!decoder.isValid())
        return QString::fromLatin1(oemText);
    return decoder.decode(oemText);
}

QString TextConversion::withTrailingSlash(const QString& path)
{
    if (path.isEmpty() || Platform::endsWithSeparator(path))
        return path;
    return path + u'/';
}
