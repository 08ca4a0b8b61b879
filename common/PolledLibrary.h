#pragma once
// The calls through which the GUI thread polls a process that an outside library runs (the player
// library's edit processes, the format library's conversions): every call but the close takes the
// handle value; the close takes the cell that holds it, waits for the process, frees it and clears
// the cell. One interface over both libraries, so one poll serves job kinds 3 and 6.

#include <cstdint>

namespace platform::codecs {
class VXFmtHlp;
}

class PolledLibrary {
public:
    virtual ~PolledLibrary() = default;

    // 1 when the process is over.
    virtual int processIsOver(uint32_t handle) = 0;
    // Percent done.
    virtual int processProgress(uint32_t handle) = 0;
    // Valid once over: 0 success, 129 cancelled, else the library's code.
    virtual int reasonForProcessExit(uint32_t handle) = 0;
    virtual int cancelPressed(uint32_t handle) = 0;
    virtual int closeHandle(uint32_t* cell) = 0;
};

// The format library's conversion processes.
class ConvertProcessCalls : public PolledLibrary {
public:
    explicit ConvertProcessCalls(platform::codecs::VXFmtHlp& library);

    int processIsOver(uint32_t handle) override;
    int processProgress(uint32_t handle) override;
    int reasonForProcessExit(uint32_t handle) override;
    int cancelPressed(uint32_t handle) override;
    int closeHandle(uint32_t* cell) override;

private:
    platform::codecs::VXFmtHlp& m_library;
};

// The player library's edit processes, over any engine with the AudioEdit... calls.
template <typename Engine>
class EditProcessCalls : public PolledLibrary {
public:
    explicit EditProcessCalls(Engine& engine)
        : m_engine(engine)
    {
    }

    int processIsOver(uint32_t handle) override { return m_engine.AudioEditProcessIsOver(handle); }
    int processProgress(uint32_t handle) override { return m_engine.AudioEditGetProcessProgress(handle); }
    int reasonForProcessExit(uint32_t handle) override { return m_engine.AudioEditGetReasonForProcessExit(handle); }
    int cancelPressed(uint32_t handle) override { return m_engine.AudioEditCancelPressed(handle); }
    int closeHandle(uint32_t* cell) override { return m_engine.AudioEditCloseHandle(cell); }

private:
    Engine& m_engine;
};
