#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The bar above the grid while clips are selected: "N selected", with
// " · M hidden by filters" when the filters hide some of them, and
// "Clear Selection".
class SelectionBar : public QWidget
{
    Q_OBJECT
public:
    explicit SelectionBar(QWidget *parent = nullptr);

    void setCounts(qsizetype selected, qsizetype hidden);
    QString text() const;
    QPushButton *clearButton() const { return m_button; }

    static QString textFor(qsizetype selected, qsizetype hidden);

Q_SIGNALS:
    void clearSelection();

private:
    QLabel *m_text = nullptr;
    QPushButton *m_button = nullptr;
};
