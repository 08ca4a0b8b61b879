#pragma once
// TFileSaveDlg, "Save File As...": the question the recording window asks before it throws tracks
// away. Its answer is the pressed button's value: 25 save the mix, 26 the music track, 27 the voice
// track, 28 No (the default), 2 Cancel (also Escape and the close box). A button whose track is
// missing is off; the mix needs both tracks.
#include <QDialog>

namespace recorder {

namespace SaveChoice {
inline constexpr int Cancel = 2;
inline constexpr int SaveMix = 25;
inline constexpr int SaveMusic = 26;
inline constexpr int SaveVoice = 27;
inline constexpr int No = 28;
} // namespace SaveChoice

class TFileSaveDlg : public QDialog {
    Q_OBJECT

public:
    TFileSaveDlg(bool voiceTrack, bool musicTrack, QWidget* parent = nullptr);

    void reject() override;
};

} // namespace recorder
