#include "common/WmaExportRules.h"

#include "platform/codecs/Ostrefa.h"

#include <algorithm>

int wmaErrorMessageId(int code)
{
    namespace WmaCode = platform::codecs::WmaCode;
    switch (code) {
    case WmaCode::FormatNotSupported:
        return WmaExportMessage::FormatNotSupported;
    case WmaCode::CodecNotAvailable:
        return WmaExportMessage::CodecNotAvailable;
    case WmaCode::NoFormat:
        return WmaExportMessage::NoFormat;
    case WmaCode::FileInUse:
        return WmaExportMessage::FileInUse;
    case WmaCode::WriteError:
        return WmaExportMessage::WriteError;
    case WmaCode::CannotLoad:
        return WmaExportMessage::CannotLoad;
    default:
        return 0;
    }
}

int chooseWmaFormat(std::optional<int32_t> storedRate, std::optional<int32_t> storedIndex, uint32_t sourceRate,
                    int formatCount)
{
    if (formatCount > 0 && storedRate && storedIndex && *storedRate > 0 && uint32_t(*storedRate) == sourceRate)
        return std::clamp(*storedIndex, 0, formatCount - 1);
    return formatCount - 1;
}

bool isWmaFileName(const QString& fileName)
{
    return fileName.endsWith(QLatin1String(".wma"), Qt::CaseInsensitive);
}

QString withWmaExtension(const QString& fileName)
{
    return isWmaFileName(fileName) ? fileName : fileName + QStringLiteral(".wma");
}
