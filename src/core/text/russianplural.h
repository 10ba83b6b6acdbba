#pragma once

#include <QString>

// Russian nouns after a number: "1 документ", "3 документа", "11 документов", "21 документ".
namespace RussianPlural {

// The form of the noun that follows number: one ("документ"), few ("документа") or many
// ("документов").
QString form(qint64 number, const QString& one, const QString& few, const QString& many);
// The number and its noun: "21 совпадение".
QString counted(qint64 number, const QString& one, const QString& few, const QString& many);

} // namespace RussianPlural
