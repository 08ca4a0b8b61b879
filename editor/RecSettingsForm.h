#pragma once
// TRecSettingsForm, the recording-format dialog of File > New: the sample rate, the bits per
// sample and the channels of the new document.

#include "common/WaveFormat.h"

#include <QDialog>

#include <optional>

class QComboBox;

class TRecSettingsForm : public QDialog {
    Q_OBJECT

public:
    explicit TRecSettingsForm(QWidget* parent = nullptr);

    WaveFormatEx format() const;

    // Shows the dialog modally: the chosen format, none on Cancel.
    static std::optional<WaveFormatEx> choose(QWidget* parent);

private:
    QComboBox* m_rate = nullptr;
    QComboBox* m_bits = nullptr;
    QComboBox* m_channels = nullptr;
};
