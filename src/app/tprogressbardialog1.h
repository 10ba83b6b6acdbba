#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

// The search-in-progress window: shown without blocking while the work runs off the user
// interface thread, so it keeps painting and counts the documents checked.
class TProgressBarDialog1 final : public QDialog
{
    Q_OBJECT
public:
    TProgressBarDialog1(QWidget* parent, const QString& caption, const QString& message);

    QLabel* CaptionLabel1 = nullptr; // the caption, in the window: it has no frame
    QWidget* Panel1 = nullptr;
    QLabel* Panel2 = nullptr;
    QProgressBar* Animate1 = nullptr; // a busy animation
    QLabel* CountLabel1 = nullptr;
    QPushButton* CancelButton1 = nullptr; // only while the work can be stopped

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
    static constexpr int CaptionHeight = 22;
};
