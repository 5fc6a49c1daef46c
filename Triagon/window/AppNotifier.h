#pragma once

#include <QObject>
#include <QString>

// The application-wide notifications between the menu commands and the main
// window, by name. Menus post, windows answer; neither knows the other. The
// window's sheets say which notification shows each (WindowSheets).
class AppNotifier : public QObject
{
    Q_OBJECT
public:
    // The one notifier of the process, created on first use (main thread).
    static AppNotifier &instance();

    void post(const QString &name);
    // The Help menu's "Keyboard Shortcuts": the main window shows its
    // keyboard-shortcuts sheet.
    void postShowKeyboardShortcuts();

Q_SIGNALS:
    void posted(const QString &name);

private:
    AppNotifier() = default;
};
