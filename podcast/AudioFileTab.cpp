#include "podcast/AudioFileTab.h"

#include "common/AudioFileTag.h"
#include "common/ErrCodes.h"
#include "platform/audio/PreviewPlayers.h"
#include "podcast/AuditionSlider.h"
#include "platform/ui/Messages.h"
#include "podcast/AudioFileInfo.h"
#include "podcast/Log.h"
#include "podcast/XvqPageSupport.h"
#include "podcast/XvqRules.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace podcast {

namespace {

constexpr int kUnreadableAudioMessage = 1001;
constexpr int kNoFileSelectedMessage = 1033;
constexpr char kAudioNotFoundWarning[] =
    "Selected Audio file not found at the path, Please use Browse button to open a audio file for Podcast.";
// Both cases of each extension: file dialogs on Linux match names case-sensitively.
constexpr char kAudioFilter[] = "MP3 Files (*.mp3)|*.mp3;*.MP3|Wave Files (*.wav)|*.wav;*.WAV|"
                                "WMA Files (*.WMA)|*.wma;*.WMA";

// Reads the file's length and tag into the record; on failure its audio part is emptied, so the
// length of an earlier file is never published with this one.
bool readAudio(const QString& path, PodcastRecord& record)
{
    if (GetAudioFileInformation(path, record)) {
        ReadAudioFileTag(path, record.SongInfo);
        return true;
    }
    record.AudioKind = AudioFileKind::None;
    record.FileSize = 0;
    record.DurationMs = 0;
    record.Hours = record.Minutes = record.Seconds = 0;
    record.SongInfo = platform::codecs::emptySongInfo();
    return false;
}

} // namespace

AudioFileTab::AudioFileTab(QWidget* parent) : XvqPageWidget(XvqPage::AudioFile, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    m_grid = grid;
    m_path = namedEdit("AudioFilePathEdit", this);
    grid->addWidget(buddyLabel(tr("&Audio File :"), m_path, this), 0, 0);
    grid->addWidget(m_path, 0, 1);
    QPushButton* browse = namedButton("BrowseAudioFileButton", tr("&O"), this);
    browse->setToolTip(tr("Open an audio file"));
    browse->setFixedWidth(browse->sizeHint().height() * 2);
    grid->addWidget(browse, 0, 2);
    grid->addWidget(namedLabel("DurationCaptionLabel", tr("Duration :"), this), 1, 0);
    m_duration = namedLabel("DurationLabel", QString(), this);
    grid->addWidget(m_duration, 1, 1);
    layout->addLayout(grid);

    // The recording, editing and call-import roads stand in place but do not run here.
    auto* tools = new QHBoxLayout;
    m_play = namedButton("PlayButton", tr("&Play"), this);
    m_play->setEnabled(false);
    tools->addWidget(m_play);
    m_stop = namedButton("StopButton", tr("S&top"), this);
    m_stop->hide();
    tools->addWidget(m_stop);
    const struct {
        const char* name;
        const char* caption;
    } standIns[] = {
        {"EditButton", "&Edit"},
        {"RecordAudioFileButton", "&R"},
        {"LoadFromVoIPTapeButton", "&V"},
    };
    for (const auto& standIn : standIns) {
        QPushButton* button = namedButton(standIn.name, tr(standIn.caption), this);
        button->setEnabled(false);
        tools->addWidget(button);
    }
    findChild<QPushButton*>(QStringLiteral("LoadFromVoIPTapeButton"))->hide();
    m_songInformation = namedButton("SongInformationButton", tr("&C"), this);
    m_songInformation->setToolTip(tr("Song information of the audio file"));
    m_songInformation->setEnabled(false);
    tools->insertWidget(3, m_songInformation);
    tools->addStretch(1);
    layout->addLayout(tools);
    layout->addWidget(notAvailableLabel(tr("Recording and editing the episode's audio are not available yet."), this));
    layout->addStretch(1);

    QPushButton* back = namedButton("AudioBackButton", tr("< &Back"), this);
    QPushButton* next = namedButton("AudioNextButton", tr("&Next >"), this);
    addNavigationRow(layout, back, next);
    setNavigationButtons(back, next);

    reportEdits(m_path, SIGNAL(textChanged(QString)));
    connect(browse, &QPushButton::clicked, this, &AudioFileTab::BrowseAudioFileButtonClick);
    connect(m_path, &QLineEdit::returnPressed, this, &AudioFileTab::AudioFilePathEditReturn);
    connect(m_path, &QLineEdit::editingFinished, this, &AudioFileTab::AudioFilePathEditExit);
    connect(m_songInformation, &QPushButton::clicked, this, &AudioFileTab::SongInformationButtonClick);
    connect(m_play, &QPushButton::clicked, this, &AudioFileTab::PlayButtonClick);
    connect(m_stop, &QPushButton::clicked, this, &AudioFileTab::StopButtonClick);
    connect(m_path, &QLineEdit::textEdited, this, &AudioFileTab::AudioFilePathEditKeyUp);
}

AudioFileTab::~AudioFileTab()
{
    // The slider ends its preview on the players, which go after it.
    delete m_slider;
}

void AudioFileTab::bind(PodcastRecord& record, const XvqContext& context)
{
    m_record = &record;
    m_context = context;
    m_songInformation->setEnabled(context.editSongInformation != nullptr);
    if (context.audioEngine != nullptr && m_slider == nullptr) {
        m_wmaPreview = std::make_unique<platform::audio::PlivornPlayback>(*context.audioEngine);
        m_vorbisPreview = std::make_unique<platform::audio::VorbisPlayback>(*context.audioEngine);
        m_slider = new TAuditionSlider(*context.audioEngine, *m_wmaPreview, *m_vorbisPreview, this);
        m_slider->setObjectName(QStringLiteral("AuditionSlider"));
        // Below the file's row, as wide as its field.
        m_grid->addWidget(m_slider, 2, 1);
        connect(m_slider, &TAuditionSlider::previewEnded, this, &AudioFileTab::previewEnded);
        SetAudioControlEnable(!m_readPath.isEmpty());
    }
}

void AudioFileTab::UIUpdate(PodcastRecord& record, const XvqContext& context)
{
    bind(record, context);
    UIUpdateAudioTab(record.AudioFilePath, record);
}

bool AudioFileTab::UIUpdateAudioTab(const QString& path, PodcastRecord& record)
{
    m_record = &record;
    const FillGuard guard(*this);
    if (path.isEmpty()) {
        m_path->clear();
        m_duration->clear();
        m_readPath.clear();
        SetAudioControlEnable(false);
        return false;
    }
    record.AudioFilePath = path;
    m_path->setText(path);
    const bool read = readAudio(path, record);
    m_readPath = read ? path : QString();
    m_duration->setText(read ? DurationText(record) : QString());
    SetAudioControlEnable(read);
    return read;
}

void AudioFileTab::SetAudioControlEnable(bool enabled)
{
    stopActivity();
    m_play->setEnabled(enabled && m_slider != nullptr);
    if (m_slider == nullptr)
        return;
    m_slider->setEnabled(false);
    if (!enabled)
        return;
    if (const auto error = m_slider->setFileName(m_readPath)) {
        qCWarning(lcPodcast) << "preview:" << *error;
        m_play->setEnabled(false);
        return;
    }
    // The preview keeps clear of the file's very first and last millisecond.
    if (m_record != nullptr && m_record->DurationMs > 2)
        m_slider->setRange(1, int(std::min<quint64>(m_record->DurationMs - 1, INT_MAX)));
    m_slider->setPosition(m_slider->Min());
    m_slider->setEnabled(false);
}

void AudioFileTab::PlayButtonClick()
{
    if (m_slider == nullptr || m_previewing)
        return;
    m_slider->setEnabled(true);
    m_slider->SetNotifyWindow(this);
    if (const uint16_t code = m_slider->Play(); code != 0) {
        m_slider->setEnabled(false);
        if (m_context.messages != nullptr)
            ShowMappedError(*m_context.messages, code, PlayerErrorToMessageId);
        return;
    }
    showPreviewing(true);
}

void AudioFileTab::StopButtonClick()
{
    if (!m_previewing)
        return;
    m_slider->Stop();
    showPreviewing(false);
}

void AudioFileTab::previewEnded()
{
    if (m_slider != nullptr)
        m_slider->setPosition(m_slider->Min());
    showPreviewing(false);
}

void AudioFileTab::showPreviewing(bool previewing)
{
    const bool hadFocus = m_play->hasFocus() || m_stop->hasFocus();
    m_previewing = previewing;
    m_play->setVisible(!previewing);
    m_stop->setVisible(previewing);
    m_stop->setEnabled(previewing);
    if (hadFocus || previewing)
        (previewing ? m_stop : m_play)->setFocus();
}

void AudioFileTab::stopActivity()
{
    StopButtonClick();
}

void AudioFileTab::AudioFilePathEditKeyUp()
{
    if (!m_path->text().isEmpty())
        return;
    stopActivity();
    m_play->setEnabled(false);
    if (m_slider != nullptr)
        m_slider->setEnabled(false);
}

void AudioFileTab::SongInformationButtonClick()
{
    if (m_record == nullptr || m_context.editSongInformation == nullptr)
        return;
    stopActivity();
    const QString path = m_path->text().trimmed();
    if (path.isEmpty()) {
        showXvqError(m_context, kNoFileSelectedMessage);
        return;
    }
    ReadAudioFileTag(path, m_record->SongInfo);
    TID3InfoRecord info = m_record->SongInfo;
    bool autofill = m_record->UseID3Tag;
    if (!(*m_context.editSongInformation)(window(), info, autofill))
        return;
    // The record takes the tag only once the file holds it.
    if (!WriteAudioFileTag(path, info, *m_context.messages))
        return;
    m_record->SongInfo = info;
    m_record->UseID3Tag = autofill;
    emit informationChanged();
}

void AudioFileTab::clearFields()
{
    XvqPageWidget::clearFields();
    m_duration->clear();
    m_readPath.clear();
    SetAudioControlEnable(false);
}

StepVerdict AudioFileTab::Gather(PodcastRecord& record, const XvqContext& context)
{
    bind(record, context);
    const QString path = m_path->text().trimmed();
    record.AudioFilePath = path;
    if (path.isEmpty()) {
        record.AudioFileName.clear();
        return StepVerdict::Proceed;
    }
    const QFileInfo file(path);
    if (!file.isFile()) {
        showXvqMessage(context, QString::fromLatin1(kAudioNotFoundWarning), platform::MB_OK | platform::MB_ICONWARNING);
        m_path->setFocus();
        return StepVerdict::StayOnLeftPage;
    }
    // A path typed without Enter has not been read yet, and a file that could not be read has no
    // length to publish: the record must hold this file's length and size.
    if (path != m_readPath && !UIUpdateAudioTab(path, record)) {
        showXvqError(context, kUnreadableAudioMessage);
        m_path->setFocus();
        return StepVerdict::StayOnLeftPage;
    }
    record.AudioFileName = file.fileName();
    if (HasAggregatorUnsafeCharacters(record.AudioFileName))
        showXvqMessage(context, QString::fromLatin1(kAggregatorWarning), platform::MB_OK | platform::MB_ICONWARNING);
    record.ItemURL = WebLinkOfFile(record.WebsiteLink, record.AudioFileName);
    return StepVerdict::Proceed;
}

void AudioFileTab::BrowseAudioFileButtonClick()
{
    if (m_record == nullptr || m_context.messages == nullptr) {
        qCWarning(lcPodcast) << "the audio page was not filled before browsing";
        return;
    }
    platform::FileDialogRequest request;
    request.title = tr("Select Audio File");
    request.filter = QString::fromLatin1(kAudioFilter);
    request.fileMustExist = true;
    const QString current = m_path->text().trimmed();
    if (!current.isEmpty())
        request.initialFolder = QFileInfo(current).absolutePath();
    const platform::FileDialogResult chosen = m_context.messages->interaction().openFile(request);
    if (!chosen.accepted || chosen.files.isEmpty())
        return;
    showChosenFile(chosen.files.first());
    emit informationChanged();
}

bool AudioFileTab::showChosenFile(const QString& path)
{
    if (UIUpdateAudioTab(path, *m_record))
        return true;
    showXvqError(m_context, kUnreadableAudioMessage);
    const FillGuard guard(*this);
    m_path->clear();
    m_duration->clear();
    m_record->AudioFilePath.clear();
    m_readPath.clear();
    SetAudioControlEnable(false);
    return false;
}

void AudioFileTab::AudioFilePathEditReturn()
{
    if (m_record == nullptr)
        return;
    const QString path = m_path->text().trimmed();
    if (UIUpdateAudioTab(path, *m_record) || path.isEmpty())
        return;
    showXvqError(m_context, kUnreadableAudioMessage);
}

void AudioFileTab::AudioFilePathEditExit()
{
    const QString trimmed = m_path->text().trimmed();
    if (trimmed == m_path->text())
        return;
    const FillGuard guard(*this);
    m_path->setText(trimmed);
}

} // namespace podcast
