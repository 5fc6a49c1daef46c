// Switching the appearance while the window is up: every text follows the
// new palette, read from the rendered pixels, in both directions.
#include "WindowTestSupport.h"

#include "app/AppearanceMode.h"
#include "grid/ClipGridView.h"
#include "grid/ClipThumbnailView.h"
#include "grid/SectionHeaderView.h"
#include "support/RenderedContrast.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QStyle>
#include <QStyleFactory>

#include <functional>
#include <tuple>

namespace {

// The application's Light and Dark: Fusion with a palette of its own.
void applyAppearance(const QPalette &palette)
{
    if (QApplication::style()->name().compare(QStringLiteral("Fusion"), Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(palette);
    QCoreApplication::processEvents();
}

// A session grouped by tag, with a selection and an offline clip, so that
// the headers, the status and selection bars and the sidebar's tag filters
// are all on screen.
void fillWindow(TestWindow &w)
{
    Clip offline = taggedClip(QStringLiteral("c.mov"), 0, {QStringLiteral("Crowd")});
    offline.isMissing = true;
    w.store.setClips({taggedClip(QStringLiteral("a.mov"), 4, {QStringLiteral("Dunk")}),
                      taggedClip(QStringLiteral("b.mov"), 0, {QStringLiteral("Crowd")}), offline});
    w.store.setGroupMode(GroupMode::category);
    w.store.setSelectedClipIDs({w.store.clips().first().id});
    QCoreApplication::processEvents();
}

// The cards paint their texts themselves: the name (primary), and the
// duration beside it and the technical line below it (secondary).
QList<RenderedContrast::Shortfall> checkCards(TestWindow &w)
{
    QList<RenderedContrast::Shortfall> out;
    if (!w.area().grid())
        return out;
    const QImage shot = RenderedContrast::renderWindow(w.view.get());
    for (ClipThumbnailView *card : w.area().grid()->liveCards()) {
        if (!card->isVisible())
            continue;
        const QPoint origin = card->mapTo(card->window(), QPoint(0, 0));
        const QRectF name = card->nameRect();
        const QRectF body = card->bodyRect();
        const QRect nameArea = name.toAlignedRect().translated(origin);
        const QRect durationArea =
            QRectF(QPointF(name.right() + 4, name.top()), QPointF(body.right() - 4, name.bottom())).toAlignedRect().translated(origin);
        const QRect techArea = QRectF(QPointF(name.left(), name.bottom() + 1), QPointF(body.right() - 4, card->starRowRect().top() - 1))
                                   .toAlignedRect()
                                   .translated(origin);
        const QString who = card->inputs().clip.filename;
        // The card itself is drawn in the appearance of the moment, not kept
        // as it was drawn before the switch.
        const RenderedContrast::Measure behindName = RenderedContrast::measure(shot, nameArea);
        const bool darkWindow = w.view->palette().color(QPalette::Window).lightnessF() < 0.5;
        if ((behindName.background.lightnessF() < 0.5) != darkWindow)
            out.append({QStringLiteral("card %1 drawn in the other appearance").arg(who), behindName, 0});
        for (const auto &[what, area, required] :
             {std::tuple{QStringLiteral("name"), nameArea, 4.5}, std::tuple{QStringLiteral("duration"), durationArea, 3.0},
              std::tuple{QStringLiteral("technical line"), techArea, 3.0}}) {
            const RenderedContrast::Measure m = RenderedContrast::measure(shot, area);
            if (m.ratio < required)
                out.append({QStringLiteral("card %1 %2").arg(who, what), m, required});
        }
    }
    return out;
}

// White on the theme colour, the same in every appearance.
const QStringList themeButtons{QStringLiteral("GradientButton")};

// The offline bar's drive symbol, which the window keeps as a picture.
QList<RenderedContrast::Shortfall> checkSymbols(TestWindow &w)
{
    QList<RenderedContrast::Shortfall> out;
    const QWidget *drive = w.view->findChild<QWidget *>(QStringLiteral("offlineIcon"));
    if (!drive || !drive->isVisible())
        return {{QStringLiteral("offline symbol not shown"), {}, 0}};
    const RenderedContrast::Measure m = RenderedContrast::ofWidget(drive);
    if (m.ratio < 3)
        out.append({QStringLiteral("offline symbol"), m, 3});
    return out;
}

QList<SectionHeaderView *> headersOf(TestWindow &w)
{
    return w.area().grid() ? w.area().grid()->liveHeaders() : QList<SectionHeaderView *>{};
}

} // namespace

TEST(AppearanceSwitch, SectionTitlesAndCountBadgesFollowTheAppearanceInBothDirections)
{
    const QPalette saved = QApplication::palette();
    applyAppearance(lightAppearancePalette());
    {
        TestWindow w;
        fillWindow(w);
        ASSERT_GE(headersOf(w).size(), 2);
        for (const QPalette &next : {darkAppearancePalette(), lightAppearancePalette(), darkAppearancePalette()}) {
            applyAppearance(next);
            const QImage shot = RenderedContrast::renderWindow(w.view.get());
            for (SectionHeaderView *header : headersOf(w)) {
                const RenderedContrast::Measure title = RenderedContrast::ofWidget(shot, header->titleLabel());
                EXPECT_GE(title.ratio, 4.5) << header->title().toStdString() << ": " << title.text.name().toStdString() << " on "
                                            << title.background.name().toStdString();
                const RenderedContrast::Measure badge = RenderedContrast::ofWidget(shot, header->countBadge());
                EXPECT_GE(badge.ratio, 3.0) << header->title().toStdString() << " badge: " << badge.text.name().toStdString() << " on "
                                            << badge.background.name().toStdString();
            }
        }
    }
    QApplication::setPalette(saved);
}

TEST(AppearanceSwitch, EveryTextOfTheWindowIsReadableAfterASwitchEitherWay)
{
    const QPalette saved = QApplication::palette();
    for (const auto &[first, second] :
         {std::pair{lightAppearancePalette(), darkAppearancePalette()}, std::pair{darkAppearancePalette(), lightAppearancePalette()}}) {
        applyAppearance(first);
        TestWindow w;
        fillWindow(w);
        const QList<RenderedContrast::Shortfall> before = RenderedContrast::checkTexts(w.view.get(), themeButtons) + checkCards(w)
                                                          + checkSymbols(w);
        EXPECT_TRUE(before.isEmpty()) << RenderedContrast::describe(before).toStdString();
        applyAppearance(second);
        const QList<RenderedContrast::Shortfall> shortfalls = RenderedContrast::checkTexts(w.view.get(), themeButtons) + checkCards(w)
                                                              + checkSymbols(w);
        EXPECT_TRUE(shortfalls.isEmpty()) << RenderedContrast::describe(shortfalls).toStdString();
    }
    QApplication::setPalette(saved);
}

// A sheet stays open over the main window while the appearance is switched
// in the settings window, which the sheet does not block.
TEST(AppearanceSwitch, EverySheetIsReadableAfterASwitchEitherWay)
{
    const QPalette saved = QApplication::palette();
    const QList<QPair<const char *, std::function<void(TestWindow &)>>> sheets{
        {"Organize Clips", [](TestWindow &w) { w.view->setShowCommit(true); }},
        {"Locate Files", [](TestWindow &w) { w.view->setShowMissingMedia(true); }},
        {"Session Tags", [](TestWindow &w) { w.view->setShowSessionTags(true); }},
        {"Audio Triage", [](TestWindow &w) { w.view->setShowAudioTriage(true); }},
        {"Detect Hand Markers", [](TestWindow &w) { w.view->setShowMarkerDetect(true); }},
        {"Keyboard Shortcuts", [](TestWindow &w) { w.view->setShowKeyboardShortcuts(true); }},
    };
    for (const auto &[first, second] :
         {std::pair{lightAppearancePalette(), darkAppearancePalette()}, std::pair{darkAppearancePalette(), lightAppearancePalette()}}) {
        for (const auto &[name, open] : sheets) {
            SCOPED_TRACE(name);
            applyAppearance(first);
            TestWindow w;
            fillWindow(w);
            open(w);
            QDialog *sheet = nullptr;
            for (QDialog *dialog : w.view->findChildren<QDialog *>(QString(), Qt::FindDirectChildrenOnly)) {
                if (dialog->isVisible())
                    sheet = dialog;
            }
            ASSERT_NE(sheet, nullptr);
            ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
            applyAppearance(second);
            // Counts and notes in the theme colour, and buttons white on it,
            // are the same in every appearance.
            const QList<RenderedContrast::Shortfall> shortfalls = RenderedContrast::checkTexts(sheet, themeButtons,
                                                                                               {w.settings.accentColor()});
            EXPECT_TRUE(shortfalls.isEmpty()) << RenderedContrast::describe(shortfalls).toStdString();
        }
    }
    QApplication::setPalette(saved);
}
