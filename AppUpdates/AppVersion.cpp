#include "AppUpdates/AppVersion.h"

#include <QRegularExpression>

#include <algorithm>

std::optional<AppVersion> AppVersion::parse(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^[vV]?([0-9]+(?:\\.[0-9]+)*)$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    AppVersion version;
    version.m_text = match.captured(1);
    for (const QString &part : version.m_text.split(QLatin1Char('.'))) {
        qsizetype firstDigit = 0;
        while (firstDigit + 1 < part.size() && part.at(firstDigit) == QLatin1Char('0'))
            ++firstDigit;
        version.m_components.append(part.mid(firstDigit));
    }
    while (!version.m_components.isEmpty() && version.m_components.last() == QLatin1String("0"))
        version.m_components.removeLast();
    return version;
}

int AppVersion::compare(const AppVersion &a, const AppVersion &b)
{
    const qsizetype count = std::max(a.m_components.size(), b.m_components.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QString x = i < a.m_components.size() ? a.m_components.at(i) : QStringLiteral("0");
        const QString y = i < b.m_components.size() ? b.m_components.at(i) : QStringLiteral("0");
        // Without leading zeros, the longer digit string is the larger number;
        // equal lengths compare digit by digit. No integer can overflow.
        if (x.size() != y.size())
            return x.size() < y.size() ? -1 : 1;
        const int order = QString::compare(x, y);
        if (order != 0)
            return order < 0 ? -1 : 1;
    }
    return 0;
}
