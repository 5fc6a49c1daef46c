#pragma once

#include "audiotriage/AudioTriageResult.h"
#include "audiotriage/AudioTriageRule.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QUuid>

// What "Apply Tags" does with the ranked results: the (clip, label) pairs it
// hands to the store, loud pairs first (in score order), then quiet pairs (in
// score order) for clips the loud rule did not take. A rule that is off or
// has a blank label takes no clip. The summary's counts come from these
// pairs, so the sheet announces exactly what the apply will tag.
struct AudioTriagePlan
{
    QList<QPair<QUuid, QString>> pairs;
    qsizetype loudTagged = 0;  // pairs with the loud label
    qsizetype quietTagged = 0; // pairs with the quiet label
    qsizetype untouched = 0;   // results that get neither label

    static AudioTriagePlan make(const AudioTriageRule &loud, const AudioTriageRule &quiet, const QList<AudioTriageResult> &sorted);
};
