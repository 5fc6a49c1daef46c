#pragma once

#include <QLocale>

// `locale` as the default while alive, as LANG makes it at start-up
// (LANG=C.UTF-8 gives QLocale::c()); the one before comes back after.
struct DefaultLocale
{
    const QLocale before;
    explicit DefaultLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(before); }
};
