#include "support/SettingsFileFixture.h"
#include "app/AppSettings.h"
#include "app/SymbolCatalog.h"
#include "settings/TourManager.h"
#include "settings/ui/OnboardingOverlay.h"
#include "settings/ui/TourStepIndicator.h"
#include "support/Children.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Records the pointer events that reach the window below the tour.
class Host : public QWidget
{
public:
    int presses = 0;
    int keys = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
    void keyPressEvent(QKeyEvent *) override { ++keys; }
};

class OnboardingOverlayTest : public SettingsFileFixture
{
protected:
    void SetUp() override
    {
        path = freshFile();
        settings = std::make_unique<AppSettings>(path);
        tours = std::make_unique<TourManager>(*settings);
        host.resize(1000, 700);
        below = new QPushButton(QStringLiteral("Below"), &host);
        below->setGeometry(10, 10, 100, 30);
        overlay = new OnboardingOverlay(*tours, QColor(249, 115, 22), &host);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    }
    void start()
    {
        tours->showOnboardingTour();
        ASSERT_TRUE(overlay->isPresented());
    }
    void key(Qt::Key k) { QTest::keyClick(overlay, k); }
    QStringList completedInNextRun()
    {
        AppSettings next(reopened(path));
        return TourManager(next).completedTourIDs();
    }

    QString path;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<TourManager> tours;
    Host host;
    QPushButton *below = nullptr;
    OnboardingOverlay *overlay = nullptr;
};

TEST_F(OnboardingOverlayTest, hiddenWithoutATourAndCoveringTheWindowWithOne)
{
    EXPECT_FALSE(overlay->isVisible());
    EXPECT_FALSE(overlay->isPresented());
    start();
    EXPECT_TRUE(overlay->isVisible());
    EXPECT_EQ(overlay->geometry(), host.rect());
    EXPECT_TRUE(overlay->hasFocus());
    EXPECT_EQ(overlay->card()->width(), OnboardingOverlay::cardWidth);
    // Over every child of the window, also one added later.
    auto *later = new QWidget(&host);
    later->show();
    EXPECT_EQ(host.childAt(500, 20), overlay);
    host.resize(1200, 800);
    EXPECT_EQ(overlay->geometry(), host.rect());
}

TEST_F(OnboardingOverlayTest, theBackdropDimsTheWholeWindow)
{
    host.setStyleSheet(QStringLiteral("background: white;"));
    host.setAutoFillBackground(true);
    start();
    // Once faded in, a corner far from the card is white under black at 60 %.
    QTRY_VERIFY(!overlay->graphicsEffect());
    const QImage shot = host.grab().toImage();
    const QColor corner = shot.pixelColor(QPoint(shot.width() - 5, shot.height() - 5));
    EXPECT_NEAR(corner.red(), 102, 3);
    EXPECT_NEAR(corner.green(), 102, 3);
    EXPECT_NEAR(corner.blue(), 102, 3);
}

TEST_F(OnboardingOverlayTest, buttonsTextsAndCapsulesAcrossTheNineCards)
{
    start();
    const Tour &tour = TourManager::onboardingTour();
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(overlay->currentStep(), i);
        EXPECT_EQ(overlay->titleLabel()->text(), tour.steps[i].title);
        EXPECT_EQ(child<QLabel>(overlay, "tourBody")->accessibleName(), tour.steps[i].body);
        EXPECT_EQ(overlay->iconName(), tour.steps[i].icon);
        const QString leading = i == 0 ? QStringLiteral("Skip") : QStringLiteral("Back");
        const QString trailing = i == 8 ? QStringLiteral("Done") : i == 0 ? QStringLiteral("Let's Go") : QStringLiteral("Next");
        EXPECT_EQ(child<QPushButton>(overlay, "tourLeadingButton")->text(), leading);
        EXPECT_EQ(child<QPushButton>(overlay, "tourTrailingButton")->text(), trailing);
        // Chevrons on Back and Next only.
        EXPECT_EQ(child<QPushButton>(overlay, "tourLeadingButton")->icon().isNull(), i == 0);
        EXPECT_EQ(child<QPushButton>(overlay, "tourTrailingButton")->icon().isNull(), i == 0 || i == 8);
        QList<int> widths(9, TourStepIndicator::otherWidth);
        widths[i] = TourStepIndicator::currentWidth;
        EXPECT_EQ(overlay->stepIndicator()->capsuleWidths(), widths);
        if (i < 8)
            QTest::mouseClick(child<QPushButton>(overlay, "tourTrailingButton"), Qt::LeftButton);
    }
    // Back from the last card.
    QTest::mouseClick(child<QPushButton>(overlay, "tourLeadingButton"), Qt::LeftButton);
    EXPECT_EQ(overlay->currentStep(), 7);
    EXPECT_TRUE(tours->activeTour());
}

TEST_F(OnboardingOverlayTest, keysMoveAndAreTakenEvenWhereTheyChangeNothing)
{
    start();
    key(Qt::Key_Left);
    EXPECT_EQ(overlay->currentStep(), 0);
    key(Qt::Key_Return);
    EXPECT_EQ(overlay->currentStep(), 1);
    key(Qt::Key_Right);
    EXPECT_EQ(overlay->currentStep(), 2);
    key(Qt::Key_Left);
    EXPECT_EQ(overlay->currentStep(), 1);
    overlay->setCurrentStep(8);
    key(Qt::Key_Right);
    EXPECT_EQ(overlay->currentStep(), 8);
    EXPECT_EQ(host.keys, 0);
    // Return on the last card finishes.
    key(Qt::Key_Return);
    EXPECT_FALSE(tours->activeTour());
    EXPECT_FALSE(overlay->isPresented());
    EXPECT_EQ(overlay->currentStep(), 0);
    EXPECT_EQ(completedInNextRun(), QStringList{QStringLiteral("onboarding-v1")});
    QTRY_VERIFY(!overlay->isVisible());
    // Gone: the keys reach the window again.
    host.setFocus();
    QTest::keyClick(&host, Qt::Key_Left);
    EXPECT_EQ(host.keys, 1);
}

TEST_F(OnboardingOverlayTest, escapeFinishesOnAnyCardAndSkipOnTheFirst)
{
    start();
    overlay->setCurrentStep(4);
    key(Qt::Key_Escape);
    EXPECT_FALSE(tours->activeTour());
    EXPECT_EQ(completedInNextRun(), QStringList{QStringLiteral("onboarding-v1")});

    // Started again from the menu: first card, and finishing again stores
    // the identifier once.
    start();
    EXPECT_EQ(overlay->currentStep(), 0);
    QTest::mouseClick(child<QPushButton>(overlay, "tourLeadingButton"), Qt::LeftButton);
    EXPECT_FALSE(tours->activeTour());
    EXPECT_EQ(completedInNextRun(), QStringList{QStringLiteral("onboarding-v1")});
    // The automatic start of the next run skips it.
    AppSettings nextSettings(reopened(path));
    TourManager next(nextSettings);
    next.startFirstPendingTour();
    EXPECT_FALSE(next.activeTour());
}

TEST_F(OnboardingOverlayTest, backdropTakesClicksWithoutClosing)
{
    QSignalSpy clicked(below, &QPushButton::clicked);
    start();
    // Through the window, as the pointer would: the button below is covered.
    EXPECT_EQ(host.childAt(below->geometry().center()), overlay);
    QTest::mouseClick(host.windowHandle(), Qt::LeftButton, {}, below->geometry().center());
    QTest::mouseClick(host.windowHandle(), Qt::LeftButton, {}, QPoint(5, 690));
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(host.presses, 0);
    EXPECT_TRUE(tours->activeTour());
    EXPECT_TRUE(overlay->isPresented());
    // A click on the card's surface does nothing either.
    QTest::mouseClick(overlay->card(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(overlay->currentStep(), 0);
    EXPECT_EQ(host.presses, 0);

    // Once the tour is finished the same click reaches the button again.
    overlay->finishTour();
    QTest::mouseClick(host.windowHandle(), Qt::LeftButton, {}, below->geometry().center());
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(OnboardingOverlayTest, settingTheTourAgainKeepsTheCardAndAnIndexOutsideShowsNothing)
{
    start();
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    tours->showOnboardingTour();
    EXPECT_EQ(overlay->currentStep(), 2);
    tours->startFirstPendingTour();
    EXPECT_EQ(overlay->currentStep(), 2);

    overlay->setCurrentStep(9);
    EXPECT_FALSE(overlay->currentTourStep());
    EXPECT_FALSE(overlay->card()->isVisible());
    // No keys handled there.
    key(Qt::Key_Escape);
    EXPECT_TRUE(tours->activeTour());
    overlay->setCurrentStep(-1);
    EXPECT_FALSE(overlay->currentTourStep());
    overlay->setCurrentStep(0);
    ASSERT_TRUE(overlay->currentTourStep());
    EXPECT_EQ(overlay->currentTourStep()->title, QStringLiteral("Welcome to Triagon"));
}

TEST_F(OnboardingOverlayTest, aOneCardTourShowsSkipAndDone)
{
    tours->setActiveTour(
        Tour{QStringLiteral("short"), {TourStep{0, QStringLiteral("star"), QStringLiteral("Only"), QStringLiteral("One card.")}}});
    EXPECT_EQ(child<QPushButton>(overlay, "tourLeadingButton")->text(), QStringLiteral("Skip"));
    EXPECT_EQ(child<QPushButton>(overlay, "tourTrailingButton")->text(), QStringLiteral("Done"));
    EXPECT_EQ(overlay->stepIndicator()->capsuleWidths(), QList<int>{TourStepIndicator::currentWidth});
    QTest::mouseClick(child<QPushButton>(overlay, "tourTrailingButton"), Qt::LeftButton);
    EXPECT_FALSE(tours->activeTour());
    EXPECT_EQ(completedInNextRun(), QStringList{QStringLiteral("short")});
}

} // namespace

// A typo in a step's icon name would leave the card's picture empty.
TEST(OnboardingOverlaySymbols, EveryStepsPictureIsInTheSymbolCatalogue)
{
    for (const TourStep &step : TourManager::onboardingTour().steps)
        EXPECT_TRUE(SymbolCatalog::contains(SymbolCatalog::variant(step.icon, u"settings"))) << step.icon.toStdString();
}
