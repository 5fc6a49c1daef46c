#include "app/ui/HandOverRequest.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

const QByteArray HandOverRequest::activateLine = QByteArrayLiteral("activate\n");
const QByteArray HandOverRequest::answerOk = QByteArrayLiteral("ok\n");
const QByteArray HandOverRequest::answerReady = QByteArrayLiteral("ready\n");
const QByteArray HandOverRequest::goLine = QByteArrayLiteral("go\n");

namespace {

const QByteArray kOpen = QByteArrayLiteral("open ");

// The absolute paths of a list; the sender made them absolute against its
// own working folder.
QStringList absolutePaths(const QJsonValue &list)
{
    QStringList paths;
    for (const QJsonValue &value : list.toArray()) {
        const QString path = value.toString();
        if (QDir::isAbsolutePath(path))
            paths.append(QDir::cleanPath(path));
    }
    return paths;
}

} // namespace

QByteArray HandOverRequest::line() const
{
    QJsonObject request;
    request.insert(QStringLiteral("paths"), QJsonArray::fromStringList(paths));
    if (!notOpened.isEmpty())
        request.insert(QStringLiteral("notOpened"), QJsonArray::fromStringList(notOpened));
    if (!activationToken.isEmpty())
        request.insert(QStringLiteral("activationToken"), QString::fromUtf8(activationToken));
    if (confirm)
        request.insert(QStringLiteral("confirm"), true);
    return kOpen + QJsonDocument(request).toJson(QJsonDocument::Compact).toBase64() + '\n';
}

std::optional<HandOverRequest> HandOverRequest::fromLine(const QByteArray &line)
{
    if (line == activateLine)
        return HandOverRequest{.confirm = false};
    if (!line.startsWith(kOpen) || !line.endsWith('\n'))
        return std::nullopt;
    const QByteArray::FromBase64Result json = QByteArray::fromBase64Encoding(line.mid(kOpen.size()).chopped(1),
                                                                             QByteArray::AbortOnBase64DecodingErrors);
    const QJsonDocument document = json ? QJsonDocument::fromJson(*json) : QJsonDocument();
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    return HandOverRequest{.paths = absolutePaths(object.value(QStringLiteral("paths"))),
                           .notOpened = absolutePaths(object.value(QStringLiteral("notOpened"))),
                           .activationToken = object.value(QStringLiteral("activationToken")).toString().toUtf8(),
                           .confirm = object.value(QStringLiteral("confirm")).toBool()};
}

bool HandOverRequest::mayBeLine(const QByteArray &bytes)
{
    return activateLine.startsWith(bytes.left(activateLine.size())) || kOpen.startsWith(bytes.left(kOpen.size()));
}
