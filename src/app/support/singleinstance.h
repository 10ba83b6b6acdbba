#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

// One running program per user and program file. The first instance listens on a local
// socket; a later one connects, asks it to show its window and ends.
class SingleInstance final : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(QObject* parent = nullptr);

    // The socket name for this user and program file; empty when there is no private place
    // for it.
    static QString keyFor(const QString& programFile);

    // True when this process is now the only instance; false when another one runs
    // (it has then been asked to show its window).
    bool claim(const QString& programFile);

signals:
    void showRequested();

private:
    static bool askRunningInstance(const QString& name);
    void readRequest();

    QLocalServer m_server;
};
