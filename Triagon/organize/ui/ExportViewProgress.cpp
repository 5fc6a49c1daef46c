// The Organize Clips sheet while a run works (progress) and after it (result).
#include "organize/ui/ExportView.h"

#include "app/widgets/ElidedLabel.h"
#include "library/ClipStore.h"
#include "organize/ui/ExportViewStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

using namespace ExportViewStyle;

QWidget *ExportView::buildProgressView()
{
    auto *view = new QWidget(this);
    view->setObjectName(QStringLiteral("commitProgressView"));
    auto *column = new QVBoxLayout(view);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(20);
    column->addStretch(1);

    m_progressBar = new QProgressBar(view);
    m_progressBar->setObjectName(QStringLiteral("commitProgress"));
    m_progressBar->setRange(0, 1000);
    m_progressBar->setTextVisible(false);
    m_progressBar->setFixedWidth(320);
    m_progressBar->setAccessibleName(QStringLiteral("Commit progress"));
    column->addWidget(m_progressBar, 0, Qt::AlignHCenter);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(6);
    QLabel *moving = label(QStringLiteral("Moving clips..."), 14, view, QFont::DemiBold);
    texts->addWidget(moving, 0, Qt::AlignHCenter);
    m_currentFile = new ElidedLabel(Qt::ElideMiddle, view);
    m_currentFile->setObjectName(QStringLiteral("currentFile"));
    m_currentFile->setFont(sizedFont(view, 12, QFont::Normal, true));
    WidgetStyle::setSecondaryText(m_currentFile);
    m_currentFile->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    texts->addWidget(m_currentFile);
    m_percentText = label(QString(), 12, view, QFont::Normal, true);
    m_percentText->setObjectName(QStringLiteral("percentText"));
    texts->addWidget(m_percentText, 0, Qt::AlignHCenter);
    column->addLayout(texts);
    column->addStretch(1);
    view->setMinimumHeight(260);
    return view;
}

void ExportView::refreshProgress()
{
    // What the store holds now; the view keeps nothing of its own.
    const double progress = m_store.exportProgress();
    const int shown = percent(progress);
    const double clamped = std::isfinite(progress) ? qBound(0.0, progress, 1.0) : 0.0;
    m_progressBar->setValue(static_cast<int>(clamped * 1000));
    m_progressBar->setAccessibleDescription(QString::number(shown) + QStringLiteral(" percent"));
    const QString file = m_store.exportCurrentFile();
    m_currentFile->setVisible(!file.isEmpty());
    m_currentFile->setText(file);
    m_percentText->setText(QString::number(shown) + QLatin1Char('%'));
}

QWidget *ExportView::buildResultView(const ExportResult &result)
{
    auto *view = new QWidget(this);
    view->setObjectName(QStringLiteral("resultView"));
    auto *column = new QVBoxLayout(view);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    column->addStretch(1);

    const bool clean = result.errors.isEmpty();
    QLabel *icon = symbol(clean ? QStringLiteral("checkmark.circle.fill/organize") : QStringLiteral("exclamationmark.triangle.fill"), 48,
                          clean ? green() : orange(), view);
    icon->setObjectName(QStringLiteral("resultIcon"));
    column->addWidget(icon, 0, Qt::AlignHCenter);
    QLabel *title = label(clean ? QStringLiteral("Clips Organized") : QStringLiteral("Finished with Issues"), 16, view, QFont::DemiBold);
    title->setObjectName(QStringLiteral("resultTitle"));
    column->addWidget(title, 0, Qt::AlignHCenter);

    auto *lines = new QVBoxLayout;
    lines->setSpacing(4);
    QLabel *moved = label(movedText(result.movedCount), 13, view);
    moved->setObjectName(QStringLiteral("movedLine"));
    lines->addWidget(moved, 0, Qt::AlignHCenter);
    if (result.skippedCount > 0) {
        QLabel *skipped = label(leftInPlaceText(result.skippedCount), 13, view, QFont::Normal, true);
        skipped->setObjectName(QStringLiteral("skippedLine"));
        lines->addWidget(skipped, 0, Qt::AlignHCenter);
    }
    if (!clean) {
        // Collapsed at first; every error, verbatim and selectable, when opened.
        auto *disclosure = new QToolButton(view);
        disclosure->setObjectName(QStringLiteral("errorDisclosure"));
        disclosure->setText(errorCountText(static_cast<int>(result.errors.size())));
        disclosure->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        disclosure->setArrowType(Qt::RightArrow);
        disclosure->setCheckable(true);
        disclosure->setAutoRaise(true);
        disclosure->setFont(sizedFont(view, 13));
        disclosure->setStyleSheet(QStringLiteral("QToolButton { color: %1; border: none; }").arg(red().name()));
        disclosure->setAccessibleDescription(QStringLiteral("collapsed"));
        lines->addWidget(disclosure, 0, Qt::AlignHCenter);
        auto *list = new QWidget(view);
        list->setObjectName(QStringLiteral("errorList"));
        auto *listColumn = new QVBoxLayout(list);
        listColumn->setContentsMargins(0, 0, 0, 0);
        listColumn->setSpacing(2);
        for (const QString &error : result.errors) {
            QLabel *line = label(error, 11, list, QFont::Normal, true);
            line->setFont(sizedFont(list, 11, QFont::Normal, true));
            line->setWordWrap(true);
            line->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
            line->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            listColumn->addWidget(line);
        }
        list->setVisible(false);
        connect(disclosure, &QToolButton::toggled, this, [disclosure, list](bool open) {
            disclosure->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
            disclosure->setAccessibleDescription(open ? QStringLiteral("expanded") : QStringLiteral("collapsed"));
            list->setVisible(open);
        });
        lines->addWidget(list);
    }
    column->addLayout(lines);
    column->addStretch(1);

    auto *buttons = new QHBoxLayout;
    if (result.exportFolder) {
        auto *reveal = new QPushButton(QStringLiteral("Show in File Manager"), view);
        reveal->setObjectName(QStringLiteral("revealButton"));
        reveal->setAutoDefault(false);
        const QUrl folder = *result.exportFolder;
        connect(reveal, &QPushButton::clicked, this, [this, folder] { revealInFinder(folder); });
        buttons->addWidget(reveal);
    }
    buttons->addStretch(1);
    auto *done = new QPushButton(QStringLiteral("Done"), view);
    done->setObjectName(QStringLiteral("doneButton"));
    done->setDefault(true);
    done->setAutoDefault(true);
    const QColor accent = accentColor();
    done->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: white; border: none; border-radius: 6px; padding: 5px 16px;"
                                       " font-weight: 600; } QPushButton:hover { background: %2; }")
                            .arg(accent.name(), accent.lighter(110).name()));
    connect(done, &QPushButton::clicked, this, &ExportView::dismiss);
    buttons->addWidget(done);
    column->addLayout(buttons);
    done->setFocus();
    return view;
}
