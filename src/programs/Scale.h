// The window hosts' --scale: a whole-number zoom of the 640 x 240 screen.
#pragma once
#include <cstdlib>

#include "Capacity.h"

inline bool Scale_Read(const char* text, int& scale) {
  char* end = nullptr;
  const long n = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || n < 1 || n > cap::kWindowScale) return false;
  scale = static_cast<int>(n);
  return true;
}
