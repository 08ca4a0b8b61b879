#include "podcast/UploadTab.h"

#include "podcast/XvqPageRules.h"
#include "podcast/XvqPageSupport.h"
#include "podcast/XvqRules.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace podcast {

namespace {

constexpr char kNotSpecifiedYet[] = "<Not Specified Yet>";

} // namespace

UploadTab::UploadTab(QWidget* parent) : XvqPageWidget(XvqPage::Upload, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    int row = 0;
    const auto addRow = [&](const char* name, const QString& caption, QLabel** labelOut = nullptr) {
        QLabel* label = new QLabel(caption, this);
        QLineEdit* edit = namedReadOnlyEdit(name, this);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
        if (labelOut != nullptr)
            *labelOut = label;
        return edit;
    };
    m_itemLink = addRow("ItemLinkEdit", tr("Podcast Episode Link :"));
    m_feedLink = addRow("FeedLinkEdit", tr("Feed File Link :"));
    m_pageLink = addRow("HTMLFileLinkEdit", tr("HTML File Link :"));
    m_artworkLink = addRow("FeedImageLinkEdit", tr("Feed Artwork File Link :"), &m_artworkLinkLabel);
    m_audioPath = addRow("AudioFilePathEdit", tr("Audio File Path :"));
    m_feedPath = addRow("FeedFilePathEdit", tr("Feed File Path :"));
    m_pagePath = addRow("HTMLFilePathEdit", tr("HTML File Path :"));
    m_artworkPath = addRow("FeedImagePathEdit", tr("Feed Artwork File Path :"), &m_artworkPathLabel);
    layout->addLayout(grid);

    auto* uploadRow = new QHBoxLayout;
    QPushButton* upload = namedButton("UploadButton", tr("&Upload"), this);
    connect(upload, &QPushButton::clicked, this, &UploadTab::uploadRequested);
    uploadRow->addWidget(upload);
    uploadRow->addStretch(1);
    layout->addLayout(uploadRow);
    layout->addStretch(1);

    QPushButton* back = namedButton("UpLoadBackButton", tr("< &Back"), this);
    addNavigationRow(layout, back, nullptr);
    setNavigationButtons(back, nullptr);
}

void UploadTab::UIUpdate(PodcastRecord& record, const XvqContext& context)
{
    const FillGuard guard(*this);
    if (!context.projectPath.isEmpty()) {
        const FeedPaths paths =
            FeedPathsFor(FeedFolder(context.projectPath, record.AudioFilePath), record.FeedName, record.WebsiteLink);
        record.FeedFilePath = paths.FeedFilePath;
        record.HTMLFilePath = paths.HTMLFilePath;
    }
    const bool temporary = IsTemporaryProject(context.projectPath);
    m_itemLink->setText(record.ItemURL);
    m_feedLink->setText(record.FeedURL);
    m_pageLink->setText(record.HTMLFileLink);
    m_artworkLink->setText(record.FeedImageLink);
    m_audioPath->setText(record.AudioFilePath);
    m_feedPath->setText(temporary ? QString::fromLatin1(kNotSpecifiedYet) : record.FeedFilePath);
    m_pagePath->setText(temporary ? QString::fromLatin1(kNotSpecifiedYet) : record.HTMLFilePath);
    m_artworkPath->setText(record.FeedImagePath);
    const bool artwork = record.PodcastType == 1;
    for (QWidget* widget : {static_cast<QWidget*>(m_artworkLink), static_cast<QWidget*>(m_artworkPath),
                            static_cast<QWidget*>(m_artworkLinkLabel), static_cast<QWidget*>(m_artworkPathLabel)})
        widget->setVisible(artwork);
}

StepVerdict UploadTab::Gather(PodcastRecord&, const XvqContext&)
{
    return StepVerdict::Proceed;
}

} // namespace podcast
