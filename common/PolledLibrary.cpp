#include "common/PolledLibrary.h"

#include "platform/codecs/VXFmtHlp.h"

ConvertProcessCalls::ConvertProcessCalls(platform::codecs::VXFmtHlp& library)
    : m_library(library)
{
}

int ConvertProcessCalls::processIsOver(uint32_t handle)
{
    return m_library.AudioConvertProcessIsOver(handle);
}

int ConvertProcessCalls::processProgress(uint32_t handle)
{
    return m_library.AudioConvertGetProcessProgress(handle);
}

int ConvertProcessCalls::reasonForProcessExit(uint32_t handle)
{
    return m_library.AudioConvertGetReasonForProcessExit(handle);
}

int ConvertProcessCalls::cancelPressed(uint32_t handle)
{
    return m_library.AudioConvertCancelPressed(handle);
}

int ConvertProcessCalls::closeHandle(uint32_t* cell)
{
    return m_library.AudioConvertCloseHandle(cell);
}
