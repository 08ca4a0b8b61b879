#include "recorder/MusicPadPanel.h"

#include "recorder/LiveOverdubbing.h"
#include "recorder/PlaybackControls.h"
#include "recorder/RecordingControls.h"

#include "common/ErrCodes.h"
#include "controls/CoolButton.h"
#include "controls/EQBmpBtn.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/base/PostedMessage.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/Messages.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>

namespace recorder {

namespace {

using controls::TCoolButton;
using controls::TEQBmpButton;

constexpr int kBusyMessage = 434;
const char kListFilter[] = "MFL Files (*.mfl) | *.mfl";

// The loop picture a looping pad shows: a circling arrow.
QImage loopImage()
{
    QImage image(QSize(14, 14), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x2A, 0x5F, 0xA8);
    painter.setPen(QPen(ink, 1.6));
    painter.drawArc(QRectF(2, 2, 10, 10), 60 * 16, 290 * 16);
    QPainterPath head;
    head.moveTo(9.5, 0.5);
    head.lineTo(13.5, 3.5);
    head.lineTo(8.5, 5.5);
    head.closeSubpath();
    painter.fillPath(head, ink);
    return image;
}

bool padFile(const QString& file)
{
    const QString extension = QFileInfo(file).suffix().toLower();
    return extension == QLatin1String("wav") || extension == QLatin1String("mp3") || extension == QLatin1String("wma");
}

// The one local audio file a drag carries, or nothing.
QString draggedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().constFirst().isLocalFile())
        return {};
    const QString file = data->urls().constFirst().toLocalFile();
    return padFile(file) && !QFileInfo(file).isDir() ? file : QString();
}

} // namespace

MusicPadPanel::MusicPadPanel(TLiveOvedubbingForm& form, const RecordingWindowServices& services)
    : QObject(&form)
    , m_form(form)
    , m_services(services)
    , m_loadServices(services.runner, services.messages)
{
    m_loadServices.tempFolder = m_services.tempFolder;
    m_loadServices.fileInfo = [this](const QString& file, platform::audio::AudioFileInfo& info) {
        return int(m_services.engine.AudioGetFileInfo(&info, file, 0, 0));
    };
    for (int s = 0; s < kPadSlots; ++s) {
        TEQBmpButton* pad = form.findChild<TEQBmpButton*>(QStringLiteral("F%1EffectButton").arg(s + 1));
        m_buttons[std::size_t(s)] = pad;
        connect(pad, &TEQBmpButton::OnClick, this, [this, s] { m_pads->EffectButtonClick(s); });
        pad->installEventFilter(this);
    }

    m_menu = new QMenu(&form);
    m_menu->setObjectName(QStringLiteral("specialEffectPopup"));
    m_assignItem = m_menu->addAction(QStringLiteral("Assign Effect"));
    m_assignItem->setObjectName(QStringLiteral("AssignEffectItem"));
    m_loopItem = m_menu->addAction(QStringLiteral("Looping On"));
    m_loopItem->setObjectName(QStringLiteral("LoopingItem"));
    connect(m_menu, &QMenu::aboutToShow, this, &MusicPadPanel::menuAboutToShow);
    connect(m_assignItem, &QAction::triggered, this, &MusicPadPanel::assignClicked);
    connect(m_loopItem, &QAction::triggered, this, &MusicPadPanel::loopClicked);
    for (TEQBmpButton* pad : m_buttons)
        pad->setPopupMenu(m_menu);

    const auto button = [&form](Control control) {
        return form.findChild<TCoolButton*>(QString::fromLatin1(controlName(control)));
    };
    connect(button(Control::LoadMusicList), &TCoolButton::OnClick, this, &MusicPadPanel::loadListClicked);
    connect(form.findChild<TCoolButton*>(QStringLiteral("SaveMusicList")), &TCoolButton::OnClick, this,
            &MusicPadPanel::saveListClicked);
    connect(button(Control::CurrentMusicTrackPlaybackCoolButton), &TCoolButton::OnClick, this,
            [this] { m_pads->CurrentClick(); });
    connect(button(Control::StopAllTracksCoolButton), &TCoolButton::OnClick, this,
            [this] { m_pads->StopAllSegmentsClick(); });

    MusicPadServices pads(services.musicLibrary, services.messages);
    pads.tempFolder = services.tempFolder;
    pads.freeSpace = services.freeSpace;
    pads.outputDevice = services.outputDevice;
    pads.musicRecording = [this] { return m_form.musicRecording(); };
    pads.recordingFormat = [this] { return m_form.trackRoads().recordingFormat(); };
    pads.setRecordingFormat = [this](const WaveFormatEx& format) {
        m_form.trackRoads().setRecordingFormat(format);
        m_form.ShowStatusFormat(0, format.samplesPerSec, false, format.channels, format.bitsPerSample);
    };
    pads.import = [this](const QString& file, QString* working) {
        return importPadFile(m_loadServices, m_form.busyFlag(), file, working);
    };
    pads.convert = [this](const QString& wave, const WaveFormatEx& format, QString* converted) {
        return convertPadWave(m_services.runner, m_services.tempFolder(), wave, format, converted);
    };
    pads.stopPlayer = [this] {
        if (m_form.playback().transport().playing()) {
            m_form.playback().command(TransportCommand::Stop);
            return;
        }
        if (const uint16_t code = m_services.engine.AudioStop())
            ShowMappedError(m_services.messages, code, PlayerErrorToMessageId);
    };
    pads.pageChanged = [this](PadPage page) { showPage(page); };
    pads.stopAllEnabled = [this](bool enabled) {
        ControlChange change;
        change.enabled = enabled;
        m_form.ApplyControlChanges({{Control::StopAllTracksCoolButton, change}});
    };
    m_pads = std::make_unique<MusicPads>(std::move(pads));
    showPage(PadPage::First);

    form.installEventFilter(this);
    qApp->installEventFilter(this);
}

MusicPadPanel::~MusicPadPanel() = default;

void MusicPadPanel::showPage(PadPage page)
{
    if (page != m_pads->currentPage())
        return;
    static const QImage loop = loopImage();
    for (int s = 0; s < kPadSlots; ++s) {
        TEQBmpButton* pad = m_buttons[std::size_t(s)];
        const PadSlot& slot = m_pads->slot(page, s);
        pad->setCaption(m_pads->caption(page, s));
        pad->setToolTip(m_pads->hint(page, s));
        QFont font = pad->font();
        font.setBold(!slot.working.isEmpty());
        pad->setFont(font);
        pad->setPressed(slot.playing);
        pad->setGlyph(slot.loop ? loop : QImage());
        pad->setGlyphDown(slot.loop ? loop : QImage());
    }
}

void MusicPadPanel::menuAboutToShow()
{
    const auto* pad = qobject_cast<TEQBmpButton*>(controls::popupComponent(m_menu));
    m_menuSlot = -1;
    for (int s = 0; s < kPadSlots; ++s) {
        if (m_buttons[std::size_t(s)] == pad)
            m_menuSlot = s;
    }
    if (m_menuSlot < 0)
        return;
    const PadSlot& slot = m_pads->slot(m_pads->currentPage(), m_menuSlot);
    m_assignItem->setEnabled(!slot.playing);
    m_loopItem->setEnabled(!slot.playing);
    m_assignItem->setText(slot.working.isEmpty() ? QStringLiteral("Assign Effect") : QStringLiteral("Unassign Effect"));
    m_loopItem->setText(slot.loop ? QStringLiteral("Looping Off") : QStringLiteral("Looping On"));
}

void MusicPadPanel::assignClicked()
{
    if (m_menuSlot < 0)
        return;
    if (!m_pads->slot(m_pads->currentPage(), m_menuSlot).working.isEmpty()) {
        m_pads->ClearPad(m_menuSlot);
        return;
    }
    if (m_form.busyFlag().isBusy()) {
        m_services.messages.ShowMessageById(kBusyMessage, {}, platform::MB_OK | platform::MB_ICONINFORMATION);
        return;
    }
    platform::FileDialogRequest request;
    request.title = QStringLiteral("Assign Effect");
    request.filter = QStringLiteral("Wave Files (*.wav)|*.wav|MP3 Files (*.mp3)|*.mp3|WMA Files (*.WMA)|*.wma|"
                                    "All Supported Media Types |*.mp3;*.wav;*.wma");
    request.fileMustExist = true;
    const platform::FileDialogResult chosen = m_services.messages.interaction().openFile(request);
    if (chosen.accepted && !chosen.files.isEmpty())
        m_pads->LoadSegmentFile(m_menuSlot, chosen.files.constFirst(), QString());
}

void MusicPadPanel::loopClicked()
{
    if (m_menuSlot >= 0)
        m_pads->toggleLoop(m_menuSlot);
}

void MusicPadPanel::loadListClicked()
{
    m_pads->StopAllPads();
    platform::FileDialogRequest request;
    request.title = QStringLiteral("Open Buttons File");
    request.filter = QString::fromLatin1(kListFilter);
    request.fileMustExist = true;
    const platform::FileDialogResult chosen = m_services.messages.interaction().openFile(request);
    if (chosen.accepted && !chosen.files.isEmpty())
        m_pads->loadList(chosen.files.constFirst());
}

void MusicPadPanel::saveListClicked()
{
    if (!m_pads->anyPadAssigned())
        return;
    platform::FileDialogRequest request;
    request.title = QStringLiteral("Save Buttons As");
    request.filter = QString::fromLatin1(kListFilter);
    request.defaultExtension = QStringLiteral("mfl");
    request.overwritePrompt = true;
    const platform::FileDialogResult chosen = m_services.messages.interaction().saveFile(request);
    if (chosen.accepted && !chosen.files.isEmpty())
        m_pads->saveList(chosen.files.constFirst());
}

void MusicPadPanel::windowClosing()
{
    m_pads->StopAllPads();
    if (m_pads->firstPageAssigned())
        m_pads->SaveLastUsedPadFiles(m_services.settings);
}

bool MusicPadPanel::keyReleased(const QKeyEvent& event, QWidget* receiver)
{
    const int key = event.key();
    if (key == Qt::Key_Escape) {
        m_pads->escape();
        return true;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        TEQBmpButton* pad = m_buttons[std::size_t(key - Qt::Key_F1)];
        if (pad->isEnabled())
            m_pads->EffectButtonClick(key - Qt::Key_F1);
        return true;
    }
    // Letters and the keypad belong to a control that takes typing.
    if (qobject_cast<QLineEdit*>(receiver) || qobject_cast<QAbstractItemView*>(receiver))
        return false;
    const auto enabled = [this](Control control) {
        return m_form.findChild<QWidget*>(QString::fromLatin1(controlName(control)))->isEnabled();
    };
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    if (key == Qt::Key_O && !keypad && enabled(Control::VoiceRecordButton)) {
        m_form.recording().overdubClicked(OverdubSide::Voice);
        return true;
    }
    if (key == Qt::Key_U && !keypad && enabled(Control::MusicRecordButton)) {
        m_form.recording().overdubClicked(OverdubSide::Music);
        return true;
    }
    if (key == Qt::Key_R && !keypad && enabled(Control::StartStopRecordingButton)
        && m_form.voiceRecording() == m_form.musicRecording()) {
        m_form.recording().voiceAndMusicClicked();
        return true;
    }
    const std::pair<int, Control> zooms[] = {{Qt::Key_Asterisk, Control::ZoomToExtentsButton},
                                             {Qt::Key_Plus, Control::ZoomInButton},
                                             {Qt::Key_Minus, Control::ZoomOutButton}};
    for (const auto& [zoomKey, button] : zooms) {
        if (key != zoomKey || !keypad || !enabled(button))
            continue;
        PlaybackControls& playback = m_form.playback();
        if (button == Control::ZoomToExtentsButton)
            playback.zoomToExtents();
        else if (button == Control::ZoomInButton)
            playback.zoomIn();
        else
            playback.zoomOut();
        return true;
    }
    return false;
}

bool MusicPadPanel::padDrag(int slot, QEvent* event)
{
    auto* drag = static_cast<QDropEvent*>(event);
    const QString file = draggedFile(drag->mimeData());
    if (file.isEmpty() || m_pads->slot(m_pads->currentPage(), slot).playing)
        return false;
    drag->acceptProposedAction();
    if (event->type() == QEvent::Drop) {
        if (m_form.busyFlag().isBusy())
            m_services.messages.ShowMessageById(kBusyMessage, {}, platform::MB_OK | platform::MB_ICONINFORMATION);
        else
            m_pads->LoadSegmentFile(slot, file, padCaptionOf(file));
    }
    return true;
}

bool MusicPadPanel::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyRelease: {
        auto* widget = qobject_cast<QWidget*>(watched);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!widget || widget->window() != &m_form || key->isAutoRepeat())
            return false;
        return keyReleased(*key, widget);
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        for (int s = 0; s < kPadSlots; ++s) {
            if (watched == m_buttons[std::size_t(s)])
                return padDrag(s, event);
        }
        return false;
    default:
        break;
    }
    if (watched == &m_form && event->type() == platform::PostedMessage::eventType()) {
        const auto* message = static_cast<const platform::PostedMessage*>(event);
        if (message->message() == platform::audio::kMsgPadEnded) {
            m_pads->padEnded(int(message->wParam()));
            return true;
        }
    }
    return false;
}

} // namespace recorder
