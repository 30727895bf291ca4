// The host window's two texts that the application writes before it opens
// the screen: the window caption and its version banner (shown by About).
// Safe from any thread: the window thread reads what the application wrote.
#pragma once

#include <cstddef>

#include "Capacity.h"

inline constexpr std::size_t HOST_CAPTION_BYTES = cap::kHostCaption;
inline constexpr std::size_t HOST_BANNER_BYTES = cap::kHostBanner;

void HostText_SetCaption(const char* text);   // cut to fit
void HostText_SetBanner(const char* text);    // cut to fit
// Copies into out (NUL-terminated, cut to size).
void HostText_Caption(char* out, std::size_t size);
void HostText_Banner(char* out, std::size_t size);
