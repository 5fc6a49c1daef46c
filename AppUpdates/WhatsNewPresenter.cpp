#include "AppUpdates/WhatsNewPresenter.h"

#include "AppUpdates/WhatsNewGate.h"
#include "AppUpdates/WhatsNewView.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

WhatsNewPresenter::WhatsNewPresenter(QWidget *host, AppSettings &settings, const QColor &accent, LogoFactory logo)
    : QObject(host), m_host(host), m_settings(settings), m_accent(accent), m_logo(std::move(logo))
{
    host->installEventFilter(this);
}

WhatsNewPresenter::~WhatsNewPresenter()
{
    if (m_sheet)
        m_sheet->disconnect(this);
}

WhatsNewView *WhatsNewPresenter::sheet() const
{
    return m_sheet;
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
    if (notes == m_notes && (m_sheet || !notes))
        return;
    closeSheet();
    m_notes = notes;
    if (!m_notes)
        return;
    m_sheet = new WhatsNewView(
        *m_notes, productName(), m_accent, m_logo ? m_logo() : nullptr, [] {}, m_host);
    m_sheet->setAttribute(Qt::WA_DeleteOnClose);
    // Every way of closing the sheet ends the notes' presentation.
    connect(m_sheet, &QDialog::finished, this, [this] {
        m_sheet = nullptr;
        m_notes.reset();
        Q_EMIT sheetClosed();
    });
    m_sheet->open();
}

void WhatsNewPresenter::closeSheet()
{
    if (!m_sheet)
        return;
    WhatsNewView *sheet = m_sheet;
    m_sheet = nullptr;
    sheet->disconnect(this);
    sheet->close();
    Q_EMIT sheetClosed();
}

bool WhatsNewPresenter::eventFilter(QObject *watched, QEvent *event)
{
    // Coming on screen, not a window manager's re-show after minimizing.
    if (watched == m_host && event->type() == QEvent::Show && !event->spontaneous())
        checkWhatsNew();
    return QObject::eventFilter(watched, event);
}
