#include "app/ModifierKey.h"

const QList<ModifierKey> &allModifierKeys()
{
    static const QList<ModifierKey> keys{ModifierKey::option, ModifierKey::command, ModifierKey::control, ModifierKey::shift};
    return keys;
}

QString modifierKeyRawValue(ModifierKey key)
{
    switch (key) {
    case ModifierKey::option:
        return QStringLiteral("option");
    case ModifierKey::command:
        return QStringLiteral("command");
    case ModifierKey::control:
        return QStringLiteral("control");
    case ModifierKey::shift:
        return QStringLiteral("shift");
    }
    return {};
}

std::optional<ModifierKey> modifierKeyFromRawValue(const QString &raw)
{
    for (ModifierKey key : allModifierKeys()) {
        if (modifierKeyRawValue(key) == raw)
            return key;
    }
    return std::nullopt;
}

QString modifierKeySymbol(ModifierKey key)
{
    return modifierKeyName(key);
}

QString modifierKeyName(ModifierKey key)
{
    switch (key) {
    case ModifierKey::option:
        return QStringLiteral("Alt");
    case ModifierKey::command:
        return QStringLiteral("Ctrl");
    case ModifierKey::control:
        return QStringLiteral("Meta");
    case ModifierKey::shift:
        return QStringLiteral("Shift");
    }
    return {};
}

Qt::KeyboardModifier qtModifier(ModifierKey key)
{
    switch (key) {
    case ModifierKey::option:
        return Qt::AltModifier;
    case ModifierKey::command:
        return Qt::ControlModifier;
    case ModifierKey::control:
        return Qt::MetaModifier;
    case ModifierKey::shift:
        return Qt::ShiftModifier;
    }
    return Qt::NoModifier;
}

bool isModifierKeyHeld(ModifierKey key, Qt::KeyboardModifiers modifiers)
{
    return modifiers.testFlag(qtModifier(key));
}
