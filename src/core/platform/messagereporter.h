#pragma once

#include <QString>

#include <functional>

// The support classes never touch the GUI: they hand their message boxes (caption, text)
// to a reporter that the window program installs. Without one, messages go to stderr.
namespace MessageReporter {

using Handler = std::function<void(const QString& caption, const QString& text)>;

// The caption of the program's messages: its name.
inline const QString ProgramCaption = QStringLiteral("Lectoria");

void setHandler(Handler handler);
void report(const QString& caption, const QString& text);

} // namespace MessageReporter
