// Format sanity checks for the audio files in res/: the WAV headers describe 16-bit mono PCM at
// 44100 Hz, sounds start and end silently and have the intended lengths, and the MIDI file is a
// well-formed single-track Standard MIDI File of a few seconds.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "wav.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes read_file(const std::string& name) {
    std::ifstream file(std::string(QUORVIX_RES_DIR) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::uint32_t be16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>((b.at(at) << 8) | b.at(at + 1));
}
std::uint32_t be32(const Bytes& b, std::size_t at) {
    return (be16(b, at) << 16) | be16(b, at + 2);
}
std::string tag(const Bytes& b, std::size_t at) {
    return std::string(b.begin() + static_cast<std::ptrdiff_t>(at),
                       b.begin() + static_cast<std::ptrdiff_t>(at + 4));
}

struct WavCase {
    const char* name;
    double min_ms;
    double max_ms;
};

constexpr WavCase kWavCases[] = {
    {"snd00.wav", 40.0, 120.0},  // wall hit
    {"snd01.wav", 40.0, 120.0},  // paddle hit
    {"snd02.wav", 250.0, 500.0}, // point lost
};

constexpr int kEdgeTolerance = 4; // first/last sample must be this close to silence

TEST(MediaFormats, WavFiles) {
    for (const WavCase& c : kWavCases) {
        SCOPED_TRACE(c.name);
        wav::File f;
        std::string error;
        ASSERT_TRUE(wav::read(std::string(QUORVIX_RES_DIR) + "/" + c.name, f, error)) << error;
        EXPECT_EQ(f.riffSize, f.bytes - 8);
        // The plain 44-byte header: a 16-byte PCM format chunk, then the data to the end.
        ASSERT_EQ(f.chunks.size(), 2u);
        EXPECT_EQ(f.chunks[0].id, "fmt ");
        EXPECT_EQ(f.chunks[0].size, 16u);
        EXPECT_EQ(f.chunks[1].id, "data");
        ASSERT_EQ(f.chunks[1].size, f.bytes - 44);
        ASSERT_EQ(f.chunks[1].size % 2, 0u);
        EXPECT_EQ(f.format, 1u);   // PCM
        EXPECT_EQ(f.channels, 1u); // mono
        EXPECT_EQ(f.rate, 44100u); // sample rate
        EXPECT_EQ(f.byteRate, 88200u);
        EXPECT_EQ(f.blockAlign, 2u);
        EXPECT_EQ(f.bitsPerSample, 16u);
        ASSERT_FALSE(f.samples.empty());

        const double ms = 1000.0 * static_cast<double>(f.samples.size()) / 44100.0;
        EXPECT_GE(ms, c.min_ms);
        EXPECT_LE(ms, c.max_ms);
        EXPECT_LE(std::abs(f.samples.front()), kEdgeTolerance);
        EXPECT_LE(std::abs(f.samples.back()), kEdgeTolerance);
    }
}

// Reads a MIDI variable-length quantity at `pos` and advances past it.
std::uint32_t read_vlq(const Bytes& b, std::size_t& pos) {
    std::uint32_t value = 0;
    std::uint8_t byte = 0;
    do {
        byte = b.at(pos++);
        value = (value << 7) | (byte & 0x7Fu);
    } while ((byte & 0x80u) != 0);
    return value;
}

TEST(MediaFormats, MidiFile) {
    const Bytes b = read_file("mus00.mid");
    ASSERT_GE(b.size(), 26u);
    EXPECT_EQ(tag(b, 0), "MThd");
    EXPECT_EQ(be32(b, 4), 6u);
    const std::uint32_t format = be16(b, 8);
    EXPECT_TRUE(format == 0 || format == 1);
    EXPECT_EQ(be16(b, 10), 1u); // one track
    const std::uint32_t division = be16(b, 12);
    ASSERT_TRUE(division > 0 && division < 0x8000u); // ticks per quarter note
    ASSERT_EQ(tag(b, 14), "MTrk");
    ASSERT_EQ(be32(b, 18), b.size() - 22);
    EXPECT_EQ(b[b.size() - 3], 0xFFu);
    EXPECT_EQ(b[b.size() - 2], 0x2Fu);
    EXPECT_EQ(b[b.size() - 1], 0x00u);

    // Walk the events to total the track length and count notes. The file uses no running
    // status and only note, program-change and meta events.
    std::size_t pos = 22;
    std::uint64_t ticks = 0;
    std::uint32_t tempo = 500000; // MIDI default, microseconds per quarter note
    int notes_on = 0;
    bool ended = false;
    while (!ended) {
        ASSERT_LT(pos, b.size());
        ticks += read_vlq(b, pos);
        const std::uint8_t status = b.at(pos++);
        if (status == 0xFF) {
            const std::uint8_t type = b.at(pos++);
            const std::uint32_t len = read_vlq(b, pos);
            if (type == 0x51) {
                ASSERT_EQ(len, 3u);
                tempo = (static_cast<std::uint32_t>(b.at(pos)) << 16) | be16(b, pos + 1);
            }
            ended = type == 0x2F;
            pos += len;
        } else if ((status & 0xF0u) == 0xC0u) {
            pos += 1;
        } else {
            ASSERT_TRUE((status & 0xF0u) == 0x80u || (status & 0xF0u) == 0x90u) << int{status};
            notes_on += ((status & 0xF0u) == 0x90u && b.at(pos + 1) > 0) ? 1 : 0;
            pos += 2;
        }
    }
    EXPECT_EQ(pos, b.size()); // end-of-track is the last event
    EXPECT_GT(notes_on, 0);
    const double seconds = static_cast<double>(ticks) * tempo / division / 1e6;
    EXPECT_GE(seconds, 3.0);
    EXPECT_LE(seconds, 5.0);
}

} // namespace
