#pragma once

#include <QString>

// The highlighted copy of a document: every occurrence of the context wrapped in a coloured
// span, written into the highlighting working directory with the document's picture folder
// beside it.
class ReplaceHTML_t
{
public:
    ReplaceHTML_t(const QString& documentPath, const QString& context);
    ~ReplaceHTML_t();
    ReplaceHTML_t(const ReplaceHTML_t&) = delete;
    ReplaceHTML_t& operator=(const ReplaceHTML_t&) = delete;

    bool DeleteOnDestroy = true;
    bool CaseSensitive = false;

    // Creates the working directory with any missing parent; false when it cannot be had.
    bool PrepareWorkDir();
    // Removes the working directory with everything in it.
    bool DeleteWorkFiles();

    QString WorkDir() const { return m_workDir; }
    QString WorkFileName() const { return m_workFileName; }

private:
    QString m_documentPath;
    QString m_context;
    QString m_workDir;
    QString m_workFileName;
};
