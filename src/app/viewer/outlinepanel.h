#pragma once

#include <QDockWidget>

#include <memory>
#include <vector>

class DocumentStructure;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

// "Содержание": the outline of the shown document as a tree of its parts (sections, clauses,
// appendices, tables, figures), the part being read marked, and the field "Перейти к пункту"
// that takes a part as a reader names it ("5.2.3", "табл. 5.1", "прил. Б", "разд. 6"). A part
// the document does not have is said so, with the nearest one offered.
class OutlinePanel final : public QDockWidget
{
    Q_OBJECT
public:
    enum Role
    {
        PartRole = Qt::UserRole + 1 // the part's index in the structure
    };

    explicit OutlinePanel(QWidget* parent);

    QTreeWidget* tree() const { return m_tree; }
    QLineEdit* goToField() const { return m_goTo; }
    QLabel* noteLabel() const { return m_note; }

    // The outline of the shown document; none when nothing with parts is shown.
    void setStructure(std::shared_ptr<const DocumentStructure> structure);
    // Marks the part being read (-1: none) without asking to show it.
    void markPart(int part);
    // Shows the panel with the focus in "Перейти к пункту".
    void focusGoTo();
    // Goes to the part named by text, or says why it cannot.
    void goTo(const QString& text);

signals:
    void partRequested(int part);

private:
    void say(const QString& text);

    QTreeWidget* m_tree = nullptr;
    QLineEdit* m_goTo = nullptr;
    QLabel* m_note = nullptr;
    std::shared_ptr<const DocumentStructure> m_structure;
    std::vector<QTreeWidgetItem*> m_items; // by part
    bool m_marking = false;
};
