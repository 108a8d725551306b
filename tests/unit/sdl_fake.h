// A link-time fake of the few SDL and SDL_mixer calls the game makes. It records each call with
// its arguments, runs a simulated millisecond clock (advanced by SDL_Delay and, optionally, by each
// SDL_GetTicks), serves scripted events and keys, and can make any start-up step fail.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <deque>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/media.h"

namespace fake {

// One recorded call: its name, its numeric arguments (handles as described at each call) and its
// string arguments (a window title, a path, a mode), each list in the order of the parameters.
struct Call {
    std::string name;
    std::vector<long long> args;
    std::vector<std::string> text;

    Call(std::string callName, std::vector<long long> numbers = {},
         std::vector<std::string> strings = {})
        : name(std::move(callName)), args(std::move(numbers)), text(std::move(strings)) {}

    bool operator==(const Call& other) const {
        return name == other.name && args == other.args && text == other.text;
    }
};

// Readable failure messages: name(arg, arg, ..., "text", ...).
inline void PrintTo(const Call& call, std::ostream* out) {
    *out << call.name << "(";
    const char* separator = "";
    for (const long long arg : call.args) {
        *out << separator << arg;
        separator = ", ";
    }
    for (const std::string& text : call.text) {
        *out << separator << '"' << text << '"';
        separator = ", ";
    }
    *out << ")";
}

// The media files the game loads, slot by slot. Opening one of these paths hands out that slot's
// handle, so a file loaded into another slot leaves the wrong handle there; any other path cannot
// be opened.
inline constexpr const char* kMusicFiles[] = {"res/mus00.mid"};
inline constexpr const char* kSoundFiles[] = {"res/snd00.wav", "res/snd01.wav", "res/snd02.wav"};
static_assert(sizeof kMusicFiles / sizeof kMusicFiles[0] == kMusicCount, "a file per music slot");
static_assert(sizeof kSoundFiles / sizeof kSoundFiles[0] == kSoundCount, "a file per sound slot");

// Handles the fake hands out; media arguments are recorded as the slot of the handle (-1 for
// null).
extern SDL_Window* const kWindow;
extern SDL_Renderer* const kRenderer;
extern SDL_Texture* const kTexture;
extern Mix_Chunk kChunks[kSoundCount];
Mix_Music* musicHandle(int slot);

// A pad plugged in: its buttons and axes as SDL's game controller API reports them. Its device
// index is its place in State::pads, and it is opened by handing out a pointer to it.
struct Pad {
    SDL_JoystickID id = 0;
    bool controller = true; // SDL knows it as a game controller
    Uint8 buttons[SDL_CONTROLLER_BUTTON_MAX] = {};
    Sint16 axes[SDL_CONTROLLER_AXIS_MAX] = {};
    int opened = 0; // opens less closes
};

struct State {
    bool record = true;
    std::vector<Call> calls;

    // Clock: SDL_GetTicks returns now, then adds ticksPerRead; SDL_Delay adds its argument.
    Uint32 now = 0;
    Uint32 ticksPerRead = 0;

    std::deque<SDL_Event> events;
    Uint8 keys[SDL_NUM_SCANCODES] = {};
    std::deque<Pad> pads; // a deque, so that opened pads stay where they are as more arrive

    // Start-up failures to inject.
    bool failInit = false;
    bool failVideo = false; // no display, as SDL 3 has it: SDL_Init fails, and so does video alone
    bool failWindow = false;
    bool failRenderer = false;
    bool failAudio = false;
    bool failGamepads = false;   // no controller support
    bool failTexture = false;    // a renderer that cannot draw into textures
    bool failFullscreen = false; // a window manager that refuses full screen

    // The renderer's output in pixels, and whether the window is in full screen.
    int outputWidth = 800;
    int outputHeight = 600;
    bool fullscreen = false;
    int liveTextures = 0;
    std::set<std::string> missingFiles; // paths that SDL_RWFromFile / Mix_LoadMUS cannot open
    std::string error = "fake error";

    // What SDL_GetCurrentVideoDriver reports once SDL is up, and SDL_GetHint(SDL_HINT_VIDEODRIVER)
    // (null: the user named no video driver).
    const char* videoDriver = "x11";
    const char* videoDriverHint = nullptr;

    // Called with each call as it is recorded.
    std::function<void(const Call&)> onCall;

    // Called after every present, with the number of presents so far.
    std::function<void(long long)> onPresent;
    long long presents = 0;

    // Live handles, to check that everything created is released.
    int liveWindows = 0;
    int liveRenderers = 0;
    int liveMusic = 0;
    int liveChunks = 0;
    int liveVideoSubsystems = 0; // started by SDL_InitSubSystem and not yet quit
    bool sdlUp = false;
};

State& state();
void reset();

// Calls with the given name, in order.
std::vector<Call> callsNamed(const std::string& name);
// Names of all recorded calls, in order.
std::vector<std::string> callNames();
// Queues a quit event.
void pushQuit();
void pushEvent(Uint32 type);
// Plugs in a pad, queueing its arrival as SDL does; returns it, to press its buttons.
Pad& plugPad(bool controller = true);
// Unplugs pad INDEX, queueing its removal.
void unplugPad(int index);

} // namespace fake
