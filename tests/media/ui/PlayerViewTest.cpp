#include "app/widgets/RenameTextField.h"

#include "app/AppearanceMode.h"
#include "app/widgets/Reveal.h"
#include "app/widgets/TagPickerView.h"
#include "media/MediaProbe.h"
#include "media/ShuttleController.h"
#include "media/VideoPlayer.h"
#include "media/ui/PlayerTimeline.h"
#include "media/ui/PlayerView.h"
#include "media/ui/ScrubPlayerView.h"
#include "support/RenderedContrast.h"
#include "support/TestMedia.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

constexpr int waitMs = 30000;
const QColor accent(249, 115, 22);

Clip fileClip(const QString &name)
{
    const QString path = TestMedia::path(name);
    const ProbeResult probe = MediaProbe::probeClip(path);
    Clip c;
    c.id = QUuid::createUuid();
    c.filename = QFileInfo(path).fileName();
    c.url = QUrl::fromLocalFile(path);
    c.duration = probe.duration;
    c.width = probe.width;
    c.height = probe.height;
    c.frameRate = probe.frameRate;
    c.codec = probe.codec;
    c.fileSize = QFileInfo(path).size();
    return c;
}

Clip plainClip(const QString &name, double duration = 10)
{
    Clip c;
    c.id = QUuid::createUuid();
    c.filename = name;
    c.url = QUrl::fromLocalFile(QStringLiteral("/nonexistent/") + name);
    c.duration = duration;
    c.width = 1920;
    c.height = 1080;
    c.codec = QStringLiteral("H.264");
    c.frameRate = 25;
    return c;
}

bool press(QWidget *widget, int key, const QString &text = QString(), Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &event);
    return event.isAccepted();
}

// A player view with recording actions; shown, so that it opens its file.
struct PlayerFixture
{
    QList<int> ratings;
    QStringList toggled;
    QStringList added;
    QStringList renamed;
    int closes = 0;
    int nexts = 0;
    int previouses = 0;
    std::unique_ptr<PlayerView> view;

    explicit PlayerFixture(const Clip &clip, bool withNeighbours = true, const QStringList &tags = {})
    {
        PlayerView::Actions actions;
        actions.onRate = [this](int n) { ratings << n; };
        actions.onToggleTag = [this](const QString &tag) { toggled << tag; };
        actions.onAddTag = [this](const QString &tag) { added << tag; };
        actions.onRename = [this](const QString &name) { renamed << name; };
        actions.onClose = [this] { ++closes; };
        if (withNeighbours) {
            actions.onNext = [this] { ++nexts; };
            actions.onPrevious = [this] { ++previouses; };
        }
        view = std::make_unique<PlayerView>(clip, tags, std::move(actions), accent);
        view->resize(900, view->heightForWidth(900));
        view->show();
        QCoreApplication::processEvents();
    }
    ~PlayerFixture()
    {
        view.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ShuttleController *shuttle() const { return view->shuttle(); }
    bool waitForFrame() const
    {
        return QTest::qWaitFor([this] { return view->player() && view->player()->isReadyForDisplay(); }, waitMs);
    }
};

} // namespace

TEST(PlayerView, OpensItsFilePausedWithTheHeaderFactsAndTheKeyboardFocus)
{
    ShuttleController::carriedSpeedIndex.reset();
    const Clip clip = fileClip(QStringLiteral("counter.mp4"));
    PlayerFixture f(clip);
    ASSERT_NE(f.view->player(), nullptr);
    ASSERT_TRUE(f.waitForFrame());
    EXPECT_EQ(f.view->player()->rate(), 0);
    EXPECT_EQ(f.shuttle()->player(), f.view->player().get());
    EXPECT_NEAR(f.shuttle()->duration(), clip.duration, 1e-9);
    EXPECT_EQ(f.view->videoView()->player(), f.view->player());
    EXPECT_FALSE(f.view->player()->isMuted()); // the full player plays with sound
    EXPECT_EQ(f.view->titleLabel()->text(), QStringLiteral("counter.mp4"));
    EXPECT_EQ(f.view->facts(), (QStringList{QStringLiteral("10.0s"), QStringLiteral("320×240"), QStringLiteral("H.264"),
                                            QStringLiteral("30fps"), clip.fileSizeText()}));
    EXPECT_EQ(f.view->currentTimeText(), QStringLiteral("0:00"));
    EXPECT_EQ(f.view->durationTimeText(), QStringLiteral("0:10"));
    EXPECT_EQ(f.view->shuttleStateText(), QStringLiteral("Paused"));
    EXPECT_EQ(f.view->playButton()->accessibleName(), QStringLiteral("Play"));
    EXPECT_EQ(f.view->timeline()->valueText(), QStringLiteral("0:00 of 0:10"));
    EXPECT_EQ(QApplication::focusWidget(), f.view.get());
    EXPECT_EQ(f.closes, 0);

    f.view->closeClip();
    EXPECT_EQ(f.view->player(), nullptr);
    EXPECT_EQ(f.shuttle()->player(), nullptr);
}

TEST(PlayerView, AMissingFileClosesThePlayerOnceAndBuildsNoPlayer)
{
    PlayerFixture f(plainClip(QStringLiteral("gone.mov")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.closes > 0; }, 5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(f.closes, 1);
    EXPECT_EQ(f.view->player(), nullptr);
    // Without a player the controls do nothing but stop the shuttle.
    f.view->dragTimeline(0.5);
    f.view->stepFrames(1);
    f.view->jump(5);
    EXPECT_DOUBLE_EQ(f.shuttle()->currentTime(), 0);
    EXPECT_TRUE(press(f.view.get(), Qt::Key_L, QStringLiteral("l"))); // handled, without effect
    EXPECT_FALSE(f.shuttle()->isPlaying());
}

TEST(PlayerView, FactsShowOnlyWhatIsKnownAndTimesReadAsMinutesAndSeconds)
{
    Clip c = plainClip(QStringLiteral("A001.mov"), 3725);
    c.width = 0;
    c.codec.clear();
    c.frameRate = 29.97;
    PlayerFixture f(c);
    EXPECT_EQ(f.view->facts(), (QStringList{QStringLiteral("62:05"), QStringLiteral("29.97fps")}));
    EXPECT_EQ(f.view->durationTimeText(), QStringLiteral("62:05"));
    c.frameRate = 0;
    c.duration = 59.9;
    f.view->setClip(c);
    EXPECT_EQ(f.view->facts(), QStringList{QStringLiteral("59.9s")});
    EXPECT_EQ(f.view->durationTimeText(), QStringLiteral("0:59"));
    // Times that are not numbers never reach a conversion.
    c.duration = std::numeric_limits<double>::quiet_NaN();
    f.view->setClip(c);
    EXPECT_EQ(f.view->durationTimeText(), QStringLiteral("0:00"));
    EXPECT_DOUBLE_EQ(f.view->timeline()->fraction(), 0);
    c.duration = std::numeric_limits<double>::infinity();
    f.view->setClip(c);
    EXPECT_DOUBLE_EQ(f.view->timeline()->fraction(), 0);
}

TEST(PlayerView, ShuttleKeysFrameStepsAndJumpsDriveThePlayerWithinTheClip)
{
    ShuttleController::carriedSpeedIndex.reset();
    PlayerFixture f(fileClip(QStringLiteral("counter.mp4")));
    ASSERT_TRUE(f.waitForFrame());
    VideoPlayer *player = f.view->player().get();

    EXPECT_TRUE(press(f.view.get(), Qt::Key_Space, QStringLiteral(" ")));
    EXPECT_TRUE(f.shuttle()->isPlaying());
    EXPECT_EQ(f.view->playButton()->accessibleName(), QStringLiteral("Pause"));
    EXPECT_TRUE(press(f.view.get(), Qt::Key_L, QStringLiteral("l")));
    EXPECT_EQ(player->rate(), 2);
    EXPECT_EQ(f.view->shuttleStateText(), QStringLiteral("▶ 2x"));
    EXPECT_TRUE(press(f.view.get(), Qt::Key_J, QStringLiteral("j")));
    EXPECT_EQ(f.view->shuttleStateText(), QStringLiteral("◀ 1x"));
    EXPECT_TRUE(press(f.view.get(), Qt::Key_K, QStringLiteral("k")));
    EXPECT_EQ(f.view->shuttleStateText(), QStringLiteral("Paused"));

    // "." while playing stops first, then steps.
    press(f.view.get(), Qt::Key_L, QStringLiteral("l"));
    EXPECT_TRUE(press(f.view.get(), Qt::Key_Period, QStringLiteral(".")));
    EXPECT_FALSE(f.shuttle()->isPlaying());
    EXPECT_EQ(player->rate(), 0);
    EXPECT_EQ(f.view->shuttleStateText(), QStringLiteral("Paused"));

    // Jumps: from 3 s back to 0, from 8 s forward to the end (10 s), not beyond.
    f.view->seekExactly(3);
    EXPECT_TRUE(press(f.view.get(), Qt::Key_BracketLeft, QStringLiteral("[")));
    EXPECT_DOUBLE_EQ(f.shuttle()->currentTime(), 0);
    f.view->seekExactly(8);
    EXPECT_TRUE(press(f.view.get(), Qt::Key_BracketRight, QStringLiteral("]")));
    EXPECT_DOUBLE_EQ(f.shuttle()->currentTime(), f.shuttle()->duration());
    // The last seek wins and lands on the frame asked for.
    f.view->seekExactly(4.5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player->isSeeking(); }, waitMs));
    EXPECT_NEAR(player->currentFrameTime(), 4.5, 1.0 / 30 + 1e-6);
    EXPECT_EQ(f.view->currentTimeText(), QStringLiteral("0:04"));
    // A jump while playing keeps playing from the new time.
    press(f.view.get(), Qt::Key_L, QStringLiteral("l"));
    press(f.view.get(), Qt::Key_BracketLeft, QStringLiteral("["));
    EXPECT_TRUE(f.shuttle()->isPlaying());
    EXPECT_EQ(player->rate(), 1);
}

TEST(PlayerView, TheTimelineAndTheTrackpadSeekWithinTheClip)
{
    PlayerFixture f(fileClip(QStringLiteral("counter.mp4")));
    ASSERT_TRUE(f.waitForFrame());
    PlayerTimeline *bar = f.view->timeline();
    const double duration = f.shuttle()->duration();
    press(f.view.get(), Qt::Key_L, QStringLiteral("l"));
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(0, bar->height() - 2));
    EXPECT_FALSE(f.shuttle()->isPlaying()); // a press stops the shuttle
    EXPECT_DOUBLE_EQ(f.shuttle()->currentTime(), 0);
    QTest::mouseMove(bar, QPoint(bar->width() + 50, bar->height() - 2));
    EXPECT_DOUBLE_EQ(f.shuttle()->currentTime(), duration);
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() + 50, bar->height() - 2));
    EXPECT_DOUBLE_EQ(bar->fraction(), 1);
    f.view->dragTimeline(0.25);
    EXPECT_NEAR(f.shuttle()->currentTime(), duration * 0.25, 1e-9);
    f.view->dragTimeline(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(f.shuttle()->currentTime(), 0);

    // Trackpad: 200 points a second, clamped at both ends.
    f.view->scrubTrackpad(400);
    EXPECT_NEAR(f.shuttle()->currentTime(), 2, 1e-9);
    f.view->scrubTrackpad(-100000);
    EXPECT_DOUBLE_EQ(f.shuttle()->currentTime(), 0);
    f.view->scrubTrackpad(100000);
    EXPECT_DOUBLE_EQ(f.shuttle()->currentTime(), duration);
    f.view->scrubTrackpad(std::numeric_limits<double>::infinity());
    EXPECT_DOUBLE_EQ(f.shuttle()->currentTime(), duration);
}

TEST(PlayerView, DigitsRateArrowsStepAndTheRightArrowCarriesAForwardSpeed)
{
    ShuttleController::carriedSpeedIndex.reset();
    PlayerFixture f(fileClip(QStringLiteral("counter.mp4")));
    ASSERT_TRUE(f.waitForFrame());
    EXPECT_TRUE(press(f.view.get(), Qt::Key_5, QStringLiteral("5")));
    EXPECT_TRUE(press(f.view.get(), Qt::Key_5, QStringLiteral("5"))); // a new press rates again (the store then clears)
    EXPECT_TRUE(press(f.view.get(), Qt::Key_1, QStringLiteral("1")));
    EXPECT_FALSE(press(f.view.get(), Qt::Key_0, QStringLiteral("0")));
    EXPECT_FALSE(press(f.view.get(), Qt::Key_6, QStringLiteral("6")));
    EXPECT_FALSE(press(f.view.get(), Qt::Key_2, QStringLiteral("2"), Qt::ControlModifier));
    EXPECT_EQ(f.ratings, (QList<int>{5, 5, 1}));

    EXPECT_TRUE(press(f.view.get(), Qt::Key_Left));
    EXPECT_EQ(f.previouses, 1);
    EXPECT_FALSE(ShuttleController::carriedSpeedIndex.has_value());
    // J, then Right: nothing is carried.
    press(f.view.get(), Qt::Key_J, QStringLiteral("j"));
    EXPECT_TRUE(press(f.view.get(), Qt::Key_Right));
    EXPECT_EQ(f.nexts, 1);
    EXPECT_FALSE(ShuttleController::carriedSpeedIndex.has_value());
    // L, L (2x), then Right: the next clip is to start at 2x.
    press(f.view.get(), Qt::Key_L, QStringLiteral("l"));
    press(f.view.get(), Qt::Key_L, QStringLiteral("l"));
    EXPECT_TRUE(press(f.view.get(), Qt::Key_Right));
    ASSERT_TRUE(ShuttleController::carriedSpeedIndex.has_value());
    EXPECT_EQ(*ShuttleController::carriedSpeedIndex, 1);
    ShuttleController::carriedSpeedIndex.reset();

    EXPECT_TRUE(press(f.view.get(), Qt::Key_Escape));
    EXPECT_EQ(f.closes, 1);
}

TEST(PlayerView, AtTheEndsOfTheListTheArrowsAreLeftToTheGrid)
{
    PlayerFixture f(plainClip(QStringLiteral("a.mov")), false);
    EXPECT_FALSE(press(f.view.get(), Qt::Key_Left));
    EXPECT_FALSE(press(f.view.get(), Qt::Key_Right));
    EXPECT_FALSE(press(f.view.get(), Qt::Key_Up));
    EXPECT_FALSE(press(f.view.get(), Qt::Key_X, QStringLiteral("x")));
}

TEST(PlayerView, WhileTheTagPickerIsOpenOnlyEscapeAndTReachThePlayer)
{
    PlayerFixture f(fileClip(QStringLiteral("counter.mp4")), true, {QStringLiteral("Dunk"), QStringLiteral("Action")});
    ASSERT_TRUE(f.waitForFrame());
    EXPECT_TRUE(press(f.view.get(), Qt::Key_T, QStringLiteral("t")));
    ASSERT_TRUE(f.view->isTagPickerShown());
    ASSERT_NE(f.view->tagPicker(), nullptr);
    for (const auto &[key, text] : std::initializer_list<std::pair<int, QString>>{{Qt::Key_Space, QStringLiteral(" ")},
                                                                                  {Qt::Key_J, QStringLiteral("j")},
                                                                                  {Qt::Key_K, QStringLiteral("k")},
                                                                                  {Qt::Key_L, QStringLiteral("l")},
                                                                                  {Qt::Key_Comma, QStringLiteral(",")},
                                                                                  {Qt::Key_Period, QStringLiteral(".")},
                                                                                  {Qt::Key_BracketLeft, QStringLiteral("[")},
                                                                                  {Qt::Key_BracketRight, QStringLiteral("]")},
                                                                                  {Qt::Key_3, QStringLiteral("3")},
                                                                                  {Qt::Key_Left, QString()},
                                                                                  {Qt::Key_Right, QString()}}) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(press(f.view.get(), key, text));
    }
    EXPECT_TRUE(f.ratings.isEmpty());
    EXPECT_EQ(f.nexts + f.previouses, 0);
    EXPECT_FALSE(f.shuttle()->isPlaying());

    // The picker toggles on the clip only; Escape hides it and keeps the player.
    QTest::keyClick(f.view->tagPicker(), Qt::Key_Space);
    EXPECT_EQ(f.toggled, QStringList{QStringLiteral("Dunk")});
    EXPECT_TRUE(press(f.view.get(), Qt::Key_Escape));
    EXPECT_FALSE(f.view->isTagPickerShown());
    EXPECT_EQ(f.closes, 0);
    // "t" opens and closes it again.
    press(f.view.get(), Qt::Key_T, QStringLiteral("t"));
    ASSERT_TRUE(f.view->isTagPickerShown());
    press(f.view.get(), Qt::Key_T, QStringLiteral("t"));
    EXPECT_FALSE(f.view->isTagPickerShown());
    QCoreApplication::processEvents();
    EXPECT_TRUE(press(f.view.get(), Qt::Key_Space, QStringLiteral(" ")));
    EXPECT_TRUE(f.shuttle()->isPlaying());
}

TEST(PlayerView, RenamingEditsTheNameWithoutItsExtensionAndTakesTheKeys)
{
    Clip clip = fileClip(QStringLiteral("counter.mp4"));
    clip.filename = QStringLiteral("A001.mov");
    PlayerFixture f(clip);
    f.view->startRename();
    ASSERT_NE(f.view->renameField(), nullptr);
    EXPECT_EQ(f.view->renameText(), QStringLiteral("A001"));
    EXPECT_FALSE(f.view->titleLabel()->isVisible());
    for (const auto &[key, text] : std::initializer_list<std::pair<int, QString>>{{Qt::Key_Space, QStringLiteral(" ")},
                                                                                  {Qt::Key_T, QStringLiteral("t")},
                                                                                  {Qt::Key_3, QStringLiteral("3")},
                                                                                  {Qt::Key_Right, QString()},
                                                                                  {Qt::Key_L, QStringLiteral("l")}}) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(press(f.view.get(), key, text));
    }
    EXPECT_FALSE(f.view->isTagPickerShown());
    // Escape in the field cancels the rename, not the player.
    QTest::keyClick(f.view->renameField(), Qt::Key_Escape);
    EXPECT_FALSE(f.view->isRenaming());
    EXPECT_TRUE(f.renamed.isEmpty());
    EXPECT_EQ(f.closes, 0);

    f.view->startRename();
    f.view->renameField()->setText(QStringLiteral("  new name\t "));
    QTest::keyClick(f.view->renameField(), Qt::Key_Return);
    EXPECT_EQ(f.renamed, QStringList{QStringLiteral("new name")});
    EXPECT_FALSE(f.view->isRenaming());
    EXPECT_TRUE(f.view->titleLabel()->isVisibleTo(f.view.get()));
    // Only blanks: nothing is renamed and the field closes.
    f.view->startRename();
    f.view->renameField()->setText(QStringLiteral("   "));
    QTest::keyClick(f.view->renameField(), Qt::Key_Return);
    EXPECT_EQ(f.renamed.size(), 1);
    EXPECT_FALSE(f.view->isRenaming());

    // A name without extension starts with the whole name; double-clicking the title starts it.
    f.view->setClip(plainClip(QStringLiteral("README")));
    QTest::mouseDClick(f.view->titleLabel(), Qt::LeftButton);
    ASSERT_TRUE(f.view->isRenaming());
    EXPECT_EQ(f.view->renameText(), QStringLiteral("README"));
    f.view->cancelRename();
}

TEST(PlayerView, StarsPreviewTheHoveredRatingAndTagsShowAsSortedChips)
{
    Clip c = plainClip(QStringLiteral("a.mov"));
    c.rating = 4;
    c.tags = {QStringLiteral("b"), QStringLiteral("a")};
    PlayerFixture f(c);
    const QColor yellow(255, 204, 0);
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(f.view->starColor(n).rgb() == yellow.rgb(), n <= 4) << n;
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(f.view->starButton(2), &enter);
    EXPECT_EQ(f.view->hoveredStar(), 2);
    EXPECT_EQ(f.view->starColor(1), accent);
    EXPECT_EQ(f.view->starColor(2), accent);
    EXPECT_NE(f.view->starColor(3), accent);
    EXPECT_NE(f.view->starColor(3).rgb(), yellow.rgb());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(f.view->starButton(2), &leave);
    EXPECT_EQ(f.view->hoveredStar(), 0);
    QTest::mouseClick(f.view->starButton(2), Qt::LeftButton);
    EXPECT_EQ(f.ratings, QList<int>{2});

    EXPECT_EQ(f.view->starButton(1)->accessibleName(), QStringLiteral("Rate 1 star"));
    EXPECT_EQ(f.view->starButton(2)->accessibleName(), QStringLiteral("Rate 2 stars"));
    EXPECT_EQ(f.view->ratingRow()->accessibleName(), QStringLiteral("Rating"));
    EXPECT_EQ(f.view->ratingRow()->accessibleDescription(), QStringLiteral("4 of 5 stars"));

    EXPECT_EQ(f.view->tagChipTexts(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_TRUE(f.view->tagButton()->text().isEmpty());
    EXPECT_EQ(f.view->tagButton()->accessibleName(), QStringLiteral("Edit tags"));
    c.tags.clear();
    c.rating = 0;
    f.view->setClip(c);
    EXPECT_TRUE(f.view->tagChipTexts().isEmpty());
    EXPECT_EQ(f.view->tagButton()->text(), QStringLiteral("Tag"));
    EXPECT_EQ(f.view->tagButton()->accessibleName(), QStringLiteral("Add tag"));
    EXPECT_EQ(f.view->ratingRow()->accessibleDescription(), QStringLiteral("unrated"));
    QTest::mouseClick(f.view->tagButton(), Qt::LeftButton);
    EXPECT_TRUE(f.view->isTagPickerShown());
    f.view->setTagPickerShown(false);
}

TEST(PlayerView, ShowInFileManagerSaysWhereTheFileIsWhenNothingCanShowIt)
{
    const Clip clip = plainClip(QStringLiteral("take.mov"));
    PlayerFixture f(clip);
    QToolButton *reveal = nullptr;
    for (QToolButton *button : f.view->findChildren<QToolButton *>()) {
        if (button->accessibleName() == QStringLiteral("Show in File Manager"))
            reveal = button;
    }
    ASSERT_NE(reveal, nullptr);
    QList<QUrl> asked;
    setFileManagerRequest([&](const QUrl &item, const QUrl &, std::function<void(bool)> done) {
        asked.append(item);
        done(false);
    });
    reveal->click();
    EXPECT_EQ(asked, QList<QUrl>{clip.url});
    auto *box = f.view->findChild<QMessageBox *>(QStringLiteral("revealFailureAlert"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->informativeText(), QStringLiteral("/nonexistent"));
    box->close();
    setFileManagerRequest({});
}

TEST(PlayerView, ItsTextsFollowASwitchOfTheAppearanceEitherWay)
{
    const QPalette saved = QApplication::palette();
    for (const auto &[first, second] :
         {std::pair{lightAppearancePalette(), darkAppearancePalette()}, std::pair{darkAppearancePalette(), lightAppearancePalette()}}) {
        QApplication::setPalette(first);
        PlayerFixture f(plainClip(QStringLiteral("take.mov")), true, {QStringLiteral("Dunk")});
        QApplication::setPalette(second);
        QCoreApplication::processEvents();
        QList<RenderedContrast::Shortfall> shortfalls = RenderedContrast::checkTexts(f.view.get());
        // The key hint is painted text of its own.
        const QWidget *hint = f.view->findChild<QWidget *>(QStringLiteral("keyHint"));
        ASSERT_NE(hint, nullptr);
        const RenderedContrast::Measure m = RenderedContrast::ofWidget(hint);
        if (m.ratio < 3)
            shortfalls.append({QStringLiteral("key hint"), m, 3});
        EXPECT_TRUE(shortfalls.isEmpty()) << RenderedContrast::describe(shortfalls).toStdString();
    }
    QApplication::setPalette(saved);
}

// The hint's groups come most important first. A row too narrow for all of
// them drops groups from the end, whole, and never loses the start.
TEST(PlayerView, AKeyHintTooLongForItsRowDropsItsLastGroupsAndKeepsItsStart)
{
    const QStringList groups{QStringLiteral("J K L  scrub"), QStringLiteral(", .  frame"), QStringLiteral("[ ]  ±5s"),
                             QStringLiteral("← →  clip")};
    const QString separator = QStringLiteral("  ·  ");
    PlayerFixture f(plainClip(QStringLiteral("take.mov")));
    QWidget *hint = f.view->findChild<QWidget *>(QStringLiteral("keyHint"));
    ASSERT_NE(hint, nullptr);
    const QFontMetrics metrics = hint->fontMetrics();
    int narrowed = 0;
    for (int width : {900, 640, 560, 520, 480, 420, 360}) {
        SCOPED_TRACE(width);
        f.view->resize(width, f.view->heightForWidth(width));
        QCoreApplication::processEvents();
        // What fits: the most groups from the start within the hint's width.
        QString expected;
        for (qsizetype count = groups.size(); count > 0 && expected.isEmpty(); --count) {
            if (const QString text = groups.first(count).join(separator); metrics.horizontalAdvance(text) <= hint->width())
                expected = text;
        }
        narrowed += expected.size() < groups.join(separator).size() ? 1 : 0;
        // Painted at the trailing edge, as wide as that text and no wider: the
        // columns where something differs from the background.
        const QImage image = hint->grab().toImage();
        QList<int> inked;
        for (int x = 0; x < image.width(); ++x) {
            for (int y = 0; y < image.height() && (inked.isEmpty() || inked.last() != x); ++y) {
                if (image.pixel(x, y) != image.pixel(0, 0))
                    inked << x;
            }
        }
        EXPECT_EQ(inked.isEmpty(), expected.isEmpty());
        const int advance = metrics.horizontalAdvance(expected);
        if (!inked.isEmpty()) {
            const int inkWidth = inked.last() - inked.first() + 1;
            EXPECT_GE(inked.first(), hint->width() - advance - 1);
            EXPECT_LE(inkWidth, advance + 1);
            EXPECT_GE(inkWidth, advance - metrics.horizontalAdvance(QLatin1Char(' ')) - 2);
        }
    }
    EXPECT_GE(narrowed, 4);
}
