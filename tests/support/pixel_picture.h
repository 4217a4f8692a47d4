// Pixel pictures for tests: a few lines of characters become bitmaps, and a
// failing comparison prints both pictures.
//
//   '.' transparent  '#' black  'w' white  'i' inverted
//   'r' red  'g' green  'b' blue  'y' yellow  'c' cyan  'm' magenta  '-' grey 808080
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gdi.h"

namespace kavrel::test {

// A colour bitmap from a picture; '.' reads as black, 'i' as white.
Bitmap ColorPicture(const std::vector<std::string>& rows);
// A monochrome bitmap: '#' is 0 and anything else 1.
Bitmap MonoPicture(const std::vector<std::string>& rows);
// A format's two bitmaps from a picture (mask 1 for '.' and 'i').
void ImagePicture(const std::vector<std::string>& rows, Bitmap& color, Bitmap& mask);

// The picture of a colour bitmap (unknown colours as '?'), of a mono one,
// and of a colour + mask pair.
std::vector<std::string> PictureOf(const Bitmap& bitmap);
std::vector<std::string> PictureOf(const Bitmap& color, const Bitmap& mask);

::testing::AssertionResult PictureIs(const Bitmap& bitmap, const std::vector<std::string>& expected);
::testing::AssertionResult PictureIs(const Bitmap& color, const Bitmap& mask, const std::vector<std::string>& expected);

// Alpha bitmaps (the colour bitmaps of 32-bit formats).
// A transparent colour + mask pair of a 32-bit format's kind.
void AlphaImage(int width, int height, Bitmap& color, Bitmap& mask);
// The alphas of one row.
std::vector<int> AlphaRow(const Bitmap& color, int y);
// The rule every change keeps: the mask is 1 exactly where alpha is 0, and
// the colour pixel there is 0x00000000.
::testing::AssertionResult MaskFollowsAlpha(const Bitmap& color, const Bitmap& mask);

} // namespace kavrel::test
