#pragma once

#include <QLocale>

// Makes `locale` the default locale while alive (as LANG would at start-up:
// QLocale::c() is what LANG=C.UTF-8 gives) and puts the one before back.
class DefaultLocale
{
public:
    explicit DefaultLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(m_before); }
    DefaultLocale(const DefaultLocale &) = delete;
    DefaultLocale &operator=(const DefaultLocale &) = delete;

private:
    QLocale m_before;
};
