#include "recorder/BusyFlag.h"

#include <utility>

namespace recorder {

BusyGuard::BusyGuard(BusyFlag& flag)
    : m_flag(&flag)
{
    ++m_flag->m_holders;
}

BusyGuard::~BusyGuard()
{
    release();
}

BusyGuard::BusyGuard(BusyGuard&& other) noexcept
    : m_flag(std::exchange(other.m_flag, nullptr))
{
}

BusyGuard& BusyGuard::operator=(BusyGuard&& other) noexcept
{
    if (this != &other) {
        release();
        m_flag = std::exchange(other.m_flag, nullptr);
    }
    return *this;
}

void BusyGuard::release()
{
    if (m_flag) {
        --m_flag->m_holders;
        m_flag = nullptr;
    }
}

} // namespace recorder
