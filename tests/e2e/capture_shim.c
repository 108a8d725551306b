/* Test probe preloaded (LD_PRELOAD) into the real, unmodified game. It wraps a few SDL and
 * SDL_mixer calls and then hands each one on to the real library, so the game behaves as usual
 * while the tests observe it:
 *
 *   QUORVIX_CAPTURE_FRAMES  space- or comma-separated frame numbers to capture (default "1"); frame
 *                           n is the n-th SDL_RenderPresent call, read back just before it.
 *   QUORVIX_CAPTURE_FILE    where to write each captured frame as a binary PPM (P6); every "%d"
 *                           in it becomes the frame number. Nothing is captured without it.
 *   QUORVIX_SOUND_LOG       appends one line per Mix_PlayChannelTimed / Mix_PlayMusic call:
 *                           "<kind> <which> presents=<n> ticks=<ms>", where presents counts the
 *                           frames already shown (the call belongs to frame presents + 1) and which
 *                           is the effect's load order (snd00 = 0) or "mus".
 *   QUORVIX_FAIL_CALL       "SDL_CreateWindow" or "SDL_CreateRenderer": that call fails with the
 *                           error text "injected failure", to reach start-up paths that a real
 *                           machine rarely takes.
 *   QUORVIX_HOLD_KEYS       space- or comma-separated scancodes that SDL_GetKeyboardState reports
 *                           as held from the very first frame (82 is Up), on top of the real
 *                           keyboard: a deterministic player for long scripted runs.
 *   QUORVIX_PRESENT_COUNT   at exit, the number of frames presented is written to this file.
 */
#define _GNU_SOURCE
#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MAX_CAPTURES 16
#define MAX_CHUNKS 8

static int g_presents;
static int g_capture_frames[MAX_CAPTURES];
static int g_capture_count = -1; /* -1 until the environment has been read */
static unsigned char* g_pixels;  /* reused for every capture */
static size_t g_pixels_size;
static Mix_Chunk* g_chunks[MAX_CHUNKS];
static int g_chunk_count;

/* The real function behind an interposed name; aborts when it cannot be found, since carrying on
 * would silently change the game's behaviour. */
static void* real(const char* name) {
    void* fn = dlsym(RTLD_NEXT, name);
    if (fn == NULL) {
        fprintf(stderr, "capture_shim: no real %s\n", name);
        abort();
    }
    return fn;
}

static int fail_requested(const char* name) {
    const char* which = getenv("QUORVIX_FAIL_CALL");
    return which != NULL && strcmp(which, name) == 0;
}

static void read_capture_frames(void) {
    const char* list = getenv("QUORVIX_CAPTURE_FRAMES");
    g_capture_count = 0;
    if (list == NULL || *list == '\0') {
        g_capture_frames[g_capture_count++] = 1;
        return;
    }
    while (*list != '\0' && g_capture_count < MAX_CAPTURES) {
        char* end;
        long frame = strtol(list, &end, 10);
        if (end == list) {
            ++list; /* separator */
            continue;
        }
        g_capture_frames[g_capture_count++] = (int)frame;
        list = end;
    }
}

static int capture_wanted(int frame) {
    if (g_capture_count < 0) {
        read_capture_frames();
    }
    for (int i = 0; i < g_capture_count; ++i) {
        if (g_capture_frames[i] == frame) {
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

static void capture(SDL_Renderer* renderer, int frame) {
    const char* pattern = getenv("QUORVIX_CAPTURE_FILE");
    char path[4096];
    int w = 0;
    int h = 0;
    if (pattern == NULL || !capture_path(path, sizeof path, pattern, frame) ||
        SDL_GetRendererOutputSize(renderer, &w, &h) != 0 || w <= 0 || h <= 0) {
        fprintf(stderr, "capture_shim: cannot capture frame %d\n", frame);
        return;
    }
    size_t size = (size_t)w * (size_t)h * 3;
    if (size > g_pixels_size) {
        unsigned char* grown = realloc(g_pixels, size);
        if (grown == NULL) {
            fprintf(stderr, "capture_shim: out of memory\n");
            return;
        }
        g_pixels = grown;
        g_pixels_size = size;
    }
    if (SDL_RenderReadPixels(renderer, NULL, SDL_PIXELFORMAT_RGB24, g_pixels, w * 3) != 0) {
        fprintf(stderr, "capture_shim: SDL_RenderReadPixels: %s\n", SDL_GetError());
        return;
    }
    /* Written under a temporary name and renamed, so a reader never sees half a file. */
    char partial[4200];
    snprintf(partial, sizeof partial, "%s.part", path);
    FILE* f = fopen(partial, "wb");
    if (f == NULL) {
        fprintf(stderr, "capture_shim: cannot write %s\n", partial);
        return;
    }
    fprintf(f, "P6\n%d %d\n255\n", w, h);
    size_t written = fwrite(g_pixels, 1, size, f);
    if (fclose(f) != 0 || written != size || rename(partial, path) != 0) {
        fprintf(stderr, "capture_shim: cannot write %s\n", path);
    }
}

static void log_sound(const char* kind, int which) {
    const char* path = getenv("QUORVIX_SOUND_LOG");
    if (path == NULL) {
        return;
    }
    FILE* f = fopen(path, "a");
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

const Uint8* SDL_GetKeyboardState(int* numkeys) {
    static Uint8 held[SDL_NUM_SCANCODES];
    static int parsed;
    static int count;
    static int codes[8];
    if (!parsed) {
        const char* list = getenv("QUORVIX_HOLD_KEYS");
        while (list != NULL && *list != '\0' && count < 8) {
            char* end;
            long code = strtol(list, &end, 10);
            if (end == list) {
                ++list;
                continue;
            }
            if (code > 0 && code < SDL_NUM_SCANCODES) {
                codes[count++] = (int)code;
            }
            list = end;
        }
        parsed = 1;
    }
    const Uint8* (*real_state)(int*) = (const Uint8* (*)(int*))real("SDL_GetKeyboardState");
    const Uint8* state = real_state(numkeys);
    if (count == 0) {
        return state;
    }
    memcpy(held, state, sizeof held);
    for (int i = 0; i < count; ++i) {
        held[codes[i]] = 1;
    }
    return held;
}

__attribute__((destructor)) static void write_present_count(void) {
    const char* path = getenv("QUORVIX_PRESENT_COUNT");
    FILE* f = path != NULL ? fopen(path, "w") : NULL;
    if (f != NULL) {
        fprintf(f, "%d\n", g_presents);
        fclose(f);
    }
}

void SDL_RenderPresent(SDL_Renderer* renderer) {
    static void (*real_present)(SDL_Renderer*);
    if (real_present == NULL) {
        real_present = (void (*)(SDL_Renderer*))real("SDL_RenderPresent");
    }
    ++g_presents;
    if (getenv("QUORVIX_CAPTURE_FILE") != NULL && capture_wanted(g_presents)) {
        capture(renderer, g_presents);
    }
    real_present(renderer);
}

SDL_Window* SDL_CreateWindow(const char* title, int x, int y, int w, int h, Uint32 flags) {
    if (fail_requested("SDL_CreateWindow")) {
        SDL_SetError("injected failure");
        return NULL;
    }
    SDL_Window* (*real_create)(const char*, int, int, int, int, Uint32) =
        (SDL_Window * (*)(const char*, int, int, int, int, Uint32)) real("SDL_CreateWindow");
    return real_create(title, x, y, w, h, flags);
}

SDL_Renderer* SDL_CreateRenderer(SDL_Window* window, int index, Uint32 flags) {
    if (fail_requested("SDL_CreateRenderer")) {
        SDL_SetError("injected failure");
        return NULL;
    }
    SDL_Renderer* (*real_create)(SDL_Window*, int, Uint32) =
        (SDL_Renderer * (*)(SDL_Window*, int, Uint32)) real("SDL_CreateRenderer");
    return real_create(window, index, flags);
}

Mix_Chunk* Mix_LoadWAV_RW(SDL_RWops* src, int freesrc) {
    Mix_Chunk* (*real_load)(SDL_RWops*, int) =
        (Mix_Chunk * (*)(SDL_RWops*, int)) real("Mix_LoadWAV_RW");
    Mix_Chunk* chunk = real_load(src, freesrc);
    if (g_chunk_count < MAX_CHUNKS) {
        g_chunks[g_chunk_count++] = chunk; /* kept even when NULL, so indices follow load order */
    }
    return chunk;
}

int Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks) {
    int (*real_play)(int, Mix_Chunk*, int, int) =
        (int (*)(int, Mix_Chunk*, int, int))real("Mix_PlayChannelTimed");
    int which = -2;
    for (int i = 0; i < g_chunk_count; ++i) {
        if (chunk != NULL && g_chunks[i] == chunk) {
            which = i;
            break;
        }
    }
    log_sound("effect", which);
    return real_play(channel, chunk, loops, ticks);
}

int Mix_PlayMusic(Mix_Music* music, int loops) {
    int (*real_play)(Mix_Music*, int) = (int (*)(Mix_Music*, int))real("Mix_PlayMusic");
    log_sound("music", -1);
    return real_play(music, loops);
}
