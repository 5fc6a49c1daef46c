#include "window/MissingMediaView.h"

#include "app/widgets/WidgetStyle.h"
#include "library/ClipStore.h"
#include "app/SymbolCatalog.h"
#include "window/PathLabel.h"
#include "window/SheetChrome.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

MissingMediaView::MissingMediaView(ClipStore &store, QWidget *parent)
    : QDialog(parent), m_store(store), m_panel(&MissingMediaView::runFilePanel)
{
    setObjectName(QStringLiteral("missingMediaSheet"));
    setWindowTitle(QStringLiteral("Locate Offline Files"));
    setFixedSize(sheetWidth, sheetHeight);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(16);

    auto *header = new QHBoxLayout;
    header->addWidget(WidgetStyle::label(QStringLiteral("Locate Offline Files"), SheetChrome::title2Pixels, this, QFont::Bold));
    header->addStretch(1);
    m_done = new QPushButton(QStringLiteral("Done"), this);
    m_done->setObjectName(QStringLiteral("doneButton"));
    m_done->setAutoDefault(false);
    connect(m_done, &QPushButton::clicked, this, &QDialog::reject);
    header->addWidget(m_done);
    column->addLayout(header);

    QLabel *explanation = WidgetStyle::secondaryLabel(
        QStringLiteral("Reconnect your drive and check again, or locate each original file. Ratings, tags, and hand markers stay saved."),
        SheetChrome::bodyPixels, this);
    explanation->setWordWrap(true);
    column->addWidget(explanation);

    m_allAvailable = new QWidget(this);
    m_allAvailable->setObjectName(QStringLiteral("allAvailable"));
    auto *available = new QHBoxLayout(m_allAvailable);
    available->setContentsMargins(0, 0, 0, 0);
    auto *check = new QLabel(m_allAvailable);
    QPixmap mark(16 * devicePixelRatio(), 16 * devicePixelRatio());
    mark.setDevicePixelRatio(devicePixelRatio());
    mark.fill(Qt::transparent);
    {
        QPainter p(&mark);
        p.setRenderHint(QPainter::Antialiasing, true);
        SymbolCatalog::draw(p, QRectF(0, 0, 16, 16), u"checkmark.circle", palette().color(QPalette::WindowText));
    }
    check->setPixmap(mark);
    available->addWidget(check);
    available->addWidget(WidgetStyle::label(QStringLiteral("All files are available"), SheetChrome::bodyPixels, m_allAvailable));
    available->addStretch(1);
    column->addWidget(m_allAvailable);

    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("offlineList"));
    // Tab goes to the rows' "Locate…" buttons, and the list scrolls to them;
    // the list itself needs no focus.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list = scroll;
    auto *listContent = new QWidget(scroll);
    m_listLayout = new QVBoxLayout(listContent);
    m_listLayout->setContentsMargins(8, 4, 8, 4);
    m_listLayout->setSpacing(0);
    m_listLayout->addStretch(1);
    scroll->setWidget(listContent);
    column->addWidget(scroll, 1);

    m_error = WidgetStyle::label(QString(), SheetChrome::captionPixels, this);
    m_error->setObjectName(QStringLiteral("locateError"));
    m_error->setWordWrap(true);
    QPalette red = m_error->palette();
    red.setColor(QPalette::WindowText, QColor(255, 59, 48));
    m_error->setPalette(red);
    m_error->hide();
    column->addWidget(m_error);

    m_checkAgain = new QPushButton(QStringLiteral("Check Again"), this);
    m_checkAgain->setObjectName(QStringLiteral("checkAgainButton"));
    m_checkAgain->setAutoDefault(false);
    connect(m_checkAgain, &QPushButton::clicked, this, [this] { m_store.refreshAvailability(); });
    column->addWidget(m_checkAgain, 0, Qt::AlignLeft);
    column->addStretch(0);

    connect(&m_store, &ClipStore::clipsChanged, this, &MissingMediaView::refresh);
    refresh();
}

void MissingMediaView::setLocatePanel(LocatePanel panel)
{
    m_panel = panel ? std::move(panel) : LocatePanel(&MissingMediaView::runFilePanel);
}

QString MissingMediaView::locateMessage(const QString &filename)
{
    return QStringLiteral("Locate the original file for ") + filename;
}

std::optional<QUrl> MissingMediaView::runFilePanel(QWidget *parent, const QString &message, const QUrl &original)
{
    QFileDialog dialog(parent, message);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Start where the file used to be, when that folder is still there.
    const QString folder = QFileInfo(original.toLocalFile()).absolutePath();
    dialog.setDirectory(QFileInfo(folder).isDir() ? folder : QDir::homePath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedUrls().isEmpty())
        return std::nullopt;
    return dialog.selectedUrls().constFirst();
}

void MissingMediaView::locate(const QUuid &clipID)
{
    const std::optional<qsizetype> at = m_store.indexOfClip(clipID);
    if (!at)
        return;
    const Clip clip = m_store.clips().at(*at);
    const std::optional<QUrl> chosen = m_panel(this, locateMessage(clip.filename), clip.url);
    // Cancelled: an earlier message stays.
    if (!chosen)
        return;
    const std::optional<DomainError> refusal = m_store.relinkClip(clip.id, *chosen);
    setLocateError(refusal ? std::optional<QString>(refusal->localizedDescription) : std::nullopt);
}

void MissingMediaView::setLocateError(const std::optional<QString> &error)
{
    m_locateError = error;
    m_error->setText(error.value_or(QString()));
    m_error->setVisible(error.has_value());
}

QPushButton *MissingMediaView::locateButtonOf(QWidget *row)
{
    return row ? row->findChild<QPushButton *>(QStringLiteral("locateButton")) : nullptr;
}

void MissingMediaView::refresh()
{
    const QList<Clip> offline = m_store.offlineClips();
    QList<std::tuple<QUuid, QString, QUrl>> shown;
    shown.reserve(offline.size());
    for (const Clip &clip : offline)
        shown.append({clip.id, clip.filename, clip.url});
    m_allAvailable->setVisible(offline.isEmpty());
    m_list->setVisible(!offline.isEmpty());
    if (shown == m_shown)
        return;
    m_shown = shown;

    for (QWidget *row : std::as_const(m_rows)) {
        m_listLayout->removeWidget(row);
        row->deleteLater();
    }
    m_rows.clear();
    QWidget *content = m_listLayout->parentWidget();
    for (const Clip &clip : offline) {
        auto *row = new QWidget(content);
        row->setObjectName(QStringLiteral("offlineRow"));
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 4, 0, 4);
        auto *texts = new QVBoxLayout;
        texts->setSpacing(2);
        QLabel *name = WidgetStyle::label(clip.filename, SheetChrome::bodyPixels, row);
        name->setObjectName(QStringLiteral("filename"));
        texts->addWidget(name);
        auto *path = new PathLabel(clip.url.toLocalFile(), 2, row);
        path->setObjectName(QStringLiteral("path"));
        texts->addWidget(path);
        layout->addLayout(texts, 1);
        auto *locateButton = new QPushButton(QStringLiteral("Locate\u2026"), row);
        locateButton->setObjectName(QStringLiteral("locateButton"));
        locateButton->setAutoDefault(false);
        const QUuid id = clip.id;
        connect(locateButton, &QPushButton::clicked, this, [this, id] { locate(id); });
        layout->addWidget(locateButton, 0, Qt::AlignVCenter);
        m_listLayout->insertWidget(m_listLayout->count() - 1, row);
        row->show();
        m_rows.append(row);
    }
}
