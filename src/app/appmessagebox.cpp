#include "appmessagebox.h"

#include "messagereporter.h"

#include <QApplication>

namespace {
AppMessageBox::Answerer& currentAnswerer()
{
    static AppMessageBox::Answerer answerer;
    return answerer;
}
} // namespace

void AppMessageBox::setAnswerer(Answerer answerer)
{
    currentAnswerer() = std::move(answerer);
}

QMessageBox::StandardButton AppMessageBox::show(QWidget* parent, const QString& caption,
                                                const QString& text, QMessageBox::Icon icon,
                                                QMessageBox::StandardButtons buttons)
{
    // A message during a long operation is shown with the normal arrow.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    if (const auto& answerer = currentAnswerer())
        return answerer(Request{caption, text, icon, buttons});
    QMessageBox box(icon, caption, text, buttons, parent);
    box.setWindowModality(Qt::ApplicationModal);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void AppMessageBox::installForSupportClasses()
{
    MessageReporter::setHandler([](const QString& caption, const QString& text) {
        show(QApplication::activeWindow(), caption, text);
    });
}
