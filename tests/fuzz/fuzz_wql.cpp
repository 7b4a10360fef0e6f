// Fuzzes the WQL reader and LIKE matching: the detector builds its queries from the vendor and
// product strings a USB stick reports, so any text may reach them.
#include "detect/wqlquery.h"

#include <QString>
#include <QVariant>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const WqlQuery query = WqlQuery::parse(text);
    if (query.isValid()) {
        // Every property the condition names answers with the whole text, a number, or null.
        const auto lookup = [&](const QString &property) {
            switch (property.size() % 3) {
            case 0: return QVariant(text);
            case 1: return QVariant(qlonglong(property.size()));
            default: return QVariant();
            }
        };
        query.matches(lookup);
        query.conditionProperties();
    }
    // The input split in two at its first newline: a text and a pattern.
    const qsizetype cut = text.indexOf(QLatin1Char('\n'));
    if (cut >= 0)
        WqlQuery::like(text.left(cut), text.mid(cut + 1));
    return 0;
}
