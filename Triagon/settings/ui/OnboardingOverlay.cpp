#include "settings/ui/OnboardingOverlay.h"

#include "app/SymbolCatalog.h"
#include "app/widgets/SymbolView.h"
#include "app/widgets/WidgetStyle.h"
#include "settings/TourManager.h"
#include "settings/ui/TourStepIndicator.h"

#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace {

constexpr int kFadeMs = 200;

// The card's surface: the window colour in a rounded rectangle.
class TourCard : public QWidget
{
public:
    explicit TourCard(QWidget *parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette().color(QPalette::Window));
        painter.drawRoundedRect(QRectF(rect()), 14, 14);
    }
};

QIcon chevron(const QString &name, const QColor &color, qreal devicePixelRatio)
{
    const QPixmap pixmap = SymbolPainting::pixmap(SymbolCatalog::drawer(SymbolCatalog::variant(name, u"settings")), 9, color,
                                                  devicePixelRatio);
    QIcon icon;
    icon.addPixmap(pixmap, QIcon::Normal);
    icon.addPixmap(pixmap, QIcon::Active);
    return icon;
}

} // namespace

OnboardingOverlay::OnboardingOverlay(TourManager &tourManager, const QColor &brandColor, QWidget *host)
    : QWidget(host), m_tourManager(tourManager), m_brandColor(brandColor), m_host(host)
{
    setObjectName(QStringLiteral("onboardingOverlay"));
    setAccessibleName(QStringLiteral("Tour"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    hide();

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addStretch(1);
    auto *middle = new QHBoxLayout;
    middle->addStretch(1);
    m_card = new TourCard(this);
    m_card->setObjectName(QStringLiteral("tourCard"));
    m_card->setFixedWidth(cardWidth);
    // The card's shadow is painted by the overlay (see paintEvent): a shadow
    // effect inside the overlay's own fade effect does not render.
    middle->addWidget(m_card);
    middle->addStretch(1);
    outer->addLayout(middle);
    outer->addStretch(1);

    auto *cardColumn = new QVBoxLayout(m_card);
    cardColumn->setContentsMargins(0, 0, 0, 0);
    cardColumn->setSpacing(0);

    m_stepContent = new QWidget(m_card);
    auto *content = new QVBoxLayout(m_stepContent);
    content->setContentsMargins(28, 32, 28, 24);
    content->setSpacing(16);
    m_symbol = new SymbolView(SymbolCatalog::drawer(QString()), 36, m_brandColor, m_stepContent);
    // As wide as the card, the picture in its middle.
    m_symbol->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_symbol->setFixedHeight(44);
    content->addWidget(m_symbol);
    m_title = new QLabel(m_stepContent);
    m_title->setObjectName(QStringLiteral("tourTitle"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setAlignment(Qt::AlignHCenter);
    m_title->setWordWrap(true);
    QFont titleFont = m_title->font();
    titleFont.setPixelSize(18);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    content->addWidget(m_title);
    m_body = new QLabel(m_stepContent);
    m_body->setObjectName(QStringLiteral("tourBody"));
    m_body->setTextFormat(Qt::RichText);
    m_body->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_body->setWordWrap(true);
    QFont bodyFont = m_body->font();
    bodyFont.setPixelSize(13);
    m_body->setFont(bodyFont);
    content->addWidget(m_body);
    cardColumn->addWidget(m_stepContent);

    cardColumn->addWidget(WidgetStyle::hairline(m_card));

    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(20, 14, 20, 14);
    bar->setSpacing(8);
    m_leading = new QPushButton(m_card);
    m_leading->setObjectName(QStringLiteral("tourLeadingButton"));
    m_leading->setFocusPolicy(Qt::NoFocus);
    m_leading->setCursor(Qt::PointingHandCursor);
    m_leading->setIconSize(QSize(9, 9));
    connect(m_leading, &QPushButton::clicked, this, [this] {
        if (m_currentStep == 0)
            finishTour();
        else
            previousStep();
    });
    bar->addWidget(m_leading);
    bar->addStretch(1);
    m_indicator = new TourStepIndicator(m_brandColor, m_card);
    bar->addWidget(m_indicator, 0, Qt::AlignVCenter);
    bar->addStretch(1);
    m_trailing = new QPushButton(m_card);
    m_trailing->setObjectName(QStringLiteral("tourTrailingButton"));
    m_trailing->setFocusPolicy(Qt::NoFocus);
    m_trailing->setCursor(Qt::PointingHandCursor);
    m_trailing->setIconSize(QSize(9, 9));
    // The chevron follows the text.
    m_trailing->setLayoutDirection(Qt::RightToLeft);
    connect(m_trailing, &QPushButton::clicked, this, [this] {
        if (m_currentStep >= stepCount() - 1)
            finishTour();
        else
            nextStep();
    });
    bar->addWidget(m_trailing);
    cardColumn->addLayout(bar);

    m_fade = new QVariantAnimation(this);
    m_fade->setDuration(kFadeMs);
    m_fade->setEasingCurve(QEasingCurve::OutQuad);
    connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        if (auto *effect = qobject_cast<QGraphicsOpacityEffect *>(graphicsEffect()))
            effect->setOpacity(value.toDouble());
    });
    connect(m_fade, &QVariantAnimation::finished, this, [this] {
        // The effect is only needed while fading; without it the card's
        // shadow is drawn directly.
        setGraphicsEffect(nullptr);
        if (!m_presented)
            hide();
    });

    m_stepFade = new QVariantAnimation(this);
    m_stepFade->setDuration(kFadeMs);
    m_stepFade->setEasingCurve(QEasingCurve::InOutQuad);
    m_stepFade->setStartValue(0.0);
    m_stepFade->setEndValue(1.0);
    connect(m_stepFade, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        if (auto *effect = qobject_cast<QGraphicsOpacityEffect *>(m_stepContent->graphicsEffect()))
            effect->setOpacity(value.toDouble());
    });
    connect(m_stepFade, &QVariantAnimation::finished, this, [this] { m_stepContent->setGraphicsEffect(nullptr); });

    m_host->installEventFilter(this);
    setGeometry(m_host->rect());
    connect(&m_tourManager, &TourManager::activeTourChanged, this, &OnboardingOverlay::onActiveTourChanged);
    onActiveTourChanged();
}

OnboardingOverlay::~OnboardingOverlay()
{
    m_host->removeEventFilter(this);
}

int OnboardingOverlay::stepCount() const
{
    const std::optional<Tour> &tour = m_tourManager.activeTour();
    return tour ? static_cast<int>(tour->steps.size()) : 0;
}

std::optional<TourStep> OnboardingOverlay::currentTourStep() const
{
    const std::optional<Tour> &tour = m_tourManager.activeTour();
    if (!tour || m_currentStep < 0 || m_currentStep >= tour->steps.size())
        return std::nullopt;
    return tour->steps.at(m_currentStep);
}

void OnboardingOverlay::nextStep()
{
    setCurrentStep(m_currentStep + 1);
}

void OnboardingOverlay::previousStep()
{
    setCurrentStep(m_currentStep - 1);
}

void OnboardingOverlay::setCurrentStep(int step)
{
    if (step == m_currentStep)
        return;
    m_currentStep = step;
    refresh(true);
}

void OnboardingOverlay::finishTour()
{
    m_currentStep = 0;
    if (const std::optional<Tour> &tour = m_tourManager.activeTour())
        m_tourManager.markCompleted(tour->id);
    m_tourManager.setActiveTour(std::nullopt);
}

void OnboardingOverlay::onActiveTourChanged()
{
    if (!m_tourManager.activeTour()) {
        dismiss();
        return;
    }
    // Setting a tour again while one is shown keeps the card the user is on.
    if (!m_presented)
        m_currentStep = 0;
    refresh(false);
    if (!m_presented)
        present();
}

void OnboardingOverlay::present()
{
    m_presented = true;
    setAttribute(Qt::WA_TransparentForMouseEvents, !currentTourStep());
    // The window's focus widget, also while the window is not the active one
    // (a screen reader, or another window, may hold the keyboard meanwhile).
    QWidget *focus = window()->focusWidget();
    if (focus && focus != this && !isAncestorOf(focus))
        m_focusBefore = focus;
    setGeometry(m_host->rect());
    auto *effect = new QGraphicsOpacityEffect(this);
    effect->setOpacity(0.0);
    setGraphicsEffect(effect);
    show();
    raise();
    setFocus(Qt::OtherFocusReason);
    m_fade->stop();
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    m_fade->start();
}

void OnboardingOverlay::dismiss()
{
    if (!m_presented)
        return;
    m_presented = false;
    // Gone for the pointer and the keys at once; the picture fades out.
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
    // The focus is handed back also when the window is not active (the tour
    // ended through a screen reader's action): the window gives the keys to
    // its focus widget when it is active again, and a hidden tour must not be
    // that widget.
    QWidget *held = window()->focusWidget();
    if (held == this || isAncestorOf(held)) {
        if (m_focusBefore && m_focusBefore->isVisible())
            m_focusBefore->setFocus(Qt::OtherFocusReason);
        else
            clearFocus();
    }
    m_focusBefore = nullptr;
    auto *effect = new QGraphicsOpacityEffect(this);
    effect->setOpacity(1.0);
    setGraphicsEffect(effect);
    m_fade->stop();
    m_fade->setStartValue(1.0);
    m_fade->setEndValue(0.0);
    m_fade->start();
}

void OnboardingOverlay::refresh(bool animateStep)
{
    const std::optional<TourStep> step = currentTourStep();
    // Outside the tour's steps the overlay shows nothing at all.
    m_card->setVisible(step.has_value());
    if (m_presented)
        setAttribute(Qt::WA_TransparentForMouseEvents, !step);
    if (!step) {
        update();
        return;
    }
    const int count = stepCount();
    const bool first = m_currentStep == 0;
    const bool last = m_currentStep == count - 1;

    if (m_iconName != step->icon) {
        m_iconName = step->icon;
        m_symbol->setDrawer(SymbolCatalog::drawer(SymbolCatalog::variant(m_iconName, u"settings")));
    }
    m_title->setText(step->title);
    m_body->setText(QStringLiteral("<div style=\"line-height: 125%;\">%1</div>").arg(step->body.toHtmlEscaped()));
    m_body->setAccessibleName(step->body);

    const QColor secondary = WidgetStyle::secondary(palette());
    const qreal dpr = devicePixelRatioF();
    m_leading->setText(first ? QStringLiteral("Skip") : QStringLiteral("Back"));
    m_leading->setIcon(first ? QIcon() : chevron(QStringLiteral("chevron.left"), secondary, dpr));
    m_leading->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; color: %1;"
                                            " font-size: 12px; font-weight: 500; padding: 4px 2px; }")
                                 .arg(secondary.name(QColor::HexArgb)));
    QString trailingText = QStringLiteral("Next");
    if (last)
        trailingText = QStringLiteral("Done");
    else if (first)
        trailingText = QStringLiteral("Let's Go");
    m_trailing->setText(trailingText);
    m_trailing->setIcon(last || first ? QIcon() : chevron(QStringLiteral("chevron.right"), Qt::white, dpr));
    m_trailing->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: white; border: none;"
                                             " border-radius: 5px; font-size: 12px; font-weight: 600;"
                                             " padding: 4px 10px; }"
                                             "QPushButton:pressed { background-color: %2; }")
                                  .arg(m_brandColor.name(), m_brandColor.darker(120).name()));
    m_indicator->setSteps(count, m_currentStep, animateStep);

    if (animateStep && isVisible()) {
        auto *effect = new QGraphicsOpacityEffect(m_stepContent);
        effect->setOpacity(0.0);
        m_stepContent->setGraphicsEffect(effect);
        m_stepFade->stop();
        m_stepFade->start();
    }
    update();
}

bool OnboardingOverlay::handlesKey(int key) const
{
    return key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Right || key == Qt::Key_Left;
}

bool OnboardingOverlay::event(QEvent *event)
{
    // The tour's keys win over any shortcut of the window below.
    if (event->type() == QEvent::ShortcutOverride && currentTourStep()) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (handlesKey(key->key())) {
                event->accept();
                return true;
            }
        }
    }
    if (event->type() == QEvent::PaletteChange && m_presented)
        refresh(false);
    return QWidget::event(event);
}

void OnboardingOverlay::keyPressEvent(QKeyEvent *event)
{
    if (!currentTourStep() || !m_presented || !handlesKey(event->key())) {
        QWidget::keyPressEvent(event);
        return;
    }
    const bool last = m_currentStep >= stepCount() - 1;
    switch (event->key()) {
    case Qt::Key_Escape:
        finishTour();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (last)
            finishTour();
        else
            nextStep();
        break;
    case Qt::Key_Right:
        if (!last)
            nextStep();
        break;
    case Qt::Key_Left:
        if (m_currentStep > 0)
            previousStep();
        break;
    default:
        break;
    }
    event->accept();
}

void OnboardingOverlay::paintEvent(QPaintEvent *)
{
    if (!currentTourStep() && m_presented)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 153));
    if (!m_card->isVisible())
        return;
    // A soft shadow 12 pixels below the card, fading out over 40 pixels:
    // rings of growing size and falling strength add up to the blur.
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    const QRectF card = QRectF(m_card->geometry()).translated(0, 12);
    constexpr int kRings = 20;
    constexpr double kReach = 40.0;
    for (int i = kRings; i >= 1; --i) {
        const double grow = kReach * i / kRings / 2.0;
        const double weight = 1.0 - static_cast<double>(i) / (kRings + 1);
        painter.setBrush(QColor(0, 0, 0, static_cast<int>(0.4 * 255 * weight * weight / kRings * 3)));
        painter.drawRoundedRect(card.adjusted(-grow, -grow, grow, grow), 14 + grow, 14 + grow);
    }
}

// The backdrop takes the pointer and does nothing with it: a click beside the
// card must not reach the clips below, nor close the tour.
void OnboardingOverlay::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void OnboardingOverlay::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void OnboardingOverlay::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
}

void OnboardingOverlay::wheelEvent(QWheelEvent *event)
{
    event->accept();
}

bool OnboardingOverlay::focusNextPrevChild(bool next)
{
    // Tab must not carry the focus to the window below the tour.
    if (m_presented)
        return true;
    return QWidget::focusNextPrevChild(next);
}

bool OnboardingOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_host) {
        if (event->type() == QEvent::Resize)
            setGeometry(m_host->rect());
        // A child the window adds later must not cover the tour.
        if (event->type() == QEvent::ChildAdded && isVisible())
            raise();
    }
    return QWidget::eventFilter(watched, event);
}
