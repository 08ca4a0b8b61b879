#pragma once
// TPodcastWizardForm, the podcast wizard, with its recording format page: a quality preset or a
// custom rate, bit depth and channel count among the formats offered. Its rules are in
// RecordingFormatChoice.h. The pad pages of the wizard are not part of it.

#include "common/WaveFormat.h"
#include "recorder/RecordingFormatChoice.h"

#include <QDialog>

#include <optional>
#include <vector>

class QComboBox;
class QRadioButton;

namespace recorder {

class TPodcastWizardForm : public QDialog {
    Q_OBJECT

public:
    TPodcastWizardForm(std::vector<OfferedFormat> offered, QWidget* parent = nullptr);

    // The format the boxes show now.
    WaveFormatEx chosen() const;

private:
    void selectQuality(Quality quality);
    void select(const OfferedFormat& format);
    void fillBits();
    void fillChannels();

    std::vector<OfferedFormat> m_offered;
    QComboBox* m_rate = nullptr;
    QComboBox* m_bits = nullptr;
    QComboBox* m_channels = nullptr;
};

// Shows the wizard modally over parent: the chosen format after Finish, none after Cancel. Every
// format is offered: the sound server converts what the input gives into the take's format.
std::optional<WaveFormatEx> askRecordingFormat(QWidget* parent);

} // namespace recorder
