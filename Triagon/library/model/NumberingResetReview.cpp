#include "library/model/NumberingResetReview.h"

QString NumberingResetReview::rawValue(Decision decision)
{
    return decision == Decision::linked ? QStringLiteral("linked") : QStringLiteral("dismissed");
}

std::optional<NumberingResetReview::Decision> NumberingResetReview::decisionFromRaw(const QString &text)
{
    if (text == QLatin1String("dismissed"))
        return Decision::dismissed;
    if (text == QLatin1String("linked"))
        return Decision::linked;
    return std::nullopt;
}
