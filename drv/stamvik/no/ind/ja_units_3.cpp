// A quarter of the builders' and collections' units and owners: the catalogue rows
// ja_unit_source.hpp gives source 3.
#define JA_UNITS_SOURCE 3
#include "ja_unit_source.hpp"
