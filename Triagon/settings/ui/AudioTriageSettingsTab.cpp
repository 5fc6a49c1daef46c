#include "settings/ui/AudioTriageSettingsTab.h"

#include "app/AppSettings.h"
#include "app/CheckedNumber.h"
#include "app/widgets/ValueTextSlider.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr double kDefaultPercentage = 15.0;

// Slider positions count steps of 5: 1 is 5 %, 10 is 50 %.
int sliderPosition(int percent)
{
    const int clamped = std::clamp(percent, AudioTriageSettingsTab::minPercent, AudioTriageSettingsTab::maxPercent);
    return (clamped + AudioTriageSettingsTab::percentStep / 2) / AudioTriageSettingsTab::percentStep;
}

struct GroupWidgets
{
    QFormLayout *form;
    QLineEdit *label;
    ValueTextSlider *slider;
    QLabel *text;
};

GroupWidgets addGroup(QVBoxLayout *column, QWidget *parent, const QString &title, const QString &rowText, const QString &sliderName)
{
    auto *box = new QGroupBox(title, parent);
    auto *form = new QFormLayout(box);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    GroupWidgets widgets{};
    widgets.form = form;
    widgets.label = new QLineEdit(box);
    widgets.label->setFixedWidth(200);
    widgets.label->setAccessibleName(title + QStringLiteral(" label"));
    form->addRow(QStringLiteral("Label"), widgets.label);

    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    widgets.slider = new ValueTextSlider(box);
    widgets.slider->setRange(sliderPosition(AudioTriageSettingsTab::minPercent), sliderPosition(AudioTriageSettingsTab::maxPercent));
    widgets.slider->setSingleStep(1);
    widgets.slider->setPageStep(1);
    widgets.slider->setFixedWidth(150);
    widgets.slider->setAccessibleName(sliderName);
    widgets.slider->setValueScale(AudioTriageSettingsTab::percentStep);
    row->addWidget(widgets.slider);
    widgets.text = new QLabel(box);
    QFont digits = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    widgets.text->setFont(digits);
    widgets.text->setFixedWidth(36);
    widgets.text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(widgets.text);
    row->addStretch(1);
    form->addRow(rowText, row);
    column->addWidget(box);
    return widgets;
}

} // namespace

int AudioTriageSettingsTab::shownPercentage(double stored, double fallback)
{
    if (const std::optional<int> whole = truncatedToInt(stored))
        return *whole;
    return truncatedToInt(fallback).value_or(0);
}

AudioTriageSettingsTab::AudioTriageSettingsTab(AppSettings &settings, QWidget *parent) : QWidget(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("audioTriageSettingsTab"));
    auto *column = new QVBoxLayout(this);
    column->setSpacing(12);

    const GroupWidgets loud = addGroup(column, this, QStringLiteral("Loud Group"), QStringLiteral("Top"),
                                       QStringLiteral("Loud group percentage"));
    m_loudLabel = loud.label;
    m_loudSlider = loud.slider;
    m_loudText = loud.text;
    const GroupWidgets quiet = addGroup(column, this, QStringLiteral("Quiet Group"), QStringLiteral("Bottom"),
                                        QStringLiteral("Quiet group percentage"));
    m_quietLabel = quiet.label;
    m_quietSlider = quiet.slider;
    m_quietText = quiet.text;
    column->addStretch(1);
    // One width for the captions of both groups ("Label", "Top", "Bottom"),
    // so that the quiet group's fields stand under the loud group's.
    QList<QWidget *> captions;
    for (const GroupWidgets &group : {loud, quiet}) {
        for (int row = 0; row < group.form->rowCount(); ++row) {
            if (QLayoutItem *item = group.form->itemAt(row, QFormLayout::LabelRole); item && item->widget())
                captions.append(item->widget());
        }
    }
    int captionWidth = 0;
    for (QWidget *caption : std::as_const(captions))
        captionWidth = std::max(captionWidth, caption->sizeHint().width());
    for (QWidget *caption : std::as_const(captions))
        caption->setMinimumWidth(captionWidth);

    // Labels are stored as typed, also empty.
    connect(m_loudLabel, &QLineEdit::textEdited, this, [this](const QString &text) { m_settings.setAudioLoudLabel(text); });
    connect(m_quietLabel, &QLineEdit::textEdited, this, [this](const QString &text) { m_settings.setAudioQuietLabel(text); });
    connect(m_loudSlider, &QSlider::valueChanged, this,
            [this](int position) { m_settings.setAudioLoudPercentage(position * percentStep); });
    connect(m_quietSlider, &QSlider::valueChanged, this,
            [this](int position) { m_settings.setAudioQuietPercentage(position * percentStep); });
    for (auto signal : {&AppSettings::audioLoudLabelChanged, &AppSettings::audioQuietLabelChanged, &AppSettings::audioLoudPercentageChanged,
                        &AppSettings::audioQuietPercentageChanged})
        connect(&m_settings, signal, this, &AudioTriageSettingsTab::load);
    load();
}

void AudioTriageSettingsTab::load()
{
    const auto showLabel = [](QLineEdit *field, const QString &text) {
        if (field->text() == text)
            return;
        const QSignalBlocker blocker(field);
        field->setText(text);
    };
    showLabel(m_loudLabel, m_settings.audioLoudLabel());
    showLabel(m_quietLabel, m_settings.audioQuietLabel());

    const auto showPercent = [](ValueTextSlider *slider, QLabel *text, double stored, const QString &side) {
        const int percent = shownPercentage(stored, kDefaultPercentage);
        {
            const QSignalBlocker blocker(slider);
            slider->setValue(sliderPosition(percent));
        }
        text->setText(QString::number(percent) + QLatin1Char('%'));
        // Read as the percentage it stands for, not as the slider's step.
        const QString value = side + QLatin1Char(' ') + QString::number(percent) + QStringLiteral(" percent");
        slider->setValueText([value] { return value; });
    };
    showPercent(m_loudSlider, m_loudText, m_settings.audioLoudPercentage(), QStringLiteral("Top"));
    showPercent(m_quietSlider, m_quietText, m_settings.audioQuietPercentage(), QStringLiteral("Bottom"));
}
