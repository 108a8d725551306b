// Reading WAV files in the tests and their helper programs: the RIFF chunks in file order, the
// fields of the format chunk and the data chunk's 16-bit little-endian samples. Which formats are
// acceptable is for the caller to say. Plain C++17, so that the helpers also build for Node.js.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace wav {

inline bool readBytes(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

inline std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

inline std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(le16(p)) | static_cast<std::uint32_t>(le16(p + 2)) << 16;
}

inline std::int16_t sample(const std::uint8_t* p) {
    return static_cast<std::int16_t>(le16(p));
}

struct Chunk {
    std::string id;
    std::uint32_t size = 0;
};

struct File {
    std::size_t bytes = 0;      // size of the whole file
    std::uint32_t riffSize = 0; // as the RIFF header gives it
    std::vector<Chunk> chunks;  // every whole chunk after the header
    std::uint16_t format = 0;   // 1 for PCM
    std::uint16_t channels = 0;
    std::uint32_t rate = 0; // sample frames per second
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::vector<std::int16_t> samples; // of the first data chunk after the format chunk
};

// Reads path into file. Fails, saying why in error, when the file cannot be read, is not a RIFF
// WAVE file, or has no format chunk followed by a data chunk.
inline bool read(const std::string& path, File& file, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!readBytes(path, bytes)) {
        error = "cannot read " + path;
        return false;
    }
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        error = path + " is not a RIFF WAVE file";
        return false;
    }
    file = File{};
    file.bytes = bytes.size();
    file.riffSize = le32(bytes.data() + 4);
    bool formatSeen = false;
    bool dataSeen = false;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::uint8_t* chunk = bytes.data() + at;
        const std::uint32_t size = le32(chunk + 4);
        if (size > bytes.size() - at - 8) {
            break;
        }
        file.chunks.push_back({std::string(chunk, chunk + 4), size});
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16 && !formatSeen) {
            file.format = le16(chunk + 8);
            file.channels = le16(chunk + 10);
            file.rate = le32(chunk + 12);
            file.byteRate = le32(chunk + 16);
            file.blockAlign = le16(chunk + 20);
            file.bitsPerSample = le16(chunk + 22);
            formatSeen = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && formatSeen && !dataSeen) {
            file.samples.resize(size / 2);
            for (std::size_t i = 0; i < file.samples.size(); ++i) {
                file.samples[i] = sample(chunk + 8 + 2 * i);
            }
            dataSeen = true;
        }
        at += 8 + std::size_t{size} + (size & 1);
    }
    if (!dataSeen) {
        error = path + " has no format and data chunks";
        return false;
    }
    return true;
}

} // namespace wav
