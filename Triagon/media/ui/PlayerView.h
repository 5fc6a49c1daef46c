#pragma once

#include "library/model/Clip.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class PlayerTimeline;
class QFrame;
class QHBoxLayout;
class QLabel;
class QToolButton;
class QVBoxLayout;
class RenameTextField;
class ScrubPlayerView;
class ShuttleController;
class TagPickerPopup;
class TagPickerView;
class TrackpadScrubOverlay;
class VideoPlayer;

// The full player of one clip: the panel that the grid lays over the dimmed
// window when a clip is opened. It plays the clip's own file with sound (our
// VideoPlayer, driven by a J/K/L shuttle of its own), and gathers what the
// user needs to decide about the clip: the name (renamable in place), its
// technical facts, the video with a timeline, play and frame-step buttons,
// the five rating stars and the tags with the tag picker.
//
// It never edits the store: every decision goes out through the actions the
// grid gives it. One view shows one clip for its whole life; the grid
// replaces it to show another clip, and hands it the store's current value
// of its clip after every change (a new rating, tags or name).
//
// The view opens its file the first time it is shown and lets it go when it
// is closed or destroyed. It takes the keyboard focus; keys it does not
// handle go on to its parent (the grid behind it).
class PlayerView : public QWidget
{
    Q_OBJECT
public:
    struct Actions
    {
        std::function<void(int rating)> onRate;
        std::function<void(const QString &tag)> onToggleTag;
        // Given by the grid; the player itself removes tags by toggling them.
        std::function<void(const QString &tag)> onRemoveTag;
        std::function<void(const QString &tag)> onAddTag;
        // The new name without its extension.
        std::function<void(const QString &name)> onRename;
        // Empty when there is no next or previous clip: the arrow key then
        // stays unhandled.
        std::function<void()> onNext;
        std::function<void()> onPrevious;
        std::function<void()> onClose;
    };

    PlayerView(const Clip &clip, const QStringList &availableTags, Actions actions, const QColor &accent, QWidget *parent = nullptr);
    ~PlayerView() override;

    const Clip &clip() const { return m_clip; }
    // The store's current value of the same clip; the file stays open.
    void setClip(const Clip &clip);
    void setAvailableTags(const QStringList &tags);
    void setAccent(const QColor &accent);

    // Opens the clip's file; runs once, when the view is first shown. A file
    // that is not there closes the view (through onClose) without a player.
    void openClip();
    // Stops the shuttle and playback and lets the file go (also on destruction).
    void closeClip();

    // The player's controls, also reached by keys and buttons.
    void togglePlay();
    // Stops the shuttle, then steps one frame back (-1) or forward (+1).
    void stepFrames(int count);
    // Jumps by seconds from the player's time, within the clip; a running
    // shuttle goes on from there.
    void jump(double seconds);
    // Shows the frame at exactly that time.
    void seekExactly(double seconds);
    // A press or drag on the timeline at a fraction of its width (clamped to 0 … 1).
    void dragTimeline(double fraction);
    // A horizontal trackpad swipe over the video: 200 points move one second.
    void scrubTrackpad(qreal delta);

    // Rename in place: the field shows the name without its extension.
    void startRename();
    void commitRename();
    void cancelRename();
    bool isRenaming() const { return m_isRenaming; }
    QString renameText() const { return m_renameText; }
    RenameTextField *renameField() const;

    void setTagPickerShown(bool shown);
    bool isTagPickerShown() const { return m_showTagPicker; }
    TagPickerView *tagPicker() const { return m_picker; }

    // Inspection, for the grid and for tests.
    ShuttleController *shuttle() const { return m_shuttle; }
    const std::shared_ptr<VideoPlayer> &player() const { return m_player; }
    ScrubPlayerView *videoView() const { return m_video; }
    PlayerTimeline *timeline() const { return m_timeline; }
    QLabel *titleLabel() const { return m_title; }
    // The header's facts, in order ("12.5s", "1920×1080", "H.264", "29.97fps", "3.1 MB").
    QStringList facts() const;
    QString currentTimeText() const;
    QString durationTimeText() const;
    // "Paused", or the direction and speed ("▶ 2x", "◀ 1x").
    QString shuttleStateText() const;
    QStringList tagChipTexts() const;
    QToolButton *tagButton() const { return m_tagButton; }
    QToolButton *playButton() const { return m_playButton; }
    QToolButton *starButton(int star) const; // 1 … 5
    QWidget *ratingRow() const { return m_ratingRow; }
    int hoveredStar() const { return m_hoveredStar; }
    // The colour star n (1 … 5) is drawn in now.
    QColor starColor(int star) const;

    // The panel's height for a width: its rows plus a 16:9 video.
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    // Tab stays within the panel: the grid behind it takes no keys while it is open.
    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A colour as style sheets write it.
    static QString cssColor(const QColor &color);
    QWidget *buildHeader();
    QWidget *buildTimeline();
    QWidget *buildControls();
    QFrame *divider(Qt::Orientation orientation);
    QToolButton *iconButton(const QIcon &icon, const QString &label, int iconSize);

    void refreshHeader();
    void refreshStars();
    void refreshTags();
    void refreshShuttleState();
    // The colours taken from the palette, set again when it changes.
    void applyPaletteColors();
    QString secondaryStyle() const;
    void refreshTime();
    void setHoveredStar(int star);
    void endRename();
    void onPickerHidden();

    // The keys of the player; false for keys it leaves to the grid.
    bool handleKey(QKeyEvent *event);

    Clip m_clip;
    QStringList m_availableTags;
    Actions m_actions;
    QColor m_accent;

    std::shared_ptr<VideoPlayer> m_player;
    ShuttleController *m_shuttle = nullptr;
    bool m_opened = false;
    bool m_showTagPicker = false;
    int m_hoveredStar = 0;
    bool m_isRenaming = false;
    QString m_renameText;

    QVBoxLayout *m_titleColumn = nullptr;
    QLabel *m_title = nullptr;
    QPointer<RenameTextField> m_renameField;
    QHBoxLayout *m_factsLayout = nullptr;
    QList<QLabel *> m_factTexts;
    ScrubPlayerView *m_video = nullptr;
    TrackpadScrubOverlay *m_trackpad = nullptr;
    PlayerTimeline *m_timeline = nullptr;
    QLabel *m_timeLabel = nullptr;
    QLabel *m_stateLabel = nullptr;
    QLabel *m_durationLabel = nullptr;
    QToolButton *m_playButton = nullptr;
    QWidget *m_ratingRow = nullptr;
    QList<QToolButton *> m_stars;
    QWidget *m_tagsRow = nullptr;
    QHBoxLayout *m_tagsLayout = nullptr;
    QList<QLabel *> m_chips;
    QToolButton *m_tagButton = nullptr;
    TagPickerPopup *m_popup = nullptr;
    TagPickerView *m_picker = nullptr;
};
