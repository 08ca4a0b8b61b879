#pragma once
// The main window's view of the current document without the widgets: the zoom and scroll commands,
// the ruler and the overview frame following the display, the three position fields (caret,
// selection start and end) in time or sample form with their in-place editing, the status bar's
// panels and the choice of position form. The display, ruler, overview, fields and status bar are
// reached through the two narrow interfaces below, so the rules run against fakes in tests.
//
// Positions are sample frames of a WAV (32 bits); products of zoom and width are taken in 64 bits.
// Frames and milliseconds are converted exactly in integers (common/WaveUtil.h ConvertPosition).

#include "editor/ControlStates.h"

#include "common/PositionBox.h"
#include "common/WaveFormat.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// --- The arithmetic of the commands ---

// Zoom in: halves a level above 3, else 1.
uint32_t zoomInLevel(uint32_t level);
// Zoom out: doubles a level while the double stays below the maximum, else the maximum.
uint32_t zoomOutLevel(uint32_t level, uint32_t maxLevel);
// Scroll left by half a view: left - zoom x width div 2, not below 0.
uint32_t scrollLeftTarget(uint32_t left, uint32_t zoom, int width);
// Scroll right by half a view, not past maxPosition (the largest left position that fills the
// view); none when that gives 0 (a file no longer than the view does not scroll).
std::optional<uint32_t> scrollRightTarget(uint32_t left, uint32_t zoom, int width, uint32_t maxPosition);

// The overview's frame around the part of the file the display shows.
struct OverviewFrame {
    int64_t left = 0;
    int64_t width = 0;

    friend bool operator==(const OverviewFrame&, const OverviewFrame&) = default;
};
// (right - left) and left divided by the overview's zoom level (0 counts as 1); the width is at
// most the overview's width.
OverviewFrame overviewFrameFor(uint32_t left, uint32_t right, uint32_t overviewZoom, int overviewWidth);

// What the ruler shows.
struct RulerView {
    uint32_t zoom = 1; // a zoom of 0 counts as 1
    uint32_t left = 0;
    WaveFormatEx format;
    bool samples = false;       // the scale counts samples, else time
    bool dataAvailable = false; // a current document with samples

    friend bool operator==(const RulerView&, const RulerView&) = default;
};

// The status bar: display name, rate, bits, channels, zoom, length.
inline constexpr int kEditorStatusPanelCount = 6;
using EditorStatusPanels = std::array<QString, kEditorStatusPanelCount>;

// --- The interfaces ---

// The current document's waveform display, as the view's rules use it.
class ViewDisplay {
public:
    virtual ~ViewDisplay();
    virtual uint32_t zoomLevel() const = 0;
    virtual uint32_t maxZoomLevel() = 0;
    virtual uint32_t leftSample() const = 0;
    virtual uint32_t rightSample() const = 0;
    virtual uint32_t maxPosition() const = 0;
    virtual uint32_t totalSamples() const = 0;
    virtual uint32_t caret() const = 0;
    virtual uint32_t selectionStart() const = 0;
    virtual uint32_t selectionEnd() const = 0;
    virtual int clientWidth() const = 0;
    // Renders zoom frames per pixel from left: 0 or the display's code.
    virtual int drawView(uint32_t zoom, uint32_t left) = 0;
    virtual void setZoomLevel(uint32_t zoom) = 0;
    virtual void setLeftSample(uint32_t left) = 0;
    virtual void setCaret(uint32_t sample) = 0;
    // Neither of these raises the display's selection event.
    virtual void setSelection(uint32_t start, uint32_t end) = 0;
    virtual void clearSelection() = 0;
    virtual void selectAll() = 0;
    virtual void zoomToSelection() = 0;
};

enum class PositionField { Caret = 0, SelectionStart = 1, SelectionEnd = 2 };

// The rest of the main window that follows the view.
class ViewHost {
public:
    virtual ~ViewHost();
    // Called only when something the ruler shows changed.
    virtual void setRuler(const RulerView& ruler) = 0;
    // The current document's overview: its zoom level and width, and its frame (the host keeps the
    // overview from reporting this move back as a frame change).
    virtual uint32_t overviewZoomLevel() = 0;
    virtual int overviewWidth() const = 0;
    virtual void setOverviewFrame(const OverviewFrame& frame) = 0;
    // A field's label (and, for the selection fields, its edit field).
    virtual void setFieldText(PositionField field, const QString& text) = 0;
    // The edit mask of the three edit fields and the text an empty field shows.
    virtual void setFieldMasks(const QString& inputMask, const QString& emptyText) = 0;
    virtual void setStatusPanel(int panel, const QString& text) = 0;
    virtual void setControlState(ControlState state) = 0;
    virtual void setSelectItems(bool selectAllEnabled, bool selectNoneEnabled) = 0;
};

// The current document as the view sees it.
struct ViewDocument {
    ViewDisplay* display = nullptr;
    WaveFormatEx format;
    uint32_t lengthMs = 0;
    QString displayName;
};

class ViewFields {
public:
    // samples: the position form of the settings. recordingFormat: the format of the
    // recording-format dialog, which converts positions while no document is open.
    ViewFields(ViewHost& host, bool samples, const WaveFormatEx& recordingFormat);

    // The current document changed (none: null). The fields' masks follow its length.
    void setDocument(const ViewDocument* document);
    void setRecordingFormat(const WaveFormatEx& format) { m_recordingFormat = format; }
    bool samples() const { return m_samples; }

    // The zoom commands of the toolbar and the View menu.
    void zoomIn();
    void zoomOut();
    void zoomToExtents();
    void zoomToSelection();
    // The scroll buttons (repeated while held).
    void scrollLeft();
    void scrollRight();
    // Renders the display at level and left; on success the ruler follows. The display's code.
    int setZoom(ViewDisplay& display, uint32_t level, uint32_t left);

    void updateRuler();
    void moveOverviewFrame();
    void updateStatusBar();

    // Writes a position given in unit (kPositionMilliseconds or kPositionFrames) into a field in
    // the current form.
    void showCaretPosition(uint32_t value, int unit);
    void showSelectionField(uint32_t value, int unit, PositionField which);
    // What a field's text stands for, in unit; none when the text is no position of the current
    // form. A selection field past the end is lowered to the end and then shows the end.
    std::optional<uint32_t> readPositionField(int unit) const;
    std::optional<uint32_t> readSelectionField(int unit, PositionField which);
    QString fieldText(PositionField field) const { return m_texts[size_t(field)]; }

    // Moves the caret: the selection is cleared, both selection fields show 0 and the selection's
    // commands go off.
    void moveCaret(uint32_t sample);
    // Selects from the smaller to the larger end, unless the display has that selection already;
    // the selection's commands follow either way.
    void setSelection(uint32_t a, uint32_t b);

    // In-place editing of the caret field: a click on its label starts it; Enter or leaving the
    // field ends it with the typed text, Esc with none (nothing changes). A typed position past the
    // end moves the caret to the end; a text that is no position leaves the caret and the field as
    // they were.
    void beginCaretEdit();
    bool caretEditing() const { return m_caretEditing; }
    void endCaretEdit(const std::optional<QString>& typed);
    // The end of editing a selection field: with a text, both fields are read and become the
    // selection; Esc (none) changes nothing.
    void endSelectionEdit(PositionField which, const std::optional<QString>& typed);

    // The display's events: a selection made with the mouse or keys, and a caret move.
    void displaySelected(uint32_t start, uint32_t end);
    void displayCaretMoved();

    void selectAll();
    // The caret to the start and no selection.
    void selectNone();

    // View > Minutes / Seconds (false) or Sample Number (true): masks, all three fields and the
    // ruler at once. The caller keeps the choice in the settings.
    void setPositionForm(bool samples);

private:
    // A field's position in a unit, and whether it was lowered to the end of the file.
    struct FieldValue {
        uint32_t value = 0;
        bool lowered = false;
    };

    ViewDisplay* display() const;
    const WaveFormatEx& conversionFormat() const;
    uint32_t totalSamples() const;
    PositionBox box() const;
    std::optional<FieldValue> fieldValue(PositionField field, int unit) const;
    void showField(PositionField field, uint32_t value, int unit);
    // The caret and the selection, its smaller end in the start field.
    void showDisplayPositions();
    void applyMasks();
    void followZoom();
    // The display tells of no selection set or cleared from here: the fields and the control
    // states are brought along by these.
    void clearSelection(ViewDisplay& d);

    ViewHost& m_host;
    bool m_samples;
    WaveFormatEx m_recordingFormat;
    std::optional<ViewDocument> m_document;
    std::array<QString, 3> m_texts;
    std::optional<RulerView> m_ruler;
    bool m_caretEditing = false;
    uint32_t m_caretBeforeEdit = 0;
};

// The status bar's panels for the current document (none: all empty). samples: the length is the
// display's total samples, else the duration in the time form.
EditorStatusPanels editorStatusPanels(const ViewDocument* document, bool samples);
