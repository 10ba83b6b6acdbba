#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The counts of a finished search run.
class TFindResultDialog1 final : public QDialog
{
    Q_OBJECT
public:
    TFindResultDialog1(const QString& context, int checked, int found, QWidget* parent = nullptr);

    QPlainTextEdit* ContextMemo1 = nullptr;
    QLabel* TotalDocPanel1 = nullptr;
    QLabel* FindDocPanel1 = nullptr;
    QPushButton* CancelButton1 = nullptr;
};
