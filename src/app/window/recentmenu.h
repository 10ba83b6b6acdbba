#pragma once

#include <QObject>
#include <QString>

class AppSettings;
class QMenu;
class QToolButton;

// "Недавние": the documents shown last, newest first; a document no longer there is greyed.
class RecentMenu final : public QObject
{
    Q_OBJECT
public:
    RecentMenu(AppSettings* settings, QWidget* parent);

    QToolButton* button() const { return m_button; }
    QMenu* menu() const { return m_menu; }
    // A document was shown (its caption given): it goes first in the list and the settings.
    void recordShown(const QString& path, const QString& label);

signals:
    void openRequested(const QString& path);
    void statusNote(const QString& note);

private:
    void fillMenu();
    void clear();

    AppSettings* m_settings;
    QToolButton* m_button = nullptr;
    QMenu* m_menu = nullptr;
};
