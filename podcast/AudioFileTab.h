#pragma once
// The builder's audio page: the episode's audio file, its length and its tag.
#include "podcast/XvqPageWidget.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace podcast {

class AudioFileTab : public XvqPageWidget {
    Q_OBJECT

public:
    explicit AudioFileTab(QWidget* parent);

    void UIUpdate(PodcastRecord& record, const XvqContext& context) override;
    StepVerdict Gather(PodcastRecord& record, const XvqContext& context) override;
    void clearFields() override;

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
    // Shows path; an unreadable file gives message 1001.
    bool showChosenFile(const QString& path);

    QLineEdit* m_path = nullptr;
    QLabel* m_duration = nullptr;
    QPushButton* m_songInformation = nullptr;
    // The record and context of the window, known from the first update on (the page edits the
    // record's audio part when a file is chosen).
    PodcastRecord* m_record = nullptr;
    XvqContext m_context;
    // The path whose length and tag the record holds; empty when the last read failed.
    QString m_readPath;
};

} // namespace podcast
