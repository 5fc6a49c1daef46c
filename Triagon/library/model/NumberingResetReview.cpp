#include "library/model/NumberingResetReview.h"

QString NumberingResetReview::rawValue(Decision decision)
{
    switch (decision) {
    case Decision::dismissed:
        return QStringLiteral("dismissed");
    case Decision::linked:
        return QStringLiteral("linked");
    }
    return QString();
}

std::optional<NumberingResetReview::Decision> NumberingResetReview::decisionFromRaw(const QString &text)
{
    if (text == QLatin1String("dismissed"))
        return Decision::dismissed;
    if (text == QLatin1String("linked"))
        return Decision::linked;
    return std::nullopt;
}
