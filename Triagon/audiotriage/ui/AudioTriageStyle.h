#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QFrame;
class QLabel;
class QWidget;

// Fonts, colours and small pieces shared by the audio triage sheet's parts.
class AudioTriageStyle
{
public:
    // The interface font at a size in pixels.
    static QFont font(const QFont &base, int pixels, QFont::Weight weight = QFont::Normal, bool monospaced = false);
    // The palette's secondary text colour.
    static QColor secondary(const QWidget *widget);
    // A label in the interface font, optionally secondary.
    static QLabel *label(const QString &text, int pixels, QWidget *parent, QFont::Weight weight = QFont::Normal,
                         bool secondaryColor = false);
    // Gives a label a text colour of its own.
    static void setTextColor(QLabel *label, const QColor &color);
    // A thin horizontal line.
    static QFrame *divider(QWidget *parent);
};
