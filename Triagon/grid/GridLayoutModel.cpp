#include "grid/GridLayoutModel.h"

#include <algorithm>
#include <cmath>

void GridLayoutModel::setSections(QList<Section> sections, bool showHeaders)
{
    m_sections = std::move(sections);
    m_showHeaders = showHeaders;
}

void GridLayoutModel::setGeometry(qreal width, int columns, double tileAspectRatio, qreal headerHeight)
{
    m_width = std::isfinite(width) ? width : 0;
    m_columns = std::max(columns, 1);
    m_aspect = std::isfinite(tileAspectRatio) && tileAspectRatio > 0 ? tileAspectRatio : 16.0 / 9.0;
    m_headerHeight = headerHeight;
}

qreal GridLayoutModel::estimatedCellHeight(qreal width, int columns, double tileAspectRatio)
{
    const int c = std::max(columns, 1);
    const double a = tileAspectRatio > 0 ? tileAspectRatio : 16.0 / 9.0;
    const double w = (width - 2 * padding - spacing * (c - 1)) / c;
    const double h = w / a + 70;
    return std::isfinite(h) ? std::max(h, 80.0) : 80.0;
}

bool GridLayoutModel::recordMeasuredHeight(const CellKey &key, qreal height)
{
    if (!(height > 0) || !std::isfinite(height))
        return false;
    qreal &stored = m_measured[key.section][key.clipID];
    if (stored == height)
        return false;
    stored = height;
    return true;
}

std::optional<qreal> GridLayoutModel::measuredHeight(const CellKey &key) const
{
    const auto section = m_measured.constFind(key.section);
    if (section == m_measured.constEnd())
        return std::nullopt;
    const auto it = section->constFind(key.clipID);
    if (it == section->constEnd())
        return std::nullopt;
    return *it;
}

GridLayoutModel::CellKey GridLayoutModel::keyOf(int cellIndex) const
{
    const Cell &cell = m_cells.at(cellIndex);
    return CellKey{m_sections.at(cell.section).title, cell.clipID};
}

void GridLayoutModel::relayout()
{
    const int c = m_columns;
    m_columnWidth = std::max<qreal>(10, (m_width - 2 * padding - spacing * (c - 1)) / c);
    // A card's height follows its width: heights measured at another width
    // would give wrong placeholders, so they are forgotten.
    if (m_columnWidth != m_measuredForWidth) {
        m_measured.clear();
        m_measuredForWidth = m_columnWidth;
    }
    const qreal estimate = estimatedHeight();

    m_cells.clear();
    m_rows.clear();
    m_headers.clear();
    m_firstCell.reset();
    qsizetype total = 0;
    for (const Section &section : std::as_const(m_sections))
        total += section.clipIDs.size();
    m_cells.reserve(total);

    qreal y = padding;
    for (int s = 0; s < m_sections.size(); ++s) {
        const Section &section = m_sections.at(s);
        if (m_showHeaders) {
            if (s > 0)
                y += sectionSpacing;
            m_headers.append(Header{s, section.title, section.clipIDs.size(),
                                    QRectF(padding, y, std::max<qreal>(0, m_width - 2 * padding), m_headerHeight)});
            y += m_headerHeight + headerGap;
        }
        const auto measured = m_measured.constFind(section.title);
        const bool anyMeasured = measured != m_measured.constEnd();
        const int count = static_cast<int>(section.clipIDs.size());
        for (int rowStart = 0; rowStart < count; rowStart += c) {
            const int rowEnd = std::min(rowStart + c, count);
            qreal rowHeight = 0;
            const qsizetype firstOfRow = m_cells.size();
            for (int i = rowStart; i < rowEnd; ++i) {
                const QUuid &id = section.clipIDs.at(i);
                qreal h = estimate;
                if (anyMeasured) {
                    const auto it = measured->constFind(id);
                    if (it != measured->constEnd())
                        h = *it;
                }
                rowHeight = std::max(rowHeight, h);
                const int column = i - rowStart;
                m_cells.append(Cell{id, s, QRectF(padding + column * (m_columnWidth + spacing), y, m_columnWidth, h)});
            }
            // A short card in a row is centred vertically like the grid's cells.
            for (qsizetype k = firstOfRow; k < m_cells.size(); ++k) {
                QRectF &r = m_cells[k].rect;
                r.moveTop(y + (rowHeight - r.height()) / 2);
            }
            m_rows.append(Row{y, y + rowHeight, static_cast<int>(firstOfRow), static_cast<int>(m_cells.size())});
            y += rowHeight;
            if (rowEnd < count)
                y += spacing;
        }
        if (!m_showHeaders)
            break; // the flat grid has exactly one section
    }
    m_contentHeight = y + padding;
}

std::pair<int, int> GridLayoutModel::cellsInBand(qreal top, qreal bottom) const
{
    const auto first = std::upper_bound(m_rows.cbegin(), m_rows.cend(), top,
                                        [](qreal value, const Row &row) { return value < row.bottom; });
    const auto last = std::lower_bound(first, m_rows.cend(), bottom, [](const Row &row, qreal value) { return row.top < value; });
    if (first == last)
        return {0, 0};
    return {first->firstCell, (last - 1)->endCell};
}

std::pair<int, int> GridLayoutModel::headersInBand(qreal top, qreal bottom) const
{
    const auto first = std::upper_bound(m_headers.cbegin(), m_headers.cend(), top,
                                        [](qreal value, const Header &h) { return value < h.rect.bottom(); });
    const auto last = std::lower_bound(first, m_headers.cend(), bottom, [](const Header &h, qreal value) { return h.rect.top() < value; });
    return {static_cast<int>(first - m_headers.cbegin()), static_cast<int>(last - m_headers.cbegin())};
}

int GridLayoutModel::firstCellOf(const QUuid &clipID) const
{
    if (!m_firstCell) {
        QHash<QUuid, int> first;
        first.reserve(m_cells.size());
        // Backwards, so that the first cell of a clip is the one kept.
        for (int i = static_cast<int>(m_cells.size()) - 1; i >= 0; --i)
            first.insert(m_cells.at(i).clipID, i);
        m_firstCell = std::move(first);
    }
    return m_firstCell->value(clipID, -1);
}
