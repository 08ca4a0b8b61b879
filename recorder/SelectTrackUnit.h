#pragma once
// TChooseTrackForm, "Choose Track": whether to load, and into which track. A track that is not
// there cannot be chosen: with only one of them it is the one checked. The answer is the button
// pressed: Yes (6), No (7) or Cancel (2, also Escape and the close box).
#include <QDialog>

class QRadioButton;

namespace recorder {

namespace TrackChoice {
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace TrackChoice

class TChooseTrackForm : public QDialog {
    Q_OBJECT

public:
    TChooseTrackForm(bool voiceTrack, bool musicTrack, QWidget* parent = nullptr);

    // True when "Voice Track " is checked.
    bool voiceChosen() const;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_voiceTrack;
    bool m_musicTrack;
    QRadioButton* m_voice;
    QRadioButton* m_music;
};

} // namespace recorder
