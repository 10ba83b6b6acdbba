// The table reader on arbitrary bytes: it must never crash, hang or read outside the input.
#include "dbftable.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const DbfTable table = DbfTable::fromBytes(bytes);
    if (table.isValid()) {
        for (qsizetype r = 0; r < table.recordCount(); ++r) {
            for (int f = 0; f < table.fields().size(); ++f)
                (void)table.value(r, f);
        }
        (void)table.recordsWhere(QStringLiteral("VID"), "b");
    }
    return 0;
}
