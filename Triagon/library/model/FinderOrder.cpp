#include "library/model/FinderOrder.h"

#include <QCollator>
#include <QLocale>

namespace {

// Qt's collator for the C locale (the locale of LANG=C.UTF-8 and of most
// minimal installs) compares code points: it leaves numeric mode and case
// alone, so clip10 would come before clip2 and "B" before "a". English
// collation is the Unicode root order, which keeps both rules.
QLocale collationLocale(const QLocale &locale)
{
    if (locale.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

QCollator &collator()
{
    // QCollator is not safe to share between threads. Each one is built for
    // the default locale it was asked under and again when that changes.
    thread_local QLocale builtFor;
    thread_local QCollator collator = [] {
        QCollator c(collationLocale(builtFor));
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    const QLocale current;
    if (current != builtFor) {
        builtFor = current;
        collator.setLocale(collationLocale(current));
    }
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
