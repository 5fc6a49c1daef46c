#pragma once

#include "app/ScrubModifier.h"
#include "library/model/Clip.h"
#include "library/model/MarkerFlag.h"
#include "media/AudioPeak.h"

#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QSet>
#include <QSizeF>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <optional>

class AppSettings;
class CardMedia;
class QFrame;
class QMenu;
class RenameTextField;
class ShuttleController;
class TagPickerPopup;
class TagPickerView;
class VideoPlayer;

// The card of one clip in the grid: the poster (scrubbed by moving the
// pointer across it), badges, hover buttons, the name with inline rename,
// the technical line, the stars and the tag chips with their picker.
//
// The card never edits the store: it reports every action through its
// signals, and the grid turns each into a store edit. The grid sets the
// card's inputs (the store's current clip and what the grid decides for it)
// after every store change; the card keeps its own transient state (hover,
// scrub, rename, open picker, poster and peaks) for as long as it lives.
//
// The widget is the card's body plus a margin on every side for the
// selection ring and the shadow (`margin`).
class ClipThumbnailView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int margin = 5;
    // Height of the block under the poster (name, technical line, stars).
    static constexpr int infoHeight = 92;

    struct Inputs
    {
        Clip clip;
        double tileAspectRatio = 16.0 / 9.0;
        QStringList availableTags;
        bool audioEnabled = true;
        bool isSelected = false;
        // The one selected clip while the grid has the keyboard: for
        // assistive technologies the card stands for the grid's focus.
        bool isKeyboardCurrent = false;
        // The tags shown as applied in the picker; the clip's own when absent.
        std::optional<QStringList> selectedTagsForPicker;
        QSet<QString> mixedTagsForPicker;
        // The grid's keyboard scrub, while it plays this card's clip.
        std::shared_ptr<VideoPlayer> keyboardPlayer;
        ShuttleController *keyboardShuttle = nullptr;
        // Whether the "Hand Marker" menu item and the numbering-reset button exist.
        bool canSetMarkerFlag = false;
        bool canReviewNumberingReset = false;
        // The grid asks this card to show its tag picker.
        bool showTagPickerRequested = false;
        // The smallest poster size asked for; larger cards ask for their size.
        QSizeF scrubSize{480, 270};
        qreal cardRadius = 10;
    };

    // The media are shared: a card waiting for deletion may outlive its grid.
    ClipThumbnailView(std::shared_ptr<CardMedia> media, AppSettings *settings, QWidget *parent = nullptr);
    ~ClipThumbnailView() override;

    void setInputs(const Inputs &inputs);
    const Inputs &inputs() const { return m_in; }
    const Clip &clip() const { return m_in.clip; }

    // Height of the card's body for a body width, and of the widget.
    static int bodyHeightForWidth(qreal width, double tileAspectRatio);
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

    // The one-line spoken summary of the clip: name, duration, resolution,
    // rating, tags (sorted) and the hand-marker flag, joined by ", ".
    QString accessibilitySummary() const { return accessibilitySummary(m_in.clip); }
    static QString accessibilitySummary(const Clip &clip);
    bool isKeyboardCurrent() const { return m_in.isKeyboardCurrent; }
    // Installs the accessibility interfaces of the grid and its cards (once).
    static void installAccessibility();
    // The technical line: codec, resolution and frame rate joined by " · ".
    static QString technicalLine(const Clip &clip);

    // The context menu, built anew for the clip as it is now. Owned by the caller.
    QMenu *makeContextMenu(QWidget *parent);

    // Rename in place: the field shows the name without its extension.
    void startRename();
    void cancelRename();
    bool isRenaming() const { return m_isRenaming; }
    QString renameText() const { return m_renameText; }
    RenameTextField *renameField() const;

    // The tag picker popup.
    void openTagPicker(bool addMode);
    void closeTagPicker();
    bool isTagPickerShown() const { return m_showTagPicker; }
    bool isTagPickerInAddMode() const { return m_showTagPickerInAddMode; }
    TagPickerView *tagPicker() const { return m_picker; }
    QFrame *tagPickerPopup() const;

    // Transient state, for the grid and for tests.
    bool isCardHovered() const { return m_isCardHovered; }
    bool isHovering() const { return m_isHovering; }
    double hoverProgress() const { return m_hoverProgress; }
    double currentTime() const { return m_currentTime; }
    int hoveredStar() const { return m_hoveredStar; }
    const std::shared_ptr<VideoPlayer> &scrubPlayer() const { return m_scrubPlayer; }
    std::optional<double> fineAnchorTime() const { return m_fineAnchorTime; }
    const std::optional<ScrubModifier> &activeScrubModifier() const { return m_activeScrubModifier; }
    const QImage &posterImage() const { return m_posterImage; }
    const std::optional<QList<AudioPeak>> &audioPeaks() const { return m_audioPeaks; }

    // Whether the card may ask for its poster now (true unless told
    // otherwise). The grid lets only cards that rest on screen ask: a card
    // that is not wanted holds its request back, and withdraws one whose
    // decode has not started; it asks when it is wanted again.
    void setPosterWanted(bool wanted);
    bool isPosterWanted() const { return m_posterWanted; }
    // A poster request is made and not yet answered.
    bool isPosterRequested() const { return m_posterTicket != 0; }

    // Geometry in widget coordinates, for the grid and for tests.
    QRectF bodyRect() const;
    QRectF posterRect() const;
    QRectF nameRect() const;
    QRectF starRect(int star) const; // star 1 ... 5
    QRectF starRowRect() const;
    QRectF tagIconRect() const;
    QRectF expandButtonRect() const;
    QRectF removeButtonRect() const;
    QRectF numberingResetButtonRect() const;

    // The text of the time chip while hovering.
    QString timeChipText() const;

Q_SIGNALS:
    void rateRequested(int rating);
    void toggleTagRequested(const QString &tag);
    void removeTagRequested(const QString &tag);
    void addTagRequested(const QString &tag);
    void hoverChanged(bool hovering);
    void removeRequested();
    void openRequested();
    // A rename that ends tells renameStateChanged(false) before it sends
    // the new name, which can re-sort the grid and take the card away.
    void renameRequested(const QString &newName);
    void renameStateChanged(bool renaming);
    void selectRequested(Qt::KeyboardModifiers modifiers);
    void markerFlagRequested(const std::optional<MarkerFlag> &flag);
    void reviewNumberingResetRequested();
    // The picker closed, however it closed: the grid's request is over.
    void tagPickerClosed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    // The block under the poster: padding, the three rows and the star pitch.
    static constexpr qreal infoPaddingX = 12;
    static constexpr qreal infoPaddingY = 10;
    static constexpr qreal rowGap = 6;
    static constexpr qreal nameRowHeight = 22;
    static constexpr qreal techRowHeight = 14;
    static constexpr qreal ratingRowHeight = 24;
    static constexpr qreal starPitch = 18;
    static constexpr qreal starWidth = 16;
    static constexpr qreal tagIconWidth = 16;
    struct InfoRows
    {
        QRectF content;
        QRectF nameRow;
        QRectF techRow;
        QRectF ratingRow;
    };
    static InfoRows infoRows(const QRectF &poster);

    enum class Hit { none, poster, info, name, star, tagIcon, expand, remove, numberingReset };
    Hit hitTest(const QPointF &pos, int *star = nullptr) const;

    void hoverScrub(const QPointF &pos, Qt::KeyboardModifiers modifiers);
    void endHoverScrub();
    void setCardHovered(bool hovered);
    void setHoveredStar(int star);

    // Tells assistive technologies what changed for them between two inputs.
    void announceAccessibilityChanges(const Inputs &old, bool first);

    void startLoading();
    void requestPoster(bool keepCurrent);
    // Withdraws the pending poster request if its decode has not started;
    // the card then asks again when it is wanted.
    void withdrawPoster();
    QSize posterRequestSize() const;
    double posterTime() const;
    QImage shownPoster() const;
    QString loadingIdentity() const;

    void commitRename();
    void endRename();
    void placeRenameField();
    void placeTagPicker();
    void onTagPickerHidden();
    void refreshTagPicker();

    void watchPlayer(const std::shared_ptr<VideoPlayer> &player);
    void watchShuttle(ShuttleController *shuttle);
    VideoPlayer *shownPlayer() const;
    void updateTargetSize();

    // The card is drawn into an image of its own, kept until something it
    // shows changes, so that scrolling only copies finished cards.
    void invalidate();
    void render(QPainter &p);
    // False when there was no picture (the area stays black).
    bool paintPoster(QPainter &p, const QRectF &area);
    void paintBadges(QPainter &p, const QRectF &area);
    void paintHoverButtons(QPainter &p, const QRectF &area);
    void paintScrubOverlay(QPainter &p, const QRectF &area);
    void paintProgress(QPainter &p, const QRectF &area);
    void paintInfo(QPainter &p);
    QColor accent() const;

    std::shared_ptr<CardMedia> m_media;
    QPointer<AppSettings> m_settings;
    Inputs m_in;
    bool m_hasInputs = false;

    // Transient state.
    QImage m_posterImage;
    std::optional<QList<AudioPeak>> m_audioPeaks;
    bool m_isHovering = false;
    double m_hoverProgress = 0;
    double m_currentTime = 0;
    int m_hoveredStar = 0;
    bool m_showTagPicker = false;
    bool m_showTagPickerInAddMode = false;
    bool m_isRenaming = false;
    QString m_renameText;
    bool m_isCardHovered = false;
    std::shared_ptr<VideoPlayer> m_scrubPlayer;
    std::optional<double> m_fineAnchorTime;
    std::optional<ScrubModifier> m_activeScrubModifier;

    // Loading bookkeeping: every request carries the generation it was made
    // in, and an answer from an older generation is dropped.
    quint64 m_loadGeneration = 0;
    QString m_loadedIdentity;
    QSize m_posterRequestedSize;
    bool m_loadPending = false;
    bool m_posterWanted = true;
    // A request held back (or withdrawn) while the card was not wanted.
    bool m_posterDeferred = false;
    quint64 m_posterTicket = 0; // CardMedia::PosterTicket
    quint64 m_posterSerial = 0; // the request m_posterTicket belongs to

    // Painting caches.
    QImage m_cache;
    bool m_cacheDirty = true;
    QPixmap m_posterPixmap;
    qint64 m_posterPixmapKey = -1;
    QSizeF m_posterPixmapSize;

    QPointer<RenameTextField> m_renameField;
    TagPickerPopup *m_popup = nullptr;
    TagPickerView *m_picker = nullptr;
    QMetaObject::Connection m_playerConnection;
    QMetaObject::Connection m_keyboardPlayerConnection;
    QList<QMetaObject::Connection> m_shuttleConnections;
    Hit m_pressedHit = Hit::none;
    int m_pressedStar = 0;
};
