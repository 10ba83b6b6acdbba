#pragma once

#include <QString>

// How a documentation directory lies on disk: which entries are documents, ordinary
// folders, picture folders of documents and folder pages, and how a document is captioned.
namespace DocumentLayout {

// "_index.htm" in any letter case: the folder's own page, never a node of its own.
bool isFolderPage(const QString& name);
// A folder whose name contains ".files" (exact case) holds the parts of a document.
bool isCompanionFolder(const QString& name);
// ".lectoria": the folder of a library's shared index, never shown and never searched.
bool isIndexFolder(const QString& name);
// A name whose extension (from the last dot) is ".htm" or ".pdf" in any letter case.
bool isDocument(const QString& name);
// A name whose extension is ".pdf" in any letter case: a PDF document.
bool isPdfDocument(const QString& name);
// The name up to the first ".htm" in any letter case ("a.htm.htm" is "a"); a PDF's name
// without its extension.
QString documentCaption(const QString& name);
// The page shown for a folder: its "_index.htm" (any letter case); empty when it has none.
QString folderPagePath(const QString& folder);
// The companion folder name of a document: the name with its extension changed to ".files";
// empty for a PDF, which has none.
QString companionFolderName(const QString& documentName);
// dir joined with name by one separator.
QString joinPath(const QString& dir, const QString& name);

} // namespace DocumentLayout
