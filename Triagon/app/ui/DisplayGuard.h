#pragma once

#include <QApplication>
#include <QString>

#include <memory>

// Opens the window system for the application. Qt ends the process with an
// abort (status 134) when it cannot: no DISPLAY in a terminal over ssh, a
// display server that is gone, a platform plugin that is not installed. Here
// that becomes one line on standard error, naming what failed, and the status
// failureStatus. Qt's own messages while it opens the display are held back,
// and passed on as they came once it is open.
class DisplayGuard
{
public:
    static constexpr int failureStatus = 1;

    // Makes the application; does not return when the window system cannot
    // be opened.
    static std::unique_ptr<QApplication> openApplication(int &argc, char **argv);
};
