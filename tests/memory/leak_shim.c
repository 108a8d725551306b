/* A deliberately leaking variant of the game, for proving that the memory check still catches a
 * leak: preloaded (LD_PRELOAD), it turns Mix_FreeChunk into a no-op, so the three sound effects
 * that SDL_mixer allocated are never freed and, once the game drops its handles, are lost. */
#include <SDL_mixer.h>

void Mix_FreeChunk(Mix_Chunk* chunk) {
    (void)chunk;
}
