#include "window/AppNotifier.h"

AppNotifier &AppNotifier::instance()
{
    static AppNotifier notifier;
    return notifier;
}

void AppNotifier::postShowKeyboardShortcuts()
{
    Q_EMIT showKeyboardShortcuts();
}
