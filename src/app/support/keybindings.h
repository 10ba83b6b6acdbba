#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <QStringList>

namespace KeyBindings {

// The keys of a standard command other than plain F3, which moves to the find box; Ctrl+G
// where the platform has no other.
inline QList<QKeySequence> withoutF3(QKeySequence::StandardKey key)
{
    QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    keys.removeAll(QKeySequence(Qt::Key_F3));
    if (keys.isEmpty())
        keys.append(QKeySequence(Qt::CTRL | Qt::Key_G));
    return keys;
}

// The keys as a hint names them, with more after them.
inline QString hintText(const QList<QKeySequence>& keys, const QString& more)
{
    QStringList texts;
    for (const QKeySequence& key : keys)
        texts.append(key.toString(QKeySequence::NativeText));
    texts.append(more);
    return texts.join(QStringLiteral(", "));
}

} // namespace KeyBindings
