#pragma once

#include <QList>
#include <QString>
#include <Qt>

#include <optional>

// A modifier key that narrows hover scrubbing while it is held. The raw
// values are the stored form (JSON "key" of a scrub modifier) and never change;
// the names shown to the user are the Linux keyboard's.
enum class ModifierKey { option, command, control, shift };

// Every key, in the order the settings window lists and picks them.
const QList<ModifierKey> &allModifierKeys();

// "option", "command", "control", "shift".
QString modifierKeyRawValue(ModifierKey key);
// Exact, case-sensitive match of a raw value; anything else gives nothing.
std::optional<ModifierKey> modifierKeyFromRawValue(const QString &raw);

// The short text shown on the card's hint chips and in labels: "Alt", "Ctrl",
// "Meta", "Shift". The keys have no symbol of their own on this desktop, so the
// symbol is the key's name.
QString modifierKeySymbol(ModifierKey key);
// The key's name in pickers; the same words as the symbol.
QString modifierKeyName(ModifierKey key);

// The one place where a key is mapped to Qt's modifier flags. Qt already calls
// the Ctrl key ControlModifier and the Super/Windows key MetaModifier, so
// command (the primary shortcut key) is Ctrl and control is Meta.
Qt::KeyboardModifier qtModifier(ModifierKey key);

// Whether the key is held in the given modifier state.
bool isModifierKeyHeld(ModifierKey key, Qt::KeyboardModifiers modifiers);
