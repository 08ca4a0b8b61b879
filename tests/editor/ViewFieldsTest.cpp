// The view of the current document: the zoom and scroll arithmetic, the ruler, overview frame and
// status bar following the display, and the position fields in both forms with their editing, on a
// fake display and a fake window.
#include "editor/ViewFields.h"

#include "common/WaveUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>
#include <optional>
#include <vector>

namespace {

constexpr int ms = kPositionMilliseconds;
constexpr int frames = kPositionFrames;
constexpr uint32_t kMax32 = std::numeric_limits<uint32_t>::max();
const WaveFormatEx k48 = makePcmFormat(48000, 16, 2);
const WaveFormatEx k44 = makePcmFormat(44100, 8, 1);
constexpr uint32_t kThreeHours48 = 48000u * 3 * 3600; // 518,400,000: nine digits

// A display with the view arithmetic of the real one, recording what it was asked to do.
class FakeDisplay : public ViewDisplay {
public:
    explicit FakeDisplay(uint32_t total, int width = 1000)
        : total(total)
        , width(width)
    {
    }

    uint32_t zoomLevel() const override { return zoom; }
    uint32_t maxZoomLevel() override { return width > 0 ? total / uint32_t(width) + 1 : 1; }
    uint32_t leftSample() const override { return left; }
    uint32_t rightSample() const override { return uint32_t(std::min<uint64_t>(left + span(), total)); }
    uint32_t maxPosition() const override { return total - uint32_t(std::min<uint64_t>(total, span())); }
    uint32_t totalSamples() const override { return total; }
    uint32_t caret() const override { return caretAt; }
    uint32_t selectionStart() const override { return start; }
    uint32_t selectionEnd() const override { return end; }
    int clientWidth() const override { return width; }
    int drawView(uint32_t z, uint32_t l) override
    {
        if (drawCode == 0) {
            zoom = z;
            left = l;
        }
        return drawCode;
    }
    void setZoomLevel(uint32_t z) override { zoom = z; }
    void setLeftSample(uint32_t l) override
    {
        left = l;
        ++scrolls;
    }
    void setCaret(uint32_t sample) override { caretAt = std::min(sample, total); }
    void setSelection(uint32_t a, uint32_t b) override
    {
        start = a;
        end = b;
        ++selectionsSet;
    }
    void clearSelection() override { start = end = 0; }
    void selectAll() override
    {
        start = 0;
        end = total;
    }
    void zoomToSelection() override { zoom = std::max<uint32_t>((end - start) / uint32_t(width) + 1, 1); }

    uint64_t span() const { return uint64_t(width) * zoom; }

    uint32_t total;
    int width;
    uint32_t zoom = 32;
    uint32_t left = 0;
    uint32_t caretAt = 0;
    uint32_t start = 0;
    uint32_t end = 0;
    int drawCode = 0;
    int scrolls = 0;
    int selectionsSet = 0;
};

class FakeHost : public ViewHost {
public:
    void setRuler(const RulerView& ruler) override { rulers.push_back(ruler); }
    uint32_t overviewZoomLevel() override { return overviewZoom; }
    int overviewWidth() const override { return overviewPixels; }
    void setOverviewFrame(const OverviewFrame& frame) override { frames.push_back(frame); }
    void setFieldText(PositionField field, const QString& text) override { texts[field] = text.toStdString(); }
    void setFieldMasks(const QString& inputMask, const QString& emptyText) override
    {
        mask = inputMask.toStdString();
        empty = emptyText.toStdString();
    }
    void setStatusPanel(int panel, const QString& text) override { panels[panel] = text.toStdString(); }
    void setControlState(ControlState state) override { states.push_back(state); }
    void setSelectItems(bool all, bool none) override
    {
        selectAllOn = all;
        selectNoneOn = none;
    }

    std::string text(PositionField field) { return texts[field]; }

    uint32_t overviewZoom = 1000;
    int overviewPixels = 500;
    std::vector<RulerView> rulers;
    std::vector<OverviewFrame> frames;
    std::map<PositionField, std::string> texts;
    std::string mask;
    std::string empty;
    std::map<int, std::string> panels;
    std::vector<ControlState> states;
    std::optional<bool> selectAllOn;
    std::optional<bool> selectNoneOn;
};

// A view with one document open on a fake display.
struct ViewFixture {
    ViewFixture(uint32_t total, bool samples, const WaveFormatEx& format = k48, uint32_t lengthMs = 0)
        : display(total)
        , fields(host, samples, k44)
    {
        document.display = &display;
        document.format = format;
        document.lengthMs = lengthMs;
        document.displayName = QStringLiteral("Take 1.wav");
        fields.setDocument(&document);
    }

    FakeDisplay display;
    FakeHost host;
    ViewDocument document;
    ViewFields fields;
};

TEST(ViewArithmetic, ZoomSteps)
{
    const struct {
        uint32_t level;
        uint32_t in;
    } ins[] = {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 2}, {5, 2}, {33, 16}, {kMax32, kMax32 / 2}};
    for (const auto& c : ins)
        EXPECT_EQ(zoomInLevel(c.level), c.in) << c.level;

    const struct {
        uint32_t level;
        uint32_t max;
        uint32_t out;
    } outs[] = {
        {1, 10, 2},
        {4, 10, 8},
        {5, 10, 10}, // the double reaches the maximum
        {6, 10, 10},
        {10, 10, 10},
        {0x80000000u, kMax32, kMax32}, // the double passes 32 bits
        {0x7FFFFFFFu, kMax32, 0xFFFFFFFEu},
    };
    for (const auto& c : outs)
        EXPECT_EQ(zoomOutLevel(c.level, c.max), c.out) << c.level << " " << c.max;
}

TEST(ViewArithmetic, ScrollByHalfAView)
{
    const struct {
        uint32_t left;
        uint32_t zoom;
        int width;
        uint32_t target;
    } lefts[] = {
        {1000, 4, 100, 800},
        {200, 4, 100, 0},
        {100, 4, 100, 0}, // floored at 0
        {0, 4, 100, 0},
        {4000000000u, 100000, 1000, 3950000000u},
        {5, 4000000, 4000, 0}, // half a view beyond 32 bits
        {500, 4, 0, 500},
    };
    for (const auto& c : lefts)
        EXPECT_EQ(scrollLeftTarget(c.left, c.zoom, c.width), c.target) << c.left;

    const struct {
        uint32_t left;
        uint32_t zoom;
        int width;
        uint32_t maxPosition;
        std::optional<uint32_t> target;
    } rights[] = {
        {0, 4, 100, 1000, 200u},
        {900, 4, 100, 1000, 1000u}, // capped at the last screen
        {0, 4, 100, 0, std::nullopt}, // the file fits the view
        {0, 0, 100, 1000, std::nullopt},
        {4200000000u, 4000000, 2000, 4290000000u, 4290000000u}, // the sum passes 32 bits
    };
    for (const auto& c : rights)
        EXPECT_EQ(scrollRightTarget(c.left, c.zoom, c.width, c.maxPosition), c.target) << c.left;
}

TEST(ViewArithmetic, OverviewFrameAroundTheView)
{
    const struct {
        uint32_t left;
        uint32_t right;
        uint32_t zoom;
        int width;
        OverviewFrame frame;
    } cases[] = {
        {0, 32000, 1000, 500, {0, 32}},
        {64000, 96500, 1000, 500, {64, 32}},
        {0, 4000000, 1000, 500, {0, 500}}, // at most the overview's width
        {10, 20, 0, 500, {10, 10}},        // a zoom of 0 counts as 1
        {20, 10, 4, 500, {5, 0}},
        {kThreeHours48 - 32000, kThreeHours48, kThreeHours48 / 500 + 1, 500, {499, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(overviewFrameFor(c.left, c.right, c.zoom, c.width), c.frame) << c.left;
}

TEST(ViewCommands, ZoomMovesTheRulerTheFrameAndTheZoomPanel)
{
    const struct {
        void (ViewFields::*command)();
        uint32_t before;
        uint32_t after;
    } cases[] = {
        {&ViewFields::zoomIn, 5, 2},
        {&ViewFields::zoomIn, 3, 1},
        {&ViewFields::zoomOut, 32, 64},
        {&ViewFields::zoomOut, 400, 481}, // 480,000 frames in 1,000 pixels: the maximum is 481
        {&ViewFields::zoomToExtents, 1, 481},
    };
    for (const auto& c : cases) {
        ViewFixture v(480000, true);
        v.display.zoom = c.before;
        v.host.rulers.clear();
        v.host.frames.clear();
        (v.fields.*c.command)();
        EXPECT_EQ(v.display.zoom, c.after);
        ASSERT_EQ(v.host.rulers.size(), 1u);
        EXPECT_EQ(v.host.rulers.back().zoom, c.after);
        EXPECT_TRUE(v.host.rulers.back().dataAvailable);
        ASSERT_EQ(v.host.frames.size(), 1u);
        EXPECT_EQ(v.host.frames.back().width, std::min<int64_t>(int64_t(c.after) * 1000, 480000) / 1000);
        EXPECT_EQ(v.host.panels[4], "1:" + std::to_string(c.after));
    }
}

TEST(ViewCommands, ZoomToSelectionAsksTheDisplay)
{
    ViewFixture v(480000, true);
    v.display.start = 1000;
    v.display.end = 21000;
    v.fields.zoomToSelection();
    EXPECT_EQ(v.display.zoom, 21u);
    EXPECT_EQ(v.host.panels[4], "1:21");
}

TEST(ViewCommands, ScrollButtons)
{
    ViewFixture v(480000, true);
    v.display.zoom = 100; // a view of 100,000 frames
    v.fields.scrollRight();
    EXPECT_EQ(v.display.left, 50000u);
    v.display.left = 370000;
    v.fields.scrollRight();
    EXPECT_EQ(v.display.left, 380000u); // the last screen
    EXPECT_EQ(v.host.rulers.back().left, 380000u);
    EXPECT_EQ(v.host.frames.back(), (OverviewFrame{380, 100}));
    v.display.left = 30000;
    v.fields.scrollLeft();
    EXPECT_EQ(v.display.left, 0u);

    ViewFixture shortFile(500, true);
    shortFile.display.zoom = 1;
    shortFile.fields.scrollRight();
    EXPECT_EQ(shortFile.display.scrolls, 0);
}

TEST(ViewCommands, NothingHappensWithoutADocument)
{
    FakeHost host;
    ViewFields fields(host, false, k44);
    fields.setDocument(nullptr);
    host.frames.clear();
    fields.zoomIn();
    fields.zoomOut();
    fields.zoomToExtents();
    fields.scrollLeft();
    fields.scrollRight();
    fields.displayCaretMoved();
    fields.beginCaretEdit();
    fields.endCaretEdit(QStringLiteral("001:00:000"));
    EXPECT_TRUE(host.frames.empty());
    EXPECT_EQ(host.text(PositionField::Caret), "000:00:000");
    ASSERT_EQ(host.rulers.size(), 1u);
    EXPECT_FALSE(host.rulers.back().dataAvailable);
    EXPECT_EQ(host.rulers.back().format, k44);
    for (int i = 0; i < kEditorStatusPanelCount; ++i)
        EXPECT_EQ(host.panels[i], "") << i;
}

TEST(ViewCommands, TheRulerIsSetOnlyWhenItChanges)
{
    ViewFixture v(480000, true);
    const size_t before = v.host.rulers.size();
    v.fields.updateRuler();
    v.fields.displayCaretMoved();
    EXPECT_EQ(v.host.rulers.size(), before);
    v.display.zoom = 0;
    v.fields.updateRuler();
    ASSERT_EQ(v.host.rulers.size(), before + 1);
    EXPECT_EQ(v.host.rulers.back().zoom, 1u); // a zoom of 0 counts as 1
}

TEST(ViewCommands, SetZoomFollowsOnlyASuccessfulRendering)
{
    ViewFixture v(480000, true);
    EXPECT_EQ(v.fields.setZoom(v.display, 64, 1000), 0);
    EXPECT_EQ(v.host.rulers.back().zoom, 64u);
    EXPECT_EQ(v.host.rulers.back().left, 1000u);
    const size_t before = v.host.rulers.size();
    v.display.drawCode = 112;
    EXPECT_EQ(v.fields.setZoom(v.display, 8, 0), 112);
    EXPECT_EQ(v.host.rulers.size(), before);
}

TEST(ViewFields, FieldTextsInBothForms)
{
    const struct {
        bool samples;
        uint32_t total;
        uint32_t value;
        int unit;
        const char* text;
        const char* mask;
    } cases[] = {
        {true, 480000, 48000, frames, "00048000", "99999999"},
        {true, 480000, 1500, ms, "00072000", "99999999"},
        {false, 480000, 48000, frames, "000:01:000", "999:99:999"},
        {false, 480000, 61005, ms, "001:01:005", "999:99:999"},
        {false, 480000, 47999, frames, "000:00:999", "999:99:999"}, // frames to ms truncates
        {true, kThreeHours48, kThreeHours48, frames, "518400000", "999999999"},
        {true, kThreeHours48, 0, frames, "000000000", "999999999"},
        {false, kThreeHours48, kThreeHours48, frames, "180:00:000", "999:99:999"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ViewFixture v(c.total, c.samples);
        v.fields.showCaretPosition(c.value, c.unit);
        v.fields.showSelectionField(c.value, c.unit, PositionField::SelectionEnd);
        EXPECT_EQ(v.host.text(PositionField::Caret), c.text);
        EXPECT_EQ(v.host.text(PositionField::SelectionEnd), c.text);
        EXPECT_EQ(v.host.mask, c.mask);
    }
}

TEST(ViewFields, EditingTheCaretField)
{
    // The caret starts at 4,800 (100 ms) inside a selection from 2,400 to 7,200.
    const struct {
        bool samples;
        uint32_t total;
        std::optional<const char*> typed; // none: Esc
        uint32_t caret;
        const char* shown;
        bool accepted; // the text was a position: the overview frame follows
        bool moved;
    } cases[] = {
        {true, 480000, "00048000", 48000, "00048000", true, true},
        {true, 480000, "    1234", 1234, "00001234", true, true},
        {true, 480000, "00480000", 480000, "00480000", true, true},
        {true, 480000, "00480001", 480000, "00480000", true, true}, // past the end: the end
        {true, 480000, "99999999", 480000, "00480000", true, true},
        {true, 480000, "00004800", 4800, "00004800", true, false}, // where it was: no move
        {true, 480000, "12x", 4800, "00004800", false, false},     // no number: as it was
        {true, 480000, std::nullopt, 4800, "00004800", false, false},
        {false, 480000, "000:01:000", 48000, "000:01:000", true, true},
        {false, 480000, "000:10:001", 480000, "000:10:000", true, true},
        {false, 480000, "000:60:000", 4800, "000:00:100", false, false},
        {false, 480000, "1:2", 4800, "000:00:100", false, false},
        // a typed millisecond lands on a whole frame, and the field shows where it landed
        {false, 441000, "000:00:001", 48, "000:00:001", true, true},
        {true, kThreeHours48, "518399999", 518399999, "518399999", true, true},
        {true, kThreeHours48, "600000000", kThreeHours48, "518400000", true, true},
        {false, kThreeHours48, "179:59:999", 518399952, "179:59:999", true, true},
        {false, kThreeHours48, "999:00:000", kThreeHours48, "180:00:000", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.value_or("Esc"));
        ViewFixture v(c.total, c.samples);
        v.display.caretAt = 4800;
        v.display.start = 2400;
        v.display.end = 7200;
        v.fields.displayCaretMoved();
        v.host.frames.clear();
        v.host.states.clear();
        v.fields.beginCaretEdit();
        EXPECT_TRUE(v.fields.caretEditing());
        v.fields.endCaretEdit(c.typed ? std::optional(QString::fromLatin1(*c.typed)) : std::nullopt);
        EXPECT_FALSE(v.fields.caretEditing());
        EXPECT_EQ(v.display.caretAt, c.caret);
        EXPECT_EQ(v.host.text(PositionField::Caret), c.shown);
        EXPECT_EQ(v.fields.readPositionField(frames), c.caret);
        EXPECT_EQ(v.host.frames.size(), c.accepted ? 1u : 0u);
        // a move clears the selection and both selection fields, and the selection's commands go off
        EXPECT_EQ(v.display.end, c.moved ? 0u : 7200u);
        EXPECT_EQ(v.host.states, c.moved ? std::vector{ControlState::SelectionEmpty} : std::vector<ControlState>{});
        if (c.moved) {
            EXPECT_EQ(v.host.text(PositionField::SelectionStart), v.host.empty);
            EXPECT_EQ(v.host.text(PositionField::SelectionEnd), v.host.empty);
        }
    }
}

// The caret at the end and a position typed past it: lowered to the end, that is no move, so the
// selection stays.
TEST(ViewFields, APositionPastTheEndIsNoMoveForACaretAtTheEnd)
{
    for (const bool samples : {true, false}) {
        ViewFixture v(480000, samples);
        v.display.caretAt = 480000;
        v.display.start = 2400;
        v.display.end = 7200;
        v.fields.displayCaretMoved();
        v.fields.beginCaretEdit();
        v.fields.endCaretEdit(samples ? QStringLiteral("00999999") : QStringLiteral("020:00:000"));
        EXPECT_EQ(v.display.caretAt, 480000u);
        EXPECT_EQ(v.display.end, 7200u);
        EXPECT_EQ(v.host.text(PositionField::Caret), samples ? "00480000" : "000:10:000");
    }
}

TEST(ViewFields, ReadingTheCaretFieldInMilliseconds)
{
    ViewFixture v(480000, true);
    v.fields.beginCaretEdit();
    v.fields.endCaretEdit(QStringLiteral("00072000"));
    EXPECT_EQ(v.fields.readPositionField(ms), 1500u);
    ViewFixture t(480000, false);
    t.fields.beginCaretEdit();
    t.fields.endCaretEdit(QStringLiteral("000:01:500"));
    EXPECT_EQ(t.fields.readPositionField(ms), 1500u);
    EXPECT_EQ(t.fields.readPositionField(frames), 72000u);
}

TEST(ViewFields, EditingTheSelectionFields)
{
    const struct {
        bool samples;
        PositionField which;
        const char* typed;
        uint32_t start; // the display's selection afterwards
        uint32_t end;
        const char* startText;
        const char* endText;
        std::optional<ControlState> state;
        int selectionsSet;
    } cases[] = {
        {true, PositionField::SelectionEnd, "00002000", 960, 2000, "00000960", "00002000", ControlState::SelectionNotEmpty, 1},
        // typed with the end before the start: stored from the smaller to the larger
        {true, PositionField::SelectionEnd, "00000500", 500, 960, "00000960", "00000500", ControlState::SelectionNotEmpty, 1},
        {true, PositionField::SelectionEnd, "00000960", 960, 960, "00000960", "00000960", ControlState::SelectionEmpty, 1},
        // past the end: the end, shown in the field
        {true, PositionField::SelectionEnd, "09999999", 960, 480000, "00000960", "00480000", ControlState::SelectionNotEmpty, 1},
        // the selection the display has already is not set again
        {true, PositionField::SelectionStart, "00000960", 960, 2976, "00000960", "00002976", ControlState::SelectionNotEmpty, 0},
        {true, PositionField::SelectionStart, "-1", 960, 2976, "00000960", "00002976", std::nullopt, 0},
        {false, PositionField::SelectionStart, "000:00:500", 2976, 24000, "000:00:500", "000:00:062", ControlState::SelectionNotEmpty, 1},
        {false, PositionField::SelectionEnd, "001:00:000", 960, 480000, "000:00:020", "000:10:000", ControlState::SelectionNotEmpty, 1},
        {false, PositionField::SelectionEnd, "000:00:1000", 960, 2976, "000:00:020", "000:00:062", std::nullopt, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        // 960 and 2,976 frames are whole milliseconds (20 and 62) at 48 kHz
        ViewFixture v(480000, c.samples);
        v.fields.displaySelected(960, 2976);
        v.display.start = 960;
        v.display.end = 2976;
        v.host.states.clear();
        v.fields.endSelectionEdit(c.which, QString::fromLatin1(c.typed));
        EXPECT_EQ(v.display.start, c.start);
        EXPECT_EQ(v.display.end, c.end);
        EXPECT_EQ(v.display.selectionsSet, c.selectionsSet);
        EXPECT_EQ(v.host.text(PositionField::SelectionStart), c.startText);
        EXPECT_EQ(v.host.text(PositionField::SelectionEnd), c.endText);
        EXPECT_EQ(v.host.states.empty() ? std::nullopt : std::optional(v.host.states.back()), c.state);
    }

    ViewFixture esc(480000, true);
    esc.fields.displaySelected(1000, 3000);
    esc.host.states.clear();
    esc.fields.endSelectionEdit(PositionField::SelectionStart, std::nullopt);
    EXPECT_EQ(esc.display.selectionsSet, 0);
    EXPECT_TRUE(esc.host.states.empty());
}

TEST(ViewFields, TheDisplaysSelectionAndSelectMenus)
{
    ViewFixture v(480000, true);
    v.fields.displaySelected(20, 20);
    EXPECT_EQ(v.host.states.back(), ControlState::SelectionEmpty);
    v.fields.displaySelected(20, 4000);
    EXPECT_EQ(v.host.states.back(), ControlState::SelectionNotEmpty);
    EXPECT_EQ(v.host.text(PositionField::SelectionStart), "00000020");
    EXPECT_EQ(v.host.text(PositionField::SelectionEnd), "00004000");

    v.fields.selectAll();
    EXPECT_EQ(v.display.end, 480000u);
    EXPECT_EQ(v.host.selectAllOn, false);
    EXPECT_EQ(v.host.selectNoneOn, true);
    v.display.caretAt = 5000;
    v.fields.displayCaretMoved();
    v.fields.displaySelected(0, 480000);
    v.fields.selectNone();
    EXPECT_EQ(v.display.caretAt, 0u);
    EXPECT_EQ(v.display.end, 0u);
    // The display does not tell of this clear: the fields and the commands follow all the same.
    EXPECT_EQ(v.host.states.back(), ControlState::SelectionEmpty);
    EXPECT_EQ(v.host.text(PositionField::SelectionStart), v.host.empty);
    EXPECT_EQ(v.host.text(PositionField::SelectionEnd), v.host.empty);
    EXPECT_EQ(v.host.text(PositionField::Caret), "00000000");
    EXPECT_EQ(v.host.selectAllOn, true);
    EXPECT_EQ(v.host.selectNoneOn, false);
}

TEST(ViewFields, SwitchingTheFormRewritesEverythingAtOnce)
{
    ViewFixture v(kThreeHours48, false, k48, 10800000);
    v.display.caretAt = 48000 * 61;
    v.display.start = kThreeHours48;
    v.display.end = 48000;
    v.fields.setPositionForm(true);
    EXPECT_TRUE(v.fields.samples());
    EXPECT_EQ(v.host.mask, "999999999");
    EXPECT_EQ(v.host.text(PositionField::Caret), "002928000");
    EXPECT_EQ(v.host.text(PositionField::SelectionStart), "000048000"); // the smaller end
    EXPECT_EQ(v.host.text(PositionField::SelectionEnd), "518400000");
    EXPECT_TRUE(v.host.rulers.back().samples);
    EXPECT_EQ(v.host.panels[5], "518400000");

    v.fields.setPositionForm(false);
    EXPECT_EQ(v.host.mask, "999:99:999");
    EXPECT_EQ(v.host.empty, "000:00:000");
    EXPECT_EQ(v.host.text(PositionField::Caret), "001:01:000");
    EXPECT_EQ(v.host.text(PositionField::SelectionStart), "000:01:000");
    EXPECT_EQ(v.host.text(PositionField::SelectionEnd), "180:00:000");
    EXPECT_FALSE(v.host.rulers.back().samples);
    EXPECT_EQ(v.host.panels[5], "180:00:000");

    FakeHost host;
    ViewFields none(host, false, k44);
    none.setPositionForm(true);
    EXPECT_EQ(host.mask, "99999999");
    EXPECT_EQ(host.text(PositionField::Caret), "00000000");
    EXPECT_TRUE(host.rulers.back().samples);
}

TEST(ViewFields, StatusPanels)
{
    FakeDisplay mono(441000);
    mono.zoom = 4;
    FakeDisplay stereo(kThreeHours48);
    stereo.zoom = 518401;
    const ViewDocument monoDocument{&mono, k44, 10000, QStringLiteral("Untitled1.wav")};
    const ViewDocument stereoDocument{&stereo, k48, 10800000, QStringLiteral("Show.wav")};
    const struct {
        const ViewDocument* document;
        bool samples;
        EditorStatusPanels panels;
    } cases[] = {
        {&monoDocument, false, {"Untitled1.wav", "44100 Hz", "8 Bit", "Mono", "1:4", "000:10:000"}},
        {&monoDocument, true, {"Untitled1.wav", "44100 Hz", "8 Bit", "Mono", "1:4", "441000"}},
        {&stereoDocument, true, {"Show.wav", "48000 Hz", "16 Bit", "Stereo", "1:518401", "518400000"}},
        {&stereoDocument, false, {"Show.wav", "48000 Hz", "16 Bit", "Stereo", "1:518401", "180:00:000"}},
        {nullptr, true, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(editorStatusPanels(c.document, c.samples), c.panels);
}

} // namespace
