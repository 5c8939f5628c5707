#pragma once
// One pass of the downsizer: the picture brought to the pass's width and height, then
// encoded at the pass's quality factor. ConvertToJpeg and DownSize both go through here, so a
// pass run from pixels kept in memory gives the very bytes a pass run from the file gives.
#include <cstdint>
#include <vector>

#include "downsize/jpeg_codec.h"
#include "downsize/pixel_pyramid.h"
#include "downsize/pixels.h"

namespace lumbra {

inline constexpr int kBestFactor = 2;
inline constexpr int kSmallestFactor = 255;

// Quality factor (2 best .. 255 smallest) to JPEG quality (100 .. 1), linear and rounded:
// quality = 100 - round((factor - 2) * 99 / 253). A higher factor never gives a higher
// quality, so never finer quantisation tables.
int JpegQualityOfFactor(int factor);

// A size other than the source's is reached with a Mitchell filter (soft enough not to ring,
// which also keeps the file small), from the picture's smallest halving still at least that
// size (downsize/pixel_pyramid.h). Status -13 for a factor outside 2..255, -11 for a size no JPEG can have.
Decoded<std::vector<std::uint8_t>> EncodePass(JpegEncoder& encoder, const PixelPyramid& picture,
                                              int width, int height, int factor);

}  // namespace lumbra
