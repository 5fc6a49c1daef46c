#pragma once

#include "grid/ClipSection.h"
#include "grid/GridEngines.h"
#include "grid/GridLayoutModel.h"
#include "library/model/Clip.h"
#include "markers/MarkerDetector.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QUuid>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

class AppSettings;
class BackToTopButton;
class ExpandedClipOverlay;
class CardMedia;
class ClipStore;
class ClipThumbnailView;
class QKeyEvent;
class QLabel;
class PlayerView;
class QPropertyAnimation;
class QTimer;
class SectionHeaderView;
class ShuttleController;
class VideoPlayer;

// The grid of clip cards: the store's displayed clips, flat or in titled
// sections, in a vertically scrolling area of our own. The geometry of
// every cell is computed once per store change (GridLayoutModel); card
// widgets exist only for the cells within one viewport height (at least 400
// points) above and below the visible part, and the cells far away keep the
// height last measured for them, so the scroll bar and the positions stay
// right while cards come and go.
//
// Every card is built from the store's current clip whenever the store
// changes; the card's actions become store edits here (a card never edits
// the store itself). Rating and tag edits made on a card apply to the whole
// selection when it holds that card's clip and at least two clips.
//
// The grid owns its transient state: the expanded clip, the selection
// anchor of Shift-clicks, the keyboard scrub and the short guards after a
// rename or a tag picker ends.
class ClipGridView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    ClipGridView(ClipStore *store, AppSettings *settings, const GridEngines &engines, bool audioEnabled, QWidget *parent = nullptr);
    ~ClipGridView() override;

    ClipStore *store() const { return m_store; }

    // Whether hover scrubbing plays audio snippets (the window's "Scrub audio").
    bool audioEnabled() const { return m_audioEnabled; }
    void setAudioEnabled(bool enabled);

    // The window's handler for reviewing a camera numbering reset; cards of
    // clips that start one of the store's undecided resets show their button
    // only while a handler is set.
    using NumberingResetHandler = std::function<void(const MarkerDetector::NumberingReset &)>;
    void setNumberingResetHandler(NumberingResetHandler handler);
    // Sets or clears a clip's hand-marker flag; the "Hand Marker" menu item
    // exists only while one is set.
    using MarkerFlagHandler = std::function<void(const QUuid &, const std::optional<MarkerFlag> &)>;
    void setMarkerFlagHandler(MarkerFlagHandler handler);

    // Replaces the cards' media (tests hold or fake answers through it).
    void setCardMedia(std::shared_ptr<CardMedia> media);

    // The division of the displayed clips into sections, as shown.
    QList<ClipSection> clipSections() const;
    // The displayed clips in on-screen order (sections flattened).
    QList<Clip> orderedVisibleClips() const;
    // 16:9, or 9:16 when more than half of the session's clips are portrait.
    double tileAspectRatio() const;

    // The clip open in the full player over the dimmed grid: always the
    // store's current value of that clip. Opening a clip pauses the keyboard
    // scrub (it stays on its clip); the player closes when its clip leaves
    // the store.
    const std::optional<Clip> &expandedClip() const { return m_expandedClip; }
    void expandClip(const Clip &clip);
    void closeExpandedClip();
    // The full player while a clip is open, else null.
    PlayerView *playerView() const;
    ExpandedClipOverlay *expandedOverlay() const { return m_expandedOverlay; }

    // The keyboard scrub: one player of the selected clip, driven by the
    // grid's shuttle and drawn on that clip's card.
    ShuttleController *gridShuttle() const { return m_gridShuttle; }
    const std::optional<QUuid> &gridScrubClipID() const { return m_gridScrubClipID; }
    const std::shared_ptr<VideoPlayer> &gridScrubPlayer() const { return m_gridScrubPlayer; }
    void updateGridScrub(const Clip &clip, bool keepPlaying);
    void stopGridScrub();

    // Gives the keyboard to where the user works: the full player while a
    // clip is open, else the grid itself. Used whenever something that lay
    // over the window (a sheet, the tour, a popup, another window) goes, so
    // that the next key acts at once.
    void takeKeyboardFocus();

    // Keyboard selection: the clip becomes the only selected and hovered
    // clip and the anchor, the keyboard scrub moves to it (playing on), and
    // its cell scrolls into view.
    void selectAndScroll(const Clip &clip);

    const std::optional<QUuid> &selectionAnchorID() const { return m_selectionAnchorID; }
    bool renameDismissedRecently() const { return m_renameDismissedRecently; }
    bool tagPickerDismissedRecently() const { return m_tagPickerDismissedRecently; }

    // Pinch zoom: spreading the fingers (above 1.2) removes a column,
    // pinching (below 0.8) adds one, within 1 to 5.
    void handleMagnifyEnded(double magnification);

    // Posters. While the grid is not flung, cards ask for their posters as
    // they always did: a card on screen at once, and a card in the band
    // below or above the screen as it is made, ahead of being scrolled to.
    // While it is flung (more than flingScreens screen heights scrolled
    // within flingWindowMs, as with Page Down held), only a card that has
    // rested on screen for posterDwellMs asks, so that the fling decodes
    // only what the user gets to see. A card that leaves the screen
    // withdraws a request whose decode has not started.
    static constexpr int posterDwellMs = 100;
    static constexpr int flingWindowMs = 250;
    static constexpr int flingScreens = 2;
    bool isFlung() const;
    // The monotonic clock of that rule, in milliseconds; a steady clock
    // unless set (tests step their own).
    void setPosterClock(std::function<qint64()> clock);

    // Scrolling.
    void scrollToTop(bool animated);
    void scrollToClip(const QUuid &clipID);
    int scrollPosition() const;

    // Inspection (the main window's status bar, benchmarks and tests).
    const GridLayoutModel &layoutModel() const { return m_model; }
    QList<ClipThumbnailView *> liveCards() const;
    // The headers of the sections near the viewport, by section title.
    QList<SectionHeaderView *> liveHeaders() const { return m_headers.values(); }
    // The first live card of a clip, or null.
    ClipThumbnailView *cardFor(const QUuid &clipID) const;
    BackToTopButton *backToTopButton() const { return m_backToTop; }
    QWidget *emptyFilterMessage() const { return m_emptyMessage; }
    // Layout recomputations so far.
    int layoutCount() const { return m_layoutCount; }

Q_SIGNALS:
    void expandedClipChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    using CardKey = QPair<QString, QUuid>;

    void connectStore();
    void onClipsChanged();
    void onViewOptionsChanged();
    void onSelectionOrViewStateChanged();
    void onLoadingChanged();
    void pruneStaleViewState();

    void rebuildLayout();
    void relayoutKeepingAnchor();
    void updateLiveCells();
    void updateLiveHeaders();
    // Tells each live card whether it may ask for its poster now.
    void updatePosterWants();
    // A scroll by dy pixels, for telling a fling.
    void noteScroll(int dy);
    void forgetOldScrolls(qint64 now);
    void refreshCards();
    void paintViewport(QPaintEvent *event);
    void updateOverlays();
    void updateScrollRange();
    void animateScrollToTop(int milliseconds);

    ClipThumbnailView *createCard(const Clip &clip);
    void discardCard(ClipThumbnailView *card);
    // Hides a card or header that goes and deletes it later.
    void retire(QWidget *widget);
    void applyInputs(ClipThumbnailView *card, const Clip &clip, bool pickerOwner);
    std::optional<Clip> currentClip(const QUuid &id) const;
    QSet<QUuid> editTargets(const QUuid &clipID) const;
    void selectByPointer(const QUuid &clipID, Qt::KeyboardModifiers modifiers);

    // Keyboard control. Each handler says whether it took the key; keys it
    // leaves go on to the window.
    bool handleKey(QKeyEvent *event);
    // No player open, no tag picker shown, no rename in progress.
    bool keysAllowed() const;
    // The selection, or the hovered clip when nothing is selected.
    QSet<QUuid> keyTargetClipIDs() const;
    std::optional<QUuid> currentClipForMovement() const;
    bool handleEscapeKey();
    // `autoRepeat`: the key is held; it sets the rating again, never clears it.
    bool handleRatingKey(const QString &text, bool autoRepeat);
    bool handleTagKey();
    bool handleDeleteKey();
    bool handleReturnKey();
    bool handleSelectAllKey();
    bool moveSelectionHorizontally(int delta);
    bool moveSelectionVertically(bool up);
    // The keyboard scrub's keys; false while no clip is scrubbed.
    bool handleScrubKey(QKeyEvent *event);
    void stepGridScrubFrames(int delta);
    // A card's rename: while it is in progress the keys are off. However it
    // ends, they are on again; when its field gave the focus up without
    // another widget taking it (Return, Escape, the card going), the grid
    // takes the keyboard with the clip selected, and follows the cell when
    // the new name moves it.
    void renameStarted(const QUuid &clipID);
    void renameEnded(const QUuid &clipID);
    void renameFromCard(const QUuid &clipID, const QString &name);

    // The full player of a clip, wired to store edits of that one clip.
    PlayerView *makePlayer(const Clip &clip);
    // The player's previous and next steps: to that clip unless it is gone or offline.
    void stepExpandedClip(const QUuid &clipID);
    // Shows the store's current value of the open clip, or closes the player.
    void refreshExpandedClip();
    void jumpGridScrub(double seconds);
    void selectFirstClipIfNeeded();
    void setSelection(const QSet<QUuid> &ids);
    void raiseFlag(bool &flag);

    ClipStore *m_store;
    QPointer<AppSettings> m_settings;
    bool m_audioEnabled;
    std::shared_ptr<CardMedia> m_media;
    NumberingResetHandler m_numberingResetHandler;
    MarkerFlagHandler m_markerFlagHandler;

    // Layout.
    GridLayoutModel m_model;
    double m_aspect = 16.0 / 9.0;
    int m_columns = 3;
    int m_layoutCount = 0;
    QHash<CardKey, ClipThumbnailView *> m_cards;
    QHash<QString, SectionHeaderView *> m_headers;
    // The hidden parent of the cards and headers waiting for deletion.
    QWidget *m_retired = nullptr;
    bool m_updatingCells = false;
    // Posters: since when each live card is on screen (by the poster
    // clock), the live cards that have been on screen, the recent scrolls
    // (time, pixels), and the timer that lets the next card ask.
    QHash<CardKey, qint64> m_onScreenSince;
    QSet<CardKey> m_seenOnScreen;
    std::deque<std::pair<qint64, int>> m_recentScrolls;
    QTimer *m_posterDwellTimer = nullptr;
    std::function<qint64()> m_posterClock;
    bool m_keepingAnchor = false;

    // The values whose changes scroll back to the top.
    GroupMode m_lastGroupMode = GroupMode::none;
    qint64 m_lastFilterRating = 0;
    std::optional<QString> m_lastFilterTag;
    bool m_lastFilterHandMarkers = false;
    bool m_lastHideUntouched = false;
    std::optional<QUuid> m_lastTagPickerID;
    bool m_lastLoading = false;

    // Grid state.
    std::optional<Clip> m_expandedClip;
    ExpandedClipOverlay *m_expandedOverlay = nullptr;
    bool m_renameDismissedRecently = false;
    // The clip whose rename just gave the keyboard back to the grid.
    std::optional<QUuid> m_renameFollowID;
    bool m_tagPickerDismissedRecently = false;
    ShuttleController *m_gridShuttle = nullptr;
    std::shared_ptr<VideoPlayer> m_gridScrubPlayer;
    std::optional<QUuid> m_gridScrubClipID;
    std::optional<QUuid> m_selectionAnchorID;
    bool m_shownOnce = false;
    double m_magnification = 1;

    BackToTopButton *m_backToTop = nullptr;
    QWidget *m_emptyMessage = nullptr;
    QLabel *m_emptyCount = nullptr;
    QPropertyAnimation *m_scrollAnimation = nullptr;
};
