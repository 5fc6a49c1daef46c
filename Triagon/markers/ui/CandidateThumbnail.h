#pragma once

#include "library/model/Clip.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

class ThumbnailGenerator;

// The small poster at the front of a hand-marker result row: the card
// poster of the clip (a quarter into it, 480 × 270), shown at once when the
// shared poster cache has it, else asked for once and then kept (the
// generator caches it for the cards). A placeholder until then.
class CandidateThumbnail : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize displaySize{56, 32};

    CandidateThumbnail(const Clip &clip, ThumbnailGenerator *generator, QWidget *parent = nullptr);

    // The time and cache key of the clip's poster.
    static double posterTime(const Clip &clip);
    static QString posterKey(const Clip &clip);

    // The poster this view loaded (null until then).
    QImage image() const { return m_image; }
    // The picture shown now: the loaded poster, else the cached one, else null.
    QImage shownImage() const;
    bool hasRequested() const { return m_requested; }

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void load();

    Clip m_clip;
    QPointer<ThumbnailGenerator> m_generator;
    QImage m_image;
    bool m_requested = false;
};
