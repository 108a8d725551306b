// Reading binary PPM (P6, maxval 255) images, as written by the capture shim and by ImageMagick's
// `import ... ppm:file`.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // width * height * 3, rows top to bottom

    const std::uint8_t* at(int x, int y) const {
        return &rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                     static_cast<std::size_t>(x)) *
                    3];
    }
    bool isWhite(int x, int y) const {
        const std::uint8_t* p = at(x, y);
        return p[0] == 255 && p[1] == 255 && p[2] == 255;
    }
    bool isBlack(int x, int y) const {
        const std::uint8_t* p = at(x, y);
        return p[0] == 0 && p[1] == 0 && p[2] == 0;
    }
};

namespace ppm_detail {

// Next header token, skipping white space and '#' comments.
inline bool token(std::istream& in, std::string& out) {
    out.clear();
    int c = in.get();
    while (c != EOF) {
        if (c == '#') {
            while (c != EOF && c != '\n') {
                c = in.get();
            }
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            c = in.get();
        } else {
            break;
        }
    }
    while (c != EOF && c != ' ' && c != '\t' && c != '\n' && c != '\r') {
        out.push_back(static_cast<char>(c));
        c = in.get();
    }
    return !out.empty(); // the single white-space byte after maxval has been consumed
}

} // namespace ppm_detail

// Loads a P6 image; on failure returns false and says why in `error`.
inline bool readPpm(const std::string& path, Image& image, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::string magic, w, h, maxval;
    if (!ppm_detail::token(in, magic) || magic != "P6" || !ppm_detail::token(in, w) ||
        !ppm_detail::token(in, h) || !ppm_detail::token(in, maxval) || maxval != "255") {
        error = path + " is not a binary PPM with maxval 255";
        return false;
    }
    try {
        image.width = std::stoi(w);
        image.height = std::stoi(h);
    } catch (...) {
        error = path + " has a bad size";
        return false;
    }
    if (image.width <= 0 || image.height <= 0 || image.width > 16384 || image.height > 16384) {
        error = path + " has a bad size";
        return false;
    }
    image.rgb.resize(static_cast<std::size_t>(image.width) *
                     static_cast<std::size_t>(image.height) * 3);
    in.read(reinterpret_cast<char*>(image.rgb.data()),
            static_cast<std::streamsize>(image.rgb.size()));
    if (in.gcount() != static_cast<std::streamsize>(image.rgb.size())) {
        error = path + " is truncated";
        return false;
    }
    return true;
}
