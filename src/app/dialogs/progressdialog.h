#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

// The search-in-progress window: shown without blocking while the work runs off the user
// interface thread, so it keeps painting and counts the documents checked.
class ProgressDialog final : public QDialog
{
    Q_OBJECT
public:
    ProgressDialog(QWidget* parent, const QString& caption, const QString& message);

    QLabel* countLabel() const { return m_countLabel; }
    QPushButton* cancelButton() const { return m_cancelButton; }

    void setCheckedCount(int checked);
    // Shows the window over its parent; showNow paints it at once too, for work that runs on
    // the window's own thread.
    void showCentered();
    void showNow();
    // Adds the "Отмена" button; it and Esc ask for cancelRequested (the window stays until
    // the work has stopped).
    void enableCancel();

signals:
    void cancelRequested();

protected:
    void reject() override;

private:
    QLabel* m_captionLabel = nullptr; // the caption, in the window: it has no frame
    QWidget* m_messagePanel = nullptr;
    QLabel* m_messageLabel = nullptr;
    QProgressBar* m_busyBar = nullptr; // a busy animation
    QLabel* m_countLabel = nullptr;
    QPushButton* m_cancelButton = nullptr; // only while the work can be stopped
    static constexpr int CaptionHeight = 22;
};
