// The settings window and the tour stay readable when the appearance is
// switched while they are shown (the settings window is where the switch is
// made), read from the rendered pixels, in both directions.
#include "app/AppSettings.h"
#include "app/AppearanceMode.h"
#include "settings/TourManager.h"
#include "settings/ui/OnboardingOverlay.h"
#include "settings/ui/SettingsView.h"
#include "support/RenderedContrast.h"
#include "support/SettingsFileFixture.h"

#include <QApplication>
#include <QGraphicsEffect>
#include <QLabel>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <gtest/gtest.h>

#include <utility>

namespace {

void applyAppearance(const QPalette &palette)
{
    if (QApplication::style()->name().compare(QStringLiteral("Fusion"), Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(palette);
    QCoreApplication::processEvents();
}

const std::pair<QPalette, QPalette> directions[] = {{lightAppearancePalette(), darkAppearancePalette()},
                                                    {darkAppearancePalette(), lightAppearancePalette()}};

// The card's content fades between steps; measured once it stands still.
bool fading(OnboardingOverlay *overlay)
{
    for (QWidget *part : overlay->card()->findChildren<QWidget *>()) {
        if (part->graphicsEffect())
            return true;
    }
    return overlay->graphicsEffect() != nullptr;
}

class AppearanceSwitchTest : public SettingsFileFixture
{
protected:
    void TearDown() override { QApplication::setPalette(m_saved); }

private:
    QPalette m_saved = QApplication::palette();
};

} // namespace

TEST_F(AppearanceSwitchTest, everyTabOfTheSettingsWindowIsReadableAfterASwitchEitherWay)
{
    for (const auto &[first, second] : directions) {
        applyAppearance(first);
        AppSettings settings(freshFile());
        SettingsView window(settings);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        applyAppearance(second);
        for (const QString &tag : SettingsView::tabTags()) {
            window.setTab(tag);
            QCoreApplication::processEvents();
            // The scrub modifier chips preview the cards' hint: white on blue in
            // every appearance.
            const QList<RenderedContrast::Shortfall> shortfalls = RenderedContrast::checkTexts(&window, {QStringLiteral("modifierChip")});
            EXPECT_TRUE(shortfalls.isEmpty()) << tag.toStdString() << ":\n" << RenderedContrast::describe(shortfalls).toStdString();
        }
    }
}

TEST_F(AppearanceSwitchTest, theTourCardIsReadableAfterASwitchEitherWay)
{
    for (const auto &[first, second] : directions) {
        applyAppearance(first);
        AppSettings tourSettings(freshFile());
        TourManager tours(tourSettings);
        QWidget host;
        host.resize(1000, 700);
        auto *overlay = new OnboardingOverlay(tours, QColor(249, 115, 22), &host);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        tours.showOnboardingTour();
        QTRY_VERIFY(!overlay->graphicsEffect()); // faded in
        applyAppearance(second);
        // "Skip" on the first card, "Back" on the others.
        for (int step : {0, 1}) {
            overlay->setCurrentStep(step);
            QTRY_VERIFY(!fading(overlay));
            // "Let's Go" and "Next" are white on the brand colour in every appearance.
            const QList<RenderedContrast::Shortfall> shortfalls = RenderedContrast::checkTexts(&host,
                                                                                               {QStringLiteral("tourTrailingButton")});
            EXPECT_TRUE(shortfalls.isEmpty()) << "card " << step << ":\n" << RenderedContrast::describe(shortfalls).toStdString();
        }
    }
}
