#include "podcast/FeedInfoTab.h"

#include "common/FeedText.h"
#include "podcast/XvqPageRules.h"
#include "podcast/XvqPageSupport.h"
#include "podcast/XvqRules.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace podcast {

namespace {

constexpr int kIncorrectEmailMessage = 1032;
constexpr int kMaximumTtlMinutes = 1440;

QLabel* hintLabel(const char* name, const QString& text, QWidget* parent)
{
    QLabel* label = namedLabel(name, text, parent);
    // The examples come and go with the focus; the layout keeps their room.
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
    label->hide();
    return label;
}

} // namespace

FeedInfoTab::FeedInfoTab(QWidget* parent) : XvqPageWidget(XvqPage::FeedInfo, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    int row = 0;
    const auto addRow = [&](const QString& caption, QWidget* field, QLabel* hint = nullptr) {
        grid->addWidget(buddyLabel(caption, field, this), row, 0);
        grid->addWidget(field, row, 1);
        if (hint != nullptr)
            grid->addWidget(hint, row, 2);
        ++row;
    };
    m_webLink = namedReadOnlyEdit("WebLinkEdit", this);
    addRow(tr("Web Link :"), m_webLink);
    m_feedName = namedEdit("FeedNameEdit", this);
    QLabel* nameExample = hintLabel("FeedNameExampleLabel", tr("*Eg: Interviews"), this);
    QLabel* nameHint = hintLabel("FeedNameHintLabel", tr("(Hint : No Spaces)"), this);
    addRow(tr("Feed &Name :"), m_feedName, nameExample);
    m_feedUrl = namedReadOnlyEdit("FeedURLEdit", this);
    addRow(tr("Feed Address :"), m_feedUrl, nameHint);
    m_title = namedEdit("FeedTitleEdit", this);
    QLabel* titleExample = hintLabel("FeedTitleExampleLabel", tr("*Eg: Interview Series"), this);
    addRow(tr("Feed &Title :"), m_title, titleExample);
    m_description = namedMemo("FeedDescriptionMemo", this);
    QLabel* descriptionExample =
        hintLabel("FeedDescriptionExampleLabel", tr("*Eg:This is series of interviews by XYZ"), this);
    addRow(tr("&Description :"), m_description, descriptionExample);
    m_webmaster = namedEdit("WebmasterEdit", this);
    QLabel* webmasterExample = hintLabel("WebmasterExampleLabel", tr("*Eg: webmaster@example.com"), this);
    addRow(tr("&Webmaster :"), m_webmaster, webmasterExample);
    m_editor = namedEdit("EditorEdit", this);
    QLabel* editorExample = hintLabel("EditorExampleLabel", tr("*Eg: editor@example.com"), this);
    addRow(tr("&Editor :"), m_editor, editorExample);
    m_copyright = namedEdit("CopyrightEdit", this);
    addRow(tr("&Copyright :"), m_copyright);
    m_language = new QComboBox(this);
    m_language->setObjectName(QStringLiteral("LanguageComboBox"));
    m_language->addItems(LanguageLines());
    addRow(tr("&Language :"), m_language);
    m_ttl = new QSpinBox(this);
    m_ttl->setObjectName(QStringLiteral("TTLSpinEdit"));
    m_ttl->setRange(0, kMaximumTtlMinutes);
    addRow(tr("T&TL (minutes) :"), m_ttl);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid, 1);

    QPushButton* back = namedButton("FeedBackButton", tr("< &Back"), this);
    QPushButton* next = namedButton("FeedNextButton", tr("&Next >"), this);
    addNavigationRow(layout, back, next);
    setNavigationButtons(back, next);

    m_hints = {
        {m_feedName, {nameExample, nameHint}},
        {m_title, {titleExample}},
        {m_description, {descriptionExample}},
        {m_webmaster, {webmasterExample}},
        {m_editor, {editorExample}},
        {m_copyright, {}},
        {m_language, {}},
        {m_ttl, {}},
    };
    for (const Hint& hint : m_hints)
        hint.field->installEventFilter(this);

    reportEdits(m_feedName, SIGNAL(textChanged(QString)));
    reportEdits(m_title, SIGNAL(textChanged(QString)));
    reportEdits(m_description, SIGNAL(textChanged()));
    reportEdits(m_webmaster, SIGNAL(textChanged(QString)));
    reportEdits(m_editor, SIGNAL(textChanged(QString)));
    reportEdits(m_copyright, SIGNAL(textChanged(QString)));
    reportEdits(m_language, SIGNAL(currentIndexChanged(int)));
    reportEdits(m_ttl, SIGNAL(valueChanged(int)));
    connect(m_feedName, &QLineEdit::editingFinished, this, &FeedInfoTab::FeedNameEditExit);
    connect(m_feedName, &QLineEdit::textEdited, this, &FeedInfoTab::FeedNameEditKeyUp);
    connect(m_webmaster, &QLineEdit::editingFinished, this, [this] { checkEmail(m_webmaster); });
    connect(m_editor, &QLineEdit::editingFinished, this, [this] { checkEmail(m_editor); });
}

bool FeedInfoTab::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        showHints(watched);
    return XvqPageWidget::eventFilter(watched, event);
}

void FeedInfoTab::showHints(QObject* field)
{
    for (const Hint& hint : m_hints) {
        for (QLabel* label : hint.labels)
            label->hide();
    }
    for (const Hint& hint : m_hints) {
        if (hint.field == field) {
            for (QLabel* label : hint.labels)
                label->show();
        }
    }
}

void FeedInfoTab::UIUpdate(PodcastRecord& record, const XvqContext& context)
{
    m_context = context;
    const FillGuard guard(*this);
    m_webLink->setText(record.WebsiteLink);
    m_feedName->setText(record.FeedName);
    m_feedUrl->setText(WebLinkOfFile(record.WebsiteLink, record.FeedName));
    m_title->setText(record.FeedTitle);
    m_description->setPlainText(record.FeedDescription);
    // Once the project is saved, its feed keeps its name: the feed is already published under it.
    m_feedName->setEnabled(IsTemporaryProject(context.projectPath) || record.FeedName.isEmpty());
    m_webmaster->setText(record.SeriesWebMaster);
    m_editor->setText(record.SeriesEditor);
    m_copyright->setText(record.SeriesCopyright);
    m_ttl->setValue(record.SeriesTTL);
    selectLanguage(record.SeriesLanguage);
}

void FeedInfoTab::selectLanguage(const QString& stored)
{
    while (m_language->count() > LanguageLines().size())
        m_language->removeItem(m_language->count() - 1);
    const int index = LanguageLineIndex(stored);
    if (index >= 0) {
        m_language->setCurrentIndex(index);
        return;
    }
    // A language the list does not know stays the project's: it is shown and kept, not replaced.
    m_language->addItem(stored.trimmed());
    m_language->setCurrentIndex(m_language->count() - 1);
}

StepVerdict FeedInfoTab::Gather(PodcastRecord& record, const XvqContext& context)
{
    m_context = context;
    record.FeedTitle = m_title->text().trimmed();
    record.FeedDescription = m_description->toPlainText().trimmed();
    record.FeedName = NormaliseFeedName(m_feedName->text());
    const FeedPaths paths =
        FeedPathsFor(FeedFolder(context.projectPath, record.AudioFilePath), record.FeedName, record.WebsiteLink);
    record.FeedFilePath = paths.FeedFilePath;
    record.HTMLFilePath = paths.HTMLFilePath;
    record.HTMLFileName = paths.HTMLFileName;
    record.FeedURL = paths.FeedURL;
    record.HTMLFileLink = paths.HTMLFileLink;
    record.SeriesWebMaster = m_webmaster->text().trimmed();
    record.SeriesCopyright = m_copyright->text().trimmed();
    record.SeriesEditor = m_editor->text().trimmed();
    record.SeriesLanguage = m_language->currentText().trimmed();
    record.SeriesTTL = m_ttl->value();
    return StepVerdict::Proceed;
}

void FeedInfoTab::FeedNameEditExit()
{
    const QString name = NormaliseFeedName(m_feedName->text());
    if (name != m_feedName->text())
        m_feedName->setText(name);
    m_feedUrl->setText(WebLinkOfFile(m_webLink->text(), name));
    if (HasAggregatorUnsafeCharacters(name)) {
        showXvqMessage(m_context, QString::fromLatin1(kAggregatorWarning), platform::MB_OK | platform::MB_ICONWARNING);
        m_feedName->setFocus();
    }
}

void FeedInfoTab::FeedNameEditKeyUp()
{
    m_feedUrl->setText(WebLinkOfFile(m_webLink->text(), m_feedName->text().trimmed()));
}

void FeedInfoTab::checkEmail(QLineEdit* field)
{
    const QString text = field->text().trimmed();
    if (text.isEmpty() || common::IsValidEmail(text))
        return;
    field->clear();
    showXvqError(m_context, kIncorrectEmailMessage);
    field->setFocus();
}

} // namespace podcast
