#pragma once

#include "pdf/pdftext.h"

#include <QString>

#include <atomic>

// Reads the text of PDF files through lectoria-pdftext, a process of its own with limited
// memory: a damaged or hostile file can end or hang only that process, which is then ended
// and started again for the next file, the file counted unreadable. Each thread that reads
// keeps a reader process of its own, so the search's threads read side by side.
namespace PdfTextReader {

// The text of the file at path; unreadable when the reader cannot be started, dies, or takes
// longer than a limit that grows with the file's size. cancel, when set, ends the reading
// (the file is then unreadable).
PdfText read(const QString& path, const std::atomic<bool>* cancel = nullptr);

// Where the reader program is: the environment's LECTORIA_PDFTEXT, else beside this
// program, else on the PATH; empty when it is nowhere.
QString program();

// The time a file may take at most, in milliseconds.
qint64 timeLimit(qint64 fileSize);

} // namespace PdfTextReader
