#include "AppUpdates/WhatsNewPresenter.h"

#include "AppUpdates/WhatsNewGate.h"
#include "AppUpdates/WhatsNewView.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

WhatsNewPresenter::WhatsNewPresenter(QWidget *host, AppSettings &settings, const QColor &accent, LogoFactory logo)
    : QObject(host), m_host(host), m_settings(settings), m_accent(accent), m_logo(std::move(logo)),
      m_sheet(
          [this] {
              return new WhatsNewView(
                  *m_notes, productName(), m_accent, m_logo ? m_logo() : nullptr, [] {}, m_host);
          },
          // Every way of closing the sheet ends the notes' presentation.
          [this] { m_notes.reset(); })
{
    m_sheet.setAfterDismiss([this] { Q_EMIT sheetClosed(); });
    host->installEventFilter(this);
}

WhatsNewPresenter::~WhatsNewPresenter() = default;

WhatsNewView *WhatsNewPresenter::sheet() const
{
    return m_sheet.sheet<WhatsNewView>();
}

QString WhatsNewPresenter::currentVersion()
{
    return QCoreApplication::applicationVersion();
}

void WhatsNewPresenter::checkWhatsNew()
{
    WhatsNewGate gate(m_settings);
    gate.migrate(WhatsNewGate::legacyKey());
    setWhatsNewNotes(gate.check(currentVersion(), [](const QString &version) { return ReleaseNotes::current(version); }));
}

void WhatsNewPresenter::setWhatsNewNotes(const std::optional<ReleaseNotes> &notes)
{
    if (notes == m_notes && (sheet() || !notes))
        return;
    m_sheet.sync(false);
    m_notes = notes;
    m_sheet.sync(m_notes.has_value());
}

bool WhatsNewPresenter::eventFilter(QObject *watched, QEvent *event)
{
    // Coming on screen, not a window manager's re-show after minimizing.
    if (watched == m_host && event->type() == QEvent::Show && !event->spontaneous())
        checkWhatsNew();
    return QObject::eventFilter(watched, event);
}
