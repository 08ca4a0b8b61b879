#pragma once
// The recorder's busy flag: set while a file loads or a recording starts, so that any other action
// is refused (message 434) and the window will not close. Each road that sets it holds a guard; the
// flag clears when the last guard goes, so a routine nested in another cannot clear its caller's
// flag, and a road that ends early through a failure releases its own. A guard may be moved into
// a queued continuation to keep the flag set across it. GUI thread only.

namespace recorder {

class BusyGuard;

class BusyFlag {
public:
    BusyFlag() = default;
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

    bool isBusy() const { return m_holders > 0; }

private:
    friend class BusyGuard;
    int m_holders = 0;
};

class BusyGuard {
public:
    explicit BusyGuard(BusyFlag& flag);
    ~BusyGuard();
    BusyGuard(BusyGuard&& other) noexcept;
    BusyGuard& operator=(BusyGuard&& other) noexcept;
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

    // Gives the hold up before the guard goes; a guard holds at most once.
    void release();

private:
    BusyFlag* m_flag;
};

} // namespace recorder
