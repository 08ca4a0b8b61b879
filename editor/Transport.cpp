#include "editor/Transport.h"

#include <QtCore/qnamespace.h>

#include <algorithm>

namespace {

using State = TransportState;
using Call = EngineCall;

// After playback or a recording stops, the level test comes back when the user always wants it.
TransportStep stopped(const TransportSituation& situation, std::vector<EngineCall> calls)
{
    if (situation.alwaysTestLevels) {
        calls.push_back(Call::StartLevelTest);
        return {std::move(calls), State::LevelTest};
    }
    return {std::move(calls), State::Stopped};
}

} // namespace

TransportStep transportStep(const TransportSituation& situation, TransportCommand command)
{
    const State state = situation.state;
    const TransportStep refused{{}, state};
    switch (command) {
    case TransportCommand::Play:
        if (!situation.document || !situation.audio)
            return refused;
        switch (state) {
        case State::Stopped:
            return {{Call::Play}, State::Playing};
        case State::LevelTest:
            return {{Call::StopLevelTest, Call::Play}, State::Playing};
        case State::Paused:
            return {{Call::Resume}, State::Playing};
        case State::Playing:
        case State::Recording:
            return refused;
        }
        return refused;
    case TransportCommand::Pause:
        if (state == State::Playing)
            return {{Call::Pause}, State::Paused};
        if (state == State::Paused)
            return {{Call::Resume}, State::Playing};
        return refused;
    case TransportCommand::Stop:
    case TransportCommand::PlaybackEnded:
        if (state == State::Playing || state == State::Paused)
            return stopped(situation, {Call::Stop});
        if (command == TransportCommand::Stop && state == State::Recording)
            return stopped(situation, {Call::StopRecord});
        return refused;
    case TransportCommand::Record:
        switch (state) {
        case State::Stopped:
            return {{Call::StartRecord}, State::Recording};
        case State::LevelTest:
            return {{Call::StopLevelTest, Call::StartRecord}, State::Recording};
        case State::Recording:
            return stopped(situation, {Call::StopRecord});
        case State::Playing:
        case State::Paused:
            return refused;
        }
        return refused;
    case TransportCommand::RecordingEnded:
        if (state == State::Recording)
            return stopped(situation, {Call::StopRecord});
        return refused;
    case TransportCommand::LevelTest:
        if (state == State::Stopped)
            return {{Call::StartLevelTest}, State::LevelTest};
        return refused;
    }
    return refused;
}

PlayRangeFrames playRangeFor(int64_t caret, int64_t selectionStart, int64_t selectionEnd, int64_t total)
{
    if (selectionStart != selectionEnd)
        return {std::min(selectionStart, selectionEnd), std::max(selectionStart, selectionEnd)};
    return {caret >= total ? 0 : caret, 0};
}

std::optional<int64_t> forwardTarget(int64_t position, int64_t total)
{
    const int64_t target = position + total * 5 / 100;
    if (target < total)
        return target;
    return std::nullopt;
}

int64_t rewindTarget(int64_t position, int64_t total)
{
    return std::max<int64_t>(0, position - total * 5 / 100);
}

int64_t skipToEndTarget(int64_t selectionStart, int64_t selectionEnd, int64_t total)
{
    return selectionStart != selectionEnd ? std::max(selectionStart, selectionEnd) : total;
}

int64_t skipToStartTarget(int64_t selectionStart, int64_t selectionEnd)
{
    return selectionStart != selectionEnd ? std::min(selectionStart, selectionEnd) : 0;
}

std::optional<TransportButton> buttonForKey(const TransportKey& key, bool playing, bool recording)
{
    if (key.otherModifier)
        return std::nullopt;
    if (key.alt) {
        if (key.key == Qt::Key_P)
            return playing ? TransportButton::Pause : TransportButton::Play;
        if (key.key == Qt::Key_R)
            return recording ? TransportButton::Stop : TransportButton::Record;
        return std::nullopt;
    }
    if (key.key == Qt::Key_Space)
        return playing ? TransportButton::Stop : TransportButton::Play;
    if (key.key == Qt::Key_Escape)
        return TransportButton::Stop;
    return std::nullopt;
}

bool ClipLamps::levels(int left, int right)
{
    bool lit = false;
    for (const auto& [channel, level] : {std::pair{0, left}, std::pair{1, right}}) {
        if (level > kClipLevel) {
            m_lit[channel] = true;
            lit = true;
        }
    }
    return lit;
}
