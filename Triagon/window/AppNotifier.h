#pragma once

#include <QObject>

// The application-wide notifications between the menu commands and the main
// window. Menus post, windows answer; neither knows the other.
class AppNotifier : public QObject
{
    Q_OBJECT
public:
    // The one notifier of the process, created on first use (main thread).
    static AppNotifier &instance();

    // Asks the main window to show its keyboard-shortcuts sheet.
    void postShowKeyboardShortcuts();

Q_SIGNALS:
    void showKeyboardShortcuts();

private:
    AppNotifier() = default;
};
