#include "app/ui/PeerCredentials.h"

#include <sys/socket.h>
#include <unistd.h>

std::optional<uid_t> PeerCredentials::userId(qintptr descriptor)
{
    if (descriptor < 0)
        return std::nullopt;
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof credentials)
        return std::nullopt;
    return credentials.uid;
}

bool PeerCredentials::isThisUser(qintptr descriptor)
{
    const std::optional<uid_t> peer = userId(descriptor);
    return peer && *peer == ::geteuid();
}
