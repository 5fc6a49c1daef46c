#pragma once

#include "library/model/ExportFolder.h"

#include <QWidget>

#include <functional>

class QAbstractButton;
class QLabel;
class QPropertyAnimation;
class QVBoxLayout;

// One planned folder of an organize, as a collapsible row of a folder tree:
// a header with the folder's name and file count that expands and collapses,
// and while expanded the first few planned file names with their tag
// annotations. With an open action every file line is a button that opens
// the clip of that name; without one the lines are plain text.
class ExportTreeFolderRow : public QWidget
{
    Q_OBJECT
public:
    using OpenFile = std::function<void(const QString &filename)>;

    ExportTreeFolderRow(ExportFolder folder, OpenFile onOpenFile, bool expanded, int previewLimit, QWidget *parent = nullptr);

    const ExportFolder &folder() const { return m_folder; }
    bool isExpanded() const { return m_expanded; }
    // Flips the file lines in or out, animated, as the header does.
    void toggle();

    QAbstractButton *header() const { return m_header; }
    // The file lines in order (buttons with an open action, else plain
    // widgets), and the line standing for the rest, or null.
    QList<QWidget *> fileLines() const { return m_lines; }
    QLabel *moreLine() const { return m_more; }

    // "5-star folder, 3 files" (one file reads "1 file").
    static QString accessibleHeaderName(const QString &folderName, qsizetype fileCount);
    // "and 3 more...".
    static QString moreText(qsizetype hidden);

private:
    void applyExpanded(bool animated);

    ExportFolder m_folder;
    OpenFile m_onOpenFile;
    bool m_expanded = false;
    QAbstractButton *m_header = nullptr;
    QWidget *m_body = nullptr;
    QList<QWidget *> m_lines;
    QLabel *m_more = nullptr;
    QPropertyAnimation *m_animation = nullptr;
};
