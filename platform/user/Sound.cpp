#include "platform/user/Sound.h"

#include "platform/display/Display.h"
#include "platform/kernel/Errors.h"

#include <SDL.h>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <numbers>
#include <vector>

namespace {

constexpr int SampleRate = 22050;

std::mutex soundMutex;
std::atomic<platform::BeepListener> listener{nullptr};
SDL_AudioDeviceID device = 0;
bool hasTriedDevice = false;

// The audio device, opened on first use; 0 when there is none. Call with soundMutex held.
SDL_AudioDeviceID Device() {
    if (hasTriedDevice) {
        return device;
    }
    hasTriedDevice = true;
    if (platform::CurrentDisplay() != platform::DisplayKind::Sdl || SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return 0;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = SampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = 1024;
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device != 0) {
        SDL_PauseAudioDevice(device, 0);
    }
    return device;
}

// Queues a sine tone, faded in and out over 5 ms so that it does not click.
void Play(DWORD frequency, DWORD milliseconds) {
    const SDL_AudioDeviceID target = Device();
    if (target == 0) {
        return;
    }
    const size_t count = static_cast<size_t>(SampleRate) * milliseconds / 1000;
    std::vector<Sint16> samples(count);
    const double fade = SampleRate * 0.005;
    for (size_t i = 0; i < count; ++i) {
        const double envelope =
            std::min({1.0, static_cast<double>(i) / fade, static_cast<double>(count - i) / fade});
        samples[i] = static_cast<Sint16>(9000.0 * envelope *
                                         std::sin(2.0 * std::numbers::pi * frequency * i / SampleRate));
    }
    SDL_QueueAudio(target, samples.data(), static_cast<Uint32>(samples.size() * sizeof(Sint16)));
}

} // namespace

BOOL MessageBeep(UINT uType) {
    std::lock_guard lock(soundMutex);
    if (platform::BeepListener hears = listener.load())
        hears({true, uType, 0, 0});
    // Errors sound low, questions and warnings in the middle, the rest high.
    const DWORD frequency = (uType & 0xF0) == 0x10                               ? 440
                            : ((uType & 0xF0) == 0x20 || (uType & 0xF0) == 0x30) ? 660
                                                                                 : 880;
    Play(frequency, 150);
    return TRUE;
}

BOOL Beep(DWORD dwFreq, DWORD dwDuration) {
    if (dwFreq < 37 || dwFreq > 32767) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard lock(soundMutex);
    if (platform::BeepListener hears = listener.load())
        hears({false, 0, dwFreq, dwDuration});
    Play(dwFreq, dwDuration);
    return TRUE;
}

namespace platform {

void SetBeepListener(BeepListener given) {
    listener.store(given);
}

} // namespace platform
