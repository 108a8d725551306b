// The browser edition is linked statically and loads no library at run time. Asked for a library,
// dlopen answers as for one that is not there (null), where emscripten's own stub would abort the
// game. The game asks only at release, for a library that is never in a browser.
#include <dlfcn.h>
#include <stddef.h>

void* dlopen(const char* file, int mode) {
    (void)file;
    (void)mode;
    return NULL;
}
