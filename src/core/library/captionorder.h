#pragma once

#include <QCollator>
#include <QString>

// The order of captions in a sorted tree: Russian locale-aware comparison, the same on
// every machine (never the system locale, which is "C" on many).
class CaptionOrder
{
public:
    CaptionOrder();
    bool operator()(const QString& a, const QString& b) const
    {
        return m_collator.compare(a, b) < 0;
    }
    // A key that orders as the caption does, for lists sorted again and again.
    QCollatorSortKey sortKey(const QString& caption) const { return m_collator.sortKey(caption); }

private:
    QCollator m_collator;
};
