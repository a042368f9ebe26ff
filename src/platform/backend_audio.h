#pragma once
// The audio device as the platform backend offers it: the few calls that the audio output
// makes on the machine. backend_sdl_audio.cpp maps them onto SDL 1.2; the headless backend
// keeps the callback and pumps it from its virtual clock.
#include <cstdint>

// Called on the backend's audio thread (SDL) or from the headless pump: fill len bytes.
using BackendAudioCallback = void (*)(void* userdata, uint8_t* stream, int len);

int backend_init(uint32_t flags);   // SDL_Init(flags): 0 on success
int backend_audio_open(int frequency, uint16_t format, int channels, int samples,
                       BackendAudioCallback callback, void* userdata);  // SDL_OpenAudio: < 0 on failure
void backend_audio_pause(int pause_on);  // SDL_PauseAudio
void backend_audio_lock();               // SDL_LockAudio: the callback does not run until unlock
void backend_audio_unlock();             // SDL_UnlockAudio
void backend_audio_close();              // SDL_CloseAudio
