#pragma once

#include "AppUpdates/ReleaseNotes.h"
#include "app/widgets/SheetPresenter.h"

#include <QColor>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class AppSettings;
class QWidget;
class WhatsNewView;

// The main window's side of the what's-new sheet. Each time the window's
// root view comes on screen it runs the gate over the given settings (after
// moving a version stored under the older key) for the running version
// (the application's version; none when it is not set) and keeps what the gate
// gives in whatsNewNotes(). While notes are held the sheet is shown over the
// window; closing the sheet in any way clears them.
class WhatsNewPresenter : public QObject
{
    Q_OBJECT
public:
    // Builds the logo shown at the top of each new sheet.
    using LogoFactory = std::function<QWidget *()>;

    // Watches `host` for being shown; the sheet is window-modal over it. The
    // last seen version is kept in `settings`, which must outlive the presenter.
    WhatsNewPresenter(QWidget *host, AppSettings &settings, const QColor &accent, LogoFactory logo);
    ~WhatsNewPresenter() override;

    // The product name in the sheet's title.
    static QString productName() { return QStringLiteral("Triagon"); }
    // The running version: the application's version text.
    static QString currentVersion();

    // Runs the gate and presents its result (what showing the host does).
    void checkWhatsNew();

    const std::optional<ReleaseNotes> &whatsNewNotes() const { return m_notes; }
    // Shows the sheet for notes, closes it for none.
    void setWhatsNewNotes(const std::optional<ReleaseNotes> &notes);
    // The sheet while it is shown, else null.
    WhatsNewView *sheet() const;

Q_SIGNALS:
    // The sheet went, however it was closed.
    void sheetClosed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_host;
    AppSettings &m_settings;
    QColor m_accent;
    LogoFactory m_logo;
    std::optional<ReleaseNotes> m_notes;
    SheetPresenter m_sheet;
};
