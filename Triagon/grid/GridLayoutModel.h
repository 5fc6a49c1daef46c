#pragma once

#include <QHash>
#include <QList>
#include <QRectF>
#include <QString>
#include <QUuid>

#include <optional>

// The geometry of the clip grid, computed once per change of the displayed
// clips, the grouping, the column count, the width or a measured card height,
// never while painting or scrolling. Positions are in content coordinates
// (y 0 is the top of the scroll content). Cells are stored in display order,
// so their y never decreases and a band of the content maps to one
// contiguous run of cells found by binary search.
class GridLayoutModel
{
public:
    static constexpr qreal padding = 20;        // around the whole grid
    static constexpr qreal spacing = 16;        // between columns and between rows
    static constexpr qreal sectionSpacing = 40; // between sections
    static constexpr qreal headerGap = 12;      // between a section's header and its grid

    struct Cell
    {
        QUuid clipID;
        int section = 0;
        QRectF rect;
    };
    struct Header
    {
        int section = 0;
        QString title;
        qsizetype count = 0;
        QRectF rect;
    };
    // A card is identified by its section and its clip: with the tag grouping
    // one clip has a card in each of its tags' sections.
    struct CellKey
    {
        QString section;
        QUuid clipID;
        friend bool operator==(const CellKey &, const CellKey &) = default;
    };

    // A section to lay out: its title and its clips in display order.
    struct Section
    {
        QString title;
        QList<QUuid> clipIDs;
    };

    // The sections to show; with showHeaders false (no grouping) the single
    // section's title is not drawn and the grid starts right at the padding.
    void setSections(QList<Section> sections, bool showHeaders);
    // Width of the grid area, column count (at least 1), tile aspect ratio
    // (width to height) and the height of a section header.
    void setGeometry(qreal width, int columns, double tileAspectRatio, qreal headerHeight);
    // Recomputes every position. Cheap (one pass), but only called when an
    // input changed.
    void relayout();

    // The placeholder height of a card that has not been measured yet.
    static qreal estimatedCellHeight(qreal width, int columns, double tileAspectRatio);
    // The width of one column (at least 10 points, like the columns' minimum).
    qreal columnWidth() const { return m_columnWidth; }
    qreal estimatedHeight() const { return estimatedCellHeight(m_width, m_columns, m_aspect); }

    // Records the height of a rendered card; zero or negative heights are
    // ignored. True when the stored height changed (a relayout is then due).
    bool recordMeasuredHeight(const CellKey &key, qreal height);
    std::optional<qreal> measuredHeight(const CellKey &key) const;

    const QList<Cell> &cells() const { return m_cells; }
    const QList<Header> &headers() const { return m_headers; }
    const QList<Section> &sections() const { return m_sections; }
    bool showsHeaders() const { return m_showHeaders; }
    qreal contentHeight() const { return m_contentHeight; }
    CellKey keyOf(int cellIndex) const;

    // Indices [first, last) of the cells in the rows that overlap the open
    // band (top, bottom): a row's bottom edge strictly below top and its top
    // edge strictly above bottom. A cell shorter than its row may itself lie
    // outside; callers test each cell's rectangle.
    std::pair<int, int> cellsInBand(qreal top, qreal bottom) const;
    std::pair<int, int> headersInBand(qreal top, qreal bottom) const;
    // The first cell showing the clip, or -1.
    int firstCellOf(const QUuid &clipID) const;

private:
    QList<Section> m_sections;
    bool m_showHeaders = false;
    qreal m_width = 0;
    int m_columns = 3;
    double m_aspect = 16.0 / 9.0;
    qreal m_headerHeight = 24;
    qreal m_columnWidth = 10;

    QHash<QString, QHash<QUuid, qreal>> m_measured; // section title -> clip -> height
    qreal m_measuredForWidth = -1;

    QList<Cell> m_cells;
    struct Row
    {
        qreal top = 0;
        qreal bottom = 0;
        int firstCell = 0;
        int endCell = 0;
    };
    QList<Row> m_rows;
    QList<Header> m_headers;
    // Made on first use after a layout: most layouts never need it.
    mutable std::optional<QHash<QUuid, int>> m_firstCell;
    qreal m_contentHeight = 2 * padding;
};
