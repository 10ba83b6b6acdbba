#pragma once

#include <QDialog>

class QCheckBox;
class QHBoxLayout;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The counts of a finished search run.
class SearchResultDialog final : public QDialog
{
    Q_OBJECT
public:
    // unreadable: folders and documents that could not be read; said only when there are any.
    // suggestTextMode: a line proposes the search in the text of the documents.
    SearchResultDialog(const QString& context, int checked, int found, QWidget* parent = nullptr,
                       int unreadable = 0, bool suggestTextMode = false,
                       bool suggestWordForms = false);

    QPlainTextEdit* contextText() const { return m_contextText; }
    // A line under the counts with a button: the words as a fragment of text find more
    // documents; fragmentChosen() tells whether the reader asked for that search.
    void setFragmentOffer(int documents);
    QPushButton* fragmentButton() const { return m_fragmentButton; }
    bool fragmentChosen() const { return m_fragmentChosen; }
    // A line under the counts: how a query with operators was read ("Прочитано как: …"),
    // with a button that searches the whole text as one context; literalChosen() tells
    // whether the reader asked for that.
    void setQueryReading(const QString& reading);
    QLabel* readingLabel() const { return m_readingLabel; }
    QPushButton* literalButton() const { return m_literalButton; }
    bool literalChosen() const { return m_literalChosen; }
    // A line under the counts: the PDF documents without text the search did not look through.
    void setWithoutText(int documents);
    QLabel* withoutTextLabel() const { return m_withoutTextLabel; }
    QLabel* checkedLabel() const { return m_checkedLabel; }
    QLabel* foundLabel() const { return m_foundLabel; }
    QLabel* unreadableLabel() const { return m_unreadableLabel; }
    QLabel* textModeHint() const { return m_textModeHint; }
    // Where the search looked ("во всей коллекции", "в папке «…»"), said under the context.
    void setScope(const QString& scope);
    QLabel* scopeLabel() const { return m_scopeLabel; }
    QLabel* wordFormsHint() const { return m_wordFormsHint; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    // "Больше не показывать": the counts and offers go to the result list's line instead.
    QCheckBox* dontShowAgainBox() const { return m_dontShowAgainBox; }
    // When nothing was found: the button that leaves search mode, and whether it was chosen.
    QPushButton* restoreTreeButton() const { return m_restoreTreeButton; }
    bool restoreTreeChosen() const { return m_restoreTreeChosen; }
    // A search of a folder or a document that found nothing: the button that searches the
    // whole collection with the same query, and whether it was chosen.
    void setEverywhereOffer();
    QPushButton* everywhereButton() const { return m_everywhereButton; }
    bool everywhereChosen() const { return m_everywhereChosen; }

private:
    QPlainTextEdit* m_contextText = nullptr;
    QLabel* m_checkedLabel = nullptr;
    QLabel* m_foundLabel = nullptr;
    QLabel* m_unreadableLabel = nullptr; // only when something could not be read
    QLabel* m_textModeHint = nullptr;    // only when the search in the text is proposed
    QLabel* m_wordFormsHint = nullptr;   // only when the search of word forms is proposed
    QPushButton* m_cancelButton = nullptr;
    QCheckBox* m_dontShowAgainBox = nullptr;
    QPushButton* m_restoreTreeButton = nullptr; // only when nothing was found
    bool m_restoreTreeChosen = false;
    QHBoxLayout* m_buttons = nullptr;
    QPushButton* m_everywhereButton = nullptr;
    bool m_everywhereChosen = false;
    QLabel* m_withoutTextLabel = nullptr;
    QPushButton* m_fragmentButton = nullptr;
    bool m_fragmentChosen = false;
    QLabel* m_scopeLabel = nullptr;
    QLabel* m_readingLabel = nullptr;
    QPushButton* m_literalButton = nullptr;
    bool m_literalChosen = false;
};
