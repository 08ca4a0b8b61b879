#include "common/ErrCodes.h"

#include "common/Log.h"

namespace {

bool within(int code, int first, int last)
{
    return code >= first && code <= last;
}

} // namespace

int PlayerErrorToMessageId(int code)
{
    if (within(code, 100, 110))
        return code + 1;
    if (within(code, 150, 155)) {
        constexpr int ids[] = {437, 372, 373, 438, 380, 381};
        return ids[code - 150];
    }
    if (within(code, 203, 207))
        return code - 87;
    if (within(code, 301, 303))
        return code - 180;
    if (within(code, 305, 308))
        return code - 181;
    if (within(code, 310, 321))
        return code - 182;
    switch (code) {
    case 0: return 0;
    case 113: return 112;
    case 114: return 113;
    case 115:
    case 116:
    case 202:
    case 304:
    case 309:
    case 357: return 104;
    case 117: return 114;
    case 201: return 115;
    case 322: return 439;
    case 350: return 428;
    case 351: return 429;
    case 352: return 161;
    case 353: return 109;
    case 354: return 430;
    case 355: return 111;
    case 356: return 164;
    case 358: return 431;
    case 359: return 432;
    case 360: return kWaveTooLargeMessageId;
    default: return 100;
    }
}

int MixerErrorToMessageId(int code)
{
    if (within(code, 102, 114))
        return code + 270;
    switch (code) {
    case 0: return 0;
    case 101: return 104;
    case 115: return 435;
    case 116: return 436;
    default: return 385;
    }
}

int Mp3ToWavErrorToMessageId(int code)
{
    if (within(code, 400, 430))
        return code - 80;
    switch (code) {
    case 0: return 0;
    case 431: return 242;
    case 432: return 352;
    case 439: return 360;
    default: return 364;
    }
}

int WaveDisplayErrorToMessageId(int code)
{
    switch (code) {
    case 0:
    case 112: return 0;
    case 101: return 103;
    case 102: return 108;
    case 103: return 161;
    case 104: return 109;
    case 105: return 111;
    case 106: return 104;
    case 107: return 165;
    case 108: return 164;
    case 109: return 158;
    case 110: return 129;
    case 111: return 166;
    case 113: return 105;
    case 114: return 411;
    case 115: return 412;
    case 116: return 413;
    case 117: return 369;
    case 118: return 414;
    case 119: return 415;
    case 120: return 368;
    case 121: return 417;
    default: return 168;
    }
}

void ShowMappedError(const platform::Messages& messages, int code, ErrorCodeMap map)
{
    if (code == 0)
        return;
    if (code == kCancelledCode) {
        qCInfo(lcCommon).noquote() << QStringLiteral("operation cancelled (code %1); nothing shown").arg(code);
        return;
    }
    const int id = map(code);
    if (id == 0) {
        qCInfo(lcCommon) << "code" << code << "needs no message";
        return;
    }
    messages.ShowErrorMessage(id);
}

const platform::StringTable& recorderStringTable()
{
    static const platform::StringTable table = [] {
        platform::StringTable t;
        if (!t.load(QString::fromLatin1(kRecorderStringTablePath)))
            qCCritical(lcCommon) << "the recorder's message texts are missing; no message can be shown";
        return t;
    }();
    return table;
}

platform::Messages makeRecorderMessages(platform::Interaction& interaction)
{
    return platform::Messages(recorderStringTable(), interaction, QString::fromLatin1(kRecorderCaption));
}
