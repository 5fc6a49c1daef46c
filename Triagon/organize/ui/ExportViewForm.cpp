// The Organize Clips sheet's form: the scope, destination and options
// sections in the left column, the summary column on the right, the footer
// with the organize button.
#include "organize/ui/ExportView.h"

#include "app/SymbolCatalog.h"
#include "app/widgets/ElidedLabel.h"
#include "app/widgets/SegmentedControl.h"
#include "library/ClipStore.h"
#include "organize/FolderPlan.h"
#include "organize/ui/ExportViewStyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace ExportViewStyle;

namespace {

constexpr int kFormHeight = 460;

QScrollArea *scrollColumn(QWidget *content, bool indicators, QWidget *parent)
{
    auto *scroll = new QScrollArea(parent);
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(indicators ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    // Tab reaches the controls inside, and the column scrolls to them; the
    // column itself needs no focus.
    scroll->setFocusPolicy(Qt::NoFocus);
    return scroll;
}

// The red box of the different-volume warning: red at 8 % inside, an outline
// at 25 %, corners of 8.
class WarningBox : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor fill = red(), stroke = red();
        fill.setAlphaF(0.08);
        stroke.setAlphaF(0.25);
        QPainterPath box;
        box.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
        p.fillPath(box, fill);
        p.setPen(QPen(stroke, 1));
        p.drawPath(box);
    }
};

} // namespace

QWidget *ExportView::buildForm()
{
    auto *page = new QWidget(this);
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *columns = new QWidget(page);
    columns->setFixedHeight(kFormHeight);
    auto *row = new QHBoxLayout(columns);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    auto *left = new QWidget(columns);
    auto *leftColumn = new QVBoxLayout(left);
    leftColumn->setContentsMargins(20, 20, 20, 20);
    leftColumn->setSpacing(12);
    leftColumn->addWidget(buildScopeSection());
    leftColumn->addWidget(hairline(left));
    leftColumn->addWidget(buildDestinationSection());
    leftColumn->addWidget(hairline(left));
    leftColumn->addWidget(buildOptionsSection());
    leftColumn->addStretch(1);
    row->addWidget(scrollColumn(left, true, columns), 1);
    row->addWidget(hairline(columns, Qt::Vertical));
    row->addWidget(scrollColumn(buildSummaryColumn(), false, columns), 1);

    column->addWidget(columns);
    column->addWidget(hairline(page));
    column->addWidget(buildFooter());
    return page;
}

QWidget *ExportView::buildScopeSection()
{
    auto *section = new QWidget(this);
    auto *column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(heading(QStringLiteral("Clips to organize"), section));

    m_scopePicker = new QComboBox(section);
    m_scopePicker->setObjectName(QStringLiteral("scopePicker"));
    m_scopePicker->setAccessibleName(QStringLiteral("Clips to organize"));
    for (ExportScope scope : allExportScopes())
        m_scopePicker->addItem(rawValue(scope));
    m_scopePicker->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_scopePicker, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && index < allExportScopes().size())
            setScope(allExportScopes().at(index));
    });
    column->addWidget(m_scopePicker);

    m_scopeHelp = label(QString(), 11, section, QFont::Normal, true);
    m_scopeHelp->setObjectName(QStringLiteral("scopeHelp"));
    m_scopeHelp->setWordWrap(true);
    column->addWidget(m_scopeHelp);
    return section;
}

QWidget *ExportView::buildDestinationSection()
{
    auto *section = new QWidget(this);
    auto *column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(heading(QStringLiteral("Destination"), section));

    auto *destinationRow = new QWidget(section);
    auto *row = new QHBoxLayout(destinationRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    m_noDestination = label(QStringLiteral("No destination selected"), 12, destinationRow, QFont::Normal, true);
    m_noDestination->setObjectName(QStringLiteral("noDestination"));
    row->addWidget(m_noDestination);
    m_destinationIcon = symbol(QStringLiteral("folder.fill"), 14, accentColor(), destinationRow);
    row->addWidget(m_destinationIcon);
    // Shortened at its start, so that the last folders of the path stay visible.
    m_destinationPath = new ElidedLabel(Qt::ElideLeft, destinationRow);
    m_destinationPath->setObjectName(QStringLiteral("destinationPath"));
    m_destinationPath->setFont(sizedFont(this, 12));
    row->addWidget(m_destinationPath, 1);
    row->addStretch(0);
    auto *choose = new QPushButton(QStringLiteral("Choose\u2026"), destinationRow);
    choose->setObjectName(QStringLiteral("chooseButton"));
    choose->setAutoDefault(false);
    connect(choose, &QPushButton::clicked, this, &ExportView::chooseDestination);
    row->addWidget(choose);
    column->addWidget(destinationRow);

    m_placePicker = new SegmentedControl({QStringLiteral("New folder"), QStringLiteral("Selected folder")}, section);
    m_placePicker->setObjectName(QStringLiteral("placePicker"));
    m_placePicker->setAccessibleName(QStringLiteral("Place clips in"));
    connect(m_placePicker, &SegmentedControl::currentIndexChanged, this, [this](int index) { setCreateFolder(index == 0); });
    auto *placeRow = new QWidget(section);
    auto *placeLayout = new QHBoxLayout(placeRow);
    placeLayout->setContentsMargins(0, 0, 0, 0);
    placeLayout->setSpacing(8);
    placeLayout->addWidget(label(QStringLiteral("Place clips in"), 13, placeRow));
    placeLayout->addWidget(m_placePicker);
    placeLayout->addStretch(1);
    column->addWidget(placeRow);

    m_folderNameField = new QLineEdit(section);
    m_folderNameField->setObjectName(QStringLiteral("folderNameField"));
    m_folderNameField->setPlaceholderText(QStringLiteral("Folder name"));
    m_folderNameField->setAccessibleName(QStringLiteral("Folder name"));
    m_folderNameField->setText(m_folderName);
    connect(m_folderNameField, &QLineEdit::textEdited, this, &ExportView::setFolderName);
    column->addWidget(m_folderNameField);
    m_folderNameError = label(QString(), 11, section);
    m_folderNameError->setObjectName(QStringLiteral("folderNameError"));
    setTextColor(m_folderNameError, red());
    column->addWidget(m_folderNameError);
    m_placeHint = label(QStringLiteral("Rating or tag folders will be placed directly here."), 11, section, QFont::Normal, true);
    m_placeHint->setObjectName(QStringLiteral("placeHint"));
    column->addWidget(m_placeHint);

    m_volumeWarning = new WarningBox(section);
    m_volumeWarning->setObjectName(QStringLiteral("volumeWarning"));
    auto *warningRow = new QHBoxLayout(m_volumeWarning);
    warningRow->setContentsMargins(10, 10, 10, 10);
    warningRow->setSpacing(8);
    warningRow->addWidget(symbol(QStringLiteral("xmark.octagon.fill"), 14, red(), m_volumeWarning), 0, Qt::AlignTop);
    auto *warningTexts = new QVBoxLayout;
    warningTexts->setSpacing(3);
    QLabel *warningTitle = label(QStringLiteral("Different volume"), 12, m_volumeWarning, QFont::DemiBold);
    setTextColor(warningTitle, red());
    warningTexts->addWidget(warningTitle);
    QLabel *warningText = label(QStringLiteral("Choose a folder on the same drive as your footage to move these clips."), 11,
                                m_volumeWarning, QFont::Normal, true);
    warningText->setWordWrap(true);
    warningTexts->addWidget(warningText);
    warningRow->addLayout(warningTexts, 1);
    column->addWidget(m_volumeWarning);
    return section;
}

QWidget *ExportView::buildOptionsSection()
{
    auto *section = new QWidget(this);
    auto *column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    column->addWidget(heading(QStringLiteral("Options"), section));

    auto *organization = new QVBoxLayout;
    organization->setSpacing(6);
    organization->addWidget(label(QStringLiteral("Organize folders by"), 13, section));
    QStringList titles;
    for (FolderOrganization value : allFolderOrganizations())
        titles.append(rawValue(value));
    m_organizationPicker = new SegmentedControl(titles, section);
    m_organizationPicker->setObjectName(QStringLiteral("organizationPicker"));
    m_organizationPicker->setAccessibleName(QStringLiteral("Organize folders by"));
    m_organizationPicker->setFixedWidth(200);
    connect(m_organizationPicker, &SegmentedControl::currentIndexChanged, this, [this](int index) {
        // The choice lives in the store: the sidebar's preview and the next
        // presentation of the sheet see it too.
        m_store.setFolderOrganization(allFolderOrganizations().at(index));
    });
    organization->addWidget(m_organizationPicker);
    m_organizationHelp = label(QString(), 11, section, QFont::Normal, true);
    m_organizationHelp->setObjectName(QStringLiteral("organizationHelp"));
    m_organizationHelp->setWordWrap(true);
    organization->addWidget(m_organizationHelp);
    column->addLayout(organization);

    auto *manifest = new QVBoxLayout;
    manifest->setSpacing(2);
    m_manifestToggle = new QCheckBox(QStringLiteral("Generate JSON manifest"), section);
    m_manifestToggle->setObjectName(QStringLiteral("manifestToggle"));
    m_manifestToggle->setFont(sizedFont(this, 13));
    m_manifestToggle->setAccessibleDescription(QStringLiteral("Include ratings, tags, and file paths."));
    connect(m_manifestToggle, &QCheckBox::toggled, this, &ExportView::setGenerateManifest);
    manifest->addWidget(m_manifestToggle);
    QLabel *manifestHelp = label(QStringLiteral("Include ratings, tags, and file paths."), 11, section, QFont::Normal, true);
    manifestHelp->setContentsMargins(24, 0, 0, 0);
    manifest->addWidget(manifestHelp);
    column->addLayout(manifest);
    return section;
}

QWidget *ExportView::buildFooter()
{
    auto *footer = new QWidget(this);
    auto *row = new QHBoxLayout(footer);
    row->setContentsMargins(20, 20, 20, 20);
    row->addStretch(1);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), footer);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    row->addWidget(cancel);

    m_organizeButton = new QPushButton(footer);
    m_organizeButton->setObjectName(QStringLiteral("organizeButton"));
    // White on the accent, as the button's text.
    QIcon check;
    for (const qreal dpr : {1.0, 2.0})
        check.addPixmap(SymbolCatalog::pixmap(QStringLiteral("checkmark.circle.fill/organize"), 14, Qt::white, dpr));
    m_organizeButton->setIcon(check);
    m_organizeButton->setDefault(true);
    m_organizeButton->setAutoDefault(true);
    m_organizeButton->setCursor(Qt::PointingHandCursor);
    connect(m_organizeButton, &QPushButton::clicked, this, &ExportView::startOrganize);
    row->addWidget(m_organizeButton);
    return footer;
}

void ExportView::refreshForm()
{
    const QList<Clip> clips = m_store.clipsInScope(m_scope);

    {
        const QSignalBlocker block(m_scopePicker);
        m_scopePicker->setCurrentIndex(static_cast<int>(allExportScopes().indexOf(m_scope)));
    }
    m_scopeHelp->setText(scopeHelpText(m_scope));

    m_noDestination->setVisible(!m_exportURL);
    m_destinationIcon->setVisible(bool(m_exportURL));
    m_destinationIcon->setPixmap(SymbolCatalog::pixmap(QStringLiteral("folder.fill"), 14, accentColor(), devicePixelRatioF()));
    m_destinationPath->setVisible(bool(m_exportURL));
    const QString path = m_exportURL ? (m_exportURL->isLocalFile() ? m_exportURL->toLocalFile() : m_exportURL->toString()) : QString();
    m_destinationPath->setText(path);
    m_destinationPath->setToolTip(path);

    m_placePicker->setCurrentIndex(m_createFolder ? 0 : 1);
    m_folderNameField->setVisible(m_createFolder);
    if (m_folderNameField->text() != m_folderName)
        m_folderNameField->setText(m_folderName);
    const std::optional<QString> nameError = m_createFolder ? FolderPlan::validateFolderName(m_folderName) : std::nullopt;
    m_folderNameError->setText(nameError.value_or(QString()));
    m_folderNameError->setVisible(bool(nameError));
    m_placeHint->setVisible(!m_createFolder);
    m_volumeWarning->setVisible(isDifferentVolume());

    const FolderOrganization organization = m_store.folderOrganization();
    m_organizationPicker->setCurrentIndex(static_cast<int>(allFolderOrganizations().indexOf(organization)));
    m_organizationHelp->setText(textsOf(organization).sheetHelp);
    {
        const QSignalBlocker block(m_manifestToggle);
        m_manifestToggle->setChecked(m_generateManifest);
    }

    const int count = static_cast<int>(clips.size());
    m_organizeButton->setText(moveButtonText(count));
    m_organizeButton->setEnabled(canOrganize());
    const QColor accent = accentColor();
    m_organizeButton->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: white; border: none; border-radius: 6px;"
                                                   " padding: 5px 14px; font-weight: 600; }"
                                                   "QPushButton:hover { background: %2; }"
                                                   "QPushButton:disabled { background: palette(mid); color: palette(dark); }")
                                        .arg(accent.name(), accent.lighter(110).name()));
}
