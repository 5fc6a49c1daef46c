#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>

// Reads the values of one JSON object the way the session file is decoded: a
// required key must be present and not null, an optional key may be absent
// or null. The first failure is kept (later reads return empty values and
// change nothing), so a decoder reads every field and checks failed() once.
class JsonReader
{
public:
    explicit JsonReader(const QJsonObject &object) : m_object(object) {}

    bool failed() const { return !m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    void fail(const QString &text)
    {
        if (!failed())
            m_error = text;
    }

    // Present and not null.
    bool has(const QString &key) const;

    QJsonValue required(const QString &key);
    QString string(const QString &key);
    double number(const QString &key);
    // A whole number in the 64-bit range (3.0 counts, 3.5 does not).
    qint64 integer(const QString &key);
    QStringList strings(const QString &key);
    QJsonArray array(const QString &key);
    // The plain 8-4-4-4-12 form only.
    QUuid uuid(const QString &key);
    QUrl url(const QString &key);

    static QString keyNotFound(const QString &key);
    static QString typeMismatch(const QString &key, const char *expected);
    static QString invalidUrl();

private:
    const QJsonObject &m_object;
    QString m_error;
};
