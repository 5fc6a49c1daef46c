// The three phases of the audio triage sheet: what they show and how they
// follow the state.
#include "audiotriage/ui/AudioTriageView.h"

#include "app/AppSettings.h"
#include "app/SystemColor.h"
#include "app/widgets/ElidedLabel.h"
#include "app/widgets/SymbolView.h"
#include "audiotriage/ui/AudioRulePanel.h"
#include "audiotriage/ui/AudioTriageStyle.h"
#include "library/ClipStore.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace Style = AudioTriageStyle;
namespace {

QPushButton *plainButton(const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    return button;
}

// A prominent button: a filled rounded face in the palette's button colour
// (the theme colour) with its symbol and text in the button text colour, 8
// more on either side.
class ProminentButton : public QPushButton
{
public:
    using QPushButton::QPushButton;
    QSize sizeHint() const override { return QPushButton::sizeHint() + QSize(16, 0); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
        QColor face = palette().color(group, QPalette::Button);
        if (isDown())
            face = face.darker(115);
        else if (underMouse() && isEnabled())
            face = face.lighter(108);
        const QRectF box = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
        painter.setPen(hasFocus() ? QPen(palette().color(QPalette::Highlight).darker(130), 1.5) : QPen(Qt::NoPen));
        painter.setBrush(face);
        painter.drawRoundedRect(box, 5, 5);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.state &= ~QStyle::State_HasFocus;
        option.palette.setColor(QPalette::ButtonText, palette().color(group, QPalette::ButtonText));
        style()->drawControl(QStyle::CE_PushButtonLabel, &option, &painter, this);
    }
};

QPushButton *prominentButton(const QString &text, QWidget *parent)
{
    auto *button = new ProminentButton(text, parent);
    button->setAutoDefault(false);
    button->setIconSize(QSize(14, 14));
    return button;
}

QHBoxLayout *buttonRow(QPushButton *cancel, QPushButton *action)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    row->addStretch(1);
    row->addWidget(cancel);
    row->addWidget(action);
    return row;
}

QVBoxLayout *pageLayout(QWidget *page, int spacing)
{
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace

// ---- Texts ---------------------------------------------------------------------------

QString AudioTriageView::analyzeButtonText(qsizetype clipCount)
{
    return QStringLiteral("Analyze ") + QString::number(clipCount) + QStringLiteral(" Clips");
}

QString AudioTriageView::headlineText(qsizetype rankedCount)
{
    return QStringLiteral("Analysis complete \u2014 ") + QString::number(rankedCount) + QStringLiteral(" clips ranked by loudness");
}

QString AudioTriageView::taggedText(qsizetype count, const QString &label)
{
    return QString::number(count) + QStringLiteral(" clips will be tagged \"") + label + QLatin1Char('"');
}

QString AudioTriageView::untouchedText(qsizetype count)
{
    return QString::number(count) + QStringLiteral(" clips left untouched");
}

QString AudioTriageView::progressCounterText(qsizetype index, qsizetype total)
{
    return QString::number(index) + QStringLiteral(" / ") + QString::number(total);
}

QString AudioTriageView::progressValueText(qsizetype index, qsizetype total)
{
    return QString::number(index) + QStringLiteral(" of ") + QString::number(total) + QStringLiteral(" clips");
}

// ---- Ready -----------------------------------------------------------------------------

QWidget *AudioTriageView::infoRow(const QString &symbol, const QString &markdownText, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto *picture = new SymbolView(
        AudioTriageStyle::symbol(symbol), 11, [this] { return themeColor(); }, row);
    picture->setFrameWidth(16);
    layout->addWidget(picture, 0, Qt::AlignTop);
    auto *text = new QLabel(row);
    text->setTextFormat(Qt::MarkdownText);
    text->setText(markdownText);
    // A screen reader reads the words, not the emphasis marks.
    text->setAccessibleName(QString(markdownText).remove(QStringLiteral("**")));
    text->setWordWrap(true);
    text->setFont(Style::sizedFont(text->font(), 12));
    Style::makeMuted(text);
    layout->addWidget(text, 1);
    return row;
}

QWidget *AudioTriageView::buildReadyPage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("readyPage"));
    QVBoxLayout *column = pageLayout(page, 16);

    auto *intro = new QVBoxLayout;
    intro->setSpacing(10);
    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(10);
    titleRow->addWidget(new SymbolView(
        AudioTriageStyle::symbol(QStringLiteral("waveform/audio")), 28, [this] { return themeColor(); }, page));
    auto *titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(Style::label(QStringLiteral("Analyze audio loudness"), 14, page, QFont::DemiBold));
    titles->addWidget(Style::label(QStringLiteral("Identify loud highlights and quiet b-roll"), 12, page, QFont::Normal, true));
    titleRow->addLayout(titles, 1);
    intro->addLayout(titleRow);
    auto *rows = new QVBoxLayout;
    rows->setContentsMargins(0, 4, 0, 0);
    rows->setSpacing(6);
    rows->addWidget(
        infoRow(QStringLiteral("speaker.wave.3"), QStringLiteral("Scans each clip's audio for loudness levels and peak spikes"), page));
    rows->addWidget(infoRow(QStringLiteral("tag/audio"),
                            QStringLiteral("Tags clips as **Loud Peaks** or **Quiet** \u2014 you choose the thresholds"), page));
    rows->addWidget(infoRow(QStringLiteral("slider.horizontal.3"),
                            QStringLiteral("Middle clips are left untouched \u2014 the value is in the extremes"), page));
    rows->addWidget(infoRow(QStringLiteral("arrow.uturn.backward/audio"), QStringLiteral("Fully undoable with Ctrl+Z"), page));
    intro->addLayout(rows);
    column->addLayout(intro);
    column->addWidget(Style::hairline(page));

    auto *count = new QVBoxLayout;
    count->setSpacing(2);
    m_clipCount = Style::label(QStringLiteral("0"), 24, page, QFont::Bold);
    m_clipCount->setObjectName(QStringLiteral("clipCount"));
    m_clipCount->setAlignment(Qt::AlignHCenter);
    count->addWidget(m_clipCount);
    QLabel *caption = Style::label(QStringLiteral("clips to analyze"), 11, page, QFont::Normal, true);
    caption->setAlignment(Qt::AlignHCenter);
    count->addWidget(caption);
    column->addLayout(count);

    m_emptyWarning = new QWidget(page);
    auto *warning = new QHBoxLayout(m_emptyWarning);
    warning->setContentsMargins(0, 4, 0, 4);
    warning->setSpacing(6);
    warning->addWidget(new SymbolView(
        AudioTriageStyle::symbol(QStringLiteral("exclamationmark.triangle/audio")), 14, [this] { return themeColor(); }, m_emptyWarning));
    warning->addWidget(Style::label(QStringLiteral("No clips loaded yet!"), 13, m_emptyWarning));
    warning->addStretch(1);
    column->addWidget(m_emptyWarning);

    column->addStretch(1);
    m_readyCancel = plainButton(QStringLiteral("Cancel"), page);
    connect(m_readyCancel, &QPushButton::clicked, this, &AudioTriageView::dismiss);
    m_analyze = prominentButton(QString(), page);
    m_analyze->setObjectName(QStringLiteral("analyzeButton"));
    connect(m_analyze, &QPushButton::clicked, this, &AudioTriageView::startAnalysis);
    column->addLayout(buttonRow(m_readyCancel, m_analyze));
    return page;
}

void AudioTriageView::updateReady()
{
    const qsizetype clips = m_store.clips().size();
    m_clipCount->setText(QString::number(clips));
    m_emptyWarning->setVisible(clips == 0);
    m_analyze->setText(analyzeButtonText(clips));
    m_analyze->setEnabled(clips > 0);
}

// ---- Analyzing ------------------------------------------------------------------------

QWidget *AudioTriageView::buildAnalyzingPage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("analyzingPage"));
    QVBoxLayout *column = pageLayout(page, 16);
    column->addStretch(1);
    m_analyzingSymbol = new SymbolView(
        AudioTriageStyle::symbol(QStringLiteral("waveform/audio")), 40, [this] { return themeColor(); }, page);
    m_analyzingSymbol->setPulsing(true);
    column->addWidget(m_analyzingSymbol, 0, Qt::AlignHCenter);
    QLabel *title = Style::label(QStringLiteral("Analyzing audio..."), 16, page, QFont::DemiBold);
    column->addWidget(title, 0, Qt::AlignHCenter);

    auto *progress = new QVBoxLayout;
    progress->setContentsMargins(20, 0, 20, 0);
    progress->setSpacing(8);
    m_progress = new QProgressBar(page);
    m_progress->setTextVisible(false);
    m_progress->setFixedHeight(6);
    m_progress->setAccessibleName(QStringLiteral("Analysis progress"));
    progress->addWidget(m_progress);
    auto *line = new QHBoxLayout;
    m_progressName = new ElidedLabel(Qt::ElideMiddle, page);
    m_progressName->setFont(Style::sizedFont(m_progressName->font(), 11));
    Style::makeSecondary(m_progressName);
    line->addWidget(m_progressName, 1);
    m_progressCounter = Style::label(QString(), 11, page, QFont::Normal, true);
    line->addWidget(m_progressCounter);
    progress->addLayout(line);
    column->addLayout(progress);
    column->addStretch(1);
    return page;
}

void AudioTriageView::updateProgress()
{
    // The bar counts in clips: with no clips it stays empty.
    const int maximum = int(std::clamp<qsizetype>(m_totalToAnalyze, 1, INT_MAX));
    m_progress->setRange(0, maximum);
    m_progress->setValue(int(std::clamp<qsizetype>(m_currentClipIndex, 0, m_totalToAnalyze > 0 ? maximum : 0)));
    m_progress->setAccessibleDescription(progressValueText(m_currentClipIndex, m_totalToAnalyze));
    m_progressName->setText(m_currentClipName);
    m_progressCounter->setText(progressCounterText(m_currentClipIndex, m_totalToAnalyze));
}

// ---- Results ------------------------------------------------------------------------------

QWidget *AudioTriageView::summaryLine(const QString &symbol, QLabel *&text, QWidget *parent)
{
    auto *line = new QWidget(parent);
    auto *layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    text = Style::label(QString(), 12, line);
    QLabel *label = text;
    layout->addWidget(new SymbolView(
        AudioTriageStyle::symbol(symbol), 12, [label] { return label->palette().color(QPalette::WindowText); }, line));
    layout->addWidget(text, 1);
    return line;
}

QWidget *AudioTriageView::buildResultsPage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("resultsPage"));
    QVBoxLayout *column = pageLayout(page, 16);

    auto *headline = new QHBoxLayout;
    headline->setSpacing(10);
    headline->addWidget(new SymbolView(
        AudioTriageStyle::symbol(QStringLiteral("checkmark.circle.fill/audio")), 20, [] { return systemColor(SystemColor::green); }, page));
    m_headline = Style::label(QString(), 13, page, QFont::Medium);
    headline->addWidget(m_headline, 1);
    column->addLayout(headline);
    column->addWidget(Style::hairline(page));
    m_loudPanel = new AudioRulePanel(AudioRulePanel::loudLook([this] { return themeColor(); }), m_loud, page);
    m_loudPanel->setObjectName(QStringLiteral("loudPanel"));
    column->addWidget(m_loudPanel);
    column->addWidget(Style::hairline(page));
    m_quietPanel = new AudioRulePanel(AudioRulePanel::quietLook(), m_quiet, page);
    m_quietPanel->setObjectName(QStringLiteral("quietPanel"));
    column->addWidget(m_quietPanel);
    column->addWidget(Style::hairline(page));

    auto *summary = new QVBoxLayout;
    summary->setSpacing(4);
    m_loudSummaryLine = summaryLine(QStringLiteral("tag.fill/audio"), m_loudSummary, page);
    m_quietSummaryLine = summaryLine(QStringLiteral("tag.fill/audio"), m_quietSummary, page);
    QWidget *untouched = summaryLine(QStringLiteral("minus.circle"), m_untouchedSummary, page);
    Style::makeSecondary(m_untouchedSummary);
    summary->addWidget(m_loudSummaryLine);
    summary->addWidget(m_quietSummaryLine);
    summary->addWidget(untouched);
    column->addLayout(summary);

    column->addStretch(1);
    m_resultsCancel = plainButton(QStringLiteral("Cancel"), page);
    connect(m_resultsCancel, &QPushButton::clicked, this, &AudioTriageView::dismiss);
    m_apply = prominentButton(QStringLiteral("Apply Tags"), page);
    m_apply->setObjectName(QStringLiteral("applyButton"));
    connect(m_apply, &QPushButton::clicked, this, &AudioTriageView::applyAudioTags);
    column->addLayout(buttonRow(m_resultsCancel, m_apply));
    return page;
}

void AudioTriageView::updateResults()
{
    if (!m_headline)
        return;
    m_headline->setText(headlineText(m_sortedResults.size()));
    m_loudPanel->setCount(loudCount());
    m_quietPanel->setCount(quietCount());
    // The summary says what the apply will do: a clip both rules choose gets
    // only the loud tag, and a rule with a blank label tags nothing.
    const AudioTriagePlan planned = plan();
    m_loudSummaryLine->setVisible(m_loud.enabled);
    m_loudSummary->setText(taggedText(planned.loudTagged, m_loud.label));
    Style::setTextColor(m_loudSummary, themeColor());
    m_quietSummaryLine->setVisible(m_quiet.enabled);
    m_quietSummary->setText(taggedText(planned.quietTagged, m_quiet.label));
    Style::setTextColor(m_quietSummary, systemColor(SystemColor::blue));
    m_untouchedSummary->setText(untouchedText(qMax<qsizetype>(0, planned.untouched)));
    // A label that breaks the tag-name rule would become a tag that no
    // organize can make a folder of: nothing is applied until it is mended.
    const bool labelsUsable = (!m_loud.enabled || m_loudPanel->hasUsableLabel()) && (!m_quiet.enabled || m_quietPanel->hasUsableLabel());
    m_apply->setEnabled((m_loud.enabled || m_quiet.enabled) && labelsUsable);
}
