#pragma once

#include <QHash>
#include <QHashFunctions>
#include <QString>
#include <QUuid>
#include <optional>

// The user's decision about a camera numbering reset, kept on the first clip
// after the reset.
struct NumberingResetReview
{
    enum class Decision { dismissed, linked };

    QUuid previousClipID;
    Decision decision = Decision::dismissed;

    static QString rawValue(Decision decision);
    static std::optional<Decision> decisionFromRaw(const QString &text);

    friend bool operator==(const NumberingResetReview &a, const NumberingResetReview &b)
    {
        return a.previousClipID == b.previousClipID && a.decision == b.decision;
    }
    friend size_t qHash(const NumberingResetReview &review, size_t seed = 0)
    {
        return qHashMulti(seed, review.previousClipID, static_cast<int>(review.decision));
    }
};
