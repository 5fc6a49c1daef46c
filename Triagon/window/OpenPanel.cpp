#include "window/OpenPanel.h"

#include "window/FileAndFolderDialog.h"

#include <QDir>

std::optional<QList<QUrl>> OpenPanel::run(const QString &message, const QString &prompt)
{
    FileAndFolderDialog dialog(m_parent);
    dialog.setMessage(message);
    dialog.setPrompt(prompt);
    dialog.setDirectory(m_lastDirectory.isEmpty() ? QDir::homePath() : m_lastDirectory);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    m_lastDirectory = dialog.directory().absolutePath();
    const QList<QUrl> chosen = dialog.chosenUrls();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}
