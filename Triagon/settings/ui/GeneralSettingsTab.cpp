#include "settings/ui/GeneralSettingsTab.h"

#include "app/AppSettings.h"
#include "app/widgets/SegmentedControl.h"
#include "library/model/FolderOrganization.h"

#include <QFormLayout>
#include <QSignalBlocker>

GeneralSettingsTab::GeneralSettingsTab(AppSettings &settings, QWidget *parent) : QWidget(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("generalSettingsTab"));
    auto *form = new QFormLayout(this);
    form->setContentsMargins(20, 20, 20, 20);
    form->setVerticalSpacing(12);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);

    QStringList organizations;
    for (FolderOrganization organization : allFolderOrganizations())
        organizations.append(rawValue(organization));
    m_organization = new SegmentedControl(organizations, this);
    m_organization->setFixedWidth(200);
    m_organization->setAccessibleName(QStringLiteral("Default folder organization"));
    form->addRow(QStringLiteral("Default folder organization"), m_organization);

    QStringList numbers;
    for (int columns = 1; columns <= 5; ++columns)
        numbers.append(QString::number(columns));
    m_columns = new SegmentedControl(numbers, this);
    m_columns->setFixedWidth(200);
    m_columns->setAccessibleName(QStringLiteral("Default grid columns"));
    form->addRow(QStringLiteral("Default grid columns"), m_columns);

    connect(m_organization, &SegmentedControl::activated, this,
            [this](int index) { m_settings.setDefaultFolderOrganization(allFolderOrganizations().value(index)); });
    connect(m_columns, &SegmentedControl::activated, this, [this](int index) { m_settings.setDefaultGridColumns(index + 1); });
    connect(&m_settings, &AppSettings::defaultFolderOrganizationChanged, this, &GeneralSettingsTab::load);
    connect(&m_settings, &AppSettings::defaultGridColumnsRawChanged, this, &GeneralSettingsTab::load);
    load();
}

void GeneralSettingsTab::load()
{
    {
        const QSignalBlocker blocker(m_organization);
        m_organization->setCurrentIndex(int(allFolderOrganizations().indexOf(m_settings.defaultFolderOrganization())));
    }
    {
        const QSignalBlocker blocker(m_columns);
        m_columns->setCurrentIndex(m_settings.defaultGridColumns() - 1);
    }
}
