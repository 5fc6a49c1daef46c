#include "markers/ui/NumberingResetReviewView.h"

#include "app/SymbolCatalog.h"
#include "app/AppSettings.h"
#include "library/ClipStore.h"
#include "markers/ui/MarkerUiStyle.h"
#include "markers/ui/NumberingResetClipPreview.h"
#include "markers/MarkerDetector.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace MarkerUiStyle;

namespace {

const Clip *clipWithID(const ClipStore &store, const QUuid &id)
{
    for (const Clip &clip : store.clips()) {
        if (clip.id == id)
            return &clip;
    }
    return nullptr;
}

QColor blended(const QColor &base, const QColor &tint, qreal amount)
{
    return QColor::fromRgbF(base.redF() + (tint.redF() - base.redF()) * amount, base.greenF() + (tint.greenF() - base.greenF()) * amount,
                            base.blueF() + (tint.blueF() - base.blueF()) * amount);
}

} // namespace

NumberingResetReviewView::NumberingResetReviewView(ClipStore &store, AppSettings &settings, MarkerDetector::NumberingReset reset,
                                                   std::function<void()> onDismiss, QWidget *parent)
    : QDialog(parent), m_store(store), m_settings(settings), m_reset(reset), m_onDismiss(std::move(onDismiss))
{
    setWindowTitle(QStringLiteral("Review numbering reset"));
    setObjectName(QStringLiteral("NumberingResetReviewView"));
    setModal(true);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    auto *frame = new QWidget(this);
    frame->setFixedWidth(sheetWidth);
    outer->addWidget(frame);
    auto *column = new QVBoxLayout(frame);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(20);

    auto *header = new QHBoxLayout;
    m_title = label(QStringLiteral("Review numbering reset"), sizedFont(this, 18, QFont::DemiBold), QColor(), frame);
    header->addWidget(m_title);
    header->addStretch(1);
    m_closeButton = new QToolButton(frame);
    m_closeButton->setAutoRaise(true);
    m_closeButton->setFixedSize(24, 24);
    m_closeButton->setIcon(SymbolCatalog::coloredIcon(QStringLiteral("xmark/marker"), secondary(this), 12));
    m_closeButton->setIconSize(QSize(12, 12));
    m_closeButton->setAccessibleName(QStringLiteral("Close numbering reset review"));
    m_closeButton->setToolTip(QStringLiteral("Close"));
    connect(m_closeButton, &QToolButton::clicked, this, &NumberingResetReviewView::close_);
    header->addWidget(m_closeButton);
    column->addLayout(header);

    // The files are gone or offline: nothing to decide.
    m_unavailable = new QWidget(frame);
    auto *unavailable = new QVBoxLayout(m_unavailable);
    unavailable->setContentsMargins(0, 0, 0, 0);
    unavailable->setSpacing(20);
    auto *gone = secondaryLabel(QStringLiteral("These files are no longer available. Reconnect or locate them to review this reset."),
                                sizedFont(this, 13), m_unavailable);
    gone->setWordWrap(true);
    unavailable->addWidget(gone);
    m_doneButton = new QPushButton(QStringLiteral("Done"), m_unavailable);
    m_doneButton->setAutoDefault(false);
    connect(m_doneButton, &QPushButton::clicked, this, &NumberingResetReviewView::close_);
    unavailable->addWidget(m_doneButton, 0, Qt::AlignLeft);
    column->addWidget(m_unavailable);

    m_review = new QWidget(frame);
    auto *review = new QVBoxLayout(m_review);
    review->setContentsMargins(0, 0, 0, 0);
    review->setSpacing(20);
    auto *why = secondaryLabel(QStringLiteral("A hand marker here may belong to the last clip of the previous sequence."),
                               sizedFont(this, 13), m_review);
    why->setWordWrap(true);
    review->addWidget(why);
    m_previews = new QWidget(m_review);
    auto *previews = new QHBoxLayout(m_previews);
    previews->setContentsMargins(0, 0, 0, 0);
    previews->setSpacing(16);
    review->addWidget(m_previews);

    m_noPlan = new QWidget(m_review);
    auto *noPlan = new QVBoxLayout(m_noPlan);
    noPlan->setContentsMargins(0, 0, 0, 0);
    noPlan->setSpacing(20);
    auto *manual = secondaryLabel(QStringLiteral("Review these clips manually; the earlier keeper is not available."), sizedFont(this, 13),
                                  m_noPlan);
    manual->setWordWrap(true);
    noPlan->addWidget(manual);
    m_noPlanDismiss = new QPushButton(QStringLiteral("Dismiss"), m_noPlan);
    m_noPlanDismiss->setAutoDefault(false);
    connect(m_noPlanDismiss, &QPushButton::clicked, this, &NumberingResetReviewView::dismissReset);
    noPlan->addWidget(m_noPlanDismiss, 0, Qt::AlignLeft);
    review->addWidget(m_noPlan);

    m_plan = new QWidget(m_review);
    auto *plan = new QVBoxLayout(m_plan);
    plan->setContentsMargins(0, 0, 0, 0);
    plan->setSpacing(20);
    m_planLabel = secondaryLabel(QString(), sizedFont(this, 12), m_plan);
    m_planLabel->setWordWrap(true);
    plan->addWidget(m_planLabel);
    auto *decision = new QHBoxLayout;
    m_dismissButton = new QPushButton(QStringLiteral("Dismiss"), m_plan);
    m_dismissButton->setAutoDefault(false);
    m_dismissButton->setFlat(true);
    WidgetStyle::setSecondaryText(m_dismissButton);
    connect(m_dismissButton, &QPushButton::clicked, this, &NumberingResetReviewView::dismissReset);
    decision->addWidget(m_dismissButton);
    decision->addStretch(1);
    m_tagButton = new QPushButton(m_plan);
    m_tagButton->setAutoDefault(false);
    connect(m_tagButton, &QPushButton::clicked, this, &NumberingResetReviewView::tagPreviousClip);
    decision->addWidget(m_tagButton);
    plan->addLayout(decision);
    review->addWidget(m_plan);
    column->addWidget(m_review);

    connect(&m_store, &ClipStore::clipsChanged, this, &NumberingResetReviewView::refresh);
    connect(&m_settings, &AppSettings::changed, this, &NumberingResetReviewView::refresh);
    refresh();
}

QString NumberingResetReviewView::planText(const QString &tag, const QString &filename)
{
    return QStringLiteral("Adds ") + tag + QStringLiteral(" to ") + filename + QStringLiteral(". You can undo this.");
}

void NumberingResetReviewView::refresh()
{
    const Clip *previous = clipWithID(m_store, m_reset.previousClipID);
    const Clip *first = clipWithID(m_store, m_reset.firstClipID);
    const bool available = previous && first && !previous->isMissing && !first->isMissing;
    m_unavailable->setVisible(!available);
    m_review->setVisible(available);
    if (!available)
        return;

    if (!m_before) {
        m_before = new NumberingResetClipPreview(*previous, QStringLiteral("Before the reset"), m_store.thumbnailGenerator(), m_previews);
        m_after = new NumberingResetClipPreview(*first, QStringLiteral("After the reset"), m_store.thumbnailGenerator(), m_previews);
        auto *previews = static_cast<QHBoxLayout *>(m_previews->layout());
        previews->addWidget(m_before, 1, Qt::AlignTop);
        previews->addWidget(m_after, 1, Qt::AlignTop);
    } else {
        m_before->setClip(*previous);
        m_after->setClip(*first);
    }

    const std::optional<ClipStore::CrossResetPlan> plan = m_store.crossResetMarkerPlan(m_reset);
    m_noPlan->setVisible(!plan);
    m_plan->setVisible(plan.has_value());
    if (!plan)
        return;
    const QString base = m_settings.effectiveMarkerTagBase();
    m_planLabel->setText(planText(MarkerDetector::markerTagName(base, plan->hands), plan->clip.filename));
    m_tagButton->setText(plan->clip.id == previous->id ? QStringLiteral("Tag previous clip")
                                                       : QStringLiteral("Tag ") + plan->clip.filename);
    // Decided meanwhile, or a base that can never be a tag: nothing to do.
    m_tagButton->setEnabled(ClipStore::containsNumberingReset(m_reset, m_store.numberingResets()) && ClipStore::isValidTagName(base));
    const QColor accent = themeColorValue(m_settings.themeColorRaw());
    m_tagButton->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: white; border: none; border-radius: 5px; "
                                              "padding: 4px 12px; }"
                                              "QPushButton:disabled { background: %2; color: %3; }")
                                   .arg(accent.name(), secondary(this, 0.25).name(QColor::HexArgb), secondary(this).name(QColor::HexArgb)));
}

void NumberingResetReviewView::close_()
{
    if (m_onDismiss)
        m_onDismiss();
    else
        QDialog::reject();
}

void NumberingResetReviewView::reject()
{
    close_();
}

void NumberingResetReviewView::dismissReset()
{
    m_store.dismissNumberingReset(m_reset);
    close_();
}

void NumberingResetReviewView::tagPreviousClip()
{
    if (m_store.applyNumberingResetDecisions(m_reset, m_settings.effectiveMarkerTagBase()))
        close_();
}

void NumberingResetReviewView::paintEvent(QPaintEvent *event)
{
    // The window colour with a touch of the accent.
    QPainter painter(this);
    painter.fillRect(rect(), blended(palette().color(QPalette::Window), themeColorValue(m_settings.themeColorRaw()), 0.06));
    QDialog::paintEvent(event);
}
