// The library's exported scripting calls, declared for whoever calls them by
// name (the tests): every export of every class of the catalogue, made from
// the member tables as the units' sources make the definitions, the
// collections' enumerators and the load anchors.
#pragma once
#include "ja_catalogue.hpp"

#define JA_EACH_DESCRIPTION JA_MEMBERS(JA_EXPORT_DECLARATION)
#include "ja_catalogue_descriptions.hpp"
#undef JA_EACH_DESCRIPTION

#define JA_EXPORTS_ENUMERATOR(Name) extern "C" STAMVIK_API int XJA_##Name##_enumerate(KTX::tag_t collection, KTX::tag_t* cursor);
#define JA_EXPORTS_ENUMERATORS_1(Name) JA_EXPORTS_ENUMERATOR(Name)
#define JA_EXPORTS_ENUMERATORS_2(Name, Alias) JA_EXPORTS_ENUMERATOR(Name) JA_EXPORTS_ENUMERATOR(Alias)
#define JA_EXPORTS_ENUMERATORS_I(...) JA_CAT(JA_EXPORTS_ENUMERATORS_, JA_EXPORTS_COUNT(__VA_ARGS__), , , )(__VA_ARGS__)
#define JA_EXPORTS_COUNT_I(a, b, n, ...) n
#define JA_EXPORTS_COUNT(...) JA_EXPORTS_COUNT_I(__VA_ARGS__, 2, 1, ~)
#define JA_EXPORTS_COLLECTION(Area, Class, unit, MEMBERS, EXPORT, Enumerator, ...) \
  __VA_OPT__(JA_EXPORTS_ENUMERATORS_I(__VA_ARGS__))
JA_CATALOGUE(JA_CATALOGUE_NOTHING, JA_EXPORTS_COLLECTION, JA_CATALOGUE_NOTHING)

#define JA_EXPORTS_ANCHOR(Area, Class, ...) extern "C" STAMVIK_API void XJA_##Class##_force_load() noexcept;
JA_CATALOGUE(JA_EXPORTS_ANCHOR, JA_EXPORTS_ANCHOR, JA_EXPORTS_ANCHOR)
