#pragma once
// One page of the podcast builder (TXvqForm) as the window sees it: it fills its fields from the
// podcast record when it is entered, copies them back when it is left, and says when the user
// changed something. The window owns the record and the page bookkeeping (XvqNavigator).
#include "podcast/PodcastRecord.h"
#include "podcast/XvqPages.h"

#include <QWidget>

#include <functional>
#include <memory>

class QPushButton;

namespace platform {
class Messages;
class SettingsStore;
namespace audio {
class AudioEngine;
} // namespace audio
} // namespace platform

namespace podcast {

// The song-information window the audio page borrows from the recorder: shows info for editing
// over parent, with the autofill box ticked as autofill says; true on OK, with info and autofill
// filled in.
using SongInformationEditor = std::function<bool(QWidget* parent, TID3InfoRecord& info, bool& autofill)>;

// What a page may need beside the record.
struct XvqContext {
    const platform::Messages* messages = nullptr;
    platform::SettingsStore* settings = nullptr;
    QString projectPath; // the open project (".pdi"), a temporary ".tmp" one, or empty
    int episode = 1;     // the current episode, from 1
    const SongInformationEditor* editSongInformation = nullptr; // none: the tag cannot be edited
    platform::audio::AudioEngine* audioEngine = nullptr;        // none: the audio is not previewed
};

class XvqPageWidget : public QWidget {
    Q_OBJECT

public:
    XvqPageWidget(XvqPage page, QWidget* parent);
    XvqPage page() const { return m_page; }

    // Fills the fields from the record (some pages also derive record values, as the episode page
    // does with the episode's link). Emits no informationChanged: filling is not an edit.
    virtual void UIUpdate(PodcastRecord& record, const XvqContext& context) = 0;
    // Copies the fields into the record. StayOnLeftPage when a field cannot be taken: the page has
    // told the user and focused the field.
    virtual StepVerdict Gather(PodcastRecord& record, const XvqContext& context) = 0;
    // Stops what the page runs on its own (the audio preview) before the window leaves the page,
    // saves or closes.
    virtual void stopActivity() {}
    // Empties every field (a new podcast is chosen).
    virtual void clearFields();

    // The page's own Next and Back buttons (null where the page has none); the window wires them
    // and sets their hints.
    QPushButton* nextButton() const { return m_next; }
    QPushButton* backButton() const { return m_back; }

signals:
    // The user edited a field (the window sets its changed flag).
    void informationChanged();

protected:
    // Creates the Next and Back buttons under the names the page's handlers carry.
    void setNavigationButtons(QPushButton* back, QPushButton* next);
    // While a page fills its fields, the fields' change signals must not reach informationChanged;
    // pages connect their fields through this.
    void reportEdits(QObject* sender, const char* changedSignal);
    bool filling() const { return m_filling > 0; }
    struct FillGuard {
        explicit FillGuard(XvqPageWidget& page) : m_page(page) { ++m_page.m_filling; }
        ~FillGuard() { --m_page.m_filling; }
        XvqPageWidget& m_page;
    };

private slots:
    void fieldEdited();

private:
    XvqPage m_page;
    QPushButton* m_back = nullptr;
    QPushButton* m_next = nullptr;
    int m_filling = 0;
};

// Creates the content page for one of the pages from AudioFile to Upload (the window builds the
// welcome and podcast-type pages itself). Tests of the window pass their own.
using XvqPageFactory = std::function<std::unique_ptr<XvqPageWidget>(XvqPage page, QWidget* parent)>;
std::unique_ptr<XvqPageWidget> createXvqPage(XvqPage page, QWidget* parent);

} // namespace podcast
