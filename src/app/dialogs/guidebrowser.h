#pragma once

#include <QTextBrowser>

// The guide's pages: they load only the guide's own files (see GuideFile), never whatever a
// page names.
class GuideBrowser final : public QTextBrowser
{
    Q_OBJECT

public:
    explicit GuideBrowser(QWidget* parent) : QTextBrowser(parent) {}

    // The folder whose files the pages may load.
    void setGuideFolder(const QString& folder) { m_folder = folder; }

    QVariant loadResource(int type, const QUrl& name) override;

private:
    QString m_folder;
};
