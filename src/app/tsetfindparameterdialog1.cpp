#include "tsetfindparameterdialog1.h"

#include "dialogbuttons.h"

#include "replacehtml.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

struct NamedColor
{
    const char* name;
    quint32 value; // 0x00BBGGRR
};

// The standard colours of a colour box.
constexpr NamedColor standardColors[] = {
    {"Черный", 0x000000},       {"Темно-красный", 0x000080}, {"Зеленый", 0x008000},
    {"Оливковый", 0x008080},    {"Темно-синий", 0x800000},   {"Фиолетовый", 0x800080},
    {"Сине-зеленый", 0x808000}, {"Серый", 0x808080},         {"Серебристый", 0xC0C0C0},
    {"Красный", 0x0000FF},      {"Лайм", 0x00FF00},          {"Желтый", 0x00FFFF},
    {"Синий", 0xFF0000},        {"Фуксия", 0xFF00FF},        {"Голубой", 0xFFFF00},
    {"Белый", 0xFFFFFF},
};

QColor toQColor(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QIcon swatch(quint32 value)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(toQColor(value));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 11);
    return QIcon(pixmap);
}

QComboBox* colorBox(QWidget* parent, const QString& name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setMaxVisibleItems(12);
    for (const NamedColor& color : standardColors)
        box->addItem(swatch(color.value), QString::fromUtf8(color.name), color.value);
    return box;
}

} // namespace

TSetFindParameterDialog1::TSetFindParameterDialog1(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SetFindParameterDialog1"));
    setWindowTitle(QStringLiteral("Настройка параметров поиска"));
    setFixedSize(360, 215);

    RegisterCheckBox1 = new QCheckBox(QStringLiteral("Искать с учетом регистра"), this);
    RegisterCheckBox1->setObjectName(QStringLiteral("RegisterCheckBox1"));
    WholeWordsCheckBox1 = new QCheckBox(QStringLiteral("Искать слова целиком"), this);
    WholeWordsCheckBox1->setObjectName(QStringLiteral("WholeWordsCheckBox1"));
    WholeWordsCheckBox1->setToolTip(QStringLiteral("Найденное не должно быть частью слова:\n"
                                                   "до и после него нет буквы или цифры."));
    TextModeCheckBox1 =
        new QCheckBox(QStringLiteral("Искать в тексте документа (без разметки)"), this);
    TextModeCheckBox1->setObjectName(QStringLiteral("TextModeCheckBox1"));
    TextModeCheckBox1->setToolTip(
        QStringLiteral("Поиск в тексте, каким его видит читатель:\n"
                       "разметка документа не учитывается,\n"
                       "ссылки на символы (&nbsp;, &#8470; и т. п.) заменяются символами,\n"
                       "переводы строк и пробелы подряд считаются одним пробелом."));

    BackColorBox1 = colorBox(this, QStringLiteral("BackColorBox1"));
    FontColorBox1 = colorBox(this, QStringLiteral("FontColorBox1"));
    selectColor(BackColorBox1, 0x0000FF);
    selectColor(FontColorBox1, 0xFFFFFF);

    const DialogButtons buttonRow = DialogButtons::create(this);
    OkButton1 = buttonRow.ok;
    CancelButton1 = buttonRow.cancel;
    HelpButton1 = buttonRow.help;
    connect(OkButton1, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton1, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpButton1, &QPushButton::clicked, this, &TSetFindParameterDialog1::HelpButton1Click);

    auto* colours = new QGridLayout;
    auto* label1 = new QLabel(QStringLiteral("Цвет фона:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    auto* label2 = new QLabel(QStringLiteral("Цвет шрифта:"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    colours->addWidget(label1, 0, 0);
    colours->addWidget(BackColorBox1, 0, 1);
    colours->addWidget(label2, 1, 0);
    colours->addWidget(FontColorBox1, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RegisterCheckBox1);
    layout->addWidget(WholeWordsCheckBox1);
    layout->addWidget(TextModeCheckBox1);
    layout->addLayout(colours);
    layout->addStretch();
    layout->addLayout(buttonRow.row());
}

quint32 TSetFindParameterDialog1::selectedColor(const QComboBox* box)
{
    return box->currentData().toUInt();
}

void TSetFindParameterDialog1::selectColor(QComboBox* box, quint32 color)
{
    color = ReplaceHTML_t::resolvedColor(color);
    int index = box->findData(color);
    if (index < 0) {
        // A colour of the settings file that is not a standard one is offered as it is.
        box->addItem(swatch(color), QStringLiteral("Другой (%1)").arg(color), color);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

void TSetFindParameterDialog1::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        HelpButton1Click();
        return;
    }
    QDialog::keyPressEvent(event); // Esc closes as Cancel
}
