#pragma once
// The format dialog of the format conversion: the PCM formats a WAV can be converted into, one of
// them chosen. Its Help button shows TChooseFormatHelpForm.

#include "platform/codecs/FormatChoice.h"

#include <QDialog>

#include <cstdint>

class QComboBox;

class TFormatChoiceForm : public QDialog {
    Q_OBJECT

public:
    TFormatChoiceForm(const platform::codecs::FormatChoice& choice, const QString& caption,
                      QWidget* parent = nullptr);

    // The format dialog as the conversion calls it (ConvertDialog): 0 with the chosen record in
    // buffer, 101 on Cancel, 102 or 142 when the buffer cannot take a record. The format of the
    // file to convert, when given, is offered too.
    static int ask(QWidget* parent, const QString& caption, uint8_t* buffer, uint32_t* sizeCell, uint32_t flags,
                   const WaveFormatEx* source = nullptr);

    int selected() const;

private:
    QComboBox* m_formats = nullptr;
};
