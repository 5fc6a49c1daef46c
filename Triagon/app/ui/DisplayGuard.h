#pragma once

#include <QApplication>
#include <QString>

#include <memory>

// Opens the window system for the application. Qt ends the process with an
// abort (status 134) when no display can be opened: no DISPLAY in a terminal
// over ssh, a display server that is gone. Here that becomes one line on
// standard error and the status noDisplayStatus. Qt's own messages while it
// opens the display are held back, and passed on as they came once it is open.
class DisplayGuard
{
public:
    static constexpr int noDisplayStatus = 1;

    // Makes the application; does not return when no display can be opened.
    static std::unique_ptr<QApplication> openApplication(int &argc, char **argv);

    // The line printed then, naming what was tried.
    static QString noDisplayMessage();
};
