#pragma once

#include <QString>

// A designation of a normative or estimate document found in a text: "СП 48.13330.2019",
// "СНиП 3.03.01-87*", "ГЭСН 81-02-06-2022".
struct Designation
{
    // The kind as the rule's table names it ("ГОСТ Р", "СНиП").
    QString kind;
    // The number without its year, separators as written (every dash as "-"): "3.03.01".
    QString number;
    // The year of the edition, four digits; 0 when none is written.
    int edition = 0;
    // The year as written, with the separator before it: "-87", ".2019"; empty without one.
    QString writtenYear;
    // The edition star: a reissue with changes ("СНиП 3.03.01-87*").
    bool starred = false;
    // A note of changes written just after it ("изм. № 1", "с изменениями"), or empty.
    QString amendment;
    // Where it stands in the text it was found in: [begin, end) of its characters.
    qsizetype begin = 0;
    qsizetype end = 0;

    // Names the document whatever its edition: the kind and the groups of the number, each
    // separator as ".": "СП 48.13330". Two editions of a document share it.
    QString key() const;
    // As a reader writes it: "СП 48.13330.2019", "СНиП 3.03.01-87*".
    QString text() const;
    // The same document and edition: an edition not written fits any.
    bool sameAs(const Designation& other) const;
};
