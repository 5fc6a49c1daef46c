#pragma once

#include "library/model/Clip.h"
#include "markers/MarkerDetector.h"

#include <QColor>
#include <QWidget>

#include <functional>

class CandidateThumbnail;
class ElidedLabel;
class FillBar;
class QCheckBox;
class QLabel;
class ThumbnailGenerator;

// One candidate of the hand-marker results: the clip's poster, name and
// length, how sure the detector is (percent and bar), and a checkbox that
// overrules the detector. A click on the row shows or hides the three frame
// measures behind the confidence.
class MarkerResultRow : public QWidget
{
    Q_OBJECT
public:
    using ColorSource = std::function<QColor()>;

    MarkerResultRow(const Clip &clip, const MarkerDetector::Metrics &metrics, ThumbnailGenerator *generator, ColorSource accent,
                    QWidget *parent = nullptr);

    const Clip &clip() const { return m_clip; }
    // Shows the state the sheet derived; sets the checkbox without signalling.
    void update(double confidence, bool included, bool expanded, const MarkerDetector::Settings &settings);

    bool isIncluded() const { return m_included; }
    bool isExpanded() const { return m_expanded; }
    double confidence() const { return m_confidence; }

    // The measure lines of the detail: title, value (0 to 1) and text.
    struct Measure
    {
        QString title;
        double value = 0;
        QString detail;
    };
    // The detail of metrics: none without a frame.
    static QList<Measure> measures(const MarkerDetector::Metrics &metrics, const MarkerDetector::Settings &settings);
    // "Include <name> as hand marker".
    static QString checkboxAccessibleName(const QString &filename);

    QCheckBox *checkbox() const { return m_checkbox; }
    QLabel *percentLabel() const { return m_percent; }
    FillBar *confidenceBar() const { return m_bar; }
    QWidget *detail() const { return m_detail; }
    CandidateThumbnail *thumbnail() const { return m_thumbnail; }
    QList<QLabel *> measureTexts() const { return m_measureTexts; }
    QList<FillBar *> measureBars() const { return m_measureBars; }

Q_SIGNALS:
    // The user ticked or unticked the checkbox.
    void overrideChosen(const QUuid &clipID, bool included);
    // The user clicked the row.
    void expandToggled(const QUuid &clipID);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void buildDetail();

    Clip m_clip;
    MarkerDetector::Metrics m_metrics;
    ColorSource m_accent;
    double m_confidence = 0;
    bool m_included = false;
    bool m_expanded = false;

    QWidget *m_row = nullptr;
    CandidateThumbnail *m_thumbnail = nullptr;
    ElidedLabel *m_name = nullptr;
    QLabel *m_percent = nullptr;
    FillBar *m_bar = nullptr;
    QCheckBox *m_checkbox = nullptr;
    QWidget *m_detail = nullptr;
    QList<QLabel *> m_measureTexts;
    QList<FillBar *> m_measureBars;
};
