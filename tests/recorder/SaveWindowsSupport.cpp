#include "tests/recorder/SaveWindowsSupport.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace savewindows {

void whenShown(QWidget& window, std::function<void()> body)
{
    auto* timer = new QTimer(&window);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, &window, [timer, &window, body] {
        if (!window.isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        body();
    });
    timer->start();
}

void whenModal(const QString& objectName, std::function<void(QWidget& window)> body)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, qApp, [timer, objectName, body] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != objectName || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        body(*modal);
    });
    timer->start();
}

void saveScreenshot(QWidget& window, const QString& name)
{
    const QImage image = window.grab().toImage();
    EXPECT_EQ(image.size(), window.size() * window.devicePixelRatio());
    // Drawn: more than one colour.
    const QColor corner = image.pixelColor(0, 0);
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; y += 3)
        for (int x = 0; x < image.width() && !drawn; x += 3)
            drawn = image.pixelColor(x, y) != corner;
    EXPECT_TRUE(drawn) << "blank picture of " << name.toStdString();
    ASSERT_TRUE(QDir::current().mkpath("screenshots"));
    const QString path = QDir::current().filePath("screenshots/" + name + ".png");
    EXPECT_TRUE(image.save(path)) << path.toStdString();
}

int HeldWmaLibrary::GetNumEncodersSupported(int* count)
{
    *count = 1;
    return 0;
}

int HeldWmaLibrary::GetEncoderDetail(int, QString* name)
{
    *name = QStringLiteral("Held Encoder");
    return 0;
}

int HeldWmaLibrary::GetNumDestFormatsSupported(const QString&, const WaveFormatEx&, int* count)
{
    *count = 2;
    return 0;
}

int HeldWmaLibrary::GetDestFormatDetail(const QString&, const WaveFormatEx&, int index, QString* text)
{
    *text = QStringLiteral("held format %1").arg(index);
    return 0;
}

int HeldWmaLibrary::ConvertFileToWMA(const QString&, const QString&, int, const QString&,
                                     std::atomic<int32_t>* progress, std::atomic<int32_t>* state,
                                     std::atomic<int32_t>* cancel, std::atomic<int32_t>* error)
{
    state->store(platform::codecs::WmaState::Running);
    progress->store(30);
    while (!m_ended && cancel->load() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (cancel->load() != 0) {
        state->store(platform::codecs::WmaState::Cancelled);
        return 0;
    }
    error->store(m_error);
    state->store(m_endState);
    return m_error;
}

} // namespace savewindows
