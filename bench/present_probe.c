/* Timing probe preloaded (LD_PRELOAD) into the game or the minimal reference program. It wraps
 * SDL_RenderPresent, notes the monotonic time after each present in a preallocated table, and at
 * exit writes to $QUORVIX_PROBE_FILE:
 *   first_present_realtime_ns <ns>   wall-clock time at the end of the first present
 *   presents <n>
 *   cpu_ns <user + system CPU time of the whole process>
 *   cpu_after_first_ns <the same, taken right after the first present>
 *   period_ns <ns>                   one line per gap between consecutive presents
 */
#define _GNU_SOURCE
#include <SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

#define MAX_PRESENTS 20000

static long long g_stamps[MAX_PRESENTS];
static long long g_presents;
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

void SDL_RenderPresent(SDL_Renderer* renderer) {
    static void (*real_present)(SDL_Renderer*);
    if (real_present == NULL) {
        real_present = (void (*)(SDL_Renderer*))dlsym(RTLD_NEXT, "SDL_RenderPresent");
        if (real_present == NULL) {
            abort();
        }
    }
    real_present(renderer);
    if (g_presents == 0) {
        g_first_realtime = now_ns(CLOCK_REALTIME);
        g_cpu_after_first = cpu_ns();
    }
    if (g_presents < MAX_PRESENTS) {
        g_stamps[g_presents] = now_ns(CLOCK_MONOTONIC);
    }
    ++g_presents;
}

__attribute__((destructor)) static void write_report(void) {
    const char* path = getenv("QUORVIX_PROBE_FILE");
    if (path == NULL) {
        return;
    }
    FILE* out = fopen(path, "w");
    if (out == NULL) {
        return;
    }
    fprintf(out,
            "first_present_realtime_ns %lld\npresents %lld\ncpu_ns %lld\ncpu_after_first_ns %lld\n",
            g_first_realtime, g_presents, cpu_ns(), g_cpu_after_first);
    const long long kept = g_presents < MAX_PRESENTS ? g_presents : MAX_PRESENTS;
    for (long long i = 1; i < kept; ++i) {
        fprintf(out, "period_ns %lld\n", g_stamps[i] - g_stamps[i - 1]);
    }
    fclose(out);
}
