#include "settings/ui/TagsSettingsTab.h"

#include "app/AppSettings.h"
#include "app/widgets/TagPickerView.h"
#include "app/widgets/WidgetStyle.h"
#include "settings/ui/TagChip.h"
#include "settings/ui/TagChipList.h"

#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

using WidgetStyle::sizedFont;

} // namespace

QString TagsSettingsTab::noteText()
{
    return QStringLiteral("Default tags for new sessions. To use them now, choose Session actions \u2192 Manage Tags "
                          "\u2192 Apply Default Tags.");
}

TagsSettingsTab::TagsSettingsTab(AppSettings &settings, QWidget *parent) : QWidget(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("tagsSettingsTab"));
    auto *column = new QVBoxLayout(this);
    column->setSpacing(16);

    // Texts keep their height; a long list of chips gives up room first.
    const auto keepHeight = [](QWidget *widget) {
        QSizePolicy policy = widget->sizePolicy(); // keeps a wrapping label's height for its width
        policy.setVerticalPolicy(QSizePolicy::Minimum);
        widget->setSizePolicy(policy);
    };
    auto *note = new QLabel(noteText(), this);
    note->setWordWrap(true);
    note->setFont(sizedFont(font(), 12));
    note->setForegroundRole(QPalette::PlaceholderText);
    keepHeight(note);
    column->addWidget(note);

    m_chipList = new TagChipList(this);
    connect(m_chipList, &TagChipList::removeRequested, this, &TagsSettingsTab::removeTag);
    column->addWidget(m_chipList);

    auto *addRow = new QHBoxLayout;
    addRow->setSpacing(8);
    m_newTag = new QLineEdit(this);
    m_newTag->setObjectName(QStringLiteral("newTagField"));
    m_newTag->setPlaceholderText(QStringLiteral("New tag name"));
    m_newTag->setAccessibleName(QStringLiteral("New tag name"));
    m_newTag->setFixedWidth(160);
    addRow->addWidget(m_newTag);
    m_add = new QPushButton(QStringLiteral("Add"), this);
    m_add->setObjectName(QStringLiteral("addTagButton"));
    m_add->setAutoDefault(false);
    addRow->addWidget(m_add);
    addRow->addStretch(1);
    column->addLayout(addRow);
    connect(m_newTag, &QLineEdit::textChanged, this, &TagsSettingsTab::updateAddButton);
    connect(m_newTag, &QLineEdit::returnPressed, this, &TagsSettingsTab::addTag);
    connect(m_add, &QPushButton::clicked, this, &TagsSettingsTab::addTag);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    column->addWidget(line);

    auto *markerBlock = new QVBoxLayout;
    markerBlock->setSpacing(6);
    auto *heading = new QLabel(QStringLiteral("Hand-marker tag"), this);
    heading->setFont(sizedFont(font(), 13, QFont::DemiBold));
    keepHeight(heading);
    markerBlock->addWidget(heading);
    auto *markerNote = new QLabel(
        QStringLiteral("Detect Hand Markers tags the clip before each hand with this. Stacked hands add a suffix."), this);
    markerNote->setWordWrap(true);
    markerNote->setFont(sizedFont(font(), 12));
    markerNote->setForegroundRole(QPalette::PlaceholderText);
    keepHeight(markerNote);
    markerBlock->addWidget(markerNote);
    auto *markerRow = new QHBoxLayout;
    markerRow->setSpacing(8);
    m_markerTag = new QLineEdit(this);
    m_markerTag->setObjectName(QStringLiteral("markerTagField"));
    m_markerTag->setPlaceholderText(AppSettings::defaultMarkerTagBase());
    m_markerTag->setAccessibleName(QStringLiteral("Hand-marker tag"));
    m_markerTag->setFixedWidth(160);
    markerRow->addWidget(m_markerTag);
    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("markerTagPreview"));
    m_preview->setTextFormat(Qt::PlainText);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(11);
    m_preview->setFont(mono);
    m_preview->setForegroundRole(QPalette::PlaceholderText);
    markerRow->addWidget(m_preview, 1);
    markerBlock->addLayout(markerRow);
    column->addLayout(markerBlock);
    // Stored exactly as typed, also empty; the preview shows what it gives.
    connect(m_markerTag, &QLineEdit::textEdited, this, [this](const QString &text) { m_settings.setMarkerTagBase(text); });
    connect(&m_settings, &AppSettings::markerTagBaseChanged, this, [this] {
        if (m_markerTag->text() != m_settings.markerTagBase()) {
            const QSignalBlocker blocker(m_markerTag);
            m_markerTag->setText(m_settings.markerTagBase());
        }
        updatePreview();
    });

    column->addStretch(1);
    auto *resetRow = new QHBoxLayout;
    resetRow->addStretch(1);
    m_reset = new QPushButton(QStringLiteral("Reset to Defaults"), this);
    m_reset->setObjectName(QStringLiteral("resetTagsButton"));
    m_reset->setFlat(true);
    m_reset->setAutoDefault(false);
    m_reset->setForegroundRole(QPalette::PlaceholderText);
    connect(m_reset, &QPushButton::clicked, this, &TagsSettingsTab::resetToDefaults);
    resetRow->addWidget(m_reset);
    column->addLayout(resetRow);

    {
        const QSignalBlocker blocker(m_markerTag);
        m_markerTag->setText(m_settings.markerTagBase());
    }
    updatePreview();
    updateAddButton();
}

void TagsSettingsTab::showEvent(QShowEvent *event)
{
    loadTagsOnce();
    QWidget::showEvent(event);
    // Only the chips in view are made, so the tab takes its place (the tab
    // view places only the page it shows) and lays itself out now: its chips
    // are there as soon as it shows.
    if (QWidget *pages = parentWidget(); pages && pages->layout())
        pages->layout()->activate();
    layout()->activate();
}

void TagsSettingsTab::loadTagsOnce()
{
    if (m_didLoad)
        return;
    m_editingTags = m_settings.decodedDefaultTags();
    m_didLoad = true;
    rebuildChips();
}

void TagsSettingsTab::addTag()
{
    if (!TagPickerView::isValidTagName(m_newTag->text()))
        return;
    const QString name = TagPickerView::trimmedTagName(m_newTag->text());
    // A name already in the list stays in the field, without a message.
    if (m_editingTags.contains(name))
        return;
    m_editingTags.append(name);
    storeTags();
    m_newTag->clear();
    m_chipList->appendTag(name);
    m_chipList->scrollToTag(name);
}

void TagsSettingsTab::removeTag(const QString &tag)
{
    m_editingTags.removeAll(tag);
    storeTags();
    m_chipList->removeTag(tag);
}

void TagsSettingsTab::resetToDefaults()
{
    m_settings.resetCustomTags();
    m_editingTags = m_settings.decodedDefaultTags();
    m_didLoad = true;
    rebuildChips();
}

void TagsSettingsTab::storeTags()
{
    m_settings.setCustomDefaultTags(m_editingTags);
}

QList<QWidget *> TagsSettingsTab::chips() const
{
    QList<QWidget *> chips;
    for (TagChip *chip : m_chipList->chips())
        chips.append(chip);
    return chips;
}

QPushButton *TagsSettingsTab::removeButton(const QString &tag) const
{
    TagChip *chip = m_chipList->chip(tag);
    return chip ? chip->removeButton() : nullptr;
}

void TagsSettingsTab::rebuildChips()
{
    // A list edited outside the application may hold a name twice: it shows
    // once, and removing it removes every copy.
    m_chipList->setTags(m_editingTags);
}

void TagsSettingsTab::updateAddButton()
{
    m_add->setEnabled(TagPickerView::isValidTagName(m_newTag->text()));
}

void TagsSettingsTab::updatePreview()
{
    m_preview->setText(QStringLiteral("\u2192 ") + m_settings.markerTagName(1) + QStringLiteral(", ") + m_settings.markerTagName(2));
}
