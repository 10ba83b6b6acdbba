#include "replacehtml.h"

#include "contextpattern.h"
#include "documentlayout.h"
#include "messagereporter.h"
#include "platform.h"
#include "textencoding.h"
#include "userworkdir.h"
#include "wdirfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace {

// The classic default values of the system colours (0x00BBGGRR), by index.
constexpr quint32 systemColors[] = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xD77800, 0xF0F0F0,
};

} // namespace

ReplaceHTML_t::ReplaceHTML_t(const QString& documentPath, const QString& context) : Context(context)
{
    SetColors(0xFFFFFF, 255);
    PrepareWorkDir(documentPath);
}

ReplaceHTML_t::~ReplaceHTML_t()
{
    if (DeleteOnDestroy)
        DeleteWorkFiles();
}

void ReplaceHTML_t::PrepareWorkDir(const QString& documentPath)
{
    WorkDir = UserWorkDir::highlightWorkDir();
    if (!WorkDir.isEmpty()) {
        Platform::removeTree(WorkDir);
        QDir().mkpath(WorkDir);
    }
    DocumentPath = documentPath;
    if (documentPath.isEmpty() || WorkDir.isEmpty())
        return;
    const QFileInfo document(documentPath);
    const QString filesName = DocumentLayout::companionFolderName(document.fileName());
    WorkFileName = WorkDir + QStringLiteral("/NormDoc.htm");
    WorkFilesDir = WorkDir + u'/' + filesName;
    DocumentFilesDir = DocumentLayout::joinPath(document.path(), filesName);
}

quint32 ReplaceHTML_t::resolvedColor(quint32 color)
{
    if (color & 0x80000000u) {
        const quint32 index = color & 0xFFu;
        return index < std::size(systemColors) ? systemColors[index] : 0;
    }
    return color & 0xFFFFFFu;
}

QString ReplaceHTML_t::styleColor(quint32 color)
{
    color = resolvedColor(color);
    const auto pair = [](quint32 value) {
        return QStringLiteral("%1").arg(value & 0xFFu, 2, 16, QLatin1Char('0'));
    };
    return pair(color) + pair(color >> 8) + pair(color >> 16);
}

void ReplaceHTML_t::SetColors(quint32 fontColor, quint32 backColor)
{
    FontColor = fontColor;
    BackColor = backColor;
    OpenTag = QStringLiteral("<span style='color:") + styleColor(FontColor) +
              QStringLiteral(";background:") + styleColor(BackColor) + QStringLiteral("'>");
    CloseTag = QStringLiteral("</span>");
}

namespace {

// Wraps the occurrences of a text that comes in pieces (joined lines, chunk by chunk); the
// tail that could still begin an occurrence is held back until the next piece.
class HighlightStream
{
public:
    HighlightStream(const ContextPattern& pattern, const QByteArray& openTag,
                    const QByteArray& closeTag)
        : m_pattern(pattern), m_openTag(openTag), m_closeTag(closeTag)
    {
    }
    // Appends to out what is settled once text follows what came before; last ends the text.
    void feed(const QByteArray& text, bool last, QByteArray& out)
    {
        m_pending.append(text);
        qsizetype from = 0;
        if (m_pattern.isValid()) {
            for (;;) {
                const qsizetype at = m_pattern.find(m_pending.constData(), m_pending.size(), from);
                if (at < 0)
                    break;
                out.append(m_pending.constData() + from, at - from);
                out.append(m_openTag);
                out.append(m_pending.constData() + at, m_pattern.length());
                out.append(m_closeTag);
                from = at + m_pattern.length();
            }
        }
        const qsizetype keep = m_pattern.isValid() ? m_pattern.length() - 1 : 0;
        const qsizetype settled = last ? m_pending.size() : std::max(from, m_pending.size() - keep);
        out.append(m_pending.constData() + from, settled - from);
        m_pending.remove(0, settled);
    }

private:
    const ContextPattern& m_pattern;
    QByteArray m_openTag;
    QByteArray m_closeTag;
    QByteArray m_pending;
};

constexpr qsizetype highlightChunk = 256 * 1024;

} // namespace

QByteArray ReplaceHTML_t::highlighted(const QByteArray& rawText, const QString& context,
                                      bool caseSensitive, const QByteArray& openTag,
                                      const QByteArray& closeTag)
{
    // The encoding is decided on the document's own bytes, as the search decides it.
    const ContextPattern pattern(context, caseSensitive,
                                 TextEncoding::detect(rawText.constData(), rawText.size()));
    QByteArray joined = TextEncoding::joinLines(rawText);
    QByteArray out;
    out.reserve(joined.size() + joined.size() / 8);
    HighlightStream(pattern, openTag, closeTag).feed(joined, true, out);
    return out;
}

bool ReplaceHTML_t::HighlightContext()
{
    // Opened without waiting and read only when it is a regular file; read and written in
    // chunks, so a large document takes little memory.
    Platform::ReadOnlyFile source(DocumentPath);
    if (!source.isOpen())
        return false;
    bool written = false;
    QFile copy(WorkFileName);
    if (!WorkFileName.isEmpty() && copy.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::vector<char> buffer(static_cast<size_t>(highlightChunk));
        qsizetype held = source.readFull(buffer.data(), highlightChunk);
        const ContextPattern pattern(
            Context, CaseSensitive,
            TextEncoding::detect(buffer.data(), std::max<qsizetype>(held, 0)));
        HighlightStream stream(pattern, OpenTag.toLatin1(), CloseTag.toLatin1());
        TextEncoding::LineJoiner joiner;
        QByteArray joined;
        QByteArray out;
        while (held >= 0) {
            const bool last = held < highlightChunk;
            joined.clear();
            joiner.feed(buffer.data(), held, joined);
            if (last)
                joiner.finish(joined);
            out.clear();
            stream.feed(joined, last, out);
            if (copy.write(out) != out.size())
                break;
            if (last) {
                written = copy.flush();
                break;
            }
            held = source.readFull(buffer.data(), highlightChunk);
        }
    }
    if (!DocumentFilesDir.isEmpty() && Platform::isFolder(DocumentFilesDir))
        WDirFile().CopyDir(DocumentFilesDir, WorkFilesDir, QStringLiteral("*.*"));
    return written;
}

void ReplaceHTML_t::DeleteWorkFiles()
{
    if (!WorkFileName.isEmpty() && QFileInfo::exists(WorkFileName) &&
        !WDirFile().DeleteOneFile(WorkFileName))
        MessageReporter::report(QStringLiteral("Предупреждение"),
                                QStringLiteral("Не могу удалить файл ") + WorkFileName);
    if (!WorkFilesDir.isEmpty() && QFileInfo::exists(WorkFilesDir))
        WDirFile().DeleteDir(WorkFilesDir, QStringLiteral("*.*"));
}
