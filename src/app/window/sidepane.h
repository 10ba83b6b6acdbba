#pragma once

#include <QString>
#include <QWidget>

#include <optional>

#include "search/showncopy.h"

class DocumentViewer;
class QCheckBox;
class QLabel;

// The second document beside the viewer ("Рядом"): a viewer of its own (its own working
// folders), a line that names what it shows, "Вместе по пунктам" to scroll it to the part the
// viewer beside it is reading, and a button that closes it.
class SidePane final : public QWidget
{
    Q_OBJECT
public:
    explicit SidePane(QWidget* parent);

    DocumentViewer* viewer() const { return m_viewer; }
    QCheckBox* togetherBox() const { return m_together; }

    // Shows a document (or a folder, or a comparison's page) at a place, with the marks given.
    void showDocument(const QString& path, const QString& caption, int scroll,
                      const std::optional<ShownCopy::Marking>& marking);
    // Shows a document at its part (as a reader names it; empty: its top).
    void showPart(const QString& path, const QString& caption, const QString& part);
    // While "Вместе по пунктам" is on, shows the part of its document that has the number of
    // the part the other viewer is reading.
    void follow(const DocumentViewer* other, int part);

signals:
    void closeRequested();

private:
    QLabel* m_caption = nullptr;
    QCheckBox* m_together = nullptr;
    DocumentViewer* m_viewer = nullptr;
};
