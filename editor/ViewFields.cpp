#include "editor/ViewFields.h"

#include "common/WaveUtil.h"

#include <algorithm>
#include <limits>

uint32_t zoomInLevel(uint32_t level)
{
    return level > 3 ? level / 2 : 1;
}

uint32_t zoomOutLevel(uint32_t level, uint32_t maxLevel)
{
    const uint64_t doubled = uint64_t(level) * 2;
    return doubled < maxLevel ? uint32_t(doubled) : maxLevel;
}

namespace {

uint64_t halfView(uint32_t zoom, int width)
{
    return uint64_t(zoom) * uint64_t(std::max(width, 0)) / 2;
}

} // namespace

uint32_t scrollLeftTarget(uint32_t left, uint32_t zoom, int width)
{
    const uint64_t step = halfView(zoom, width);
    return step >= left ? 0 : uint32_t(left - step);
}

std::optional<uint32_t> scrollRightTarget(uint32_t left, uint32_t zoom, int width, uint32_t maxPosition)
{
    const uint32_t target = uint32_t(std::min<uint64_t>(left + halfView(zoom, width), maxPosition));
    if (target == 0)
        return std::nullopt;
    return target;
}

OverviewFrame overviewFrameFor(uint32_t left, uint32_t right, uint32_t overviewZoom, int overviewWidth)
{
    const int64_t zoom = std::max<uint32_t>(overviewZoom, 1);
    const int64_t span = right > left ? int64_t(right - left) : 0;
    return {int64_t(left) / zoom, std::min<int64_t>(span / zoom, std::max(overviewWidth, 0))};
}

ViewDisplay::~ViewDisplay() = default;
ViewHost::~ViewHost() = default;

ViewFields::ViewFields(ViewHost& host, bool samples, const WaveFormatEx& recordingFormat)
    : m_host(host)
    , m_samples(samples)
    , m_recordingFormat(recordingFormat)
{
}

ViewDisplay* ViewFields::display() const
{
    return m_document ? m_document->display : nullptr;
}

const WaveFormatEx& ViewFields::conversionFormat() const
{
    return m_document ? m_document->format : m_recordingFormat;
}

uint32_t ViewFields::totalSamples() const
{
    return display() ? display()->totalSamples() : 0;
}

PositionBox ViewFields::box() const
{
    return PositionBox(m_samples ? kPositionFrames : kPositionMilliseconds, conversionFormat(), totalSamples());
}

void ViewFields::setDocument(const ViewDocument* document)
{
    m_document.reset();
    if (document && document->display)
        m_document = *document;
    applyMasks();
    if (display()) {
        showDisplayPositions();
        moveOverviewFrame();
    }
    updateRuler();
    updateStatusBar();
}

void ViewFields::showDisplayPositions()
{
    const ViewDisplay& d = *display();
    showCaretPosition(d.caret(), kPositionFrames);
    showSelectionField(std::min(d.selectionStart(), d.selectionEnd()), kPositionFrames, PositionField::SelectionStart);
    showSelectionField(std::max(d.selectionStart(), d.selectionEnd()), kPositionFrames, PositionField::SelectionEnd);
}

void ViewFields::applyMasks()
{
    const PositionBox b = box();
    const QString empty = b.text(0, kPositionFrames);
    m_host.setFieldMasks(b.inputMask(), empty);
    for (size_t i = 0; i < m_texts.size(); ++i) {
        m_texts[i] = empty;
        m_host.setFieldText(PositionField(i), empty);
    }
}

void ViewFields::followZoom()
{
    updateRuler();
    moveOverviewFrame();
    m_host.setStatusPanel(4, QStringLiteral("1:") + QString::number(display()->zoomLevel()));
}

void ViewFields::zoomIn()
{
    if (ViewDisplay* d = display()) {
        d->setZoomLevel(zoomInLevel(d->zoomLevel()));
        followZoom();
    }
}

void ViewFields::zoomOut()
{
    if (ViewDisplay* d = display()) {
        d->setZoomLevel(zoomOutLevel(d->zoomLevel(), d->maxZoomLevel()));
        followZoom();
    }
}

void ViewFields::zoomToExtents()
{
    if (ViewDisplay* d = display()) {
        d->setZoomLevel(d->maxZoomLevel());
        followZoom();
    }
}

void ViewFields::zoomToSelection()
{
    if (ViewDisplay* d = display()) {
        d->zoomToSelection();
        followZoom();
    }
}

void ViewFields::scrollLeft()
{
    if (ViewDisplay* d = display()) {
        d->setLeftSample(scrollLeftTarget(d->leftSample(), d->zoomLevel(), d->clientWidth()));
        updateRuler();
        moveOverviewFrame();
    }
}

void ViewFields::scrollRight()
{
    if (ViewDisplay* d = display()) {
        if (const auto target = scrollRightTarget(d->leftSample(), d->zoomLevel(), d->clientWidth(), d->maxPosition()))
            d->setLeftSample(*target);
        updateRuler();
        moveOverviewFrame();
    }
}

int ViewFields::setZoom(ViewDisplay& display, uint32_t level, uint32_t left)
{
    const int code = display.drawView(level, left);
    if (code == 0)
        updateRuler();
    return code;
}

void ViewFields::updateRuler()
{
    RulerView ruler;
    ruler.samples = m_samples;
    ruler.format = conversionFormat();
    if (ViewDisplay* d = display()) {
        ruler.zoom = std::max<uint32_t>(d->zoomLevel(), 1);
        ruler.left = d->leftSample();
        ruler.dataAvailable = d->totalSamples() > 0;
    }
    if (m_ruler != ruler) {
        m_ruler = ruler;
        m_host.setRuler(ruler);
    }
}

void ViewFields::moveOverviewFrame()
{
    if (ViewDisplay* d = display())
        m_host.setOverviewFrame(
            overviewFrameFor(d->leftSample(), d->rightSample(), m_host.overviewZoomLevel(), m_host.overviewWidth()));
}

void ViewFields::updateStatusBar()
{
    const EditorStatusPanels panels = editorStatusPanels(m_document ? &*m_document : nullptr, m_samples);
    for (int i = 0; i < kEditorStatusPanelCount; ++i)
        m_host.setStatusPanel(i, panels[size_t(i)]);
}

void ViewFields::showField(PositionField field, uint32_t value, int unit)
{
    m_texts[size_t(field)] = box().text(value, unit);
    m_host.setFieldText(field, m_texts[size_t(field)]);
}

void ViewFields::showCaretPosition(uint32_t value, int unit)
{
    showField(PositionField::Caret, value, unit);
}

void ViewFields::showSelectionField(uint32_t value, int unit, PositionField which)
{
    showField(which, value, unit);
}

std::optional<ViewFields::FieldValue> ViewFields::fieldValue(PositionField field, int unit) const
{
    const PositionBox b = box();
    const QString& text = m_texts[size_t(field)];
    const auto typed = b.typedValue(text);
    if (!typed)
        return std::nullopt;
    const WaveFormatEx& format = conversionFormat();
    const auto convert = [&](uint32_t value, int from) {
        return from == unit ? value : uint32_t(ConvertPosition(value, from, unit, &format));
    };
    if (m_document) {
        const auto frame = b.typedFrame(text);
        const uint32_t total = totalSamples();
        if (frame && *frame > total)
            return FieldValue{convert(total, kPositionFrames), true};
    }
    // Milliseconds are 32 bits (typedValue); only sample numbers typed without a document are more.
    const auto value = uint32_t(std::min<uint64_t>(*typed, std::numeric_limits<uint32_t>::max()));
    return FieldValue{convert(value, m_samples ? kPositionFrames : kPositionMilliseconds), false};
}

std::optional<uint32_t> ViewFields::readPositionField(int unit) const
{
    const auto value = fieldValue(PositionField::Caret, unit);
    if (!value)
        return std::nullopt;
    return value->value;
}

std::optional<uint32_t> ViewFields::readSelectionField(int unit, PositionField which)
{
    const auto value = fieldValue(which, unit);
    if (!value)
        return std::nullopt;
    if (value->lowered)
        showSelectionField(totalSamples(), kPositionFrames, which);
    return value->value;
}

void ViewFields::moveCaret(uint32_t sample)
{
    ViewDisplay* d = display();
    if (!d)
        return;
    clearSelection(*d);
    d->setCaret(sample);
    // The field shows the caret as it landed: a typed millisecond is a whole frame now.
    showCaretPosition(d->caret(), kPositionFrames);
    updateRuler();
}

void ViewFields::setSelection(uint32_t a, uint32_t b)
{
    ViewDisplay* d = display();
    const uint32_t low = std::min(a, b);
    const uint32_t high = std::max(a, b);
    if (!d)
        return;
    if (d->selectionStart() != low || d->selectionEnd() != high)
        d->setSelection(low, high);
    m_host.setControlState(low == high ? ControlState::SelectionEmpty : ControlState::SelectionNotEmpty);
}

void ViewFields::clearSelection(ViewDisplay& d)
{
    d.clearSelection();
    showSelectionField(0, kPositionFrames, PositionField::SelectionStart);
    showSelectionField(0, kPositionFrames, PositionField::SelectionEnd);
    m_host.setControlState(ControlState::SelectionEmpty);
}

void ViewFields::beginCaretEdit()
{
    m_caretEditing = true;
    m_caretBeforeEdit = display() ? display()->caret() : 0;
}

void ViewFields::endCaretEdit(const std::optional<QString>& typed)
{
    if (!m_caretEditing)
        return;
    m_caretEditing = false;
    if (!typed)
        return;
    const QString before = m_texts[size_t(PositionField::Caret)];
    m_texts[size_t(PositionField::Caret)] = *typed;
    m_host.setFieldText(PositionField::Caret, *typed);
    const auto value = fieldValue(PositionField::Caret, kPositionFrames);
    if (!value || !display()) {
        m_texts[size_t(PositionField::Caret)] = before;
        m_host.setFieldText(PositionField::Caret, before);
        return;
    }
    if (value->lowered)
        showCaretPosition(value->value, kPositionFrames);
    if (value->value != m_caretBeforeEdit)
        moveCaret(value->value);
    moveOverviewFrame();
}

void ViewFields::endSelectionEdit(PositionField which, const std::optional<QString>& typed)
{
    if (!typed || which == PositionField::Caret)
        return;
    const QString before = m_texts[size_t(which)];
    m_texts[size_t(which)] = *typed;
    m_host.setFieldText(which, *typed);
    const auto start = fieldValue(PositionField::SelectionStart, kPositionFrames);
    const auto end = fieldValue(PositionField::SelectionEnd, kPositionFrames);
    if (!start || !end || !display()) {
        m_texts[size_t(which)] = before;
        m_host.setFieldText(which, before);
        return;
    }
    const uint32_t a = *readSelectionField(kPositionFrames, PositionField::SelectionStart);
    const uint32_t b = *readSelectionField(kPositionFrames, PositionField::SelectionEnd);
    setSelection(a, b);
}

void ViewFields::displaySelected(uint32_t start, uint32_t end)
{
    showSelectionField(start, kPositionFrames, PositionField::SelectionStart);
    showSelectionField(end, kPositionFrames, PositionField::SelectionEnd);
    m_host.setControlState(start == end ? ControlState::SelectionEmpty : ControlState::SelectionNotEmpty);
}

void ViewFields::displayCaretMoved()
{
    if (ViewDisplay* d = display()) {
        showCaretPosition(d->caret(), kPositionFrames);
        updateRuler();
        moveOverviewFrame();
    }
}

void ViewFields::selectAll()
{
    if (ViewDisplay* d = display())
        d->selectAll();
    m_host.setSelectItems(false, true);
}

void ViewFields::selectNone()
{
    if (ViewDisplay* d = display()) {
        d->setCaret(0);
        clearSelection(*d);
        showCaretPosition(0, kPositionFrames);
    }
    m_host.setSelectItems(true, false);
}

void ViewFields::setPositionForm(bool samples)
{
    m_samples = samples;
    applyMasks();
    updateRuler();
    if (display()) {
        showDisplayPositions();
        updateStatusBar();
    }
}

EditorStatusPanels editorStatusPanels(const ViewDocument* document, bool samples)
{
    if (!document || !document->display)
        return {};
    const WaveFormatEx& f = document->format;
    const uint32_t total = document->display->totalSamples();
    return {
        document->displayName,
        QString::number(f.samplesPerSec) + QStringLiteral(" Hz"),
        QString::number(f.bitsPerSample) + QStringLiteral(" Bit"),
        f.channels == 1 ? QStringLiteral("Mono") : QStringLiteral("Stereo"),
        QStringLiteral("1:") + QString::number(document->display->zoomLevel()),
        samples ? QString::number(total)
                : PositionBox(kPositionMilliseconds, f, total).text(document->lengthMs, kPositionMilliseconds),
    };
}
