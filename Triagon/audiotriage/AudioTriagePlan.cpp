#include "audiotriage/AudioTriagePlan.h"

#include <QSet>

AudioTriagePlan AudioTriagePlan::make(const AudioTriageRule &loud, const AudioTriageRule &quiet, const QList<AudioTriageResult> &sorted)
{
    AudioTriagePlan plan;
    QSet<QUuid> taken;
    if (loud.addsTags()) {
        for (const qsizetype i : loud.chosen(sorted)) {
            const QUuid &id = sorted[i].clip.id;
            if (taken.contains(id))
                continue;
            plan.pairs.append({id, loud.label});
            taken.insert(id);
            ++plan.loudTagged;
        }
    }
    if (quiet.addsTags()) {
        for (const qsizetype i : quiet.chosen(sorted)) {
            const QUuid &id = sorted[i].clip.id;
            if (taken.contains(id))
                continue;
            plan.pairs.append({id, quiet.label});
            taken.insert(id);
            ++plan.quietTagged;
        }
    }
    plan.untouched = sorted.size() - plan.loudTagged - plan.quietTagged;
    return plan;
}
