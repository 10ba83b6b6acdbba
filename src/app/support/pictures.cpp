#include "support/pictures.h"

#include <QApplication>
#include <QHash>
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

QIcon Pictures::icon(Picture picture)
{
    // One icon of each picture for the whole program: a copy shares its pixmaps, where a
    // style's new icon would decode its images again for every tree item painted.
    static QHash<int, QIcon> made;
    const auto known = made.constFind(int(picture));
    if (known != made.constEnd())
        return *known;
    QStyle::StandardPixmap standard = QStyle::SP_FileIcon;
    switch (picture) {
    case Picture::Folder:
        standard = QStyle::SP_DirIcon;
        break;
    case Picture::Document:
        standard = QStyle::SP_FileIcon;
        break;
    case Picture::CloseAllFolders:
        standard = QStyle::SP_DirClosedIcon;
        break;
    case Picture::OpenAllFolders:
        standard = QStyle::SP_DirOpenIcon;
        break;
    case Picture::Refresh:
        standard = QStyle::SP_BrowserReload;
        break;
    case Picture::Open:
        standard = QStyle::SP_DialogOpenButton;
        break;
    case Picture::Delete:
        standard = QStyle::SP_TrashIcon;
        break;
    case Picture::OpenInWord:
        standard = QStyle::SP_FileDialogDetailedView;
        break;
    case Picture::Search:
        standard = QStyle::SP_FileDialogContentsView;
        break;
    case Picture::CancelSearch:
        standard = QStyle::SP_DialogCancelButton;
        break;
    case Picture::SearchOptions:
        standard = QStyle::SP_FileDialogInfoView;
        break;
    case Picture::CopyTo:
        standard = QStyle::SP_DialogSaveButton;
        break;
    }
    const QIcon icon = QApplication::style()->standardIcon(standard);
    made.insert(int(picture), icon);
    return icon;
}
