#include "settings/ui/TagChip.h"

#include "app/widgets/WidgetStyle.h"
#include "app/SymbolCatalog.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {

constexpr int marginX = 10;
constexpr int marginY = 5;
constexpr int spacing = 4;
constexpr int buttonSide = 14;

} // namespace

TagChip::TagChip(const QString &tag, QWidget *parent) : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(marginX, marginY, marginX, marginY);
    row->setSpacing(spacing);
    m_name = new QLabel(this);
    m_name->setTextFormat(Qt::PlainText);
    m_name->setFont(nameFont(font()));
    row->addWidget(m_name);
    m_remove = new QPushButton(this);
    m_remove->setObjectName(QStringLiteral("removeTagButton"));
    m_remove->setFlat(true);
    m_remove->setCursor(Qt::PointingHandCursor);
    m_remove->setIcon(SymbolCatalog::icon(QStringLiteral("xmark/settings")));
    m_remove->setIconSize(QSize(8, 8));
    m_remove->setFixedSize(buttonSide, buttonSide);
    m_remove->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; padding: 0; }"));
    row->addWidget(m_remove);
    connect(m_remove, &QPushButton::clicked, this, [this] { Q_EMIT removeClicked(m_tag); });
    setTag(tag);
}

void TagChip::setTag(const QString &tag)
{
    m_tag = tag;
    m_name->setText(tag);
    m_remove->setAccessibleName(QStringLiteral("Remove ") + tag);
    m_remove->setToolTip(QStringLiteral("Remove ") + tag);
    setAccessibleName(tag);
}

QFont TagChip::nameFont(const QFont &baseFont)
{
    return WidgetStyle::sizedFont(baseFont, 12, QFont::Medium);
}

QSize TagChip::sizeFor(const QString &tag, const QFont &baseFont)
{
    return sizeFor(tag, QFontMetricsF(nameFont(baseFont)));
}

QSize TagChip::sizeFor(const QString &tag, const QFontMetricsF &metrics)
{
    const int nameWidth = static_cast<int>(std::ceil(metrics.horizontalAdvance(tag)));
    const int nameHeight = static_cast<int>(std::ceil(metrics.height()));
    return QSize(marginX + nameWidth + spacing + buttonSide + marginX, marginY + std::max(nameHeight, buttonSide) + marginY);
}

void TagChip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QColor ground = WidgetStyle::secondary(this);
    ground.setAlphaF(0.12);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ground);
    painter.drawRoundedRect(QRectF(rect()), 6, 6);
}
