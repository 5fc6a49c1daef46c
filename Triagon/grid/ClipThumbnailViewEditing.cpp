// The card's in-place editing: the rename field and the tag picker popup.
#include "grid/ClipThumbnailView.h"

#include "app/widgets/GridPainting.h"
#include "app/widgets/RenameTextField.h"
#include "app/widgets/TagPickerPopup.h"
#include "app/widgets/TagPickerView.h"
#include "app/widgets/WidgetStyle.h"
#include "library/model/FileName.h"

#include <QEvent>
#include <QFrame>

#include <algorithm>

using namespace GridPainting;
using WidgetStyle::sizedFont;

// ---- rename ----------------------------------------------------------------

void ClipThumbnailView::startRename()
{
    if (m_isRenaming)
        return;
    m_renameText = FileName::withoutExtension(m_in.clip.filename);
    m_isRenaming = true;
    m_renameField = new RenameTextField(m_renameText, sizedFont(font(), 13, QFont::DemiBold), this);
    m_renameField->setAccessibleName(QStringLiteral("Clip name"));
    connect(m_renameField, &QLineEdit::textChanged, this, [this](const QString &text) { m_renameText = text; });
    connect(m_renameField, &RenameTextField::committed, this, &ClipThumbnailView::commitRename);
    connect(m_renameField, &RenameTextField::cancelled, this, &ClipThumbnailView::cancelRename);
    // Clicking another card or tabbing away keeps the typed name.
    connect(m_renameField, &RenameTextField::focusLeft, this, &ClipThumbnailView::commitRename);
    placeRenameField();
    m_renameField->show();
    invalidate();
    Q_EMIT renameStateChanged(true);
}

void ClipThumbnailView::placeRenameField()
{
    if (!m_renameField)
        return;
    const QRectF name = nameRect();
    m_renameField->setGeometry(QRectF(name.left() - 2, name.top(), name.width() + 2, nameRowHeight).toAlignedRect());
}

void ClipThumbnailView::commitRename()
{
    if (!m_isRenaming)
        return;
    const QString trimmed = RenameTextField::trimmedName(m_renameText);
    endRename();
    // The end is told first: the rename can re-sort the grid and take this
    // card away, and what it sends after that reaches no one.
    Q_EMIT renameStateChanged(false);
    if (!trimmed.isEmpty())
        Q_EMIT renameRequested(trimmed);
}

void ClipThumbnailView::cancelRename()
{
    if (!m_isRenaming)
        return;
    endRename();
    Q_EMIT renameStateChanged(false);
}

void ClipThumbnailView::endRename()
{
    m_isRenaming = false;
    if (m_renameField) {
        RenameTextField *field = m_renameField;
        m_renameField = nullptr;
        field->disconnect(this);
        // A field that goes with the focus would hand it to the next widget
        // in the window (the toolbar); left without one, the owner gives it
        // back to where the user works.
        if (window()->focusWidget() == field)
            field->clearFocus();
        field->hide();
        field->deleteLater();
    }
    invalidate();
}

// ---- tag picker ------------------------------------------------------------

void ClipThumbnailView::openTagPicker(bool addMode)
{
    if (addMode)
        m_showTagPickerInAddMode = true;
    if (m_showTagPicker && m_popup)
        return;
    m_showTagPicker = true;
    const auto selected = m_in.selectedTagsForPicker.value_or(m_in.clip.tags);
    m_popup = new TagPickerPopup(m_in.availableTags, selected, m_in.mixedTagsForPicker, m_showTagPickerInAddMode, accent(), this);
    m_picker = m_popup->picker();
    connect(m_picker, &TagPickerView::tagToggled, this, &ClipThumbnailView::toggleTagRequested);
    connect(m_picker, &TagPickerView::tagAdded, this, &ClipThumbnailView::addTagRequested);
    connect(m_picker, &TagPickerView::dismissed, this, &ClipThumbnailView::closeTagPicker);
    connect(m_popup, &TagPickerPopup::hidden, this, &ClipThumbnailView::onTagPickerHidden);
    placeTagPicker();
    m_popup->show();
    m_picker->setFocus(Qt::PopupFocusReason);
}

QFrame *ClipThumbnailView::tagPickerPopup() const
{
    return m_popup;
}

void ClipThumbnailView::refreshTagPicker()
{
    if (!m_picker)
        return;
    m_picker->setTags(m_in.availableTags, m_in.selectedTagsForPicker.value_or(m_in.clip.tags), m_in.mixedTagsForPicker);
    placeTagPicker();
}

void ClipThumbnailView::placeTagPicker()
{
    if (!m_popup)
        return;
    const QRectF row = infoRows(posterRect()).ratingRow;
    const QRect globalRow(mapToGlobal(row.topLeft().toPoint()), row.size().toSize());
    m_popup->placeNear(globalRow, mapToGlobal(QPoint(static_cast<int>(tagIconRect().center().x()), 0)).x(), 4);
}

void ClipThumbnailView::closeTagPicker()
{
    if (m_popup && m_popup->isVisible())
        m_popup->hide(); // the hide event finishes the close
    else
        onTagPickerHidden();
}

void ClipThumbnailView::onTagPickerHidden()
{
    if (!m_showTagPicker && !m_popup)
        return;
    m_showTagPicker = false;
    // However the popup closed (its own dismiss, a click outside it, Escape
    // handled by the window system), the next opening starts in the normal mode.
    m_showTagPickerInAddMode = false;
    m_picker = nullptr;
    TagPickerPopup::release(m_popup, this);
    Q_EMIT tagPickerClosed();
}
