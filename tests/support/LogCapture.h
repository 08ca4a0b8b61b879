#pragma once
// Captures what the code under test logs while the object lives (and still prints it).

#include <QString>
#include <QtGlobal>

#include <vector>

namespace testsupport {

class LogCapture {
public:
    struct Entry {
        QtMsgType type;
        QString category;
        QString message;
    };

    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<Entry>& entries() const { return m_entries; }
    // True when some entry of the category (empty: any) contains the text.
    bool contains(const QString& text, const QString& category = {}) const;

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& message);

    std::vector<Entry> m_entries;
    QtMessageHandler m_previous = nullptr;
};

} // namespace testsupport
