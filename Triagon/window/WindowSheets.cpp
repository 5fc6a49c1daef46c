#include "window/WindowSheets.h"

#include "audiotriage/ui/AudioTriageView.h"
#include "library/ClipStore.h"
#include "markers/ui/MarkerDetectView.h"
#include "markers/ui/NumberingResetReviewView.h"
#include "organize/ui/ExportView.h"
#include "window/ContentView.h"
#include "window/KeyboardShortcutsView.h"
#include "window/MissingMediaView.h"
#include "window/SessionTagsView.h"

#include <QMessageBox>
#include <QPushButton>

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

WindowSheets::WindowSheets(ContentView &window)
    : QObject(&window), m_window(window),
      m_shortcuts([this] { return new KeyboardShortcutsView(ContentView::keyboardShortcutSections(), &m_window); },
                  [this] { m_window.setShowKeyboardShortcuts(false); }),
      m_missingMedia([this] { return new MissingMediaView(m_window.store(), &m_window); }, [this] { m_window.setShowMissingMedia(false); }),
      m_sessionTags([this] { return new SessionTagsView(m_window.store(), m_window.settings(), &m_window); },
                    [this] { m_window.setShowSessionTags(false); }),
      m_resetReview(
          [this] {
              QMessageBox *box = makeConfirmation(resetReviewTitle(), resetReviewMessage(m_window.store().clips().size()));
              QPushButton *reset = box->addButton(QStringLiteral("Reset Review"), QMessageBox::AcceptRole);
              reset->setObjectName(QStringLiteral("confirmButton"));
              connect(reset, &QPushButton::clicked, &m_window, [this] { m_window.store().resetReview(true); });
              QPushButton *cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
              box->setDefaultButton(reset);
              box->setEscapeButton(cancel);
              return box;
          },
          [this] { m_window.setShowResetReviewConfirm(false); }),
      m_newSession(
          [this] {
              QMessageBox *box = makeConfirmation(newSessionTitle(), newSessionMessage());
              // "&&": a single ampersand would mark a shortcut letter.
              QPushButton *discard = box->addButton(QStringLiteral("Discard && Start Fresh"), QMessageBox::DestructiveRole);
              discard->setObjectName(QStringLiteral("confirmButton"));
              connect(discard, &QPushButton::clicked, &m_window, [this] { m_window.discardAndStartFresh(); });
              QPushButton *cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
              // Not undoable: Return must not discard the session.
              box->setDefaultButton(cancel);
              box->setEscapeButton(cancel);
              return box;
          },
          [this] { m_window.setShowResetConfirm(false); }),
      m_organize([this] { return new ExportView(m_window.store(), m_window.settings(), closeOrganize(), &m_window); }, closeOrganize()),
      m_markerDetect([this] { return new MarkerDetectView(m_window.store(), m_window.settings(), closeMarkerDetect(), &m_window); },
                     closeMarkerDetect()),
      m_numberingReview(
          [this] {
              return new NumberingResetReviewView(m_window.store(), m_window.settings(), *m_window.numberingResetToReview(),
                                                  closeNumberingReview(), &m_window);
          },
          closeNumberingReview(),
          [this](const QDialog *sheet) {
              return static_cast<const NumberingResetReviewView *>(sheet)->reset() == m_window.numberingResetToReview();
          }),
      m_audioTriage([this] { return new AudioTriageView(m_window.store(), m_window.settings(), closeAudioTriage(), &m_window); },
                    closeAudioTriage())
{
    // Whatever button opened a sheet (the organize button, "Locate Files…", a
    // tool row), the keys go back to the clips when it closes.
    for (SheetPresenter *presenter : {&m_shortcuts, &m_missingMedia, &m_sessionTags, &m_resetReview, &m_newSession, &m_organize,
                                      &m_markerDetect, &m_numberingReview, &m_audioTriage})
        presenter->setAfterDismiss([this] { m_window.returnKeyboardFocus(); });
}

std::function<void()> WindowSheets::closeOrganize()
{
    return [this] { m_window.setShowCommit(false); };
}

std::function<void()> WindowSheets::closeMarkerDetect()
{
    return [this] { m_window.setShowMarkerDetect(false); };
}

std::function<void()> WindowSheets::closeNumberingReview()
{
    return [this] { m_window.closeNumberingResetReview(); };
}

std::function<void()> WindowSheets::closeAudioTriage()
{
    return [this] { m_window.setShowAudioTriage(false); };
}

QMessageBox *WindowSheets::makeConfirmation(const QString &title, const QString &message)
{
    auto *box = new QMessageBox(&m_window);
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(title);
    box->setTextFormat(Qt::PlainText);
    box->setText(title);
    box->setInformativeText(message);
    return box;
}

void WindowSheets::sync()
{
    m_organize.sync(m_window.showCommit());
    m_markerDetect.sync(m_window.showMarkerDetect());
    m_numberingReview.sync(m_window.numberingResetToReview().has_value());
    m_audioTriage.sync(m_window.showAudioTriage());
    m_shortcuts.sync(m_window.showKeyboardShortcuts());
    m_missingMedia.sync(m_window.showMissingMedia());
    m_sessionTags.sync(m_window.showSessionTags());
    m_resetReview.sync(m_window.showResetReviewConfirm());
    m_newSession.sync(m_window.showResetConfirm());
}

KeyboardShortcutsView *WindowSheets::keyboardShortcuts() const
{
    return m_shortcuts.sheet<KeyboardShortcutsView>();
}

MissingMediaView *WindowSheets::missingMedia() const
{
    return m_missingMedia.sheet<MissingMediaView>();
}

SessionTagsView *WindowSheets::sessionTags() const
{
    return m_sessionTags.sheet<SessionTagsView>();
}

QMessageBox *WindowSheets::resetReviewConfirmation() const
{
    return m_resetReview.sheet<QMessageBox>();
}

QMessageBox *WindowSheets::newSessionConfirmation() const
{
    return m_newSession.sheet<QMessageBox>();
}
