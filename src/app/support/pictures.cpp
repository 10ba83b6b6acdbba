#include "pictures.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

QPixmap Pictures::logo(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x1f, 0x6f, 0x8b));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, size - 2, size - 2), size / 8.0, size / 8.0);
    painter.setBrush(QColor(0xf4, 0xf1, 0xe4));
    painter.drawRect(QRectF(size * 0.22, size * 0.18, size * 0.56, size * 0.64));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(qMax(8, size / 2));
    painter.setFont(font);
    painter.setPen(QColor(0x1f, 0x6f, 0x8b));
    painter.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, QStringLiteral("Л"));
    return pixmap;
}

QIcon Pictures::appIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(logo(size));
    return icon;
}

QPixmap Pictures::splash()
{
    QPixmap pixmap(151, 84);
    pixmap.fill(QColor(0x00, 0x80, 0x80));
    QPainter painter(&pixmap);
    painter.drawPixmap(8, 18, logo(48));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(13);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(60, 0, 88, 84), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("Загрузка..."));
    return pixmap;
}

QList<QIcon> Pictures::imageList()
{
    QStyle* style = QApplication::style();
    const QStyle::StandardPixmap pictures[] = {
        QStyle::SP_DirIcon,                // 0 folder
        QStyle::SP_FileIcon,               // 1 document
        QStyle::SP_DirClosedIcon,          // 2 close all folders
        QStyle::SP_DirOpenIcon,            // 3 open all folders
        QStyle::SP_BrowserReload,          // 4 refresh
        QStyle::SP_DialogOpenButton,       // 5 open
        QStyle::SP_TrashIcon,              // 6 delete
        QStyle::SP_FileDialogDetailedView, // 7 open in Word
        QStyle::SP_FileDialogContentsView, // 8 start search
        QStyle::SP_DialogCancelButton,     // 9 cancel search
        QStyle::SP_FileDialogInfoView,     // 10 search parameters
        QStyle::SP_DialogSaveButton,       // 11 copy to
    };
    QList<QIcon> icons;
    for (const auto picture : pictures)
        icons.append(style->standardIcon(picture));
    return icons;
}
