#pragma once

#include "pdf/pdftextcache.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The texts of PDF files kept on disk for the next run (the terminal's searches, the window
// after a restart, an indexed search that reads its candidates): one file per PDF in the
// user's cache folder, named by a hash of the PDF's path, holding the stamp the PDF had when
// it was read. A text is given only for the same stamp, and is kept only when that stamp was
// older than the reading (see Platform::FileStamp::isSettledAt). A damaged or foreign file
// there is no text. Kept as it is, not packed: unpacking cost a search of common words a
// third of its time, and the text takes about the room of the index's own copy.
namespace PdfTextStore {

std::optional<PdfTextCache::Entry> load(const QString& path, const QByteArray& stamp);
void save(const QString& path, const QByteArray& stamp, const PdfTextCache::Entry& entry);
// The folder the texts are kept in.
QString folder();

} // namespace PdfTextStore
