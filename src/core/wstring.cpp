#include "wstring.h"

#include "platform.h"

#include <QStringDecoder>

QString WString::OemToAnsi(const QByteArray& oemText) const
{
    QStringDecoder decoder("IBM866");
    if (!decoder.isValid())
        return QString::fromLatin1(oemText);
    return decoder.decode(oemText);
}

QString WString::WithBackslash(const QString& path) const
{
    if (path.isEmpty() || Platform::endsWithSeparator(path))
        return path;
    return path + u'/';
}
