// Decoding JPEG pictures into plain RGB pixels, and the About window's picture built into the program.
#pragma once

#include <cstddef>
#include <vector>

namespace zelt::app {

// Pixels row by row from the top, three bytes (red, green, blue) per pixel.
struct RgbImage {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
};

// Decodes a baseline or progressive JPEG (colour or grey). Damaged or truncated data, and pictures
// of absurd size, are an EngineError; the decoder never prints and never ends the program.
RgbImage decodeJpeg(const unsigned char* data, size_t size);

// The About window's picture as built into the program: JPEG bytes.
const unsigned char* aboutPictureData();
size_t aboutPictureSize();
// The same picture decoded, once, on first use.
const RgbImage& aboutPicture();

}  // namespace zelt::app
