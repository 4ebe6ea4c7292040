// The load anchors: one empty function under one exported name per row of
// the catalogue. A client that refers to any of them has the library loaded,
// and with it the units' registrations; the library never calls them.
#include "ja_catalogue.hpp"

extern "C" __attribute__((visibility("hidden"), used)) void stamvik_force_load() noexcept {}

#define JA_ANCHOR(Area, Class, ...) \
  extern "C" __attribute__((visibility("default"), alias("stamvik_force_load"))) void XJA_##Class##_force_load() noexcept;

JA_CATALOGUE(JA_ANCHOR, JA_ANCHOR, JA_ANCHOR)
