#include "recorder/ID3Information.h"

#include "recorder/ID3InfoRules.h"

#include "common/ErrCodes.h"
#include "platform/ui/HelpOpener.h"
#include "platform/ui/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace recorder {

namespace {

constexpr char kHelpFile[] = "Xvq.chm";
constexpr int kHelpContext = 47;
constexpr char kSongInformationCaption[] = "Enter Song Information";

// Room for every text of a field (its width less the terminating zero); the record cuts the UTF-8
// bytes again on a character boundary.
template <std::size_t N>
constexpr int fieldLength(const char (&)[N])
{
    return int(N) - 1;
}

} // namespace

TID3InfoForm::TID3InfoForm(const platform::Messages& messages, platform::UrlOpener& urls, QWidget* parent)
    : QDialog(parent)
    , m_messages(messages)
    , m_urls(urls)
{
    setObjectName(QStringLiteral("ID3InfoForm"));
    setWindowTitle(QString::fromLatin1(kSongInformationCaption));
    const TID3InfoRecord widths{};
    const auto edit = [this](const char* name, int length) {
        auto* line = new QLineEdit(this);
        line->setObjectName(QString::fromLatin1(name));
        line->setMaxLength(length);
        connect(line, &QLineEdit::textEdited, this, [this] { m_changed = true; });
        return line;
    };
    titleEdit = edit("titleEdit", fieldLength(widths.title));
    artistEdit = edit("artistEdit", fieldLength(widths.artist));
    albumEdit = edit("albumEdit", fieldLength(widths.album));
    yearEdit = edit("yearEdit", fieldLength(widths.year));
    commentEdit = edit("commentEdit", fieldLength(widths.comment));
    composerEdit = edit("composerEdit", fieldLength(widths.composer));
    copyrightEdit = edit("copyrightEdit", fieldLength(widths.copyright));
    languageEdit = edit("languageEdit", fieldLength(widths.language));
    linkEdit = edit("linkEdit", fieldLength(widths.link));

    genreComboBox = new QComboBox(this);
    genreComboBox->setObjectName(QStringLiteral("genreComboBox"));
    genreComboBox->setEditable(true);
    genreComboBox->setInsertPolicy(QComboBox::NoInsert);
    genreComboBox->addItems(id3GenreNames());
    genreComboBox->lineEdit()->setMaxLength(fieldLength(widths.genre));
    connect(genreComboBox, &QComboBox::currentTextChanged, this, [this] { m_changed = true; });

    TrackEdit = new QSpinBox(this);
    TrackEdit->setObjectName(QStringLiteral("TrackEdit"));
    // Wider than the valid range, so that a number out of it is typed and then refused on OK.
    TrackEdit->setRange(-999, 999);
    connect(TrackEdit, &QSpinBox::valueChanged, this, [this] { m_changed = true; });

    ID3CheckBox = new QCheckBox(QStringLiteral("Use ID3 Tag Information to Autofill Podcast Information"), this);
    ID3CheckBox->setObjectName(QStringLiteral("ID3CheckBox"));
    RequiredLabel = new QLabel(QStringLiteral("Red indicates a required field"), this);
    RequiredLabel->setObjectName(QStringLiteral("RequiredLabel"));
    RequiredLabel->hide();

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Title:"), titleEdit);
    form->addRow(QStringLiteral("&Artist:"), artistEdit);
    form->addRow(QStringLiteral("Al&bum:"), albumEdit);
    form->addRow(QStringLiteral("&Year:"), yearEdit);
    form->addRow(QStringLiteral("&Genre:"), genreComboBox);
    form->addRow(QStringLiteral("T&rack:"), TrackEdit);
    form->addRow(QStringLiteral("Co&mment:"), commentEdit);
    form->addRow(QStringLiteral("Com&poser:"), composerEdit);
    form->addRow(QStringLiteral("Cop&yright:"), copyrightEdit);
    form->addRow(QStringLiteral("&Language:"), languageEdit);
    form->addRow(QStringLiteral("L&ink:"), linkEdit);

    auto* buttons = new QDialogButtonBox(this);
    OKButton = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    HelpButton = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));
    connect(OKButton, &QPushButton::clicked, this, &TID3InfoForm::okClicked);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpButton, &QPushButton::clicked, this, &TID3InfoForm::helpClicked);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(ID3CheckBox);
    layout->addWidget(RequiredLabel);
    layout->addWidget(buttons);
    setMinimumWidth(460);
}

void TID3InfoForm::SetTagTarget(TID3InfoRecord* record, bool showAutofill, bool autofill)
{
    m_record = record;
    m_autofill = autofill;
    ID3CheckBox->setVisible(showAutofill);
}

bool TID3InfoForm::autofillChecked() const
{
    return ID3CheckBox->isChecked();
}

void TID3InfoForm::showEvent(QShowEvent* event)
{
    loadFields();
    QDialog::showEvent(event);
}

void TID3InfoForm::loadFields()
{
    const ID3InfoFields fields = fieldsFromRecord(m_record, QDate::currentDate().year());
    titleEdit->setText(fields.title);
    artistEdit->setText(fields.artist);
    albumEdit->setText(fields.album);
    yearEdit->setText(fields.year);
    commentEdit->setText(fields.comment);
    composerEdit->setText(fields.composer);
    copyrightEdit->setText(fields.copyright);
    languageEdit->setText(fields.language);
    linkEdit->setText(fields.link);
    TrackEdit->setValue(fields.track);
    const int genre = genreIndexOf(fields.genre);
    if (genre >= 0)
        genreComboBox->setCurrentIndex(genre);
    else
        genreComboBox->setEditText(fields.genre);
    ID3CheckBox->setChecked(m_autofill);
    titleEdit->setFocus();
    m_changed = false;
}

void TID3InfoForm::okClicked()
{
    TrackEdit->interpretText();
    if (!trackNumberValid(TrackEdit->value())) {
        m_messages.ShowMessageBox(QString::fromLatin1(kBadTrackMessage), QString::fromLatin1(kRecorderCaption),
                                  platform::MB_OK | platform::MB_ICONERROR);
        TrackEdit->setFocus();
        return;
    }
    if (m_record) {
        ID3InfoFields fields;
        fields.title = titleEdit->text();
        fields.artist = artistEdit->text();
        fields.album = albumEdit->text();
        fields.year = yearEdit->text();
        fields.genre = genreComboBox->currentText();
        fields.comment = commentEdit->text();
        fields.composer = composerEdit->text();
        fields.copyright = copyrightEdit->text();
        fields.language = languageEdit->text();
        fields.link = linkEdit->text();
        fields.track = TrackEdit->value();
        recordFromFields(fields, *m_record);
    }
    accept();
}

void TID3InfoForm::helpClicked()
{
    platform::HelpOpener help(m_urls, m_messages.interaction(), m_messages.caption());
    if (help.showDefaultTopic(QString::fromLatin1(kHelpFile)))
        help.showContext(QString::fromLatin1(kHelpFile), kHelpContext);
}

AskSongInformationFn makeSongInformationAsker(QWidget* parent, const platform::Messages& messages,
                                              platform::UrlOpener& urls)
{
    return [parent, &messages, &urls](TID3InfoRecord& info) {
        TID3InfoForm form(messages, urls, parent);
        form.setWindowTitle(QString::fromLatin1(kSongInformationCaption));
        form.SetTagTarget(&info, false);
        return form.exec() == QDialog::Accepted;
    };
}

} // namespace recorder
