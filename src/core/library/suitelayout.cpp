#include "library/suitelayout.h"

#include <QFileInfo>

SuiteLayout::SuiteLayout(const QString& programFile)
    : m_programFile(QFileInfo(programFile).absoluteFilePath())
{
}

QString SuiteLayout::programFolder() const
{
    const QString folder = QFileInfo(m_programFile).absolutePath();
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString SuiteLayout::shippedSettingsFile() const
{
    return programFolder() + QStringLiteral("Lectoria/Lectoria.ini");
}

QString SuiteLayout::helpFile() const
{
    return programFolder() + QStringLiteral("Lectoria/") +
           QFileInfo(m_programFile).completeBaseName() + QStringLiteral(".htm");
}

QString SuiteLayout::suiteDir() const
{
    const QString folder = programFolder();
    const qsizetype cut = folder.lastIndexOf(u'/', folder.size() - 2);
    return cut < 0 ? folder : folder.left(cut + 1);
}
