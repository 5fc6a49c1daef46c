#include "grid/Reveal.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

QUrl containingFolderUrl(const QUrl &url)
{
    const QString path = url.toLocalFile();
    if (path.isEmpty())
        return QUrl();
    return QUrl::fromLocalFile(QFileInfo(path).absolutePath());
}

void revealInFileManager(const QUrl &url)
{
    if (!url.isValid() || !url.isLocalFile())
        return;
    const QUrl folder = containingFolderUrl(url);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QDesktopServices::openUrl(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("/org/freedesktop/FileManager1"),
                                                       QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("ShowItems"));
    call << QStringList{QString::fromUtf8(url.toEncoded())} << QString();
    // Asynchronous so that a slow or absent file manager never blocks the window;
    // the bus activates one that is installed but not running.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, folder] {
        QDBusPendingReply<> reply = *watcher;
        if (reply.isError())
            QDesktopServices::openUrl(folder);
        watcher->deleteLater();
    });
}
