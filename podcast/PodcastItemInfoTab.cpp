#include "podcast/PodcastItemInfoTab.h"

#include "common/FeedText.h"
#include "podcast/XvqPageRules.h"
#include "podcast/XvqPageSupport.h"
#include "podcast/XvqRules.h"

#include <QDateTimeEdit>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace podcast {

namespace {

// The most of the tag's title and comment that becomes the episode's title and description.
constexpr qsizetype kTagTextLength = 260;

} // namespace

PodcastItemInfoTab::PodcastItemInfoTab(QWidget* parent) : XvqPageWidget(XvqPage::PodcastItemInfo, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_link = namedReadOnlyEdit("ItemURLEdit", this);
    form->addRow(tr("Podcast Episode Link :"), m_link);
    m_title = namedEdit("ItemTitleEdit", this);
    form->addRow(tr("Episode &Title :"), m_title);
    m_description = namedMemo("ItemDescriptionMemo", this);
    form->addRow(tr("Episode &Description :"), m_description);
    m_date = new QDateTimeEdit(this);
    m_date->setObjectName(QStringLiteral("PubDateTimePicker"));
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QStringLiteral("MM/dd/yyyy HH:mm:ss"));
    form->addRow(tr("&Publication Date :"), m_date);
    layout->addLayout(form, 1);

    QPushButton* back = namedButton("ItemBackButton", tr("< &Back"), this);
    QPushButton* next = namedButton("ItemNextButton", tr("&Next >"), this);
    addNavigationRow(layout, back, next);
    setNavigationButtons(back, next);

    reportEdits(m_title, SIGNAL(textChanged(QString)));
    reportEdits(m_description, SIGNAL(textChanged()));
    reportEdits(m_date, SIGNAL(dateTimeChanged(QDateTime)));
}

void PodcastItemInfoTab::UIUpdate(PodcastRecord& record, const XvqContext&)
{
    const FillGuard guard(*this);
    record.ItemURL = WebLinkOfFile(record.WebsiteLink, record.AudioFileName);
    m_link->setText(record.ItemURL);
    if (record.UseID3Tag) {
        record.ItemTitle = platform::codecs::songInfoText(record.SongInfo.title).left(kTagTextLength);
        record.ItemDescription = platform::codecs::songInfoText(record.SongInfo.comment).left(kTagTextLength);
    }
    m_title->setText(record.ItemTitle);
    m_description->setPlainText(record.ItemDescription);
    const QDateTime stored = ParseStoredDateTime(record.ItemDateTime);
    m_date->setDateTime((stored.isValid() ? stored : common::feedNow()).toLocalTime());
}

StepVerdict PodcastItemInfoTab::Gather(PodcastRecord& record, const XvqContext&)
{
    record.ItemTitle = m_title->text().trimmed();
    record.ItemDescription = m_description->toPlainText().trimmed();
    record.ItemDateTime = StoredDateTime(m_date->dateTime());
    return StepVerdict::Proceed;
}

} // namespace podcast
