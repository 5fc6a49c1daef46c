#include "library/model/FinderOrder.h"

#include <QCollator>

namespace {
QCollator &collator()
{
    // QCollator is not safe to share between threads.
    thread_local QCollator collator = [] {
        QCollator c;
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}
} // namespace

int FinderOrder::compare(const QString &a, const QString &b)
{
    return collator().compare(a, b);
}

QCollatorSortKey FinderOrder::sortKey(const QString &name)
{
    return collator().sortKey(name);
}
