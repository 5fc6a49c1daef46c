#include "organize/ui/ExportTreeFolderRow.h"

#include "app/SymbolPainting.h"
#include "app/widgets/WidgetStyle.h"

#include <QAbstractButton>
#include <QEasingCurve>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QVBoxLayout>

namespace {

constexpr int kAnimationMs = 150;
constexpr int kFileIndent = 20;

using SymbolPainting::roundPen;
using WidgetStyle::secondary;
using WidgetStyle::sizedFont;

void drawChevron(QPainter &p, const QRectF &r, bool down, const QColor &color)
{
    p.setPen(roundPen(color, 1.3));
    p.setBrush(Qt::NoBrush);
    const QPointF c = r.center();
    const qreal d = 2.5;
    QPainterPath path;
    if (down) {
        path.moveTo(c + QPointF(-d, -d / 2));
        path.lineTo(c + QPointF(0, d / 2));
        path.lineTo(c + QPointF(d, -d / 2));
    } else {
        path.moveTo(c + QPointF(-d / 2, -d));
        path.lineTo(c + QPointF(d / 2, 0));
        path.lineTo(c + QPointF(-d / 2, d));
    }
    p.drawPath(path);
}

void drawFolder(QPainter &p, const QRectF &r, bool filled, const QColor &color)
{
    QPainterPath path;
    const qreal x = r.left() + 0.5, y = r.top() + r.height() * 0.2, w = r.width() - 1, h = r.height() * 0.65;
    path.moveTo(x, y + h);
    path.lineTo(x, y);
    path.lineTo(x + w * 0.4, y);
    path.lineTo(x + w * 0.5, y + h * 0.18);
    path.lineTo(x + w, y + h * 0.18);
    path.lineTo(x + w, y + h);
    path.closeSubpath();
    p.setPen(roundPen(color, 1.0));
    p.setBrush(filled ? QBrush(color) : QBrush(Qt::NoBrush));
    p.drawPath(path);
}

void drawFilm(QPainter &p, const QRectF &r, const QColor &color)
{
    const QRectF strip(r.left() + 1, r.top() + r.height() * 0.15, r.width() - 2, r.height() * 0.7);
    p.setPen(QPen(color, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(strip);
    p.drawLine(QPointF(strip.left() + strip.width() * 0.25, strip.top()), QPointF(strip.left() + strip.width() * 0.25, strip.bottom()));
    p.drawLine(QPointF(strip.left() + strip.width() * 0.75, strip.top()), QPointF(strip.left() + strip.width() * 0.75, strip.bottom()));
}

void drawOpenArrows(QPainter &p, const QRectF &r, const QColor &color)
{
    p.setPen(QPen(color, 1.0, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = r.center();
    const qreal d = r.width() * 0.35;
    p.drawLine(c + QPointF(-d, -d), c + QPointF(d, d));
    p.drawLine(c + QPointF(-d, -d), c + QPointF(-d * 0.2, -d));
    p.drawLine(c + QPointF(-d, -d), c + QPointF(-d, -d * 0.2));
    p.drawLine(c + QPointF(d, d), c + QPointF(d * 0.2, d));
    p.drawLine(c + QPointF(d, d), c + QPointF(d, d * 0.2));
}

// The header: chevron, folder, "name/" and "(count)".
class FolderHeaderButton : public QAbstractButton
{
public:
    FolderHeaderButton(const ExportFolder &folder, QWidget *parent) : QAbstractButton(parent), m_folder(folder)
    {
        setCheckable(true);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        setAccessibleName(ExportTreeFolderRow::accessibleHeaderName(folder.name, folder.files.size()));
    }

    QSize sizeHint() const override
    {
        const QFontMetrics name(nameFont()), count(countFont());
        const int width = 8 + 4 + 12 + 4 + name.horizontalAdvance(m_folder.name + QLatin1Char('/')) + 4
                          + count.horizontalAdvance(countText());
        return {width, qMax(name.height(), 14) + 2};
    }
    QSize minimumSizeHint() const override { return {40, sizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal midY = height() / 2.0;
        qreal x = 0;
        drawChevron(p, QRectF(x, midY - 4, 8, 8), isChecked(), secondary(this));
        x += 8 + 4;
        drawFolder(p, QRectF(x, midY - 6, 12, 12), isChecked(), QColor(255, 204, 0));
        x += 12 + 4;
        p.setFont(nameFont());
        p.setPen(palette().color(QPalette::WindowText));
        const QString name = m_folder.name + QLatin1Char('/');
        const QFontMetrics nameMetrics(nameFont());
        const QString shownName = nameMetrics.elidedText(name, Qt::ElideMiddle, int(qMax<qreal>(0, width() - x - 30)));
        p.drawText(QRectF(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter, shownName);
        x += nameMetrics.horizontalAdvance(shownName) + 4;
        p.setFont(countFont());
        p.setPen(secondary(this));
        p.drawText(QRectF(x, 0, qMax<qreal>(0, width() - x), height()), Qt::AlignLeft | Qt::AlignVCenter, countText());
    }

private:
    QFont nameFont() const { return sizedFont(font(), 10, QFont::Medium, true); }
    QFont countFont() const { return sizedFont(font(), 9); }
    QString countText() const { return QLatin1Char('(') + QString::number(m_folder.files.size()) + QLatin1Char(')'); }

    ExportFolder m_folder;
};

// Paints one planned file: film symbol, the name (middle-truncated), the
// annotation in parentheses and, when it opens the clip, an open symbol.
void paintFileLine(QWidget *widget, const ExportFileEntry &entry, bool openable)
{
    QPainter p(widget);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal midY = widget->height() / 2.0;
    qreal x = kFileIndent;
    drawFilm(p, QRectF(x, midY - 4, 9, 8), secondary(widget, 0.6));
    x += 9 + 4;

    const QFont nameFont = sizedFont(widget->font(), 9.5, QFont::Normal, true);
    const QFont annotationFont = sizedFont(widget->font(), 8);
    const QFontMetrics nameMetrics(nameFont), annotationMetrics(annotationFont);
    const QString annotation = entry.annotation ? QLatin1Char('(') + *entry.annotation + QLatin1Char(')') : QString();
    const qreal annotationWidth = annotation.isEmpty() ? 0 : annotationMetrics.horizontalAdvance(annotation) + 4;
    const qreal openWidth = openable ? 7 + 4 : 0;
    const int nameRoom = int(qMax<qreal>(0, widget->width() - x - annotationWidth - openWidth));
    const QString name = nameMetrics.elidedText(entry.filename, Qt::ElideMiddle, nameRoom);

    p.setFont(nameFont);
    p.setPen(openable ? widget->palette().color(QPalette::WindowText) : secondary(widget));
    p.drawText(QRectF(x, 0, nameRoom, widget->height()), Qt::AlignLeft | Qt::AlignVCenter, name);
    x += nameMetrics.horizontalAdvance(name) + 4;
    if (!annotation.isEmpty()) {
        QColor blue(10, 132, 255);
        blue.setAlphaF(0.7);
        p.setFont(annotationFont);
        p.setPen(blue);
        const QString shown = annotationMetrics.elidedText(annotation, Qt::ElideRight,
                                                           int(qMax<qreal>(0, widget->width() - x - openWidth)));
        p.drawText(QRectF(x, 0, widget->width() - x, widget->height()), Qt::AlignLeft | Qt::AlignVCenter, shown);
        x += annotationMetrics.horizontalAdvance(shown) + 4;
    }
    if (openable)
        drawOpenArrows(p, QRectF(x, midY - 3.5, 7, 7), secondary(widget, 0.4));
}

int fileLineHeight(const QFont &base)
{
    return QFontMetrics(sizedFont(base, 9.5, QFont::Normal, true)).height() + 2;
}

class OpenFileLine : public QAbstractButton
{
public:
    OpenFileLine(ExportFileEntry entry, QWidget *parent) : QAbstractButton(parent), m_entry(std::move(entry))
    {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        setAccessibleName(m_entry.filename);
        setAccessibleDescription(QStringLiteral("Opens the clip"));
        setToolTip(m_entry.filename);
    }
    QSize sizeHint() const override { return {120, fileLineHeight(font())}; }
    QSize minimumSizeHint() const override { return {40, fileLineHeight(font())}; }

protected:
    void paintEvent(QPaintEvent *) override { paintFileLine(this, m_entry, true); }

private:
    ExportFileEntry m_entry;
};

class PlainFileLine : public QWidget
{
public:
    PlainFileLine(ExportFileEntry entry, QWidget *parent) : QWidget(parent), m_entry(std::move(entry))
    {
        // One element for accessibility: the name and its annotation.
        setAccessibleName(m_entry.annotation ? m_entry.filename + QStringLiteral(" (") + *m_entry.annotation + QLatin1Char(')')
                                             : m_entry.filename);
        setToolTip(m_entry.filename);
    }
    QSize sizeHint() const override { return {120, fileLineHeight(font())}; }
    QSize minimumSizeHint() const override { return {40, fileLineHeight(font())}; }

protected:
    void paintEvent(QPaintEvent *) override { paintFileLine(this, m_entry, false); }

private:
    ExportFileEntry m_entry;
};

} // namespace

QString ExportTreeFolderRow::accessibleHeaderName(const QString &folderName, qsizetype fileCount)
{
    return folderName + QStringLiteral(" folder, ") + QString::number(fileCount)
           + (fileCount == 1 ? QStringLiteral(" file") : QStringLiteral(" files"));
}

QString ExportTreeFolderRow::moreText(qsizetype hidden)
{
    return QStringLiteral("and ") + QString::number(hidden) + QStringLiteral(" more...");
}

ExportTreeFolderRow::ExportTreeFolderRow(ExportFolder folder, OpenFile onOpenFile, bool expanded, int previewLimit, QWidget *parent)
    : QWidget(parent), m_folder(std::move(folder)), m_onOpenFile(std::move(onOpenFile)), m_expanded(expanded)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(1);

    m_header = new FolderHeaderButton(m_folder, this);
    m_header->setChecked(m_expanded);
    connect(m_header, &QAbstractButton::clicked, this, [this] {
        // The button checks itself on a click; the row's state decides.
        m_header->setChecked(m_expanded);
        toggle();
    });
    column->addWidget(m_header);

    m_body = new QWidget(this);
    auto *lines = new QVBoxLayout(m_body);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(1);
    const qsizetype shown = qMin<qsizetype>(qMax(previewLimit, 0), m_folder.files.size());
    for (qsizetype i = 0; i < shown; ++i) {
        const ExportFileEntry &entry = m_folder.files[i];
        QWidget *line = nullptr;
        if (m_onOpenFile) {
            auto *button = new OpenFileLine(entry, m_body);
            const QString name = entry.filename;
            connect(button, &QAbstractButton::clicked, this, [this, name] {
                if (m_onOpenFile)
                    m_onOpenFile(name);
            });
            line = button;
        } else {
            line = new PlainFileLine(entry, m_body);
        }
        line->setContentsMargins(0, 1, 0, 1);
        lines->addWidget(line);
        m_lines.append(line);
    }
    if (m_folder.files.size() > shown) {
        m_more = new QLabel(moreText(m_folder.files.size() - shown), m_body);
        m_more->setTextFormat(Qt::PlainText);
        QFont italic = sizedFont(font(), 9, QFont::Normal, true);
        italic.setItalic(true);
        m_more->setFont(italic);
        QPalette pal = m_more->palette();
        pal.setColor(QPalette::WindowText, secondary(this, 0.6));
        m_more->setPalette(pal);
        m_more->setContentsMargins(kFileIndent, 0, 0, 0);
        lines->addWidget(m_more);
    }
    column->addWidget(m_body);

    m_animation = new QPropertyAnimation(m_body, "maximumHeight", this);
    m_animation->setDuration(kAnimationMs);
    m_animation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_animation, &QPropertyAnimation::finished, this, [this] {
        m_body->setVisible(m_expanded);
        m_body->setMaximumHeight(QWIDGETSIZE_MAX);
    });
    applyExpanded(false);
}

void ExportTreeFolderRow::toggle()
{
    m_expanded = !m_expanded;
    applyExpanded(true);
}

void ExportTreeFolderRow::applyExpanded(bool animated)
{
    m_header->setChecked(m_expanded);
    m_header->setAccessibleDescription(m_expanded ? QStringLiteral("expanded") : QStringLiteral("collapsed"));
    m_header->update();
    m_animation->stop();
    const int full = m_body->sizeHint().height();
    if (!animated) {
        m_body->setVisible(m_expanded);
        m_body->setMaximumHeight(QWIDGETSIZE_MAX);
        return;
    }
    // The body stays shown while its height eases; it is hidden (and leaves
    // the focus chain and the accessibility tree) when a collapse finishes.
    m_body->setMaximumHeight(m_expanded ? 0 : full);
    m_body->setVisible(true);
    m_animation->setStartValue(m_expanded ? 0 : full);
    m_animation->setEndValue(m_expanded ? full : 0);
    m_animation->start();
}
