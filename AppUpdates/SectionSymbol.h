#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

// The pictures before the section titles of the what's-new sheet: a filled
// circle (a triangle for warnings) in the section's colour with a white mark
// cut into it. The names are those of the section table ("plus.circle.fill",
// "checkmark.circle.fill", ...); an unknown name draws the plain circle.
namespace SectionSymbol {

// Draws `name` centred in `box`, as large as fits.
void draw(QPainter &painter, const QRectF &box, const QString &name, const QColor &color);

} // namespace SectionSymbol
