#include "window/SessionTagsView.h"

#include "app/AppSettings.h"
#include "app/widgets/WidgetStyle.h"
#include "library/ClipStore.h"
#include "library/model/TagName.h"
#include "window/SessionTagRow.h"
#include "window/SheetChrome.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

QPushButton *sheetButton(const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    return button;
}

} // namespace

SessionTagsView::SessionTagsView(ClipStore &store, AppSettings &settings, QWidget *parent)
    : QDialog(parent), m_store(store), m_settings(settings)
{
    setObjectName(QStringLiteral("sessionTagsSheet"));
    setWindowTitle(QStringLiteral("Session Tags"));
    setFixedSize(sheetWidth, sheetHeight);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(16);

    auto *header = new QHBoxLayout;
    header->addWidget(WidgetStyle::label(QStringLiteral("Session Tags"), SheetChrome::title2Pixels, this, QFont::Bold));
    header->addStretch(1);
    m_done = sheetButton(QStringLiteral("Done"), this);
    m_done->setObjectName(QStringLiteral("doneButton"));
    connect(m_done, &QPushButton::clicked, this, &QDialog::reject);
    header->addWidget(m_done);
    column->addLayout(header);

    QLabel *explanation = WidgetStyle::secondaryLabel(
        QStringLiteral("Rename tags here, or use an existing name to merge them. The first tag on each clip determines its export folder."),
        SheetChrome::calloutPixels, this);
    explanation->setWordWrap(true);
    column->addWidget(explanation);

    auto *scroll = new QScrollArea(this);
    m_scroll = scroll;
    scroll->setObjectName(QStringLiteral("tagList"));
    // Tab goes to the rows' buttons, and the list scrolls to them; the list
    // itself needs no focus.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *listContent = new QWidget(scroll);
    m_rowsLayout = new QVBoxLayout(listContent);
    m_rowsLayout->setContentsMargins(6, 4, 6, 4);
    m_rowsLayout->setSpacing(0);
    m_rowsLayout->addStretch(1);
    scroll->setWidget(listContent);
    column->addWidget(scroll, 1);

    auto *newRow = new QHBoxLayout;
    m_newTag = new QLineEdit(this);
    m_newTag->setObjectName(QStringLiteral("newTagField"));
    m_newTag->setPlaceholderText(QStringLiteral("New tag name"));
    m_newTag->setAccessibleName(QStringLiteral("New tag name"));
    connect(m_newTag, &QLineEdit::textChanged, this, &SessionTagsView::updateButtons);
    connect(m_newTag, &QLineEdit::returnPressed, this, &SessionTagsView::addTag);
    newRow->addWidget(m_newTag, 1);
    m_add = sheetButton(QStringLiteral("Add"), this);
    m_add->setObjectName(QStringLiteral("addButton"));
    connect(m_add, &QPushButton::clicked, this, &SessionTagsView::addTag);
    newRow->addWidget(m_add);
    column->addLayout(newRow);
    column->addWidget(WidgetStyle::secondaryLabel(QStringLiteral("Names cannot contain slashes, colons, or control characters."),
                                                  SheetChrome::captionPixels, this));
    column->addWidget(WidgetStyle::hairline(this));
    m_applyDefaults = sheetButton(QStringLiteral("Apply Default Tags to This Session"), this);
    m_applyDefaults->setObjectName(QStringLiteral("applyDefaultsButton"));
    connect(m_applyDefaults, &QPushButton::clicked, this, &SessionTagsView::applyDefaultTags);
    column->addWidget(m_applyDefaults, 0, Qt::AlignLeft);
    QLabel *defaultsNote = WidgetStyle::secondaryLabel(
        QStringLiteral("Uses your defaults from Settings. Tags already assigned to clips are kept. You can undo this."),
        SheetChrome::captionPixels, this);
    defaultsNote->setWordWrap(true);
    column->addWidget(defaultsNote);

    connect(&m_store, &ClipStore::clipsChanged, this, &SessionTagsView::refresh);
    connect(&m_store, &ClipStore::availableTagsChanged, this, &SessionTagsView::refresh);
    refresh();
}

QString SessionTagsView::newName() const
{
    return m_newTag->text();
}

QString SessionTagsView::confirmTitle(const QString &tag, const QString &name, const QStringList &tags)
{
    // Compared as the store compares tags: two spellings of one name are one.
    const QString canonical = TagName::canonical(name);
    return tags.contains(canonical) && canonical != tag ? QStringLiteral("Merge") : QStringLiteral("Save");
}

bool SessionTagsView::canConfirm(const QString &tag, const QString &name)
{
    return ClipStore::isValidTagName(name.trimmed()) && TagName::canonical(name) != tag;
}

SessionTagRow *SessionTagsView::rowFor(const QString &tag) const
{
    for (SessionTagRow *row : m_rows) {
        if (row->tag() == tag)
            return row;
    }
    return nullptr;
}

void SessionTagsView::beginEditing(const QString &tag)
{
    // One row at a time: another row in rename mode goes back to display.
    m_editingTag = tag;
    m_name = tag;
    rebuildRows();
    if (SessionTagRow *row = rowFor(tag)) {
        m_scroll->ensureWidgetVisible(row);
        row->setFocus();
    }
}

void SessionTagsView::cancelEditing()
{
    if (!m_editingTag)
        return;
    m_editingTag.reset();
    rebuildRows();
}

void SessionTagsView::commit()
{
    if (!m_editingTag)
        return;
    // The store trims the new name and refuses an invalid or unchanged one.
    if (!m_store.renameTag(*m_editingTag, m_name))
        return;
    m_editingTag.reset();
    rebuildRows();
}

void SessionTagsView::addTag()
{
    if (m_store.addCatalogTag(m_newTag->text()))
        m_newTag->clear();
}

void SessionTagsView::applyDefaultTags()
{
    m_store.applyDefaultTags(m_settings.decodedDefaultTags());
}

void SessionTagsView::refresh()
{
    const QStringList tags = m_store.allTags();
    if (tags == m_shownTags) {
        updateButtons();
        return;
    }
    // A tag that is gone (undone, merged elsewhere) can no longer be edited.
    if (m_editingTag && !tags.contains(*m_editingTag))
        m_editingTag.reset();
    rebuildRows();
}

void SessionTagsView::rebuildRows()
{
    m_shownTags = m_store.allTags();
    for (SessionTagRow *row : std::as_const(m_rows)) {
        m_rowsLayout->removeWidget(row);
        row->hide();
        // The row may be the sender of the signal that got us here.
        row->deleteLater();
    }
    m_rows.clear();
    QWidget *content = m_rowsLayout->parentWidget();
    for (const QString &tag : std::as_const(m_shownTags)) {
        const bool editing = m_editingTag == tag;
        auto *row = new SessionTagRow(tag, editing, m_name, content);
        connect(row, &SessionTagRow::renameRequested, this, [this, tag] { beginEditing(tag); });
        connect(row, &SessionTagRow::nameEdited, this, [this](const QString &name) {
            m_name = name;
            updateButtons();
        });
        connect(row, &SessionTagRow::commitRequested, this, &SessionTagsView::commit);
        connect(row, &SessionTagRow::cancelRequested, this, &SessionTagsView::cancelEditing);
        m_rowsLayout->insertWidget(m_rowsLayout->count() - 1, row);
        // Added to a shown list: shown now, not after the next event loop turn.
        row->show();
        m_rows.append(row);
    }
    updateButtons();
}

void SessionTagsView::updateButtons()
{
    m_add->setEnabled(ClipStore::isValidTagName(m_newTag->text().trimmed()));
    if (!m_editingTag)
        return;
    if (SessionTagRow *row = rowFor(*m_editingTag))
        row->setConfirm(confirmTitle(*m_editingTag, m_name, m_shownTags), canConfirm(*m_editingTag, m_name));
}
