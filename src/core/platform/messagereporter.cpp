#include "platform/messagereporter.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

namespace {
MessageReporter::Handler& currentHandler()
{
    static MessageReporter::Handler handler;
    return handler;
}
} // namespace

void MessageReporter::setHandler(Handler handler)
{
    currentHandler() = std::move(handler);
}

void MessageReporter::report(const QString& caption, const QString& text)
{
    // Work running off the program's main thread (a copy in the background) reports there:
    // message boxes belong to that thread.
    QCoreApplication* application = QCoreApplication::instance();
    if (application && QThread::currentThread() != application->thread()) {
        QMetaObject::invokeMethod(
            application, [caption, text] { report(caption, text); }, Qt::QueuedConnection);
        return;
    }
    if (const auto& handler = currentHandler()) {
        handler(caption, text);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
}
