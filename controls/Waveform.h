#pragma once
// TQzv32WaveDisplay, the control that shows one WAV file as a waveform: the file side
// (WaveDisplayFile: opening, peaks, the peak cache file) wired to a view with a zoom level, a first
// visible frame, a caret and a selection made with the mouse or the caret keys.
//
// Rendering happens off-screen once per zoom or scroll change (DrawView): from the peak cache at
// 32 frames per pixel and more, from the visible samples of the file below that. Painting, caret
// moves and selection changes only copy the rendered images. The arithmetic lives in
// WaveViewGeometry, WaveTraces and TraceRaster; this class keeps the state and the order of the
// steps.
//
// The client area is the contents rectangle inside the border (one plain pixel, or a sunken edge
// with Ctl3D); all pixel positions below are relative to its left edge. The operations that a
// derived display (the overview strip) may replace are virtual.

#include "controls/TraceRaster.h"
#include "controls/WaveDisplayFile.h"
#include "controls/WaveTraces.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

namespace controls {

class TQzv32WaveDisplay : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor AxisColor READ AxisColor WRITE setAxisColor)
    Q_PROPERTY(QColor BackGroundColor READ BackGroundColor WRITE setBackGroundColor)
    Q_PROPERTY(QColor WaveFormColor READ WaveFormColor WRITE setWaveFormColor)
    Q_PROPERTY(QColor SelectionBackGroundColor READ SelectionBackGroundColor WRITE setSelectionBackGroundColor)
    Q_PROPERTY(QColor SelectionWaveFormColor READ SelectionWaveFormColor WRITE setSelectionWaveFormColor)
    Q_PROPERTY(QColor CaretColor READ CaretColor WRITE setCaretColor)
    Q_PROPERTY(bool ShowCaret READ ShowCaret WRITE setShowCaret)
    Q_PROPERTY(quint32 CaretPositionBySamples READ CaretPositionBySamples WRITE setCaretPositionBySamples)
    Q_PROPERTY(quint32 LeftSamplePos READ LeftSamplePos WRITE setLeftSamplePos)
    Q_PROPERTY(quint32 RightSamplePos READ RightSamplePos)
    Q_PROPERTY(quint32 ZoomLevel READ ZoomLevel WRITE setZoomLevel)
    Q_PROPERTY(quint32 MaxZoomLevel READ MaxZoomLevel)
    Q_PROPERTY(quint32 MaxPosition READ MaxPosition)
    Q_PROPERTY(quint32 SelectionStartPos READ SelectionStartPos)
    Q_PROPERTY(quint32 SelectionEndPos READ SelectionEndPos)
    Q_PROPERTY(quint32 TotalSamples READ TotalSamples)
    Q_PROPERTY(QString WaveFileName READ WaveFileName)
    Q_PROPERTY(bool EnableSelection READ EnableSelection WRITE setEnableSelection)
    Q_PROPERTY(bool EnableKeyboardSupport READ EnableKeyboardSupport WRITE setEnableKeyboardSupport)
    Q_PROPERTY(bool EnableMouseSupport READ EnableMouseSupport WRITE setEnableMouseSupport)
    Q_PROPERTY(QString NoSamplePresentText READ NoSamplePresentText WRITE setNoSamplePresentText)
    Q_PROPERTY(bool Ctl3D READ Ctl3D WRITE setCtl3D)

public:
    explicit TQzv32WaveDisplay(QWidget* parent = nullptr);
    ~TQzv32WaveDisplay() override;

    // --- The file side (see WaveDisplayFile for the codes) ---

    // Opens and checks a WAV file: the view shows the empty picture, the zoom is 32 and the caret
    // at 0, and nothing is rendered until the cache is built or loaded and DrawView is called.
    virtual int OpenWaveFile(const QString& fileName);
    // Builds the peak cache on the calling thread.
    virtual int BuildPeaks(std::atomic<int32_t>& progress);
    // The same as a job for a worker thread; see WaveDisplayFile for what the GUI thread may do
    // while it runs. The view draws nothing until finishPeakBuild.
    std::unique_ptr<PeakBuildJob> beginPeakBuild(std::atomic<int32_t>& progress);
    int finishPeakBuild(PeakBuildJob& job);
    virtual void CancelPeakBuilding();
    // Back to no file: the empty picture, no caret, zoom 1, positions and selection 0, no focus.
    virtual void CloseWave();
    int SavePeakFile(const QString& peakFileName);
    int LoadPeakFile(const QString& peakFileName);
    int LoadPeakFileNoTimeCheck(const QString& peakFileName);
    int UsePeaks(std::shared_ptr<const PeakCache> peaks);
    void SetTotalSamples(uint32_t count);
    int DeletePeakRange(uint32_t a, uint32_t b, std::shared_ptr<const PeakCache> shortened = nullptr);
    int GetFileWriteTime(const QString& fileName, int64_t& time);
    virtual int GetLastError(QString* message = nullptr, int* osError = nullptr, QString* osMessage = nullptr) const;

    const WaveFormatEx& format() const { return m_file.format(); }
    PeakState peakState() const { return m_file.peakState(); }
    const PeakCache& peakCache() const { return m_file.peakCache(); }
    const std::shared_ptr<const PeakCache>& sharedPeaks() const { return m_file.sharedPeaks(); }

    // --- The view ---

    // Renders zoom frames per pixel from frame left, both kept inside the file. 0 (also when there
    // is no file, no client area or the cache is being built: nothing is drawn then), 112 (an empty
    // cache, or one with fewer channels than the file), the file's codes when drawing from the
    // samples (101 to 105, 107, 113).
    virtual int DrawView(uint32_t zoom, uint32_t left);
    // Selects start to end (each at most TotalSamples) and moves the caret to end; no OnSelection.
    virtual void SetSelection(uint32_t start, uint32_t end);
    virtual void ZoomToSelection();
    virtual void SelectAll();
    virtual void ClearSelection();

    QColor AxisColor() const { return m_axisColor; }
    void setAxisColor(const QColor& color);
    QColor BackGroundColor() const { return m_backGroundColor; }
    void setBackGroundColor(const QColor& color);
    QColor WaveFormColor() const { return m_waveFormColor; }
    void setWaveFormColor(const QColor& color);
    QColor SelectionBackGroundColor() const { return m_selectionBackGroundColor; }
    void setSelectionBackGroundColor(const QColor& color);
    QColor SelectionWaveFormColor() const { return m_selectionWaveFormColor; }
    void setSelectionWaveFormColor(const QColor& color);
    QColor CaretColor() const { return m_caretColor; }
    void setCaretColor(const QColor& color);

    bool ShowCaret() const { return m_showCaret; }
    void setShowCaret(bool show);
    uint32_t CaretPositionBySamples() const { return m_file.view().CaretPositionBySamples; }
    // Moves the caret (at most to TotalSamples), scrolling it into view; no event.
    void setCaretPositionBySamples(uint32_t sample);
    uint32_t LeftSamplePos() const { return m_file.view().LeftSamplePos; }
    // Scrolls to a first visible frame; ignored without samples.
    void setLeftSamplePos(uint32_t sample);
    uint32_t RightSamplePos() const { return m_file.view().RightSamplePos; }
    uint32_t ZoomLevel() const { return m_file.view().ZoomLevel; }
    // Zooms (0 counts as 1) keeping the caret at the left edge, except within the first and the
    // last screen of the file; ignored without samples.
    void setZoomLevel(uint32_t zoom);
    uint32_t MaxZoomLevel();
    // The largest LeftSamplePos that still fills the view; 0 without samples.
    uint32_t MaxPosition() const;
    uint32_t SelectionStartPos() const { return m_file.view().SelectionStartPos; }
    uint32_t SelectionEndPos() const { return m_file.view().SelectionEndPos; }
    uint32_t TotalSamples() const { return m_file.TotalSamples(); }
    QString WaveFileName() const { return m_file.WaveFileName(); }

    bool EnableSelection() const { return m_enableSelection; }
    void setEnableSelection(bool enable) { m_enableSelection = enable; }
    bool EnableKeyboardSupport() const { return m_enableKeyboardSupport; }
    void setEnableKeyboardSupport(bool enable) { m_enableKeyboardSupport = enable; }
    bool EnableMouseSupport() const { return m_enableMouseSupport; }
    void setEnableMouseSupport(bool enable) { m_enableMouseSupport = enable; }
    QString NoSamplePresentText() const { return m_noSamplePresentText; }
    void setNoSamplePresentText(const QString& text);
    bool Ctl3D() const { return m_ctl3D; }
    void setCtl3D(bool sunken);

    // Pixels added to both ends of each column's trace (negative: toward the axis); takes effect
    // at the next rendering.
    int ScaleVertical = 0;
    // Draw only the background and the zero lines; takes effect at the next rendering.
    bool HideWaveForm = false;

    // The client column at which the caret is drawn; nothing while it is hidden or out of view.
    std::optional<int> caretPixel() const;
    // The last rendering (client size), null before the first one of a file.
    const QImage& viewImage() const { return m_viewImage; }

    QSize sizeHint() const override;

signals:
    void OnCaretPositionChange();
    // The selection changed: its ends, or (0, 0) when it was cleared.
    void OnSelection(quint32 startSelectionPos, quint32 endSelectionPos);
    void OnClick();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    int clientWidth() const;
    int clientHeight() const;
    int clientX(const QMouseEvent* event) const;
    bool hasSamples() const;
    bool mouseHandled() const;
    void SetCaret(uint32_t sample, bool notify, bool scroll);
    void ScrollTo(uint32_t left);
    void PaintSelection();
    void dragTo(int x);
    void stopDragging();
    void clientResized();
    void renderImage(QImage& image, QSize size, const QColor& background, const QColor& waveform) const;
    void paintEmptyPicture(QPainter& painter, bool withText) const;
    // The plain border: the palette's text colour as the owner set it, or else that colour made
    // to stand out from the view's background.
    QColor borderColor() const;
    void paintAxes(QPainter& painter, QSize size) const;

    WaveDisplayFile m_file;

    QColor m_axisColor;
    QColor m_backGroundColor;
    QColor m_waveFormColor;
    QColor m_selectionBackGroundColor;
    QColor m_selectionWaveFormColor;
    QColor m_caretColor;
    bool m_showCaret = true;
    bool m_enableSelection = true;
    bool m_enableKeyboardSupport = true;
    bool m_enableMouseSupport = true;
    QString m_noSamplePresentText;
    bool m_ctl3D = false;

    // The rendered pictures: the view in the normal colours, and the same traces in the selection
    // colours, drawn when a selection is first painted after each rendering.
    QImage m_viewImage;
    QImage m_selectionImage;
    bool m_selectionImageStale = true;
    WaveTraces m_traces;
    std::vector<ColumnSpans> m_spans; // the traces' pixels, per channel
    // The client size the view was last laid out for. A resize keeps the zoom and the first visible
    // frame unless the file no longer fills the new width; then the former span is refitted to it
    // (see zoomRefitForResize), and m_refitCount counts those refits.
    QSize m_layoutSize;
    int m_refitCount = 0;

    bool m_caretShown = false;     // the caret is not hidden (it is drawn when also in view)
    bool m_selectionShown = false; // the canvas shows the selection, not the plain view
    bool m_extending = false;      // a shift-key or mouse selection is in progress
    bool m_anchored = false;       // a finished selection exists that the keyboard may extend
    bool m_mouseSelecting = false; // a drag is in progress
    bool m_pressed = false;        // a button went down in the control
    QTimer m_autoScroll;           // repeats the drag while the pointer rests outside the view
    int m_dragX = 0;
};

} // namespace controls
