#pragma once

#include <QAccessible>
#include <QString>
#include <QWidget>

// What a screen reader reads as a widget's value (a slider's position, in
// words when the widget gives it words).
inline QString readValue(QWidget *widget)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Value) : QString();
}
