#pragma once
// TRecSettingsForm, "Choose Format": the sample rate, the bits per sample and the channels of a
// new document and of recordings, among those the input device takes.

#include "editor/RecSettingsRules.h"

#include <QDialog>

class QComboBox;

namespace platform {
class HelpOpener;
}

// The sound server takes every PCM format and converts it for the device, so every candidate is
// offered.
bool acceptEveryRecordFormat(const WaveFormatEx& format);

class TRecSettingsForm : public QDialog {
    Q_OBJECT

public:
    explicit TRecSettingsForm(const RecordFormatQuery& query = acceptEveryRecordFormat,
                              platform::HelpOpener* help = nullptr, QWidget* parent = nullptr);

    // The results: as the lists were on the last OK (44,100 Hz, 16 bits, stereo where offered
    // before any).
    WaveFormatEx format() const { return m_rules.format(); }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The combo boxes show the rules' lists and choices.
    void showLists();

    RecSettingsRules m_rules;
    QComboBox* m_rate = nullptr;
    QComboBox* m_bits = nullptr;
    QComboBox* m_channels = nullptr;
    QWidget* m_ok = nullptr;
    bool m_filling = false;
};
