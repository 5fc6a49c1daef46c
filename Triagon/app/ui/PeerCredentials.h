#pragma once

#include <QtGlobal>

#include <optional>

#include <sys/types.h>

// Who is at the other end of a connected local socket, as the kernel saw it
// when the connection was made (SO_PEERCRED): a hand-over goes only between
// processes of one user, whatever the socket's folder and mode allow.
class PeerCredentials
{
public:
    // The effective user id of the peer of the socket `descriptor`, or none
    // when it cannot be read.
    static std::optional<uid_t> userId(qintptr descriptor);
    // Whether that is this process's own effective user id.
    static bool isThisUser(qintptr descriptor);
};
