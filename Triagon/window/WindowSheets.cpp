#include "window/WindowSheets.h"

#include "audiotriage/ui/AudioTriageView.h"
#include "library/ClipStore.h"
#include "markers/ui/MarkerDetectView.h"
#include "markers/ui/NumberingResetReviewView.h"
#include "organize/ui/ExportView.h"
#include "window/AppNotifier.h"
#include "window/ContentView.h"
#include "window/KeyboardShortcutsView.h"
#include "window/MissingMediaView.h"
#include "window/NotOpenedItems.h"
#include "window/SessionTagsView.h"

#include <QTimer>

QString WindowSheets::resetReviewMessage(qsizetype clipCount)
{
    // The plain count, also "all 1 clips".
    return QStringLiteral("Clear ratings, tags, and hand-marker flags from all ") + QString::number(clipCount)
           + QStringLiteral(" clips. Your imported clips and filenames stay in this session. You can undo this.");
}

QString WindowSheets::newSessionMessage()
{
    return QStringLiteral("This will discard all ratings, tags, and clip data from the current session. This cannot be undone.");
}

// ---- The sheets -----------------------------------------------------------------

WindowSheets::WindowSheets(ContentView &window)
    : QObject(&window), m_window(window),
      m_organize(*this,
                 {.make = [this](const Close &close) { return new ExportView(m_window.store(), m_window.settings(), close, &m_window); }}),
      m_markerDetect(
          *this,
          {.make = [this](const Close &close) { return new MarkerDetectView(m_window.store(), m_window.settings(), close, &m_window); }}),
      m_numberingReview(
          *this,
          {.make =
               [this](const Close &close) {
                   return new NumberingResetReviewView(m_window.store(), m_window.settings(), *m_numberingReset, close, &m_window);
               },
           .dismissed = [this] { m_numberingReset.reset(); },
           .current =
               [this](const QDialog *sheet) { return static_cast<const NumberingResetReviewView *>(sheet)->reset() == m_numberingReset; }}),
      m_audioTriage(
          *this,
          {.make = [this](const Close &close) { return new AudioTriageView(m_window.store(), m_window.settings(), close, &m_window); }}),
      m_shortcuts(*this,
                  {.make = [this](const Close &) { return new KeyboardShortcutsView(ContentView::keyboardShortcutSections(), &m_window); },
                   .command = keyboardShortcutsCommand()}),
      m_missingMedia(*this, {.make = [this](const Close &) { return new MissingMediaView(m_window.store(), &m_window); }}),
      m_sessionTags(*this,
                    {.make = [this](const Close &) { return new SessionTagsView(m_window.store(), m_window.settings(), &m_window); }}),
      m_resetReview(*this, {.make = [this](const Close &) { return SheetPresenter::makeAlert(resetReviewAlert(), &m_window); }}),
      m_newSession(*this, {.make = [this](const Close &) { return SheetPresenter::makeAlert(newSessionAlert(), &m_window); }}),
      m_saveFailure(*this, {.make = [this](const Close &) { return SheetPresenter::makeAlert(*saveFailureAlert(), &m_window); },
                            .dismissed = [this] { m_window.store().setSessionSaveError(std::nullopt); }}),
      m_restoreFailure(*this, {.make = [this](const Close &) { return SheetPresenter::makeAlert(*restoreFailureAlert(), &m_window); },
                               .dismissed = [this] { m_window.store().setSessionRestoreError(std::nullopt); }}),
      m_notOpenedAlert(*this, {.make = [this](const Close &) { return SheetPresenter::makeAlert(notOpenedContent(), &m_window); },
                               .dismissed = [this] { m_notOpened.clear(); }})
{
    ClipStore &store = m_window.store();
    connect(&store, &ClipStore::sessionSaveErrorChanged, this, [this] { followStore(m_saveFailure, saveFailureAlert()); });
    connect(&store, &ClipStore::sessionRestoreErrorChanged, this, [this] { followStore(m_restoreFailure, restoreFailureAlert()); });
    // A save or restore that failed before the window existed is reported as well.
    QTimer::singleShot(0, this, [this] {
        followStore(m_saveFailure, saveFailureAlert());
        followStore(m_restoreFailure, restoreFailureAlert());
    });
}

void WindowSheets::reviewNumberingReset(const MarkerDetector::NumberingReset &reset)
{
    m_numberingReset = reset;
    m_numberingReview.setShown(true);
}

void WindowSheets::closeNumberingResetReview()
{
    if (!m_numberingReset)
        return;
    m_numberingReset.reset();
    m_numberingReview.setShown(false);
}

// ---- Alerts ---------------------------------------------------------------------

SheetPresenter::Alert WindowSheets::resetReviewAlert() const
{
    SheetPresenter::Alert alert = confirmation(resetReviewTitle(), resetReviewMessage(m_window.store().clips().size()));
    alert.buttons = {{.text = QStringLiteral("Reset Review"),
                      .role = QDialogButtonBox::AcceptRole,
                      .objectName = QStringLiteral("confirmButton"),
                      .isDefault = true,
                      .clicked = [this] { m_window.store().resetReview(true); }},
                     {.text = QStringLiteral("Cancel"), .role = QDialogButtonBox::RejectRole, .isEscape = true}};
    return alert;
}

SheetPresenter::Alert WindowSheets::newSessionAlert() const
{
    SheetPresenter::Alert alert = confirmation(newSessionTitle(), newSessionMessage());
    // "&&": a single ampersand would mark a shortcut letter.
    alert.buttons = {{.text = QStringLiteral("Discard && Start Fresh"),
                      .role = QDialogButtonBox::DestructiveRole,
                      .objectName = QStringLiteral("confirmButton"),
                      .clicked = [this] { m_window.discardAndStartFresh(); }},
                     // Not undoable: Return must not discard the session.
                     {.text = QStringLiteral("Cancel"), .role = QDialogButtonBox::RejectRole, .isDefault = true, .isEscape = true}};
    return alert;
}

SheetPresenter::Alert WindowSheets::confirmation(const QString &title, const QString &message)
{
    return {.icon = SheetPresenter::Alert::Icon::warning,
            .title = title,
            .text = title,
            .textFormat = Qt::PlainText,
            .informativeText = message};
}

SheetPresenter::Alert WindowSheets::storeAlert(const QString &name, const QString &title, const QString &message)
{
    return {.objectName = name,
            .icon = SheetPresenter::Alert::Icon::warning,
            .title = title,
            .text = title,
            .informativeText = message,
            .buttons = {{.text = QStringLiteral("OK"), .role = QDialogButtonBox::RejectRole, .isDefault = true, .isEscape = true}}};
}

std::optional<SheetPresenter::Alert> WindowSheets::saveFailureAlert() const
{
    const std::optional<QString> &error = m_window.store().sessionSaveError();
    if (!error)
        return std::nullopt;
    return storeAlert(QStringLiteral("saveFailureAlert"), ContentView::saveFailureTitle(), ContentView::saveFailureMessage(*error));
}

std::optional<SheetPresenter::Alert> WindowSheets::restoreFailureAlert() const
{
    const std::optional<UnreadableSession> &error = m_window.store().sessionRestoreError();
    if (!error)
        return std::nullopt;
    return storeAlert(QStringLiteral("restoreFailureAlert"), ContentView::restoreFailureTitle(),
                      ContentView::restoreFailureMessage(*error));
}

SheetPresenter::Alert WindowSheets::notOpenedContent() const
{
    return {.objectName = QStringLiteral("notOpenedAlert"),
            .icon = SheetPresenter::Alert::Icon::warning,
            .title = QStringLiteral("Items Not Opened"),
            .text = NotOpenedItems::summary(m_notOpened),
            .textFormat = Qt::PlainText,
            .informativeText = NotOpenedItems::details(m_notOpened),
            .buttons = {{.text = QStringLiteral("OK"), .role = QDialogButtonBox::RejectRole, .isDefault = true, .isEscape = true}}};
}

void WindowSheets::reportNotOpened(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (!m_notOpened.contains(path))
            m_notOpened.append(path);
    }
    if (m_notOpened.isEmpty())
        return;
    if (m_notOpenedAlert.dialog())
        SheetPresenter::updateAlert(m_notOpenedAlert.dialog(), notOpenedContent());
    m_notOpenedAlert.setShown(true);
}

void WindowSheets::followStore(Sheet &sheet, const std::optional<SheetPresenter::Alert> &alert)
{
    // A new error while the alert is up changes its message in place.
    if (alert && sheet.dialog())
        SheetPresenter::updateAlert(sheet.dialog(), *alert);
    sheet.setShown(alert.has_value());
}

// ---- One sheet ------------------------------------------------------------------

WindowSheets::Sheet::Sheet(WindowSheets &sheets, Registration registration)
    : m_sheets(sheets), m_dismissed(std::move(registration.dismissed)),
      m_presenter([this, make = std::move(registration.make)] { return make([this] { dismiss(); }); }, [this] { dismiss(); },
                  std::move(registration.current))
{
    // Whatever opened a sheet (the organize button, "Locate Files…", a tool
    // row, a menu), the keys go back to the clips when it closes.
    m_presenter.setAfterDismiss([&sheets] { sheets.m_window.returnKeyboardFocus(); });
    if (!registration.command.isEmpty()) {
        connect(&AppNotifier::instance(), &AppNotifier::posted, &sheets, [this, command = registration.command](const QString &name) {
            if (name == command)
                setShown(true);
        });
    }
}

void WindowSheets::Sheet::setShown(bool shown)
{
    const bool changed = m_shown != shown;
    m_shown = shown;
    m_presenter.sync(shown);
    if (changed)
        Q_EMIT m_sheets.changed();
}

void WindowSheets::Sheet::dismiss()
{
    setShown(false);
    if (m_dismissed)
        m_dismissed();
}

// ---- What tests and callers read -------------------------------------------------

KeyboardShortcutsView *WindowSheets::keyboardShortcuts() const
{
    return qobject_cast<KeyboardShortcutsView *>(m_shortcuts.dialog());
}

MissingMediaView *WindowSheets::missingMedia() const
{
    return qobject_cast<MissingMediaView *>(m_missingMedia.dialog());
}

SessionTagsView *WindowSheets::sessionTags() const
{
    return qobject_cast<SessionTagsView *>(m_sessionTags.dialog());
}

SheetPresenter::AlertBox *WindowSheets::resetReviewConfirmation() const
{
    return SheetPresenter::alertBox(m_resetReview.dialog());
}

SheetPresenter::AlertBox *WindowSheets::newSessionConfirmation() const
{
    return SheetPresenter::alertBox(m_newSession.dialog());
}

SheetPresenter::AlertBox *WindowSheets::notOpenedAlert() const
{
    return SheetPresenter::alertBox(m_notOpenedAlert.dialog());
}
