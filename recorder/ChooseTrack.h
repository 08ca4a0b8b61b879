#pragma once
// TSelectTrackForm, "Choose Location ": where a file the user picked is loaded, the voice track (1),
// the music track (2) or the editor (3).
#include <QDialog>

class QRadioButton;

namespace recorder {

class TSelectTrackForm : public QDialog {
    Q_OBJECT

public:
    explicit TSelectTrackForm(QWidget* parent = nullptr);

    // 1 "In Voice Track", 2 "In Music Track", 3 otherwise ("In Editor").
    int GetSelectedTrack() const;

private:
    QRadioButton* m_voice;
    QRadioButton* m_music;
};

} // namespace recorder
