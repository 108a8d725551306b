// Process entry. Where SDL supplies the real entry point itself (SDL_MAIN_NEEDED or
// SDL_MAIN_AVAILABLE), it calls SDL_main directly; everywhere else this ordinary main does.
#include <SDL.h>

#if !defined(SDL_MAIN_NEEDED) && !defined(SDL_MAIN_AVAILABLE)
int main(int argc, char* argv[]) {
    return SDL_main(argc, argv);
}
#endif
