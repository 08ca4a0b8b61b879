// The editor's small dialogs: the rules of their fields and lists as tables without a display, the
// values they keep in the settings (also when the settings fail), and each window offscreen,
// driven through its named controls and saved as a screenshot for a person to look at.
#include "editor/ChooseFormatHelpForm.h"
#include "editor/FormatChoiceForm.h"
#include "editor/MuteForm.h"
#include "editor/RecSettingsForm.h"
#include "editor/RecSettingsRules.h"
#include "editor/SilenceDialogRules.h"
#include "editor/SilenceForm.h"
#include "editor/TrimSilenceForm.h"

#include "common/EditorMessages.h"
#include "common/EditorPreferences.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/HelpOpener.h"
#include "platform/ui/UrlOpener.h"
#include "tests/support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <optional>

using testsupport::ScriptedInteraction;

namespace {

const QString kSettingsKey = QString::fromLatin1(kEditorSettingsKey);

// Saves the dialog's picture under screenshots/ and checks that it is the dialog's size and not
// one flat colour.
void saveScreenshot(QWidget& dialog, const QString& name)
{
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QImage image = dialog.grab().toImage();
    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    const QString path = QDir::current().filePath(QStringLiteral("screenshots/%1.png").arg(name));
    ASSERT_TRUE(image.save(path)) << path.toStdString();
    EXPECT_EQ(image.size(), dialog.size() * image.devicePixelRatio());
    const QRgb first = image.pixel(0, 0);
    bool varied = false;
    for (int y = 0; y < image.height() && !varied; y += 3)
        for (int x = 0; x < image.width() && !varied; x += 3)
            varied = image.pixel(x, y) != first;
    EXPECT_TRUE(varied) << name.toStdString();
}

// Runs body once dialog is the modal window (from inside its exec()).
void whenModal(QWidget& dialog, std::function<void()> body)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, &dialog, body] {
        if (QApplication::activeModalWidget() != &dialog)
            return;
        timer->stop();
        timer->deleteLater();
        body();
    });
    timer->start();
}

struct SpinCase {
    const char* name;
    double stored;
    enum Step { Up, Down, Ok } step;
    QString field;
    std::optional<QString> shown; // what the field shows after the step; none: as typed
    double value;                 // the dialog's value after the step
    bool closes = true;           // Ok only
};

} // namespace

TEST(InsertSilenceRulesTest, SpinsAndOkKeepTheLengthInItsRange)
{
    const SpinCase cases[] = {
        {"up", 2, SpinCase::Up, "2", "3", 3},
        {"up from the typed text", 2, SpinCase::Up, "7.5", "8.5", 8.5},
        {"up to just below the top", 2, SpinCase::Up, "4294967293", "4294967294", 4294967294},
        {"up to the top refused", 2, SpinCase::Up, "4294967294", std::nullopt, 2},
        {"up on no number", 2, SpinCase::Up, "abc", std::nullopt, 2},
        {"down", 5, SpinCase::Down, "5", "4", 4},
        {"down to a fraction", 5, SpinCase::Down, "1.5", "0.5", 0.5},
        {"down to the bottom refused", 5, SpinCase::Down, "1.001", std::nullopt, 5},
        {"down below zero refused", 5, SpinCase::Down, "0.5", std::nullopt, 5},
        {"down on no number", 5, SpinCase::Down, "", std::nullopt, 5},
        {"ok", 2, SpinCase::Ok, "1.25", std::nullopt, 1.25},
        {"ok at the bottom", 2, SpinCase::Ok, "0.001", std::nullopt, 0.001},
        {"ok at the top", 2, SpinCase::Ok, "4294967295", std::nullopt, 4294967295},
        {"ok with zero", 2.5, SpinCase::Ok, "0", "2.5", 2.5, false},
        {"ok below the bottom", 2.5, SpinCase::Ok, "0.0009", "2.5", 2.5, false},
        {"ok past the top", 2.5, SpinCase::Ok, "4294967296", "2.5", 2.5, false},
        {"ok negative", 2.5, SpinCase::Ok, "-3", "2.5", 2.5, false},
        {"ok with no number", 2.5, SpinCase::Ok, "two", "2.5", 2.5, false},
    };
    for (const SpinCase& c : cases) {
        SCOPED_TRACE(c.name);
        InsertSilenceRules rules(c.stored);
        switch (c.step) {
        case SpinCase::Up: EXPECT_EQ(rules.spinUp(c.field), c.shown); break;
        case SpinCase::Down: EXPECT_EQ(rules.spinDown(c.field), c.shown); break;
        case SpinCase::Ok:
            EXPECT_EQ(rules.accept(c.field), c.closes);
            if (!c.closes) {
                EXPECT_EQ(rules.text(), *c.shown);
            }
            break;
        }
        EXPECT_DOUBLE_EQ(rules.time(), c.value);
    }
}

TEST(TrimSilenceRulesTest, SpinsAndOkGiveTheThreshold)
{
    const SpinCase cases[] = {
        {"up", 0.03, SpinCase::Up, "0.03", "1.03", 1.03},
        {"up just below 99", 0.03, SpinCase::Up, "98.5", "99.5", 99.5},
        {"up at 99 refused", 0.03, SpinCase::Up, "99", std::nullopt, 0.03},
        {"up on no number", 0.03, SpinCase::Up, "x", std::nullopt, 0.03},
        {"down by exactly one", 3, SpinCase::Down, "0.5", "-0.5", -0.5},
        {"down at zero refused", 3, SpinCase::Down, "0", std::nullopt, 3},
        {"down below zero refused", 3, SpinCase::Down, "-0.5", std::nullopt, 3},
        {"ok", 0.03, SpinCase::Ok, "2.5", std::nullopt, 2.5},
        {"ok with no number", 0.03, SpinCase::Ok, "loud", "0.0", 0},
        {"ok below nothing is nothing", 0.03, SpinCase::Ok, "-0.5", "0", 0},
        {"ok past full scale is full scale", 0.03, SpinCase::Ok, "250", "100", 100},
    };
    for (const SpinCase& c : cases) {
        SCOPED_TRACE(c.name);
        TrimSilenceRules rules(c.stored);
        switch (c.step) {
        case SpinCase::Up: EXPECT_EQ(rules.spinUp(c.field), c.shown); break;
        case SpinCase::Down: EXPECT_EQ(rules.spinDown(c.field), c.shown); break;
        case SpinCase::Ok: EXPECT_EQ(rules.accept(c.field), c.shown); break;
        }
        EXPECT_DOUBLE_EQ(rules.threshold(), c.value);
    }
}

TEST(MuteRulesTest, OkKeepsTheChoiceAndCancelShowsTheKeptOne)
{
    MuteRules rules(false);
    EXPECT_TRUE(rules.choicesEnabled());
    EXPECT_EQ(rules.channels(), MuteChannels::Both);
    rules.show(MuteChannels::Right);
    rules.accept();
    EXPECT_EQ(rules.channels(), MuteChannels::Right);
    EXPECT_EQ(int(rules.channels()), 2);
    rules.show(MuteChannels::Left);
    rules.cancel();
    EXPECT_EQ(rules.shown(), MuteChannels::Right);
    EXPECT_EQ(rules.channels(), MuteChannels::Right);
    EXPECT_FALSE(MuteRules(true).choicesEnabled());
}

// The stored lengths: absent or unreadable values give the default quietly, a store that cannot be
// read is told with 183 and a failed write with 185.
TEST(StoredDialogValuesTest, ReadAndWriteTheSettings)
{
    struct Case {
        const char* name;
        std::function<void(platform::MemorySettingsStore&)> prepare;
        double expected;
        QString message; // shown while reading
    };
    const Case cases[] = {
        {"nothing stored", [](platform::MemorySettingsStore&) {}, 2, {}},
        {"stored", [](platform::MemorySettingsStore& s) { s.writeString(kSettingsKey, "Insert Silence Time", "7.25"); },
         7.25, {}},
        {"no number", [](platform::MemorySettingsStore& s) { s.writeString(kSettingsKey, "Insert Silence Time", "x"); },
         2, {}},
        {"an integer", [](platform::MemorySettingsStore& s) { s.writeInteger(kSettingsKey, "Insert Silence Time", 4); },
         2, {}},
        {"a store that fails", [](platform::MemorySettingsStore& s) { s.setFailReads(true); }, 2,
         "Cannot open registry."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedInteraction ui;
        const platform::Messages messages = makeEditorMessages(ui);
        platform::MemorySettingsStore store;
        c.prepare(store);
        if (!c.message.isEmpty())
            ui.expectMessageBox(platform::IDOK, c.message);
        EXPECT_DOUBLE_EQ(readStoredNumber(store, messages, kInsertSilenceTimeValue, 2), c.expected);
    }

    ScriptedInteraction ui;
    const platform::Messages messages = makeEditorMessages(ui);
    platform::MemorySettingsStore store;
    writeStoredNumber(store, messages, kTrimSilenceValue, 0.75);
    EXPECT_EQ(store.readString(kSettingsKey, "Trim Silence").value, QStringLiteral("0.75"));
    store.setFailWrites(true);
    ui.expectMessageBox(platform::IDOK, "Cannot open registry key.");
    writeStoredNumber(store, messages, kTrimSilenceValue, 5);
}

TEST(RecSettingsRulesTest, TheDeviceDecidesTheLists)
{
    const auto all = [](const WaveFormatEx&) { return true; };
    const auto only8000Mono8 = [](const WaveFormatEx& f) {
        return f.samplesPerSec == 8000 && f.bitsPerSample == 8 && f.channels == 1;
    };
    const auto none = [](const WaveFormatEx&) { return false; };
    // 16-bit only, and stereo only at 48,000 Hz.
    const auto no44100 = [](const WaveFormatEx& f) {
        return f.samplesPerSec != 44100 && f.bitsPerSample == 16 && (f.channels == 1 || f.samplesPerSec == 48000);
    };
    struct Case {
        const char* name;
        RecordFormatQuery query;
        int formats;
        QStringList rates;
        QStringList bits;
        QStringList channels;
        WaveFormatEx result;
    };
    const QStringList allRates{"8000 Hz",  "11025 Hz", "12000 Hz", "16000 Hz", "22050 Hz", "24000 Hz",
                               "32000 Hz", "44100 Hz", "48000 Hz", "64000 Hz", "88200 Hz", "96000 Hz"};
    const Case cases[] = {
        {"every format", all, 48, allRates, {"8 Bit", "16 Bit"}, {"Mono", "Stereo"}, makePcmFormat(44100, 16, 2)},
        {"8-bit mono at 8000 Hz only", only8000Mono8, 1, {"8000 Hz"}, {"8 Bit"}, {"Mono"}, makePcmFormat(8000, 8, 1)},
        {"nothing", none, 0, {}, {}, {}, makePcmFormat(44100, 16, 2)},
        {"no 44100 Hz", no44100, 12, QStringList(allRates).filter(QRegularExpression("^(?!44100)")), {"16 Bit"},
         {"Mono"}, makePcmFormat(8000, 16, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QList<SupportedFormat> supported = supportedRecordFormats(c.query);
        EXPECT_EQ(supported.size(), c.formats);
        const RecSettingsRules rules(supported);
        EXPECT_EQ(rules.rates(), c.rates);
        EXPECT_EQ(rules.bits(), c.bits);
        EXPECT_EQ(rules.channels(), c.channels);
        EXPECT_EQ(rules.format(), c.result);
    }

    // Order: rate outermost, channels innermost.
    const QList<SupportedFormat> supported = supportedRecordFormats(all);
    EXPECT_EQ(supported.front(), (SupportedFormat{8000, 8, 1}));
    EXPECT_EQ(supported[1], (SupportedFormat{8000, 8, 2}));
    EXPECT_EQ(supported[2], (SupportedFormat{8000, 16, 1}));
    EXPECT_EQ(supported.back(), (SupportedFormat{96000, 16, 2}));
}

// A new rate keeps the bits and channels chosen where it offers them; the results change only
// on OK.
TEST(RecSettingsRulesTest, TheListsCascadeAndOkTakesThem)
{
    // 8-bit only at 11,025 Hz; mono only at 16,000 Hz.
    RecSettingsRules rules(supportedRecordFormats([](const WaveFormatEx& f) {
        return (f.samplesPerSec == 11025 && f.bitsPerSample == 8) || (f.samplesPerSec == 16000 && f.channels == 1) ||
               f.samplesPerSec == 22050;
    }));
    ASSERT_EQ(rules.rates(), (QStringList{"11025 Hz", "16000 Hz", "22050 Hz"}));
    // No 44,100 Hz: the first rate, its 16 bits missing, stereo offered.
    EXPECT_EQ(rules.format(), makePcmFormat(11025, 8, 2));
    rules.selectRate(2);
    rules.selectBits(1);
    rules.selectChannels(1);
    EXPECT_EQ(rules.format(), makePcmFormat(11025, 8, 2)) << "the results wait for OK";
    rules.accept();
    EXPECT_EQ(rules.format(), makePcmFormat(22050, 16, 2));

    struct Step {
        int rate;
        QStringList bits;
        QStringList channels;
        WaveFormatEx result;
    };
    const Step steps[] = {
        {1, {"8 Bit", "16 Bit"}, {"Mono"}, makePcmFormat(16000, 16, 1)}, // 16 bits kept, stereo gone
        {0, {"8 Bit"}, {"Mono", "Stereo"}, makePcmFormat(11025, 8, 1)},  // 16 bits gone, mono kept
        {2, {"8 Bit", "16 Bit"}, {"Mono", "Stereo"}, makePcmFormat(22050, 8, 1)},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.rate);
        rules.selectRate(step.rate);
        EXPECT_EQ(rules.bits(), step.bits);
        EXPECT_EQ(rules.channels(), step.channels);
        rules.accept();
        EXPECT_EQ(rules.format(), step.result);
    }
}

// The dialogs offscreen: OK, Cancel and the spin buttons through their named controls, and a
// picture of each.
class SilenceDialogsTest : public testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(ui.allConsumed()); }

    ScriptedInteraction ui;
    platform::Messages messages = makeEditorMessages(ui);
    platform::MemorySettingsStore settings;
};

TEST_F(SilenceDialogsTest, InsertSilenceKeepsTheLengthAndRefusesZero)
{
    settings.writeString(kSettingsKey, "Insert Silence Time", "3.5");
    TInsertSilenceForm dialog(settings, messages, nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Insert Silence"));
    auto* edit = dialog.findChild<QLineEdit*>("SilenceTimeEdit");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), QStringLiteral("3.5"));
    saveScreenshot(dialog, QStringLiteral("editor-insert-silence"));

    QTest::mouseClick(dialog.findChild<QToolButton*>("SilenceTimeEditUp"), Qt::LeftButton);
    EXPECT_EQ(edit->text(), QStringLiteral("4.5"));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Down);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(edit->text(), QStringLiteral("2.5"));

    edit->setText(QStringLiteral("0"));
    QTest::mouseClick(dialog.findChild<QPushButton*>("OkButton"), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(edit->text(), QStringLiteral("2.5"));
    EXPECT_EQ(settings.readString(kSettingsKey, "Insert Silence Time").value, QStringLiteral("3.5"));

    edit->setText(QStringLiteral("0.25"));
    QTest::mouseClick(dialog.findChild<QPushButton*>("OkButton"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(dialog.silenceTime(), 0.25);
    EXPECT_EQ(settings.readString(kSettingsKey, "Insert Silence Time").value, QStringLiteral("0.25"));

    // A new dialog starts on the kept length; Cancel puts it back in the field.
    TInsertSilenceForm next(settings, messages, nullptr);
    auto* nextEdit = next.findChild<QLineEdit*>("SilenceTimeEdit");
    EXPECT_EQ(nextEdit->text(), QStringLiteral("0.25"));
    next.show();
    nextEdit->setText(QStringLiteral("9"));
    QTest::keyClick(&next, Qt::Key_Escape);
    EXPECT_EQ(next.result(), QDialog::Rejected);
    EXPECT_EQ(nextEdit->text(), QStringLiteral("0.25"));
}

TEST_F(SilenceDialogsTest, TrimSilenceTakesTheThreshold)
{
    TTrimSilenceForm dialog(settings, messages, nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Trim Silence"));
    auto* edit = dialog.findChild<QLineEdit*>("SilencePercentageEdit");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), QStringLiteral("0.03"));
    saveScreenshot(dialog, QStringLiteral("editor-trim-silence"));
    QTest::mouseClick(dialog.findChild<QToolButton*>("SilencePercentageEditUp"), Qt::LeftButton);
    EXPECT_EQ(edit->text(), QStringLiteral("1.03"));
    edit->setText(QStringLiteral("quiet"));
    QTest::mouseClick(dialog.findChild<QPushButton*>("OkButton"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(edit->text(), QStringLiteral("0.0"));
    EXPECT_DOUBLE_EQ(dialog.threshold(), 0);
    EXPECT_EQ(settings.readString(kSettingsKey, "Trim Silence").value, QStringLiteral("0"));

    // A write that fails is told, and the dialog closes with its value all the same.
    settings.setFailWrites(true);
    TTrimSilenceForm failing(settings, messages, nullptr);
    failing.show();
    failing.findChild<QLineEdit*>("SilencePercentageEdit")->setText(QStringLiteral("4"));
    ui.expectMessageBox(platform::IDOK, "Cannot open registry key.");
    QTest::mouseClick(failing.findChild<QPushButton*>("OkButton"), Qt::LeftButton);
    EXPECT_EQ(failing.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(failing.threshold(), 4);
}

TEST_F(SilenceDialogsTest, MuteGivesTheChannelCode)
{
    struct Case {
        const char* button;
        int code;
    };
    const Case cases[] = {{"LeftChannelRadioButton", 1}, {"RightChannelRadioButton", 2}, {"BothChannelsRadioButton", 3}};
    TMuteForm dialog(false, nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Wave Mute"));
    EXPECT_TRUE(dialog.findChild<QRadioButton*>("BothChannelsRadioButton")->isChecked());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QRadioButton*>(c.button), Qt::LeftButton);
        QTest::mouseClick(dialog.findChild<QPushButton*>("OkButton"), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(int(dialog.channels()), c.code);
    }
    // Cancel checks the kept choice again.
    dialog.show();
    QTest::mouseClick(dialog.findChild<QRadioButton*>("LeftChannelRadioButton"), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<QPushButton*>("CancelButton"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(int(dialog.channels()), 3);
    EXPECT_TRUE(dialog.findChild<QRadioButton*>("BothChannelsRadioButton")->isChecked());

    TMuteForm mono(true, nullptr);
    for (const char* name : {"BothChannelsRadioButton", "LeftChannelRadioButton", "RightChannelRadioButton"})
        EXPECT_FALSE(mono.findChild<QRadioButton*>(name)->isEnabled()) << name;
    dialog.findChild<QRadioButton*>("RightChannelRadioButton")->setChecked(true);
    saveScreenshot(dialog, QStringLiteral("editor-mute"));
}

TEST_F(SilenceDialogsTest, RecordingFormatShowsTheDeviceListsAndGivesTheChoice)
{
    TRecSettingsForm dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Choose Format"));
    auto* rate = dialog.findChild<QComboBox*>("RecordingSamplingRateComboBox");
    auto* bits = dialog.findChild<QComboBox*>("RecordingBitRateComboBox");
    auto* channels = dialog.findChild<QComboBox*>("RecordingChannelComboBox");
    ASSERT_TRUE(rate && bits && channels);
    EXPECT_EQ(rate->count(), 12);
    EXPECT_EQ(rate->currentText(), QStringLiteral("44100 Hz"));
    EXPECT_EQ(bits->currentText(), QStringLiteral("16 Bit"));
    EXPECT_EQ(channels->currentText(), QStringLiteral("Stereo"));
    EXPECT_EQ(dialog.format(), makePcmFormat(44100, 16, 2));
    saveScreenshot(dialog, QStringLiteral("editor-recording-format"));
    EXPECT_EQ(dialog.focusWidget(), dialog.findChild<QPushButton*>("OkButton"));

    rate->setCurrentIndex(rate->findText("22050 Hz"));
    bits->setCurrentIndex(bits->findText("8 Bit"));
    channels->setCurrentIndex(channels->findText("Mono"));
    QTest::mouseClick(dialog.findChild<QPushButton*>("CancelButton"), Qt::LeftButton);
    EXPECT_EQ(dialog.format(), makePcmFormat(44100, 16, 2));
    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton*>("OkButton"), Qt::LeftButton);
    EXPECT_EQ(dialog.format(), makePcmFormat(22050, 8, 1));

    // A device with one format offers it alone.
    TRecSettingsForm narrow([](const WaveFormatEx& f) {
        return f.samplesPerSec == 8000 && f.bitsPerSample == 8 && f.channels == 1;
    });
    EXPECT_EQ(narrow.findChild<QComboBox*>("RecordingSamplingRateComboBox")->count(), 1);
    EXPECT_EQ(narrow.format(), makePcmFormat(8000, 8, 1));
}

// The format dialog starts on the record it is given and writes the chosen one back; Cancel
// answers 101 and leaves the buffer; a buffer too small answers 102 without a window. Its Help
// shows the six lines of the format help.
TEST_F(SilenceDialogsTest, FormatChoiceAnswersInTheBuffer)
{
    uint8_t buffer[kWaveFormatSize];
    serializeWaveFormat(makePcmFormat(22050, 8, 1), buffer);
    uint32_t size = kWaveFormatSize;

    auto pick = [&](const QString& text, const char* button) {
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, text, button] {
            auto* dialog = qobject_cast<TFormatChoiceForm*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            timer->stop();
            timer->deleteLater();
            auto* list = dialog->findChild<QComboBox*>("AttributesComboBox");
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Choose Format"));
            EXPECT_TRUE(list->currentText().startsWith("22,050 Hz, 8 Bit, Mono")) << list->currentText().toStdString();
            if (!text.isEmpty())
                list->setCurrentIndex(list->findText(text, Qt::MatchStartsWith));
            QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
        });
        timer->start();
        return TFormatChoiceForm::ask(nullptr, QStringLiteral("Choose Format"), buffer, &size,
                                      platform::codecs::kFormatChoiceStartWithBuffer);
    };
    EXPECT_EQ(pick("48,000 Hz, 16 Bit, Stereo", "CancelButton"), 101);
    EXPECT_EQ(parseWaveFormat(buffer, sizeof buffer), makePcmFormat(22050, 8, 1));
    EXPECT_EQ(pick("48,000 Hz, 16 Bit, Stereo", "OkButton"), 0);
    EXPECT_EQ(parseWaveFormat(buffer, sizeof buffer), makePcmFormat(48000, 16, 2));
    serializeWaveFormat(makePcmFormat(22050, 8, 1), buffer);

    size = 16;
    EXPECT_EQ(TFormatChoiceForm::ask(nullptr, QStringLiteral("Choose Format"), buffer, &size, 0), 102);
    EXPECT_EQ(size, uint32_t(kWaveFormatSize));

    const platform::codecs::FormatChoice choice(nullptr, buffer, &size, platform::codecs::kFormatChoiceStartWithBuffer);
    TFormatChoiceForm dialog(choice, QStringLiteral("Choose Format"));
    saveScreenshot(dialog, QStringLiteral("editor-format-choice"));
    dialog.hide();
    whenModal(dialog, [&dialog] {
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, &dialog] {
            auto* help = qobject_cast<TChooseFormatHelpForm*>(QApplication::activeModalWidget());
            if (!help)
                return;
            timer->stop();
            timer->deleteLater();
            EXPECT_EQ(help->windowTitle(), QStringLiteral("Help"));
            const QString text = help->findChild<QPlainTextEdit*>("HelpMemo")->toPlainText();
            EXPECT_EQ(text.split('\n'), TChooseFormatHelpForm::lines());
            EXPECT_TRUE(text.startsWith("Name list shows audio formats you can use."));
            saveScreenshot(*help, QStringLiteral("editor-format-help"));
            QTest::mouseClick(help->findChild<QPushButton*>("OkButton"), Qt::LeftButton);
            QTimer::singleShot(0, &dialog, [&dialog] { dialog.reject(); });
        });
        timer->start();
        QTest::mouseClick(dialog.findChild<QPushButton*>("HelpButton"), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(TChooseFormatHelpForm::lines().size(), 6);
}

namespace {

class NoBrowser : public platform::UrlOpener {
public:
    bool openUrl(const QUrl&) override { return false; }
};

} // namespace

// Each dialog's Help asks for its own page of the editor's help (missing here, which is told).
TEST_F(SilenceDialogsTest, HelpAsksForTheDialogsPage)
{
    NoBrowser browser;
    platform::HelpOpener help(browser, ui, messages.caption());
    struct Case {
        const char* name;
        std::function<std::unique_ptr<QDialog>()> make;
        int context;
    };
    const Case cases[] = {
        {"recording format", [&] { return std::make_unique<TRecSettingsForm>(acceptEveryRecordFormat, &help); }, 37},
        {"mute", [&] { return std::make_unique<TMuteForm>(false, &help); }, 31},
        {"insert silence", [&] { return std::make_unique<TInsertSilenceForm>(settings, messages, &help); }, 25},
        {"trim silence", [&] { return std::make_unique<TTrimSilenceForm>(settings, messages, &help); }, 19},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<QDialog> dialog = c.make();
        dialog->show();
        ui.expectMessageBox(platform::IDOK, QStringLiteral("help/ZuqEditor/%1.html").arg(c.context));
        QTest::mouseClick(dialog->findChild<QPushButton*>("HelpButton"), Qt::LeftButton);
        EXPECT_TRUE(ui.allConsumed());
        EXPECT_TRUE(dialog->isVisible());
    }
}
