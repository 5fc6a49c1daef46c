#include "markers/ui/MarkerResultRow.h"

#include "app/widgets/ElidedLabel.h"
#include "markers/ui/CandidateThumbnail.h"
#include "markers/ui/FillBar.h"
#include "markers/ui/MarkerUiStyle.h"
#include "markers/MarkerDetector.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr QSize confidenceBarSize{70, 5};
constexpr QSize measureBarSize{120, 4};
constexpr int detailIndent = 74;
constexpr double accentedMeasure = 0.6;

// The integer part, for the measure texts.
QString whole(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    return QString::number(static_cast<qint64>(std::clamp(std::trunc(value), -9.0e18, 9.0e18)));
}

} // namespace

MarkerResultRow::MarkerResultRow(const Clip &clip, const MarkerDetector::Metrics &metrics, ThumbnailGenerator *generator,
                                 ColorSource accent, QWidget *parent)
    : QWidget(parent), m_clip(clip), m_metrics(metrics), m_accent(std::move(accent))
{
    using namespace MarkerUiStyle;
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    m_row = new QWidget(this);
    auto *row = new QHBoxLayout(m_row);
    row->setContentsMargins(0, 6, 0, 6);
    row->setSpacing(10);
    m_thumbnail = new CandidateThumbnail(clip, generator, m_row);
    row->addWidget(m_thumbnail);

    auto *names = new QVBoxLayout;
    names->setSpacing(2);
    m_name = new ElidedLabel(clip.filename, Qt::ElideMiddle, m_row);
    m_name->setFont(sizedFont(this, 12, QFont::Medium));
    names->addWidget(m_name);
    names->addWidget(secondaryLabel(clip.durationText(), sizedFont(this, 10), m_row));
    row->addLayout(names, 1);

    auto *confidenceColumn = new QVBoxLayout;
    confidenceColumn->setSpacing(2);
    m_percent = new QLabel(m_row);
    m_percent->setFont(sizedFont(this, 10, QFont::Normal, true));
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    confidenceColumn->addWidget(m_percent, 0, Qt::AlignRight);
    m_bar = new FillBar(confidenceBarSize, m_row);
    confidenceColumn->addWidget(m_bar, 0, Qt::AlignRight);
    row->addLayout(confidenceColumn);

    m_checkbox = new QCheckBox(m_row);
    m_checkbox->setToolTip(QStringLiteral("Treat this clip as a hand marker"));
    m_checkbox->setAccessibleName(checkboxAccessibleName(clip.filename));
    connect(m_checkbox, &QCheckBox::toggled, this, [this](bool on) { Q_EMIT overrideChosen(m_clip.id, on); });
    row->addWidget(m_checkbox);
    outer->addWidget(m_row);

    m_detail = new QWidget(this);
    m_detail->setVisible(false);
    buildDetail();
    outer->addWidget(m_detail);
    outer->addWidget(divider(this, 0.4));
}

QString MarkerResultRow::checkboxAccessibleName(const QString &filename)
{
    return QStringLiteral("Include ") + filename + QStringLiteral(" as hand marker");
}

QList<MarkerResultRow::Measure> MarkerResultRow::measures(const MarkerDetector::Metrics &metrics, const MarkerDetector::Settings &settings)
{
    if (!metrics.frame)
        return {};
    const MarkerDetector::FrameStats &frame = *metrics.frame;
    const MarkerDetector::ConfidenceTerms terms = MarkerDetector::confidenceTerms(frame, settings);
    using MarkerUiStyle::wholePercent;
    return {
        {QStringLiteral("Blur"), terms.blur, QStringLiteral("edge detail ") + whole(frame.laplacianVariance)},
        {QStringLiteral("Coverage"), terms.coverage,
         QStringLiteral("skin ") + QString::number(wholePercent(frame.skinFraction)) + QStringLiteral("% · dark ")
             + QString::number(wholePercent(frame.darkFraction)) + QLatin1Char('%')},
        {QStringLiteral("Uniformity"), terms.uniformity, QStringLiteral("luma σ ") + whole(frame.lumaStdDev)},
    };
}

void MarkerResultRow::buildDetail()
{
    using namespace MarkerUiStyle;
    auto *layout = new QVBoxLayout(m_detail);
    layout->setContentsMargins(detailIndent, 0, 0, 8);
    layout->setSpacing(3);
    for (int i = 0; i < 3; ++i) {
        auto *line = new QHBoxLayout;
        line->setSpacing(8);
        auto *title = secondaryLabel(QString(), sizedFont(this, 10), m_detail);
        title->setFixedWidth(62);
        line->addWidget(title);
        auto *bar = new FillBar(measureBarSize, m_detail);
        line->addWidget(bar);
        auto *text = secondaryLabel(QString(), sizedFont(this, 9, QFont::Normal, true), m_detail);
        line->addWidget(text, 1);
        layout->addLayout(line);
        m_measureTexts.append(title);
        m_measureTexts.append(text);
        m_measureBars.append(bar);
    }
}

void MarkerResultRow::update(double confidence, bool included, bool expanded, const MarkerDetector::Settings &settings)
{
    using namespace MarkerUiStyle;
    m_confidence = confidence;
    m_included = included;
    m_expanded = expanded;
    const QColor accent = m_accent ? m_accent() : palette().color(QPalette::Highlight);

    m_percent->setText(percentText(confidence));
    setTextColor(m_percent, included ? palette().color(QPalette::WindowText) : secondary(this));
    m_bar->setFraction(confidence);
    m_bar->setColors(included ? accent : secondary(this, 0.5), secondary(this, 0.2));
    {
        const QSignalBlocker blocker(m_checkbox);
        m_checkbox->setChecked(included);
    }

    const QList<Measure> lines = measures(m_metrics, settings);
    m_detail->setVisible(expanded && !lines.isEmpty());
    for (qsizetype i = 0; i < lines.size() && i < m_measureBars.size(); ++i) {
        m_measureTexts[2 * i]->setText(lines[i].title);
        m_measureTexts[2 * i + 1]->setText(lines[i].detail);
        m_measureBars[i]->setFraction(lines[i].value);
        // Only a value above 0.6 counts as marker-like enough to accent.
        const bool accented = lines[i].value > accentedMeasure;
        m_measureBars[i]->setColors(accented ? accent : secondary(this, 0.5), secondary(this, 0.15));
    }
}

void MarkerResultRow::mousePressEvent(QMouseEvent *event)
{
    // Taken, so that the release comes here too.
    if (event->button() == Qt::LeftButton && m_row->geometry().contains(event->position().toPoint())) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void MarkerResultRow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_row->geometry().contains(event->position().toPoint())) {
        Q_EMIT expandToggled(m_clip.id);
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}
