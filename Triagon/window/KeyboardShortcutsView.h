#pragma once

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

class QLabel;
class QPushButton;
class SymbolButton;

// The sheet "Keyboard Shortcuts": the window's reference card of keys, in
// titled sections of (keys, action) rows. It only shows text; the close
// symbol, "Done" and Return close it.
class KeyboardShortcutsView : public QDialog
{
    Q_OBJECT
public:
    struct Section
    {
        QString title;
        QList<QPair<QString, QString>> shortcuts;
    };

    static constexpr int sheetWidth = 460;
    static constexpr int sheetHeight = 520;
    static constexpr int keyColumnWidth = 160;

    explicit KeyboardShortcutsView(const QList<Section> &sections, QWidget *parent = nullptr);

    SymbolButton *closeButton() const { return m_close; }
    QPushButton *doneButton() const { return m_done; }
    // Per section, its title label and per row the keys and action labels.
    QList<QLabel *> sectionTitles() const { return m_titles; }
    QList<QList<QPair<QLabel *, QLabel *>>> rows() const { return m_rows; }

private:
    SymbolButton *m_close = nullptr;
    QPushButton *m_done = nullptr;
    QList<QLabel *> m_titles;
    QList<QList<QPair<QLabel *, QLabel *>>> m_rows;
};
