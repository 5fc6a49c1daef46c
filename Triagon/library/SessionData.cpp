#include "library/SessionData.h"

#include "library/model/JsonReader.h"
#include "library/model/ReferenceDate.h"
#include "library/model/TagName.h"

#include <QJsonArray>

QJsonObject SessionData::toJson() const
{
    QJsonArray clipArray;
    for (const Clip &clip : clips)
        clipArray.append(clip.toJson());
    QJsonObject o;
    o.insert(QStringLiteral("clips"), clipArray);
    if (sourceFolderURL)
        o.insert(QStringLiteral("sourceFolderURL"), sourceFolderURL->toString(QUrl::FullyEncoded));
    o.insert(QStringLiteral("availableTags"), QJsonArray::fromStringList(availableTags));
    o.insert(QStringLiteral("folderOrganization"), folderOrganization);
    o.insert(QStringLiteral("gridColumns"), gridColumns);
    o.insert(QStringLiteral("savedAt"), savedAt.isValid() ? ReferenceDate::secondsSinceReference(savedAt) : 0.0);
    return o;
}

std::optional<SessionData> SessionData::fromJson(const QJsonObject &object, QString *errorText)
{
    JsonReader r(object);
    SessionData data;
    const QJsonArray clipArray = r.array(QStringLiteral("clips"));
    for (qsizetype i = 0; i < clipArray.size() && !r.failed(); ++i) {
        const QString where = QStringLiteral("clips[") + QString::number(i) + QStringLiteral("]: ");
        if (!clipArray[i].isObject()) {
            r.fail(where + JsonReader::typeMismatch(QStringLiteral("clips"), "Clip"));
            break;
        }
        QString clipError;
        if (auto clip = Clip::fromJson(clipArray[i].toObject(), &clipError))
            data.clips.append(std::move(*clip));
        else
            r.fail(where + clipError);
    }
    if (!r.failed() && r.has(QStringLiteral("sourceFolderURL")))
        data.sourceFolderURL = r.url(QStringLiteral("sourceFolderURL"));
    data.availableTags = TagName::canonical(r.strings(QStringLiteral("availableTags")));
    data.folderOrganization = r.string(QStringLiteral("folderOrganization"));
    data.gridColumns = r.integer(QStringLiteral("gridColumns"));
    const double savedAt = r.number(QStringLiteral("savedAt"));
    if (r.failed()) {
        if (errorText)
            *errorText = r.error();
        return std::nullopt;
    }
    data.savedAt = ReferenceDate::fromSecondsSinceReference(savedAt);
    return data;
}
