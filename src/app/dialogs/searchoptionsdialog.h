#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// The search options: match case, whole words, the text of the document instead of its raw
// bytes, and the highlighting colours. The colour boxes offer plain RGB colours only.
class SearchOptionsDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit SearchOptionsDialog(QWidget* parent = nullptr);

    QCheckBox* caseSensitiveBox() const { return m_caseSensitiveBox; }
    QCheckBox* wholeWordsBox() const { return m_wholeWordsBox; }
    QCheckBox* textModeBox() const { return m_textModeBox; }
    QComboBox* backColorBox() const { return m_backColorBox; }
    QCheckBox* useIndexBox() const { return m_useIndexBox; }
    QCheckBox* wordFormsBox() const { return m_wordFormsBox; }
    QCheckBox* resultDialogBox() const { return m_resultDialogBox; }
    // What the index holds now, under its switch.
    void setIndexState(const QString& text);
    QComboBox* fontColorBox() const { return m_fontColorBox; }

    // Colours as 0x00BBGGRR values.
    static quint32 selectedColor(const QComboBox* box);
    static void selectColor(QComboBox* box, quint32 color);
    // The guide "Справка" and F1 open, at its section on queries; without one they do
    // nothing.
    void setGuideFile(const QString& file) { m_guideFile = file; }
    void showHelp();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_guideFile;
    QCheckBox* m_caseSensitiveBox = nullptr;
    QCheckBox* m_resultDialogBox = nullptr;
    QCheckBox* m_wholeWordsBox = nullptr;
    QCheckBox* m_textModeBox = nullptr;
    QComboBox* m_backColorBox = nullptr;
    QCheckBox* m_useIndexBox = nullptr;
    QCheckBox* m_wordFormsBox = nullptr;
    QLabel* m_indexStateLabel = nullptr;
    QLabel* m_dictionaryLabel = nullptr;
    QComboBox* m_fontColorBox = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_helpButton = nullptr;
};
