#include "support/SettingsFileFixture.h"
#include "app/AppSettings.h"
#include "settings/TourManager.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class TourManagerTest : public SettingsFileFixture
{
};

TEST(Tours, onboardingTourHasItsNineCards)
{
    ASSERT_EQ(TourManager::tours().size(), 1);
    const Tour &tour = TourManager::tours().first();
    EXPECT_EQ(tour, TourManager::onboardingTour());
    EXPECT_EQ(tour.id, QStringLiteral("onboarding-v1"));
    ASSERT_EQ(tour.steps.size(), 9);
    for (int i = 0; i < tour.steps.size(); ++i)
        EXPECT_EQ(tour.steps[i].id, i);

    const QStringList icons{QStringLiteral("hand.wave"),    QStringLiteral("film.stack"),
                            QStringLiteral("hand.draw"),    QStringLiteral("star"),
                            QStringLiteral("tag"),          QStringLiteral("arrow.up.left.and.arrow.down.right"),
                            QStringLiteral("sidebar.left"), QStringLiteral("checkmark.circle"),
                            QStringLiteral("sparkles")};
    const QStringList titles{
        QStringLiteral("Welcome to Triagon"), QStringLiteral("Add Your Clips"),      QStringLiteral("Scrub to Preview"),
        QStringLiteral("Rate with Stars"),    QStringLiteral("Tag Your Clips"),      QStringLiteral("Expand to Review"),
        QStringLiteral("Filter & Sort"),      QStringLiteral("Organize Your Clips"), QStringLiteral("You're All Set!")};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(tour.steps[i].icon, icons[i]);
        EXPECT_EQ(tour.steps[i].title, titles[i]);
    }
    EXPECT_EQ(tour.steps[0].body, QStringLiteral("It's nice to see you here. Let me show you around real quick!"));
    EXPECT_EQ(tour.steps[3].body, QStringLiteral("Rate your clips as you go. You can use the 1-5 keys on your keyboard when a card is "
                                                 "selected. Right-click a card for all available actions"));
    EXPECT_EQ(tour.steps[7].body, QStringLiteral("When you're done, click \"Organize Clips\". Triagon will organize clips into folders and "
                                                 "make them compatible with Final Cut Pro, DaVinci Resolve, and Adobe Premiere."));
    EXPECT_EQ(tour.steps[8].body, QStringLiteral("Use arrow keys to navigate, right-click for options, and Ctrl+? to revisit this tour "
                                                 "anytime. Happy scavenging!"));
    // Straight apostrophes and quotes only.
    for (const TourStep &step : tour.steps) {
        EXPECT_FALSE(step.body.contains(QChar(0x2019)) || step.title.contains(QChar(0x2019)));
        EXPECT_FALSE(step.body.contains(QChar(0x201C)));
    }
}

TEST_F(TourManagerTest, firstLaunchStartsTheOnboardingTour)
{
    AppSettings managerSettings(freshFile());
    TourManager manager(managerSettings);
    QSignalSpy changed(&manager, &TourManager::activeTourChanged);
    EXPECT_FALSE(manager.activeTour());
    manager.startFirstPendingTour();
    ASSERT_TRUE(manager.activeTour());
    EXPECT_EQ(manager.activeTour()->id, QStringLiteral("onboarding-v1"));
    EXPECT_EQ(changed.count(), 1);

    // Starting again while it is shown sets the same tour again.
    manager.startFirstPendingTour();
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(manager.activeTour()->id, QStringLiteral("onboarding-v1"));
}

// The finished list written by an earlier run holds one identifier; an INI file
// hands such a list back as a plain string.
TEST_F(TourManagerTest, finishedTourOfAnEarlierRunIsNotStartedAgain)
{
    const QString path = freshFile();
    {
        AppSettings managerSettings(path);
        TourManager manager(managerSettings);
        manager.markCompleted(QStringLiteral("onboarding-v1"));
    }
    QSettings raw(reopened(path), QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("completedTourIDs")).typeId(), QMetaType::QString);

    AppSettings laterSettings(reopened(path));
    TourManager later(laterSettings);
    EXPECT_EQ(later.completedTourIDs(), QStringList{QStringLiteral("onboarding-v1")});
    later.startFirstPendingTour();
    EXPECT_FALSE(later.activeTour());

    // The Help menu shows it anyway, and leaves the list alone.
    later.showOnboardingTour();
    ASSERT_TRUE(later.activeTour());
    EXPECT_EQ(*later.activeTour(), TourManager::onboardingTour());
    EXPECT_EQ(later.completedTourIDs(), QStringList{QStringLiteral("onboarding-v1")});
}

TEST_F(TourManagerTest, otherToursIdentifiersAreKeptAndNothingIsStoredTwice)
{
    const QString path = freshFile("[General]\ncompletedTourIDs=intro-v0\n");
    AppSettings managerSettings(path);
    TourManager manager(managerSettings);
    manager.startFirstPendingTour();
    ASSERT_TRUE(manager.activeTour());
    manager.markCompleted(QStringLiteral("onboarding-v1"));
    manager.markCompleted(QStringLiteral("onboarding-v1"));

    AppSettings laterSettings(reopened(path));
    TourManager later(laterSettings);
    EXPECT_EQ(later.completedTourIDs(), (QStringList{QStringLiteral("intro-v0"), QStringLiteral("onboarding-v1")}));
    later.startFirstPendingTour();
    EXPECT_FALSE(later.activeTour());
}

TEST_F(TourManagerTest, aValueOfAnotherTypeCountsAsNoFinishedTours)
{
    const QString path = freshFile();
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue(TourManager::completedKey(), 42);
    }
    // Within this run the cached value keeps its type: an integer, not a list.
    AppSettings managerSettings(path);
    TourManager manager(managerSettings);
    EXPECT_TRUE(manager.completedTourIDs().isEmpty());
    manager.startFirstPendingTour();
    EXPECT_TRUE(manager.activeTour());
    manager.markCompleted(QStringLiteral("onboarding-v1"));
    EXPECT_EQ(manager.completedTourIDs(), QStringList{QStringLiteral("onboarding-v1")});

    // An empty stored text is no identifier.
    AppSettings emptySettings(freshFile("[General]\ncompletedTourIDs=\n"));
    TourManager empty(emptySettings);
    EXPECT_TRUE(empty.completedTourIDs().isEmpty());
}

TEST(TourManagerShared, usesTheApplicationsSettings)
{
    TourManager &shared = TourManager::shared();
    EXPECT_EQ(&shared, &TourManager::shared());
    EXPECT_FALSE(shared.activeTour());
    shared.markCompleted(QStringLiteral("onboarding-v1"));
    EXPECT_TRUE(QSettings().value(TourManager::completedKey()).toStringList().contains(QStringLiteral("onboarding-v1")));
}

} // namespace
