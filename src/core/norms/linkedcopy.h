#pragma once

#include "norms/designation.h"
#include "norms/partreferences.h"

#include <QByteArray>

#include <functional>

// The copy of a page in which each designation of its text is wrapped as the caller decides
// (a link to the document it names, a mark for one the library does not hold, or nothing):
// the tags go around each piece of text the designation covers, so that markup, character
// references and the marks of a search stay whole. The page is read in pieces; the memory
// needed is the page and its copy.
namespace LinkedCopy {

struct Wrap
{
    QByteArray open; // ASCII; empty: the designation is left as it is
    QByteArray close;
};

// wrapped, when given, receives the number of designations wrapped.
QByteArray linked(const QByteArray& page, const std::function<Wrap(const Designation&)>& wrap,
                  int* wrapped = nullptr);

// How each designation and each reference to a part (PartReferences) is wrapped; a reference
// is given the designation of the document it names, or none for the page's own.
struct Wrappers
{
    std::function<Wrap(const Designation&)> designation;
    std::function<Wrap(const PartReference&, const Designation*)> part;
};
// wrapped, when given, receives the number of designations and references wrapped.
QByteArray linked(const QByteArray& page, const Wrappers& wrappers, int* wrapped = nullptr);

// Text as ASCII for an attribute value: every character past ASCII, and the quotes, as a
// numeric character reference.
QByteArray attributeText(const QString& text);

} // namespace LinkedCopy
