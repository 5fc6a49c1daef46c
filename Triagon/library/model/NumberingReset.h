#pragma once

#include <QUuid>

// A place where a camera's file numbering restarts.
struct NumberingReset
{
    QUuid previousClipID; // the last clip before the restart
    QUuid firstClipID;    // the first clip after it
    friend bool operator==(const NumberingReset &, const NumberingReset &) = default;
};
