#include "tapplication.h"

#include "appmessagebox.h"

#include <exception>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Lectoria"));
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showException(QString());
    }
    return false;
}

void TApplication::showException(const QString& message)
{
    AppMessageBox::show(activeWindow(), QStringLiteral("Просмотр нормативной документации"),
                        message, QMessageBox::Critical);
}
