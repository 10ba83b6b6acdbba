#include "replacehtml.h"

#include "userworkdir.h"
#include "wdirfile.h"

#include <QDir>
#include <QFileInfo>

ReplaceHTML_t::ReplaceHTML_t(const QString& documentPath, const QString& context)
    : m_documentPath(documentPath), m_context(context)
{
    PrepareWorkDir();
    if (!m_workDir.isEmpty() && !documentPath.isEmpty())
        m_workFileName = m_workDir + u'/' + QFileInfo(documentPath).fileName();
}

ReplaceHTML_t::~ReplaceHTML_t()
{
    if (DeleteOnDestroy && !m_workFileName.isEmpty())
        QFile::remove(m_workFileName);
}

bool ReplaceHTML_t::PrepareWorkDir()
{
    m_workDir = UserWorkDir::highlightWorkDir();
    return !m_workDir.isEmpty() && QDir().mkpath(m_workDir);
}

bool ReplaceHTML_t::DeleteWorkFiles()
{
    if (m_workDir.isEmpty())
        return false;
    return WDirFile().DeleteDir(m_workDir, QStringLiteral("*.*"));
}
