#pragma once
// The builder's audio page: the episode's audio file, its length and its tag.
#include "podcast/XvqPageWidget.h"

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace platform::audio {
class PlivornPlayback;
class VorbisPlayback;
} // namespace platform::audio

namespace podcast {

class TAuditionSlider;

class AudioFileTab : public XvqPageWidget {
    Q_OBJECT

public:
    explicit AudioFileTab(QWidget* parent);
    ~AudioFileTab() override;

    void UIUpdate(PodcastRecord& record, const XvqContext& context) override;
    StepVerdict Gather(PodcastRecord& record, const XvqContext& context) override;
    void clearFields() override;
    void stopActivity() override;

    bool previewing() const { return m_previewing; }

    // Shows path as the episode's audio file and reads its length and tag into the record; an empty
    // path empties the field. False when the file cannot be read (its length is then cleared, so no
    // earlier file's length stays with it).
    bool UIUpdateAudioTab(const QString& path, PodcastRecord& record);

private:
    void bind(PodcastRecord& record, const XvqContext& context);
    void BrowseAudioFileButtonClick();
    void AudioFilePathEditReturn();
    void AudioFilePathEditExit();
    // "&C": the file's song information in the song-information window, written back on OK.
    void SongInformationButtonClick();
    // The preview: Play starts it on the slider, Stop (or its end) stops it.
    void SetAudioControlEnable(bool enabled);
    void PlayButtonClick();
    void StopButtonClick();
    void previewEnded();
    void showPreviewing(bool previewing);
    void AudioFilePathEditKeyUp();
    // Shows path; an unreadable file gives message 1001.
    bool showChosenFile(const QString& path);

    QGridLayout* m_grid = nullptr;
    QLineEdit* m_path = nullptr;
    QLabel* m_duration = nullptr;
    QPushButton* m_songInformation = nullptr;
    QPushButton* m_play = nullptr;
    QPushButton* m_stop = nullptr;
    // Made when the window hands the page a sound engine.
    std::unique_ptr<platform::audio::PlivornPlayback> m_wmaPreview;
    std::unique_ptr<platform::audio::VorbisPlayback> m_vorbisPreview;
    TAuditionSlider* m_slider = nullptr;
    bool m_previewing = false;
    // The record and context of the window, known from the first update on (the page edits the
    // record's audio part when a file is chosen).
    PodcastRecord* m_record = nullptr;
    XvqContext m_context;
    // The path whose length and tag the record holds; empty when the last read failed.
    QString m_readPath;
};

} // namespace podcast
