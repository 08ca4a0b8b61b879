#pragma once
// A program's instance name held by a locked file (flock) "<name>.instance" in the window folder.
// The kernel drops the lock when the holding process ends in any way, so a killed first instance
// never keeps the next start from being first. The file is never removed: removing a lock file
// lets two processes lock two different files of one name.

#include "platform/messaging/Messaging.h"

#include <QString>

namespace platform {

class InstanceLock : public InstanceClaim {
public:
    InstanceLock(const QString& folder, const QString& name);
    ~InstanceLock() override;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    InstanceState state() const override { return m_state; }
    // When first: the process that held the name before and ended without releasing it; else 0.
    qint64 takenOverFrom() const { return m_takenOverFrom; }

private:
    int m_fd = -1;
    InstanceState m_state = InstanceState::Failed;
    qint64 m_takenOverFrom = 0;
};

} // namespace platform
