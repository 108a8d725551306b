// The committed media load through the real SDL_mixer, as the game loads them: the MIDI file
// through Mix_LoadMUS (FluidSynth with the system's General MIDI soundfont) and each effect
// through Mix_LoadWAV_RW, converted to the device's 16-bit stereo at 44.1 kHz without resampling.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

class MixerLoad : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1); // no sound card needed
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
        ASSERT_EQ(Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048), 0) << Mix_GetError();
    }
    void TearDown() override {
        Mix_CloseAudio();
        Mix_Quit();
        SDL_Quit();
    }
};

TEST_F(MixerLoad, VictoryMusicLoadsAsMidi) {
    Mix_Music* music = Mix_LoadMUS(QUORVIX_RES_DIR "/mus00.mid");
    ASSERT_NE(music, nullptr) << Mix_GetError();
    EXPECT_EQ(Mix_GetMusicType(music), MUS_MID);
    EXPECT_EQ(Mix_PlayMusic(music, 0), 0) << Mix_GetError();
    Mix_HaltMusic();
    Mix_FreeMusic(music);
}

TEST_F(MixerLoad, EffectsLoadWithTheirLengths) {
    struct Case {
        const char* file;
        Uint32 samples; // per channel, at 44.1 kHz
    };
    const Case cases[] = {{"snd00.wav", 3528}, {"snd01.wav", 3087}, {"snd02.wav", 17640}};
    for (const Case& c : cases) {
        const std::string path = std::string(QUORVIX_RES_DIR "/") + c.file;
        Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromFile(path.c_str(), "rb"), 1);
        ASSERT_NE(chunk, nullptr) << c.file << ": " << Mix_GetError();
        EXPECT_EQ(chunk->alen, c.samples * 2 * 2) << c.file; // two channels of two bytes
        Mix_FreeChunk(chunk);
    }
}

} // namespace
