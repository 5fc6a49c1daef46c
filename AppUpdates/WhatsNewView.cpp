#include "AppUpdates/WhatsNewView.h"

#include "app/SymbolCatalog.h"
#include "app/SystemColor.h"
#include "app/widgets/WidgetStyle.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using WidgetStyle::hairline;
using WidgetStyle::secondary;
using WidgetStyle::sizedFont;

// A section title with its picture painted in the margin before the text, so
// that the picture adds nothing for screen readers.
class SectionTitleLabel : public QLabel
{
public:
    SectionTitleLabel(const QString &title, QWidget *parent) : QLabel(parent)
    {
        setTextFormat(Qt::PlainText);
        setText(title);
        setFont(sizedFont(font(), 13, QFont::DemiBold));
        setContentsMargins(kSymbol + kGap, 0, 0, 0);
        m_symbol = WhatsNewView::sectionSymbol(title);
        m_color = WhatsNewView::sectionColor(title);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QLabel::paintEvent(event);
        QPainter painter(this);
        const QRectF box(0, (height() - kSymbol) / 2.0, kSymbol, kSymbol);
        // The badges' own look ("/whatsnew") where another view draws the
        // name too; a name without a badge draws the plain circle.
        const QString name = SymbolCatalog::variant(m_symbol, u"whatsnew");
        SymbolCatalog::draw(painter, box, SymbolCatalog::contains(name) ? QStringView(name) : QStringView(u"circle.fill"),
                            m_color.value_or(secondary(palette())));
    }

private:
    static constexpr int kSymbol = 13;
    static constexpr int kGap = 6;
    QString m_symbol;
    std::optional<QColor> m_color;
};

// One item: the text (inline Markdown rendered), wrapped, with a small dot
// painted before its first line.
class ItemLabel : public QLabel
{
public:
    ItemLabel(const QString &item, QWidget *parent) : QLabel(parent)
    {
        setTextFormat(Qt::MarkdownText);
        setText(item);
        setWordWrap(true);
        setOpenExternalLinks(true);
        setTextInteractionFlags(Qt::LinksAccessibleByMouse);
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setFont(sizedFont(font(), 12, QFont::Normal));
        QPalette pal = palette();
        QColor text = pal.color(QPalette::WindowText);
        text.setAlphaF(0.85);
        pal.setColor(QPalette::WindowText, text);
        setPalette(pal);
        setContentsMargins(kDot + kGap, 0, 0, 0);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QLabel::paintEvent(event);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing, true);
        QColor dot = secondary(palette());
        dot.setAlphaF(0.5);
        painter.setPen(Qt::NoPen);
        painter.setBrush(dot);
        // Centred on the first line of text.
        const double y = fontMetrics().height() / 2.0;
        painter.drawEllipse(QPointF(kDot / 2.0, y), kDot / 2.0, kDot / 2.0);
    }

private:
    static constexpr int kDot = 4;
    static constexpr int kGap = 8;
};

const QHash<QString, QString> &symbolTable()
{
    static const QHash<QString, QString> table{
        {QStringLiteral("Added"), QStringLiteral("plus.circle.fill")},
        {QStringLiteral("Features"), QStringLiteral("plus.circle.fill")},
        {QStringLiteral("New"), QStringLiteral("plus.circle.fill")},
        {QStringLiteral("Changed"), QStringLiteral("arrow.triangle.2.circlepath.circle.fill")},
        {QStringLiteral("Improved"), QStringLiteral("arrow.up.circle.fill")},
        {QStringLiteral("Improvements"), QStringLiteral("arrow.up.circle.fill")},
        {QStringLiteral("Fixed"), QStringLiteral("checkmark.circle.fill")},
        {QStringLiteral("Fixes"), QStringLiteral("checkmark.circle.fill")},
        {QStringLiteral("Removed"), QStringLiteral("minus.circle.fill")},
        {QStringLiteral("Deprecated"), QStringLiteral("exclamationmark.triangle.fill")},
        {QStringLiteral("Security"), QStringLiteral("lock.circle.fill")},
        {QStringLiteral("Current limitations"), QStringLiteral("info.circle.fill")},
        {QStringLiteral("Known issues"), QStringLiteral("info.circle.fill")},
    };
    return table;
}

const QHash<QString, QColor> &colorTable()
{
    // The desktop has no named yellow of its own; this one matches the others.
    static const QColor yellow(255, 204, 0);
    static const QHash<QString, QColor> table{
        {QStringLiteral("Added"), systemColor(SystemColor::green)},     {QStringLiteral("Features"), systemColor(SystemColor::green)},
        {QStringLiteral("New"), systemColor(SystemColor::green)},       {QStringLiteral("Changed"), systemColor(SystemColor::blue)},
        {QStringLiteral("Improved"), systemColor(SystemColor::blue)},   {QStringLiteral("Improvements"), systemColor(SystemColor::blue)},
        {QStringLiteral("Fixed"), systemColor(SystemColor::orange)},    {QStringLiteral("Fixes"), systemColor(SystemColor::orange)},
        {QStringLiteral("Removed"), systemColor(SystemColor::red)},     {QStringLiteral("Deprecated"), yellow},
        {QStringLiteral("Security"), systemColor(SystemColor::purple)},
    };
    return table;
}

} // namespace

QString WhatsNewView::sectionSymbol(const QString &title)
{
    return symbolTable().value(title, QStringLiteral("circle.fill"));
}

std::optional<QColor> WhatsNewView::sectionColor(const QString &title)
{
    const auto it = colorTable().constFind(title);
    if (it == colorTable().constEnd())
        return std::nullopt;
    return *it;
}

WhatsNewView::WhatsNewView(const ReleaseNotes &notes, const QString &productName, const QColor &accent, QWidget *logo,
                           std::function<void()> onDismiss, QWidget *parent)
    : QDialog(parent), m_notes(notes), m_onDismiss(std::move(onDismiss))
{
    setObjectName(QStringLiteral("whatsNewView"));
    const QString title = QStringLiteral("What's New in ") + productName + QLatin1Char(' ') + notes.version;
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    setFixedWidth(sheetWidth);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *header = new QVBoxLayout;
    header->setContentsMargins(0, 28, 0, 20);
    header->setSpacing(8);
    if (logo) {
        logo->setParent(this);
        header->addWidget(logo, 0, Qt::AlignHCenter);
    }
    m_title = new QLabel(title, this);
    m_title->setObjectName(QStringLiteral("whatsNewTitle"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setFont(sizedFont(m_title->font(), 18, QFont::Bold));
    m_title->setAlignment(Qt::AlignHCenter);
    header->addWidget(m_title, 0, Qt::AlignHCenter);
    column->addLayout(header);
    column->addWidget(hairline(this));

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("whatsNewScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_content = new QWidget(m_scroll);
    m_content->setAutoFillBackground(false);
    auto *sections = new QVBoxLayout(m_content);
    sections->setContentsMargins(20, 20, 20, 20);
    sections->setSpacing(18);
    for (const ReleaseNotes::Section &section : notes.sections) {
        auto *block = new QVBoxLayout;
        block->setSpacing(8);
        auto *sectionTitle = new SectionTitleLabel(section.title, m_content);
        block->addWidget(sectionTitle);
        m_sectionTitles.append(sectionTitle);
        QList<QLabel *> itemLabels;
        for (const QString &item : section.items) {
            auto *label = new ItemLabel(item, m_content);
            block->addWidget(label);
            itemLabels.append(label);
        }
        m_items.append(itemLabels);
        sections->addLayout(block);
    }
    sections->addStretch(1);
    m_scroll->setWidget(m_content);
    m_scroll->viewport()->setAutoFillBackground(false);
    column->addWidget(m_scroll);
    column->addWidget(hairline(this));

    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(16, 16, 16, 16);
    footer->addStretch(1);
    m_dismiss = new QPushButton(QStringLiteral("Let's Go"), this);
    m_dismiss->setObjectName(QStringLiteral("whatsNewDismiss"));
    m_dismiss->setDefault(true);
    m_dismiss->setAutoDefault(true);
    m_dismiss->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: white; border: none;"
                                            " border-radius: 6px; padding: 5px 16px; font-weight: 600; }"
                                            "QPushButton:pressed { background-color: %2; }")
                                 .arg(accent.name(), accent.darker(120).name()));
    connect(m_dismiss, &QPushButton::clicked, this, [this] {
        if (m_onDismiss)
            m_onDismiss();
        accept();
    });
    footer->addWidget(m_dismiss);
    column->addLayout(footer);
    fitScrollHeight();
}

void WhatsNewView::fitScrollHeight()
{
    // As tall as the sections need at the sheet's width, up to the limit;
    // beyond it they scroll while the title and the button stay in place.
    QLayout *sections = m_content->layout();
    const auto neededFor = [sections](int width) {
        return sections->hasHeightForWidth() ? sections->heightForWidth(width) : sections->sizeHint().height();
    };
    int needed = neededFor(sheetWidth);
    if (needed > maxScrollHeight)
        needed = neededFor(sheetWidth - m_scroll->verticalScrollBar()->sizeHint().width());
    m_scroll->setFixedHeight(std::min(needed, maxScrollHeight));
    layout()->activate();
    setFixedHeight(layout()->hasHeightForWidth() ? layout()->heightForWidth(sheetWidth) : layout()->sizeHint().height());
}

void WhatsNewView::showEvent(QShowEvent *event)
{
    fitScrollHeight();
    QDialog::showEvent(event);
    m_dismiss->setFocus();
}
