#include "dialogs/searchoptionsdialog.h"

#include "dialogs/dialogbuttons.h"
#include "dialogs/helpwindow.h"
#include "settings/appsettings.h"

#include "dictionary/russiandictionary.h"
#include "matching/highlightedcopy.h"

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

SearchOptionsDialog::SearchOptionsDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("searchOptionsDialog"));
    setWindowTitle(QStringLiteral("Настройка параметров поиска"));
    // Without the dictionary a line says how words are matched instead.
    const bool withDictionary = RussianDictionary::isInstalled();
    setFixedSize(380, withDictionary ? 396 : 426);

    m_caseSensitiveBox = new QCheckBox(QStringLiteral("Искать с учетом регистра"), this);
    m_caseSensitiveBox->setObjectName(QStringLiteral("caseSensitiveBox"));
    m_wholeWordsBox = new QCheckBox(QStringLiteral("Искать слова целиком"), this);
    m_wholeWordsBox->setObjectName(QStringLiteral("wholeWordsBox"));
    m_wholeWordsBox->setToolTip(QStringLiteral("Найденное не должно быть частью слова:\n"
                                               "до и после него нет буквы или цифры."));
    m_textModeBox = new QCheckBox(QStringLiteral("Искать в тексте документа (без разметки)"), this);
    m_textModeBox->setObjectName(QStringLiteral("textModeBox"));
    m_textModeBox->setToolTip(
        QStringLiteral("Поиск в тексте, каким его видит читатель:\n"
                       "разметка документа не учитывается,\n"
                       "ссылки на символы (&nbsp;, &#8470; и т. п.) заменяются символами,\n"
                       "переводы строк и пробелы подряд считаются одним пробелом.\n"
                       "Документы PDF ищутся по тексту всегда, и без этого флажка."));

    m_wordFormsBox = new QCheckBox(QStringLiteral("Искать все слова в любой форме"), this);
    m_wordFormsBox->setObjectName(QStringLiteral("wordFormsBox"));
    m_wordFormsBox->setToolTip(
        QStringLiteral("Находит документы, где есть все слова запроса в любой форме\n"
                       "(«сметная стоимость» найдёт «сметной стоимости»), самые\n"
                       "подходящие первыми. Слова в кавычках ищутся подряд.\n"
                       "Формы слов — по словарю русского языка: глагол найдёт и свои\n"
                       "причастия, но однокоренные слова («бетон» и «бетонный») разные.\n"
                       "Учёт регистра и поиск слов целиком при этом не действуют."));
    m_dictionaryLabel = new QLabel(
        QStringLiteral("Словарь русского языка не установлен:\nформы слов — по их окончаниям."),
        this);
    m_dictionaryLabel->setObjectName(QStringLiteral("dictionaryLabel"));
    m_dictionaryLabel->setIndent(22);
    m_dictionaryLabel->setVisible(!withDictionary);
    const auto greyOut = [this](bool wordForms) {
        // Case and whole words do not apply; their values are kept.
        m_caseSensitiveBox->setEnabled(!wordForms);
        m_wholeWordsBox->setEnabled(!wordForms);
        m_textModeBox->setEnabled(!wordForms);
    };
    connect(m_wordFormsBox, &QCheckBox::toggled, this, greyOut);

    m_useIndexBox = new QCheckBox(QStringLiteral("Использовать индекс библиотеки"), this);
    m_useIndexBox->setObjectName(QStringLiteral("useIndexBox"));
    m_useIndexBox->setToolTip(
        QStringLiteral("Поиск в тексте читает только документы, которые по индексу могут\n"
                       "содержать искомое, и изменённые после его обновления.\n"
                       "Ответ тот же, что и без индекса."));
    m_resultDialogBox =
        new QCheckBox(QStringLiteral("Показывать окно «Результаты поиска» после поиска"), this);
    m_resultDialogBox->setObjectName(QStringLiteral("resultDialogBox"));
    m_resultDialogBox->setToolTip(
        QStringLiteral("Без окна итог поиска и его предложения — в строке над списком "
                       "результатов."));
    m_indexStateLabel = new QLabel(this);
    m_indexStateLabel->setObjectName(QStringLiteral("indexStateLabel"));
    m_indexStateLabel->setIndent(22);

    m_backColorBox = colorBox(this, QStringLiteral("backColorBox"));
    m_fontColorBox = colorBox(this, QStringLiteral("fontColorBox"));
    selectColor(m_backColorBox, AppSettings::DefaultBackColor);
    selectColor(m_fontColorBox, AppSettings::DefaultFontColor);

    const DialogButtons buttonRow = DialogButtons::create(this);
    m_okButton = buttonRow.ok;
    m_cancelButton = buttonRow.cancel;
    m_helpButton = buttonRow.help;
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_helpButton, &QPushButton::clicked, this, &SearchOptionsDialog::showHelp);

    auto* colours = new QGridLayout;
    auto* label1 = new QLabel(QStringLiteral("Цвет фона:"), this);
    label1->setObjectName(QStringLiteral("backColorLabel"));
    auto* label2 = new QLabel(QStringLiteral("Цвет шрифта:"), this);
    label2->setObjectName(QStringLiteral("fontColorLabel"));
    colours->addWidget(label1, 0, 0);
    colours->addWidget(m_backColorBox, 0, 1);
    colours->addWidget(label2, 1, 0);
    colours->addWidget(m_fontColorBox, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_caseSensitiveBox);
    layout->addWidget(m_wholeWordsBox);
    layout->addWidget(m_textModeBox);
    layout->addWidget(m_wordFormsBox);
    layout->addWidget(m_dictionaryLabel);
    layout->addWidget(m_useIndexBox);
    layout->addWidget(m_indexStateLabel);
    layout->addWidget(m_resultDialogBox);
    layout->addLayout(colours);
    auto* syntax = new QLabel(
        QStringLiteral("Запрос: <b>И</b> (&amp;), <b>ИЛИ</b> (|), <b>НЕ</b> или -слово, (скобки); "
                       "\"фраза\"~5 или слово /5 слово — рядом; арматур* — начало слова; "
                       "поля название:, обозначение:, папка:. Подробнее — F1."),
        this);
    syntax->setWordWrap(true);
    syntax->setObjectName(QStringLiteral("querySyntaxLabel"));
    syntax->setTextFormat(Qt::RichText);
    syntax->setToolTip(QStringLiteral("Слова операций — только заглавными и отдельно.\n"
                                      "Как прочитан запрос, показывает окно результата."));
    layout->addWidget(syntax);
    layout->addStretch();
    layout->addLayout(buttonRow.row());
}

void SearchOptionsDialog::showHelp()
{
    if (!m_guideFile.isEmpty())
        HelpWindow::open(this, m_guideFile, QStringLiteral("query"));
}

void SearchOptionsDialog::setIndexState(const QString& text)
{
    m_indexStateLabel->setText(text);
}

quint32 SearchOptionsDialog::selectedColor(const QComboBox* box)
{
    return box->currentData().toUInt();
}

void SearchOptionsDialog::selectColor(QComboBox* box, quint32 color)
{
    color = HighlightedCopy::resolvedColor(color);
    int index = box->findData(color);
    if (index < 0) {
        // A colour of the settings file that is not a standard one is offered as it is.
        box->addItem(swatch(color), QStringLiteral("Другой (%1)").arg(color), color);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

void SearchOptionsDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        showHelp();
        return;
    }
    QDialog::keyPressEvent(event); // Esc closes as Cancel
}
