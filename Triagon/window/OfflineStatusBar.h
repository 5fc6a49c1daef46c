#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The bar across the top of the grid area while clips are offline: a drive
// symbol, "N file(s) offline · Review saved", and "Locate Files…".
class OfflineStatusBar : public QWidget
{
    Q_OBJECT
public:
    explicit OfflineStatusBar(QWidget *parent = nullptr);

    void setOfflineCount(qsizetype count);
    QString text() const;
    QPushButton *locateButton() const { return m_button; }

    // "1 file offline · Review saved", "3 files offline · Review saved".
    static QString textFor(qsizetype offlineCount);

Q_SIGNALS:
    void locateFiles();

protected:
    void changeEvent(QEvent *event) override;

private:
    void showIcon();

    QLabel *m_icon = nullptr;
    QLabel *m_text = nullptr;
    QPushButton *m_button = nullptr;
};
