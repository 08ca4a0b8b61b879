#pragma once
// The rules of the mute, insert-silence and trim-silence dialogs without their widgets: what the
// spin buttons, OK and Cancel do with the text of the field, and the values kept in the editor's
// settings between runs.

#include <QString>

#include <optional>

namespace platform {
class Messages;
class SettingsStore;
} // namespace platform

// The channels a mute applies to, as the edit process takes them.
enum class MuteChannels { Both = 3, Left = 1, Right = 2 };

// The mute dialog: the choice it was closed with last, and which choice its buttons show.
class MuteRules {
public:
    explicit MuteRules(bool mono)
        : m_mono(mono)
    {
    }
    // The three choices are disabled for a mono document.
    bool choicesEnabled() const { return !m_mono; }
    MuteChannels channels() const { return m_stored; }
    MuteChannels shown() const { return m_shown; }
    void show(MuteChannels choice) { m_shown = choice; }
    // OK keeps the choice shown; Cancel shows the kept one again.
    void accept() { m_stored = m_shown; }
    void cancel() { m_shown = m_stored; }

private:
    bool m_mono;
    MuteChannels m_stored = MuteChannels::Both;
    MuteChannels m_shown = MuteChannels::Both;
};

// The field's number; none for text that is not a number.
std::optional<double> parseDialogNumber(const QString& text);
// How the dialogs show a number: "2", "0.03", "4294967295".
QString formatDialogNumber(double value);

// The length of silence to insert, in seconds.
class InsertSilenceRules {
public:
    static constexpr double kMinimum = 0.001;
    static constexpr double kMaximum = 4294967295.0;
    static constexpr double kDefault = 2.0;

    explicit InsertSilenceRules(double stored)
        : m_time(stored)
    {
    }
    double time() const { return m_time; }
    QString text() const { return formatDialogNumber(m_time); }

    // The new text of the field after a spin, which also becomes the dialog's time; none when the
    // field holds no number or the step would leave the range.
    std::optional<QString> spinUp(const QString& field);
    std::optional<QString> spinDown(const QString& field);
    // True: the field's number is the time and the dialog closes. False: the field is to show
    // text() again and the dialog stays open.
    bool accept(const QString& field);

private:
    double m_time;
};

// The loudest level that counts as silence, in percent of full scale.
class TrimSilenceRules {
public:
    static constexpr double kDefault = 0.03;

    explicit TrimSilenceRules(double stored)
        : m_threshold(stored)
    {
    }
    double threshold() const { return m_threshold; }
    QString text() const { return formatDialogNumber(m_threshold); }

    std::optional<QString> spinUp(const QString& field);
    std::optional<QString> spinDown(const QString& field);
    // The threshold the field gives, held to 0..100 %; text that is not a number gives 0, and the
    // field then shows "0.0" (the returned text).
    std::optional<QString> accept(const QString& field);

private:
    double m_threshold;
};

// The values the two silence dialogs keep under the editor's settings key.
inline constexpr char kInsertSilenceTimeValue[] = "Insert Silence Time";
inline constexpr char kTrimSilenceValue[] = "Trim Silence";

// The stored number, or fallback when there is none or it cannot be read; a store that cannot be
// read is told (183).
double readStoredNumber(platform::SettingsStore& store, const platform::Messages& messages, const char* name,
                        double fallback);
// A failed write is told (185) and changes nothing else.
void writeStoredNumber(platform::SettingsStore& store, const platform::Messages& messages, const char* name,
                       double value);
