#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What the user guide's window may load: regular files of the guide's own folder (its
// pictures and pages), each opened without waiting and under a size limit.
namespace GuideFile {

inline constexpr qsizetype SizeLimit = 16 * 1024 * 1024;

// The bytes of path, when it lies in folder (links resolved) and is a regular file no larger
// than the limit; nothing otherwise.
std::optional<QByteArray> read(const QString& folder, const QString& path,
                               qsizetype limit = SizeLimit);

} // namespace GuideFile
