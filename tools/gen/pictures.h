#pragma once
// The pictures of the status display and the splash.
#include "glyphs.h"
#include "image.h"

constexpr Rgb kLcdPanel{140, 165, 132};
constexpr Rgb kLcdUnlit{120, 160, 120};
constexpr Rgb kLcdInk{0, 0, 0};

// 256 cells of 6x9 side by side: the 5x8 dots and a spacing column and row.
Image drawGlyphStrip(const GlyphFont& font);
// The surface the display draws its cells into; only its top-left 245x75 show.
Image drawDisplayBackground();
// 200x120; the bottom strip holding (3,98)-(197,118) stays plain for the text
// drawn there at run time.
Image drawSplash(const GlyphFont& font);
