#pragma once

#include <QString>

// The status bar's words that several parts of the window say, worded in one place.
namespace StatusTexts {

// A document or folder the tree has no node for.
QString notInTree(const QString& path);
// How a copy ended.
QString copied(int documents, const QString& targetFolder);
// PDF documents without text (scans) that a search could not look through.
QString pdfWithoutText(int documents);

} // namespace StatusTexts
