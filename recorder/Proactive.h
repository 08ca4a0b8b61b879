#pragma once
// TProactiveForm, the welcome window and the recorder's main window: three roads into the suite
// (record a new podcast, open an existing podcast in the builder, build a podcast from an audio
// file), each a picture that lights up under the mouse and a label, and the Close button. It also
// takes the file of the program's command line: its own, posted to itself when it is first shown,
// and a later start's, handed over through the programs' messaging.
//
// The rules without widgets are in ProactiveRules.h (keys, dialogs, placement, the received file)
// and NextAction.h (what to do after the recording window). The recording window, the podcast-type
// question and the builder come from the services, so tests replace them.

#include "recorder/BuilderRoads.h"
#include "recorder/ProactiveRules.h"

#include "platform/messaging/ArgumentBlock.h"
#include "platform/messaging/Messaging.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;

namespace platform {
class Messages;
}

namespace recorder {

class WelcomeLabel;

// Creates the recording window, gives it its devices, runs it modally over the welcome window and
// releases it.
using RecordingWindowRun = std::function<void(QWidget* welcome)>;
// The podcast type asked modally over parent: 0 "Podcast Basic", 1 "Podcast With iTunes Tags", -1
// when the question was not answered with OK.
using PodcastTypeQuestion = std::function<int(QWidget* parent)>;
// The question in TPodcastTypeForm.
int askPodcastType(QWidget* parent);

// What the window works with; each outlives it.
struct ProactiveServices {
    const platform::Messages& messages; // its interaction runs the file dialogs
    BuilderRoads& builder;
    RecordingWindowRun runRecordingWindow;
    PodcastTypeQuestion askPodcastType = recorder::askPodcastType;
    // Registers the window under the welcome window's class, so that later starts find it; none:
    // nothing reaches it from outside.
    platform::Messaging* messaging = nullptr;
    // The program's command line (without the program), its files made absolute.
    QStringList arguments;
};

class TProactiveForm : public QWidget, private platform::WindowHandler {
    Q_OBJECT

public:
    explicit TProactiveForm(ProactiveServices services, QWidget* parent = nullptr);
    ~TProactiveForm() override;

    // Record a new podcast: the recording window, then what it left in the next action.
    void UpNewPodcastImageClick();
    void UpOpenExistingPodcastImageClick();
    void UpPodcastFromExistingAudioImageClick();
    void CloseButtonClick();
    // A podcast from an audio file the user chooses: the type question, then the builder.
    void LaunchXVQForNewPodcast();
    // A saved project or feed the user chooses, in the builder.
    void LaunchXVQForExistingPodcast();
    // A command line, its own or handed over: the file it names (none when it names no existing
    // file), the type question, then the builder on a new podcast with that file.
    void ProcessArgumentBlock(const platform::ArgumentBlock& block);

    // A line at the foot of the window that says why sound will not work (no sound server).
    void showSoundNote(const QString& text);

    // The highlight's label colours.
    static QColor restingLabelColor() { return Qt::black; }
    static QColor highlightedLabelColor() { return Qt::white; }

    QLabel* NewPodcastImage = nullptr;
    QLabel* UpNewPodcastImage = nullptr;
    QLabel* RecordNewLabel = nullptr;
    QLabel* OpenExistingPodcastImage = nullptr;
    QLabel* UpOpenExistingPodcastImage = nullptr;
    QLabel* ExistingPodcastLabel = nullptr;
    QLabel* PodcastFromExistingAudioImage = nullptr;
    QLabel* UpPodcastFromExistingAudioImage = nullptr;
    QLabel* ExistingAudioLabel = nullptr;
    QPushButton* CloseButton = nullptr;
    QLabel* SoundNoteLabel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Closing the welcome window ends the program, also while no other window is open.
    void closeEvent(QCloseEvent* event) override;

private:
    // One road's picture at rest, its highlighted picture and its label.
    struct Road {
        WelcomeRoad road = WelcomeRoad::None;
        QLabel* rest = nullptr;
        QLabel* up = nullptr;
        WelcomeLabel* label = nullptr;
    };

    QWidget* makeRoad(Road& road, const char* restName, const char* upName, const char* labelName,
                      const QString& text);
    void drawImages();
    void resetHighlights();
    void highlight(const Road& road);
    void take(WelcomeRoad road);
    void postOwnCommandLine();
    // The type question for the file; unless cancelled, the builder on a new podcast with it.
    void askTypeThenBuild(const QString& audioFile);
    // Hidden while the builder runs, shown again afterwards.
    void runBuilder(const std::function<void()>& call);

    QString windowCaption() const override;
    bool windowVisible() const override;
    bool windowEnabled() const override;
    void windowMessage(uint32_t message, intptr_t wParam, intptr_t lParam) override;
    bool windowCopyData(uint64_t dwData, const QByteArray& data) override;

    ProactiveServices m_services;
    std::array<Road, 3> m_roads;
    bool m_shownOnce = false;
    // A road's key pressed in this window; its release acts. A release whose press closed another
    // window (a dialog's accelerator) does not.
    int m_pressedKey = 0;
    qreal m_imageRatio = 0; // the pixel ratio the pictures were drawn for
    std::unique_ptr<platform::WindowRegistration> m_registration;
};

} // namespace recorder
