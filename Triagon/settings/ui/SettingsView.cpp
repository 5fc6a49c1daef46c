#include "settings/ui/SettingsView.h"

#include "settings/ui/AppearanceSettingsTab.h"
#include "settings/ui/AudioTriageSettingsTab.h"
#include "settings/ui/GeneralSettingsTab.h"
#include "settings/ui/ScrubSettingsTab.h"
#include "app/SymbolCatalog.h"
#include "settings/ui/SettingsTabBar.h"
#include "settings/ui/TagsSettingsTab.h"

#include <QAction>
#include <QKeyEvent>
#include <QTabBar>

SettingsView::SettingsView(AppSettings &settings, QWidget *parent) : QTabWidget(parent)
{
    setObjectName(QStringLiteral("settingsView"));
    setWindowTitle(QStringLiteral("Triagon Settings"));
    setFixedSize(windowWidth, windowHeight);
    // All five tabs in one row at this width: smaller pictures, no scrolling,
    // and tabs that give up padding rather than run past the window's edge.
    auto *bar = new SettingsTabBar(this);
    bar->setAvailableWidth(windowWidth);
    setTabBar(bar);
    setIconSize(QSize(12, 12));
    setUsesScrollButtons(false);
    tabBar()->setElideMode(Qt::ElideNone);

    m_general = new GeneralSettingsTab(settings, this);
    m_tags = new TagsSettingsTab(settings, this);
    m_scrub = new ScrubSettingsTab(settings, this);
    m_audio = new AudioTriageSettingsTab(settings, this);
    m_appearance = new AppearanceSettingsTab(settings, this);
    addTab(m_general, SymbolCatalog::icon(QStringLiteral("gear"), QStringLiteral("preferences-system")), QStringLiteral("General"));
    addTab(m_tags, SymbolCatalog::icon(QStringLiteral("tag/settings")), QStringLiteral("Tags"));
    addTab(m_scrub, SymbolCatalog::icon(QStringLiteral("hand.draw")), QStringLiteral("Scrub"));
    addTab(m_audio, SymbolCatalog::icon(QStringLiteral("waveform/settings"), QStringLiteral("audio-x-generic")),
           QStringLiteral("Audio Triage"));
    addTab(m_appearance, SymbolCatalog::icon(QStringLiteral("paintbrush"), QStringLiteral("preferences-desktop-theme")),
           QStringLiteral("Appearance"));
    setTab(QStringLiteral("general"));

    // Ctrl+W closes the window wherever the focus is; Escape closes it once
    // no field inside has used the key (see keyPressEvent).
    auto *close = new QAction(QStringLiteral("Close"), this);
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    close->setShortcutContext(Qt::WindowShortcut);
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);
}

void SettingsView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        event->accept();
        return;
    }
    QTabWidget::keyPressEvent(event);
}

const QStringList &SettingsView::tabTags()
{
    static const QStringList tags{QStringLiteral("general"), QStringLiteral("tags"), QStringLiteral("scrub"), QStringLiteral("audio"),
                                  QStringLiteral("appearance")};
    return tags;
}

QString SettingsView::tab() const
{
    const int index = currentIndex();
    return index >= 0 && index < tabTags().size() ? tabTags().at(index) : QString();
}

void SettingsView::setTab(const QString &tag)
{
    const qsizetype index = tabTags().indexOf(tag);
    if (index >= 0)
        setCurrentIndex(static_cast<int>(index));
}
