#include "podcast/ItemiTunesInfoTab.h"

#include "podcast/XvqPageSupport.h"
#include "podcast/XvqRules.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace podcast {

ItemiTunesInfoTab::ItemiTunesInfoTab(QWidget* parent) : XvqPageWidget(XvqPage::ItemiTunesInfo, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_author = namedEdit("ItemAuthorEdit", this);
    form->addRow(tr("&Author :"), m_author);
    m_subtitle = namedEdit("ItemSubtitleEdit", this);
    form->addRow(tr("&Subtitle :"), m_subtitle);
    m_keywords = namedEdit("PodcastSearchEdit", this);
    form->addRow(tr("&Keywords :"), m_keywords);
    m_summary = namedMemo("ItemSummaryMemo", this);
    form->addRow(tr("Su&mmary :"), m_summary);
    // The length comes from the audio file: it is shown, not typed, and gathered from the record.
    m_duration = namedReadOnlyEdit("DurationEdit", this);
    form->addRow(tr("Duration :"), m_duration);
    layout->addLayout(form, 1);
    m_explicit = new QCheckBox(tr("Contains Explicit Information"), this);
    m_explicit->setObjectName(QStringLiteral("ItemExplicitCheckBox"));
    layout->addWidget(m_explicit);
    m_block = new QCheckBox(tr("Prevent Podcast Item"), this);
    m_block->setObjectName(QStringLiteral("ItemBlockCheckBox"));
    layout->addWidget(m_block);

    QPushButton* back = namedButton("iTunesItemBackButton", tr("< &Back"), this);
    QPushButton* next = namedButton("iTunesItemNextButton", tr("&Next >"), this);
    addNavigationRow(layout, back, next);
    setNavigationButtons(back, next);

    reportEdits(m_author, SIGNAL(textChanged(QString)));
    reportEdits(m_subtitle, SIGNAL(textChanged(QString)));
    reportEdits(m_keywords, SIGNAL(textChanged(QString)));
    reportEdits(m_summary, SIGNAL(textChanged()));
    reportEdits(m_explicit, SIGNAL(toggled(bool)));
    reportEdits(m_block, SIGNAL(toggled(bool)));
}

void ItemiTunesInfoTab::UIUpdate(PodcastRecord& record, const XvqContext&)
{
    const FillGuard guard(*this);
    m_author->setText(record.ItemAuthor);
    m_subtitle->setText(record.ItemSubtitle);
    m_keywords->setText(record.ItemKeywords);
    m_summary->setPlainText(record.ItemSummary);
    m_duration->setText(DurationText(record));
    m_explicit->setChecked(IsYes(record.ItemExplicit));
    m_block->setChecked(IsYes(record.ItemBlock));
}

StepVerdict ItemiTunesInfoTab::Gather(PodcastRecord& record, const XvqContext&)
{
    record.ItemAuthor = m_author->text();
    record.ItemSubtitle = m_subtitle->text();
    record.ItemKeywords = m_keywords->text();
    record.ItemSummary = m_summary->toPlainText();
    record.ItemDuration = DurationText(record);
    record.ItemExplicit = YesNo(m_explicit->isChecked());
    record.ItemBlock = YesNo(m_block->isChecked());
    return StepVerdict::Proceed;
}

} // namespace podcast
