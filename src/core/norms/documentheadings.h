#pragma once

#include <QByteArray>
#include <QString>

// The title of a page (<title>) and its first heading (h1 to h6), as text mode reads them,
// looked for in the first part of the page only.
struct DocumentHeadings
{
    QString title;
    QString heading;

    // Where the title and the heading are looked for: the first units of a page.
    static constexpr qsizetype HeadWindow = 64 * 1024;

    static DocumentHeadings read(const QByteArray& raw);
};
