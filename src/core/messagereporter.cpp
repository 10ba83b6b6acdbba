#include "messagereporter.h"

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
    if (const auto& handler = currentHandler()) {
        handler(caption, text);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
}
