#include "audiotriage/ui/AudioTriageView.h"

#include "app/AppSettings.h"
#include "app/widgets/SymbolView.h"
#include "audiotriage/AudioTriageRun.h"
#include "audiotriage/ui/AudioRulePanel.h"
#include "audiotriage/ui/AudioTriageStyle.h"
#include "library/ClipStore.h"

#include <QCloseEvent>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace Style = AudioTriageStyle;
AudioTriageView::AudioTriageView(ClipStore &store, AppSettings &settings, std::function<void()> onDismiss, QWidget *parent)
    : QDialog(parent), m_store(store), m_settings(settings), m_onDismiss(std::move(onDismiss))
{
    setObjectName(QStringLiteral("audioTriageView"));
    setWindowTitle(QStringLiteral("Audio Triage"));
    setAccessibleName(QStringLiteral("Audio Triage"));
    setWindowModality(Qt::WindowModal);
    setModal(true);

    auto *frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setSpacing(0);
    buildHeader(frame);
    frame->addWidget(Style::hairline(this));
    auto *content = new QVBoxLayout;
    content->setContentsMargins(20, 20, 20, 20);
    content->setSpacing(0);
    m_readyPage = buildReadyPage();
    m_analyzingPage = buildAnalyzingPage();
    m_resultsPage = buildResultsPage();
    content->addWidget(m_readyPage);
    content->addWidget(m_analyzingPage);
    content->addWidget(m_resultsPage);
    frame->addLayout(content);

    connect(&m_store, &ClipStore::clipsChanged, this, &AudioTriageView::updateReady);
    connect(&m_settings, &AppSettings::themeColorRawChanged, this, &AudioTriageView::updateColors);
    connect(m_loudPanel, &AudioRulePanel::ruleChanged, this, &AudioTriageView::updateResults);
    connect(m_quietPanel, &AudioRulePanel::ruleChanged, this, &AudioTriageView::updateResults);

    setPhase(Phase::ready);
    updateColors();
}

AudioTriageView::~AudioTriageView() = default;

QColor AudioTriageView::themeColor() const
{
    return m_settings.accentColor();
}

void AudioTriageView::buildHeader(QVBoxLayout *frame)
{
    auto *header = new QHBoxLayout;
    header->setContentsMargins(20, 20, 20, 20);
    header->addWidget(Style::label(QStringLiteral("Audio Triage"), 18, this, QFont::Bold));
    header->addStretch(1);
    auto *close = new QToolButton(this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setAutoRaise(true);
    close->setIconSize(QSize(18, 18));
    close->setAccessibleName(QStringLiteral("Close"));
    close->setToolTip(QStringLiteral("Close"));
    close->setCursor(Qt::PointingHandCursor);
    connect(close, &QToolButton::clicked, this, &AudioTriageView::dismiss);
    header->addWidget(close);
    m_closeButton = close;
    frame->addLayout(header);
}

// ---- State and actions ---------------------------------------------------------

void AudioTriageView::loadSettingsOnce()
{
    if (m_didLoadSettings)
        return;
    m_didLoadSettings = true;
    m_loud.label = m_settings.audioLoudLabel();
    m_loud.percentage = AudioTriageRule::usablePercentage(m_settings.audioLoudPercentage());
    m_quiet.label = m_settings.audioQuietLabel();
    m_quiet.percentage = AudioTriageRule::usablePercentage(m_settings.audioQuietPercentage());
    m_loudPanel->refresh();
    m_quietPanel->refresh();
    updateResults();
}

void AudioTriageView::startAnalysis()
{
    if (m_phase != Phase::ready)
        return;
    const QList<Clip> clips = m_store.clips();
    m_totalToAnalyze = clips.size();
    m_currentClipIndex = 0;
    setPhase(Phase::analyzing);
    m_run = AudioTriageRun::start(m_store, clips);
    connect(m_run, &AudioTriageRun::progress, this, [this](qsizetype index, const QString &filename) {
        m_currentClipIndex = index;
        m_currentClipName = filename;
        updateProgress();
    });
    connect(m_run, &AudioTriageRun::finished, this, &AudioTriageView::runFinished);
}

void AudioTriageView::runFinished(const QList<AudioTriageResult> &sortedResults)
{
    m_sortedResults = sortedResults;
    if (const std::optional<double> loud = AudioTriageRule::proposedThreshold(AudioTriageRule::Side::loud, sortedResults))
        m_loud.threshold = *loud;
    if (const std::optional<double> quiet = AudioTriageRule::proposedThreshold(AudioTriageRule::Side::quiet, sortedResults))
        m_quiet.threshold = *quiet;
    m_loudPanel->refresh();
    m_quietPanel->refresh();
    setPhase(Phase::results);
}

void AudioTriageView::applyAudioTags()
{
    if (m_phase != Phase::results)
        return;
    m_store.applyAudioTriageTags(plan().pairs);
    if (m_store.groupMode() == GroupMode::none)
        m_store.setGroupMode(GroupMode::category);
    // Also makes the organize preview be planned again with the new tags.
    m_store.setFolderOrganization(FolderOrganization::byTag);
    dismiss();
}

void AudioTriageView::dismiss()
{
    if (m_onDismiss)
        m_onDismiss();
}

void AudioTriageView::reject()
{
    // While the analysis runs the sheet offers no way out.
    if (m_phase == Phase::analyzing)
        return;
    dismiss();
}

void AudioTriageView::setPhase(Phase phase)
{
    m_phase = phase;
    m_readyPage->setVisible(phase == Phase::ready);
    m_analyzingPage->setVisible(phase == Phase::analyzing);
    m_resultsPage->setVisible(phase == Phase::results);
    m_closeButton->setVisible(phase != Phase::analyzing);
    m_analyze->setDefault(phase == Phase::ready);
    m_apply->setDefault(phase == Phase::results);
    updateReady();
    updateProgress();
    updateResults();
    fitHeight();
}

// ---- Frame -----------------------------------------------------------------------

bool AudioTriageView::event(QEvent *event)
{
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::LayoutRequest)
        fitHeight();
    else if (event->type() == QEvent::ApplicationPaletteChange)
        updateColors(); // the appearance changed while the sheet is open
    return handled;
}

void AudioTriageView::fitHeight()
{
    if (m_fitting || !layout())
        return;
    m_fitting = true;
    layout()->activate();
    const int height = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(sheetWidth) : layout()->totalSizeHint().height();
    setFixedSize(sheetWidth, height);
    m_fitting = false;
}

void AudioTriageView::showEvent(QShowEvent *event)
{
    loadSettingsOnce();
    fitHeight();
    QDialog::showEvent(event);
}

void AudioTriageView::closeEvent(QCloseEvent *event)
{
    // The window manager's close is a dismissal like Escape; the presenter
    // closes the sheet itself.
    if (event->spontaneous()) {
        event->ignore();
        reject();
        return;
    }
    QDialog::closeEvent(event);
}

void AudioTriageView::updateColors()
{
    // The sheet's own accent (slider fill, progress bar, focus) follows the theme.
    QPalette sheet = palette();
    sheet.setColor(QPalette::Highlight, themeColor());
    setPalette(sheet);
    Style::setTextColor(m_clipCount, themeColor());
    Style::refreshTextColors(this);
    const QColor secondary = Style::secondary();
    m_closeButton->setIcon(AudioTriageStyle::symbolIcon(QStringLiteral("xmark.circle.fill/audio"), secondary));
    QPalette prominent = palette();
    prominent.setColor(QPalette::Button, themeColor());
    prominent.setColor(QPalette::ButtonText, Qt::white);
    prominent.setColor(QPalette::Disabled, QPalette::Button, palette().color(QPalette::Disabled, QPalette::Button));
    prominent.setColor(QPalette::Disabled, QPalette::ButtonText, palette().color(QPalette::Disabled, QPalette::ButtonText));
    m_analyze->setPalette(prominent);
    m_analyze->setIcon(AudioTriageStyle::symbolIcon(QStringLiteral("waveform/audio"), Qt::white));
    m_apply->setPalette(prominent);
    m_apply->setIcon(AudioTriageStyle::symbolIcon(QStringLiteral("tag.fill/audio"), Qt::white));
    m_loudPanel->refreshColors();
    m_quietPanel->refreshColors();
    updateResults();
    update();
    for (SymbolView *symbol : findChildren<SymbolView *>())
        symbol->update();
}
