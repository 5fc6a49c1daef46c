#include "window/AppNotifier.h"

#include "window/WindowSheets.h"

AppNotifier &AppNotifier::instance()
{
    static AppNotifier notifier;
    return notifier;
}

void AppNotifier::post(const QString &name)
{
    Q_EMIT posted(name);
}

void AppNotifier::postShowKeyboardShortcuts()
{
    post(WindowSheets::keyboardShortcutsCommand());
}
