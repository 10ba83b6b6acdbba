#include "norms/designation.h"

QString Designation::key() const
{
    QString groups = number;
    for (QChar& c : groups) {
        if (!c.isLetterOrNumber())
            c = u'.';
    }
    return number.isEmpty() ? kind : kind + u' ' + groups;
}

QString Designation::text() const
{
    QString out = kind;
    if (!number.isEmpty())
        out += u' ' + number;
    out += writtenYear;
    if (starred)
        out += u'*';
    return out;
}

bool Designation::sameAs(const Designation& other) const
{
    return key() == other.key() && (edition == 0 || other.edition == 0 || edition == other.edition);
}
