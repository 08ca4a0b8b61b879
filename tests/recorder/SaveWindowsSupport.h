#pragma once
// What the tests of the save roads' windows share: a recorded URL opener, running test code once a
// modal window is up, screenshots, and a WMA library that holds its conversion until told.
#include "platform/codecs/Ostrefa.h"
#include "platform/ui/UrlOpener.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <atomic>
#include <functional>

class QWidget;
namespace platform {
class Interaction;
class Messages;
} // namespace platform

namespace savewindows {

class RecordedUrls : public platform::UrlOpener {
public:
    bool openUrl(const QUrl& url) override
    {
        urls << url;
        return true;
    }
    QList<QUrl> urls;
};

// Runs body from the event loop once the window is visible.
void whenShown(QWidget& window, std::function<void()> body);
// Runs body with the first modal window of the given object name, once one is up.
void whenModal(const QString& objectName, std::function<void(QWidget& window)> body);
// Keeps the window as screenshots/<name>.png and checks that the picture is the window's.
void saveScreenshot(QWidget& window, const QString& name);

// One encoder with two formats; a conversion reports 30 percent and runs until it is cancelled
// (it then ends cancelled) or end() is called (it then ends in endState with the error).
class HeldWmaLibrary : public platform::codecs::WmaEncoderLibrary {
public:
    HeldWmaLibrary(int32_t endState, int32_t error)
        : m_endState(endState)
        , m_error(error)
    {
    }
    void end() { m_ended = true; }

    int GetNumEncodersSupported(int* count) override;
    int GetEncoderDetail(int index, QString* name) override;
    int GetNumDestFormatsSupported(const QString& encoder, const WaveFormatEx& source, int* count) override;
    int GetDestFormatDetail(const QString& encoder, const WaveFormatEx& source, int index, QString* text) override;
    int ConvertFileToWMA(const QString& source, const QString& target, int formatIndex, const QString& encoder,
                         std::atomic<int32_t>* progress, std::atomic<int32_t>* state, std::atomic<int32_t>* cancel,
                         std::atomic<int32_t>* error) override;

private:
    int32_t m_endState;
    int32_t m_error;
    std::atomic<bool> m_ended{false};
};

} // namespace savewindows
