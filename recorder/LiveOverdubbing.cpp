#include "recorder/LiveOverdubbing.h"

#include "recorder/ApplyTrackLayout.h"
#include "recorder/ControlAvailability.h"
#include "recorder/FileSaveDialog.h"
#include "recorder/FormatConvertForm.h"
#include "recorder/ResizeLayout.h"
#include "recorder/Log.h"
#include "recorder/MusicPadPanel.h"
#include "recorder/NextAction.h"
#include "recorder/PlaybackControls.h"
#include "recorder/RecordingControls.h"
#include "recorder/ShowStatusFormat.h"
#include "controls/PeakDisplay.h"
#include "recorder/TrackSave.h"
#include "recorder/WebEQSliderV.h"
#include "recorder/WindowPlacement.h"

#include "common/ErrCodes.h"
#include "common/PositionBox.h"
#include "common/RecorderPreferences.h"
#include "common/WaveFormat.h"
#include "common/WaveUtil.h"
#include "controls/ColorScheme.h"
#include "controls/CoolButton.h"
#include "controls/CoolSliderH.h"
#include "controls/CoolSliderV.h"
#include "controls/EQBmpBtn.h"
#include "controls/EQGroupBox.h"
#include "controls/EQMeter.h"
#include "controls/Scale.h"
#include "controls/Waveform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MusicTrackLibrary.h"
#include "platform/base/Colors.h"
#include "platform/codecs/VXFmtHlp.h"
#include "platform/ui/Messages.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTreeWidget>

#include <algorithm>
#include <limits>
#include <utility>

namespace recorder {

using namespace controls;

namespace {

// The tracks of the load road as the format conversion window sees them.
class RoadTracks : public ConvertTracks {
public:
    explicit RoadTracks(TrackRoads& roads)
        : m_roads(roads)
    {
    }
    QString workingPath(Track track) const override
    {
        const std::optional<TrackRecord>& record = m_roads.track(side(track));
        return record ? record->workingPath : QString();
    }
    void setWorkingPath(Track track, const QString& path) override { m_roads.setWorkingPath(side(track), path); }

private:
    static TrackSide side(Track track) { return track == Track::Voice ? TrackSide::Voice : TrackSide::Music; }

    TrackRoads& m_roads;
};

// The window as designed, in client coordinates. A resize moves what lies below the tracks down
// and what lies right of them across; the rules of ResizeLayout place the rest.
constexpr int kDesignedWidth = 1000;
constexpr int kDesignedHeight = 800;
constexpr int kMenuHeight = 24;

constexpr QRect kVoiceDisplay(10, 30, 760, 190);
constexpr QRect kViewRuler(10, 220, 760, 24);
constexpr QRect kMusicDisplay(10, 244, 760, 190);
constexpr QRect kSpaceBar(850, 220, 140, 24);
constexpr QRect kFaderFrame(786, 174, 44, 104);
constexpr QRect kMixLabel(778, 155, 60, 16);
constexpr QRect kMixButton(778, 283, 60, 24);
constexpr QRect kPositionSlider(10, 440, 970, 20);
constexpr QRect kFullRuler(10, 462, 970, 24);
constexpr QRect kStatusBar(10, 774, 970, 22);
constexpr QRect kPadPanel(90, 560, 600, 150);

// Rows under the tracks (moved down by a taller window) and the column right of them (moved
// across by a wider one).
constexpr int kTransportTop = 494;
constexpr int kFileRowTop = 526;
constexpr int kSideColumnLeft = 850;
constexpr int kEffectsTreeHeight = 270;

constexpr int kBusyMessage = 434;

const QColor kSpaceBarColor = platform::colorFromRef(0x008000);

// A face for the pad buttons, drawn for the pad's size.
QImage padFace(QSize size, const QColor& top, const QColor& bottom, const QColor& border)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 4, 4);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.fillPath(path, gradient);
    painter.setPen(border);
    painter.drawPath(path);
    return image;
}

QLabel* caption(QWidget* parent, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

uint32_t clampedZoom(int64_t zoom)
{
    return uint32_t(std::clamp<int64_t>(zoom, 0, std::numeric_limits<uint32_t>::max()));
}

} // namespace

void usePreferences(RecordingWindowServices& services, RecorderPreferences& preferences)
{
    services.tempFolder = [&preferences] { return preferences.GetTempPath(); };
    services.preventSaturation = [&preferences] { return preferences.GetPreventSaturation(); };
    services.alwaysTestLevels = [&preferences] { return preferences.GetAlwaysTestLevels(); };
    services.outputDevice = [&preferences] { return preferences.GetOutputDeviceIndex(); };
    services.preferences = &preferences;
}

TLiveOvedubbingForm::TLiveOvedubbingForm(const RecordingWindowServices& services, QWidget* parent)
    : TCoolForm(parent)
    , m_services(services)
    , m_colorScheme(SchemeProgram::Recorder, services.settings, services.messages)
    , m_loadServices(services.runner, services.messages)
    , m_roads(m_loadServices, m_busy, *this)
{
    clearNextAction();
    m_loadServices.tempFolder = m_services.tempFolder;
    m_loadServices.fileInfo = [this](const QString& file, platform::audio::AudioFileInfo& info) {
        return int(m_services.engine.AudioGetFileInfo(&info, file, 0, 0));
    };
    setObjectName(QStringLiteral("LiveOvedubbingForm"));
    setWindowFlag(Qt::Window);
    QApplication::setApplicationDisplayName(QString::fromLatin1(kRecorderCaption));
    setWindowTitle(QString::fromLatin1(kRecorderCaption));
    setAcceptDrops(true);

    createMenus();
    createTrackArea();
    createSideControls();
    createTransport();
    createPadPanel();
    createStatusBar();
    connectFader();
    connectRecordDevice();
    createVolumeControls();
    connectMixDown();

    setMinimumSize(designedSize());
    resize(designedSize());
    m_voiceDisplay->setShowCaret(true);
    m_musicDisplay->setShowCaret(true);
    ShowStatusFormat(0, 0, true, 0, 0);
    m_services.engine.SetCallbackWindow(this);
    m_services.musicLibrary.SetCallbackWindowHandle(this);
    m_playback = new PlaybackControls(*this, m_services.engine, m_services.messages, m_services.preventSaturation);
    m_recording = new RecordingControls(*this, m_services);
    m_pads = new MusicPadPanel(*this, m_services);
    RestoreWindowPlacement();
    SetControlState(ControlState::NoTrack);
    disableUnavailable();
}

TLiveOvedubbingForm::~TLiveOvedubbingForm()
{
    // The take and the playback end, and their controllers stop watching the controls, while every
    // control is still there.
    delete m_pads;
    delete m_recording;
    delete m_playback;
    m_services.engine.SetCallbackWindow(nullptr);
    m_services.musicLibrary.SetCallbackWindowHandle(nullptr);
}

QSize TLiveOvedubbingForm::designedSize()
{
    return QSize(kDesignedWidth, kDesignedHeight);
}

void TLiveOvedubbingForm::createMenus()
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("MainMenu"));
    auto add = [this](QMenu* menu, Control control, const QString& text) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(controlName(control)));
        m_controls[std::size_t(control)] = action;
        return action;
    };

    QMenu* file = m_menuBar->addMenu(QStringLiteral("&File"));
    add(file, Control::FileNewMenu, QStringLiteral("&New"));
    connect(add(file, Control::FileOpenMenu, QStringLiteral("&Open ...")), &QAction::triggered, this,
            [this] { m_roads.FileOpenMenuClick(); });
    connect(add(file, Control::OpenVoiceTrack, QStringLiteral("Import Voice Track ...")), &QAction::triggered, this,
            [this] { m_roads.OpenVoiceTrackClick(); });
    connect(add(file, Control::OpenMusicTrack, QStringLiteral("Import Music Track ...")), &QAction::triggered, this,
            [this] { m_roads.OpenMusicTrackClick(); });
    add(file, Control::OpenConversationMenu, QStringLiteral("Import Call Conversation ..."));
    add(file, Control::RecordVoIPConversation, QStringLiteral("Record Call Conversation ..."));
    file->addSeparator();
    connect(add(file, Control::FileSaveVoiceTrackMenu, QStringLiteral("Save &Voice Track ...")), &QAction::triggered,
            this, [this] { SaveVoiceTrack(); });
    connect(add(file, Control::FileSaveMusicTrackMenu, QStringLiteral("Save &Music Track ...")), &QAction::triggered,
            this, [this] { SaveMusicTrack(); });
    add(file, Control::FileMixDownToNewFileMenu, QStringLiteral("Mi&x Down To New File ..."));
    connect(add(file, Control::FileCloseMenu, QStringLiteral("&Close")), &QAction::triggered, this,
            [this] { CloseTracks(); });
    file->addSeparator();
    add(file, Control::OpenInEditor, QStringLiteral("Open File in Editor ..."));
    add(file, Control::FileLaunchEditorMenu, QStringLiteral("Launch &Editor"));
    add(file, Control::LaunchXVQOption, QStringLiteral("Launch &Podcast Builder"));
    add(file, Control::WelcomeScreen, QStringLiteral("&Welcome Screen..."));
    file->addSeparator();
    connect(add(file, Control::FilePreferencesMenu, QStringLiteral("P&references ...")), &QAction::triggered, this,
            [this] { FilePreferencesMenuClick(); });
    add(file, Control::FileExitMenu, QStringLiteral("E&xit"));
    connect(static_cast<QAction*>(m_controls[std::size_t(Control::FileExitMenu)]), &QAction::triggered, this,
            &QWidget::close);

    QMenu* view = m_menuBar->addMenu(QStringLiteral("&View"));
    add(view, Control::ViewZoomInMenu, QStringLiteral("Zoom &In"));
    add(view, Control::ViewZoomOutMenu, QStringLiteral("Zoom &Out"));
    add(view, Control::ViewZoomToExtentsMenu, QStringLiteral("Zoom To &Extents"));
    view->addSeparator();
    QMenu* positions = view->addMenu(QStringLiteral("&Position Displays"));
    positions->menuAction()->setObjectName(QString::fromLatin1(controlName(Control::ViewPositionDisplaysMenu)));
    m_controls[std::size_t(Control::ViewPositionDisplaysMenu)] = positions->menuAction();
    m_positionUnitGroup = new QActionGroup(this);
    const std::pair<const char*, int> units[] = {{"&Minutes / Seconds", kPositionMilliseconds},
                                                 {"&Sample Number", kPositionFrames}};
    for (const auto& [text, unit] : units) {
        QAction* action = positions->addAction(QString::fromLatin1(text));
        action->setCheckable(true);
        action->setChecked(unit == kPositionMilliseconds);
        action->setData(unit);
        m_positionUnitGroup->addAction(action);
    }
    m_positionUnit = m_positionUnitGroup->checkedAction()->data().toInt();
    connect(m_positionUnitGroup, &QActionGroup::triggered, this,
            [this](QAction* action) { setPositionUnit(action->data().toInt()); });
    add(view, Control::ViewSetColorsMenu, QStringLiteral("Set &Colors ..."));
    view->addSeparator();
    m_fullScreenMenu = view->addAction(QStringLiteral("&Full Screen"));
    m_fullScreenMenu->setObjectName(QStringLiteral("ViewFullScreenMenu"));
    m_minimumSizeMenu = view->addAction(QStringLiteral("&Minimum Size"));
    m_minimumSizeMenu->setObjectName(QStringLiteral("ViewMinimumSizeMenu"));
    connect(m_fullScreenMenu, &QAction::triggered, this, [this] {
        showMaximized();
        m_fullScreenMenu->setEnabled(false);
        m_minimumSizeMenu->setEnabled(true);
    });
    connect(m_minimumSizeMenu, &QAction::triggered, this, [this] {
        showNormal();
        resize(designedSize());
        m_fullScreenMenu->setEnabled(true);
        m_minimumSizeMenu->setEnabled(false);
    });

    QMenu* playback = m_menuBar->addMenu(QStringLiteral("&Playback"));
    add(playback, Control::PlaybackVoiceTrackMenu, QStringLiteral("&Voice Track"));
    add(playback, Control::PlaybackMixedTrackMenu, QStringLiteral("Mi&xed Track"))->setCheckable(true);
    add(playback, Control::PlaybackMusicTrackMenu, QStringLiteral("&Music Track"));
    playback->addSeparator();
    add(playback, Control::PlaybackPauseMenu, QStringLiteral("&Pause"));
    add(playback, Control::PlaybackStopMenu, QStringLiteral("&Stop"));
    add(playback, Control::PlaybackSkipToStartMenu, QStringLiteral("Skip To S&tart"));
    add(playback, Control::PlaybackSkipToEndMenu, QStringLiteral("Skip To &End"));
    add(playback, Control::PlaybackRewindMenu, QStringLiteral("&Rewind"));
    add(playback, Control::PlaybackFastForwardMenu, QStringLiteral("&Fast Forward"));

    QMenu* fade = m_menuBar->addMenu(QStringLiteral("F&ade"));
    add(fade, Control::FadeInMenu, QStringLiteral("Fade &In"));
    add(fade, Control::FadeOutMenu, QStringLiteral("Fade &Out"));

    QMenu* edit = m_menuBar->addMenu(QStringLiteral("&Edit"));
    add(edit, Control::EditVoiceTrackMenu, QStringLiteral("Edit &Voice Track"));
    add(edit, Control::EditMusicTrackMenu, QStringLiteral("Edit &Music Track"));
    add(edit, Control::EditMixedTrackMenu, QStringLiteral("Edit Mi&xed Track"));
    // The tooltips say why an item is off.
    for (QMenu* menu : {file, view, playback, fade, edit})
        menu->setToolTipsVisible(true);

    QMenu* maker = m_menuBar->addMenu(QStringLiteral("Vexal Audio"));
    maker->menuAction()->setObjectName(QStringLiteral("MakerMenu"));
    QAction* support = maker->addAction(QStringLiteral("Contact Vexal Audio &Support..."));
    support->setObjectName(QStringLiteral("ContactSupportMenu"));
    support->setEnabled(false);
}

void TLiveOvedubbingForm::createTrackArea()
{
    auto display = [this](Control control) {
        auto* d = new TQzv32WaveDisplay(this);
        d->setObjectName(QString::fromLatin1(controlName(control)));
        m_controls[std::size_t(control)] = d;
        return d;
    };
    m_voiceDisplay = display(Control::PreRecordedWaveDisplay);
    m_musicDisplay = display(Control::RecordingWaveDisplay);

    m_viewRuler = new TQzv32Scale(this);
    m_viewRuler->setObjectName(QStringLiteral("CurrentViewScale"));
    m_fullRuler = new TQzv32Scale(this);
    m_fullRuler->setObjectName(QStringLiteral("CurrentPositionScale"));

    m_positionSlider = new TCoolSliderH(ControlVariant::Recorder, this);
    m_positionSlider->setObjectName(QString::fromLatin1(controlName(Control::CurrentPositionTrackBar)));
    m_positionSlider->setRange(0, kSliderMax);
    m_controls[std::size_t(Control::CurrentPositionTrackBar)] = m_positionSlider;

    m_spaceBar = new QProgressBar(this);
    m_spaceBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_spaceBar->setTextVisible(false);
    m_spaceBar->setRange(0, 100);

    m_faderFrame = new QFrame(this);
    m_faderFrame->setObjectName(QStringLiteral("FaderFrame"));
    m_faderFrame->setFrameShape(QFrame::StyledPanel);
    m_faderFrame->setFrameShadow(QFrame::Sunken);
    m_fader = new TCoolSliderV(ControlVariant::Recorder, this);
    m_fader->setObjectName(QString::fromLatin1(controlName(Control::RecordingRightVolumeTrackBar)));
    m_fader->setRange(-100, 100);
    m_controls[std::size_t(Control::RecordingRightVolumeTrackBar)] = m_fader;
    m_mixLabel = caption(this, QStringLiteral("MIX"));
    m_mixLabel->setObjectName(QStringLiteral("MixLabel"));
    m_mixButton = coolButton(Control::ReMixButton, "Mix");
}

TCoolButton* TLiveOvedubbingForm::coolButton(Control control, const char* text)
{
    auto* button = new TCoolButton(ControlVariant::Recorder, this);
    button->setObjectName(QString::fromLatin1(controlName(control)));
    button->setCaption(QString::fromLatin1(text));
    button->setTransparent(true);
    m_controls[std::size_t(control)] = button;
    return button;
}

void TLiveOvedubbingForm::anchor(QWidget* widget, const QRect& designed, Anchor how)
{
    widget->setGeometry(designed);
    m_anchored.push_back({widget, designed, how});
}

void TLiveOvedubbingForm::createSideControls()
{
    const int x = kSideColumnLeft;
    anchor(caption(this, QStringLiteral("Voice")), QRect(x, 30, 40, 14), Anchor::Right);
    anchor(caption(this, QStringLiteral("Music")), QRect(x + 40, 30, 40, 14), Anchor::Right);
    const std::pair<Control, int> trims[] = {{Control::VoiceVolumeSlider, x + 5}, {Control::MusicVolumeSlider, x + 45}};
    for (const auto& [control, left] : trims) {
        auto* trim = new TWebEQSliderV(this);
        trim->setObjectName(QString::fromLatin1(controlName(control)));
        trim->setRange(-100, 100);
        trim->setImageType(1);
        trim->setScaleType(2);
        anchor(trim, QRect(left, 48, 30, 140), Anchor::Right);
        m_controls[std::size_t(control)] = trim;
    }
    const std::pair<const char*, const char*> meters[] = {{"EQMeter1", "LeftChannelClipping"},
                                                          {"EQMeter2", "RightChannelClipping"}};
    for (int i = 0; i < 2; ++i) {
        auto* lamp = new QLabel(this);
        m_clipLamps[std::size_t(i)] = lamp;
        lamp->setObjectName(QString::fromLatin1(meters[i].second));
        lamp->setAutoFillBackground(true);
        lamp->setFrameShape(QFrame::Box);
        anchor(lamp, QRect(x + 95 + i * 20, 32, 14, 10), Anchor::Right);
        auto* meter = new TEQMeter(this);
        m_meters[std::size_t(i)] = meter;
        meter->setObjectName(QString::fromLatin1(meters[i].first));
        meter->setInteraction(nullptr);
        anchor(meter, QRect(x + 95 + i * 20, 48, 14, 140), Anchor::Right);
    }

    struct Button {
        Control control;
        const char* caption;
        QRect rect;
    };
    const Button buttons[] = {
        {Control::StartStopRecordingButton, "Voice && Music", QRect(x, 252, 140, 26)},
        {Control::VoiceRecordButton, "Voice", QRect(x, 282, 68, 26)},
        {Control::MusicRecordButton, "Music", QRect(x + 72, 282, 68, 26)},
        {Control::PauseRecordingButton, "Pause", QRect(x, 312, 68, 26)},
        {Control::RecSourceButton, "Rec Device", QRect(x + 72, 312, 68, 26)},
    };
    for (const Button& b : buttons)
        anchor(coolButton(b.control, b.caption), b.rect, Anchor::Right);
    auto* recording = caption(this, QStringLiteral("Recording"));
    recording->setObjectName(QStringLiteral("RecordingLabel"));
    anchor(recording, QRect(x, 344, 140, 20), Anchor::Right);
    recording->hide();

    auto* effects = new QTreeWidget(this);
    effects->setObjectName(QString::fromLatin1(controlName(Control::EffectsTreeView)));
    effects->setHeaderLabel(QStringLiteral("Effects"));
    anchor(effects, QRect(x, kTransportTop, 140, kEffectsTreeHeight), Anchor::RightAndBottom);
    m_controls[std::size_t(Control::EffectsTreeView)] = effects;
}

void TLiveOvedubbingForm::createTransport()
{
    struct Button {
        Control control;
        const char* caption;
        QRect rect;
    };
    const Button buttons[] = {
        {Control::PreRecordedPlayBtn, "Play Voice", QRect(10, kTransportTop, 80, 26)},
        {Control::RecordingPlayBtn, "Play Music", QRect(94, kTransportTop, 80, 26)},
        {Control::MixedPlayBtn, "Play Mix", QRect(178, kTransportTop, 80, 26)},
        {Control::PauseBtn, "Pause", QRect(262, kTransportTop, 56, 26)},
        {Control::StopBtn, "Stop", QRect(322, kTransportTop, 56, 26)},
        {Control::SkipToStartBtn, "|<", QRect(382, kTransportTop, 40, 26)},
        {Control::RewindBtn, "<<", QRect(426, kTransportTop, 40, 26)},
        {Control::ForwardBtn, ">>", QRect(470, kTransportTop, 40, 26)},
        {Control::SkipToEndBtn, ">|", QRect(514, kTransportTop, 40, 26)},
        {Control::UploadButton, "Upload", QRect(700, kTransportTop, 96, 26)},
        {Control::SaveVoiceTrackButton, "Save Voice", QRect(10, kFileRowTop, 90, 26)},
        {Control::SaveMusicTrackButton, "Save Music", QRect(104, kFileRowTop, 90, 26)},
        {Control::MixDownToNewFileButton, "Mix Down", QRect(198, kFileRowTop, 90, 26)},
        {Control::EditVoiceTrackCoolButton, "Edit Voice", QRect(292, kFileRowTop, 90, 26)},
        {Control::EditMusicTrackCoolButton, "Edit Music", QRect(386, kFileRowTop, 90, 26)},
        {Control::EditMixTrackCoolButton, "Edit Mix", QRect(480, kFileRowTop, 90, 26)},
        // The zoom buttons sit 190 pixels right of where the form first had them.
        {Control::ZoomInButton, "+", QRect(640, kFileRowTop, 40, 26)},
        {Control::ZoomOutButton, "-", QRect(684, kFileRowTop, 40, 26)},
        {Control::ZoomToExtentsButton, "[ ]", QRect(728, kFileRowTop, 68, 26)},
    };
    for (const Button& b : buttons)
        anchor(coolButton(b.control, b.caption), b.rect, Anchor::Bottom);
    connect(static_cast<TCoolButton*>(m_controls[std::size_t(Control::SaveVoiceTrackButton)]), &TCoolButton::OnClick,
            this, [this] { SaveVoiceTrack(); });
    connect(static_cast<TCoolButton*>(m_controls[std::size_t(Control::SaveMusicTrackButton)]), &TCoolButton::OnClick,
            this, [this] { SaveMusicTrack(); });

    auto* box = new QLineEdit(this);
    box->setObjectName(QString::fromLatin1(controlName(Control::PositionMaskEdit)));
    box->setAlignment(Qt::AlignCenter);
    anchor(box, QRect(562, kTransportTop, 120, 26), Anchor::Bottom);
    m_controls[std::size_t(Control::PositionMaskEdit)] = box;
}

void TLiveOvedubbingForm::createPadPanel()
{
    m_padPanel = new TEQGroupBox(this);
    TEQGroupBox* panel = m_padPanel;
    panel->setObjectName(QStringLiteral("PadPanel"));
    panel->setCaption(QStringLiteral("Music Pads"));
    panel->setGeometry(kPadPanel);
    panel->setBackPicture(padFace(QSize(64, 64), QColor(0xF7, 0xF9, 0xFB), QColor(0xE2, 0xE7, 0xED), QColor(0xF7, 0xF9, 0xFB)));
    const QRect inside = panel->contentsRect();
    constexpr int gap = 6, columns = 6, rows = 2, rowHeight = 38;
    const QSize padSize((inside.width() - (columns + 1) * gap) / columns, rowHeight);
    const QImage up = padFace(padSize, QColor(0xFF, 0xFF, 0xFF), QColor(0xDD, 0xE3, 0xEA), QColor(0x8E, 0x99, 0xA6));
    const QImage down = padFace(padSize, QColor(0xC9, 0xDC, 0xF4), QColor(0xDD, 0xE8, 0xF6), QColor(0x2A, 0x5F, 0xA8));
    const QImage dis = padFace(padSize, QColor(0xF0, 0xF2, 0xF4), QColor(0xF0, 0xF2, 0xF4), QColor(0xC4, 0xCB, 0xD3));
    for (int i = 0; i < columns * rows; ++i) {
        auto* pad = new TEQBmpButton(panel);
        pad->setObjectName(QStringLiteral("F%1EffectButton").arg(i + 1));
        pad->setUpImage(up);
        pad->setDownImage(down);
        pad->setDisImage(dis);
        pad->setCaption(QStringLiteral("F%1").arg(i + 1));
        pad->setGlyphLeft(4);
        pad->setToggleButton(true);
        pad->setGeometry(inside.left() + gap + (i % columns) * (padSize.width() + gap),
                         inside.top() + gap + (i / columns) * (rowHeight + gap), padSize.width(), padSize.height());
    }
    // The pad list's Save button is not one of the controls the states switch.
    auto* save = new TCoolButton(ControlVariant::Recorder, panel);
    save->setObjectName(QStringLiteral("SaveMusicList"));
    save->setCaption(QStringLiteral("Save"));
    save->setTransparent(true);
    const std::pair<TCoolButton*, int> buttons[] = {
        {coolButton(Control::LoadMusicList, "Load"), 0},
        {save, 1},
        {coolButton(Control::CurrentMusicTrackPlaybackCoolButton, "Current"), 2},
        {coolButton(Control::StopAllTracksCoolButton, "Stop All Segments"), 3}};
    const int top = inside.top() + gap + rows * (rowHeight + gap);
    const int width = (inside.width() - 5 * gap) / 4;
    for (const auto& [button, column] : buttons) {
        button->setParent(panel);
        button->setGeometry(inside.left() + gap + column * (width + gap), top, width, 26);
    }
}

void TLiveOvedubbingForm::createStatusBar()
{
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    const int widths[] = {90, 70, 70, 90, 110};
    for (int i = 0; i < kStatusPanelCount; ++i) {
        auto* panel = new QLabel(m_statusBar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setMinimumWidth(widths[i]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        m_statusBar->addWidget(panel);
        m_statusPanels[std::size_t(i)] = panel;
    }
}

void TLiveOvedubbingForm::layOut()
{
    const int dx = std::max(0, width() - kDesignedWidth);
    const int dy = std::max(0, height() - kDesignedHeight);
    m_menuBar->setGeometry(0, 0, width(), kMenuHeight);
    for (const Anchored& a : m_anchored) {
        const bool right = a.how != Anchor::Bottom;
        const bool bottom = a.how != Anchor::Right;
        a.widget->setGeometry(a.designed.translated(right ? dx : 0, bottom ? dy : 0));
    }

    // Taller tracks share the height; the view ruler stays between them.
    ResizeInput in;
    in.clientWidth = width();
    in.voiceDisplay = kVoiceDisplay.adjusted(0, 0, dx, 0);
    in.viewRuler = kViewRuler.adjusted(0, 0, dx, 0).translated(0, dy / 2);
    in.musicDisplay = kMusicDisplay.adjusted(0, 0, dx, dy);
    in.spaceBar = kSpaceBar.translated(dx, 0);
    in.faderFrame = kFaderFrame.translated(dx, 0);
    in.mixButton = kMixButton.translated(dx, 0);
    in.mixLabel = kMixLabel.translated(dx, 0);
    in.positionSlider = kPositionSlider.translated(0, dy);
    in.fullRuler = kFullRuler.translated(0, dy);
    in.statusBar = kStatusBar.translated(0, dy);
    in.padPanel = kPadPanel.translated(0, dy);
    const ResizeLayout out = resizeLayout(in);

    m_voiceDisplay->setGeometry(out.voiceDisplay);
    m_viewRuler->setGeometry(in.viewRuler);
    m_musicDisplay->setGeometry(out.musicDisplay);
    m_spaceBar->setGeometry(out.spaceBar);
    m_faderFrame->setGeometry(out.faderFrame);
    m_fader->setGeometry(out.fader);
    m_mixButton->setGeometry(out.mixButton);
    m_mixLabel->setGeometry(out.mixLabel);
    m_positionSlider->setGeometry(out.positionSlider);
    m_fullRuler->setGeometry(out.fullRuler);
    m_statusBar->setGeometry(out.statusBar);
    m_padPanel->setGeometry(out.padPanel);
    // The displays draw again at their zoom and the view ruler follows the voice display.
    for (TQzv32WaveDisplay* display : {m_voiceDisplay, m_musicDisplay})
        display->DrawView(display->ZoomLevel(), display->LeftSamplePos());
    if (trackDisplay())
        SyncRuler(*m_viewRuler, m_voiceDisplay->ZoomLevel(), trackDisplay()->format(), m_voiceDisplay->LeftSamplePos());
    placeMixProgress();
}

void TLiveOvedubbingForm::resizeEvent(QResizeEvent* event)
{
    TCoolForm::resizeEvent(event);
    layOut();
}

TQzv32WaveDisplay* TLiveOvedubbingForm::trackDisplay() const
{
    if (!m_voiceDisplay->WaveFileName().isEmpty())
        return m_voiceDisplay;
    if (!m_musicDisplay->WaveFileName().isEmpty())
        return m_musicDisplay;
    return nullptr;
}

TQzv32WaveDisplay& TLiveOvedubbingForm::display(TrackSide side) const
{
    return side == TrackSide::Voice ? *m_voiceDisplay : *m_musicDisplay;
}

int TLiveOvedubbingForm::openDisplay(TrackSide side, const QString& workingWav, const QString& caption, uint32_t left)
{
    TQzv32WaveDisplay& shown = display(side);
    controls::PeakDisplayRequest request;
    request.wavFile = workingWav;
    request.caption = caption;
    request.tempFolder = m_services.tempFolder ? m_services.tempFolder() : QString();
    if (const int code = controls::OpenPeakDisplay(shown, request, m_services.runner, m_services.messages)) {
        shown.CloseWave();
        return code;
    }
    if (const int code = shown.DrawView(shown.MaxZoomLevel(), left)) {
        ShowMappedError(m_services.messages, code, WaveDisplayErrorToMessageId);
        shown.CloseWave();
        return code;
    }
    return 0;
}

bool TLiveOvedubbingForm::saveTrack(TrackSide side)
{
    return saveTrackOf(side);
}

void TLiveOvedubbingForm::closeTrackDisplay(TrackSide side)
{
    display(side).CloseWave();
}

int TLiveOvedubbingForm::convertTrackFormat(TrackSide side, const QString&, const WaveFormatEx& format)
{
    // The window reads the working WAV from the road's record and puts the converted one there.
    platform::codecs::VXFmtHlp library(m_loadServices.decodeEnvironment);
    ConvertProcessCalls calls(library);
    ConvertProcessServices process;
    process.start = [&library](const QString& source, const QString& target, const WaveFormatEx& to,
                               uint32_t* cell) { return library.AudioConvert(source, target, &to, cell, 0); };
    process.library = &calls;
    process.newTempWaveName = [this] {
        return GetTempWaveFileName(m_services.tempFolder ? m_services.tempFolder() : QString());
    };
    RoadTracks tracks(m_roads);
    TFormatConvertForm window(
        FormatConvertServices{m_services.messages, tracks, process, [format] { return format; }, {}}, this);
    return window.ConvertTrack(side == TrackSide::Voice ? QStringLiteral("Voice Track") : QStringLiteral("Music Track"));
}

void TLiveOvedubbingForm::reloadTrack(TrackSide side)
{
    const std::optional<TrackRecord>& track = m_roads.track(side);
    if (!track)
        return;
    openDisplay(side, track->workingPath,
                side == TrackSide::Voice ? QStringLiteral("Building Voice Track Peaks...")
                                         : QStringLiteral("Building Music Track Peaks..."));
}

void TLiveOvedubbingForm::padded(TrackSide)
{
    // No watcher looks for outside edits of the working WAVs, so there is no baseline to move.
}

void TLiveOvedubbingForm::setCaretToStart(TrackSide side)
{
    display(side).setCaretPositionBySamples(0);
}

void TLiveOvedubbingForm::setControlState(ControlState state)
{
    SetControlState(state);
}

void TLiveOvedubbingForm::showTrackLayout(TrackSide side, int64_t)
{
    // The track's length comes from its display, which holds the same file. The control state the
    // road has just applied stays: a layout of type 2 would put the window back to state 2.
    layOutSliderAndRulers(display(side));
    ShowPosition(0, kPositionFrames);
    m_positionSlider->setPosition(0);
}

bool TLiveOvedubbingForm::closeTracks()
{
    return CloseTracks() == 0;
}

int TLiveOvedubbingForm::openVoiceDisplay(const QString& workingWav, const QString& caption)
{
    return openDisplay(TrackSide::Voice, workingWav, caption);
}

void TLiveOvedubbingForm::showOpenedFile(const QString& fileName)
{
    ApplyTrackLayout(2);
    setWindowTitle(QStringLiteral("%1 - %2").arg(QString::fromLatin1(kRecorderCaption), fileName));
    ControlStateRow row;
    ControlChange fader;
    fader.value = 0;
    row.changes.emplace_back(Control::RecordingRightVolumeTrackBar, fader);
    ControlChange off;
    off.enabled = false;
    for (const Control control : {Control::StartStopRecordingButton, Control::VoiceRecordButton,
                                  Control::MusicRecordButton, Control::ReMixButton})
        row.changes.emplace_back(control, off);
    applyRow(row);
}

void TLiveOvedubbingForm::applyRow(const ControlStateRow& row)
{
    m_panel.apply(row);
    for (const auto& [control, change] : row.changes)
        applyChange(control, change);
    // The gains follow the fader wherever a row puts it, so a later trim move starts from there.
    const bool faderSet = std::any_of(row.changes.begin(), row.changes.end(), [](const auto& change) {
        return change.first == Control::RecordingRightVolumeTrackBar && change.second.value;
    });
    if (row.applyFader || faderSet)
        m_faderControl.setFader(m_fader->Position());
}

void TLiveOvedubbingForm::ApplyControlChanges(const std::vector<std::pair<Control, ControlChange>>& changes)
{
    ControlStateRow row;
    row.changes = changes;
    applyRow(row);
}

void TLiveOvedubbingForm::disableUnavailable()
{
    for (int i = 0; i < kControlCount; ++i) {
        const Control control = Control(i);
        if (!isUnavailable(control))
            continue;
        QObject* object = m_controls[std::size_t(control)];
        if (auto* action = qobject_cast<QAction*>(object)) {
            action->setEnabled(false);
            action->setToolTip(unavailableReason(control));
        } else {
            auto* widget = static_cast<QWidget*>(object);
            widget->setEnabled(false);
            widget->setToolTip(unavailableReason(control));
        }
    }
}

ControlStateContext TLiveOvedubbingForm::stateContext() const
{
    ControlStateContext context;
    context.voiceTrack = !m_voiceDisplay->WaveFileName().isEmpty();
    context.musicTrack = !m_musicDisplay->WaveFileName().isEmpty();
    context.voiceRecording = m_voiceRecording;
    context.musicRecording = m_musicRecording;
    context.remixPlayback = m_remixPlayback;
    return context;
}

void TLiveOvedubbingForm::SetControlState(ControlState state)
{
    const ControlStateRow row = controlStateRow(state, stateContext());
    if (row.firstState)
        SetControlState(*row.firstState);
    if (row.firstLayout)
        ApplyTrackLayout(row.firstLayout);
    applyRow(row);
}

// Copies what the row changed of one control from the panel onto its widget or menu item.
void TLiveOvedubbingForm::applyChange(Control control, const ControlChange& change)
{
    const ControlValue& value = m_panel[control];
    QObject* object = m_controls[std::size_t(control)];
    if (change.enabled) {
        // The table's value stays in the panel; a control without its command stays off.
        const bool enabled = value.enabled && !isUnavailable(control);
        if (auto* action = qobject_cast<QAction*>(object))
            action->setEnabled(enabled);
        else
            static_cast<QWidget*>(object)->setEnabled(enabled);
    }
    if (change.readOnly)
        static_cast<QLineEdit*>(object)->setReadOnly(value.readOnly);
    if (change.down)
        static_cast<TCoolButton*>(object)->setDown(value.down);
    if (change.caption) {
        if (auto* display = qobject_cast<TQzv32WaveDisplay*>(object))
            display->setNoSamplePresentText(value.caption);
        else
            static_cast<TCoolButton*>(object)->setCaption(value.caption);
    }
    if (change.value) {
        if (auto* slider = qobject_cast<CoolSliderBase*>(object))
            slider->setPosition(value.value);
        else
            static_cast<TWebEQSliderV*>(object)->setPosition(value.value);
    }
}

void TLiveOvedubbingForm::ApplyTrackLayout(int type)
{
    if (type == 2 || type == 14) {
        const TQzv32WaveDisplay* display = type == 2 ? m_voiceDisplay : m_musicDisplay;
        const WaveFormatEx& format = display->format();
        const uint32_t total = display->TotalSamples();
        const uint32_t lengthMs = format.samplesPerSec ? uint32_t(uint64_t(total) * 1000 / format.samplesPerSec) : 0;
        ShowStatusFormat(lengthMs, format.samplesPerSec, false, format.channels, format.bitsPerSample);
        if (const auto state = layoutControlState(type))
            SetControlState(*state);
        layOutSliderAndRulers(*display);
    }
    const uint32_t caret = m_voiceDisplay->CaretPositionBySamples();
    ShowPosition(caret, kPositionFrames);
    m_positionSlider->setPosition(int(m_sliderScale.stepAt(caret)));
}

void TLiveOvedubbingForm::layOutSliderAndRulers(const TQzv32WaveDisplay& display)
{
    const TrackLayout layout = trackLayout(display.TotalSamples(), m_viewRuler->width(), m_fullRuler->width());
    m_positionSlider->setRange(layout.sliderMin, layout.sliderMax);
    m_positionSlider->setSelection(layout.selectionStart, layout.selectionEnd);
    m_positionSlider->setPageSize(layout.pageSize);
    m_positionSlider->setLineSize(layout.lineSize);
    m_sliderScale = layout.scale;
    SyncRuler(*m_viewRuler, clampedZoom(layout.viewRulerZoom), display.format(), 0);
    SyncRuler(*m_fullRuler, clampedZoom(layout.fullRulerZoom), display.format(), 0);
}

void TLiveOvedubbingForm::ShowStatusFormat(uint32_t lengthMs, uint32_t sampleRate, bool clear, int channels, int bits)
{
    const StatusPanels panels =
        statusFormatPanels(lengthMs, sampleRate, clear, channels, bits, int(m_voiceDisplay->ZoomLevel()));
    for (int i = 0; i < kStatusPanelCount; ++i)
        m_statusPanels[std::size_t(i)]->setText(panels[std::size_t(i)]);
}

void TLiveOvedubbingForm::ShowPosition(uint32_t position, int unit)
{
    const TQzv32WaveDisplay* display = trackDisplay();
    const PositionBox box(m_positionUnit, display ? std::optional(display->format()) : std::nullopt,
                          display ? display->TotalSamples() : 0);
    auto* edit = static_cast<QLineEdit*>(m_controls[std::size_t(Control::PositionMaskEdit)]);
    const QSignalBlocker quiet(edit);
    // The position timer calls this twenty times a second: a mask or text set again unchanged
    // would lay the box out again for nothing.
    if (const QString mask = box.inputMask(); m_positionMask != mask) {
        edit->setInputMask(mask);
        m_positionMask = mask;
    }
    if (const QString text = box.text(position, unit); edit->text() != text)
        edit->setText(text);
}

void TLiveOvedubbingForm::setPositionUnit(int unit)
{
    m_positionUnit = unit;
    const TFormat format = unit == kPositionFrames ? TFormat::Samples : TFormat::Time;
    m_viewRuler->setFormat(format);
    m_fullRuler->setFormat(format);
    // The box shows the caret again in the new unit, and the status bar the track's format.
    const TQzv32WaveDisplay* display = trackDisplay();
    if (!display) {
        ShowPosition(0, kPositionFrames);
        return;
    }
    ShowPosition(display->CaretPositionBySamples(), kPositionFrames);
    const WaveFormatEx& wave = display->format();
    const uint32_t lengthMs =
        wave.samplesPerSec ? uint32_t(uint64_t(display->TotalSamples()) * 1000 / wave.samplesPerSec) : 0;
    ShowStatusFormat(lengthMs, wave.samplesPerSec, false, wave.channels, wave.bitsPerSample);
}

void TLiveOvedubbingForm::SyncRuler(TQzv32Scale& ruler, uint32_t zoom, const WaveFormatEx& format, uint32_t leftSample)
{
    ruler.setZoomLevel(zoom == 0 ? 1 : zoom);
    ruler.setLeftSamplePos(leftSample);
    ruler.SetWaveFormat(format);
    ruler.setIsDataAvailable(true);
}

int TLiveOvedubbingForm::SaveWindowPlacement()
{
    WindowPlacement placement;
    placement.state = isMinimized()   ? PlacementState::Minimized
                      : isMaximized() ? PlacementState::Maximized
                                      : PlacementState::Normal;
    const QRect normal = isMinimized() || isMaximized() ? normalGeometry() : geometry();
    placement.left = normal.left();
    placement.top = normal.top();
    placement.width = normal.width();
    placement.height = normal.height();
    return recorder::SaveWindowPlacement(m_services.settings, placement);
}

int TLiveOvedubbingForm::RestoreWindowPlacement()
{
    RestoredPlacement restored;
    const int result = recorder::RestoreWindowPlacement(m_services.settings, restored);
    m_fullScreenMenu->setEnabled(!restored.maximized);
    m_minimumSizeMenu->setEnabled(restored.maximized);
    if (restored.maximized) {
        setWindowState(Qt::WindowMaximized);
        return result;
    }
    setWindowState(Qt::WindowNoState);
    QRect rect = geometry();
    if (restored.left)
        rect.moveLeft(*restored.left);
    if (restored.top)
        rect.moveTop(*restored.top);
    if (restored.width)
        rect.setWidth(std::max(*restored.width, minimumWidth()));
    if (restored.height)
        rect.setHeight(std::max(*restored.height, minimumHeight()));
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    setGeometry(placeOnScreens(rect, screens));
    return result;
}

void TLiveOvedubbingForm::showEvent(QShowEvent* event)
{
    TCoolForm::showEvent(event);
    for (TEQMeter* meter : m_meters) {
        meter->setMin(0);
        meter->setMax(100);
        meter->setBarCount(1);
        meter->setBarWidth(meter->width());
        meter->setSeparation(0);
        meter->setShowHistory(true);
    }
    if (m_colorScheme.LoadColorScheme() == ColorSchemeCode::Ok)
        applyColorScheme();
    m_spaceBar->setStyleSheet(
        QStringLiteral("QProgressBar::chunk { background-color: %1; }").arg(kSpaceBarColor.name()));
}

void TLiveOvedubbingForm::applyColorScheme()
{
    auto color = [this](int element) { return platform::colorFromRef(m_colorScheme.GetSchemeColor(element)); };
    for (TQzv32WaveDisplay* display : {m_voiceDisplay, m_musicDisplay}) {
        display->setBackGroundColor(color(RecorderColor::WaveformBackground));
        display->setWaveFormColor(color(RecorderColor::Waveform));
        display->setAxisColor(color(RecorderColor::Axis));
        display->setCaretColor(color(RecorderColor::Cursor));
    }
    const uint32_t background = m_colorScheme.GetSchemeColor(RecorderColor::WaveformBackground);
    m_faderControl.setTintColours(background, background, background);
    for (QLabel* lamp : m_clipLamps) {
        QPalette palette = lamp->palette();
        palette.setColor(QPalette::Window, color(RecorderColor::ClippingLightOff));
        lamp->setPalette(palette);
    }
}

void TLiveOvedubbingForm::closeEvent(QCloseEvent* event)
{
    if (m_busy.isBusy()) {
        event->ignore();
        m_services.messages.ShowMessageById(kBusyMessage, {}, platform::MB_OK | platform::MB_ICONINFORMATION);
        return;
    }
    m_services.engine.AudioStop();
    m_services.engine.AudioStopRecordLevelTest();
    if (UnloadWaveFile() == SaveChoice::Cancel) {
        event->ignore();
        return;
    }
    m_pads->windowClosing();
    SaveMixerSettings();
    m_colorScheme.SaveColorScheme();
    SaveWindowPlacement();
    event->accept();
}

} // namespace recorder

namespace recorder {

bool TLiveOvedubbingForm::saveTrackOf(TrackSide side)
{
    std::optional<TrackRecord>& track = m_roads.track(side);
    if (!track)
        return false;
    if (!SaveTrack(trackSaveServices(), side, *track, m_lastSaveName))
        return false;
    setWindowTitle(
        QStringLiteral("%1 : %2").arg(QString::fromLatin1(kRecorderCaption), QFileInfo(track->savedPath).fileName()));
    return true;
}

bool TLiveOvedubbingForm::SaveVoiceTrack()
{
    return saveTrackOf(TrackSide::Voice);
}

bool TLiveOvedubbingForm::SaveMusicTrack()
{
    return saveTrackOf(TrackSide::Music);
}

int TLiveOvedubbingForm::AskSaveBeforeLeaving()
{
    int choice = SaveChoice::Cancel;
    {
        TFileSaveDlg dialog(m_roads.track(TrackSide::Voice).has_value(), m_roads.track(TrackSide::Music).has_value(),
                            this);
        choice = dialog.exec();
    }
    if (choice == SaveChoice::SaveMix && !MixDownToNewFile())
        return SaveChoice::Cancel;
    if (choice == SaveChoice::SaveMusic && !SaveMusicTrack())
        return SaveChoice::Cancel;
    if (choice == SaveChoice::SaveVoice && !SaveVoiceTrack())
        return SaveChoice::Cancel;
    return choice;
}

int TLiveOvedubbingForm::UnloadWaveFile()
{
    const std::optional<TrackRecord>& voice = std::as_const(m_roads).track(TrackSide::Voice);
    const std::optional<TrackRecord>& music = std::as_const(m_roads).track(TrackSide::Music);
    if (!voice && !music)
        return 0;
    // A saved mix (or a file opened as one) keeps the work; otherwise ask before anything unsaved
    // goes.
    if (m_roads.mixedFile().path.isEmpty()) {
        const bool changed = (voice && voice->state == kTrackChanged) || (music && music->state == kTrackChanged);
        if (((voice && music) || changed) && AskSaveBeforeLeaving() == SaveChoice::Cancel)
            return SaveChoice::Cancel;
    }
    m_roads.unloadTrack(TrackSide::Voice);
    m_roads.unloadTrack(TrackSide::Music);
    m_faderControl.reset();

    auto* box = static_cast<QLineEdit*>(m_controls[std::size_t(Control::PositionMaskEdit)]);
    {
        const QSignalBlocker quiet(box);
        box->setInputMask(QString());
        m_positionMask.clear();
        box->setText(QStringLiteral("00000000"));
    }
    m_positionSlider->setSelection(0, 0);
    ControlStateRow row;
    ControlChange off;
    off.enabled = false;
    row.changes.emplace_back(Control::CurrentPositionTrackBar, off);
    applyRow(row);
    ShowStatusFormat(0, 0, true, 0, 0);
    setWindowTitle(QString::fromLatin1(kRecorderCaption));
    return 0;
}

int TLiveOvedubbingForm::CloseTracks()
{
    if (m_busy.isBusy()) {
        m_services.messages.ShowMessageById(kBusyMessage, {}, platform::MB_OK | platform::MB_ICONINFORMATION);
        return SaveChoice::Cancel;
    }
    if (!m_roads.track(TrackSide::Voice) && !m_roads.track(TrackSide::Music))
        return 0;
    m_services.engine.AudioStop();
    if (UnloadWaveFile() == SaveChoice::Cancel)
        return SaveChoice::Cancel;
    m_roads.forgetClosedTracks();
    m_mix.reset();
    SetControlState(ControlState::NoTrack);
    ControlStateRow row;
    ControlChange on, off;
    on.enabled = true;
    off.enabled = false;
    for (const Control control : {Control::StartStopRecordingButton, Control::VoiceRecordButton,
                                  Control::MusicRecordButton, Control::ReMixButton})
        row.changes.emplace_back(control, on);
    for (const Control control : {Control::EditMixTrackCoolButton, Control::EditMixedTrackMenu})
        row.changes.emplace_back(control, off);
    applyRow(row);
    return 0;
}

void TLiveOvedubbingForm::ReloadMusicTrack()
{
    const std::optional<TrackRecord>& music = m_roads.track(TrackSide::Music);
    if (!music)
        return;
    openDisplay(TrackSide::Music, music->workingPath, QStringLiteral("Building Music Track Peaks..."),
                m_musicDisplay->LeftSamplePos());
}

void TLiveOvedubbingForm::ReloadVoiceTrack()
{
    std::optional<TrackRecord>& voice = m_roads.track(TrackSide::Voice);
    if (!voice)
        return;
    if (openDisplay(TrackSide::Voice, voice->workingPath, QStringLiteral("Building Voice Track Peaks..."),
                    m_voiceDisplay->LeftSamplePos())
        != 0) {
        // The track cannot be shown any more: it is dropped with its working file.
        ControlStateRow row;
        ControlChange released;
        released.down = false;
        released.caption = QStringLiteral("Voice && Music");
        row.changes.emplace_back(Control::StartStopRecordingButton, released);
        ControlChange off;
        off.enabled = false;
        row.changes.emplace_back(Control::PauseRecordingButton, off);
        applyRow(row);
        m_roads.dropTrack(TrackSide::Voice);
        // The controls as for the music track alone (or none): the empty window's, then the music's.
        SetControlState(ControlState::NoTrack);
        if (m_roads.track(TrackSide::Music))
            SetControlState(ControlState::MusicWithoutVoice);
        return;
    }
    platform::audio::AudioFileInfo info;
    if (const int code = m_loadServices.fileInfo(voice->workingPath, info)) {
        ShowMappedError(m_services.messages, code, PlayerErrorToMessageId);
        m_voiceDisplay->CloseWave();
        return;
    }
    voice->fileInfo = info;
    voice->waveFormat = makePcmFormat(info.samplesPerSec, info.bitsPerSample, uint16_t(info.channels));
    SetControlState(m_roads.track(TrackSide::Music) ? ControlState::BothTracks : ControlState::VoiceWithoutMusic);
}

} // namespace recorder
