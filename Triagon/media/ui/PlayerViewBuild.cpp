// The full player's rows, built once: the header with the title and the
// facts, the timeline with the times and the shuttle state, and the controls.
#include "media/ui/PlayerView.h"

#include "app/SymbolCatalog.h"
#include "app/widgets/GridPainting.h"
#include "app/widgets/Reveal.h"
#include "app/widgets/WidgetStyle.h"
#include "media/ui/PlayerButton.h"
#include "media/ui/PlayerKeyHint.h"
#include "media/ui/PlayerTimeline.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

using namespace GridPainting;
using WidgetStyle::sizedFont;

QFrame *PlayerView::divider(Qt::Orientation orientation)
{
    auto *line = new QFrame(this);
    line->setFrameShape(orientation == Qt::Horizontal ? QFrame::HLine : QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    if (orientation == Qt::Vertical)
        line->setFixedHeight(18);
    return line;
}

QToolButton *PlayerView::iconButton(const QIcon &icon, const QString &label, int iconSize)
{
    auto *button = new QToolButton(this);
    button->setIcon(icon);
    button->setIconSize(QSize(iconSize, iconSize));
    button->setAutoRaise(true);
    // The panel keeps the keyboard focus; buttons are for the pointer.
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(label);
    button->setAccessibleName(label);
    return button;
}

QWidget *PlayerView::buildHeader()
{
    auto *header = new QWidget(this);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(20, 14, 20, 14);
    row->setSpacing(12);

    m_titleColumn = new QVBoxLayout;
    m_titleColumn->setSpacing(3);
    m_title = new QLabel(header);
    m_title->setFont(sizedFont(font(), 15, QFont::Bold));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setMinimumWidth(40);
    m_title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_title->setToolTip(QStringLiteral("Double-click to rename"));
    m_title->installEventFilter(this);
    m_titleColumn->addWidget(m_title);
    auto *facts = new QWidget(header);
    m_factsLayout = new QHBoxLayout(facts);
    m_factsLayout->setContentsMargins(0, 0, 0, 0);
    m_factsLayout->setSpacing(14);
    m_titleColumn->addWidget(facts);
    row->addLayout(m_titleColumn, 1);

    auto *reveal = new PlayerButton(header);
    reveal->setIcon(SymbolCatalog::icon(QStringLiteral("folder"), QStringLiteral("folder-open")));
    reveal->setIconSize(QSize(14, 14));
    reveal->setFixedSize(32, 32);
    reveal->setToolTip(QStringLiteral("Show in File Manager"));
    reveal->setAccessibleName(QStringLiteral("Show in File Manager"));
    connect(reveal, &QToolButton::clicked, this, [this] { revealInFileManager(m_clip.url, this); });
    row->addWidget(reveal);
    auto *close = new PlayerButton(header);
    close->setIcon(SymbolCatalog::icon(QStringLiteral("xmark"), QStringLiteral("window-close")));
    close->setIconSize(QSize(12, 12));
    close->setFixedSize(32, 32);
    close->setToolTip(QStringLiteral("Close (Esc)"));
    close->setAccessibleName(QStringLiteral("Close"));
    connect(close, &QToolButton::clicked, this, [this] {
        if (m_actions.onClose)
            m_actions.onClose();
    });
    row->addWidget(close);
    return header;
}

QWidget *PlayerView::buildTimeline()
{
    auto *block = new QWidget(this);
    auto *column = new QVBoxLayout(block);
    column->setContentsMargins(20, 0, 20, 2);
    column->setSpacing(4);
    m_timeline = new PlayerTimeline(block);
    m_timeline->setAccent(m_accent);
    connect(m_timeline, &PlayerTimeline::dragged, this, &PlayerView::dragTimeline);
    column->addWidget(m_timeline);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    const QFont mono = monoFont(font(), 11);
    m_timeLabel = new QLabel(block);
    m_timeLabel->setFont(mono);
    m_stateLabel = new QLabel(block);
    m_stateLabel->setAlignment(Qt::AlignCenter);
    m_durationLabel = new QLabel(block);
    m_durationLabel->setFont(mono);
    row->addWidget(m_timeLabel);
    row->addStretch(1);
    row->addWidget(m_stateLabel);
    row->addStretch(1);
    row->addWidget(m_durationLabel);
    column->addLayout(row);
    return block;
}

QWidget *PlayerView::buildControls()
{
    auto *controls = new QWidget(this);
    auto *row = new QHBoxLayout(controls);
    row->setContentsMargins(20, 12, 20, 12);
    row->setSpacing(14);

    m_playButton = iconButton(SymbolCatalog::icon(QStringLiteral("play.fill"), QStringLiteral("media-playback-start")),
                              QStringLiteral("Play"), 14);
    m_playButton->setToolTip(QStringLiteral("Space"));
    m_playButton->setFixedSize(28, 28);
    connect(m_playButton, &QToolButton::clicked, this, &PlayerView::togglePlay);
    row->addWidget(m_playButton);
    QToolButton *back = iconButton(SymbolCatalog::icon(QStringLiteral("backward.frame.fill")), QStringLiteral("Step back one frame"), 12);
    back->setToolTip(QStringLiteral(", key"));
    connect(back, &QToolButton::clicked, this, [this] { stepFrames(-1); });
    row->addWidget(back);
    QToolButton *forward = iconButton(SymbolCatalog::icon(QStringLiteral("forward.frame.fill")), QStringLiteral("Step forward one frame"),
                                      12);
    forward->setToolTip(QStringLiteral(". key"));
    connect(forward, &QToolButton::clicked, this, [this] { stepFrames(1); });
    row->addWidget(forward);
    row->addWidget(divider(Qt::Vertical));

    m_ratingRow = new QWidget(controls);
    m_ratingRow->setAccessibleName(QStringLiteral("Rating"));
    auto *stars = new QHBoxLayout(m_ratingRow);
    stars->setContentsMargins(0, 0, 0, 0);
    stars->setSpacing(2);
    for (int n = 1; n <= 5; ++n) {
        auto *star = new QToolButton(m_ratingRow);
        star->setText(QStringLiteral("★"));
        star->setAutoRaise(true);
        star->setFocusPolicy(Qt::NoFocus);
        star->setFixedSize(20, 24);
        star->setAccessibleName(QStringLiteral("Rate ") + QString::number(n)
                                + (n == 1 ? QStringLiteral(" star") : QStringLiteral(" stars")));
        star->installEventFilter(this);
        connect(star, &QToolButton::clicked, this, [this, n] {
            if (m_actions.onRate)
                m_actions.onRate(n);
        });
        stars->addWidget(star);
        m_stars.append(star);
    }
    row->addWidget(m_ratingRow);
    row->addWidget(divider(Qt::Vertical));

    m_tagsRow = new QWidget(controls);
    m_tagsLayout = new QHBoxLayout(m_tagsRow);
    m_tagsLayout->setContentsMargins(0, 0, 0, 0);
    m_tagsLayout->setSpacing(4);
    m_tagButton = new PlayerButton(m_tagsRow);
    m_tagButton->setIcon(SymbolCatalog::icon(QStringLiteral("tag/player")));
    m_tagButton->setIconSize(QSize(12, 12));
    m_tagButton->setFont(sizedFont(font(), 11));
    connect(m_tagButton, &QToolButton::clicked, this, [this] { setTagPickerShown(!m_showTagPicker); });
    m_tagsLayout->addWidget(m_tagButton);
    row->addWidget(m_tagsRow);
    row->addStretch(1);
    auto *hint = new PlayerKeyHint(
        {QStringLiteral("J K L  scrub"), QStringLiteral(", .  frame"), QStringLiteral("[ ]  ±5s"), QStringLiteral("← →  clip")}, controls);
    hint->setObjectName(QStringLiteral("keyHint"));
    row->addWidget(hint, 0);
    return controls;
}
