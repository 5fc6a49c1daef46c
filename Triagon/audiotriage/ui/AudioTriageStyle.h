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
    // The application palette's secondary text colour.
    static QColor secondary();
    // A label in the interface font, optionally secondary.
    static QLabel *label(const QString &text, int pixels, QWidget *parent, QFont::Weight weight = QFont::Normal,
                         bool secondaryColor = false);
    // Gives a label a text colour of its own.
    static void setTextColor(QLabel *label, const QColor &color);
    // Text in the secondary colour, or in the primary one at 80 %; such
    // labels follow a change of the application's palette through
    // refreshTextColors().
    static void makeSecondary(QLabel *label);
    static void makeMuted(QLabel *label);
    static void refreshTextColors(QWidget *root);
    // A thin horizontal line.
    static QFrame *divider(QWidget *parent);
};
