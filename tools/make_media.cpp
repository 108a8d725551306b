// Deterministic generator for Quorvix's audio assets.
//
// Usage: quorvix_make_media <output-directory>
//
// Writes exactly four files into the output directory:
//   mus00.mid  victory fanfare (Standard MIDI File, format 0)
//   snd00.wav  wall hit   (short tone around C5)
//   snd01.wav  paddle hit (short, brighter tone around G5)
//   snd02.wav  point lost (tone gliding down one octave, A4 -> A3)
//
// Everything is computed from the constant tables below with double-precision math and
// rounded with std::lround, and no clock or random source is consulted, so repeated runs
// produce identical bytes. The committed files in res/ are the output of this program and a
// test checks that they stay in sync.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// ---------------------------------------------------------------------------------------------
// Byte writers. Every multi-byte value is written explicitly in the byte order the file format
// requires (WAV is little-endian, MIDI is big-endian), independent of the host's byte order.
// ---------------------------------------------------------------------------------------------

void put_u8(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
}

void put_u16_le(Bytes& out, std::uint32_t value) {
    put_u8(out, value);
    put_u8(out, value >> 8);
}

void put_u32_le(Bytes& out, std::uint32_t value) {
    put_u16_le(out, value);
    put_u16_le(out, value >> 16);
}

void put_u16_be(Bytes& out, std::uint32_t value) {
    put_u8(out, value >> 8);
    put_u8(out, value);
}

void put_u32_be(Bytes& out, std::uint32_t value) {
    put_u16_be(out, value >> 16);
    put_u16_be(out, value);
}

// Four-character chunk identifiers such as "RIFF" or "MThd".
void put_tag(Bytes& out, const char (&tag)[5]) {
    for (std::size_t i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(tag[i]));
    }
}

// MIDI variable-length quantity: 7 bits per byte, most significant group first, with the high
// bit set on every byte except the last.
void put_vlq(Bytes& out, std::uint32_t value) {
    std::array<std::uint8_t, 5> groups{};
    std::size_t count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7Fu);
        value >>= 7;
    } while (value != 0);
    while (count > 1) {
        --count;
        out.push_back(static_cast<std::uint8_t>(groups[count] | 0x80u));
    }
    out.push_back(groups[0]);
}

// Writes the whole buffer in binary mode and reports any failure (open, write or close) on
// stderr. Returns true on success.
bool write_file(const std::filesystem::path& path, const Bytes& data) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        std::fprintf(stderr, "make_media: cannot open '%s' for writing\n", path.string().c_str());
        return false;
    }
    file.write(reinterpret_cast<const char*>(data.data()),
               static_cast<std::streamsize>(data.size()));
    if (!file) {
        std::fprintf(stderr, "make_media: failed writing %zu bytes to '%s'\n", data.size(),
                     path.string().c_str());
        return false;
    }
    file.close();
    if (!file) {
        std::fprintf(stderr, "make_media: failed to close '%s'\n", path.string().c_str());
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Sound effects
// ---------------------------------------------------------------------------------------------

constexpr std::uint32_t kSampleRate = 44100;
constexpr std::uint32_t kBitsPerSample = 16;
constexpr std::uint32_t kChannels = 1;
constexpr double kPi = 3.14159265358979323846;

// Every effect is normalised so that its loudest sample sits at half of full scale, leaving
// headroom for several effects (and the music) mixing at once.
constexpr double kPeakFraction = 0.5;
constexpr double kFullScale = 32767.0;

// One sound effect: a tone whose pitch moves exponentially from start_hz to end_hz (equal for a
// steady tone), built from a fundamental plus optional 2nd and 3rd harmonics, shaped by a short
// raised-cosine fade-in, an exponential decay and a raised-cosine fade-out that ends exactly at
// zero so the sound starts and stops without a click.
struct ToneParams {
    const char* file_name;
    double duration_ms;
    double start_hz;
    double end_hz;
    double second_harmonic; // amplitude relative to the fundamental
    double third_harmonic;  // amplitude relative to the fundamental
    double attack_ms;       // fade-in length
    double decay_ms;        // time constant of the exponential decay
    double release_ms;      // fade-out length at the very end
};

constexpr std::array<ToneParams, 3> kTones{{
    // Wall hit: short, soft C5 (523.25 Hz) with a hint of 2nd harmonic.
    {"snd00.wav", 80.0, 523.25, 523.25, 0.15, 0.00, 2.0, 30.0, 10.0},
    // Paddle hit: shorter, brighter G5 (783.99 Hz) with stronger overtones.
    {"snd01.wav", 70.0, 783.99, 783.99, 0.35, 0.15, 2.0, 25.0, 10.0},
    // Point lost: a slower tone sliding down an octave from A4 (440 Hz) to A3 (220 Hz).
    {"snd02.wav", 400.0, 440.0, 220.0, 0.20, 0.05, 3.0, 250.0, 40.0},
}};

std::size_t ms_to_samples(double ms) {
    return static_cast<std::size_t>(std::lround(ms * static_cast<double>(kSampleRate) / 1000.0));
}

// Raised-cosine ramp from 0 (x = 0) to 1 (x = 1); its zero slope at both ends avoids clicks.
double smooth_ramp(double x) {
    return 0.5 - 0.5 * std::cos(kPi * x);
}

std::vector<std::int16_t> synthesize(const ToneParams& tone) {
    const std::size_t count = ms_to_samples(tone.duration_ms);
    const std::size_t attack = std::max<std::size_t>(ms_to_samples(tone.attack_ms), 1);
    const std::size_t release = std::max<std::size_t>(ms_to_samples(tone.release_ms), 2);
    const double rate = static_cast<double>(kSampleRate);
    const double duration_s = static_cast<double>(count) / rate;
    const double glide_ratio = tone.end_hz / tone.start_hz;

    std::vector<double> wave(count);
    double phase = 0.0; // radians; accumulated so that pitch glides stay continuous
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;

        double envelope = std::exp(-1000.0 * t / tone.decay_ms);
        if (i < attack) {
            envelope *= smooth_ramp(static_cast<double>(i) / static_cast<double>(attack));
        }
        const std::size_t from_end = count - 1 - i; // 0 on the last sample
        if (from_end < release) {
            envelope *=
                smooth_ramp(static_cast<double>(from_end) / static_cast<double>(release - 1));
        }

        wave[i] = envelope * (std::sin(phase) + tone.second_harmonic * std::sin(2.0 * phase) +
                              tone.third_harmonic * std::sin(3.0 * phase));

        const double hz = tone.start_hz * std::pow(glide_ratio, t / duration_s);
        phase = std::fmod(phase + 2.0 * kPi * hz / rate, 2.0 * kPi);
    }

    double peak = 0.0;
    for (const double v : wave) {
        peak = std::max(peak, std::fabs(v));
    }
    const double gain = peak > 0.0 ? kPeakFraction * kFullScale / peak : 0.0;

    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<std::int16_t>(std::lround(wave[i] * gain));
    }
    return samples;
}

// Canonical 44-byte RIFF/WAVE header ("fmt " chunk with PCM format tag 1) followed by the
// samples as signed 16-bit little-endian integers.
Bytes encode_wav(const std::vector<std::int16_t>& samples) {
    const std::uint32_t block_align = kChannels * kBitsPerSample / 8;
    const auto data_size = static_cast<std::uint32_t>(samples.size() * block_align);

    Bytes out;
    out.reserve(44 + data_size);
    put_tag(out, "RIFF");
    put_u32_le(out, 36 + data_size); // size of everything after this field
    put_tag(out, "WAVE");
    put_tag(out, "fmt ");
    put_u32_le(out, 16); // fmt chunk size for plain PCM
    put_u16_le(out, 1);  // format tag: PCM
    put_u16_le(out, kChannels);
    put_u32_le(out, kSampleRate);
    put_u32_le(out, kSampleRate * block_align); // bytes per second
    put_u16_le(out, block_align);
    put_u16_le(out, kBitsPerSample);
    put_tag(out, "data");
    put_u32_le(out, data_size);
    for (const std::int16_t s : samples) {
        // Two's-complement bit pattern of the sample, written low byte first.
        put_u16_le(out, static_cast<std::uint16_t>(s));
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Victory fanfare
// ---------------------------------------------------------------------------------------------

constexpr std::uint32_t kTicksPerQuarter = 480;
constexpr std::uint32_t kMicrosecondsPerQuarter = 500000;     // 120 beats per minute
constexpr std::uint32_t kTrackEndTick = 8 * kTicksPerQuarter; // two 4/4 bars = 4.0 seconds

constexpr std::uint8_t kMelodyChannel = 0;
constexpr std::uint8_t kHarmonyChannel = 1;
constexpr std::uint8_t kTrumpetProgram = 56;      // General MIDI "Trumpet" (0-based)
constexpr std::uint8_t kBrassSectionProgram = 61; // General MIDI "Brass Section" (0-based)

struct ChannelProgram {
    std::uint8_t channel;
    std::uint8_t program;
};

constexpr std::array<ChannelProgram, 2> kPrograms{{
    {kMelodyChannel, kTrumpetProgram},
    {kHarmonyChannel, kBrassSectionProgram},
}};

struct Note {
    std::uint32_t start;  // ticks from the beginning of the track
    std::uint32_t length; // ticks until the note is released
    std::uint8_t channel;
    std::uint8_t key; // MIDI key number, 60 = middle C
    std::uint8_t velocity;
};

// Key numbers used by the fanfare.
constexpr std::uint8_t C3 = 48, G3 = 55, B3 = 59, C4 = 60, D4 = 62, E4 = 64, G4 = 67, C5 = 72,
                       E5 = 76, G5 = 79, C6 = 84;

// A C-major fanfare at 120 bpm: a triplet pickup on G4 leading to C5, a triplet on E5 leading
// to G5, a quick E5-G5 and a held top C6 over a full C-major chord. The trumpet carries the
// tune; the brass section underpins the accented beats.
constexpr std::array<Note, 23> kFanfare{{
    // Beat 1: triplet pickup.
    {0, 120, kMelodyChannel, G4, 96},
    {160, 120, kMelodyChannel, G4, 96},
    {320, 120, kMelodyChannel, G4, 96},
    // Beat 2: C5 over a C-major chord.
    {480, 420, kMelodyChannel, C5, 112},
    {480, 420, kHarmonyChannel, C4, 84},
    {480, 420, kHarmonyChannel, E4, 84},
    {480, 420, kHarmonyChannel, G4, 84},
    // Beat 3: triplet on E5.
    {960, 120, kMelodyChannel, E5, 100},
    {1120, 120, kMelodyChannel, E5, 100},
    {1280, 120, kMelodyChannel, E5, 100},
    // Beat 4: G5 over a G-major chord.
    {1440, 420, kMelodyChannel, G5, 116},
    {1440, 420, kHarmonyChannel, G3, 88},
    {1440, 420, kHarmonyChannel, B3, 88},
    {1440, 420, kHarmonyChannel, D4, 88},
    // Beat 5: two eighths climbing back up.
    {1920, 200, kMelodyChannel, E5, 104},
    {2160, 200, kMelodyChannel, G5, 108},
    // Beats 6-8: held C6 over a C-major chord with the bass an octave below.
    {2400, 1320, kMelodyChannel, C6, 124},
    {2400, 1320, kMelodyChannel, G5, 96},
    {2400, 1320, kHarmonyChannel, C3, 92},
    {2400, 1320, kHarmonyChannel, C4, 92},
    {2400, 1320, kHarmonyChannel, E4, 92},
    {2400, 1320, kHarmonyChannel, G4, 92},
    {2400, 1320, kHarmonyChannel, C5, 92},
}};

struct MidiEvent {
    std::uint32_t tick;
    bool note_on;
    std::uint8_t channel;
    std::uint8_t key;
    std::uint8_t velocity;
};

Bytes encode_fanfare() {
    std::vector<MidiEvent> events;
    events.reserve(kFanfare.size() * 2);
    for (const Note& n : kFanfare) {
        events.push_back({n.start, true, n.channel, n.key, n.velocity});
        events.push_back({n.start + n.length, false, n.channel, n.key, 64});
    }
    // Chronological order; at equal ticks releases come before new notes so a repeated key is
    // re-struck. stable_sort keeps the table order otherwise, which keeps the output fixed.
    std::stable_sort(events.begin(), events.end(), [](const MidiEvent& a, const MidiEvent& b) {
        if (a.tick != b.tick) {
            return a.tick < b.tick;
        }
        return !a.note_on && b.note_on;
    });

    Bytes track;
    // Tempo meta event: FF 51 03 followed by microseconds per quarter note (24-bit).
    put_vlq(track, 0);
    put_u8(track, 0xFF);
    put_u8(track, 0x51);
    put_u8(track, 0x03);
    put_u8(track, kMicrosecondsPerQuarter >> 16);
    put_u8(track, kMicrosecondsPerQuarter >> 8);
    put_u8(track, kMicrosecondsPerQuarter);
    // Time signature meta event: 4/4, 24 MIDI clocks per click, 8 32nds per quarter.
    put_vlq(track, 0);
    for (const std::uint32_t b : {0xFFu, 0x58u, 0x04u, 0x04u, 0x02u, 0x18u, 0x08u}) {
        put_u8(track, b);
    }
    for (const ChannelProgram& p : kPrograms) {
        put_vlq(track, 0);
        put_u8(track, 0xC0u | p.channel);
        put_u8(track, p.program);
    }

    std::uint32_t now = 0;
    for (const MidiEvent& e : events) {
        put_vlq(track, e.tick - now);
        now = e.tick;
        put_u8(track, (e.note_on ? 0x90u : 0x80u) | e.channel);
        put_u8(track, e.key);
        put_u8(track, e.velocity);
    }

    // End of track, placed at the end of the last bar so the final chord can ring out.
    put_vlq(track, kTrackEndTick > now ? kTrackEndTick - now : 0);
    put_u8(track, 0xFF);
    put_u8(track, 0x2F);
    put_u8(track, 0x00);

    Bytes out;
    put_tag(out, "MThd");
    put_u32_be(out, 6); // header length
    put_u16_be(out, 0); // format 0: a single multi-channel track
    put_u16_be(out, 1); // number of tracks
    put_u16_be(out, kTicksPerQuarter);
    put_tag(out, "MTrk");
    put_u32_be(out, static_cast<std::uint32_t>(track.size()));
    out.insert(out.end(), track.begin(), track.end());
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output-directory>\n", argc > 0 ? argv[0] : "make_media");
        return 2;
    }
    const std::filesystem::path out_dir = argv[1];

    std::error_code ec;
    std::filesystem::create_directories(out_dir, ec);
    if (ec) {
        std::fprintf(stderr, "make_media: cannot create directory '%s': %s\n",
                     out_dir.string().c_str(), ec.message().c_str());
        return 1;
    }

    if (!write_file(out_dir / "mus00.mid", encode_fanfare())) {
        return 1;
    }
    for (const ToneParams& tone : kTones) {
        if (!write_file(out_dir / tone.file_name, encode_wav(synthesize(tone)))) {
            return 1;
        }
    }
    return 0;
}
