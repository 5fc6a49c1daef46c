#pragma once

#include <QDialog>
#include <QList>
#include <QUrl>
#include <QUuid>

#include <functional>
#include <optional>
#include <tuple>

class ClipStore;
class QLabel;
class QPushButton;
class QVBoxLayout;
class QWidget;

// The sheet "Locate Offline Files": the session's clips whose files are gone,
// each with "Locate…" to point it at its file again, and "Check Again" after
// reconnecting a drive. The clip keeps its name, decisions and identity; a
// refused file leaves it offline and shows why under the list. Follows the
// store's clips; only "Done" (or Escape) closes it.
class MissingMediaView : public QDialog
{
    Q_OBJECT
public:
    // Asks the user for one existing file; no value when cancelled.
    using LocatePanel = std::function<std::optional<QUrl>(QWidget *parent, const QString &message, const QUrl &original)>;

    static constexpr int sheetWidth = 580;
    static constexpr int sheetHeight = 400;

    explicit MissingMediaView(ClipStore &store, QWidget *parent = nullptr);

    // Replaces the file panel (tests answer without a dialog).
    void setLocatePanel(LocatePanel panel);
    // The window's file panel: a modal file dialog for a single file.
    static std::optional<QUrl> runFilePanel(QWidget *parent, const QString &message, const QUrl &original);
    // "Locate the original file for A001.mov".
    static QString locateMessage(const QString &filename);

    // "Locate…" for one clip: asks for the file and relinks the clip to it.
    void locate(const QUuid &clipID);

    const std::optional<QString> &locateError() const { return m_locateError; }
    QPushButton *doneButton() const { return m_done; }
    // One row per offline clip, in store order.
    QList<QWidget *> rows() const { return m_rows; }
    // The "Locate…" button of a row.
    static QPushButton *locateButtonOf(QWidget *row);

private:
    void refresh();
    void setLocateError(const std::optional<QString> &error);

    ClipStore &m_store;
    LocatePanel m_panel;
    std::optional<QString> m_locateError;
    QPushButton *m_done = nullptr;
    // Shown while no clip is offline.
    QWidget *m_allAvailable = nullptr;
    QWidget *m_list = nullptr;
    QVBoxLayout *m_listLayout = nullptr;
    QList<QWidget *> m_rows;
    // What the rows show now: id, name and path of each offline clip.
    QList<std::tuple<QUuid, QString, QUrl>> m_shown;
    QLabel *m_error = nullptr;
    QPushButton *m_checkAgain = nullptr;
};
