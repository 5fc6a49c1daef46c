#pragma once

#include <QColor>
#include <QList>
#include <QWidget>

#include <functional>

class ChooseFootageButton;
class DropZoneCard;
class LogoView;
class QFrame;
class QLabel;
class RoundedPanel;

// What the main column shows while the session holds no clips: the logo, and
// below it the intake panel with "Choose Footage", the "or drag & drop"
// separator and the drop-zone card. The whole window is the drop target; this
// view only mirrors whether a drag is over it.
class EmptyStateView : public QWidget
{
    Q_OBJECT
public:
    using ColorSource = std::function<QColor()>;

    // `accent` is asked at every paint, so a changed accent setting shows at once.
    EmptyStateView(ColorSource accent, const QColor &surface, QWidget *parent = nullptr);

    // The window's surface and the colour of the faint lines and texts on it
    // (white on the dark surface, dark on a light one), so that the empty
    // state looks like the window it stands in.
    void setSurface(const QColor &surface, const QColor &ink);
    QColor surface() const;
    QColor ink() const { return m_ink; }

    void setDragTargeted(bool targeted);
    bool isDragTargeted() const { return m_targeted; }

    LogoView *logo() const { return m_logo; }
    ChooseFootageButton *chooseFootageButton() const { return m_button; }
    QLabel *separatorLabel() const { return m_separator; }
    DropZoneCard *dropZoneCard() const { return m_card; }

Q_SIGNALS:
    // "Choose Footage" was pressed.
    void chooseFootage();

private:
    LogoView *m_logo = nullptr;
    ChooseFootageButton *m_button = nullptr;
    QLabel *m_separator = nullptr;
    DropZoneCard *m_card = nullptr;
    RoundedPanel *m_panel = nullptr;
    QList<QFrame *> m_rules;
    QColor m_ink = Qt::white;
    bool m_targeted = false;
};
