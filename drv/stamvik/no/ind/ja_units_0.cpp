// A quarter of the builders' and collections' units and owners: the catalogue rows
// ja_unit_source.hpp gives source 0.
#define JA_UNITS_SOURCE 0
#include "ja_unit_source.hpp"
