#include "podcast/XvqTypePage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace podcast {

namespace {

QPushButton* namedButton(const QString& text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QHBoxLayout* navigationRow(QPushButton* back, QPushButton* next)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    if (back)
        row->addWidget(back);
    row->addWidget(next);
    return row;
}

} // namespace

XvqWelcomePage::XvqWelcomePage(QWidget* parent) : XvqPageWidget(XvqPage::Welcome, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(xvqPageCaption(XvqPage::Welcome), this);
    heading->setObjectName(QStringLiteral("WelcomeLabel"));
    QFont font = heading->font();
    font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setBold(true);
    heading->setFont(font);
    layout->addWidget(heading);
    layout->addStretch();
    doNotShowCheck = new QCheckBox(tr("&Do not show Welcome Screen on Startup"), this);
    doNotShowCheck->setObjectName(QStringLiteral("DonotShowWelcomeCheckBox"));
    layout->addWidget(doNotShowCheck);
    QPushButton* next = namedButton(tr("&Next >>"), "WelcomeNextButton", this);
    layout->addLayout(navigationRow(nullptr, next));
    setNavigationButtons(nullptr, next);
}

void XvqWelcomePage::UIUpdate(PodcastRecord&, const XvqContext&) {}

StepVerdict XvqWelcomePage::Gather(PodcastRecord&, const XvqContext&)
{
    return StepVerdict::Proceed;
}

XvqPodcastTypePage::XvqPodcastTypePage(QWidget* parent) : XvqPageWidget(XvqPage::PodcastType, parent)
{
    newFeedRadio = new QRadioButton(tr("&Create a New Podcast/Podcast Feed:"), this);
    newFeedRadio->setObjectName(QStringLiteral("NewFeedRadioButton"));
    existingFeedRadio = new QRadioButton(tr("&Open Existing Podcast Feed"), this);
    existingFeedRadio->setObjectName(QStringLiteral("ExistingFeedRadioButton"));
    typeLabel = new QLabel(tr("Podcast Type :"), this);
    typeLabel->setObjectName(QStringLiteral("PodcastTypeLabel"));
    typeBox = new QComboBox(this);
    typeBox->setObjectName(QStringLiteral("PodcastTypeComboBox"));
    typeBox->addItems({tr("Podcast Basic"), tr("Podcast with iTunes Tags")});
    typeLabel->setBuddy(typeBox);
    feedFileLabel = new QLabel(tr("Podcast File :"), this);
    feedFileLabel->setObjectName(QStringLiteral("FeedFileLabel"));
    feedFileEdit = new QLineEdit(this);
    feedFileEdit->setObjectName(QStringLiteral("FeedFilePathEdit"));
    feedFileLabel->setBuddy(feedFileEdit);
    browseButton = namedButton(tr("Bro&wse ..."), "FeedFileBrowseButton", this);
    mruCombo = new QComboBox(this);
    mruCombo->setObjectName(QStringLiteral("MruPdiCombo"));
    mruCombo->setEditable(true);
    mruCombo->setInsertPolicy(QComboBox::NoInsert);
    mruCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    gridLabel = new QLabel(tr("Podcast Episode Detail :"), this);
    gridLabel->setObjectName(QStringLiteral("ItemsGridLabel"));
    grid = new QTableWidget(0, 3, this);
    grid->setObjectName(QStringLiteral("ItemsGrid"));
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(false);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setTextElideMode(Qt::ElideRight);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->setStyleSheet(QStringLiteral("QTableWidget::item:selected { background: rgb(175, 190, 219); color: black; }"));
    gridLabel->setBuddy(grid);
    addButton = namedButton(tr("&Add Podcast"), "AddItem", this);
    editButton = namedButton(tr("&Edit Podcast"), "EditItem", this);
    deleteButton = namedButton(tr("&Delete Podcast"), "DeleteItem", this);
    uploadButton = namedButton(tr("&Upload Podcast"), "UploadItem", this);
    setUpGrid();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(newFeedRadio);
    auto* typeRow = new QHBoxLayout;
    typeRow->addSpacing(24);
    typeRow->addWidget(typeLabel);
    typeRow->addWidget(typeBox);
    typeRow->addStretch();
    layout->addLayout(typeRow);
    layout->addWidget(existingFeedRadio);
    auto* fileGrid = new QGridLayout;
    fileGrid->setColumnMinimumWidth(0, 16);
    fileGrid->addWidget(feedFileLabel, 0, 1);
    fileGrid->addWidget(feedFileEdit, 0, 2);
    fileGrid->addWidget(browseButton, 0, 3);
    fileGrid->addWidget(mruCombo, 1, 2, 1, 2);
    fileGrid->setColumnStretch(2, 1);
    layout->addLayout(fileGrid);
    layout->addWidget(gridLabel);
    auto* gridRow = new QHBoxLayout;
    gridRow->addWidget(grid, 1);
    auto* gridButtons = new QVBoxLayout;
    for (QPushButton* button : {addButton, editButton, deleteButton, uploadButton})
        gridButtons->addWidget(button);
    gridButtons->addStretch();
    gridRow->addLayout(gridButtons);
    layout->addLayout(gridRow, 1);
    QPushButton* back = namedButton(tr("<< &Back"), "TypeBackButton", this);
    QPushButton* next = namedButton(tr("&Next >>"), "TypeNextButton", this);
    layout->addLayout(navigationRow(back, next));
    setNavigationButtons(back, next);

}

void XvqPodcastTypePage::setUpGrid()
{
    // The owner-drawn grid of older versions showed "&&" as one ampersand.
    grid->setHorizontalHeaderLabels({tr("Title"), tr("Description"), tr("Date & Time")});
    grid->setColumnWidth(0, 125);
    grid->setColumnWidth(1, 151);
    grid->setColumnWidth(2, 121);
}

void XvqPodcastTypePage::enableForNewPodcast(bool newPodcast)
{
    typeLabel->setEnabled(newPodcast);
    typeBox->setEnabled(newPodcast);
    for (QWidget* widget : std::initializer_list<QWidget*>{feedFileLabel, feedFileEdit, browseButton, mruCombo,
                                                           gridLabel, grid, addButton, editButton, deleteButton,
                                                           uploadButton})
        widget->setEnabled(!newPodcast);
}

void XvqPodcastTypePage::UIUpdate(PodcastRecord& record, const XvqContext&)
{
    const FillGuard guard(*this);
    typeBox->setCurrentIndex(record.PodcastType == 1 ? 1 : 0);
}

StepVerdict XvqPodcastTypePage::Gather(PodcastRecord& record, const XvqContext&)
{
    record.PodcastType = quint8(qMax(0, typeBox->currentIndex()));
    return StepVerdict::Proceed;
}

} // namespace podcast
