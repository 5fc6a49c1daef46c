#pragma once

#include "window/ImportPanel.h"

#include <QPointer>
#include <QWidget>

// The window's open panel for "Add Clips" and "Choose Footage": a modal
// FileAndFolderDialog over the main window, starting in the folder last used.
class OpenPanel : public ImportPanel
{
public:
    explicit OpenPanel(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParentWidget(QWidget *parent) { m_parent = parent; }

    std::optional<QList<QUrl>> run(const QString &message, const QString &prompt) override;

private:
    QPointer<QWidget> m_parent;
    QString m_lastDirectory;
};
