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
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr std::size_t kMinimumMatch = 2048;

bool readFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::int16_t sample(const std::uint8_t* p) {
    return static_cast<std::int16_t>(le16(p));
}

// The samples of a 16-bit mono 44.1 kHz PCM WAV file.
bool readWav(const std::string& path, std::vector<std::int16_t>& samples, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!readFile(path, bytes)) {
        error = "cannot read " + path;
        return false;
    }
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        error = path + " is not a RIFF WAVE file";
        return false;
    }
    bool formatSeen = false;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::uint8_t* chunk = bytes.data() + at;
        const std::size_t size = le32(chunk + 4);
        if (size > bytes.size() - at - 8) {
            break;
        }
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
            if (le16(chunk + 8) != 1 || le16(chunk + 10) != 1 || le32(chunk + 12) != kRate ||
                le16(chunk + 22) != 16) {
                error = path + " is not 16-bit mono 44.1 kHz PCM";
                return false;
            }
            formatSeen = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && formatSeen) {
            samples.resize(size / 2);
            for (std::size_t i = 0; i < samples.size(); ++i) {
                samples[i] = sample(chunk + 8 + 2 * i);
            }
            return true;
        }
        at += 8 + size + (size & 1);
    }
    error = path + " has no format and data chunks";
    return false;
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
    if (!readFile(argv[first], raw)) {
        std::fprintf(stderr, "find_sound: cannot read %s\n", argv[first]);
        return 2;
    }
    const std::size_t frames = raw.size() / 4;
    std::vector<std::int16_t> left(frames), right(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        left[i] = sample(&raw[4 * i]);
        right[i] = sample(&raw[4 * i + 2]);
    }

    for (int arg = first + 1; arg < argc; ++arg) {
        std::vector<std::int16_t> effect;
        std::string error;
        if (!readWav(argv[arg], effect, error)) {
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
