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
    // unreadable: folders and documents that could not be read; said only when there are any.
    // suggestTextMode: a line proposes the search in the text of the documents.
    TFindResultDialog1(const QString& context, int checked, int found, QWidget* parent = nullptr,
                       int unreadable = 0, bool suggestTextMode = false);

    QPlainTextEdit* ContextMemo1 = nullptr;
    QLabel* TotalDocPanel1 = nullptr;
    QLabel* FindDocPanel1 = nullptr;
    QLabel* UnreadablePanel1 = nullptr; // only when something could not be read
    QLabel* TextModeHint1 = nullptr;    // only when the search in the text is proposed
    QPushButton* CancelButton1 = nullptr;
};
