#pragma once

#include <QDialog>
#include <QString>
#include <QWidget>

#include <type_traits>

// Presents a window's sheet while a flag of the window is set, and takes it
// away when the flag is cleared. Each presentation is a new sheet, a
// window-modal dialog over the host (found again as the host's direct child of
// the sheet's type); the sheet itself only asks to go, by calling the close
// action it was made with, which clears the flag and so comes back here.
namespace SheetPresenter {

// The sheet of type `Sheet` presented over `host`, or null.
template <typename Sheet>
Sheet *presented(const QWidget *host)
{
    return host ? host->findChild<Sheet *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

// Shows a new sheet window-modal over its parent and gives it the focus.
void show(QDialog *sheet);
// Hides a sheet, cuts it loose from its window (so that it is no longer
// found as the window's sheet, also before it is deleted) and deletes it
// once its caller has returned.
void retire(QDialog *sheet);

// While `shown`, makes sure one sheet of type `Sheet` is presented over
// `host`: `make()` builds it (a dialog whose parent is `host`). A presented
// sheet for which `current(sheet)` is false is replaced by a new one. When
// not `shown`, retires the presented sheet. Returns the sheet presented now.
template <typename Sheet, typename Make, typename Current>
Sheet *present(QWidget *host, bool shown, Make &&make, Current &&current)
{
    static_assert(std::is_base_of_v<QDialog, Sheet>);
    Sheet *sheet = presented<Sheet>(host);
    if (sheet && (!shown || !current(sheet))) {
        retire(sheet);
        sheet = nullptr;
    }
    if (shown && !sheet) {
        sheet = make();
        show(sheet);
    }
    return sheet;
}

template <typename Sheet, typename Make>
Sheet *present(QWidget *host, bool shown, Make &&make)
{
    return present<Sheet>(host, shown, std::forward<Make>(make), [](const Sheet *) { return true; });
}

} // namespace SheetPresenter
