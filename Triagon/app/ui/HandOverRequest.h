#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// What a later launch hands to the running Triagon, and how it travels over
// the local socket: one line. "activate" (all that the first versions knew)
// only asks for the window; "open " and base64 of a JSON object carries the
// paths and the desktop's activation token, in base64 so that the request
// stays one line whatever the paths hold.
//
// A request that asks to be confirmed is answered "ready" and acted on only
// once the launch says "go" on the same connection: the launch alone decides
// whether it was handed over, so what it reports is what happens, also when
// the running process wakes just as the launch gives up. Earlier launches
// ask for no confirmation and are answered "ok" and acted on at once.
struct HandOverRequest
{
    // Folders and video files to import (absolute).
    QStringList paths{};
    // What the launch named that is not imported, to be named in the window.
    QStringList notOpened{};
    QByteArray activationToken{};
    // Whether the sender waits for "ready" and then says "go".
    bool confirm = true;

    // The request as one line, newline included.
    QByteArray line() const;
    // The request `line` (newline included) holds, or none when it is no request.
    static std::optional<HandOverRequest> fromLine(const QByteArray &line);
    // Whether `bytes` can still become a request: only its start is checked
    // here, the rest once the line is whole.
    static bool mayBeLine(const QByteArray &bytes);

    static const QByteArray activateLine; // "activate\n"
    static const QByteArray answerOk;     // "ok\n": taken and acted on
    static const QByteArray answerReady;  // "ready\n": taken once the launch says go
    static const QByteArray goLine;       // "go\n"
};
