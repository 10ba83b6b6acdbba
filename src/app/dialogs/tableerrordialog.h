#pragma once

#include <QDialog>

class QTextEdit;
class QAction;

// The form for a failed SQL statement: created at start and kept for the whole run.
class TableErrorDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit TableErrorDialog(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    QTextEdit* m_queryText = nullptr;
    QTextEdit* m_errorText = nullptr;
    QAction* m_selectAllAction = nullptr;
    QAction* m_copyAction = nullptr;
    void showMemoMenu(QTextEdit* memo, const QPoint& position);
};
