#include "settings/ui/ScrubSettingsTab.h"

#include "app/AppSettings.h"
#include "app/SecondsLabel.h"
#include "app/widgets/ValueTextSlider.h"
#include "app/widgets/WidgetStyle.h"
#include "app/SymbolCatalog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

using WidgetStyle::sizedFont;

// Slider positions count half seconds: 1 is 0.5 s, 20 is 10 s. The clamp
// happens on the double, so no stored value, however large, reaches an
// integer conversion.
int sliderPosition(double seconds)
{
    if (!std::isfinite(seconds))
        seconds = ScrubSettingsTab::newRowSeconds;
    const double steps = std::clamp(seconds * 2.0, ScrubSettingsTab::minSeconds * 2.0, ScrubSettingsTab::maxSeconds * 2.0);
    return static_cast<int>(std::lround(steps));
}

} // namespace

QString ScrubSettingsTab::noteText()
{
    return QStringLiteral("Hold a modifier key while scrubbing to zoom into a narrow time window for precision control.");
}

ScrubSettingsTab::ScrubSettingsTab(AppSettings &settings, QWidget *parent) : QWidget(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("scrubSettingsTab"));
    auto *column = new QVBoxLayout(this);
    column->setSpacing(16);

    auto *note = new QLabel(noteText(), this);
    note->setWordWrap(true);
    note->setFont(sizedFont(font(), 12));
    note->setForegroundRole(QPalette::PlaceholderText);
    column->addWidget(note);

    m_rowsLayout = new QVBoxLayout;
    m_rowsLayout->setSpacing(16);
    column->addLayout(m_rowsLayout);

    auto *addRow = new QHBoxLayout;
    m_add = new QPushButton(SymbolCatalog::icon(QStringLiteral("plus.circle.fill")), QStringLiteral("Add modifier"), this);
    m_add->setObjectName(QStringLiteral("addModifierButton"));
    m_add->setFlat(true);
    m_add->setAutoDefault(false);
    m_add->setFont(sizedFont(font(), 12));
    m_add->setForegroundRole(QPalette::Highlight);
    m_add->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 2px 0; color: palette(highlight); }"));
    connect(m_add, &QPushButton::clicked, this, &ScrubSettingsTab::addModifier);
    addRow->addWidget(m_add);
    addRow->addStretch(1);
    column->addLayout(addRow);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    column->addWidget(line);

    m_peaks = new QCheckBox(QStringLiteral("Show audio peak markers on hover"), this);
    m_peaks->setObjectName(QStringLiteral("showAudioPeaksToggle"));
    m_peaks->setFont(sizedFont(font(), 12));
    {
        const QSignalBlocker blocker(m_peaks);
        m_peaks->setChecked(m_settings.showAudioPeaks());
    }
    connect(m_peaks, &QCheckBox::toggled, this, [this](bool on) { m_settings.setShowAudioPeaks(on); });
    connect(&m_settings, &AppSettings::showAudioPeaksChanged, this, [this] {
        const QSignalBlocker blocker(m_peaks);
        m_peaks->setChecked(m_settings.showAudioPeaks());
    });
    column->addWidget(m_peaks);

    column->addStretch(1);
    auto *resetRow = new QHBoxLayout;
    resetRow->addStretch(1);
    m_reset = new QPushButton(QStringLiteral("Reset to Defaults"), this);
    m_reset->setObjectName(QStringLiteral("resetModifiersButton"));
    m_reset->setFlat(true);
    m_reset->setAutoDefault(false);
    m_reset->setForegroundRole(QPalette::PlaceholderText);
    connect(m_reset, &QPushButton::clicked, this, &ScrubSettingsTab::resetToDefaults);
    resetRow->addWidget(m_reset);
    column->addLayout(resetRow);
    rebuildRows();
}

void ScrubSettingsTab::showEvent(QShowEvent *event)
{
    loadIfNeeded();
    QWidget::showEvent(event);
}

void ScrubSettingsTab::loadIfNeeded()
{
    if (m_didLoad)
        return;
    m_didLoad = true;
    // Filling the empty list is a change like any other and is stored: a
    // stored list that could not be read gives way to the defaults shown.
    setModifiers(m_settings.decodedScrubModifiers());
}

QList<ModifierKey> ScrubSettingsTab::availableKeys(int index) const
{
    QList<ModifierKey> keys;
    for (ModifierKey key : allModifierKeys()) {
        bool usedElsewhere = false;
        for (int i = 0; i < m_modifiers.size(); ++i) {
            if (i != index && m_modifiers.at(i).key == key)
                usedElsewhere = true;
        }
        if (!usedElsewhere)
            keys.append(key);
    }
    return keys;
}

void ScrubSettingsTab::addModifier()
{
    for (ModifierKey key : allModifierKeys()) {
        const bool used = std::any_of(m_modifiers.cbegin(), m_modifiers.cend(), [key](const ScrubModifier &m) { return m.key == key; });
        if (!used) {
            QList<ScrubModifier> list = m_modifiers;
            list.append(ScrubModifier{key, newRowSeconds});
            setModifiers(list);
            return;
        }
    }
}

void ScrubSettingsTab::removeModifier(int index)
{
    if (index < 0 || index >= m_modifiers.size())
        return;
    QList<ScrubModifier> list = m_modifiers;
    list.removeAt(index);
    setModifiers(list);
}

void ScrubSettingsTab::setKey(int index, ModifierKey key)
{
    if (index < 0 || index >= m_modifiers.size() || !availableKeys(index).contains(key))
        return;
    QList<ScrubModifier> list = m_modifiers;
    list[index].key = key;
    setModifiers(list);
}

void ScrubSettingsTab::setSeconds(int index, double seconds)
{
    if (index < 0 || index >= m_modifiers.size() || !std::isfinite(seconds))
        return;
    QList<ScrubModifier> list = m_modifiers;
    list[index].seconds = seconds;
    setModifiers(list);
}

void ScrubSettingsTab::resetToDefaults()
{
    m_settings.resetScrubModifiers();
    // Shown again as the defaults; stored as a list only when that differs
    // from what was on screen (the stored text stays empty otherwise).
    setModifiers(m_settings.decodedScrubModifiers());
}

void ScrubSettingsTab::setModifiers(const QList<ScrubModifier> &modifiers)
{
    if (modifiers == m_modifiers && !m_rows.isEmpty())
        return;
    const bool countChanged = modifiers.size() != m_modifiers.size();
    m_modifiers = modifiers;
    m_settings.setScrubModifiers(m_modifiers);
    if (countChanged || m_rows.size() != m_modifiers.size()) {
        rebuildRows();
        return;
    }
    // Same rows: refresh them in place, so that a slider being dragged keeps
    // the pointer.
    for (int i = 0; i < m_rows.size(); ++i) {
        const Row &row = m_rows.at(i);
        const ScrubModifier &modifier = m_modifiers.at(i);
        {
            const QSignalBlocker blocker(row.keyPicker);
            row.keyPicker->clear();
            for (ModifierKey key : availableKeys(i))
                row.keyPicker->addItem(modifierKeyName(key), QVariant::fromValue(static_cast<int>(key)));
            row.keyPicker->setCurrentIndex(static_cast<int>(availableKeys(i).indexOf(modifier.key)));
        }
        {
            const QSignalBlocker blocker(row.slider);
            row.slider->setValue(sliderPosition(modifier.seconds));
        }
        const QString seconds = secondsLabel(modifier.seconds);
        row.slider->refreshValueText();
        row.secondsText->setText(seconds);
        row.chip->setText(modifier.label());
    }
}

void ScrubSettingsTab::rebuildRows()
{
    for (QWidget *widget : m_rowWidgets)
        delete widget;
    m_rowWidgets.clear();
    m_rows.clear();
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(12);
    mono.setWeight(QFont::Medium);
    for (int i = 0; i < m_modifiers.size(); ++i) {
        const ScrubModifier &modifier = m_modifiers.at(i);
        auto *rowWidget = new QWidget(this);
        auto *layout = new QHBoxLayout(rowWidget);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(12);
        Row row;

        row.keyPicker = new QComboBox(rowWidget);
        row.keyPicker->setAccessibleName(QStringLiteral("Modifier key"));
        row.keyPicker->setFixedWidth(140);
        // The key's symbol on this desktop is its name, so each option shows
        // the name once.
        for (ModifierKey key : availableKeys(i))
            row.keyPicker->addItem(modifierKeyName(key), QVariant::fromValue(static_cast<int>(key)));
        row.keyPicker->setCurrentIndex(static_cast<int>(availableKeys(i).indexOf(modifier.key)));
        connect(row.keyPicker, &QComboBox::activated, this, [this, i](int option) {
            const QList<ModifierKey> keys = availableKeys(i);
            if (option >= 0 && option < keys.size())
                setKey(i, keys.at(option));
        });
        layout->addWidget(row.keyPicker);

        auto *duration = new QHBoxLayout;
        duration->setSpacing(6);
        row.slider = new ValueTextSlider(rowWidget);
        row.slider->setAccessibleName(QStringLiteral("Scrub window duration"));
        row.slider->setValueScale(0.5); // steps of half a second
        row.slider->setRange(sliderPosition(minSeconds), sliderPosition(maxSeconds));
        row.slider->setSingleStep(1);
        row.slider->setPageStep(1);
        row.slider->setFixedWidth(120);
        row.slider->setValue(sliderPosition(modifier.seconds));
        // Read as the seconds it stands for, as the text beside it shows them.
        row.slider->setValueText([this, i] { return i < m_modifiers.size() ? secondsLabel(m_modifiers.at(i).seconds) : QString(); });
        connect(row.slider, &QSlider::valueChanged, this, [this, i](int position) { setSeconds(i, position / 2.0); });
        duration->addWidget(row.slider);
        row.secondsText = new QLabel(secondsLabel(modifier.seconds), rowWidget);
        row.secondsText->setFont(mono);
        row.secondsText->setFixedWidth(36);
        row.secondsText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        duration->addWidget(row.secondsText);
        layout->addLayout(duration);

        row.chip = new QLabel(modifier.label(), rowWidget);
        row.chip->setObjectName(QStringLiteral("modifierChip"));
        row.chip->setStyleSheet(QStringLiteral("QLabel { color: white; background-color: rgba(0, 122, 255, 204);"
                                               " border-radius: 4px; padding: 2px 6px; font-size: 10px;"
                                               " font-weight: 600; }"));
        layout->addWidget(row.chip);
        layout->addStretch(1);

        if (m_modifiers.size() >= 2) {
            row.remove = new QPushButton(SymbolCatalog::icon(QStringLiteral("minus.circle.fill")), QString(), rowWidget);
            row.remove->setAccessibleName(QStringLiteral("Remove modifier"));
            row.remove->setToolTip(QStringLiteral("Remove modifier"));
            row.remove->setFlat(true);
            row.remove->setAutoDefault(false);
            row.remove->setIconSize(QSize(16, 16));
            row.remove->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 2px; }"));
            connect(row.remove, &QPushButton::clicked, this, [this, i] { removeModifier(i); });
            layout->addWidget(row.remove);
        }
        m_rowsLayout->addWidget(rowWidget);
        m_rowWidgets.append(rowWidget);
        m_rows.append(row);
    }
    m_add->setVisible(m_modifiers.size() < 4);
}
