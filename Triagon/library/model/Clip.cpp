#include "library/model/Clip.h"

#include "library/model/ClipDisplayTexts.h"
#include "library/model/FileName.h"
#include "library/model/JsonReader.h"
#include "library/model/ReferenceDate.h"
#include "library/model/TagName.h"

#include <QJsonArray>
#include <QJsonValue>
#include <cmath>

namespace {

double finiteOrZero(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

} // namespace

QString uuidText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

bool operator==(const Clip &a, const Clip &b)
{
    return a.id == b.id && a.rating == b.rating && a.tags == b.tags && a.filename == b.filename && a.markerFlag == b.markerFlag
           && a.url == b.url && a.isMissing == b.isMissing && a.recordedAt == b.recordedAt
           && a.numberingResetReview == b.numberingResetReview;
}

QJsonObject Clip::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("id"), uuidText(id));
    o.insert(QStringLiteral("url"), url.toString(QUrl::FullyEncoded));
    o.insert(QStringLiteral("filename"), filename);
    o.insert(QStringLiteral("duration"), finiteOrZero(duration));
    o.insert(QStringLiteral("width"), width);
    o.insert(QStringLiteral("height"), height);
    o.insert(QStringLiteral("fileSize"), fileSize);
    o.insert(QStringLiteral("codec"), codec);
    o.insert(QStringLiteral("frameRate"), finiteOrZero(frameRate));
    o.insert(QStringLiteral("rating"), rating);
    o.insert(QStringLiteral("tags"), QJsonArray::fromStringList(tags));
    if (markerFlag)
        o.insert(QStringLiteral("markerFlag"), markerFlag->encoded());
    if (recordedAt && recordedAt->isValid())
        o.insert(QStringLiteral("recordedAt"), ReferenceDate::secondsSinceReference(*recordedAt));
    if (recordingDateChecked)
        o.insert(QStringLiteral("recordingDateChecked"), *recordingDateChecked);
    if (numberingResetReview) {
        QJsonObject review;
        review.insert(QStringLiteral("previousClipID"), uuidText(numberingResetReview->previousClipID));
        review.insert(QStringLiteral("decision"), NumberingResetReview::rawValue(numberingResetReview->decision));
        o.insert(QStringLiteral("numberingResetReview"), review);
    }
    return o;
}

std::optional<Clip> Clip::fromJson(const QJsonObject &object, QString *errorText)
{
    JsonReader r(object);
    Clip c;
    c.id = r.uuid(QStringLiteral("id"));
    c.url = r.url(QStringLiteral("url"));
    c.filename = r.string(QStringLiteral("filename"));
    c.duration = r.number(QStringLiteral("duration"));
    c.width = r.integer(QStringLiteral("width"));
    c.height = r.integer(QStringLiteral("height"));
    c.fileSize = r.integer(QStringLiteral("fileSize"));
    c.codec = r.string(QStringLiteral("codec"));
    c.frameRate = r.number(QStringLiteral("frameRate"));
    c.rating = r.integer(QStringLiteral("rating"));
    // A file written elsewhere may spell one tag two ways; it loads as one.
    c.tags = TagName::canonical(r.strings(QStringLiteral("tags")));

    if (!r.failed() && r.has(QStringLiteral("markerFlag"))) {
        const QJsonValue v = object.value(QStringLiteral("markerFlag"));
        QString error;
        if (!v.isString())
            r.fail(JsonReader::typeMismatch(QStringLiteral("markerFlag"), "String"));
        else if (auto flag = MarkerFlag::decode(v.toString(), &error))
            c.markerFlag = *flag;
        else
            r.fail(error);
    }
    if (!r.failed() && r.has(QStringLiteral("recordedAt"))) {
        const QJsonValue v = object.value(QStringLiteral("recordedAt"));
        if (!v.isDouble())
            r.fail(JsonReader::typeMismatch(QStringLiteral("recordedAt"), "Double"));
        else if (const QDateTime date = ReferenceDate::fromSecondsSinceReference(v.toDouble()); date.isValid())
            c.recordedAt = date; // a date beyond the representable range counts as unknown
    }
    if (!r.failed() && r.has(QStringLiteral("recordingDateChecked"))) {
        const QJsonValue v = object.value(QStringLiteral("recordingDateChecked"));
        if (!v.isBool())
            r.fail(JsonReader::typeMismatch(QStringLiteral("recordingDateChecked"), "Bool"));
        else
            c.recordingDateChecked = v.toBool();
    }
    if (!r.failed() && r.has(QStringLiteral("numberingResetReview"))) {
        const QJsonValue v = object.value(QStringLiteral("numberingResetReview"));
        if (!v.isObject()) {
            r.fail(JsonReader::typeMismatch(QStringLiteral("numberingResetReview"), "NumberingResetReview"));
        } else {
            const QJsonObject reviewObject = v.toObject();
            JsonReader rr(reviewObject);
            NumberingResetReview review;
            review.previousClipID = rr.uuid(QStringLiteral("previousClipID"));
            const QString decision = rr.string(QStringLiteral("decision"));
            if (rr.failed()) {
                r.fail(rr.error());
            } else if (auto d = NumberingResetReview::decisionFromRaw(decision)) {
                review.decision = *d;
                c.numberingResetReview = review;
            } else {
                r.fail(QStringLiteral("Cannot initialize Decision from invalid String value ") + decision);
            }
        }
    }
    if (r.failed()) {
        if (errorText)
            *errorText = r.error();
        return std::nullopt;
    }
    c.isMissing = false;
    return c;
}

QString Clip::urlFileName() const
{
    return FileName::lastComponent(url.path(QUrl::FullyDecoded));
}

QString Clip::durationText() const
{
    const double d = std::isfinite(duration) ? duration : 0.0;
    if (d < 60)
        return QString::asprintf("%.1fs", d);
    const qint64 t = truncatedSeconds(d);
    const qint64 minutes = t / 60;
    const qint64 seconds = t - 60 * minutes;
    return QString::number(minutes) + QLatin1Char(':') + QString::asprintf("%02d", static_cast<int>(seconds));
}

QString Clip::resolutionLabel() const
{
    if (width <= 0 || height <= 0)
        return QString();
    const qint64 longSide = std::max(width, height);
    if (longSide > 3839)
        return QStringLiteral("4K");
    if (longSide > 2559)
        return QStringLiteral("1440p");
    if (longSide > 1919)
        return QStringLiteral("1080p");
    if (longSide > 1279)
        return QStringLiteral("720p");
    return QString::number(width) + QChar(0x00D7) + QString::number(height);
}

QString Clip::frameRateText() const
{
    const double f = frameRate;
    if (!(f > 0) || !std::isfinite(f))
        return QString();
    const double r = std::round(f * 100.0) / 100.0;
    if (r == std::trunc(r))
        return QString::asprintf("%.0f", r);
    return QString::asprintf("%.2f", r);
}

QString Clip::fileSizeText() const
{
    if (fileSize <= 0)
        return QString();
    const double megabytes = static_cast<double>(fileSize) / 1048576.0;
    if (megabytes > 1024)
        return QString::asprintf("%.1f GB", megabytes / 1024.0);
    return QString::asprintf("%.0f MB", megabytes);
}
