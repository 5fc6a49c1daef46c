#pragma once

#include <QString>

// A folder of this user's own inside a shared one (the temporary folder):
// made with mode 0700 when it is missing, and used only when it is a real
// folder (not a link) owned by this user that no one else may enter. Another
// user who made it first, or left it open, must not be able to put a socket
// where this user's launches look for their own.
class PrivateFolder
{
public:
    // Makes `path` unless it exists; empty when it can be used, otherwise
    // why not.
    static QString ensure(const QString &path);
};
