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

QByteArray ReplaceHTML_t::highlighted(const QByteArray& joinedText, const QString& context,
                                      bool caseSensitive, const QByteArray& openTag,
                                      const QByteArray& closeTag)
{
    const ContextPattern pattern(context, caseSensitive,
                                 TextEncoding::detect(joinedText.constData(), joinedText.size()));
    if (!pattern.isValid())
        return joinedText;
    // One pass: the output is built as the scan goes, instead of inserting into the text.
    QByteArray out;
    out.reserve(joinedText.size() + joinedText.size() / 8);
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = pattern.find(joinedText.constData(), joinedText.size(), from);
        if (at < 0)
            break;
        out.append(joinedText.constData() + from, at - from);
        out.append(openTag);
        out.append(joinedText.constData() + at, pattern.length());
        out.append(closeTag);
        from = at + pattern.length();
    }
    out.append(joinedText.constData() + from, joinedText.size() - from);
    return out;
}

bool ReplaceHTML_t::HighlightContext()
{
    QFile source(DocumentPath);
    if (!QFileInfo(DocumentPath).isFile() || !source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = TextEncoding::joinLines(source.readAll());
    source.close();
    bool written = false;
    if (!WorkFileName.isEmpty()) {
        QFile copy(WorkFileName);
        if (copy.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            const QByteArray bytes =
                highlighted(text, Context, CaseSensitive, OpenTag.toLatin1(), CloseTag.toLatin1());
            written = copy.write(bytes) == bytes.size() && copy.flush();
        }
    }
    if (!DocumentFilesDir.isEmpty() && QFileInfo(DocumentFilesDir).isDir())
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
