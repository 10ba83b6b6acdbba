// The table reader on arbitrary bytes: it must never crash, hang or read outside the input,
// and reading a block at a time must give what reading the whole table gives.
#include "dbase/dbftable.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

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

    // The fields the collection reads, a few records per block: values as the whole table has
    // them, in its order, and a stop honoured.
    const qsizetype blockBytes = size > 0 ? qsizetype(data[0] % 64) + 1 : 1;
    DbfReader reader = DbfReader::fromBytes(bytes, blockBytes);
    if (reader.isValid() != table.isValid())
        std::abort();
    QList<int> used;
    for (const char* name : {"VID", "DIR", "NAIM"}) {
        const int index = reader.fieldIndex(QLatin1String(name));
        if (index >= 0)
            used.append(index);
    }
    qsizetype record = 0;
    const qsizetype stopAfter = table.recordCount() / 2 + 1;
    const bool read = reader.forEachRecord(used, [&](const QList<QByteArrayView>& values) {
        for (qsizetype i = 0; i < used.size(); ++i) {
            if (values.at(i) != table.value(record, used.at(i)))
                std::abort();
        }
        return ++record < stopAfter;
    });
    if (read != table.isValid() ||
        (table.isValid() && record != qMin(stopAfter, table.recordCount())))
        std::abort();
    return 0;
}
