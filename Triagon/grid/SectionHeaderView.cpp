#include "grid/SectionHeaderView.h"

#include "app/widgets/GridPainting.h"
#include "app/widgets/WidgetStyle.h"
#include "grid/ClipSection.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

using namespace GridPainting;
using WidgetStyle::sizedFont;

namespace {
QString css(const QColor &c)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha());
}
} // namespace

SectionHeaderView::SectionHeaderView(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(20, 0, 20, 0);
    row->setSpacing(10);
    m_titleLabel = new QLabel(this);
    m_titleLabel->setTextFormat(Qt::PlainText);
    m_badge = new QLabel(this);
    m_badge->setFont(sizedFont(font(), 12, QFont::DemiBold));
    m_badge->setAlignment(Qt::AlignCenter);
    row->addWidget(m_titleLabel);
    row->addWidget(m_badge);
    row->addStretch(1);
}

void SectionHeaderView::setSection(const QString &title, qsizetype count, bool ratingTitle)
{
    if (title == m_title && count == m_count && ratingTitle == m_ratingTitle)
        return;
    m_title = title;
    m_count = count;
    m_ratingTitle = ratingTitle;
    m_titleLabel->setFont(sizedFont(font(), ratingTitle ? 18 : 17, QFont::Bold));
    m_titleLabel->setText(title);
    m_titleLabel->setAccessibleName(ratingTitle ? starTitleLabel(title) : title);
    m_badge->setText(QString::number(count));
    m_badge->setAccessibleName(clipCountLabel(count));
    applyColors();
}

void SectionHeaderView::applyColors()
{
    // The colours come from the palette of the moment: fixed into the style
    // sheets, they are set again whenever the palette changes (a switch of
    // the appearance), or a light header would stay dark on a dark grid.
    const QColor text = palette().color(QPalette::WindowText);
    const QColor secondary = withAlpha(text, 0.55);
    QColor titleColor = text;
    if (m_ratingTitle)
        titleColor = ratingColor(starCount(m_title)).value_or(secondary);
    m_titleLabel->setStyleSheet(QStringLiteral("color: %1;").arg(css(titleColor)));
    const int height = m_badge->fontMetrics().height() + 8;
    m_badge->setFixedHeight(height);
    m_badge->setStyleSheet(
        QStringLiteral("QLabel { color: %1; background: rgba(128, 128, 128, 26); border-radius: %2px; padding: 0 10px; }")
            .arg(css(secondary))
            .arg(height / 2));
}

void SectionHeaderView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_count >= 0)
        applyColors();
}
