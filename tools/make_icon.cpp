// Deterministic generator for Quorvix's desktop icon.
//
// Usage: quorvix_make_icon <output-directory>
//
// Writes two pictures of the same court, 48 x 48: quorvix.svg (scalable) and quorvix.png (RGBA),
// a black rounded square with a dashed white centre line, a seven-segment score, the computer's
// upright paddle outline on the right, the player's tilted paddle outline on the left and the
// square ball outline.
//
// Every white mark is a filled box (centre, direction, half-length, half-width), so one list of
// shapes makes both files: the SVG lists each box as a polygon, the PNG samples each pixel on a
// 4 x 4 grid. The tilted paddle turns by the 3-4-5 triangle (about 37 degrees), so every
// coordinate is an integer number of 1/40 pixel and no floating point is used anywhere: the output
// is the same bytes on every run and every machine. The PNG is written byte by byte with stored
// (uncompressed) deflate blocks, CRC-32 and Adler-32.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kSize = 48;        // pixels each way
constexpr int kUnit = 40;        // geometry units per pixel
constexpr int kSamples = 4;      // samples per pixel each way
constexpr int kBackground0 = 2;  // the rounded square spans [2, 46) in both directions
constexpr int kBackground1 = 46; //
constexpr int kCornerRadius = 7; // pixels

// A filled box: centre (cx, cy), long axis along (ux, uy) / norm, in geometry units.
struct Box {
    int cx, cy;
    int ux, uy, norm;
    int half_length, half_width;
};

// The axis-aligned box covering pixel columns [x0, x1) and rows [y0, y1).
Box pixel_rect(int x0, int y0, int x1, int y1) {
    return Box{(x0 + x1) * kUnit / 2, (y0 + y1) * kUnit / 2, 1, 0, 1,
               (x1 - x0) * kUnit / 2, (y1 - y0) * kUnit / 2};
}

// The outline of the box outer (thickness `stroke` units) as four boxes.
void add_outline(std::vector<Box>& boxes, const Box& outer, int stroke) {
    const int n = outer.norm;
    const int along = outer.half_length - stroke / 2; // centre of the two short sides
    const int across = outer.half_width - stroke / 2; // centre of the two long sides
    for (int sign : {-1, 1}) {
        boxes.push_back(Box{outer.cx + sign * along * outer.ux / n,
                            outer.cy + sign * along * outer.uy / n, -outer.uy, outer.ux, n,
                            outer.half_width, stroke / 2});
        boxes.push_back(Box{outer.cx - sign * across * outer.uy / n,
                            outer.cy + sign * across * outer.ux / n, outer.ux, outer.uy, n,
                            outer.half_length, stroke / 2});
    }
}

// A seven-segment digit, 6 x 10 pixels with 2-pixel strokes, its top left corner at (x, y).
void add_digit(std::vector<Box>& boxes, int digit, int x, int y) {
    // Segments a b c d e f g, as bits 0 to 6.
    static constexpr std::array<unsigned, 10> kSegments = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                                           0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const std::array<Box, 7> segment = {
        pixel_rect(x, y, x + 6, y + 2),          // a
        pixel_rect(x + 4, y, x + 6, y + 6),      // b
        pixel_rect(x + 4, y + 4, x + 6, y + 10), // c
        pixel_rect(x, y + 8, x + 6, y + 10),     // d
        pixel_rect(x, y + 4, x + 2, y + 10),     // e
        pixel_rect(x, y, x + 2, y + 6),          // f
        pixel_rect(x, y + 4, x + 6, y + 6),      // g
    };
    for (std::size_t i = 0; i < segment.size(); ++i) {
        if ((kSegments[static_cast<std::size_t>(digit)] >> i) & 1u) {
            boxes.push_back(segment[i]);
        }
    }
}

std::vector<Box> white_marks() {
    std::vector<Box> boxes;
    for (int y = 18; y < 42; y += 5) {
        boxes.push_back(pixel_rect(23, y, 25, y + 3)); // centre line
    }
    add_digit(boxes, 2, 14, 5);
    add_digit(boxes, 1, 28, 5);
    add_outline(boxes, pixel_rect(38, 20, 42, 34), kUnit);       // computer's paddle
    add_outline(boxes, pixel_rect(29, 30, 34, 35), kUnit);       // ball
    add_outline(boxes, Box{400, 1080, 3, 4, 5, 280, 80}, kUnit); // player's paddle, tilted
    return boxes;
}

bool inside(const Box& box, int x, int y) {
    const long dx = x - box.cx;
    const long dy = y - box.cy;
    const long along = dx * box.ux + dy * box.uy;
    const long across = dy * box.ux - dx * box.uy;
    return std::labs(along) <= static_cast<long>(box.half_length) * box.norm &&
           std::labs(across) <= static_cast<long>(box.half_width) * box.norm;
}

bool inside_background(int x, int y) {
    const int lo = kBackground0 * kUnit;
    const int hi = kBackground1 * kUnit;
    const int r = kCornerRadius * kUnit;
    if (x < lo || x >= hi || y < lo || y >= hi) {
        return false;
    }
    const long dx = x - std::clamp(x, lo + r, hi - r);
    const long dy = y - std::clamp(y, lo + r, hi - r);
    return dx * dx + dy * dy <= static_cast<long>(r) * r;
}

// ---------------------------------------------------------------------------------------------
// SVG
// ---------------------------------------------------------------------------------------------

// A coordinate in geometry units as an exact decimal number of pixels.
std::string pixels(int units) {
    std::string text = units < 0 ? "-" : "";
    const int magnitude = std::abs(units);
    text += std::to_string(magnitude / kUnit);
    int thousandths = magnitude % kUnit * (1000 / kUnit);
    if (thousandths != 0) {
        text += '.';
        for (int place = 100; place > 0 && thousandths != 0; place /= 10) {
            text += static_cast<char>('0' + thousandths / place);
            thousandths %= place;
        }
    }
    return text;
}

std::string encode_svg(const std::vector<Box>& boxes) {
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"48\" height=\"48\" "
                      "viewBox=\"0 0 48 48\">\n"
                      "  <title>Quorvix</title>\n";
    const int side = kBackground1 - kBackground0;
    svg += "  <rect x=\"" + std::to_string(kBackground0) + "\" y=\"" +
           std::to_string(kBackground0) + "\" width=\"" + std::to_string(side) + "\" height=\"" +
           std::to_string(side) + "\" rx=\"" + std::to_string(kCornerRadius) +
           "\" fill=\"#000000\"/>\n";
    svg += "  <g fill=\"#ffffff\">\n";
    for (const Box& b : boxes) {
        const int lx = b.half_length * b.ux / b.norm;
        const int ly = b.half_length * b.uy / b.norm;
        const int wx = -b.half_width * b.uy / b.norm;
        const int wy = b.half_width * b.ux / b.norm;
        const std::array<int, 4> sx = {-1, 1, 1, -1};
        const std::array<int, 4> sw = {-1, -1, 1, 1};
        svg += "    <polygon points=\"";
        for (std::size_t i = 0; i < 4; ++i) {
            svg += (i == 0 ? "" : " ") + pixels(b.cx + sx[i] * lx + sw[i] * wx) + "," +
                   pixels(b.cy + sx[i] * ly + sw[i] * wy);
        }
        svg += "\"/>\n";
    }
    svg += "  </g>\n</svg>\n";
    return svg;
}

// ---------------------------------------------------------------------------------------------
// PNG
// ---------------------------------------------------------------------------------------------

void put_u32_be(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFFu));
    }
}

std::uint32_t crc32(const Bytes& data, std::size_t begin) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = begin; i < data.size(); ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1u) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        }
    }
    return crc ^ 0xFFFFFFFFu;
}

std::uint32_t adler32(const Bytes& data) {
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (std::uint8_t byte : data) {
        a = (a + byte) % 65521u;
        b = (b + a) % 65521u;
    }
    return (b << 16) | a;
}

void put_chunk(Bytes& png, const char* type, const Bytes& data) {
    put_u32_be(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    put_u32_be(png, crc32(png, start));
}

// Rows of RGBA pixels, each after filter type 0.
Bytes render(const std::vector<Box>& boxes) {
    Bytes rows;
    constexpr int kStep = kUnit / kSamples;
    for (int py = 0; py < kSize; ++py) {
        rows.push_back(0);
        for (int px = 0; px < kSize; ++px) {
            int background = 0;
            int white = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const int x = px * kUnit + sx * kStep + kStep / 2;
                    const int y = py * kUnit + sy * kStep + kStep / 2;
                    if (!inside_background(x, y)) {
                        continue;
                    }
                    ++background;
                    white += std::any_of(boxes.begin(), boxes.end(),
                                         [&](const Box& b) { return inside(b, x, y); })
                                 ? 1
                                 : 0;
                }
            }
            constexpr int kAll = kSamples * kSamples;
            const int grey = background == 0 ? 0 : (white * 255 + background / 2) / background;
            const int alpha = (background * 255 + kAll / 2) / kAll;
            for (int channel : {grey, grey, grey, alpha}) {
                rows.push_back(static_cast<std::uint8_t>(channel));
            }
        }
    }
    return rows;
}

Bytes encode_png(const Bytes& rows) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

    Bytes header;
    put_u32_be(header, kSize);
    put_u32_be(header, kSize);
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, filters, no interlace
    put_chunk(png, "IHDR", header);

    Bytes zlib = {0x78, 0x01};
    for (std::size_t pos = 0; pos < rows.size();) {
        const std::size_t length = std::min<std::size_t>(rows.size() - pos, 0xFFFF);
        const bool last = pos + length == rows.size();
        zlib.push_back(last ? 1 : 0); // stored block
        zlib.push_back(static_cast<std::uint8_t>(length & 0xFFu));
        zlib.push_back(static_cast<std::uint8_t>(length >> 8));
        zlib.push_back(static_cast<std::uint8_t>(~length & 0xFFu));
        zlib.push_back(static_cast<std::uint8_t>((~length >> 8) & 0xFFu));
        zlib.insert(zlib.end(), rows.begin() + static_cast<std::ptrdiff_t>(pos),
                    rows.begin() + static_cast<std::ptrdiff_t>(pos + length));
        pos += length;
    }
    put_u32_be(zlib, adler32(rows));
    put_chunk(png, "IDAT", zlib);
    put_chunk(png, "IEND", {});
    return png;
}

bool write_file(const std::filesystem::path& path, const std::string& data) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(data.data(), static_cast<std::streamsize>(data.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "make_icon: cannot write '%s'\n", path.string().c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output-directory>\n", argc > 0 ? argv[0] : "make_icon");
        return 2;
    }
    const std::filesystem::path out_dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(out_dir, ec);
    if (ec) {
        std::fprintf(stderr, "make_icon: cannot create directory '%s': %s\n",
                     out_dir.string().c_str(), ec.message().c_str());
        return 1;
    }

    const std::vector<Box> boxes = white_marks();
    const Bytes png = encode_png(render(boxes));
    if (!write_file(out_dir / "quorvix.svg", encode_svg(boxes)) ||
        !write_file(out_dir / "quorvix.png", std::string(png.begin(), png.end()))) {
        return 1;
    }
    return 0;
}
