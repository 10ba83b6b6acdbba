#pragma once

#include <QDialog>

class QTextEdit;
class QAction;

// The form for a failed SQL statement: created at start and kept for the whole run.
class TSQLErrorDialog1 final : public QDialog
{
    Q_OBJECT
public:
    explicit TSQLErrorDialog1(QWidget* parent = nullptr);

    QTextEdit* QueryMemo1 = nullptr;
    QTextEdit* ErrorMemo1 = nullptr;
    QAction* SelectAllItem1 = nullptr;
    QAction* CopyItem1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void showMemoMenu(QTextEdit* memo, const QPoint& position);
};
