#pragma once

#include <QString>

// The status bar's words that several parts of the window say, worded in one place.
namespace StatusTexts {

// "1 документ", "3 документа", "5 документов", with what follows the noun.
QString documentsCounted(qint64 documents, const QString& after = QString());

// A document or folder the tree has no node for.
QString notInTree(const QString& path);
// The settings folder cannot be written: the file the program works with.
QString settingsNotKept(const QString& file);
// How a copy ended.
QString copied(int documents, const QString& targetFolder);
// What the words of a word-forms search find as a fragment of text: "Как фрагмент: 88
// документов".
QString asFragment(int documents);
// PDF documents without text (scans) that a search could not look through.
QString pdfWithoutText(int documents);

} // namespace StatusTexts
