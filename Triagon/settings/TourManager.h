#pragma once

#include "settings/Tour.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class AppSettings;

// Knows which guided tour is being shown and which tours the user has finished.
// The main window shows the tour overlay while a tour is active; finishing or
// skipping a tour in the overlay records it under "completedTourIDs" in the
// application's settings, so the automatic start skips it on later launches.
// The active tour itself is never stored. Main thread only.
class TourManager : public QObject
{
    Q_OBJECT

public:
    // The one manager of the application, created on first use with no active
    // tour; it lives as long as the process, and so over settings of its own
    // on the application's settings file.
    static TourManager &shared();

    // A manager that keeps the finished tours in `settings`, which must
    // outlive it.
    explicit TourManager(AppSettings &settings, QObject *parent = nullptr);
    ~TourManager() override;

    // The settings key of the finished tours' identifiers.
    static QString completedKey();
    // The identifier of the onboarding tour.
    static QString onboardingTourID();

    // The fixed list of tours, in priority order: only the onboarding tour.
    static const QList<Tour> &tours();
    // The onboarding tour with its nine cards (what "Take a Tour" shows).
    static const Tour &onboardingTour();

    // The tour being shown, or none.
    const std::optional<Tour> &activeTour() const { return m_activeTour; }
    // Shows `tour` at once (none hides it). Setting it again to the same tour
    // notifies again; the list of finished tours is not read or changed.
    void setActiveTour(const std::optional<Tour> &tour);
    // Makes the onboarding tour active, finished before or not (Help menu and
    // toolbar "Take a Tour").
    void showOnboardingTour();

    // Makes the first tour that is not finished the active tour; when every
    // tour is finished the active tour is left as it is.
    void startFirstPendingTour();
    // Records a tour as finished: its identifier is stored at most once, and
    // identifiers of other (also unknown, older) tours are kept.
    void markCompleted(const QString &tourID);

    // The finished tours' identifiers as stored; a value that is not a list of
    // strings counts as none.
    QStringList completedTourIDs() const;

Q_SIGNALS:
    void activeTourChanged();

private:
    AppSettings &m_settings;
    std::optional<Tour> m_activeTour;
};
