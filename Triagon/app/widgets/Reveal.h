#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

// Showing files and folders in the desktop's file manager.
//
// A file is shown selected in its folder: the file manager is asked over
// D-Bus (org.freedesktop.FileManager1 ShowItems); when none answers, the
// containing folder is opened with the desktop's launcher instead, but only
// when the application the desktop opens folders with is neither missing nor
// Triagon itself (which would import the folder). When nothing can show it,
// the user is told so, with the path of the folder the file is in, in an
// alert over `parent`'s window.
// Both return at once; the answer comes later.
void revealInFileManager(const QUrl &url, QWidget *parent);
// Opens a folder itself (the folder of an organize run), with the same alert
// when it cannot be opened.
void openFolderInFileManager(const QUrl &folder, QWidget *parent);

// The folder that the fallback opens for `url`: the parent folder of the item.
QUrl containingFolderUrl(const QUrl &url);

// How the desktop is asked: show `item` selected in `folder`, or, for an
// empty item, open `folder`; `done(shown)` runs once, on the GUI thread.
using FileManagerRequest = std::function<void(const QUrl &item, const QUrl &folder, std::function<void(bool shown)> done)>;
// Replaces how the desktop is asked (tests); an empty function restores the
// desktop's own file manager.
void setFileManagerRequest(FileManagerRequest request);

// How a folder is handed to the desktop's launcher (QDesktopServices::openUrl);
// `open` returns whether the launcher took it. Replaced by tests; an empty
// function restores the launcher.
using UrlOpener = std::function<bool(const QUrl &folder)>;
void setUrlOpener(UrlOpener open);

// The alert's texts.
QString revealFailureTitle();
QString revealFailureText(bool folderItself);
