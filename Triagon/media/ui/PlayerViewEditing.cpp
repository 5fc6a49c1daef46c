// The full player's in-place editing: the rename field that replaces the
// title, the tag picker popup, and the pointer on the title and the stars.
#include "media/ui/PlayerView.h"

#include "app/widgets/RenameTextField.h"
#include "app/widgets/TagPickerPopup.h"
#include "app/widgets/TagPickerView.h"
#include "library/model/FileName.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

void PlayerView::startRename()
{
    if (m_isRenaming)
        return;
    m_renameText = FileName::withoutExtension(m_clip.filename);
    m_isRenaming = true;
    QFont font = m_title->font();
    m_renameField = new RenameTextField(m_renameText, font, m_title->parentWidget());
    m_renameField->setFixedHeight(24);
    m_renameField->setAccessibleName(QStringLiteral("Clip name"));
    connect(m_renameField, &QLineEdit::textChanged, this, [this](const QString &text) { m_renameText = text; });
    connect(m_renameField, &RenameTextField::committed, this, &PlayerView::commitRename);
    connect(m_renameField, &RenameTextField::cancelled, this, &PlayerView::cancelRename);
    // The layout hands back the item it replaced; it is ours to delete.
    delete m_titleColumn->replaceWidget(m_title, m_renameField);
    m_title->hide();
    m_renameField->show();
}

void PlayerView::commitRename()
{
    if (!m_isRenaming)
        return;
    const QString name = RenameTextField::trimmedName(m_renameText);
    endRename();
    if (!name.isEmpty() && m_actions.onRename)
        m_actions.onRename(name);
}

void PlayerView::cancelRename()
{
    if (m_isRenaming)
        endRename();
}

void PlayerView::endRename()
{
    m_isRenaming = false;
    if (RenameTextField *field = m_renameField) {
        m_renameField = nullptr;
        field->disconnect(this);
        delete m_titleColumn->replaceWidget(field, m_title);
        field->hide();
        field->deleteLater();
    }
    m_title->show();
    setFocus(Qt::OtherFocusReason);
}

RenameTextField *PlayerView::renameField() const
{
    return m_renameField.data();
}

void PlayerView::setTagPickerShown(bool shown)
{
    if (shown == m_showTagPicker)
        return;
    if (!shown) {
        if (m_popup && m_popup->isVisible())
            m_popup->hide(); // the hide event finishes the close
        else
            onPickerHidden();
        return;
    }
    m_showTagPicker = true;
    m_popup = new TagPickerPopup(m_availableTags, m_clip.tags, {}, false, m_accent, this);
    m_picker = m_popup->picker();
    connect(m_picker, &TagPickerView::tagToggled, this, [this](const QString &tag) {
        if (m_actions.onToggleTag)
            m_actions.onToggleTag(tag);
    });
    connect(m_picker, &TagPickerView::tagAdded, this, [this](const QString &tag) {
        if (m_actions.onAddTag)
            m_actions.onAddTag(tag);
    });
    connect(m_picker, &TagPickerView::dismissed, this, [this] { setTagPickerShown(false); });
    connect(m_popup, &TagPickerPopup::hidden, this, &PlayerView::onPickerHidden);
    // Below the tags row; above it when the screen ends.
    m_popup->placeNear(QRect(m_tagsRow->mapToGlobal(QPoint(0, 0)), m_tagsRow->size()),
                       m_tagsRow->mapToGlobal(m_tagsRow->rect().center()).x(), 6);
    m_popup->show();
    m_picker->setFocus(Qt::PopupFocusReason);
}

void PlayerView::onPickerHidden()
{
    if (!m_showTagPicker && !m_popup)
        return;
    m_showTagPicker = false;
    m_picker = nullptr;
    TagPickerPopup::release(m_popup, this);
    setFocus(Qt::PopupFocusReason);
}

bool PlayerView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_title && event->type() == QEvent::MouseButtonDblClick) {
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            startRename();
            return true;
        }
    } else if (auto *star = qobject_cast<QToolButton *>(watched); star && m_stars.contains(star)) {
        if (event->type() == QEvent::Enter)
            setHoveredStar(static_cast<int>(m_stars.indexOf(star)) + 1);
        else if (event->type() == QEvent::Leave)
            setHoveredStar(0);
    }
    return QWidget::eventFilter(watched, event);
}
