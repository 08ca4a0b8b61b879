#include "platform/codecs/LameEncoderLibrary.h"

#include "platform/base/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace platform::codecs {

QString LameEncoderLibrary::fileName()
{
    return QStringLiteral(LAME_ENC_FILE_NAME);
}

std::shared_ptr<LameEncoderLibrary> LameEncoderLibrary::load(const QString& folder, QString* error)
{
    const auto fail = [error](const QString& why) {
        qCDebug(lcPlatform).noquote() << why;
        if (error)
            *error = why;
        return nullptr;
    };
    if (folder.isEmpty())
        return fail(QStringLiteral("no folder to look for the MP3 encoder in"));
    // An absolute path, so the loader never searches the system's folders or the current one.
    const QString path = QDir(folder).absoluteFilePath(fileName());
    if (!QFileInfo(path).isFile())
        return fail(QStringLiteral("no MP3 encoder at %1").arg(path));

    std::shared_ptr<LameEncoderLibrary> library(new LameEncoderLibrary);
    library->m_path = path;
    library->m_handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!library->m_handle)
        return fail(QStringLiteral("cannot load the MP3 encoder %1: %2").arg(path, QString::fromLocal8Bit(::dlerror())));
    library->initStream = reinterpret_cast<LameEncInitStreamFn>(::dlsym(library->m_handle, "beInitStream"));
    library->encodeChunk = reinterpret_cast<LameEncEncodeChunkFn>(::dlsym(library->m_handle, "beEncodeChunk"));
    library->deinitStream = reinterpret_cast<LameEncDeinitStreamFn>(::dlsym(library->m_handle, "beDeinitStream"));
    library->closeStream = reinterpret_cast<LameEncCloseStreamFn>(::dlsym(library->m_handle, "beCloseStream"));
    if (!library->initStream || !library->encodeChunk || !library->deinitStream || !library->closeStream)
        return fail(QStringLiteral("%1 is not an MP3 encoder of this system: a call is missing").arg(path));
    return library;
}

LameEncConfig makeLameConfig(uint32_t sampleRate, uint16_t channels, uint32_t bitRate)
{
    LameEncConfig config = {};
    config.configKind = LAME_ENC_CONFIG_KIND;
    config.structVersion = LAME_ENC_CONFIG_VERSION;
    config.structSize = LAME_ENC_CONFIG_SIZE;
    config.sampleRate = sampleRate;
    config.mode = channels == 1 ? LAME_ENC_MODE_MONO : LAME_ENC_MODE_STEREO;
    config.bitRate = bitRate;
    config.maxBitRate = bitRate;
    config.preset = LAME_ENC_PRESET_HIGH;
    config.mpegVersion = LAME_ENC_MPEG1;
    config.privateFlag = -1;
    config.crcFlag = -1;
    config.vbrQuality = 4;
    return config;
}

LameEncoderLibrary::~LameEncoderLibrary()
{
    if (m_handle)
        ::dlclose(m_handle);
}

} // namespace platform::codecs
