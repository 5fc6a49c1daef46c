#include "AppUpdates/AppUpdater.h"

#include "AppUpdates/AppVersion.h"
#include "app/widgets/SheetPresenter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// The feed is a few hundred bytes; anything far larger is not a feed.
constexpr qint64 kMaxFeedBytes = 256 * 1024;
constexpr int kTransferTimeoutMs = 20000;
// Long release notes would make the alert taller than the screen.
constexpr qsizetype kMaxShownNotes = 2000;

bool isUsableFeedUrl(const QUrl &url)
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return !url.host().isEmpty();
    return scheme == QLatin1String("file") && !url.toLocalFile().isEmpty();
}

QString productVersionText(const QString &version)
{
    return QStringLiteral("Triagon ") + version;
}

} // namespace

AppUpdater::AppUpdater(bool startingUpdater, QObject *parent) : AppUpdater(startingUpdater, builtInFeedUrl(), builtInVersion(), parent)
{
}

AppUpdater::AppUpdater(bool startingUpdater, const QUrl &feedUrl, const QString &currentVersion, QObject *parent)
    : QObject(parent), m_feedUrl(isUsableFeedUrl(feedUrl) ? feedUrl : QUrl()), m_currentVersion(currentVersion),
      m_network(new QNetworkAccessManager(this)), m_presenter(&AppUpdater::showResult)
{
    if (startingUpdater)
        startUpdater();
}

AppUpdater::~AppUpdater()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

QUrl AppUpdater::builtInFeedUrl()
{
    const QUrl url(QString::fromUtf8(TRIAGON_UPDATE_FEED_URL), QUrl::StrictMode);
    return isUsableFeedUrl(url) ? url : QUrl();
}

QString AppUpdater::builtInVersion()
{
    return QString::fromUtf8(TRIAGON_VERSION);
}

void AppUpdater::startUpdater()
{
    m_started = true;
    updateCanCheck();
}

void AppUpdater::setResultPresenter(ResultPresenter presenter)
{
    m_presenter = std::move(presenter);
}

void AppUpdater::updateCanCheck()
{
    const bool canCheck = m_started && !m_feedUrl.isEmpty() && !m_reply;
    if (canCheck == m_canCheckForUpdates)
        return;
    m_canCheckForUpdates = canCheck;
    Q_EMIT canCheckForUpdatesChanged(canCheck);
}

void AppUpdater::checkForUpdates()
{
    if (!m_canCheckForUpdates)
        return;
    QNetworkRequest request(m_feedUrl);
    request.setTransferTimeout(kTransferTimeoutMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader, productVersionText(m_currentVersion).replace(QLatin1Char(' '), QLatin1Char('/')));
    request.setRawHeader("Accept", "application/json");
    m_replyTooLarge = false;
    m_reply = m_network->get(request);
    QNetworkReply *reply = m_reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64 total) {
        if (received > kMaxFeedBytes || total > kMaxFeedBytes) {
            m_replyTooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finishCheck(reply); });
    updateCanCheck();
}

void AppUpdater::finishCheck(QNetworkReply *reply)
{
    reply->deleteLater();
    UpdateCheckResult result;
    if (m_replyTooLarge) {
        result = UpdateCheckResult::failure(m_currentVersion, QStringLiteral("The update information is larger than expected."));
    } else if (reply->error() == QNetworkReply::OperationCanceledError) {
        // A transfer timeout ends the reply as cancelled.
        result = UpdateCheckResult::failure(m_currentVersion, QStringLiteral("The update server did not answer in time."));
    } else if (reply->error() != QNetworkReply::NoError) {
        result = UpdateCheckResult::failure(m_currentVersion,
                                            QStringLiteral("The update information could not be loaded: %1.").arg(reply->errorString()));
    } else {
        result = UpdateCheckResult::fromFeed(reply->readAll(), m_currentVersion);
    }
    m_reply = nullptr;
    updateCanCheck();
    Q_EMIT checkFinished(result);
    if (m_presenter)
        m_presenter(result);
}

void AppUpdater::showResult(const UpdateCheckResult &result)
{
    SheetPresenter::Alert alert;
    alert.title = QStringLiteral("Check for Updates");
    const auto paragraphs = [](const QStringList &texts) {
        // The feed's texts are shown as they are, never as markup.
        QString html;
        for (const QString &text : texts) {
            if (!text.isEmpty())
                html += QStringLiteral("<p>") + text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"))
                        + QStringLiteral("</p>");
        }
        return html;
    };
    const SheetPresenter::Alert::Button ok{.standard = QDialogButtonBox::Ok};

    switch (result.kind) {
    case UpdateCheckResult::Kind::upToDate:
        alert.icon = SheetPresenter::Alert::Icon::information;
        alert.text = QStringLiteral("You're up to date.");
        if (AppVersion::parse(result.latestVersion) == AppVersion::parse(result.currentVersion))
            alert.informativeText = paragraphs(
                {QStringLiteral("%1 is the newest version available.").arg(productVersionText(result.currentVersion))});
        else
            alert.informativeText = paragraphs({QStringLiteral("You have %1; the newest release is %2.")
                                                    .arg(productVersionText(result.currentVersion), result.latestVersion)});
        alert.buttons = {ok};
        break;
    case UpdateCheckResult::Kind::updateAvailable: {
        alert.icon = SheetPresenter::Alert::Icon::information;
        alert.text = QStringLiteral("A new version of Triagon is available.");
        QString notes = result.notes.trimmed();
        if (notes.size() > kMaxShownNotes)
            notes = notes.left(kMaxShownNotes) + QChar(0x2026);
        alert.informativeText = paragraphs(
            {QStringLiteral("%1 is available; you have %2.").arg(productVersionText(result.latestVersion), result.currentVersion), notes});
        if (result.downloadPage.isValid()) {
            const QUrl page = result.downloadPage;
            alert.buttons = {{.text = QStringLiteral("Open Download Page"),
                              .role = QDialogButtonBox::AcceptRole,
                              .isDefault = true,
                              .clicked = [page] { QDesktopServices::openUrl(page); }},
                             {.text = QStringLiteral("Later"), .role = QDialogButtonBox::RejectRole}};
        } else {
            alert.buttons = {ok};
        }
        break;
    }
    case UpdateCheckResult::Kind::failed:
        alert.icon = SheetPresenter::Alert::Icon::warning;
        alert.text = QStringLiteral("Could not check for updates.");
        alert.informativeText = paragraphs({result.errorMessage});
        alert.buttons = {ok};
        break;
    }
    SheetPresenter::showAlert(alert, QApplication::activeWindow());
}
