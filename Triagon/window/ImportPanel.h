#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

// The open panel of "Add Clips": one modal dialog in which the user chooses
// folders and video files together. The window supplies the real dialog and
// hands what was chosen to the store; tests supply their own.
class ImportPanel
{
public:
    virtual ~ImportPanel() = default;
    // Runs the dialog with the given message and confirm-button text. No
    // value when the user cancels; otherwise the chosen files and folders.
    virtual std::optional<QList<QUrl>> run(const QString &message, const QString &prompt) = 0;
};
