#pragma once

#include "AppUpdates/ReleaseNotes.h"

#include <QColor>
#include <QDialog>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QScrollArea;

// The sheet that shows a new version's notes once after an update: the logo
// and "What's New in <product> <version>", the sections with their pictures
// and items (inline Markdown rendered) in a scroll area of at most 380 pixels,
// and "Let's Go", which runs `onDismiss` and closes the sheet. Closing it any
// other way (Escape, the window's close button) closes it too; callers learn
// of every closing through QDialog::finished.
class WhatsNewView : public QDialog
{
    Q_OBJECT
public:
    // `logo` becomes the sheet's child (may be null).
    WhatsNewView(const ReleaseNotes &notes, const QString &productName, const QColor &accent, QWidget *logo,
                 std::function<void()> onDismiss, QWidget *parent = nullptr);

    static constexpr int sheetWidth = 480;
    static constexpr int maxScrollHeight = 380;

    // The picture name of a section title (exact, case-sensitive match);
    // "circle.fill" for titles without one.
    static QString sectionSymbol(const QString &title);
    // The colour of a section title; nothing (the secondary text colour) for
    // titles without one.
    static std::optional<QColor> sectionColor(const QString &title);

    const ReleaseNotes &notes() const { return m_notes; }
    QLabel *titleLabel() const { return m_title; }
    QPushButton *dismissButton() const { return m_dismiss; }
    // One title label per section, and the item labels of each section.
    const QList<QLabel *> &sectionTitleLabels() const { return m_sectionTitles; }
    const QList<QList<QLabel *>> &itemLabels() const { return m_items; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fitScrollHeight();

    ReleaseNotes m_notes;
    std::function<void()> m_onDismiss;
    QLabel *m_title = nullptr;
    QPushButton *m_dismiss = nullptr;
    QScrollArea *m_scroll = nullptr;
    QWidget *m_content = nullptr;
    QList<QLabel *> m_sectionTitles;
    QList<QList<QLabel *>> m_items;
};
