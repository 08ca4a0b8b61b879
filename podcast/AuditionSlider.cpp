#include "podcast/AuditionSlider.h"

#include "platform/audio/PlayerCodes.h"
#include "platform/base/Rounding.h"
#include "platform/codecs/Plivorn.h"
#include "platform/codecs/VXMP3WAV.h"
#include "platform/codecs/VXVorbisToWav.h"
#include "platform/ui/MessageFormat.h"
#include "podcast/Log.h"

#include <QFileInfo>
#include <QMouseEvent>

#include <algorithm>
#include <climits>
#include <cstring>

namespace podcast {

using namespace platform::audio;

namespace {

constexpr int kUnitMilliseconds = 0;
constexpr int kVorbisBits = 16;
const char* const kClassName = "TAuditionSlider";

int ceilDiv(int64_t numerator, int64_t denominator)
{
    return int((numerator + denominator - 1) / denominator);
}

int clampToInt(int64_t value)
{
    return int(std::clamp<int64_t>(value, 0, INT_MAX));
}

// The file's length in ms; 0 when it cannot be read.
int lengthOf(AudioEngine& engine, AuditionKind kind, const QString& path)
{
    switch (kind) {
    case AuditionKind::Wave: {
        AudioFileInfo info;
        if (const uint16_t code = engine.AudioGetFileInfo(&info, path, 0, 1); code != PlayerCode::Ok) {
            qCWarning(lcPodcast) << "preview: cannot read the WAV" << path << "code" << code;
            return 0;
        }
        return clampToInt(info.lengthMs);
    }
    case AuditionKind::Mp3:
        return clampToInt(platform::codecs::VXMP3WAV::GetLengthOfMp3File(path));
    case AuditionKind::Wma: {
        platform::codecs::WmaFileInfo info;
        if (const int code = platform::codecs::Plivorn::GetFileInfo(path, &info); code != 0) {
            qCWarning(lcPodcast) << "preview: cannot read the WMA file" << path << "code" << code;
            return 0;
        }
        return clampToInt(int64_t(info.durationMs));
    }
    case AuditionKind::Ogg: {
        const double seconds = platform::codecs::VXVorbisToWav::GetLengthOfVorbisFile(path);
        return seconds > 0 ? clampToInt(platform::roundHalfEven(seconds * 1000)) : 0;
    }
    case AuditionKind::None:
        break;
    }
    return 0;
}

} // namespace

AuditionKind auditionKindOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("wav"))
        return AuditionKind::Wave;
    if (suffix == QLatin1String("mp3"))
        return AuditionKind::Mp3;
    if (suffix == QLatin1String("wma"))
        return AuditionKind::Wma;
    if (suffix == QLatin1String("ogg"))
        return AuditionKind::Ogg;
    return AuditionKind::None;
}

int auditionClickPosition(int min, int max, int x, int width)
{
    if (width <= 0 || max <= min)
        return min;
    const int64_t inside = std::clamp(x, 0, width);
    return min + ceilDiv((int64_t(max) - min) * inside, width);
}

int auditionTickInterval(int range, int pixels)
{
    return std::max(1, ceilDiv(std::max(range, 1), std::max(pixels, 1)));
}

TAuditionSlider::TAuditionSlider(AudioEngine& engine, PlivornPlayback& wma, VorbisPlayback& vorbis, QWidget* parent)
    : QSlider(Qt::Horizontal, parent)
    , m_engine(engine)
    , m_wma(wma)
    , m_vorbis(vorbis)
{
    setTickPosition(QSlider::NoTicks);
    setRange(0, m_maxPlayTime);
    setValue(0);
    setEnabled(false);
    connect(&m_timer, &QTimer::timeout, this, &TAuditionSlider::updatePosition);
    // Keys and the wheel: the thumb has moved already when the action is told.
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
        if (action == SliderNoAction)
            return;
        m_timer.stop();
        setValue(sliderPosition());
        userMoved(true);
    });
    m_self.setReceiver(this);
    m_previousCallbackWindow = m_engine.callbackWindow();
    m_engine.SetCallbackWindow(this);
}

TAuditionSlider::~TAuditionSlider()
{
    if (m_state == PlayState::Playing)
        stopPlayer();
    // The recording window made at start-up keeps hearing its own playback ends after the builder.
    if (m_engine.callbackWindow() == this)
        m_engine.SetCallbackWindow(m_previousCallbackWindow);
}

std::optional<QString> TAuditionSlider::setFileName(const QString& path)
{
    // A preview of the old file ends here, so its end cannot reach the new one.
    if (m_state == PlayState::Playing) {
        Stop();
        previewOver();
    }
    const AuditionKind kind = auditionKindOf(path);
    std::optional<QString> error;
    int length = 0;
    if (!QFileInfo::exists(path))
        error = platform::formatMessage(QStringLiteral("%s File Not Exists"), {path});
    else if (length = lengthOf(m_engine, kind, path); length <= 0)
        error = platform::formatMessage(QStringLiteral("Invalid Media File %s"), {kClassName});
    if (error) {
        qCWarning(lcPodcast).noquote() << "preview:" << *error << "for" << path;
        m_fileName.clear();
        m_kind = AuditionKind::None;
        return error;
    }
    m_fileName = path;
    m_kind = kind;
    m_maxPlayTime = length;
    setRange(0, length);
    // An MP3 starts 1 ms in.
    setValue(kind == AuditionKind::Mp3 ? 1 : 0);
    setPageStep(ceilDiv(length, 10));
    setSingleStep(ceilDiv(length, 5));
    setEnabled(true);
    return std::nullopt;
}

void TAuditionSlider::setPosition(int position)
{
    if (position >= 0)
        setValue(position);
}

uint16_t TAuditionSlider::Play()
{
    if (m_state == PlayState::Playing)
        return PlayerCode::Ok;
    const int from = Position();
    uint16_t code = PlayerCode::NoFileName;
    switch (m_kind) {
    case AuditionKind::Wave:
        code = m_engine.AudioPlayWave(m_fileName, from, kUnitMilliseconds, 0, 0, Max());
        break;
    case AuditionKind::Mp3: {
        PlaybackSetEntry entry;
        const QByteArray bytes = m_fileName.toUtf8();
        if (std::size_t(bytes.size()) >= sizeof entry.path) {
            qCWarning(lcPodcast) << "preview: MP3 FileSet can not be created: the path is too long" << m_fileName;
            code = PlayerCode::CannotOpenFile;
            break;
        }
        std::memcpy(entry.path, bytes.constData(), std::size_t(bytes.size()));
        code = m_engine.AudioPlayMP3FilesSet(&entry, 1, from, kUnitMilliseconds, 0, 0, Max());
        break;
    }
    case AuditionKind::Wma:
        code = m_wma.StartPlayBack(&m_wmaHandle, Device(), m_fileName, uint32_t(from), 0, uint32_t(Max()));
        break;
    case AuditionKind::Ogg:
        // The Vorbis preview has no start position: it plays from the file's start.
        code = m_vorbis.PlayVorbisFile(m_fileName, kVorbisBits);
        break;
    case AuditionKind::None:
        break;
    }
    if (code != PlayerCode::Ok) {
        qCWarning(lcPodcast) << "preview: cannot play" << m_fileName << "code" << code;
        return code;
    }
    m_startPosition = from;
    m_state = PlayState::Playing;
    m_endPending = false;
    m_timer.setInterval(auditionTickInterval(Max() - Min(), width()));
    m_timer.start();
    return PlayerCode::Ok;
}

uint16_t TAuditionSlider::Stop()
{
    if (m_state != PlayState::Playing)
        return PlayerCode::Ok;
    m_timer.stop();
    stopPlayer();
    m_state = PlayState::Stopped;
    m_endPending = true;
    m_self.post(kMsgPlaybackEnded);
    return PlayerCode::Ok;
}

void TAuditionSlider::stopPlayer()
{
    switch (m_kind) {
    case AuditionKind::Ogg:
        m_vorbis.StopPlay();
        break;
    case AuditionKind::Wma:
        m_wma.StopPlayBack(m_wmaHandle);
        m_wmaHandle = 0;
        break;
    case AuditionKind::Wave:
    case AuditionKind::Mp3:
        m_engine.AudioStop();
        break;
    case AuditionKind::None:
        break;
    }
}

uint16_t TAuditionSlider::GetPreferredOutputDevice(int& device)
{
    device = -1;
    return m_engine.GetPreferredOutputDeviceIndex(&device);
}

void TAuditionSlider::SetNotifyWindow(QObject* window)
{
    m_notify.setReceiver(window);
}

bool TAuditionSlider::event(QEvent* event)
{
    if (event->type() != platform::PostedMessage::eventType())
        return QSlider::event(event);
    // The engine's own end message finds the preview still playing and is left to the timer, which
    // sees the end and stops; only the end our Stop posted is handled.
    const auto* message = static_cast<const platform::PostedMessage*>(event);
    if (message->message() == kMsgPlaybackEnded && m_state == PlayState::Stopped && m_endPending)
        previewOver();
    return true;
}

void TAuditionSlider::previewOver()
{
    m_endPending = false;
    setValue(m_startPosition);
    setEnabled(false);
    if (m_notify.receiver()) {
        m_timer.stop();
        m_notify.post(kMsgPreviewEnded);
    }
    emit previewEnded();
}

TAuditionSlider::Heard TAuditionSlider::heard()
{
    Heard result;
    int64_t position = 0;
    switch (m_kind) {
    case AuditionKind::Wave:
        position = m_engine.AudioGetPosition(kUnitMilliseconds);
        result.over = m_engine.currentPlayback() == 0;
        break;
    case AuditionKind::Mp3: {
        PlaybackSetInfo info;
        result.over = m_engine.AudioGetPlaybackSetInfo(&info, kUnitMilliseconds) != PlayerCode::Ok;
        position = info.position;
        break;
    }
    case AuditionKind::Wma: {
        uint32_t ms = 0;
        result.over = m_wma.GetPlayBackPosition(m_wmaHandle, &ms) != 0;
        position = ms;
        break;
    }
    case AuditionKind::Ogg:
        position = platform::roundHalfEven(m_vorbis.GetCurrentPosition() * 1000);
        result.over = m_engine.currentPlayback() == 0;
        break;
    case AuditionKind::None:
        result.over = true;
        break;
    }
    result.position = int(std::clamp<int64_t>(position, 0, Max()));
    return result;
}

void TAuditionSlider::updatePosition()
{
    if (m_state != PlayState::Playing)
        return;
    const Heard now = heard();
    setValue(now.position);
    if (now.over || now.position >= Max())
        Stop();
}

void TAuditionSlider::seek(int position)
{
    if (m_state != PlayState::Playing)
        return;
    uint16_t code = PlayerCode::Ok;
    switch (m_kind) {
    case AuditionKind::Wave:
        code = m_engine.AudioMoveTo(position, kUnitMilliseconds);
        break;
    case AuditionKind::Mp3:
        code = m_engine.AudioMoveIntoPlaybackSet(position, kUnitMilliseconds);
        break;
    case AuditionKind::Wma:
        // The WMA preview seeks by starting again from the new position.
        m_wma.StopPlayBack(m_wmaHandle);
        code = m_wma.StartPlayBack(&m_wmaHandle, Device(), m_fileName, uint32_t(position), 0, uint32_t(Max()));
        if (code != PlayerCode::Ok) {
            qCWarning(lcPodcast) << "preview: cannot go on from" << position << "in" << m_fileName << "code" << code;
            Stop();
            return;
        }
        break;
    case AuditionKind::Ogg:
        code = m_vorbis.TimeSeek(position / 1000.0);
        break;
    case AuditionKind::None:
        break;
    }
    if (code != PlayerCode::Ok)
        qCInfo(lcPodcast) << "preview: no seek to" << position << "in" << m_fileName << "code" << code;
    m_timer.start();
}

void TAuditionSlider::userMoved(bool ended)
{
    if (ended)
        seek(Position());
    if (m_state == PlayState::Playing && Position() >= Max())
        Stop();
    emit OnChange();
}

void TAuditionSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_timer.stop();
    m_dragging = true;
    setValue(auditionClickPosition(Min(), Max(), event->position().toPoint().x(), width()));
    userMoved(false);
}

void TAuditionSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    setValue(auditionClickPosition(Min(), Max(), event->position().toPoint().x(), width()));
    userMoved(false);
}

void TAuditionSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_dragging)
        return;
    m_dragging = false;
    userMoved(true);
}

} // namespace podcast
