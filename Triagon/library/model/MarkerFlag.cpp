#include "library/model/MarkerFlag.h"

#include "library/model/StrictInteger.h"

QString MarkerFlag::encoded() const
{
    switch (m_kind) {
    case Kind::special:
        return QStringLiteral("special:") + QString::number(m_hands);
    case Kind::marker:
        return QStringLiteral("marker");
    }
    return QString();
}

std::optional<MarkerFlag> MarkerFlag::decode(const QString &text, QString *errorText)
{
    if (text == QLatin1String("marker"))
        return marker();
    if (text == QLatin1String("good") || text == QLatin1String("special"))
        return special(1);
    if (text == QLatin1String("verySpecial"))
        return special(2);
    if (text.startsWith(QLatin1String("special:"))) {
        if (const auto hands = parseStrictInt64(text.mid(8)))
            return special(*hands);
    }
    if (errorText)
        *errorText = QStringLiteral("Unknown MarkerFlag value '") + text + QLatin1Char('\'');
    return std::nullopt;
}
