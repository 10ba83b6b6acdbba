#pragma once

// PDF files for tests, made here: text pages written with Qt's PDF writer (DejaVu Sans, so
// Cyrillic text has a text layer), a page of a picture only (a scan), and hand-made files that
// no reader can read (locked by a password).
#include <QFile>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>

namespace TestPdf {

// Each page's lines, written top to bottom; an empty list makes a page without text.
inline bool writePages(const QString& path, const QList<QStringList>& pages)
{
    QPdfWriter writer(path);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&writer);
    if (!painter.isActive())
        return false;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    painter.setFont(font);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        int y = 60;
        for (const QString& line : pages.at(i)) {
            painter.drawText(50, y, line);
            y += 18;
        }
        if (pages.at(i).isEmpty()) {
            QImage picture(200, 100, QImage::Format_RGB32);
            picture.fill(Qt::gray);
            painter.drawImage(QRect(50, 50, 400, 200), picture);
        }
    }
    return painter.end();
}

// A PDF whose text cannot be read without its password.
// Objects numbered from 1 as a PDF file, with its cross-reference table.
inline QByteArray fileOf(const QList<QByteArray>& objects, const QByteArray& trailer)
{
    QByteArray out = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets.append(out.size());
        out += QByteArray::number(i + 1) + " 0 obj\n" + objects.at(i) + "\nendobj\n";
    }
    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + trailer +
           " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

// Two pages with the file's own bookmarks ("Introduction" on page 1, "Second part" on page
// 2) and, on page 1, a link to page 2 over the line "Contents: see page two".
inline bool writeWithBookmarks(const QString& path)
{
    const auto stream = [](const QByteArray& text) {
        const QByteArray content = "BT /F1 14 Tf 50 780 Td (" + text + ") Tj ET";
        return "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content +
               "\nendstream";
    };
    const QByteArray page = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources "
                            "<< /Font << /F1 5 0 R >> >> ";
    const QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R /Outlines 8 0 R >>",
        "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>",
        page + "/Contents 6 0 R /Annots [11 0 R] >>",
        page + "/Contents 7 0 R >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
        stream("Contents: see page two"),
        stream("Second part of the rules"),
        "<< /Type /Outlines /First 9 0 R /Last 10 0 R /Count 2 >>",
        "<< /Title (Introduction) /Parent 8 0 R /Next 10 0 R /Dest [3 0 R /XYZ 0 842 0] >>",
        "<< /Title (Second part) /Parent 8 0 R /Prev 9 0 R /Dest [4 0 R /XYZ 0 842 0] >>",
        "<< /Type /Annot /Subtype /Link /Rect [45 770 320 800] /Border [0 0 0] "
        "/Dest [4 0 R /XYZ 0 842 0] >>",
    };
    const QByteArray out = fileOf(objects, " /Root 1 0 R");
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

inline bool writeLocked(const QString& path)
{
    const QByteArray filler(32, '\x5A');
    const QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 5 0 R >>",
        "<< /Filter /Standard /V 1 /R 2 /O <" + filler.toHex() + "> /U <" +
            QByteArray(32, '\x33').toHex() + "> /P -4 >>",
        "<< /Length 44 >>\nstream\nBT /F1 12 Tf 20 100 Td (secret text) Tj ET\nendstream",
    };
    const QByteArray out =
        fileOf(objects, " /Root 1 0 R /Encrypt 4 0 R /ID [<0123456789abcdef0123456789abcdef> "
                        "<0123456789abcdef0123456789abcdef>]");
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

} // namespace TestPdf
