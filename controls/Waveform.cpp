#include "controls/Waveform.h"

#include "controls/Log.h"
#include "controls/WaveViewGeometry.h"
#include "platform/base/Colors.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <qdrawutil.h>

#include <algorithm>
#include <cmath>

namespace controls {

namespace {

constexpr int kCaretWidth = 2;
constexpr int kEmptyTextIndent = 5;
constexpr int kEmptyTextPointSize = 8;
// How often a drag repeats its scroll step while the pointer rests outside the view.
constexpr int kAutoScrollIntervalMs = 30;

std::optional<CaretKey> caretKeyOf(int key)
{
    switch (key) {
    case Qt::Key_Home:
        return CaretKey::Home;
    case Qt::Key_End:
        return CaretKey::End;
    case Qt::Key_Left:
        return CaretKey::Left;
    case Qt::Key_Right:
        return CaretKey::Right;
    default:
        return std::nullopt;
    }
}

// The keys the control takes for itself, so that the form does not use them to move the focus.
bool isClaimedKey(int key)
{
    return caretKeyOf(key).has_value() || key == Qt::Key_Up || key == Qt::Key_Down;
}

} // namespace

TQzv32WaveDisplay::TQzv32WaveDisplay(QWidget* parent)
    : QWidget(parent)
    , m_axisColor(Qt::red)
    , m_backGroundColor(Qt::black)
    , m_waveFormColor(Qt::white)
    , m_selectionBackGroundColor(m_waveFormColor)
    , m_selectionWaveFormColor(m_backGroundColor)
    , m_caretColor(Qt::green)
    , m_noSamplePresentText(QStringLiteral("No sample present"))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setContentsMargins(1, 1, 1, 1);
    m_file.setViewWidth(clientWidth());
    m_layoutSize = contentsRect().size();
    m_autoScroll.setInterval(kAutoScrollIntervalMs);
    connect(&m_autoScroll, &QTimer::timeout, this, [this] { dragTo(m_dragX); });
}

TQzv32WaveDisplay::~TQzv32WaveDisplay() = default;

QSize TQzv32WaveDisplay::sizeHint() const
{
    return QSize(500, 150);
}

int TQzv32WaveDisplay::clientWidth() const
{
    return std::max(contentsRect().width(), 0);
}

int TQzv32WaveDisplay::clientHeight() const
{
    return std::max(contentsRect().height(), 0);
}

int TQzv32WaveDisplay::clientX(const QMouseEvent* event) const
{
    return int(std::floor(event->position().x())) - contentsRect().left();
}

bool TQzv32WaveDisplay::hasSamples() const
{
    return !m_file.WaveFileName().isEmpty() && m_file.TotalSamples() > 0;
}

// --- File side ---

int TQzv32WaveDisplay::OpenWaveFile(const QString& fileName)
{
    if (fileName.isEmpty())
        return WaveDisplayCode::Ok;
    // The empty picture until the owner has the cache and renders.
    m_viewImage = QImage();
    m_layoutSize = contentsRect().size();
    update();
    const int result = m_file.OpenWaveFile(fileName);
    if (result != WaveDisplayCode::Ok)
        return result;
    m_caretShown = m_showCaret;
    m_selectionShown = false;
    m_extending = m_anchored = m_mouseSelecting = false;
    stopDragging();
    return result;
}

int TQzv32WaveDisplay::BuildPeaks(std::atomic<int32_t>& progress)
{
    return m_file.BuildPeaks(progress);
}

std::unique_ptr<PeakBuildJob> TQzv32WaveDisplay::beginPeakBuild(std::atomic<int32_t>& progress)
{
    return m_file.beginPeakBuild(progress);
}

int TQzv32WaveDisplay::finishPeakBuild(PeakBuildJob& job)
{
    return m_file.finishPeakBuild(job);
}

void TQzv32WaveDisplay::CancelPeakBuilding()
{
    m_file.CancelPeakBuilding();
}

void TQzv32WaveDisplay::CloseWave()
{
    m_file.CloseWave();
    m_caretShown = false;
    m_selectionShown = false;
    m_extending = m_anchored = m_mouseSelecting = false;
    stopDragging();
    m_viewImage = QImage();
    m_selectionImage = QImage();
    m_traces = WaveTraces{};
    m_spans.clear();
    if (hasFocus())
        clearFocus();
    update();
}

int TQzv32WaveDisplay::SavePeakFile(const QString& peakFileName)
{
    return m_file.SavePeakFile(peakFileName);
}

int TQzv32WaveDisplay::LoadPeakFile(const QString& peakFileName)
{
    const int result = m_file.LoadPeakFile(peakFileName);
    if (result == WaveDisplayCode::NothingToDraw) {
        m_viewImage = QImage();
        update();
    }
    return result;
}

int TQzv32WaveDisplay::LoadPeakFileNoTimeCheck(const QString& peakFileName)
{
    const int result = m_file.LoadPeakFileNoTimeCheck(peakFileName);
    if (result == WaveDisplayCode::NothingToDraw) {
        m_viewImage = QImage();
        update();
    }
    return result;
}

int TQzv32WaveDisplay::UsePeaks(std::shared_ptr<const PeakCache> peaks)
{
    const int result = m_file.UsePeaks(std::move(peaks));
    if (result == WaveDisplayCode::NothingToDraw) {
        m_viewImage = QImage();
        update();
    }
    return result;
}

void TQzv32WaveDisplay::SetTotalSamples(uint32_t count)
{
    m_file.SetTotalSamples(count);
}

int TQzv32WaveDisplay::DeletePeakRange(uint32_t a, uint32_t b, std::shared_ptr<const PeakCache> shortened)
{
    return m_file.DeletePeakRange(a, b, std::move(shortened));
}

int TQzv32WaveDisplay::GetFileWriteTime(const QString& fileName, int64_t& time)
{
    return m_file.GetFileWriteTime(fileName, time);
}

int TQzv32WaveDisplay::GetLastError(QString* message, int* osError, QString* osMessage) const
{
    return m_file.GetLastError(message, osError, osMessage);
}

uint32_t TQzv32WaveDisplay::MaxZoomLevel()
{
    return m_file.MaxZoomLevel();
}

uint32_t TQzv32WaveDisplay::MaxPosition() const
{
    return hasSamples() ? maxPositionFor(TotalSamples(), clientWidth(), ZoomLevel()) : 0;
}

// --- Rendering ---

int TQzv32WaveDisplay::DrawView(uint32_t zoom, uint32_t left)
{
    const int width = clientWidth();
    const int height = clientHeight();
    if (m_file.WaveFileName().isEmpty() || width < 1 || height < 1 || m_file.peakState() == PeakState::Building)
        return WaveDisplayCode::Ok;
    const uint32_t total = m_file.TotalSamples();
    if (total == 0) {
        m_caretShown = false;
        update();
        return WaveDisplayCode::Ok;
    }
    const PeakCache& cache = m_file.peakCache();
    if (cache.isEmpty() || int(cache.channels.size()) < m_file.format().channels)
        return m_file.recordViewResult("drawing", WaveDisplayCode::NothingToDraw);

    const ViewPlan plan = planView(zoom, left, total, width);
    const int result = plan.fromPeaks
        ? tracesFromPeaks(cache, m_file.format(), plan, height, ScaleVertical, m_traces)
        : tracesFromSamples(m_file.WaveFileName(), m_file.format(), plan, height, ScaleVertical, m_traces);
    if (result != WaveDisplayCode::Ok)
        return m_file.recordViewResult("drawing", result);

    WaveViewState& view = m_file.view();
    view.LeftSamplePos = plan.left;
    view.ZoomLevel = plan.zoom;
    view.RightSamplePos = plan.right;
    m_layoutSize = QSize(width, height);
    m_spans.assign(m_traces.channels.size(), ColumnSpans(width, height));
    for (size_t c = 0; c < m_traces.channels.size(); ++c)
        m_spans[c].addPolyline(m_traces.channels[c].data(), m_traces.channels[c].size());
    renderImage(m_viewImage, QSize(width, height), m_backGroundColor, m_waveFormColor);
    m_selectionImageStale = true;
    update();
    return m_file.recordViewResult("drawing", WaveDisplayCode::Ok);
}

void TQzv32WaveDisplay::renderImage(QImage& image, QSize size, const QColor& background, const QColor& waveform) const
{
    if (image.size() != size || image.format() != QImage::Format_RGB32)
        image = QImage(size, QImage::Format_RGB32);
    if (HideWaveForm)
        image.fill(background);
    else
        paintSpans(image, background.rgb(), waveform.rgb(), m_spans);
    QPainter painter(&image);
    paintAxes(painter, size);
}

void TQzv32WaveDisplay::paintAxes(QPainter& painter, QSize size) const
{
    painter.setPen(QPen(m_axisColor, 0));
    const int channels = m_file.format().channels;
    for (int c = 0; c < channels; ++c) {
        const int y = channelBand(c, channels, size.height()).centre;
        painter.drawLine(0, y, size.width() - 1, y);
    }
}

void TQzv32WaveDisplay::paintEmptyPicture(QPainter& painter, bool withText) const
{
    painter.fillRect(QRect(0, 0, clientWidth(), clientHeight()), m_backGroundColor);
    if (!withText)
        return;
    QFont small = font();
    small.setPointSize(kEmptyTextPointSize);
    painter.setFont(small);
    painter.setPen(m_waveFormColor);
    painter.drawText(QRect(kEmptyTextIndent, kEmptyTextIndent, std::max(clientWidth() - kEmptyTextIndent, 0),
                           std::max(clientHeight() - kEmptyTextIndent, 0)),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_noSamplePresentText);
}

QColor TQzv32WaveDisplay::borderColor() const
{
    const QColor text = palette().color(QPalette::WindowText);
    if (palette().isBrushSet(palette().currentColorGroup(), QPalette::WindowText))
        return text;
    // The palette's own text colour is often the view's background (black on black).
    return platform::legibleColor(text, m_backGroundColor, platform::kEdgeContrast);
}

void TQzv32WaveDisplay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect client = contentsRect();
    if (m_ctl3D)
        qDrawWinPanel(&painter, rect(), palette(), true);
    else
        qDrawPlainRect(&painter, rect(), borderColor(), 1);
    if (client.isEmpty())
        return;
    painter.setClipRect(client);
    painter.translate(client.topLeft());

    if (!hasSamples() || (!HideWaveForm && m_viewImage.isNull())) {
        paintEmptyPicture(painter, !HideWaveForm);
    } else if (HideWaveForm) {
        paintEmptyPicture(painter, false);
        paintAxes(painter, client.size());
    } else {
        const QRect target(0, 0, client.width(), client.height());
        painter.drawImage(target, m_viewImage);
        const std::optional<SelectionColumns> selected = m_selectionShown && m_enableSelection
            ? selectionColumns(SelectionStartPos(), SelectionEndPos(), LeftSamplePos(), RightSamplePos(), ZoomLevel(),
                               client.width())
            : std::nullopt;
        if (selected && selected->x2 > selected->x1) {
            if (m_selectionImageStale) {
                renderImage(m_selectionImage, m_viewImage.size(), m_selectionBackGroundColor, m_selectionWaveFormColor);
                m_selectionImageStale = false;
            }
            // The images match the client size unless a resize has not been rendered yet.
            const double scale = double(m_selectionImage.width()) / client.width();
            const QRectF source(selected->x1 * scale, 0, (selected->x2 - selected->x1) * scale, m_selectionImage.height());
            painter.drawImage(QRectF(selected->x1, 0, selected->x2 - selected->x1, client.height()), m_selectionImage, source);
        }
    }

    if (const std::optional<int> x = caretPixel()) {
        painter.fillRect(QRect(*x, 0, 1, client.height()), m_caretColor);
        painter.fillRect(QRect(*x + 1, 0, 1, client.height()), m_caretColor.darker(150));
    }
}

std::optional<int> TQzv32WaveDisplay::caretPixel() const
{
    if (!m_caretShown || !m_showCaret || m_file.WaveFileName().isEmpty())
        return std::nullopt;
    const uint32_t caret = CaretPositionBySamples();
    if (hasSamples() && (caret < LeftSamplePos() || caret > RightSamplePos()))
        return std::nullopt;
    const int64_t x = hasSamples() ? sampleToPixel(caret, ZoomLevel(), LeftSamplePos()) : 0;
    // Kept whole inside the client area, so that a caret at the end of the file shows.
    return int(std::clamp<int64_t>(x, 0, std::max(clientWidth() - kCaretWidth, 0)));
}

void TQzv32WaveDisplay::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    clientResized();
}

void TQzv32WaveDisplay::clientResized()
{
    m_file.setViewWidth(clientWidth());
    const QSize size = contentsRect().size();
    if (size == m_layoutSize || !hasSamples() || size.isEmpty()) {
        if (!size.isEmpty())
            m_layoutSize = size;
        update();
        return;
    }
    const std::optional<uint32_t> refit = zoomRefitForResize(LeftSamplePos(), RightSamplePos(), ZoomLevel(),
                                                             TotalSamples(), m_layoutSize.width(), size.width(),
                                                             m_refitCount);
    const bool heightChanged = size.height() != m_layoutSize.height();
    m_layoutSize = size;
    if (!refit) {
        // The same zoom from the same first frame, drawn for the new size.
        if (!m_viewImage.isNull())
            DrawView(ZoomLevel(), LeftSamplePos());
        update();
        return;
    }
    ++m_refitCount;
    setZoomLevel(*refit);
    if (heightChanged && isVisible())
        SetCaret(CaretPositionBySamples(), false, true);
    update();
}

// --- Caret, scrolling, selection ---

void TQzv32WaveDisplay::SetCaret(uint32_t sample, bool notify, bool scroll)
{
    WaveViewState& view = m_file.view();
    const uint32_t total = m_file.TotalSamples();
    if (total == 0) {
        view.CaretPositionBySamples = 0;
        update();
        emit OnCaretPositionChange();
        return;
    }
    sample = std::min(sample, total);
    view.CaretPositionBySamples = sample;
    if (m_showCaret)
        m_caretShown = true;
    // Out of view without scrolling, the caret is simply not drawn (see caretPixel), so that it
    // shows again as soon as a later rendering brings it into view.
    if (scroll && (sample < view.LeftSamplePos || sample > view.RightSamplePos))
        ScrollTo(leftForCaret(sample, clientWidth(), view.ZoomLevel, total));
    update();
    if (notify)
        emit OnCaretPositionChange();
}

void TQzv32WaveDisplay::ScrollTo(uint32_t left)
{
    m_file.view().LeftSamplePos = left;
    DrawView(ZoomLevel(), left);
    if (SelectionStartPos() != SelectionEndPos())
        PaintSelection();
    update();
}

void TQzv32WaveDisplay::PaintSelection()
{
    m_selectionShown = true;
    update();
}

void TQzv32WaveDisplay::setZoomLevel(uint32_t zoom)
{
    const uint32_t total = m_file.TotalSamples();
    if (total == 0)
        return;
    zoom = std::max<uint32_t>(zoom, 1);
    WaveViewState& view = m_file.view();
    view.ZoomLevel = zoom;
    view.LeftSamplePos = leftForCaret(view.CaretPositionBySamples, clientWidth(), zoom, total);
    SetCaret(view.CaretPositionBySamples, false, false);
    DrawView(zoom, view.LeftSamplePos);
    if (SelectionStartPos() != SelectionEndPos())
        PaintSelection();
    update();
}

void TQzv32WaveDisplay::setLeftSamplePos(uint32_t sample)
{
    if (m_file.TotalSamples() == 0 || sample == LeftSamplePos())
        return;
    ScrollTo(sample);
    SetCaret(CaretPositionBySamples(), false, false);
}

void TQzv32WaveDisplay::setCaretPositionBySamples(uint32_t sample)
{
    if (m_file.TotalSamples() == 0)
        return;
    SetCaret(sample, false, true);
}

void TQzv32WaveDisplay::SetSelection(uint32_t start, uint32_t end)
{
    const uint32_t total = m_file.TotalSamples();
    if ((start == SelectionStartPos() && end == SelectionEndPos()) || total == 0)
        return;
    WaveViewState& view = m_file.view();
    view.SelectionStartPos = std::min(start, total);
    view.SelectionEndPos = std::min(end, total);
    PaintSelection();
    if (view.SelectionStartPos != view.SelectionEndPos)
        m_anchored = true;
    SetCaret(view.SelectionEndPos, true, false);
}

void TQzv32WaveDisplay::SelectAll()
{
    if (m_file.WaveFileName().isEmpty())
        return;
    WaveViewState& view = m_file.view();
    const uint32_t total = m_file.TotalSamples();
    if (total == 0) {
        view.SelectionStartPos = view.SelectionEndPos = 0;
        emit OnSelection(0, 0);
        return;
    }
    if (view.SelectionStartPos == 0 && view.SelectionEndPos == total && m_anchored)
        return;
    view.SelectionStartPos = 0;
    view.SelectionEndPos = total;
    PaintSelection();
    m_anchored = true;
    SetCaret(total, true, false);
    emit OnSelection(0, total);
}

void TQzv32WaveDisplay::ClearSelection()
{
    if (m_file.WaveFileName().isEmpty())
        return;
    WaveViewState& view = m_file.view();
    m_extending = m_anchored = false;
    view.SelectionStartPos = view.SelectionEndPos = 0;
    if (m_file.TotalSamples() > 0) {
        PaintSelection();
        SetCaret(view.CaretPositionBySamples, true, false);
    }
    emit OnSelection(0, 0);
}

void TQzv32WaveDisplay::ZoomToSelection()
{
    const uint32_t start = std::min(SelectionStartPos(), SelectionEndPos());
    const uint32_t end = std::max(SelectionStartPos(), SelectionEndPos());
    if (m_file.TotalSamples() == 0 || start == end)
        return;
    WaveViewState& view = m_file.view();
    view.LeftSamplePos = start;
    view.ZoomLevel = zoomForSpan(int64_t(end) - start, clientWidth());
    SetCaret(view.CaretPositionBySamples, false, false);
    DrawView(view.ZoomLevel, view.LeftSamplePos);
    PaintSelection();
    update();
}

// --- Properties ---

void TQzv32WaveDisplay::setAxisColor(const QColor& color)
{
    if (color != m_axisColor) {
        m_axisColor = color;
        update();
    }
}

void TQzv32WaveDisplay::setBackGroundColor(const QColor& color)
{
    if (color != m_backGroundColor) {
        m_backGroundColor = color;
        update();
    }
}

void TQzv32WaveDisplay::setWaveFormColor(const QColor& color)
{
    if (color != m_waveFormColor) {
        m_waveFormColor = color;
        update();
    }
}

void TQzv32WaveDisplay::setSelectionBackGroundColor(const QColor& color)
{
    m_selectionBackGroundColor = color;
}

void TQzv32WaveDisplay::setSelectionWaveFormColor(const QColor& color)
{
    m_selectionWaveFormColor = color;
}

void TQzv32WaveDisplay::setCaretColor(const QColor& color)
{
    if (color != m_caretColor) {
        m_caretColor = color;
        update();
    }
}

void TQzv32WaveDisplay::setShowCaret(bool show)
{
    if (show == m_showCaret)
        return;
    m_showCaret = show;
    m_caretShown = show && !m_file.WaveFileName().isEmpty();
    update();
}

void TQzv32WaveDisplay::setNoSamplePresentText(const QString& text)
{
    if (text != m_noSamplePresentText) {
        m_noSamplePresentText = text;
        update();
    }
}

void TQzv32WaveDisplay::setCtl3D(bool sunken)
{
    if (sunken == m_ctl3D)
        return;
    m_ctl3D = sunken;
    const int border = sunken ? 2 : 1;
    setContentsMargins(border, border, border, border);
    clientResized();
}

// --- Mouse ---

bool TQzv32WaveDisplay::mouseHandled() const
{
    return m_enableMouseSupport && hasSamples();
}

void TQzv32WaveDisplay::mousePressEvent(QMouseEvent* event)
{
    m_pressed = true;
    if (!mouseHandled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_caretShown = false;
    m_selectionShown = false;
    update();
    WaveViewState& view = m_file.view();
    // Right of the file's last frame counts as a click at its end, so the release places the caret
    // and tells the owner as for any other click.
    view.SelectionStartPos = clickedSample(clientX(event), view.ZoomLevel, view.LeftSamplePos, m_file.TotalSamples());
    m_extending = true;
    m_mouseSelecting = true;
    m_file.recordViewResult("a mouse press", WaveDisplayCode::Ok);
}

void TQzv32WaveDisplay::mouseMoveEvent(QMouseEvent* event)
{
    if (!mouseHandled() || !m_mouseSelecting || !m_enableSelection) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    dragTo(clientX(event));
}

void TQzv32WaveDisplay::dragTo(int x)
{
    if (!mouseHandled() || !m_mouseSelecting || !m_enableSelection) {
        stopDragging();
        return;
    }
    WaveViewState& view = m_file.view();
    const uint32_t total = m_file.TotalSamples();
    const DragStep step = dragStep(x, clientWidth(), view.ZoomLevel, view.LeftSamplePos, view.RightSamplePos, total);
    uint32_t position = step.position;
    if (step.scrollTo) {
        ScrollTo(*step.scrollTo);
        position = std::min(x < 0 ? view.LeftSamplePos : view.RightSamplePos, total);
    }
    view.SelectionEndPos = position;
    if (position == view.SelectionStartPos) {
        emit OnSelection(0, 0);
    } else {
        PaintSelection();
        emit OnSelection(std::min(view.SelectionStartPos, position), std::max(view.SelectionStartPos, position));
    }
    m_dragX = x;
    if (step.outside && !m_autoScroll.isActive())
        m_autoScroll.start();
    else if (!step.outside)
        m_autoScroll.stop();
    m_file.recordViewResult("a mouse drag", WaveDisplayCode::Ok);
}

void TQzv32WaveDisplay::stopDragging()
{
    m_autoScroll.stop();
}

void TQzv32WaveDisplay::mouseReleaseEvent(QMouseEvent* event)
{
    const bool clicked = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    stopDragging();
    if (mouseHandled() && m_mouseSelecting) {
        WaveViewState& view = m_file.view();
        m_extending = false;
        m_mouseSelecting = false;
        // Where the drag left the selection when the pointer is let go outside the view.
        const int x = std::min(clientX(event), clientWidth());
        view.SelectionEndPos = clickedSample(x, view.ZoomLevel, view.LeftSamplePos, m_file.TotalSamples());
        SetCaret(view.SelectionEndPos, true, false);
        if (m_showCaret)
            m_caretShown = true;
        m_anchored = true;
        if (view.SelectionEndPos == view.SelectionStartPos) {
            view.SelectionStartPos = view.SelectionEndPos = 0;
            m_selectionShown = false;
            m_anchored = false;
            emit OnSelection(0, 0);
        } else {
            emit OnSelection(std::min(view.SelectionStartPos, view.SelectionEndPos),
                             std::max(view.SelectionStartPos, view.SelectionEndPos));
        }
        update();
        m_file.recordViewResult("a mouse release", WaveDisplayCode::Ok);
    } else {
        QWidget::mouseReleaseEvent(event);
    }
    if (clicked)
        emit OnClick();
}

// --- Keys ---

bool TQzv32WaveDisplay::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && m_enableKeyboardSupport && !m_file.WaveFileName().isEmpty()) {
        if (isClaimedKey(static_cast<QKeyEvent*>(event)->key())) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void TQzv32WaveDisplay::keyPressEvent(QKeyEvent* event)
{
    if (!m_enableKeyboardSupport || m_file.WaveFileName().isEmpty() || !isClaimedKey(event->key())) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    const std::optional<CaretKey> key = caretKeyOf(event->key());
    if (!key)
        return; // Up and Down are taken and do nothing
    WaveViewState& view = m_file.view();
    if (!m_extending && !m_anchored)
        view.SelectionStartPos = view.SelectionEndPos = view.CaretPositionBySamples;
    if (event->modifiers() & Qt::ShiftModifier)
        m_extending = true;
    else if (!m_mouseSelecting)
        m_extending = false;
    const uint32_t reference = m_extending ? view.SelectionEndPos : view.CaretPositionBySamples;
    const uint32_t target = caretKeyTarget(*key, reference, view.ZoomLevel, event->modifiers() & Qt::ControlModifier,
                                           m_file.TotalSamples());
    SetCaret(target, true, true);
    if (m_extending) {
        view.SelectionEndPos = target;
        PaintSelection();
        emit OnSelection(view.SelectionStartPos, view.SelectionEndPos);
    } else if (view.SelectionStartPos != 0 || view.SelectionEndPos != 0) {
        view.SelectionStartPos = view.SelectionEndPos = 0;
        m_selectionShown = false;
        emit OnSelection(0, 0);
        m_anchored = false;
    }
    update();
    m_file.recordViewResult("a key press", WaveDisplayCode::Ok);
}

void TQzv32WaveDisplay::keyReleaseEvent(QKeyEvent* event)
{
    if (!m_enableKeyboardSupport || m_file.WaveFileName().isEmpty() || !caretKeyOf(event->key())) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    // Held keys repeat as press and release pairs; only the real release ends the extension.
    if (event->isAutoRepeat())
        return;
    if (!m_mouseSelecting && m_extending) {
        m_anchored = true;
        SetCaret(SelectionEndPos(), true, true);
    }
    update();
}

} // namespace controls
