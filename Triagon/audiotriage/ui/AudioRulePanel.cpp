#include "audiotriage/ui/AudioRulePanel.h"

#include "app/SystemColor.h"
#include "app/widgets/SymbolView.h"
#include "app/widgets/ToggleSwitch.h"
#include "audiotriage/ui/AudioTriageStyle.h"
#include "library/ClipStore.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <cmath>

namespace {

constexpr int kAnimationMs = 150;
constexpr int kPercentageStep = 5;
constexpr int kThresholdScale = 100; // the threshold slider counts hundredths

namespace Style = AudioTriageStyle;
using Mode = AudioTriageRule::SelectionMode;

// One segment of the mode picker; the chosen one is filled with the accent.
class Segment : public QToolButton
{
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QColor face = palette().color(QPalette::Button);
        if (isChecked()) {
            face = palette().color(QPalette::Highlight);
            face.setAlphaF(0.28);
        } else if (underMouse()) {
            face = face.lighter(106);
        }
        painter.setPen(QPen(palette().color(QPalette::Mid), 1));
        painter.setBrush(face);
        painter.drawRoundedRect(box, 4, 4);
        if (hasFocus()) {
            painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(box.adjusted(1, 1, -1, -1), 3, 3);
        }
        QFont label = font();
        label.setWeight(isChecked() ? QFont::DemiBold : QFont::Normal);
        painter.setFont(label);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
};

QToolButton *segment(const QString &text, QWidget *parent)
{
    auto *button = new Segment(parent);
    button->setText(text);
    button->setAccessibleName(text);
    button->setCheckable(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setFont(Style::sizedFont(button->font(), 12));
    return button;
}

// The integer a slider shows for a value, or none when the value is not finite.
int sliderPosition(double value, double scale, int minimum, int maximum)
{
    if (!std::isfinite(value))
        return minimum;
    return int(std::clamp(std::round(value * scale), double(minimum), double(maximum)));
}

} // namespace

AudioRulePanel::Look AudioRulePanel::loudLook(std::function<QColor()> themeColor)
{
    return {QStringLiteral("Loud Peaks"),
            QStringLiteral("speaker.wave.3.fill"),
            QStringLiteral("Clips with the highest audio energy \u2014 crowd noise, cheering, big moments"),
            std::move(themeColor),
            QStringLiteral("Top"),
            QStringLiteral("Peak RMS ") + QLatin1Char('>')};
}

AudioRulePanel::Look AudioRulePanel::quietLook()
{
    return {QStringLiteral("Quiet"),
            QStringLiteral("speaker.fill"),
            QStringLiteral("Clips with consistently low volume \u2014 b-roll, timeouts, establishing shots"),
            [] { return systemColor(SystemColor::blue); },
            QStringLiteral("Bottom"),
            QStringLiteral("Peak RMS ") + QLatin1Char('<')};
}

QString AudioRulePanel::percentText(double percentage)
{
    const double whole = std::isfinite(percentage) ? std::trunc(percentage) : 0;
    return QString::number(qint64(std::clamp(whole, -1e15, 1e15))) + QLatin1Char('%');
}

QString AudioRulePanel::thresholdText(double threshold)
{
    return QString::asprintf("%.2f", threshold);
}

AudioRulePanel::AudioRulePanel(Look look, AudioTriageRule &rule, QWidget *parent)
    : QWidget(parent), m_look(std::move(look)), m_rule(rule), m_tint(rule.enabled ? 1 : 0)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(10);

    auto *header = new QHBoxLayout;
    header->setSpacing(8);
    m_symbol = new SymbolView(
        AudioTriageStyle::symbol(m_look.symbol), 14, [this] { return m_rule.enabled ? ruleColor() : Style::secondary(); }, this);
    header->addWidget(m_symbol, 0, Qt::AlignVCenter);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(1);
    titles->addWidget(Style::label(m_look.title, 13, this, QFont::DemiBold));
    QLabel *description = Style::label(m_look.description, 10, this, QFont::Normal, true);
    description->setWordWrap(true);
    titles->addWidget(description);
    header->addLayout(titles, 1);
    m_switch = new ToggleSwitch(m_look.title + QStringLiteral(" group"), this);
    m_switch->setOnColor([this] { return ruleColor(); });
    connect(m_switch, &QAbstractButton::toggled, this, &AudioRulePanel::setEnabledRule);
    header->addWidget(m_switch, 0, Qt::AlignVCenter);
    column->addLayout(header);

    m_body = buildBody();
    column->addWidget(m_body);
    refresh();
}

QWidget *AudioRulePanel::buildBody()
{
    auto *body = new QWidget(this);
    auto *column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    auto *labelRow = new QHBoxLayout;
    labelRow->setSpacing(8);
    labelRow->addWidget(Style::label(QStringLiteral("Tag label:"), 11, body, QFont::Normal, true));
    m_labelField = new QLineEdit(body);
    m_labelField->setPlaceholderText(QStringLiteral("Label"));
    m_labelField->setFont(Style::sizedFont(m_labelField->font(), 12));
    m_labelField->setMaximumWidth(150);
    m_labelField->setAccessibleName(m_look.title + QStringLiteral(" tag label"));
    connect(m_labelField, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_rule.label = text;
        showLabelNotice();
        Q_EMIT ruleChanged();
    });
    labelRow->addWidget(m_labelField);
    labelRow->addStretch(1);
    column->addLayout(labelRow);
    // Under the field while the label is no usable tag name.
    m_labelNotice = Style::label(labelRuleText(), 10, body);
    m_labelNotice->setObjectName(QStringLiteral("labelNotice"));
    m_labelNotice->setWordWrap(true);
    Style::setTextColor(m_labelNotice, systemColor(SystemColor::red));
    column->addWidget(m_labelNotice);

    auto *modes = new QHBoxLayout;
    modes->setSpacing(2);
    m_percentageMode = segment(rawValue(Mode::percentage), body);
    m_thresholdMode = segment(rawValue(Mode::threshold), body);
    auto *group = new QButtonGroup(body);
    group->setExclusive(true);
    group->addButton(m_percentageMode);
    group->addButton(m_thresholdMode);
    // Toggled, not clicked: the keyboard and assistive tools toggle the segments too.
    connect(m_percentageMode, &QAbstractButton::toggled, this, [this](bool on) {
        if (on)
            setMode(Mode::percentage);
    });
    connect(m_thresholdMode, &QAbstractButton::toggled, this, [this](bool on) {
        if (on)
            setMode(Mode::threshold);
    });
    modes->addWidget(m_percentageMode);
    modes->addWidget(m_thresholdMode);
    column->addLayout(modes);

    auto sliderRow = [&](const QString &caption, int captionWidth, QSlider *&slider, QLabel *&valueText) {
        auto *row = new QWidget(body);
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(10);
        QLabel *captionLabel = Style::label(caption, 11, row, QFont::Normal, true);
        captionLabel->setFixedWidth(captionWidth);
        captionLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        layout->addWidget(captionLabel);
        slider = new QSlider(Qt::Horizontal, row);
        layout->addWidget(slider, 1);
        valueText = Style::label(QString(), 12, row, QFont::Medium);
        valueText->setFont(Style::sizedFont(valueText->font(), 12, QFont::Medium, true));
        valueText->setFixedWidth(36);
        valueText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        layout->addWidget(valueText);
        column->addWidget(row);
        return row;
    };
    m_percentageRow = sliderRow(m_look.sideWord, 44, m_percentageSlider, m_percentageText);
    m_percentageSlider->setRange(int(AudioTriageRule::minPercentage), int(AudioTriageRule::maxPercentage));
    m_percentageSlider->setSingleStep(kPercentageStep);
    m_percentageSlider->setPageStep(kPercentageStep);
    m_percentageSlider->setAccessibleName(m_look.title + QStringLiteral(" percentage"));
    connect(m_percentageSlider, &QSlider::valueChanged, this, [this](int value) {
        // Dragging gives any whole number: the slider moves in steps of 5.
        const int snapped = std::clamp(int(std::lround(value / double(kPercentageStep))) * kPercentageStep, m_percentageSlider->minimum(),
                                       m_percentageSlider->maximum());
        if (snapped != value) {
            m_percentageSlider->setValue(snapped);
            return;
        }
        m_rule.percentage = value;
        showValues();
        Q_EMIT ruleChanged();
    });
    m_thresholdRow = sliderRow(m_look.thresholdCaption, 72, m_thresholdSlider, m_thresholdText);
    m_thresholdSlider->setRange(int(std::lround(AudioTriageRule::minThreshold * kThresholdScale)),
                                int(std::lround(AudioTriageRule::maxThreshold * kThresholdScale)));
    m_thresholdSlider->setSingleStep(1);
    m_thresholdSlider->setPageStep(1);
    m_thresholdSlider->setAccessibleName(m_look.title + QStringLiteral(" threshold"));
    connect(m_thresholdSlider, &QSlider::valueChanged, this, [this](int value) {
        m_rule.threshold = value / double(kThresholdScale);
        showValues();
        Q_EMIT ruleChanged();
    });

    auto *countRow = new QHBoxLayout;
    countRow->setSpacing(4);
    m_countNumber = Style::label(QStringLiteral("0"), 16, body, QFont::Bold);
    m_countWord = Style::label(QStringLiteral("clips"), 12, body, QFont::Normal, true);
    countRow->addWidget(m_countNumber, 0, Qt::AlignBaseline);
    countRow->addWidget(m_countWord, 0, Qt::AlignBaseline);
    countRow->addStretch(1);
    column->addLayout(countRow);
    return body;
}

QAbstractButton *AudioRulePanel::modeButton(AudioTriageRule::SelectionMode mode) const
{
    switch (mode) {
    case Mode::percentage:
        return m_percentageMode;
    case Mode::threshold:
        return m_thresholdMode;
    }
    return m_percentageMode;
}

void AudioRulePanel::setCount(qsizetype count)
{
    m_countNumber->setText(QString::number(count));
    m_countWord->setText(count == 1 ? QStringLiteral("clip") : QStringLiteral("clips"));
}

void AudioRulePanel::refresh()
{
    {
        const QSignalBlocker blockSwitch(m_switch);
        m_switch->setChecked(m_rule.enabled);
    }
    m_body->setVisible(m_rule.enabled);
    if (m_labelField->text() != m_rule.label)
        m_labelField->setText(m_rule.label);
    showLabelNotice();
    m_percentageMode->setChecked(m_rule.mode == Mode::percentage);
    m_thresholdMode->setChecked(m_rule.mode == Mode::threshold);
    m_percentageRow->setVisible(m_rule.mode == Mode::percentage);
    m_thresholdRow->setVisible(m_rule.mode == Mode::threshold);
    {
        const QSignalBlocker blockPercentage(m_percentageSlider);
        m_percentageSlider->setValue(sliderPosition(m_rule.percentage, 1, m_percentageSlider->minimum(), m_percentageSlider->maximum()));
    }
    {
        const QSignalBlocker blockThreshold(m_thresholdSlider);
        m_thresholdSlider->setValue(
            sliderPosition(m_rule.threshold, kThresholdScale, m_thresholdSlider->minimum(), m_thresholdSlider->maximum()));
    }
    showValues();
    refreshColors();
}

bool AudioRulePanel::isUsableLabel(const QString &label)
{
    // A blank label tags nothing (the store passes it over); any other text
    // becomes a tag and a folder name, so it obeys the tag-name rule.
    return label.trimmed().isEmpty() || ClipStore::isValidTagName(label);
}

bool AudioRulePanel::hasUsableLabel() const
{
    return isUsableLabel(m_rule.label);
}

void AudioRulePanel::showLabelNotice()
{
    m_labelNotice->setVisible(!hasUsableLabel());
}

void AudioRulePanel::showValues()
{
    const QString percent = percentText(m_rule.percentage);
    m_percentageText->setText(percent);
    m_percentageSlider->setAccessibleDescription(percent.chopped(1) + QStringLiteral(" percent"));
    const QString threshold = thresholdText(m_rule.threshold);
    m_thresholdText->setText(threshold);
    m_thresholdSlider->setAccessibleDescription(threshold);
}

void AudioRulePanel::refreshColors()
{
    Style::setTextColor(m_countNumber, ruleColor());
    m_symbol->update();
    m_switch->update();
    update();
}

void AudioRulePanel::setEnabledRule(bool on)
{
    m_rule.enabled = on;
    m_body->setVisible(on);
    if (!m_tintAnimation) {
        m_tintAnimation = new QVariantAnimation(this);
        m_tintAnimation->setDuration(kAnimationMs);
        m_tintAnimation->setEasingCurve(QEasingCurve::InOutQuad);
        connect(m_tintAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
            m_tint = value.toReal();
            update();
        });
    }
    m_tintAnimation->stop();
    m_tintAnimation->setStartValue(m_tint);
    m_tintAnimation->setEndValue(on ? 1.0 : 0.0);
    m_tintAnimation->start();
    m_symbol->update();
    Q_EMIT ruleChanged();
}

void AudioRulePanel::setMode(AudioTriageRule::SelectionMode mode)
{
    if (m_rule.mode == mode)
        return;
    m_rule.mode = mode;
    refresh();
    Q_EMIT ruleChanged();
}

void AudioRulePanel::paintEvent(QPaintEvent *)
{
    if (m_tint <= 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = ruleColor();
    fill.setAlphaF(0.05 * m_tint);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 10, 10);
    painter.fillPath(shape, fill);
}
