#include "library/model/FinderOrder.h"

#include <QCollator>

int FinderOrder::compare(const QString &a, const QString &b)
{
    // QCollator is not safe to share between threads.
    thread_local QCollator collator = [] {
        QCollator c;
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(a, b);
}
