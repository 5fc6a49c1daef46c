#include "window/SessionTagRow.h"

#include "app/widgets/WidgetStyle.h"
#include "library/ClipStore.h"
#include "app/SymbolCatalog.h"
#include "window/PlainToolTip.h"
#include "window/SheetChrome.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {

QPushButton *button(const QString &text, QWidget *parent)
{
    auto *result = new QPushButton(text, parent);
    // Return belongs to the fields, never to a button of the sheet.
    result->setAutoDefault(false);
    return result;
}

QPixmap warningPicture(const QWidget *widget)
{
    const qreal ratio = widget->devicePixelRatioF();
    QPixmap picture(QSize(14, 14) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, true);
    SymbolCatalog::draw(painter, QRectF(0, 0, 14, 14), u"exclamationmark.triangle", QColor(255, 149, 0));
    return picture;
}

} // namespace

SessionTagRow::SessionTagRow(const QString &tag, bool editing, const QString &name, QWidget *parent) : QWidget(parent), m_tag(tag)
{
    setObjectName(QStringLiteral("tagRow"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 3, 4, 3);
    if (!editing) {
        m_label = WidgetStyle::label(tag, SheetChrome::bodyPixels, this);
        m_label->setObjectName(QStringLiteral("tagName"));
        row->addWidget(m_label);
        // What the organize run refuses as a folder name: the name as stored.
        if (!ClipStore::isValidTagName(tag)) {
            m_warning = new QLabel(this);
            m_warning->setObjectName(QStringLiteral("tagWarning"));
            m_warning->setPixmap(warningPicture(this));
            m_warning->setToolTip(warningText());
            m_warning->setAccessibleName(warningText());
            row->addWidget(m_warning);
        }
        row->addStretch(1);
        m_rename = button(QStringLiteral("Rename\u2026"), this);
        m_rename->setObjectName(QStringLiteral("renameButton"));
        m_rename->setAccessibleDescription(tag);
        connect(m_rename, &QPushButton::clicked, this, &SessionTagRow::renameRequested);
        row->addWidget(m_rename);
        return;
    }
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("tagNameField"));
    m_field->setPlaceholderText(QStringLiteral("Tag name"));
    m_field->setAccessibleName(QStringLiteral("Tag name"));
    m_field->setAccessibleDescription(tag);
    m_field->setText(name);
    connect(m_field, &QLineEdit::textEdited, this, &SessionTagRow::nameEdited);
    connect(m_field, &QLineEdit::returnPressed, this, &SessionTagRow::commitRequested);
    row->addWidget(m_field, 1);
    m_confirm = button(QStringLiteral("Save"), this);
    m_confirm->setObjectName(QStringLiteral("confirmButton"));
    connect(m_confirm, &QPushButton::clicked, this, &SessionTagRow::commitRequested);
    row->addWidget(m_confirm);
    m_cancel = button(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(m_cancel, &QPushButton::clicked, this, &SessionTagRow::cancelRequested);
    row->addWidget(m_cancel);
    setFocusProxy(m_field);
}

void SessionTagRow::setConfirm(const QString &title, bool enabled)
{
    if (!m_confirm)
        return;
    m_confirm->setText(title);
    m_confirm->setEnabled(enabled);
}
