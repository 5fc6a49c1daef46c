#include "app/ScrubModifier.h"

#include "app/SecondsLabel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <algorithm>
#include <cmath>

QString ScrubModifier::label() const
{
    return modifierKeySymbol(key) + QLatin1Char(' ') + secondsLabel(seconds);
}

QJsonObject ScrubModifier::toJson() const
{
    QJsonObject object;
    object.insert(QStringLiteral("key"), modifierKeyRawValue(key));
    object.insert(QStringLiteral("seconds"), seconds);
    return object;
}

std::optional<ScrubModifier> ScrubModifier::fromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue keyValue = object.value(QStringLiteral("key"));
    const QJsonValue secondsValue = object.value(QStringLiteral("seconds"));
    if (!keyValue.isString() || !secondsValue.isDouble())
        return std::nullopt;
    const std::optional<ModifierKey> key = modifierKeyFromRawValue(keyValue.toString());
    if (!key)
        return std::nullopt;
    const double seconds = secondsValue.toDouble();
    if (!std::isfinite(seconds))
        return std::nullopt;
    return ScrubModifier{*key, seconds};
}

std::optional<QByteArray> ScrubModifier::encodeList(const QList<ScrubModifier> &modifiers)
{
    QJsonArray array;
    for (const ScrubModifier &modifier : modifiers) {
        // QJsonDocument would silently write a non-finite number as null, which
        // the next launch could not read back.
        if (!std::isfinite(modifier.seconds))
            return std::nullopt;
        array.append(modifier.toJson());
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<QList<ScrubModifier>> ScrubModifier::decodeList(const QByteArray &json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<ScrubModifier> modifiers;
    for (const QJsonValue &element : document.array()) {
        const std::optional<ScrubModifier> modifier = fromJson(element);
        if (!modifier)
            return std::nullopt;
        const bool keyTaken = std::any_of(modifiers.cbegin(), modifiers.cend(),
                                          [&](const ScrubModifier &m) { return m.key == modifier->key; });
        if (!keyTaken)
            modifiers.append(*modifier);
    }
    return modifiers;
}
