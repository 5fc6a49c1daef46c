#pragma once

#include <QByteArray>
#include <QList>

// The desktop's feedback for a launch from a menu or a file manager (the X11
// startup notification: a busy pointer, a "starting" task-bar entry) that Qt
// ends when the process shows its first window. A launch that hands over to
// the running Triagon shows none, so it ends the feedback itself; otherwise
// the pointer would stay busy until the desktop gives up on it.
class StartupFeedback
{
public:
    // Ends the feedback of the launch `startupId` (its DESKTOP_STARTUP_ID).
    // Nothing without an id or off X11.
    static void end(const QByteArray &startupId);

    // The message that ends `startupId`'s feedback ("remove: ID=…", the value
    // quoted when it holds a space, a quote or a backslash), cut into the
    // 20-byte pieces the X client messages carry, the terminating NUL
    // included, the last piece padded with NULs.
    static QList<QByteArray> removeMessagePieces(const QByteArray &startupId);
};
