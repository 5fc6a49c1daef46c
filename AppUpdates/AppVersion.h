#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// A dotted release version ("1.4", "1.10.2", also written "v1.4"), compared
// numerically component by component; missing components count as 0, so 1.4
// and 1.4.0 are the same version. Components may have any number of digits.
class AppVersion
{
public:
    // Nothing for anything else than digits separated by single dots (a
    // pre-release suffix such as "1.4-beta" is not a release version).
    static std::optional<AppVersion> parse(const QString &text);

    // Negative, zero or positive as `a` is older than, the same as or newer
    // than `b`.
    static int compare(const AppVersion &a, const AppVersion &b);

    // The version as it was written (without a leading "v").
    QString toString() const { return m_text; }

    friend bool operator==(const AppVersion &a, const AppVersion &b) { return compare(a, b) == 0; }
    friend bool operator<(const AppVersion &a, const AppVersion &b) { return compare(a, b) < 0; }

private:
    QString m_text;
    // Digits without leading zeros, trailing zero components dropped.
    QStringList m_components;
};
