#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>

// The lowest layer of the search: how a document's bytes are read as text. It knows the
// encodings and the line joining, and nothing of contexts or files.
namespace TextEncoding {

enum class Encoding
{
    Windows1251,
    Utf8,
    Utf16Le, // begins with the byte-order mark FF FE
    Utf16Be, // begins with the byte-order mark FE FF
};

inline bool isUtf16(Encoding encoding)
{
    return encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be;
}

// The character a windows-1251 byte stands for; U+FFFD for the one byte that stands for none.
char16_t fromWindows1251(unsigned char byte);
// The characters of the bytes 0x80-0xFF.
const char16_t* windows1251Upper();

// The 16-bit units of a UTF-16 document's bytes, in the machine's order (an odd last byte is
// left out).
std::u16string utf16Units(const char* data, qsizetype size, bool bigEndian);
// The bytes of 16-bit units in the document's order.
QByteArray utf16Bytes(const char16_t* units, qsizetype count, bool bigEndian);

// The windows-1251 bytes of text; none when a character has no windows-1251 form.
std::optional<QByteArray> toWindows1251(const QString& text);

// The raw text with every line ending (CR LF, LF, CR) made CR LF and the last line ended.
QByteArray joinLines(const QByteArray& raw);
// The same for the 16-bit units of a UTF-16 document.
std::u16string joinLines(const std::u16string& units);

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

// The encoding a document is read in: UTF-16 when it starts with a UTF-16 byte-order mark;
// UTF-8 when it starts with the UTF-8 one or its first DeclarationWindow bytes declare
// charset=utf-8 (or utf8); windows-1251 otherwise.
Encoding detect(const char* head, qsizetype size);
inline constexpr qsizetype DeclarationWindow = 2048;

} // namespace TextEncoding
