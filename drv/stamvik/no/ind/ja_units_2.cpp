// A quarter of the builders' and collections' units and owners: the catalogue rows
// ja_unit_source.hpp gives source 2.
#define JA_UNITS_SOURCE 2
#include "ja_unit_source.hpp"
