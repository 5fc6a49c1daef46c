#include "settings/ui/AppearanceSettingsTab.h"

#include "app/AppSettings.h"
#include "app/AppearanceMode.h"
#include "app/widgets/SegmentedControl.h"
#include "settings/ui/ThemeSwatch.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

AppearanceSettingsTab::AppearanceSettingsTab(AppSettings &settings, QWidget *parent) : QWidget(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("appearanceSettingsTab"));
    auto *form = new QFormLayout(this);
    form->setContentsMargins(20, 20, 20, 20);
    form->setVerticalSpacing(16);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);

    QStringList modes;
    for (AppearanceMode mode : allAppearanceModes())
        modes.append(rawValue(mode));
    m_appearance = new SegmentedControl(modes, this);
    m_appearance->setFixedWidth(220);
    m_appearance->setAccessibleName(QStringLiteral("Appearance"));
    form->addRow(QStringLiteral("Appearance"), m_appearance);
    connect(m_appearance, &SegmentedControl::activated, this, [this](int index) {
        if (index >= 0 && index < allAppearanceModes().size())
            m_settings.setAppearanceMode(allAppearanceModes().at(index));
    });

    auto *accent = new QVBoxLayout;
    accent->setSpacing(10);
    accent->addWidget(new QLabel(QStringLiteral("Accent color"), this));
    auto *swatchRow = new QHBoxLayout;
    // The swatches' own margins hold their outlines; 10 between circles.
    swatchRow->setSpacing(2);
    for (ThemeColor theme : allThemeColors()) {
        auto *swatch = new ThemeSwatch(theme, this);
        // Clicking the chosen colour stores it again; nothing visible changes.
        connect(swatch, &ThemeSwatch::clicked, this, [this, theme] {
            m_settings.setThemeColorRaw(themeColorRawValue(theme));
            load();
        });
        swatchRow->addWidget(swatch);
        m_swatches.append(swatch);
    }
    swatchRow->addStretch(1);
    accent->addLayout(swatchRow);
    form->addRow(accent);

    connect(&m_settings, &AppSettings::appearanceModeRawChanged, this, &AppearanceSettingsTab::load);
    connect(&m_settings, &AppSettings::themeColorRawChanged, this, &AppearanceSettingsTab::load);
    load();
}

void AppearanceSettingsTab::load()
{
    {
        const QSignalBlocker blocker(m_appearance);
        m_appearance->setCurrentIndex(static_cast<int>(allAppearanceModes().indexOf(m_settings.appearanceMode())));
    }
    // Exactly one swatch is marked: an unknown stored text counts as orange.
    const ThemeColor chosen = m_settings.themeColor();
    for (ThemeSwatch *swatch : m_swatches) {
        const QSignalBlocker blocker(swatch);
        swatch->setChecked(swatch->theme() == chosen);
    }
}
