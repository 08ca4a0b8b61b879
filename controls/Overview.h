#pragma once
// TQzv32Overview, the thin strip above the editor's main view that shows a whole file, with a
// movable, sizable frame (TQzv32OViewFrame) over the part the main view shows. It is a waveform
// display without caret, keys or selection by mouse. The frame is hidden until a file is opened;
// every move or resize of it raises OnFramePosSizeChange. The owner keeps frame and main view in
// step (the frame's left and width from the view's left sample and span, and back).

#include "controls/OViewFrame.h"
#include "controls/Waveform.h"

namespace controls {

class TQzv32Overview : public TQzv32WaveDisplay {
    Q_OBJECT

public:
    // How far the frame reaches above and below the strip, so that only its sides show.
    static constexpr int kFrameOverhang = 40;

    explicit TQzv32Overview(QWidget* parent = nullptr);

    TQzv32OViewFrame* frame() const { return m_frame; }

    // Places the frame over the whole strip and shows it, then opens the file.
    int OpenWaveFile(const QString& fileName) override;
    // Closes the file and hides the frame.
    void CloseWave() override;

signals:
    void OnFramePosSizeChange();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    TQzv32OViewFrame* m_frame;
};

} // namespace controls
