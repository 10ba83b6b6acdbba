// The two collections and the choice of the documentation directory.
#include "tform1.h"

#include "appsettings.h"
#include "collectionlists.h"
#include "tselectdirdialog1.h"

#include <QRadioButton>
#include <QToolButton>

bool TForm1::FillCollectionLists(QStringList& rootDirs, QStringList& names)
{
    if (NormDocButton1->isChecked()) {
        CollectionLists::fillNormative(GetSuiteDir(), ExternalDirectory, rootDirs, names);
        return true;
    }
    return CollectionLists::fillTechnicalParts(GetSuiteDir(), rootDirs, names, true);
}

void TForm1::OpenButton1Click()
{
    TSelectDirDialog1 dialog(this);
    dialog.setChosenDirectory(ExternalDirectory);
    if (!dialog.ChosenDirectory.trimmed().isEmpty())
        dialog.VneshNormDocRadioButton1->setChecked(true);
    else
        dialog.ZebNormDocRadioButton1->setChecked(true);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    ExternalDirectory = dialog.ChosenDirectory;
    settings().setExternalDirectory(ExternalDirectory);
    Refresh1Click();
}

void TForm1::NormDocButton1Click()
{
    Refresh1Click();
}
