#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;

// The search options: match case, whole words, the text of the document instead of its raw
// bytes, and the highlighting colours. The colour boxes offer plain RGB colours only.
class TSetFindParameterDialog1 final : public QDialog
{
    Q_OBJECT
public:
    explicit TSetFindParameterDialog1(QWidget* parent = nullptr);

    QCheckBox* RegisterCheckBox1 = nullptr;
    QCheckBox* WholeWordsCheckBox1 = nullptr;
    QCheckBox* TextModeCheckBox1 = nullptr;
    QComboBox* BackColorBox1 = nullptr;
    QComboBox* FontColorBox1 = nullptr;
    QPushButton* OkButton1 = nullptr;
    QPushButton* CancelButton1 = nullptr;
    QPushButton* HelpButton1 = nullptr;

    // Colours as 0x00BBGGRR values.
    static quint32 selectedColor(const QComboBox* box);
    static void selectColor(QComboBox* box, quint32 color);
    void HelpButton1Click() {}

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
