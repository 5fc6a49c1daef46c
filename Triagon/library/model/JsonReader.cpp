#include "library/model/JsonReader.h"

QString JsonReader::keyNotFound(const QString &key)
{
    return QStringLiteral("No value associated with key \"") + key + QStringLiteral("\".");
}

QString JsonReader::typeMismatch(const QString &key, const char *expected)
{
    return QStringLiteral("Expected to decode ") + QLatin1String(expected) + QStringLiteral(" for key \"") + key
           + QStringLiteral("\" but found another type instead.");
}

QString JsonReader::invalidUrl()
{
    return QStringLiteral("Invalid URL string.");
}

bool JsonReader::has(const QString &key) const
{
    const auto it = m_object.constFind(key);
    return it != m_object.constEnd() && !it->isNull();
}

QJsonValue JsonReader::required(const QString &key)
{
    if (failed())
        return {};
    if (!m_object.contains(key)) {
        fail(keyNotFound(key));
        return {};
    }
    const QJsonValue value = m_object.value(key);
    if (value.isNull()) {
        fail(QStringLiteral("Expected a value for key \"") + key + QStringLiteral("\" but found null instead."));
        return {};
    }
    return value;
}

QString JsonReader::string(const QString &key)
{
    const QJsonValue v = required(key);
    if (failed())
        return {};
    if (!v.isString()) {
        fail(typeMismatch(key, "String"));
        return {};
    }
    return v.toString();
}

double JsonReader::number(const QString &key)
{
    const QJsonValue v = required(key);
    if (failed())
        return 0;
    if (!v.isDouble()) {
        fail(typeMismatch(key, "Double"));
        return 0;
    }
    return v.toDouble();
}

qint64 JsonReader::integer(const QString &key)
{
    const QJsonValue v = required(key);
    if (failed())
        return 0;
    // toInteger answers its default for anything that is not a whole number
    // in range, so two different defaults agree only for a real integer. This
    // keeps the whole 64-bit range, which a comparison of doubles would not.
    const qint64 value = v.toInteger(0);
    if (!v.isDouble() || value != v.toInteger(1)) {
        fail(typeMismatch(key, "Int"));
        return 0;
    }
    return value;
}

QStringList JsonReader::strings(const QString &key)
{
    const QJsonValue v = required(key);
    if (failed())
        return {};
    if (!v.isArray()) {
        fail(typeMismatch(key, "Array<String>"));
        return {};
    }
    QStringList list;
    const QJsonArray array = v.toArray();
    list.reserve(array.size());
    for (const QJsonValue &item : array) {
        if (!item.isString()) {
            fail(typeMismatch(key, "String"));
            return {};
        }
        list.append(item.toString());
    }
    return list;
}

QJsonArray JsonReader::array(const QString &key)
{
    const QJsonValue v = required(key);
    if (failed())
        return {};
    if (!v.isArray()) {
        fail(typeMismatch(key, "Array"));
        return {};
    }
    return v.toArray();
}

QUuid JsonReader::uuid(const QString &key)
{
    const QString text = string(key);
    if (failed())
        return {};
    // QUuid would also take the braced form.
    const QUuid id = text.size() == 36 ? QUuid::fromString(text) : QUuid();
    if (id.isNull() && text != QLatin1String("00000000-0000-0000-0000-000000000000")) {
        fail(QStringLiteral("Attempted to decode UUID from invalid UUID string."));
        return {};
    }
    return id;
}

QUrl JsonReader::url(const QString &key)
{
    const QString text = string(key);
    if (failed())
        return {};
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid()) {
        fail(invalidUrl());
        return {};
    }
    return url;
}
