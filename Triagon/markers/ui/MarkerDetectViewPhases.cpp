#include "markers/ui/MarkerDetectView.h"

#include "app/SymbolCatalog.h"
#include "app/AppSettings.h"
#include "app/SecondsLabel.h"
#include "app/SystemColor.h"
#include "app/widgets/ElidedLabel.h"
#include "app/widgets/SymbolView.h"
#include "library/ClipStore.h"
#include "markers/ui/MarkerDetectionSettingsPanel.h"
#include "markers/ui/MarkerResultRow.h"
#include "markers/ui/MarkerUiStyle.h"
#include "markers/MarkerDetector.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

// ==== The hand-marker sheet's header and phases ==============================

using namespace MarkerUiStyle;
namespace {

QWidget *chip(QWidget *parent, const QString &symbol, const QString &text, const QColor &color, QList<QLabel *> *labels)
{
    auto *widget = new QWidget(parent);
    auto *row = new QHBoxLayout(widget);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    row->addWidget(new SymbolView(SymbolCatalog::drawer(symbol), 10, color, widget));
    auto *text_ = label(text, sizedFont(parent, 11, QFont::DemiBold), color, widget);
    row->addWidget(text_);
    labels->append(text_);
    return widget;
}

} // namespace

QString MarkerDetectView::tagLine(const QString &base)
{
    return QStringLiteral("The clip <b>before</b> each marker gets the <b>") + base.toHtmlEscaped() + QStringLiteral("</b> tag");
}

QString MarkerDetectView::stackLine(const QString &base)
{
    return QStringLiteral("Back-to-back markers in the same camera sequence stack: <b>")
           + MarkerDetector::markerTagName(base, 2).toHtmlEscaped() + QStringLiteral("</b>");
}

QString MarkerDetectView::scanButtonText(qsizetype count)
{
    return QStringLiteral("Scan ") + QString::number(count) + QStringLiteral(" Clips");
}

QString MarkerDetectView::emptyResultsMessage(double maxMarkerDuration)
{
    return QStringLiteral("No clips under ") + secondsLabel(maxMarkerDuration) + QStringLiteral(" to consider");
}

// ---- Header -------------------------------------------------------------------------

QWidget *MarkerDetectView::buildHeader()
{
    auto *header = new QWidget(this);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(20, 20, 20, 20);
    m_title = label(QStringLiteral("Detect Hand Markers"), sizedFont(this, 18, QFont::Bold), QColor(), header);
    row->addWidget(m_title);
    row->addStretch(1);

    m_closeButton = new QToolButton(header);
    m_closeButton->setAutoRaise(true);
    m_closeButton->setIcon(SymbolCatalog::coloredIcon(QStringLiteral("xmark.circle.fill/marker"), secondary(this), 18));
    m_closeButton->setIconSize(QSize(18, 18));
    m_closeButton->setAccessibleName(QStringLiteral("Close"));
    m_closeButton->setToolTip(QStringLiteral("Close"));
    m_closeButton->setFocusPolicy(Qt::TabFocus);
    connect(m_closeButton, &QToolButton::clicked, this, &MarkerDetectView::cancelScanAndDismiss);
    row->addWidget(m_closeButton);

    m_cancelScanButton = new QPushButton(QStringLiteral("Cancel Scan"), header);
    m_cancelScanButton->setAutoDefault(false);
    connect(m_cancelScanButton, &QPushButton::clicked, this, &MarkerDetectView::cancelScanAndDismiss);
    row->addWidget(m_cancelScanButton);
    return header;
}

void MarkerDetectView::refreshHeader()
{
    m_closeButton->setVisible(m_phase != Phase::analyzing);
    m_cancelScanButton->setVisible(m_phase == Phase::analyzing);
}

void MarkerDetectView::setPhase(Phase phase)
{
    m_phase = phase;
    if (phase == Phase::results && !m_resultsContent) {
        m_resultsContent = buildResults();
        m_layout->addWidget(m_resultsContent);
    }
    m_ready->setVisible(phase == Phase::ready);
    m_progress->setVisible(phase == Phase::analyzing);
    m_pulse->setPulsing(phase == Phase::analyzing);
    if (m_resultsContent)
        m_resultsContent->setVisible(phase == Phase::results);
    refreshHeader();
    refreshReady();
    refreshProgress();
    if (phase == Phase::results)
        refreshResults();
    // Return starts the scan in the ready phase and applies in the results.
    m_scanButton->setDefault(phase == Phase::ready);
    if (m_applyButton)
        m_applyButton->setDefault(phase == Phase::results);
}

// ---- Ready ------------------------------------------------------------------------------

QWidget *MarkerDetectView::buildReady()
{
    auto *ready = new QWidget(this);
    auto *column = new QVBoxLayout(ready);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(16);
    const auto accent = [this] { return accentColor(); };

    auto *explanation = new QVBoxLayout;
    explanation->setSpacing(10);
    auto *intro = new QHBoxLayout;
    intro->setSpacing(10);
    intro->addWidget(new SymbolView(SymbolCatalog::drawer(QStringLiteral("hand.raised.fill/marker")), 28, accent, ready), 0,
                     Qt::AlignVCenter);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(label(QStringLiteral("Find hand-over-lens markers"), sizedFont(this, 14, QFont::DemiBold), QColor(), ready));
    titles->addWidget(
        secondaryLabel(QStringLiteral("Covered the lens after a great moment? This finds those clips."), sizedFont(this, 12), ready));
    intro->addLayout(titles, 1);
    explanation->addLayout(intro);

    auto *lines = new QVBoxLayout;
    lines->setContentsMargins(0, 4, 0, 0);
    lines->setSpacing(6);
    const QStringList symbols{QStringLiteral("magnifyingglass"), QStringLiteral("tag/marker"), QStringLiteral("sparkles"),
                              QStringLiteral("number"), QStringLiteral("arrow.uturn.backward/marker")};
    for (const QString &symbol : symbols) {
        auto *line = new QHBoxLayout;
        line->setSpacing(8);
        auto *box = new QWidget(ready);
        box->setFixedWidth(16);
        auto *boxLayout = new QVBoxLayout(box);
        boxLayout->setContentsMargins(0, 2, 0, 0);
        boxLayout->addWidget(new SymbolView(SymbolCatalog::drawer(symbol), 11, secondary(this), box), 0, Qt::AlignHCenter | Qt::AlignTop);
        line->addWidget(box, 0, Qt::AlignTop);
        auto *text = secondaryLabel(QString(), sizedFont(this, 12), ready);
        text->setTextFormat(Qt::RichText);
        text->setWordWrap(true);
        line->addWidget(text, 1);
        lines->addLayout(line);
        m_explanations.append(text);
    }
    m_explanations[0]->setText(QStringLiteral("Scans short clips for a blurry hand (or black) covering the lens"));
    m_explanations[3]->setText(QStringLiteral("Automatic tags need consecutive numbered files in the same folder. Missing numbers or "
                                              "renamed originals need manual tagging."));
    m_explanations[4]->setText(QStringLiteral("You review every match first — and it's fully undoable with Ctrl+Z"));
    explanation->addLayout(lines);
    column->addLayout(explanation);
    column->addWidget(divider(ready));

    auto *count = new QVBoxLayout;
    count->setSpacing(2);
    m_count = new QLabel(ready);
    QFont rounded = sizedFont(this, 24, QFont::Bold);
    rounded.setStyleStrategy(QFont::PreferAntialias);
    m_count->setFont(rounded);
    m_count->setAlignment(Qt::AlignHCenter);
    count->addWidget(m_count, 0, Qt::AlignHCenter);
    auto *caption = secondaryLabel(QStringLiteral("clips to scan"), sizedFont(this, 11), ready);
    count->addWidget(caption, 0, Qt::AlignHCenter);
    column->addLayout(count);

    m_noClipsWarning = new QWidget(ready);
    auto *warning = new QHBoxLayout(m_noClipsWarning);
    warning->setContentsMargins(0, 4, 0, 4);
    warning->addWidget(
        new SymbolView(SymbolCatalog::drawer(QStringLiteral("exclamationmark.triangle/marker")), 13, accent, m_noClipsWarning));
    warning->addWidget(label(QStringLiteral("No clips loaded yet!"), sizedFont(this, 13), QColor(), m_noClipsWarning));
    warning->addStretch(1);
    column->addWidget(m_noClipsWarning);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_readyCancel = new QPushButton(QStringLiteral("Cancel"), ready);
    m_readyCancel->setAutoDefault(false);
    connect(m_readyCancel, &QPushButton::clicked, this, &MarkerDetectView::cancelScanAndDismiss);
    buttons->addWidget(m_readyCancel);
    m_scanButton = new QPushButton(ready);
    m_scanButton->setIcon(SymbolCatalog::icon(QStringLiteral("hand.raised.fill/marker")));
    m_scanButton->setStyleSheet(QStringLiteral("QPushButton { padding-left: 8px; padding-right: 8px; }"));
    connect(m_scanButton, &QPushButton::clicked, this, &MarkerDetectView::startScan);
    buttons->addWidget(m_scanButton);
    column->addLayout(buttons);
    return ready;
}

void MarkerDetectView::refreshReady()
{
    const QString base = tagBase();
    m_explanations[1]->setText(tagLine(base));
    m_explanations[2]->setText(stackLine(base));
    const qsizetype count = clipsToScan();
    m_count->setText(QString::number(count));
    setTextColor(m_count, accentColor());
    m_scanButton->setText(scanButtonText(count));
    m_scanButton->setEnabled(!m_store.clips().isEmpty());
    m_noClipsWarning->setVisible(m_store.clips().isEmpty());
}

// ---- Analyzing ---------------------------------------------------------------------------

QWidget *MarkerDetectView::buildProgress()
{
    auto *progress = new QWidget(this);
    progress->setFixedHeight(260);
    auto *column = new QVBoxLayout(progress);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(16);
    column->addStretch(1);
    m_pulse = new SymbolView(
        SymbolCatalog::drawer(QStringLiteral("hand.raised.fill/marker")), 40, [this] { return accentColor(); }, progress);
    column->addWidget(m_pulse, 0, Qt::AlignHCenter);
    column->addWidget(label(QStringLiteral("Scanning for hand markers..."), sizedFont(this, 16, QFont::DemiBold), QColor(), progress), 0,
                      Qt::AlignHCenter);

    auto *bar = new QVBoxLayout;
    bar->setContentsMargins(20, 0, 20, 0);
    bar->setSpacing(8);
    m_progressBar = new QProgressBar(progress);
    m_progressBar->setRange(0, 1000);
    m_progressBar->setTextVisible(false);
    m_progressBar->setAccessibleName(QStringLiteral("Scan progress"));
    bar->addWidget(m_progressBar);
    auto *line = new QHBoxLayout;
    m_progressName = new ElidedLabel(Qt::ElideMiddle, progress);
    m_progressName->setFont(sizedFont(this, 11));
    WidgetStyle::setSecondaryText(m_progressName);
    line->addWidget(m_progressName, 1);
    m_progressCounter = secondaryLabel(QString(), sizedFont(this, 11, QFont::Normal, true), progress);
    line->addWidget(m_progressCounter);
    bar->addLayout(line);
    column->addLayout(bar);
    column->addStretch(1);
    return progress;
}

void MarkerDetectView::refreshProgress()
{
    const double fraction = m_totalToAnalyze > 0 ? double(m_currentClipIndex) / double(m_totalToAnalyze) : 0.0;
    m_progressBar->setValue(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 1000));
    m_progressBar->setAccessibleDescription(QString::number(m_currentClipIndex) + QStringLiteral(" of ") + QString::number(m_totalToAnalyze)
                                            + QStringLiteral(" clips"));
    m_progressName->setText(m_currentClipName);
    m_progressCounter->setText(QString::number(m_currentClipIndex) + QStringLiteral(" / ") + QString::number(m_totalToAnalyze));
}

// ---- Results -------------------------------------------------------------------------------

QWidget *MarkerDetectView::buildResults()
{
    auto *results = new QWidget(this);
    auto *column = new QVBoxLayout(results);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);

    auto *panelBox = new QWidget(results);
    auto *panelLayout = new QVBoxLayout(panelBox);
    panelLayout->setContentsMargins(20, 14, 20, 0);
    m_panel = new MarkerDetectionSettingsPanel(panelBox);
    m_panel->setDetection(m_detection);
    connect(m_panel, &MarkerDetectionSettingsPanel::detectionChanged, this, &MarkerDetectView::setDetection);
    panelLayout->addWidget(m_panel);
    column->addWidget(panelBox);
    column->addWidget(divider(results));

    m_list = new QScrollArea(results);
    m_list->setFixedHeight(240);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setWidgetResizable(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab goes to the rows' check boxes, and the list scrolls to them; the
    // list itself needs no focus.
    m_list->setFocusPolicy(Qt::NoFocus);
    auto *rows = new QWidget(m_list);
    m_rowsLayout = new QVBoxLayout(rows);
    m_rowsLayout->setContentsMargins(20, 0, 20, 0);
    m_rowsLayout->setSpacing(6);
    m_rowsLayout->addStretch(1);
    m_list->setWidget(rows);
    // One row per clip that can ever be listed (it has a frame); the sliders
    // then only show, hide and reorder them.
    for (const Entry &entry : std::as_const(m_results)) {
        if (!entry.metrics.frame || m_rows.contains(entry.clip.id))
            continue;
        auto *row = new MarkerResultRow(
            entry.clip, entry.metrics, m_store.thumbnailGenerator(), [this] { return accentColor(); }, rows);
        row->hide();
        connect(row, &MarkerResultRow::overrideChosen, this, &MarkerDetectView::setOverride);
        connect(row, &MarkerResultRow::expandToggled, this, &MarkerDetectView::toggleExpanded);
        m_rows.insert(entry.clip.id, row);
    }
    column->addWidget(m_list);

    m_empty = new QWidget(results);
    auto *empty = new QVBoxLayout(m_empty);
    empty->setContentsMargins(0, 30, 0, 30);
    empty->setSpacing(6);
    empty->addWidget(new SymbolView(SymbolCatalog::drawer(QStringLiteral("hand.raised.slash/marker")), 24, secondary(this), m_empty), 0,
                     Qt::AlignHCenter);
    m_emptyText = secondaryLabel(QString(), sizedFont(this, 12), m_empty);
    empty->addWidget(m_emptyText, 0, Qt::AlignHCenter);
    column->addWidget(m_empty);
    column->addWidget(divider(results));

    auto *summary = new QWidget(results);
    auto *summaryLayout = new QVBoxLayout(summary);
    summaryLayout->setContentsMargins(20, 0, 20, 0);
    summaryLayout->setSpacing(4);
    m_summaryChips = new QWidget(summary);
    auto *chips = new QHBoxLayout(m_summaryChips);
    chips->setContentsMargins(0, 0, 0, 0);
    chips->setSpacing(12);
    summaryLayout->addWidget(m_summaryChips);
    m_startWarning = new QWidget(summary);
    auto *warning = new QHBoxLayout(m_startWarning);
    warning->setContentsMargins(0, 0, 0, 0);
    warning->setSpacing(4);
    warning->addWidget(
        new SymbolView(SymbolCatalog::drawer(QStringLiteral("exclamationmark.triangle/marker")), 10, secondary(this), m_startWarning));
    warning->addWidget(secondaryLabel(QStringLiteral("A marker at the start of the session has no previous clip — it will be skipped."),
                                      sizedFont(this, 10), m_startWarning),
                       1);
    summaryLayout->addWidget(m_startWarning);
    column->addWidget(summary);

    auto *footer = new QWidget(results);
    auto *footerLayout = new QHBoxLayout(footer);
    footerLayout->setContentsMargins(20, 0, 20, 16);
    m_removeCheckBox = new QCheckBox(QStringLiteral("Remove marker clips from session after applying"), footer);
    m_removeCheckBox->setFont(sizedFont(this, 11));
    m_removeCheckBox->setToolTip(QStringLiteral("Removes only the hand clips from triage — files stay on disk. Undoable."));
    m_removeCheckBox->setChecked(m_removeMarkersAfterApply);
    connect(m_removeCheckBox, &QCheckBox::toggled, this, &MarkerDetectView::setRemoveMarkersAfterApply);
    footerLayout->addWidget(m_removeCheckBox);
    footerLayout->addStretch(1);
    m_resultsCancel = new QPushButton(QStringLiteral("Cancel"), footer);
    m_resultsCancel->setAutoDefault(false);
    connect(m_resultsCancel, &QPushButton::clicked, this, &MarkerDetectView::cancelScanAndDismiss);
    footerLayout->addWidget(m_resultsCancel);
    m_applyButton = new QPushButton(QStringLiteral("Apply"), footer);
    m_applyButton->setStyleSheet(QStringLiteral("QPushButton { padding-left: 12px; padding-right: 12px; }"));
    connect(m_applyButton, &QPushButton::clicked, this, &MarkerDetectView::applyMarkers);
    footerLayout->addWidget(m_applyButton);
    column->addWidget(footer);
    return results;
}

QList<MarkerResultRow *> MarkerDetectView::visibleRows() const
{
    QList<MarkerResultRow *> rows;
    if (!m_rowsLayout)
        return rows;
    for (int i = 0; i < m_rowsLayout->count(); ++i) {
        if (auto *row = qobject_cast<MarkerResultRow *>(m_rowsLayout->itemAt(i)->widget()))
            rows.append(row);
    }
    return rows;
}

void MarkerDetectView::refreshResults()
{
    if (!m_resultsContent)
        return;
    const QList<Entry> listed = visibleResults();
    QSet<QUuid> included;
    for (const Entry &entry : listed) {
        if (isIncluded(entry))
            included.insert(entry.clip.id);
    }

    // Take every row out and put the listed ones back in their new order.
    for (MarkerResultRow *row : std::as_const(m_rows)) {
        m_rowsLayout->removeWidget(row);
        row->hide();
    }
    int at = 0;
    for (const Entry &entry : listed) {
        MarkerResultRow *row = m_rows.value(entry.clip.id);
        if (!row)
            continue;
        row->update(MarkerDetector::confidence(entry.metrics, m_detection), included.contains(entry.clip.id),
                    m_expandedResultID == entry.clip.id, m_detection);
        m_rowsLayout->insertWidget(at++, row);
        row->show();
    }
    m_list->setVisible(!listed.isEmpty());
    m_empty->setVisible(listed.isEmpty());
    m_emptyText->setText(emptyResultsMessage(m_detection.maxMarkerDuration));

    const QHash<QUuid, int> planned = MarkerDetector::markerTargets(included, m_store.clips());
    rebuildSummary(planned, included);
    const std::optional<Clip> first = firstClip();
    m_startWarning->setVisible(first && included.contains(first->id));
    m_applyButton->setEnabled(!included.isEmpty());
}

void MarkerDetectView::rebuildSummary(const QHash<QUuid, int> &targets, const QSet<QUuid> &included)
{
    QLayout *chips = m_summaryChips->layout();
    while (QLayoutItem *item = chips->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    QList<QLabel *> labels;
    const QString base = tagBase();
    const QColor dimmed = secondary(this, 0.6);
    const qsizetype markers = included.size();
    chips->addWidget(chip(m_summaryChips, QStringLiteral("hand.raised.fill/marker"), QString::number(markers) + QStringLiteral(" markers"),
                          markers > 0 ? secondary(this) : dimmed, &labels));
    chips->addWidget(new SymbolView(SymbolCatalog::drawer(QStringLiteral("arrow.right/marker")), 10, secondary(this), m_summaryChips));
    const QList<QPair<int, int>> stacks = stackSummary(targets);
    if (stacks.isEmpty())
        chips->addWidget(chip(m_summaryChips, QStringLiteral("tag.fill/marker"), QStringLiteral("0 ") + base, dimmed, &labels));
    for (const auto &[stack, clips] : stacks) {
        const bool single = stack < 2;
        chips->addWidget(chip(m_summaryChips, single ? QStringLiteral("tag.fill/marker") : QStringLiteral("sparkles"),
                              QString::number(clips) + QLatin1Char(' ') + MarkerDetector::markerTagName(base, stack),
                              systemColor(single ? SystemColor::green : SystemColor::orange), &labels));
    }
    static_cast<QHBoxLayout *>(chips)->addStretch(1);
    m_summaryChips->setProperty("chipTexts", [&labels] {
        QStringList texts;
        for (QLabel *l : labels)
            texts.append(l->text());
        return texts;
    }());
}

QStringList MarkerDetectView::summaryTexts() const
{
    return m_summaryChips ? m_summaryChips->property("chipTexts").toStringList() : QStringList();
}
