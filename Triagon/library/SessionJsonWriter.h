#pragma once

#include "library/ClipStore.h"

#include <QByteArray>

// Writes a session record as compact JSON text, straight into bytes. The
// result reads back exactly like QJsonDocument(data.toJson()) written compact
// (same keys and values; the key order differs, which JSON readers ignore),
// but without building a JSON object per clip first: a session of ten
// thousand clips encodes in a fraction of the time, so a save on the GUI
// thread stays short.
namespace SessionJsonWriter {
QByteArray encode(const ClipStore::SessionData &data);
} // namespace SessionJsonWriter
