#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The lowest layer of the search: how a document's bytes are read as text. It knows the
// encodings and the line joining, and nothing of contexts or files.
namespace TextEncoding {

enum class Encoding
{
    Windows1251,
    Utf8
};

// The windows-1251 bytes of text; none when a character has no windows-1251 form.
std::optional<QByteArray> toWindows1251(const QString& text);

// The raw text with every line ending (CR LF, LF, CR) made CR LF and the last line ended.
QByteArray joinLines(const QByteArray& raw);

// joinLines for a text that comes in pieces (a file read chunk by chunk): a CR LF split
// between two pieces stays one line end.
class LineJoiner
{
public:
    // Appends the joined form of the next raw bytes to out.
    void feed(const char* data, qsizetype size, QByteArray& out);
    // After the last piece: a last line without its line end gets one.
    void finish(QByteArray& out);

private:
    bool m_afterCr = false;  // the last byte was CR: an LF right after it belongs to it
    bool m_lineOpen = false; // bytes since the last line end
};

// The encoding a document is read in: UTF-8 when it starts with the byte-order mark or its
// first DeclarationWindow bytes declare charset=utf-8 (or utf8); windows-1251 otherwise.
Encoding detect(const char* head, qsizetype size);
inline constexpr qsizetype DeclarationWindow = 2048;

} // namespace TextEncoding
