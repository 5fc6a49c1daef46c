#include "app/widgets/TagPickerView.h"

#include "app/TagColor.h"
#include "app/widgets/FlowLayout.h"
#include "app/widgets/TagPickerRow.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpacerItem>
#include <QTimer>
#include <QVBoxLayout>

namespace {

bool isControlOrFormat(char32_t codePoint)
{
    const QChar::Category category = QChar::category(codePoint);
    return category == QChar::Other_Control || category == QChar::Other_Format;
}

} // namespace

TagPickerView::TagPickerView(const QStringList &availableTags, const QStringList &selectedTags, const QSet<QString> &mixedTags,
                             bool startInAddMode, const QColor &accent, QWidget *parent)
    : QWidget(parent), m_available(availableTags), m_selected(selectedTags), m_mixed(mixedTags), m_startInAddMode(startInAddMode),
      m_accent(accent)
{
    setFocusPolicy(Qt::StrongFocus);
    setFixedWidth(280);
    setAccessibleName(QStringLiteral("Tags"));

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(12);

    auto *header = new QHBoxLayout;
    header->setSpacing(8);
    auto *title = new QLabel(QStringLiteral("Tags"), this);
    QFont titleFont = title->font();
    titleFont.setPixelSize(13);
    titleFont.setBold(true);
    title->setFont(titleFont);
    // The "↵ done" hint only repeats what Return does: it is painted into a
    // space kept for it, so that screen readers do not read it out.
    m_hintFont = font();
    m_hintFont.setPixelSize(10);
    m_hintFont.setWeight(QFont::Medium);
    const QSize hintSize = QFontMetrics(m_hintFont).size(Qt::TextSingleLine, hintText());
    m_hintSpace = new QSpacerItem(hintSize.width(), hintSize.height(), QSizePolicy::Fixed, QSizePolicy::Fixed);
    header->addWidget(title);
    header->addStretch(1);
    header->addItem(m_hintSpace);
    column->addLayout(header);

    m_mixedNote = new QLabel(QStringLiteral("− means tagged on some selected clips. Click to add it to all."), this);
    m_mixedNote->setWordWrap(true);
    QFont captionFont = m_mixedNote->font();
    captionFont.setPixelSize(11);
    m_mixedNote->setFont(captionFont);
    m_mixedNote->setForegroundRole(QPalette::PlaceholderText);
    column->addWidget(m_mixedNote);

    m_flowHost = new QWidget(this);
    m_flow = new FlowLayout(8, m_flowHost);
    column->addWidget(m_flowHost);

    m_addRow = new QWidget(this);
    auto *addLayout = new QHBoxLayout(m_addRow);
    addLayout->setContentsMargins(0, 0, 0, 0);
    addLayout->setSpacing(8);
    m_field = new QLineEdit(m_addRow);
    m_field->setPlaceholderText(QStringLiteral("New tag name..."));
    QFont fieldFont = m_field->font();
    fieldFont.setPixelSize(12);
    fieldFont.setWeight(QFont::Medium);
    m_field->setFont(fieldFont);
    m_field->setAccessibleName(QStringLiteral("New tag name"));
    m_field->installEventFilter(this);
    m_addButton = new QPushButton(QStringLiteral("Add"), m_addRow);
    m_addButton->setDefault(false);
    m_addButton->setAutoDefault(false);
    addLayout->addWidget(m_field, 1);
    addLayout->addWidget(m_addButton);
    column->addWidget(m_addRow);

    m_notice = new QLabel(QStringLiteral("Use a folder-safe name without slashes, colons, or control characters."), this);
    m_notice->setWordWrap(true);
    m_notice->setFont(captionFont);
    QPalette noticePalette = m_notice->palette();
    noticePalette.setColor(QPalette::WindowText, QColor(220, 38, 38));
    m_notice->setPalette(noticePalette);
    column->addWidget(m_notice);

    connect(m_field, &QLineEdit::textChanged, this, [this] { updateNotice(); });
    connect(m_field, &QLineEdit::returnPressed, this, &TagPickerView::commit);
    connect(m_addButton, &QPushButton::clicked, this, &TagPickerView::commit);

    rebuildRows();
    m_addRow->setVisible(false);
    updateNotice();
}

QString TagPickerView::hintText()
{
    return QStringLiteral("↵ done");
}

QString TagPickerView::trimmedTagName(const QString &text)
{
    // QString::trimmed removes every white-space and line-break character at
    // both ends, which is both trims in one. The composed form is the one the
    // session keeps, so that a name typed with a combining accent is found
    // among the applied tags as the same tag.
    return text.trimmed().normalized(QString::NormalizationForm_C);
}

bool TagPickerView::isValidTagName(const QString &text)
{
    const QString name = trimmedTagName(text);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (char32_t c : name.toUcs4()) {
        if (c == U'/' || c == U':' || c == U'\\' || isControlOrFormat(c))
            return false;
    }
    return true;
}

void TagPickerView::setTags(const QStringList &availableTags, const QStringList &selectedTags, const QSet<QString> &mixedTags)
{
    const bool rowsChanged = availableTags != m_available;
    m_available = availableTags;
    m_selected = selectedTags;
    m_mixed = mixedTags;
    if (m_focusedIndex > m_available.size())
        m_focusedIndex = static_cast<int>(m_available.size());
    if (rowsChanged)
        rebuildRows();
    else
        refreshRows();
}

void TagPickerView::rebuildRows()
{
    for (QWidget *row : std::as_const(m_rows))
        delete row;
    m_rows.clear();
    for (int i = 0; i <= m_available.size(); ++i) {
        auto *row = new TagPickerRow(
            m_flowHost,
            [this, i] {
                if (i < m_available.size()) {
                    setFocusedIndex(i);
                    toggleRow(i);
                    setFocus(Qt::MouseFocusReason);
                } else {
                    setAddingNew(true);
                    m_field->setFocus(Qt::MouseFocusReason);
                }
            },
            [this, i] { setFocusedIndex(i); });
        if (i < m_available.size()) {
            row->setAccessibleName(m_available.at(i));
        } else {
            row->setAccessibleName(QStringLiteral("New tag"));
        }
        m_flow->addWidget(row);
        m_rows.append(row);
    }
    refreshRows();
}

void TagPickerView::refreshRows()
{
    m_mixedNote->setVisible(!m_mixed.isEmpty());
    const QColor secondary = palette().color(QPalette::PlaceholderText);
    QColor newFill = palette().color(QPalette::WindowText);
    newFill.setAlphaF(0.08f);
    for (int i = 0; i < m_rows.size(); ++i) {
        auto *row = static_cast<TagPickerRow *>(m_rows.at(i));
        const bool focused = m_focusedIndex == i && !m_isAddingNew;
        if (i < m_available.size()) {
            const QString &tag = m_available.at(i);
            const bool selected = m_selected.contains(tag);
            const bool mixed = m_mixed.contains(tag);
            const QColor color = tagColor(tag);
            QColor fill = color;
            if (!selected)
                fill.setAlphaF(0.1f);
            row->setLook(mixed ? QStringLiteral("− ") + tag : tag, selected, selected ? QColor(Qt::white) : color, fill, focused, m_accent,
                         false);
        } else {
            row->setLook(QStringLiteral("New"), false, secondary, newFill, focused, m_accent, true);
        }
    }
    m_flowHost->updateGeometry();
    if (layout())
        layout()->activate();
    adjustSize();
}

void TagPickerView::setFocusedIndex(int index)
{
    if (index == m_focusedIndex)
        return;
    m_focusedIndex = index;
    refreshRows();
}

void TagPickerView::moveFocus(int delta)
{
    const int count = static_cast<int>(m_available.size());
    setFocusedIndex(std::clamp(m_focusedIndex + delta, 0, count));
}

void TagPickerView::setAddingNew(bool adding)
{
    if (adding == m_isAddingNew)
        return;
    m_isAddingNew = adding;
    m_addRow->setVisible(adding);
    updateNotice();
    refreshRows();
}

void TagPickerView::updateNotice()
{
    const QString text = m_field->text();
    const bool valid = isValidTagName(text);
    m_addButton->setEnabled(valid);
    m_notice->setVisible(m_isAddingNew && !text.isEmpty() && !valid);
    if (layout())
        layout()->activate();
    adjustSize();
}

void TagPickerView::toggleRow(int index)
{
    if (index >= 0 && index < m_available.size())
        Q_EMIT tagToggled(m_available.at(index));
}

void TagPickerView::commit()
{
    const QString name = trimmedTagName(m_field->text());
    if (!isValidTagName(name))
        return;
    const bool alreadyApplied = m_selected.contains(name);
    Q_EMIT tagAdded(name);
    if (!alreadyApplied)
        Q_EMIT tagToggled(name);
    m_field->clear();
}

void TagPickerView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    if (m_startInAddMode) {
        setAddingNew(true);
        // The field takes the focus once the add row has been laid out.
        QTimer::singleShot(50, this, [this] {
            if (m_isAddingNew)
                m_field->setFocus(Qt::OtherFocusReason);
        });
    } else {
        setFocus(Qt::OtherFocusReason);
    }
}

bool TagPickerView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            setAddingNew(false);
            setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    if (watched == m_field && event->type() == QEvent::ShortcutOverride) {
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TagPickerView::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (m_isAddingNew) {
        if (key == Qt::Key_Escape) {
            setAddingNew(false);
            setFocus(Qt::OtherFocusReason);
            event->accept();
            return;
        }
        event->ignore();
        return;
    }
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        moveFocus(-1);
        event->accept();
        return;
    case Qt::Key_Right:
    case Qt::Key_Down:
        moveFocus(+1);
        event->accept();
        return;
    case Qt::Key_Space:
        if (m_focusedIndex < m_available.size()) {
            toggleRow(m_focusedIndex);
            event->accept();
            return;
        }
        event->ignore();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        Q_EMIT dismissed();
        return;
    default:
        event->ignore();
    }
}

void TagPickerView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    // Qt announces the panel itself after this; its highlighted row is the
    // focus that a screen reader should read next.
    QTimer::singleShot(0, this, [this] {
        if (auto *row = static_cast<TagPickerRow *>(m_rows.value(m_focusedIndex)))
            row->announceFocus();
    });
}

void TagPickerView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor border = palette().color(QPalette::WindowText);
    border.setAlphaF(0.15f);
    p.setPen(QPen(border, 1));
    p.setBrush(palette().color(QPalette::Base));
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);

    QColor hintColor = palette().color(QPalette::PlaceholderText);
    hintColor.setAlphaF(0.6f);
    p.setPen(hintColor);
    p.setFont(m_hintFont);
    p.drawText(m_hintSpace->geometry(), Qt::AlignRight | Qt::AlignVCenter, hintText());
}
