#include "window/ToolsPanelView.h"

#include "app/AppSettings.h"
#include "app/widgets/WidgetStyle.h"
#include "library/ClipStore.h"
#include "window/ContentView.h"
#include "app/SymbolCatalog.h"
#include "window/ToolRow.h"
#include "markers/MarkerDetector.h"

#include <QVBoxLayout>

#include <algorithm>

QString ToolsPanelView::numberingResetText(qsizetype count)
{
    return QString::number(count) + (count == 1 ? QStringLiteral(" numbering reset") : QStringLiteral(" numbering resets"));
}

QString ToolsPanelView::numberingResetAccessibleName(qsizetype count)
{
    return QStringLiteral("Review ") + QString::number(count) + QStringLiteral(" possible numbering resets");
}

QString ToolsPanelView::removeMarkersText(qsizetype count)
{
    return QStringLiteral("Remove ") + QString::number(count)
           + (count == 1 ? QStringLiteral(" Marker Clip") : QStringLiteral(" Marker Clips"));
}

QString ToolsPanelView::removeMarkersHelp()
{
    return QStringLiteral("Removes the hand clips from this session only \u2014 files stay on disk. Ctrl+Z to undo.");
}

ToolsPanelView::ToolsPanelView(ContentView &window, QWidget *parent) : QWidget(parent), m_window(window)
{
    setObjectName(QStringLiteral("toolsPanel"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    const ToolRow::Look tool{12, 4, {}};
    m_audioTriage = new ToolRow(SymbolCatalog::drawer(QStringLiteral("waveform")), QStringLiteral("Audio Triage"), tool, this);
    m_audioTriage->setObjectName(QStringLiteral("audioTriageTool"));
    connect(m_audioTriage, &QAbstractButton::clicked, this, [this] { m_window.setShowAudioTriage(true); });
    column->addWidget(m_audioTriage);

    m_detectMarkers = new ToolRow(SymbolCatalog::drawer(QStringLiteral("hand.raised.fill")), QStringLiteral("Detect Hand Markers"), tool,
                                  this);
    m_detectMarkers->setObjectName(QStringLiteral("detectMarkersTool"));
    connect(m_detectMarkers, &QAbstractButton::clicked, this, [this] { m_window.setShowMarkerDetect(true); });
    column->addWidget(m_detectMarkers);

    const ToolRow::Look secondary{11, 3, [this] { return WidgetStyle::secondary(this); }};
    m_resets = new ToolRow(SymbolCatalog::drawer(QStringLiteral("arrow.uturn.down")), QString(), secondary, this);
    m_resets->setObjectName(QStringLiteral("numberingResetTool"));
    m_resets->setTrailing(QStringLiteral("Review"), [this] { return m_window.settings().accentColor(); });
    connect(m_resets, &QAbstractButton::clicked, this, [this] {
        // Always the first undecided reset: a decided one leaves the list.
        const QList<MarkerDetector::NumberingReset> &resets = m_window.store().numberingResets();
        if (!resets.isEmpty())
            m_window.reviewNumberingReset(resets.constFirst());
    });
    column->addWidget(m_resets);

    const ToolRow::Look danger{12, 4, [] {
                                   QColor red(255, 59, 48);
                                   red.setAlphaF(0.9);
                                   return red;
                               }};
    m_removeMarkers = new ToolRow(SymbolCatalog::drawer(QStringLiteral("hand.raised.slash")), QString(), danger, this);
    m_removeMarkers->setObjectName(QStringLiteral("removeMarkersTool"));
    m_removeMarkers->setToolTip(removeMarkersHelp());
    connect(m_removeMarkers, &QAbstractButton::clicked, this, [this] { m_window.removeMarkerClips(); });
    column->addWidget(m_removeMarkers);

    connect(&m_window.store(), &ClipStore::clipsChanged, this, &ToolsPanelView::refresh);
    refresh();
}

void ToolsPanelView::refresh()
{
    const ClipStore &store = m_window.store();
    const qsizetype resets = store.numberingResets().size();
    m_resets->setText(numberingResetText(resets));
    m_resets->setAccessibleName(numberingResetAccessibleName(resets));
    m_resets->setVisible(resets > 0);

    const qsizetype markers = std::count_if(store.clips().cbegin(), store.clips().cend(),
                                            [](const Clip &clip) { return clip.markerFlag && clip.markerFlag->isMarker(); });
    m_removeMarkers->setText(removeMarkersText(markers));
    m_removeMarkers->setVisible(markers > 0);
}
