// The recording window's mix-down: its button and menu item, the window's controls while a mix runs,
// and the progress bar with its stop button in the time ruler's place.
#include "recorder/LiveOverdubbing.h"

#include "common/ErrCodes.h"
#include "controls/CoolButton.h"
#include "controls/Scale.h"

#include <QAction>
#include <QFileInfo>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

namespace recorder {

namespace {

// The progress bar's steps, whatever the mix's size.
constexpr int kProgressSteps = 1000;
constexpr int kStopButtonWidth = 80;

} // namespace

void TLiveOvedubbingForm::connectMixDown()
{
    connect(static_cast<QAction*>(m_controls[std::size_t(Control::FileMixDownToNewFileMenu)]), &QAction::triggered,
            this, [this] { MixDownToNewFile(); });
    connect(static_cast<controls::TCoolButton*>(m_controls[std::size_t(Control::MixDownToNewFileButton)]),
            &controls::TCoolButton::OnClick, this, [this] { MixDownToNewFile(); });
    m_mixStop = new QPushButton(QStringLiteral("Stop Mixing"), this);
    m_mixStop->setObjectName(QStringLiteral("StopMixButton"));
    m_mixStop->hide();
    connect(m_mixStop, &QPushButton::clicked, this, [this] {
        if (m_mixStopRequest)
            m_mixStopRequest();
    });
}

bool TLiveOvedubbingForm::MixDownToNewFile()
{
    const std::optional<TrackRecord>& voice = std::as_const(m_roads).track(TrackSide::Voice);
    const std::optional<TrackRecord>& music = std::as_const(m_roads).track(TrackSide::Music);
    if (!voice || !music)
        return false;
    MixSources sources;
    sources.voiceWav = voice->workingPath;
    sources.musicWav = music->workingPath;
    if (const TMixFade* automation = m_faderControl.automation())
        sources.fader.automation = *automation;
    sources.fader.fader = m_faderControl.fader();
    sources.fader.voiceTrim = m_faderControl.voiceTrim();
    sources.fader.musicTrim = m_faderControl.musicTrim();

    MixDownServices services{m_services.messages, m_services.runner, m_busy};
    services.tempFolder = m_services.tempFolder ? m_services.tempFolder() : QString();
    services.preventSaturation = m_services.preventSaturation && m_services.preventSaturation();
    const TrackSaveServices save = trackSaveServices();
    services.askSongInformation = save.askSongInformation;
    services.copy = save.copy;
    services.exportMp3 = save.exportMp3;
    services.exportWma = save.exportWma;
    services.mp3BitRate = save.mp3BitRate;
    services.afterBlock = m_services.mixAfterBlock;
    return recorder::MixDownToNewFile(services, *this, sources, m_mix, m_lastSaveName);
}

void TLiveOvedubbingForm::DisableWindowControls()
{
    m_disabledWidgets.clear();
    m_disabledMenus.clear();
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child == m_spaceBar || child == m_mixStop || child->isWindow() || child->testAttribute(Qt::WA_Disabled))
            continue;
        m_disabledWidgets.emplace_back(child);
        child->setEnabled(false);
    }
    for (QAction* menu : m_menuBar->actions()) {
        if (!menu->isEnabled())
            continue;
        m_disabledMenus.emplace_back(menu);
        menu->setEnabled(false);
    }
}

void TLiveOvedubbingForm::RestoreWindowControls()
{
    for (const QPointer<QWidget>& widget : m_disabledWidgets) {
        if (widget)
            widget->setEnabled(true);
    }
    for (const QPointer<QAction>& menu : m_disabledMenus) {
        if (menu)
            menu->setEnabled(true);
    }
    m_disabledWidgets.clear();
    m_disabledMenus.clear();
}

void TLiveOvedubbingForm::showMixProgress(const std::function<void()>& stop)
{
    m_mixStopRequest = stop;
    if (!stop) {
        m_mixStop->hide();
        m_spaceBar->setRange(0, 100);
        m_spaceBar->setValue(0);
        m_viewRuler->show();
        layOut();
        return;
    }
    m_viewRuler->hide();
    m_spaceBar->setRange(0, kProgressSteps);
    m_spaceBar->setValue(0);
    placeMixProgress();
    m_mixStop->show();
    m_mixStop->raise();
}

void TLiveOvedubbingForm::placeMixProgress()
{
    if (!m_mixStopRequest)
        return;
    const QRect ruler = m_viewRuler->geometry();
    m_spaceBar->setGeometry(ruler.adjusted(0, 0, -kStopButtonWidth - 4, 0));
    m_mixStop->setGeometry(ruler.right() - kStopButtonWidth + 1, ruler.top(), kStopButtonWidth, ruler.height());
}

void TLiveOvedubbingForm::setMixProgress(int64_t done, int64_t total)
{
    m_spaceBar->setValue(total > 0 ? int(done * kProgressSteps / total) : 0);
}

void TLiveOvedubbingForm::mixSaved(const MixedFile& mixed)
{
    setWindowTitle(
        QStringLiteral("%1 : %2").arg(QString::fromLatin1(kRecorderCaption), QFileInfo(mixed.path).fileName()));
    m_roads.setMixedFile(mixed);
    ControlStateRow row;
    ControlChange on;
    on.enabled = true;
    for (const Control control : {Control::EditMixTrackCoolButton, Control::EditMixedTrackMenu})
        row.changes.emplace_back(control, on);
    applyRow(row);
}

} // namespace recorder
