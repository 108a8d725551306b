// Compares a captured frame with the picture it should show, pixel for pixel.
//
//   check_frame IMAGE.ppm SHAPES.txt
//
// SHAPES lists what is drawn white on a black background, one shape a line ('#' starts a comment):
//   size W H            the image size (required)
//   line X1 Y1 X2 Y2    a horizontal or vertical line, both end points lit, clipped to the image
//   rect X Y W H        a filled rectangle, clipped to the image
//   row Y X...          single pixels of row Y (a slanted outline, as the renderer lights it)
// Every pixel must be pure black or pure white, and the white ones must be exactly the union of
// the shapes. Prints the first mismatches and a summary; exits 0 only on an exact match.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ppm.h"

namespace {

struct Expected {
    int width = 0;
    int height = 0;
    std::vector<char> white;

    void light(int x, int y) {
        if (x >= 0 && y >= 0 && x < width && y < height) {
            white[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)] = 1;
        }
    }
    bool isWhite(int x, int y) const {
        return white[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                     static_cast<std::size_t>(x)] != 0;
    }
};

bool readShapes(const std::string& path, Expected& expected, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::string text;
    int lineNumber = 0;
    while (std::getline(in, text)) {
        ++lineNumber;
        text = text.substr(0, text.find('#'));
        std::istringstream fields(text);
        std::string kind;
        if (!(fields >> kind)) {
            continue;
        }
        const std::string where = path + ":" + std::to_string(lineNumber) + ": ";
        int a = 0, b = 0, c = 0, d = 0;
        if (kind == "size") {
            if (!(fields >> a >> b) || a <= 0 || b <= 0) {
                error = where + "bad size";
                return false;
            }
            expected.width = a;
            expected.height = b;
            expected.white.assign(static_cast<std::size_t>(a) * static_cast<std::size_t>(b), 0);
            continue;
        }
        if (expected.width == 0) {
            error = where + "shape before size";
            return false;
        }
        if (kind == "row") {
            int x = 0;
            if (!(fields >> a)) {
                error = where + "expected a row number";
                return false;
            }
            while (fields >> x) {
                expected.light(x, a);
            }
            if (!fields.eof()) {
                error = where + "expected column numbers";
                return false;
            }
            continue;
        }
        if (!(fields >> a >> b >> c >> d)) {
            error = where + "expected four numbers";
            return false;
        }
        if (kind == "line") {
            if (a != c && b != d) {
                error = where + "only horizontal and vertical lines are supported";
                return false;
            }
            for (int y = std::min(b, d); y <= std::max(b, d); ++y) {
                for (int x = std::min(a, c); x <= std::max(a, c); ++x) {
                    expected.light(x, y);
                }
            }
        } else if (kind == "rect") {
            for (int y = b; y < b + d; ++y) {
                for (int x = a; x < a + c; ++x) {
                    expected.light(x, y);
                }
            }
        } else {
            error = where + "unknown shape '" + kind + "'";
            return false;
        }
    }
    if (expected.width == 0) {
        error = path + ": no size line";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IMAGE.ppm SHAPES.txt\n", argv[0]);
        return 2;
    }
    Image image;
    Expected expected;
    std::string error;
    if (!readPpm(argv[1], image, error) || !readShapes(argv[2], expected, error)) {
        std::fprintf(stderr, "check_frame: %s\n", error.c_str());
        return 2;
    }
    if (image.width != expected.width || image.height != expected.height) {
        std::printf("size mismatch: image %dx%d, expected %dx%d\n", image.width, image.height,
                    expected.width, expected.height);
        return 1;
    }

    constexpr int kReported = 20;
    long grey = 0, missing = 0, extra = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const bool want = expected.isWhite(x, y);
            const bool white = image.isWhite(x, y);
            const bool black = image.isBlack(x, y);
            const char* problem = nullptr;
            if (!white && !black) {
                problem = "neither black nor white";
                ++grey;
            } else if (want && !white) {
                problem = "black, expected white";
                ++missing;
            } else if (!want && white) {
                problem = "white, expected black";
                ++extra;
            }
            if (problem != nullptr && grey + missing + extra <= kReported) {
                const std::uint8_t* p = image.at(x, y);
                std::printf("pixel (%d,%d) = #%02x%02x%02x: %s\n", x, y, p[0], p[1], p[2], problem);
            }
        }
    }
    std::printf("%ld neither black nor white, %ld missing white, %ld unexpected white\n", grey,
                missing, extra);
    return grey + missing + extra == 0 ? 0 : 1;
}
