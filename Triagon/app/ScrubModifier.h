#pragma once

#include "app/ModifierKey.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// While `key` is held over a clip card, hover scrubbing spans only `seconds`
// seconds of the clip around the pointer, for precise positioning. A list of
// them holds each key at most once: the key is the modifier's identity.
struct ScrubModifier
{
    ModifierKey key = ModifierKey::option;
    double seconds = 0.0;

    // The identity of the modifier within a list: its key's raw value.
    QString id() const { return modifierKeyRawValue(key); }

    // The key's symbol, one blank and the seconds text: "Alt 3s", "Ctrl 0.5s".
    QString label() const;

    friend bool operator==(const ScrubModifier &, const ScrubModifier &) = default;

    // The stored object {"key": "<raw value>", "seconds": <number>}. Both keys
    // are required; an unknown key name or a seconds value that is not a number
    // fails.
    QJsonObject toJson() const;
    static std::optional<ScrubModifier> fromJson(const QJsonValue &value);

    // The stored list: a compact JSON array of those objects. Encoding fails
    // (nothing) when a seconds value is not finite, since JSON cannot carry it.
    static std::optional<QByteArray> encodeList(const QList<ScrubModifier> &modifiers);
    // Decoding fails (nothing) when the text is not a JSON array or any element
    // fails; a key that appears again later in the list is dropped, so the list
    // keeps its one-modifier-per-key shape.
    static std::optional<QList<ScrubModifier>> decodeList(const QByteArray &json);
};
