#include "tree/treefileoperations.h"

#include "dialogs/appmessagebox.h"
#include "dialogs/folderchooser.h"
#include "dialogs/progressdialog.h"
#include "library/directorylisting.h"
#include "library/filetree.h"
#include "platform/messagereporter.h"
#include "platform/platform.h"
#include "tree/documenttree.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QTreeWidgetItem>

namespace {

// The tree's messages name the program.
QString messageCaption()
{
    return MessageReporter::ProgramCaption;
}

// A file's size and time of writing, as the question of a copy shows them.
QString fileFacts(const QString& path)
{
    const QFileInfo file(path);
    if (path.isEmpty() || !file.exists())
        return QStringLiteral("—");
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    return russian.formattedDataSize(file.size(), 1, QLocale::DataSizeTraditionalFormat) +
           QStringLiteral(", ") +
           russian.toString(file.lastModified(), QStringLiteral("dd.MM.yyyy HH:mm"));
}

} // namespace

namespace TreeFileOperations {

void deleteNode(QTreeWidgetItem* node)
{
    if (!node)
        return;
    const DocumentTree::NodeData record = DocumentTree::nodeData(node);
    if (record.kind == NodeKind::Folder)
        FileTree().deleteDir(record.path, QStringLiteral("*.*"));
    else
        FileTree().deleteWritableFile(record.path);
    // What is still there (a read-only document, a folder that could not be emptied) keeps
    // its node: the tree never shows a file as gone that is not.
    FolderId id;
    if (record.kind == NodeKind::Folder ? DirectoryListing::folderId(record.path, &id)
                                        : Platform::isFile(record.path))
        return;
    delete node;
}

std::optional<DocumentCopy> planCopy(const QTreeWidgetItem* node, QWidget* dialogParent,
                                     const QString& startFolder)
{
    if (!node)
        return std::nullopt;
    const QString chosen = FolderChooser::choose(
        dialogParent, QStringLiteral("Выбор директории для копирования"), startFolder);
    if (chosen.isEmpty())
        return std::nullopt;
    const DocumentTree::NodeData record = DocumentTree::nodeData(node);
    DocumentCopy copy = DocumentCopy::plan(record.path, record.kind == NodeKind::Folder, chosen);
    switch (copy.problem()) {
    case DocumentCopy::Problem::IntoItself:
        AppMessageBox::show(dialogParent, messageCaption(),
                            QStringLiteral("Папку нельзя скопировать в саму себя или в одну "
                                           "из её папок:\n") +
                                copy.problemPath());
        return std::nullopt;
    case DocumentCopy::Problem::TargetNotMade:
        AppMessageBox::show(dialogParent, messageCaption(),
                            QStringLiteral("Ошибка при создании директории:\n") +
                                copy.problemPath());
        return std::nullopt;
    case DocumentCopy::Problem::None:
        break;
    }
    if (!copy.problemPath().isEmpty()) // the picture folder's target; the document is copied
        AppMessageBox::show(dialogParent, messageCaption(),
                            QStringLiteral("Ошибка при создании директории:\n") +
                                copy.problemPath());
    // Nothing is replaced without the user's word.
    QSet<QString> kept;
    const QStringList existing = copy.existingTargets();
    for (qsizetype i = 0; i < existing.size(); ++i) {
        const auto answer = AppMessageBox::show(
            dialogParent, QStringLiteral("Копирование"),
            QStringLiteral("Файл уже есть в папке назначения:\n%1\n\nПрежний: %2\nНовый: "
                           "%3\n\nЗаменить его?\n«Да» — заменить, «Нет» — оставить прежний, «Да "
                           "для всех» — заменить и остальные, «Нет для всех» — оставить и "
                           "остальные.")
                .arg(QDir::toNativeSeparators(existing.at(i)), fileFacts(existing.at(i)),
                     fileFacts(copy.sourceOf(existing.at(i)))),
            QMessageBox::Question,
            QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll | QMessageBox::NoToAll |
                QMessageBox::Cancel,
            QMessageBox::No);
        if (answer == QMessageBox::Cancel)
            return std::nullopt;
        if (answer == QMessageBox::YesToAll)
            break;
        if (answer == QMessageBox::NoToAll) {
            for (qsizetype rest = i; rest < existing.size(); ++rest)
                kept.insert(existing.at(rest));
            break;
        }
        if (answer != QMessageBox::Yes)
            kept.insert(existing.at(i));
    }
    copy.setKept(kept);
    return copy;
}

bool copyNode(const QTreeWidgetItem* node, QWidget* dialogParent)
{
    const std::optional<DocumentCopy> copy = planCopy(node, dialogParent);
    if (!copy)
        return false;
    ProgressDialog progress(dialogParent, QStringLiteral("Копирование"),
                            QStringLiteral("Копирование файлов. Ждите..."));
    progress.showNow();
    return copy->run();
}

} // namespace TreeFileOperations
