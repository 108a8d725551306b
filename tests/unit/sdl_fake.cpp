// The fake's definitions of the SDL and SDL_mixer entry points the game uses.
#include "sdl_fake.h"

#include <algorithm>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace fake {
namespace {

struct Opaque {
    char byte;
};
Opaque windowObject;
Opaque rendererObject;
Opaque textureObject;
Opaque musicObjects[kMusicCount];
SDL_RWops streamObjects[kSoundCount]; // one stream per sound file

State& current() {
    static State instance;
    return instance;
}

// Builds the record only when recording, so that long runs allocate nothing here.
void record(const char* name, std::initializer_list<long long> args = {},
            std::initializer_list<const char*> text = {}) {
    if (current().record) {
        current().calls.emplace_back(name, std::vector<long long>(args),
                                     std::vector<std::string>(text.begin(), text.end()));
        if (current().onCall) {
            current().onCall(current().calls.back());
        }
    }
}

// The slot a media handle belongs to: -1 for null, -2 for a handle the fake never gave out.
long long slotOf(const Mix_Chunk* chunk) {
    if (chunk == nullptr) {
        return -1;
    }
    for (int i = 0; i < kSoundCount; ++i) {
        if (chunk == &kChunks[i]) {
            return i;
        }
    }
    return -2;
}

long long slotOf(const Mix_Music* music) {
    if (music == nullptr) {
        return -1;
    }
    for (int i = 0; i < kMusicCount; ++i) {
        if (music == musicHandle(i)) {
            return i;
        }
    }
    return -2;
}

// The slot of a media file from its path, or -1 for a path the game has no slot for.
template <std::size_t count> int slotOfFile(const char* path, const char* const (&files)[count]) {
    for (std::size_t i = 0; i < count; ++i) {
        if (std::strcmp(path, files[i]) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace

SDL_Window* const kWindow = reinterpret_cast<SDL_Window*>(&windowObject);
SDL_Renderer* const kRenderer = reinterpret_cast<SDL_Renderer*>(&rendererObject);
SDL_Texture* const kTexture = reinterpret_cast<SDL_Texture*>(&textureObject);
Mix_Chunk kChunks[kSoundCount] = {};

Mix_Music* musicHandle(int slot) {
    return reinterpret_cast<Mix_Music*>(&musicObjects[slot]);
}

State& state() {
    return current();
}

void reset() {
    current() = State{};
}

std::vector<Call> callsNamed(const std::string& name) {
    std::vector<Call> out;
    for (const Call& call : current().calls) {
        if (call.name == name) {
            out.push_back(call);
        }
    }
    return out;
}

std::vector<std::string> callNames() {
    std::vector<std::string> out;
    for (const Call& call : current().calls) {
        out.push_back(call.name);
    }
    return out;
}

void pushEvent(Uint32 type) {
    SDL_Event event{};
    event.type = type;
    current().events.push_back(event);
}

void pushQuit() {
    pushEvent(SDL_QUIT);
}

Pad& plugPad(bool controller) {
    Pad& pad = current().pads.emplace_back();
    pad.id = static_cast<SDL_JoystickID>(100 + current().pads.size());
    pad.controller = controller;
    SDL_Event event{};
    event.type = SDL_CONTROLLERDEVICEADDED;
    event.cdevice.which = static_cast<Sint32>(current().pads.size() - 1);
    current().events.push_back(event);
    return pad;
}

void unplugPad(int index) {
    Pad& pad = current().pads[static_cast<std::size_t>(index)];
    std::fill(std::begin(pad.buttons), std::end(pad.buttons), Uint8{0});
    std::fill(std::begin(pad.axes), std::end(pad.axes), Sint16{0});
    SDL_Event event{};
    event.type = SDL_CONTROLLERDEVICEREMOVED;
    event.cdevice.which = pad.id;
    current().events.push_back(event);
}

} // namespace fake

using fake::current;
using fake::record;
using fake::slotOf;
using fake::slotOfFile;

extern "C" {

// ---------------------------------------------------------------------------------------------
// Start-up and shutdown
// ---------------------------------------------------------------------------------------------
// What SDL 3 says when no video driver can start.
constexpr const char* kNoVideoDevice = "No available video device";

int SDL_Init(Uint32 flags) {
    record("SDL_Init", {flags});
    if (current().failVideo) {
        current().error = kNoVideoDevice;
        return -1;
    }
    if (current().failInit) {
        return -1;
    }
    current().sdlUp = true;
    return 0;
}

int SDL_InitSubSystem(Uint32 flags) {
    record("SDL_InitSubSystem", {flags});
    if (current().failVideo && (flags & SDL_INIT_VIDEO) != 0) {
        current().error = kNoVideoDevice;
        return -1;
    }
    if (current().failGamepads && (flags & SDL_INIT_GAMECONTROLLER) != 0) {
        return -1;
    }
    current().liveVideoSubsystems += (flags & SDL_INIT_VIDEO) != 0 ? 1 : 0;
    return 0;
}

void SDL_QuitSubSystem(Uint32 flags) {
    record("SDL_QuitSubSystem", {flags});
    current().liveVideoSubsystems -= (flags & SDL_INIT_VIDEO) != 0 ? 1 : 0;
}

SDL_Window* SDL_CreateWindow(const char* title, int x, int y, int w, int h, Uint32 flags) {
    record("SDL_CreateWindow", {x, y, w, h, flags}, {title});
    if (current().failWindow) {
        return nullptr;
    }
    ++current().liveWindows;
    return fake::kWindow;
}

SDL_Renderer* SDL_CreateRenderer(SDL_Window* window, int index, Uint32 flags) {
    record("SDL_CreateRenderer", {window == fake::kWindow ? 1 : 0, index, flags});
    if (current().failRenderer) {
        return nullptr;
    }
    ++current().liveRenderers;
    return fake::kRenderer;
}

int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunksize) {
    record("Mix_OpenAudio", {frequency, format, channels, chunksize});
    return current().failAudio ? -1 : 0;
}

// Queries without side effects, not recorded.
const char* SDL_GetCurrentVideoDriver(void) {
    return current().sdlUp ? current().videoDriver : nullptr;
}

const char* SDL_GetHint(const char* name) {
    return std::strcmp(name, SDL_HINT_VIDEODRIVER) == 0 ? current().videoDriverHint : nullptr;
}

int SDL_SetError(const char* fmt, ...) {
    char text[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    record("SDL_SetError");
    current().error = text;
    return -1;
}

const char* SDL_GetError(void) {
    return current().error.c_str();
}

void SDL_DestroyRenderer(SDL_Renderer* renderer) {
    record("SDL_DestroyRenderer", {renderer == nullptr ? 0 : 1});
    if (renderer != nullptr) {
        --current().liveRenderers;
    }
}

void SDL_DestroyWindow(SDL_Window* window) {
    record("SDL_DestroyWindow", {window == nullptr ? 0 : 1});
    if (window != nullptr) {
        --current().liveWindows;
    }
}

void Mix_Quit(void) {
    record("Mix_Quit");
}

void SDL_Quit(void) {
    record("SDL_Quit");
    current().sdlUp = false;
}

// ---------------------------------------------------------------------------------------------
// Media
// ---------------------------------------------------------------------------------------------
// A file opens when it is one of the game's media files and not made missing; its handle, or its
// stream, is the one of its slot.
Mix_Music* Mix_LoadMUS(const char* file) {
    record("Mix_LoadMUS", {}, {file});
    const int slot = slotOfFile(file, fake::kMusicFiles);
    if (slot < 0 || current().missingFiles.count(file) != 0) {
        current().error = std::string("Couldn't open '") + file + "'";
        return nullptr;
    }
    ++current().liveMusic;
    return fake::musicHandle(slot);
}

SDL_RWops* SDL_RWFromFile(const char* file, const char* mode) {
    record("SDL_RWFromFile", {}, {file, mode});
    const int slot = slotOfFile(file, fake::kSoundFiles);
    if (slot < 0 || current().missingFiles.count(file) != 0) {
        current().error = std::string("Couldn't open ") + file;
        return nullptr;
    }
    return &fake::streamObjects[slot];
}

Mix_Chunk* Mix_LoadWAV_RW(SDL_RWops* src, int freesrc) {
    record("Mix_LoadWAV_RW", {src == nullptr ? 0 : 1, freesrc});
    if (src == nullptr) {
        current().error = "Mix_LoadWAV_RW with NULL src";
        return nullptr;
    }
    ++current().liveChunks;
    return &fake::kChunks[src - fake::streamObjects];
}

void Mix_FreeMusic(Mix_Music* music) {
    record("Mix_FreeMusic", {slotOf(music)});
    if (music != nullptr) {
        --current().liveMusic;
    }
}

void Mix_FreeChunk(Mix_Chunk* chunk) {
    record("Mix_FreeChunk", {slotOf(chunk)});
    if (chunk != nullptr) {
        --current().liveChunks;
    }
}

// ---------------------------------------------------------------------------------------------
// Play: sounds, time, events, keys
// ---------------------------------------------------------------------------------------------
int Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks) {
    record("Mix_PlayChannelTimed", {channel, slotOf(chunk), loops, ticks});
    return 0;
}

int Mix_PlayMusic(Mix_Music* music, int loops) {
    record("Mix_PlayMusic", {slotOf(music), loops});
    return 0;
}

// Pausing and volume, recorded.
// clang-format off
void Mix_Pause(int channel) { record("Mix_Pause", {channel}); }
void Mix_Resume(int channel) { record("Mix_Resume", {channel}); }
void Mix_PauseMusic(void) { record("Mix_PauseMusic"); }
void Mix_ResumeMusic(void) { record("Mix_ResumeMusic"); }
int Mix_Volume(int channel, int volume) { record("Mix_Volume", {channel, volume}); return MIX_MAX_VOLUME; }
int Mix_VolumeMusic(int volume) { record("Mix_VolumeMusic", {volume}); return MIX_MAX_VOLUME; }
// clang-format on

Uint32 SDL_GetTicks(void) {
    record("SDL_GetTicks");
    const Uint32 now = current().now;
    current().now += current().ticksPerRead;
    return now;
}

void SDL_Delay(Uint32 ms) {
    record("SDL_Delay", {ms});
    current().now += ms;
}

int SDL_PollEvent(SDL_Event* event) {
    record("SDL_PollEvent");
    if (current().events.empty()) {
        return 0;
    }
    *event = current().events.front();
    current().events.pop_front();
    return 1;
}

const Uint8* SDL_GetKeyboardState(int* numkeys) {
    record("SDL_GetKeyboardState", {numkeys == nullptr ? 0 : 1});
    return current().keys;
}

// ---------------------------------------------------------------------------------------------
// Scaling and full screen
// ---------------------------------------------------------------------------------------------
SDL_Texture* SDL_CreateTexture(SDL_Renderer* renderer, Uint32 format, int access, int w, int h) {
    record("SDL_CreateTexture", {renderer == fake::kRenderer ? 1 : 0, format, access, w, h});
    if (current().failTexture) {
        return nullptr;
    }
    ++current().liveTextures;
    return fake::kTexture;
}

void SDL_DestroyTexture(SDL_Texture* texture) {
    record("SDL_DestroyTexture", {texture == fake::kTexture ? 1 : 0});
    --current().liveTextures;
}

int SDL_GetRendererOutputSize(SDL_Renderer* /*renderer*/, int* w, int* h) {
    record("SDL_GetRendererOutputSize");
    *w = current().outputWidth;
    *h = current().outputHeight;
    return 0;
}

int SDL_SetTextureScaleMode(SDL_Texture* /*texture*/, SDL_ScaleMode mode) {
    record("SDL_SetTextureScaleMode", {mode});
    return 0;
}

int SDL_SetRenderTarget(SDL_Renderer* /*renderer*/, SDL_Texture* texture) {
    record("SDL_SetRenderTarget", {texture == fake::kTexture ? 1 : 0});
    return 0;
}

int SDL_RenderCopy(SDL_Renderer* /*renderer*/, SDL_Texture* texture, const SDL_Rect* source,
                   const SDL_Rect* target) {
    record("SDL_RenderCopy", {texture == fake::kTexture ? 1 : 0, source == nullptr ? 0 : 1,
                              target->x, target->y, target->w, target->h});
    return 0;
}

int SDL_SetWindowFullscreen(SDL_Window* /*window*/, Uint32 flags) {
    record("SDL_SetWindowFullscreen", {flags});
    if (current().failFullscreen) {
        return -1;
    }
    current().fullscreen = flags != 0;
    return 0;
}

Uint32 SDL_GetWindowFlags(SDL_Window* /*window*/) {
    return SDL_WINDOW_SHOWN | (current().fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

int SDL_ShowCursor(int toggle) {
    record("SDL_ShowCursor", {toggle});
    return toggle;
}

// ---------------------------------------------------------------------------------------------
// Pads
// ---------------------------------------------------------------------------------------------
static fake::Pad* padOf(SDL_GameController* controller) {
    return reinterpret_cast<fake::Pad*>(controller);
}

SDL_bool SDL_IsGameController(int index) {
    record("SDL_IsGameController", {index});
    return current().pads.at(static_cast<std::size_t>(index)).controller ? SDL_TRUE : SDL_FALSE;
}

SDL_JoystickID SDL_JoystickGetDeviceInstanceID(int index) {
    record("SDL_JoystickGetDeviceInstanceID", {index});
    return current().pads.at(static_cast<std::size_t>(index)).id;
}

SDL_GameController* SDL_GameControllerOpen(int index) {
    record("SDL_GameControllerOpen", {index});
    fake::Pad& pad = current().pads.at(static_cast<std::size_t>(index));
    ++pad.opened;
    return reinterpret_cast<SDL_GameController*>(&pad);
}

void SDL_GameControllerClose(SDL_GameController* controller) {
    record("SDL_GameControllerClose", {padOf(controller)->id});
    --padOf(controller)->opened;
}

SDL_Joystick* SDL_GameControllerGetJoystick(SDL_GameController* controller) {
    return reinterpret_cast<SDL_Joystick*>(controller);
}

SDL_JoystickID SDL_JoystickInstanceID(SDL_Joystick* joystick) {
    return reinterpret_cast<fake::Pad*>(joystick)->id;
}

Uint8 SDL_GameControllerGetButton(SDL_GameController* controller, SDL_GameControllerButton button) {
    return padOf(controller)->buttons[button];
}

Sint16 SDL_GameControllerGetAxis(SDL_GameController* controller, SDL_GameControllerAxis axis) {
    return padOf(controller)->axes[axis];
}

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------
int SDL_SetRenderDrawColor(SDL_Renderer* renderer, Uint8 r, Uint8 g, Uint8 b, Uint8 a) {
    record("SDL_SetRenderDrawColor", {renderer == fake::kRenderer ? 1 : 0, r, g, b, a});
    return 0;
}

int SDL_RenderClear(SDL_Renderer* /*renderer*/) {
    record("SDL_RenderClear");
    return 0;
}

int SDL_RenderDrawLine(SDL_Renderer* /*renderer*/, int x1, int y1, int x2, int y2) {
    record("SDL_RenderDrawLine", {x1, y1, x2, y2});
    return 0;
}

int SDL_RenderFillRect(SDL_Renderer* /*renderer*/, const SDL_Rect* rect) {
    record("SDL_RenderFillRect", {rect->x, rect->y, rect->w, rect->h});
    return 0;
}

void SDL_RenderPresent(SDL_Renderer* /*renderer*/) {
    record("SDL_RenderPresent");
    ++current().presents;
    if (current().onPresent) {
        current().onPresent(current().presents);
    }
}

} // extern "C"
