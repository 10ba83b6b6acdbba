#include "library/captionorder.h"

#include <QLocale>

CaptionOrder::CaptionOrder() : m_collator(QLocale(QLocale::Russian, QLocale::Russia))
{
    m_collator.setNumericMode(false);
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}
