// A quarter of the builders' and collections' units and owners: the catalogue rows
// ja_unit_source.hpp gives source 1.
#define JA_UNITS_SOURCE 1
#include "ja_unit_source.hpp"
