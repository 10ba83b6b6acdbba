#pragma once

#include "norms/designation.h"

#include <QList>
#include <QStringView>

// Finds the designations of Russian normative and estimate documents in a text as the reader
// sees it (blanks collapsed, markup left out): a kind of the table ("СП", "ГОСТ Р", "ГЭСНм")
// and a number of digit groups joined by dots, dashes, slashes or a colon, with its year and
// edition star. Read as loosely as the name filter reads names (LooseLetters): "сп 48.13330",
// "CП 48.13330" with a Latin C and "СП\u00A048.13330" are one designation. A bare number, a
// clause ("п. 5.2.3"), a telephone number or a date is none.
namespace DesignationRule {

// Every designation of the text beginning at from or later, left to right (the text before
// from tells whether a word goes on there).
QList<Designation> find(QStringView text, qsizetype from = 0);
// The designation the text is, blanks around it aside; one with an empty kind when the text
// is not one designation.
Designation parse(QStringView text);

} // namespace DesignationRule
