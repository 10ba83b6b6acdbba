#include "viewer/outlinepanel.h"

#include "norms/documentstructure.h"
#include "norms/partaddress.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// A part as its line in the outline reads: "5.2.3 Бетонные работы", "Приложение Б Методика".
QString lineOf(const DocumentPart& part)
{
    using Kind = DocumentPart::Kind;
    QString head;
    switch (part.kind) {
    case Kind::Appendix:
        head = QStringLiteral("Приложение ") + part.number;
        break;
    case Kind::Table:
        head = QStringLiteral("Таблица ") + part.number;
        break;
    case Kind::Figure:
        head = QStringLiteral("Рисунок ") + part.number;
        break;
    case Kind::Section:
        head =
            part.number.front().isDigit() ? part.number : QStringLiteral("Раздел ") + part.number;
        break;
    case Kind::Clause:
    case Kind::Item:
        head = part.number;
        break;
    case Kind::Title:
    case Kind::Heading:
        break;
    }
    if (head.isEmpty())
        return part.title;
    return part.title.isEmpty() || part.kind == Kind::Item ? head : head + u' ' + part.title;
}

} // namespace

OutlinePanel::OutlinePanel(QWidget* parent) : QDockWidget(QStringLiteral("Содержание"), parent)
{
    setObjectName(QStringLiteral("outlinePanel"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    m_goTo = new QLineEdit(content);
    m_goTo->setObjectName(QStringLiteral("goToPartField"));
    m_goTo->setPlaceholderText(QStringLiteral("Перейти к пункту: 5.2.3, табл. 5.1, прил. Б"));
    m_goTo->setClearButtonEnabled(true);
    m_note = new QLabel(content);
    m_note->setObjectName(QStringLiteral("goToPartNote"));
    m_note->setWordWrap(true);
    m_note->setTextFormat(Qt::RichText);
    m_note->hide();
    m_tree = new QTreeWidget(content);
    m_tree->setObjectName(QStringLiteral("outlineTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_tree->header()->setStretchLastSection(false);
    layout->addWidget(m_goTo);
    layout->addWidget(m_note);
    layout->addWidget(m_tree, 1);
    setWidget(content);

    connect(m_goTo, &QLineEdit::returnPressed, this, [this] { goTo(m_goTo->text()); });
    connect(m_goTo, &QLineEdit::textEdited, this, [this] { m_note->hide(); });
    connect(m_note, &QLabel::linkActivated, this, [this](const QString& link) {
        m_note->hide();
        emit partRequested(link.toInt());
    });
    const auto request = [this](QTreeWidgetItem* item) {
        emit partRequested(item->data(0, PartRole).toInt());
    };
    connect(m_tree, &QTreeWidget::itemClicked, this, request);
    connect(m_tree, &QTreeWidget::itemActivated, this, request);
}

void OutlinePanel::setStructure(std::shared_ptr<const DocumentStructure> structure)
{
    m_structure = std::move(structure);
    m_tree->clear();
    m_items.clear();
    m_note->hide();
    if (m_structure) {
        const std::vector<DocumentPart>& parts = m_structure->parts();
        m_items.reserve(parts.size());
        QList<QTreeWidgetItem*> top;
        for (size_t i = 0; i < parts.size(); ++i) {
            const int parent = parts[i].parent;
            QTreeWidgetItem* item = parent >= 0 && parent < int(i)
                                        ? new QTreeWidgetItem(m_items[size_t(parent)])
                                        : new QTreeWidgetItem();
            item->setText(0, lineOf(parts[i]));
            item->setToolTip(0, item->text(0));
            item->setData(0, PartRole, int(i));
            if (parent < 0 || parent >= int(i))
                top.append(item);
            m_items.push_back(item);
        }
        m_tree->addTopLevelItems(top);
        // Sections open, their clauses folded: a long norm's outline stays readable.
        for (QTreeWidgetItem* item : top)
            item->setExpanded(true);
    }
    m_goTo->setEnabled(m_structure && !m_structure->isEmpty());
}

void OutlinePanel::markPart(int part)
{
    if (part >= 0 && part < int(m_items.size())) {
        m_tree->setCurrentItem(m_items[size_t(part)]);
        m_tree->scrollToItem(m_items[size_t(part)]);
    } else {
        m_tree->setCurrentItem(nullptr);
    }
}

void OutlinePanel::focusGoTo()
{
    show();
    raise();
    m_goTo->setFocus();
    m_goTo->selectAll();
}

void OutlinePanel::goTo(const QString& text)
{
    if (text.trimmed().isEmpty())
        return;
    if (!m_structure || m_structure->isEmpty()) {
        say(QStringLiteral("В документе не найдено пунктов"));
        return;
    }
    const std::optional<PartAddress> address = PartAddress::parse(text);
    if (!address) {
        say(QStringLiteral("Пункт не понят: «%1». Пример: 5.2.3, табл. 5.1, прил. Б, разд. 6")
                .arg(text.trimmed().toHtmlEscaped()));
        return;
    }
    const int found = address->find(*m_structure);
    if (found >= 0) {
        m_note->hide();
        markPart(found);
        emit partRequested(found);
        return;
    }
    const int nearest = address->nearest(*m_structure);
    QString note = address->missingText();
    if (nearest >= 0)
        note += QStringLiteral(". Ближайший: <a href=\"%1\">%2</a>")
                    .arg(nearest)
                    .arg(lineOf(m_structure->parts()[size_t(nearest)]).toHtmlEscaped());
    say(note);
}

void OutlinePanel::say(const QString& text)
{
    m_note->setText(text);
    m_note->show();
}
