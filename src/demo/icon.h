#pragma once
// ICON: the program's mark for the desktop, made from the built-in logo: its two halves
// stacked ("VORT" over "7131", each with its rules) on a black plate with rounded corners,
// ICON_MASTER x ICON_MASTER logo pixels, each icon pixel the mean of the master area it
// covers. The window shows it (ICON_WINDOW); tools/icon writes it for the larger desktop
// sizes (the smallest are drawn by hand there, as a simplified mark).
#include <cstdint>
#include <span>

#include "image/img.h"

constexpr int32_t ICON_MASTER = 192;  // the plate's side, in logo pixels
constexpr int32_t ICON_WINDOW = 64;   // the window icon's side

// side x side pixels 0xAARRGGBB (straight alpha, 0 outside the plate) into argb, from a
// 256-wide logo at least 110 rows high; side 1..ICON_MASTER. False, argb untouched, otherwise.
bool icon_from_logo(const Img* logo, int32_t side, std::span<uint32_t> argb);
