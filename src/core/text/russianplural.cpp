#include "text/russianplural.h"

namespace RussianPlural {

QString form(qint64 number, const QString& one, const QString& few, const QString& many)
{
    const qint64 tens = (number < 0 ? -number : number) % 100;
    const qint64 units = tens % 10;
    if (tens >= 11 && tens <= 14)
        return many;
    if (units == 1)
        return one;
    if (units >= 2 && units <= 4)
        return few;
    return many;
}

QString counted(qint64 number, const QString& one, const QString& few, const QString& many)
{
    return QString::number(number) + u' ' + form(number, one, few, many);
}

} // namespace RussianPlural
