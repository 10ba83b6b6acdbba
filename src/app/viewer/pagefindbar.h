#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QWebEnginePage;

// The find bar of the shown page: a line above the page, with the count "k из n".
class PageFindBar final : public QWidget
{
    Q_OBJECT
public:
    PageFindBar(QWebEnginePage* page, QWidget* parent);

    // Shows the bar with the focus in its field.
    void open();
    // Hides the bar and ends its find.
    void dismiss();
    QLineEdit* field() const { return m_field; }
    QLabel* countLabel() const { return m_countLabel; }

signals:
    // The bar was closed; the focus goes back to the page.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void find(bool backward);

    QWebEnginePage* m_page;
    QLineEdit* m_field = nullptr;
    QLabel* m_countLabel = nullptr;
};
