#include "markers/ui/MarkerDetectionSettingsPanel.h"

#include "app/SymbolCatalog.h"
#include "app/SecondsLabel.h"
#include "markers/ui/MarkerUiStyle.h"
#include "markers/MarkerDetector.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// The slider position nearest to a value, within the slider's range.
int position(double value, double step, const QSlider *slider)
{
    const double steps = std::isfinite(value) ? std::round(value / step) : slider->minimum();
    return static_cast<int>(std::clamp(steps, double(slider->minimum()), double(slider->maximum())));
}

} // namespace

MarkerDetectionSettingsPanel::MarkerDetectionSettingsPanel(QWidget *parent) : QWidget(parent)
{
    using namespace MarkerUiStyle;
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);

    m_maxDuration = addRow(layout, this, QStringLiteral("Max marker length"), int(minMaxDuration / maxDurationStep),
                           int(maxMaxDuration / maxDurationStep), &m_maxDurationValue);
    m_threshold = addRow(layout, this, QStringLiteral("Confidence needed"), int(std::lround(minThreshold / thresholdStep)),
                         int(std::lround(maxThreshold / thresholdStep)), &m_thresholdValue);

    m_advanced = new QToolButton(this);
    m_advanced->setText(QStringLiteral("Advanced"));
    m_advanced->setCheckable(true);
    m_advanced->setAutoRaise(true);
    m_advanced->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_advanced->setFont(sizedFont(this, 11, QFont::Medium));
    WidgetStyle::setSecondaryText(m_advanced);
    m_advanced->setIconSize(QSize(10, 10));
    connect(m_advanced, &QToolButton::toggled, this, &MarkerDetectionSettingsPanel::setAdvancedExpanded);
    layout->addWidget(m_advanced, 0, Qt::AlignLeft);

    m_advancedBody = new QWidget(this);
    auto *advanced = new QVBoxLayout(m_advancedBody);
    advanced->setContentsMargins(0, 0, 0, 0);
    advanced->setSpacing(6);
    m_sharpness = addRow(advanced, m_advancedBody, QStringLiteral("Sharpness ceiling"), int(minSharpness / sharpnessStep),
                         int(maxSharpness / sharpnessStep), &m_sharpnessValue);
    auto *help = secondaryLabel(QStringLiteral("Frames with edge detail above this count as sharp (not a marker). Raise it if your hand "
                                               "covers read as 'too sharp'."),
                                sizedFont(this, 10), m_advancedBody);
    help->setWordWrap(true);
    advanced->addWidget(help);
    layout->addWidget(m_advancedBody);
    setAdvancedExpanded(false);

    connect(m_maxDuration, &QSlider::valueChanged, this, [this](int value) {
        m_settings.maxMarkerDuration = value * maxDurationStep;
        showValues();
        Q_EMIT detectionChanged(m_settings);
    });
    connect(m_threshold, &QSlider::valueChanged, this, [this](int value) {
        m_settings.confidenceThreshold = value / 100.0;
        showValues();
        Q_EMIT detectionChanged(m_settings);
    });
    connect(m_sharpness, &QSlider::valueChanged, this, [this](int value) {
        m_settings.sharpnessCeiling = value * sharpnessStep;
        showValues();
        Q_EMIT detectionChanged(m_settings);
    });
    setDetection(m_settings);
}

QSlider *MarkerDetectionSettingsPanel::addRow(QVBoxLayout *layout, QWidget *parent, const QString &title, int minimum, int maximum,
                                              QLabel **value)
{
    using namespace MarkerUiStyle;
    auto *row = new QHBoxLayout;
    auto *name = label(title, sizedFont(this, 12, QFont::Medium), QColor(), parent);
    row->addWidget(name);
    auto *slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(minimum, maximum);
    slider->setSingleStep(1);
    slider->setPageStep(1);
    slider->setAccessibleName(title);
    row->addWidget(slider, 1);
    *value = secondaryLabel(QString(), sizedFont(this, 11, QFont::Normal, true), parent);
    (*value)->setFixedWidth(36);
    (*value)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(*value);
    layout->addLayout(row);
    return slider;
}

void MarkerDetectionSettingsPanel::setDetection(const MarkerDetector::Settings &settings)
{
    m_settings = settings;
    // Blocked: placing a slider must never change (or clamp) the settings.
    const QSignalBlocker a(m_maxDuration), b(m_threshold), c(m_sharpness);
    m_maxDuration->setValue(position(settings.maxMarkerDuration, maxDurationStep, m_maxDuration));
    m_threshold->setValue(position(settings.confidenceThreshold, thresholdStep, m_threshold));
    m_sharpness->setValue(position(settings.sharpnessCeiling, sharpnessStep, m_sharpness));
    showValues();
}

QString MarkerDetectionSettingsPanel::maxDurationText(double seconds)
{
    return secondsLabel(seconds);
}

QString MarkerDetectionSettingsPanel::thresholdText(double threshold)
{
    return MarkerUiStyle::percentText(threshold);
}

QString MarkerDetectionSettingsPanel::sharpnessText(double ceiling)
{
    if (!std::isfinite(ceiling))
        return QStringLiteral("0");
    return QString::number(static_cast<qint64>(std::clamp(std::trunc(ceiling), -1.0e15, 1.0e15)));
}

void MarkerDetectionSettingsPanel::showValues()
{
    m_maxDurationValue->setText(maxDurationText(m_settings.maxMarkerDuration));
    m_thresholdValue->setText(thresholdText(m_settings.confidenceThreshold));
    m_sharpnessValue->setText(sharpnessText(m_settings.sharpnessCeiling));
    m_maxDuration->setAccessibleDescription(m_maxDurationValue->text());
    m_threshold->setAccessibleDescription(QString::number(MarkerUiStyle::wholePercent(m_settings.confidenceThreshold))
                                          + QStringLiteral(" percent"));
    m_sharpness->setAccessibleDescription(m_sharpnessValue->text());
}

void MarkerDetectionSettingsPanel::setAdvancedExpanded(bool expanded)
{
    m_advancedBody->setVisible(expanded);
    m_advanced->setIcon(SymbolCatalog::icon(expanded ? QStringLiteral("chevron.down") : QStringLiteral("chevron.right/marker")));
    m_advanced->setAccessibleDescription(expanded ? QStringLiteral("expanded") : QStringLiteral("collapsed"));
}
