/* Preloaded (LD_PRELOAD) into the real, unmodified game, or into the benchmark's minimal SDL
 * program. It wraps a few SDL and SDL_mixer calls and hands each one on to the real library, so
 * the program behaves as usual while the tests and the benchmark observe it. Everything is read
 * from the environment:
 *
 *   QUORVIX_CAPTURE_FILE    where to write captured frames as binary PPM (P6); every "%d" in it
 *                           becomes the frame number. Nothing is captured without it.
 *   QUORVIX_CAPTURE_FRAMES  space- or comma-separated frame numbers to capture (default "1"); frame
 *                           n is the n-th SDL_RenderPresent call, read back just before it.
 *   QUORVIX_SOUND_LOG       appends one line per Mix_PlayChannelTimed / Mix_PlayMusic call:
 *                           "<kind> <which> presents=<n> ticks=<ms>", where presents counts the
 *                           frames already shown (the call belongs to frame presents + 1) and which
 *                           is the effect's load order (snd00 = 0) or "mus".
 *   QUORVIX_FAIL_CALL       "SDL_CreateWindow" or "SDL_CreateRenderer": that call fails with the
 *                           error text "injected failure", to reach start-up paths that a real
 *                           machine rarely takes. "Mix_FreeChunk": that call does nothing, so the
 *                           sound effects leak (the memory check must catch it).
 *   QUORVIX_HOLD_KEYS       space- or comma-separated scancodes that SDL_GetKeyboardState reports
 *                           as held from the very first frame (82 is Up), on top of the real
 *                           keyboard: a deterministic player for long scripted runs. A scancode
 *                           written CODE@FIRST-LAST is held in frames FIRST to LAST only.
 *   QUORVIX_PAD             a virtual game controller plugged in and driven during play:
 *                           "ATTACH BUTTON FIRST LAST DETACH" (frame numbers, and SDL's
 *                           game controller button number, 11 for D-pad up), meaning: plugged in
 *                           for frame ATTACH, BUTTON held in frames FIRST to LAST, unplugged for
 *                           frame DETACH (with the button still held if LAST is later). SDL passes
 *                           on a pad's input only while the game's window has the focus.
 *   QUORVIX_REPORT_FILE     at exit, the presents and their timing are written here:
 *                             presents <n>
 *                             first_present_realtime_ns <wall-clock time at the end of the first>
 *                             cpu_ns <user + system CPU time of the whole process>
 *                             cpu_after_first_ns <the same, right after the first present>
 *                             period_ns <ns>   one line per gap between consecutive presents
 *
 * Counting and timing a present costs one clock read; anything more is done only when asked for.
 * Captures reuse one pixel buffer, allocated for the first. The sound log is opened, appended to
 * and closed for every sound started, so that a test reading it meanwhile sees each line at once;
 * the benchmark, which times play, leaves it off.
 */
#define _GNU_SOURCE
#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <time.h>

#define MAX_CAPTURES 16
#define MAX_CHUNKS 8
#define MAX_HELD_KEYS 8
#define MAX_TIMED_PRESENTS 20000

/* Declares real_fn, the real function behind the interposed name, looked up once; aborts when it
 * cannot be found, since carrying on would silently change the program's behaviour. */
#define REAL(name)                                                                                 \
    static __typeof__(&name) real_fn;                                                              \
    if (real_fn == NULL) {                                                                         \
        real_fn = (__typeof__(&name))real(#name);                                                  \
    }

static void* real(const char* name) {
    void* fn = dlsym(RTLD_NEXT, name);
    if (fn == NULL) {
        fprintf(stderr, "quorvix shim: no real %s\n", name);
        abort();
    }
    return fn;
}

/* Parses up to max space- or comma-separated integers; returns how many. */
static int parse_numbers(const char* list, int* out, int max) {
    int count = 0;
    while (list != NULL && *list != '\0' && count < max) {
        char* end;
        long n = strtol(list, &end, 10);
        if (end == list) {
            ++list; /* separator */
            continue;
        }
        out[count++] = (int)n;
        list = end;
    }
    return count;
}

/* ------------------------------------------------------------------------------------------ */
/* Presents: counting, timing, capture                                                        */
/* ------------------------------------------------------------------------------------------ */

static int g_presents;
static void drive_pad(void);
static long long g_stamps[MAX_TIMED_PRESENTS];
static long long g_first_realtime;
static long long g_cpu_after_first;

static long long cpu_ns(void) {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000000LL +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1000LL;
}

static long long now_ns(clockid_t clock) {
    struct timespec ts;
    clock_gettime(clock, &ts);
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

static int capture_wanted(int frame) {
    static int frames[MAX_CAPTURES];
    static int count = -1; /* -1 until the environment has been read */
    if (count < 0) {
        count = parse_numbers(getenv("QUORVIX_CAPTURE_FRAMES"), frames, MAX_CAPTURES);
        if (count == 0) {
            frames[count++] = 1;
        }
    }
    for (int i = 0; i < count; ++i) {
        if (frames[i] == frame) {
            return 1;
        }
    }
    return 0;
}

/* The capture file name with every "%d" replaced by the frame number. */
static int capture_path(char* out, size_t size, const char* pattern, int frame) {
    size_t used = 0;
    for (const char* p = pattern; *p != '\0'; ++p) {
        int n;
        if (p[0] == '%' && p[1] == 'd') {
            n = snprintf(out + used, size - used, "%d", frame);
            ++p;
        } else {
            n = snprintf(out + used, size - used, "%c", *p);
        }
        if (n < 0 || (size_t)n >= size - used) {
            return 0;
        }
        used += (size_t)n;
    }
    return 1;
}

static void capture(SDL_Renderer* renderer, const char* pattern, int frame) {
    static unsigned char* pixels; /* reused for every capture */
    static size_t pixels_size;
    char path[4096];
    int w = 0;
    int h = 0;
    if (!capture_path(path, sizeof path, pattern, frame) ||
        SDL_GetRendererOutputSize(renderer, &w, &h) != 0 || w <= 0 || h <= 0) {
        fprintf(stderr, "quorvix shim: cannot capture frame %d\n", frame);
        return;
    }
    size_t size = (size_t)w * (size_t)h * 3;
    if (size > pixels_size) {
        unsigned char* grown = realloc(pixels, size);
        if (grown == NULL) {
            fprintf(stderr, "quorvix shim: out of memory\n");
            return;
        }
        pixels = grown;
        pixels_size = size;
    }
    if (SDL_RenderReadPixels(renderer, NULL, SDL_PIXELFORMAT_RGB24, pixels, w * 3) != 0) {
        fprintf(stderr, "quorvix shim: SDL_RenderReadPixels: %s\n", SDL_GetError());
        return;
    }
    /* Written under a temporary name and renamed, so a reader never sees half a file. */
    char partial[4200];
    snprintf(partial, sizeof partial, "%s.part", path);
    FILE* f = fopen(partial, "wb");
    if (f == NULL) {
        fprintf(stderr, "quorvix shim: cannot write %s\n", partial);
        return;
    }
    fprintf(f, "P6\n%d %d\n255\n", w, h);
    size_t written = fwrite(pixels, 1, size, f);
    if (fclose(f) != 0 || written != size || rename(partial, path) != 0) {
        fprintf(stderr, "quorvix shim: cannot write %s\n", path);
    }
}

void SDL_RenderPresent(SDL_Renderer* renderer) {
    REAL(SDL_RenderPresent);
    static const char* pattern;
    if (g_presents == 0) {
        pattern = getenv("QUORVIX_CAPTURE_FILE");
    }
    ++g_presents;
    if (pattern != NULL && capture_wanted(g_presents)) {
        capture(renderer, pattern, g_presents);
    }
    real_fn(renderer);
    if (g_presents == 1) {
        g_first_realtime = now_ns(CLOCK_REALTIME);
        g_cpu_after_first = cpu_ns();
    }
    if (g_presents <= MAX_TIMED_PRESENTS) {
        g_stamps[g_presents - 1] = now_ns(CLOCK_MONOTONIC);
    }
    drive_pad();
}

__attribute__((destructor)) static void write_report(void) {
    const char* path = getenv("QUORVIX_REPORT_FILE");
    FILE* out = path != NULL ? fopen(path, "w") : NULL;
    if (out == NULL) {
        return;
    }
    fprintf(out,
            "presents %d\nfirst_present_realtime_ns %lld\ncpu_ns %lld\ncpu_after_first_ns %lld\n",
            g_presents, g_first_realtime, cpu_ns(), g_cpu_after_first);
    const int kept = g_presents < MAX_TIMED_PRESENTS ? g_presents : MAX_TIMED_PRESENTS;
    for (int i = 1; i < kept; ++i) {
        fprintf(out, "period_ns %lld\n", g_stamps[i] - g_stamps[i - 1]);
    }
    fclose(out);
}

/* ------------------------------------------------------------------------------------------ */
/* Keys held from the first frame                                                             */
/* ------------------------------------------------------------------------------------------ */

/* The frame being played: the one shown next. */
static int playing_frame(void) {
    return g_presents + 1;
}

struct held_key {
    int code;
    int first; /* frames; 0 and INT_MAX when held throughout */
    int last;
};

static int parse_held_keys(const char* list, struct held_key* out, int max) {
    int count = 0;
    while (list != NULL && *list != '\0' && count < max) {
        char* end;
        long code = strtol(list, &end, 10);
        if (end == list) {
            ++list; /* separator */
            continue;
        }
        struct held_key key = {(int)code, 0, 0x7fffffff};
        if (*end == '@') {
            key.first = (int)strtol(end + 1, &end, 10);
            key.last = *end == '-' ? (int)strtol(end + 1, &end, 10) : key.first;
        }
        out[count++] = key;
        list = end;
    }
    return count;
}

const Uint8* SDL_GetKeyboardState(int* numkeys) {
    REAL(SDL_GetKeyboardState);
    static Uint8 held[SDL_NUM_SCANCODES];
    static struct held_key keys[MAX_HELD_KEYS];
    static int count = -1;
    if (count < 0) {
        count = parse_held_keys(getenv("QUORVIX_HOLD_KEYS"), keys, MAX_HELD_KEYS);
    }
    const Uint8* state = real_fn(numkeys);
    if (count == 0) {
        return state;
    }
    memcpy(held, state, sizeof held);
    const int frame = playing_frame();
    for (int i = 0; i < count; ++i) {
        if (keys[i].code > 0 && keys[i].code < SDL_NUM_SCANCODES && frame >= keys[i].first &&
            frame <= keys[i].last) {
            held[keys[i].code] = 1;
        }
    }
    return held;
}

/* ------------------------------------------------------------------------------------------ */
/* A virtual pad plugged in, pressed and unplugged during play                                */
/* ------------------------------------------------------------------------------------------ */

/* Run after each present, for the frame played next: what the game sees at its next event drain. */
static void drive_pad(void) {
    static int script[5];
    static int scripted = -1;
    static int device = -1;
    static SDL_Joystick* pad;
    if (scripted < 0) {
        scripted = parse_numbers(getenv("QUORVIX_PAD"), script, 5) == 5;
    }
    if (!scripted) {
        return;
    }
    const int frame = playing_frame();
    const int attach = script[0], button = script[1], first = script[2], last = script[3],
              detach = script[4];
    if (frame == attach) {
        SDL_VirtualJoystickDesc desc;
        memset(&desc, 0, sizeof desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Quorvix test pad";
        device = SDL_JoystickAttachVirtualEx(&desc);
        pad = device >= 0 ? SDL_JoystickOpen(device) : NULL;
        if (pad == NULL) {
            fprintf(stderr, "quorvix shim: cannot plug in a virtual pad: %s\n", SDL_GetError());
        }
    }
    if (pad != NULL && (frame == first || frame == last + 1)) {
        SDL_JoystickSetVirtualButton(pad, button, frame == first ? SDL_PRESSED : SDL_RELEASED);
    }
    if (pad != NULL && frame == detach) {
        SDL_JoystickClose(pad);
        pad = NULL;
        SDL_JoystickDetachVirtual(device);
    }
}

/* ------------------------------------------------------------------------------------------ */
/* Injected failures                                                                          */
/* ------------------------------------------------------------------------------------------ */

static int fail_requested(const char* name) {
    const char* which = getenv("QUORVIX_FAIL_CALL");
    return which != NULL && strcmp(which, name) == 0;
}

SDL_Window* SDL_CreateWindow(const char* title, int x, int y, int w, int h, Uint32 flags) {
    REAL(SDL_CreateWindow);
    if (fail_requested("SDL_CreateWindow")) {
        SDL_SetError("injected failure");
        return NULL;
    }
    return real_fn(title, x, y, w, h, flags);
}

SDL_Renderer* SDL_CreateRenderer(SDL_Window* window, int index, Uint32 flags) {
    REAL(SDL_CreateRenderer);
    if (fail_requested("SDL_CreateRenderer")) {
        SDL_SetError("injected failure");
        return NULL;
    }
    return real_fn(window, index, flags);
}

/* ------------------------------------------------------------------------------------------ */
/* Sound starts                                                                               */
/* ------------------------------------------------------------------------------------------ */

static Mix_Chunk* g_chunks[MAX_CHUNKS];
static int g_chunk_count;

static void log_sound(const char* kind, int which) {
    const char* path = getenv("QUORVIX_SOUND_LOG");
    FILE* f = path != NULL ? fopen(path, "a") : NULL;
    if (f == NULL) {
        return;
    }
    if (which >= 0) {
        fprintf(f, "%s snd%02d presents=%d ticks=%u\n", kind, which, g_presents, SDL_GetTicks());
    } else {
        fprintf(f, "%s %s presents=%d ticks=%u\n", kind, which == -1 ? "mus" : "unknown",
                g_presents, SDL_GetTicks());
    }
    fclose(f);
}

Mix_Chunk* Mix_LoadWAV_RW(SDL_RWops* src, int freesrc) {
    REAL(Mix_LoadWAV_RW);
    Mix_Chunk* chunk = real_fn(src, freesrc);
    if (g_chunk_count < MAX_CHUNKS) {
        g_chunks[g_chunk_count++] = chunk; /* kept even when NULL, so indices follow load order */
    }
    return chunk;
}

/* The chunk is forgotten here even when it is not freed, so that a leak is a real one: nothing
 * points to it any more. */
void Mix_FreeChunk(Mix_Chunk* chunk) {
    REAL(Mix_FreeChunk);
    for (int i = 0; i < g_chunk_count; ++i) {
        if (g_chunks[i] == chunk) {
            g_chunks[i] = NULL;
        }
    }
    if (!fail_requested("Mix_FreeChunk")) {
        real_fn(chunk);
    }
}

int Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks) {
    REAL(Mix_PlayChannelTimed);
    int which = -2;
    for (int i = 0; i < g_chunk_count; ++i) {
        if (chunk != NULL && g_chunks[i] == chunk) {
            which = i;
            break;
        }
    }
    log_sound("effect", which);
    return real_fn(channel, chunk, loops, ticks);
}

int Mix_PlayMusic(Mix_Music* music, int loops) {
    REAL(Mix_PlayMusic);
    log_sound("music", -1);
    return real_fn(music, loops);
}
