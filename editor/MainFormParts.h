#pragma once
// What the main window's files share inside the window: the widgets of one document, the view's
// access to a waveform display, and switching a menu item or a button alike.

#include "editor/MainForm.h"

#include "controls/Overview.h"
#include "controls/RectBtnEx.h"
#include "controls/Scale.h"
#include "controls/Waveform.h"
#include "platform/files/FileSnapshot.h"

#include <QAction>
#include <QSignalBlocker>

#include <memory>
#include <vector>

// Whether two stamps are of one file with the same audio: the changed time is left out, as a
// rename sets it.
bool sameAudio(const platform::FileStamp& a, const platform::FileStamp& b);

// Peaks with the files whose audio they were made from. A rename keeps a file's identity, size and
// modification time, so the undo and redo rotations, which only rename, find a state's peaks again
// by these; a file written anew never matches.
struct PeaksOfFiles {
    std::vector<platform::FileStamp> files;
    std::shared_ptr<const controls::PeakCache> peaks;

    bool fits(const platform::FileStamp& file) const;
};

// The widgets of one document.
struct TMainForm::DocumentViews {
    QWidget* page = nullptr; // ruler, display and overview, one page of the waveform area
    controls::TQzv32Scale* ruler = nullptr;
    controls::TQzv32WaveDisplay* display = nullptr;
    controls::TQzv32Overview* overview = nullptr;
    controls::TQzv32RectBtnEx* button = nullptr;
    std::unique_ptr<DisplayView> view;
    // The files the display's peaks fit: the file it shows and, once the workspace copy has
    // ended, the working copy of it.
    std::vector<platform::FileStamp> shownFits;
    // The peaks of the document's undo and redo states, shown again without a build.
    std::vector<PeaksOfFiles> kept;
};

// A document's waveform display as the view's rules see it. Where the rules show a new caret or
// selection themselves, the display's own signals are held back meanwhile.
class TMainForm::DisplayView : public ViewDisplay {
public:
    explicit DisplayView(controls::TQzv32WaveDisplay& display)
        : m_display(display)
    {
    }

    uint32_t zoomLevel() const override { return m_display.ZoomLevel(); }
    uint32_t maxZoomLevel() override { return m_display.MaxZoomLevel(); }
    uint32_t leftSample() const override { return m_display.LeftSamplePos(); }
    uint32_t rightSample() const override { return m_display.RightSamplePos(); }
    uint32_t maxPosition() const override { return m_display.MaxPosition(); }
    uint32_t totalSamples() const override { return m_display.TotalSamples(); }
    uint32_t caret() const override { return m_display.CaretPositionBySamples(); }
    uint32_t selectionStart() const override { return m_display.SelectionStartPos(); }
    uint32_t selectionEnd() const override { return m_display.SelectionEndPos(); }
    int clientWidth() const override { return m_display.contentsRect().width(); }
    int drawView(uint32_t zoom, uint32_t left) override { return m_display.DrawView(zoom, left); }
    void setZoomLevel(uint32_t zoom) override { m_display.setZoomLevel(zoom); }
    void setLeftSample(uint32_t left) override { m_display.setLeftSamplePos(left); }
    void setCaret(uint32_t sample) override
    {
        const QSignalBlocker quiet(&m_display);
        m_display.setCaretPositionBySamples(sample);
    }
    void setSelection(uint32_t start, uint32_t end) override
    {
        const QSignalBlocker quiet(&m_display);
        m_display.SetSelection(start, end);
    }
    void clearSelection() override
    {
        const QSignalBlocker quiet(&m_display);
        m_display.ClearSelection();
    }
    // The display tells of the whole selection itself, which switches the selection's commands on.
    void selectAll() override { m_display.SelectAll(); }
    void zoomToSelection() override
    {
        const QSignalBlocker quiet(&m_display);
        m_display.ZoomToSelection();
    }

private:
    controls::TQzv32WaveDisplay& m_display;
};


namespace mainform {

inline void setEnabledOf(QObject* object, bool on)
{
    if (auto* action = qobject_cast<QAction*>(object))
        action->setEnabled(on);
    else if (auto* widget = qobject_cast<QWidget*>(object))
        widget->setEnabled(on);
}

inline void setVisibleOf(QObject* object, bool on)
{
    if (auto* action = qobject_cast<QAction*>(object))
        action->setVisible(on);
    else if (auto* widget = qobject_cast<QWidget*>(object))
        widget->setVisible(on);
}

} // namespace mainform
