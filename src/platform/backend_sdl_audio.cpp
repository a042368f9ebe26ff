// The audio half of the SDL 1.2 backend: each call is the SDL function it stands for.
#include <SDL.h>

#include "platform/backend_audio.h"
#include "platform/backend_sdl_quiet.h"

namespace {

// How many times the main thread holds the device lock. Closing the device destroys that
// lock, and destroying a held lock is undefined, so a close made inside lock ... unlock
// releases it first (the device is paused by then, so no callback slips in) and the
// matching unlock finds nothing left to release. Only the main thread touches this.
int backend_audio_lock_depth = 0;

}  // namespace

int backend_init(uint32_t flags) {
    QuietStderr quiet;
    return SDL_Init(flags);
}

int backend_audio_open(int frequency, uint16_t format, int channels, int samples, BackendAudioCallback callback,
                       void* userdata) {
    SDL_AudioSpec desired{};
    desired.freq = frequency;
    desired.format = format;
    desired.channels = static_cast<Uint8>(channels);
    desired.samples = static_cast<Uint16>(samples);
    desired.callback = callback;
    desired.userdata = userdata;
    // No obtained format: SDL converts to whatever the device really plays.
    QuietStderr quiet;
    return SDL_OpenAudio(&desired, nullptr);
}

void backend_audio_pause(int pause_on) { SDL_PauseAudio(pause_on); }

void backend_audio_lock() {
    SDL_LockAudio();
    ++backend_audio_lock_depth;
}

void backend_audio_unlock() {
    if (backend_audio_lock_depth <= 0) return;
    --backend_audio_lock_depth;
    SDL_UnlockAudio();
}

void backend_audio_close() {
    while (backend_audio_lock_depth > 0) {
        --backend_audio_lock_depth;
        SDL_UnlockAudio();
    }
    SDL_CloseAudio();
}
