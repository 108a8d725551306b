// Finds where sound effects start in a recording of the game's audio output.
//
//   find_sound [--tolerance N] RECORDING.raw EFFECT.wav...
//
// RECORDING is what SDL's disk audio driver wrote: signed 16-bit little-endian stereo at 44.1 kHz.
// Each EFFECT is a 16-bit mono 44.1 kHz PCM WAV. The mixer plays an effect at full volume with the
// mono samples copied to both channels, so while it is the only sound playing the recording holds
// its samples unchanged; a start is reported only where every sample of the effect (or all that
// the recording still holds, at least kMinimumMatch of them) appears exactly on both channels.
//
// With --tolerance N, each sample may differ from the effect's by up to N: SDL's portable sample
// converter, which the browser edition has, truncates where the x86 one rounds, so there the
// effects come out one step nearer zero.
//
// Prints one line per start found, in the order of the effects given:
//   <name> start=<sample frame> ms=<milliseconds> matched=<samples compared>
// and "<name> none" for an effect never found. Exit status 0 unless a file cannot be read.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "wav.h"

namespace {

constexpr int kRate = 44100;
constexpr std::size_t kMinimumMatch = 2048;

// The samples of a 16-bit mono 44.1 kHz PCM WAV file.
bool readEffect(const std::string& path, std::vector<std::int16_t>& samples, std::string& error) {
    wav::File file;
    if (!wav::read(path, file, error)) {
        return false;
    }
    if (file.format != 1 || file.channels != 1 || file.rate != kRate || file.bitsPerSample != 16) {
        error = path + " is not 16-bit mono 44.1 kHz PCM";
        return false;
    }
    samples = std::move(file.samples);
    return true;
}

std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

} // namespace

int main(int argc, char* argv[]) {
    int first = 1;
    int tolerance = 0;
    if (argc > 2 && std::strcmp(argv[1], "--tolerance") == 0) {
        tolerance = std::atoi(argv[2]);
        first = 3;
    }
    if (argc - first < 2 || tolerance < 0) {
        std::fprintf(stderr, "usage: %s [--tolerance N] RECORDING.raw EFFECT.wav...\n", argv[0]);
        return 2;
    }
    const auto near = [tolerance](std::int16_t played, std::int16_t expected) {
        return std::abs(static_cast<int>(played) - static_cast<int>(expected)) <= tolerance;
    };
    std::vector<std::uint8_t> raw;
    if (!wav::readBytes(argv[first], raw)) {
        std::fprintf(stderr, "find_sound: cannot read %s\n", argv[first]);
        return 2;
    }
    const std::size_t frames = raw.size() / 4;
    std::vector<std::int16_t> left(frames), right(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        left[i] = wav::sample(&raw[4 * i]);
        right[i] = wav::sample(&raw[4 * i + 2]);
    }

    for (int arg = first + 1; arg < argc; ++arg) {
        std::vector<std::int16_t> effect;
        std::string error;
        if (!readEffect(argv[arg], effect, error)) {
            std::fprintf(stderr, "find_sound: %s\n", error.c_str());
            return 2;
        }
        const std::string name = baseName(argv[arg]);
        // Candidates are anchored on the effect's first non-zero sample, so silence never matches.
        std::size_t anchor = 0;
        while (anchor < effect.size() && effect[anchor] == 0) {
            ++anchor;
        }
        if (anchor == effect.size()) {
            std::fprintf(stderr, "find_sound: %s is silent\n", argv[arg]);
            return 2;
        }
        const std::size_t needed = std::min(effect.size(), kMinimumMatch);
        bool found = false;
        for (std::size_t start = 0; start + needed <= frames;) {
            const std::size_t a = start + anchor;
            if (a >= frames || !near(left[a], effect[anchor]) || !near(right[a], effect[anchor])) {
                ++start;
                continue;
            }
            const std::size_t length = std::min(effect.size(), frames - start);
            std::size_t k = 0;
            while (k < length && near(left[start + k], effect[k]) &&
                   near(right[start + k], effect[k])) {
                ++k;
            }
            if (k == length && length >= needed) {
                std::printf("%s start=%zu ms=%.1f matched=%zu\n", name.c_str(), start,
                            1000.0 * static_cast<double>(start) / kRate, length);
                found = true;
                start += length;
            } else {
                ++start;
            }
        }
        if (!found) {
            std::printf("%s none\n", name.c_str());
        }
    }
    return 0;
}
