#include "settings/TourManager.h"

#include "app/AppSettings.h"

TourManager &TourManager::shared()
{
    // Never destroyed: it must outlive every window that observes it, and
    // with it the settings it keeps the finished tours in. Settings objects
    // over one file see each other's writes at once.
    static AppSettings *settings = new AppSettings();
    static TourManager *manager = new TourManager(*settings);
    return *manager;
}

TourManager::TourManager(AppSettings &settings, QObject *parent) : QObject(parent), m_settings(settings)
{
}

TourManager::~TourManager() = default;

QString TourManager::completedKey()
{
    return QStringLiteral("completedTourIDs");
}

QString TourManager::onboardingTourID()
{
    return QStringLiteral("onboarding-v1");
}

const Tour &TourManager::onboardingTour()
{
    static const Tour tour{onboardingTourID(),
                           {
                               {0, QStringLiteral("hand.wave"), QStringLiteral("Welcome to Triagon"),
                                QStringLiteral("It's nice to see you here. Let me show you around real quick!")},
                               {1, QStringLiteral("film.stack"), QStringLiteral("Add Your Clips"),
                                QStringLiteral("Bring your clips into Triagon to get started. Every clip will instantly appear for "
                                               "quick discovery.")},
                               {2, QStringLiteral("hand.draw"), QStringLiteral("Scrub to Preview"),
                                QStringLiteral("Hover over any clip and move your cursor left/right to scrub through the footage at "
                                               "the pace you need.")},
                               {3, QStringLiteral("star"), QStringLiteral("Rate with Stars"),
                                QStringLiteral("Rate your clips as you go. You can use the 1-5 keys on your keyboard when a card is "
                                               "selected. Right-click a card for all available actions")},
                               {4, QStringLiteral("tag"), QStringLiteral("Tag Your Clips"),
                                QStringLiteral("Click the tag icon or press T. Tags help you organize clips by category. You can edit "
                                               "default tags in the menu bar.")},
                               {5, QStringLiteral("arrow.up.left.and.arrow.down.right"), QStringLiteral("Expand to Review"),
                                QStringLiteral("Press Enter or click the expand button to open the full player. Use J/K/L to shuttle, "
                                               "just like in your favorite video editing app!")},
                               {6, QStringLiteral("sidebar.left"), QStringLiteral("Filter & Sort"),
                                QStringLiteral("Use the sidebar to filter by rating or tag, group clips, and toggle visibility of "
                                               "untouched footage.")},
                               {7, QStringLiteral("checkmark.circle"), QStringLiteral("Organize Your Clips"),
                                QStringLiteral("When you're done, click \"Organize Clips\". Triagon will organize clips into folders "
                                               "and make them compatible with Final Cut Pro, DaVinci Resolve, and Adobe Premiere.")},
                               {8, QStringLiteral("sparkles"), QStringLiteral("You're All Set!"),
                                QStringLiteral("Use arrow keys to navigate, right-click for options, and Ctrl+? to revisit this tour "
                                               "anytime. Happy scavenging!")},
                           }};
    return tour;
}

const QList<Tour> &TourManager::tours()
{
    static const QList<Tour> list{onboardingTour()};
    return list;
}

void TourManager::setActiveTour(const std::optional<Tour> &tour)
{
    m_activeTour = tour;
    Q_EMIT activeTourChanged();
}

void TourManager::showOnboardingTour()
{
    setActiveTour(onboardingTour());
}

QStringList TourManager::completedTourIDs() const
{
    return m_settings.storedTextList(completedKey());
}

void TourManager::startFirstPendingTour()
{
    for (const Tour &tour : tours()) {
        // Read afresh for every tour examined.
        if (!completedTourIDs().contains(tour.id)) {
            setActiveTour(tour);
            return;
        }
    }
}

void TourManager::markCompleted(const QString &tourID)
{
    QStringList ids;
    for (const QString &id : completedTourIDs()) {
        if (!ids.contains(id))
            ids.append(id);
    }
    if (!ids.contains(tourID))
        ids.append(tourID);
    m_settings.storeTextList(completedKey(), ids);
}
