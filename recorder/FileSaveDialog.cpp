#include "recorder/FileSaveDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace recorder {

TFileSaveDlg::TFileSaveDlg(bool voiceTrack, bool musicTrack, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FileSaveDlg"));
    setWindowTitle(QStringLiteral("Save File As..."));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(QStringLiteral("Recorded file is not saved. Do you want to  save it now ?"), this);
    text->setObjectName(QStringLiteral("QuestionLabel"));
    layout->addWidget(text);
    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);

    struct Button {
        const char* name;
        const char* caption;
        int answer;
        bool enabled;
    };
    const Button all[] = {
        {"SaveMixedTrackButton", "Save Mixed Track", SaveChoice::SaveMix, voiceTrack && musicTrack},
        {"SaveMusicTrackButton", "Save Music Track", SaveChoice::SaveMusic, musicTrack},
        {"SaveVoiceTrackButton", "Save Voice Track", SaveChoice::SaveVoice, voiceTrack},
        {"NoButton", "&No", SaveChoice::No, true},
        {"CancelButton", "&Cancel", SaveChoice::Cancel, true},
    };
    for (const Button& b : all) {
        auto* button = new QPushButton(QString::fromLatin1(b.caption), this);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setEnabled(b.enabled);
        button->setAutoDefault(false);
        button->setDefault(b.answer == SaveChoice::No);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, answer = b.answer] { done(answer); });
    }
}

void TFileSaveDlg::reject()
{
    done(SaveChoice::Cancel);
}

} // namespace recorder
