#include "recorder/SelectTrackUnit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace recorder {

TChooseTrackForm::TChooseTrackForm(bool voiceTrack, bool musicTrack, QWidget* parent)
    : QDialog(parent)
    , m_voiceTrack(voiceTrack)
    , m_musicTrack(musicTrack)
{
    setObjectName(QStringLiteral("ChooseTrackForm"));
    setWindowTitle(QStringLiteral("Choose Track"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Do you want to load ?"), this));
    m_voice = new QRadioButton(QStringLiteral("Voice Track "), this);
    m_voice->setObjectName(QStringLiteral("VoiceTrackRadio"));
    m_voice->setChecked(true);
    m_music = new QRadioButton(QStringLiteral("Music Track"), this);
    m_music->setObjectName(QStringLiteral("MusicTrackRadio"));
    layout->addWidget(m_voice);
    layout->addWidget(m_music);
    auto* row = new QHBoxLayout;
    layout->addLayout(row);
    const std::pair<const char*, int> buttons[] = {{"&Yes", TrackChoice::Yes}, {"&No", TrackChoice::No},
                                                   {"&Cancel", TrackChoice::Cancel}};
    for (const auto& [caption, answer] : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(caption), this);
        button->setObjectName(QString::fromLatin1(caption).remove(QLatin1Char('&')) + QStringLiteral("Button"));
        button->setAutoDefault(false);
        row->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, answer = answer] { done(answer); });
    }
}

bool TChooseTrackForm::voiceChosen() const
{
    return m_voice->isChecked();
}

void TChooseTrackForm::reject()
{
    done(TrackChoice::Cancel);
}

void TChooseTrackForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_voiceTrack && m_musicTrack)
        return;
    // The one track there is the one checked; a missing voice track leaves the music track.
    const bool voice = m_voiceTrack;
    m_voice->setEnabled(voice);
    m_music->setEnabled(!voice);
    m_voice->setChecked(voice);
    m_music->setChecked(!voice);
}

} // namespace recorder
