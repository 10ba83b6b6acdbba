#pragma once

#include "norms/designation.h"
#include "norms/partaddress.h"

#include <QStringView>

#include <QList>

#include <vector>

// A reference to a part of a norm in running text: "п. 5.2.3", "пунктом 4.7", "табл. 3",
// "раздела 6", "приложения Б", "пп. 5.2–5.4" (each number a reference of its own).
struct PartReference
{
    PartAddress address;
    // What the link covers: the word and the first number ("п. 5.2"), or a number alone after
    // it ("5.4" of "пп. 5.2–5.4"); [begin, end) of the text's characters.
    qsizetype begin = 0;
    qsizetype end = 0;
    // The document the part belongs to: the index of a designation given; -1: the document
    // that holds the text.
    int designation = -1;
};

namespace PartReferences {

// The references of text from from on, each bound to the designation that names its document:
// one written just after it ("п. 5.2.3 СП 48.13330.2019") or just before ("СП 48.13330.2019,
// п. 5.2"), else the first one later in the same sentence; none binds a reference followed by
// "настоящего", nor one with no designation after it in its sentence. designations are those
// of text in order, as DesignationRule finds them; no reference lies within one.
std::vector<PartReference> find(QStringView text, qsizetype from,
                                const QList<Designation>& designations);

} // namespace PartReferences
