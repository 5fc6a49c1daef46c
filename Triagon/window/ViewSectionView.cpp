#include "window/ViewSectionView.h"

#include "app/AppSettings.h"
#include "app/widgets/SymbolView.h"
#include "app/widgets/WidgetStyle.h"
#include "window/ContentView.h"
#include "window/GridSizeSlider.h"
#include "app/SymbolCatalog.h"
#include "window/SidebarSection.h"
#include "window/SwitchRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

ViewSectionView::ViewSectionView(ContentView &window, QWidget *parent) : QWidget(parent), m_window(window)
{
    setObjectName(QStringLiteral("viewSection"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    auto *sizeBlock = new QVBoxLayout;
    sizeBlock->setSpacing(6);
    sizeBlock->addWidget(SidebarSection::caption(QStringLiteral("Grid size"), this));
    auto *sliderRow = new QHBoxLayout;
    sliderRow->setSpacing(6);
    const auto secondary = [this] { return WidgetStyle::secondary(this); };
    sliderRow->addWidget(new SymbolView(SymbolCatalog::drawer(QStringLiteral("square.grid.4x3.fill")), 10, secondary, this));
    m_slider = new GridSizeSlider(m_window.store(), this);
    sliderRow->addWidget(m_slider, 1);
    sliderRow->addWidget(new SymbolView(SymbolCatalog::drawer(QStringLiteral("square")), 10, secondary, this));
    sizeBlock->addLayout(sliderRow);
    column->addLayout(sizeBlock);

    m_scrubAudio = new SwitchRow(QStringLiteral("Scrub audio"), SymbolCatalog::drawer(QStringLiteral("speaker.slash.fill")),
                                 SymbolCatalog::drawer(QStringLiteral("speaker.wave.2.fill")), this);
    m_scrubAudio->setObjectName(QStringLiteral("scrubAudioRow"));
    m_scrubAudio->setSymbolColors({}, [this] { return m_window.settings().accentColor(); });
    connect(m_scrubAudio, &SwitchRow::toggled, this, [this](bool on) { m_window.setAudioEnabled(on); });
    connect(&m_window, &ContentView::windowStateChanged, this, [this] { m_scrubAudio->setOn(m_window.audioEnabled()); });
    m_scrubAudio->setOn(m_window.audioEnabled());
    column->addWidget(m_scrubAudio);
}
