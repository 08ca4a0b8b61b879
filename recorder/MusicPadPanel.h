#pragma once
// The recording window's music pads wired to its widgets: the twelve pad buttons F1EffectButton ..
// F12EffectButton, their popup menu (assign, unassign, looping), files dropped on a pad, the Load
// and Save buttons of pad lists, "Current" and "Stop All Segments", the window's keys (function
// keys, Esc, the record letters and the keypad's zoom) and the music-track library's news that a
// pad stopped. The rules are MusicPads'.

#include "recorder/MusicPads.h"
#include "recorder/TrackLoader.h"

#include <QObject>

#include <array>
#include <memory>

class QAction;
class QKeyEvent;
class QMenu;

namespace controls {
class TEQBmpButton;
}

namespace recorder {

class TLiveOvedubbingForm;
struct RecordingWindowServices;

class MusicPadPanel : public QObject {
    Q_OBJECT

public:
    // A child of the form, whose pad widgets exist already; the services outlive it.
    MusicPadPanel(TLiveOvedubbingForm& form, const RecordingWindowServices& services);
    ~MusicPadPanel() override;

    MusicPads& pads() { return *m_pads; }
    controls::TEQBmpButton* button(int slot) const { return m_buttons[std::size_t(slot)]; }
    QMenu* popupMenu() const { return m_menu; }

    // The window closes: every pad stops, and the first page is kept as the last-used pads.
    void windowClosing();
    // The pad list buttons.
    void loadListClicked();
    void saveListClicked();

protected:
    // The window's key-ups (seen before its controls see them), the library's messages to the
    // window, and files dragged onto a pad.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPage(PadPage page);
    void menuAboutToShow();
    void assignClicked();
    void loopClicked();
    // The window's keys: F1..F12 fire the pads, Esc stops them, O, R and U press the record buttons
    // and the keypad's *, + and - zoom.
    bool keyReleased(const QKeyEvent& event, QWidget* receiver);
    bool padDrag(int slot, QEvent* event);

    TLiveOvedubbingForm& m_form;
    const RecordingWindowServices& m_services;
    TrackLoadServices m_loadServices;
    std::array<controls::TEQBmpButton*, kPadSlots> m_buttons{};
    QMenu* m_menu = nullptr;
    QAction* m_assignItem = nullptr;
    QAction* m_loopItem = nullptr;
    int m_menuSlot = -1;
    std::unique_ptr<MusicPads> m_pads;
};

} // namespace recorder
