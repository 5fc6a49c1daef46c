#include "app/widgets/Reveal.h"

#include "app/widgets/RevealFolderHandler.h"
#include "app/widgets/SheetPresenter.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace {

FileManagerRequest &replacedRequest()
{
    static FileManagerRequest request;
    return request;
}

UrlOpener &replacedOpener()
{
    static UrlOpener opener;
    return opener;
}

// The folder to the desktop's launcher (xdg-open), only when the application
// the desktop opens folders with is another one: Triagon would import the
// folder (after an organize, the clips just moved out of the session), and
// with none the launcher has nothing to open it with.
bool openFolderWithLauncher(const QUrl &folder)
{
    const RevealFolderHandler::Handler handler = RevealFolderHandler::lookup();
    if (!handler.found() || handler.ours)
        return false;
    return replacedOpener() ? replacedOpener()(folder) : QDesktopServices::openUrl(folder);
}

// The desktop's own way: the file manager over D-Bus for an item, the
// launcher for a folder or when no file manager answers.
void askDesktop(const QUrl &item, const QUrl &folder, std::function<void(bool)> done)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (item.isEmpty() || !bus.isConnected()) {
        done(openFolderWithLauncher(folder));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("/org/freedesktop/FileManager1"),
                                                       QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QString::fromUtf8(item.toEncoded())} << QString();
    // Asynchronous so that a slow or absent file manager never blocks the window;
    // the bus activates one that is installed but not running.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, folder, done = std::move(done)] {
        QDBusPendingReply<> reply = *watcher;
        done(!reply.isError() || openFolderWithLauncher(folder));
        watcher->deleteLater();
    });
}

void showFailure(QWidget *parent, const QUrl &folder, bool folderItself)
{
    SheetPresenter::Alert alert{.objectName = QStringLiteral("revealFailureAlert"),
                                .icon = SheetPresenter::Alert::Icon::information,
                                .title = revealFailureTitle(),
                                .text = revealFailureText(folderItself),
                                .textFormat = Qt::PlainText,
                                // The path, to find the file by hand: selectable, so that it can be copied.
                                .informativeText = QDir::toNativeSeparators(folder.toLocalFile()),
                                .textInteraction = Qt::TextSelectableByMouse,
                                .buttons = {{.standard = QDialogButtonBox::Ok}}};
    // Over `parent`'s window; the focus goes back where it was once it is read.
    SheetPresenter::showAlert(alert, parent);
}

void ask(const QUrl &item, const QUrl &folder, QWidget *parent)
{
    QPointer<QWidget> guard(parent);
    const bool folderItself = item.isEmpty();
    auto done = [guard, folder, folderItself](bool shown) {
        if (!shown)
            showFailure(guard, folder, folderItself);
    };
    if (replacedRequest())
        replacedRequest()(item, folder, done);
    else
        askDesktop(item, folder, done);
}

} // namespace

QUrl containingFolderUrl(const QUrl &url)
{
    const QString path = url.toLocalFile();
    if (path.isEmpty())
        return QUrl();
    return QUrl::fromLocalFile(QFileInfo(path).absolutePath());
}

void revealInFileManager(const QUrl &url, QWidget *parent)
{
    if (!url.isValid() || !url.isLocalFile())
        return;
    ask(url, containingFolderUrl(url), parent);
}

void openFolderInFileManager(const QUrl &folder, QWidget *parent)
{
    if (!folder.isValid() || !folder.isLocalFile())
        return;
    ask(QUrl(), folder, parent);
}

void setFileManagerRequest(FileManagerRequest request)
{
    replacedRequest() = std::move(request);
}

void setUrlOpener(UrlOpener opener)
{
    replacedOpener() = std::move(opener);
}

QString revealFailureTitle()
{
    return QStringLiteral("Could Not Show in File Manager");
}

QString revealFailureText(bool folderItself)
{
    return folderItself ? QStringLiteral("No file manager could open the folder. You find it here:")
                        : QStringLiteral("No file manager could show the file. It is in this folder:");
}
