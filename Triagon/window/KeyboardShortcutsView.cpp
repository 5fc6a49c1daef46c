#include "window/KeyboardShortcutsView.h"

#include "app/widgets/WidgetStyle.h"
#include "app/SymbolCatalog.h"
#include "window/SymbolButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

KeyboardShortcutsView::KeyboardShortcutsView(const QList<Section> &sections, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("keyboardShortcutsSheet"));
    setWindowTitle(QStringLiteral("Keyboard Shortcuts"));
    setFixedSize(sheetWidth, sheetHeight);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(20, 20, 20, 20);
    header->addWidget(WidgetStyle::label(QStringLiteral("Keyboard Shortcuts"), 18, this, QFont::Bold));
    header->addStretch(1);
    m_close = new SymbolButton(QString(), SymbolCatalog::drawer(QStringLiteral("xmark.circle.fill")), 18, this);
    m_close->setObjectName(QStringLiteral("closeButton"));
    m_close->setAccessibleName(QStringLiteral("Close"));
    connect(m_close, &QAbstractButton::clicked, this, &QDialog::reject);
    header->addWidget(m_close);
    column->addLayout(header);
    column->addWidget(WidgetStyle::hairline(this));

    auto *scroll = new QScrollArea(this);
    // It takes the focus so that the keys scroll the list: a screen reader
    // names it then.
    scroll->setAccessibleName(QStringLiteral("Shortcuts"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *content = new QWidget(scroll);
    auto *blocks = new QVBoxLayout(content);
    blocks->setContentsMargins(20, 20, 20, 20);
    blocks->setSpacing(20);
    for (const Section &section : sections) {
        auto *block = new QVBoxLayout;
        block->setSpacing(8);
        QLabel *title = WidgetStyle::secondaryLabel(section.title, 14, content, QFont::DemiBold);
        block->addWidget(title);
        m_titles.append(title);
        QList<QPair<QLabel *, QLabel *>> rows;
        for (const auto &shortcut : section.shortcuts) {
            auto *row = new QHBoxLayout;
            row->setSpacing(0);
            QLabel *keys = WidgetStyle::label(shortcut.first, 12, content, QFont::Medium);
            QFont mono = keys->font();
            mono.setFamily(QStringLiteral("monospace"));
            mono.setStyleHint(QFont::Monospace);
            keys->setFont(mono);
            // The action texts all start at the same place.
            keys->setFixedWidth(keyColumnWidth);
            QLabel *action = WidgetStyle::secondaryLabel(shortcut.second, 12, content);
            row->addWidget(keys);
            row->addWidget(action);
            row->addStretch(1);
            block->addLayout(row);
            rows.append(qMakePair(keys, action));
        }
        m_rows.append(rows);
        blocks->addLayout(block);
    }
    blocks->addStretch(1);
    scroll->setWidget(content);
    column->addWidget(scroll, 1);
    column->addWidget(WidgetStyle::hairline(this));

    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(16, 16, 16, 16);
    footer->addStretch(1);
    m_done = new QPushButton(QStringLiteral("Done"), this);
    m_done->setObjectName(QStringLiteral("doneButton"));
    m_done->setDefault(true);
    connect(m_done, &QPushButton::clicked, this, &QDialog::accept);
    footer->addWidget(m_done);
    column->addLayout(footer);
}
