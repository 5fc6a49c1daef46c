#pragma once

#include <QString>

// A scrub window or a time gap as a short text: a whole value as the number and
// "s" ("3s", "10s"), any other value with one decimal ("0.5s", "2.5s").
QString secondsLabel(double seconds);
