#include "folderdialog.h"

#include <QFileDialog>

namespace {
FolderDialog::Chooser& currentChooser()
{
    static FolderDialog::Chooser chooser;
    return chooser;
}
} // namespace

void FolderDialog::setChooser(Chooser chooser)
{
    currentChooser() = std::move(chooser);
}

QString FolderDialog::choose(QWidget* parent, const QString& caption)
{
    if (const auto& chooser = currentChooser())
        return chooser(caption);
    return QFileDialog::getExistingDirectory(parent, caption, QString(), QFileDialog::ShowDirsOnly);
}
