// Every description the catalogue names (its builders' and collections'),
// included in catalogue order, for code that reads them all: the scripting
// binding, the dialogs' previews, the declarations of the exports. No include
// guard: each inclusion walks the rows again, and where the includer has
// defined JA_EACH_DESCRIPTION, expands it after each description with
//   JA_UNIT          the row's unit namespace,
//   JA_EXPORT_CLASS  its export class,
//   JA_MEMBERS(X)    its member table expanded with X,
//   JA_ROW           the whole row, (BUILDER, columns...) or (COLLECTION, columns...),
// as the units' sources have them for their own exports. Where the includer
// has also defined JA_DESCRIBED_SELECT(n), only the rows whose position n
// (from 0, counting the builders and collections) it takes are included.
//
// The rows are walked in slots of eight by eight, the file including itself
// (a row's description can only be included by a directive of its own).
#include "ja_catalogue.hpp"

#if !defined(JA_SLOT_HIGH)

#ifndef JA_DESCRIBED_ROWS
#define JA_DESCRIBED_B(Area, Class, Namespace, unit, MEMBERS, EXPORT, ...) \
  (unit, MEMBERS, EXPORT, (BUILDER, Area, Class, Namespace, unit, MEMBERS, EXPORT, __VA_ARGS__)),
#define JA_DESCRIBED_C(Area, Class, unit, MEMBERS, EXPORT, ...) \
  (unit, MEMBERS, EXPORT, (COLLECTION, Area, Class, unit, MEMBERS, EXPORT, __VA_ARGS__)),
#define JA_DESCRIBED_ROWS JA_CATALOGUE(JA_DESCRIBED_B, JA_DESCRIBED_C, JA_CATALOGUE_NOTHING)
#define JA_DESCRIBED_ONE(...) +1
#define JA_DESCRIBED_COUNT (0 JA_CATALOGUE(JA_DESCRIBED_ONE, JA_DESCRIBED_ONE, JA_CATALOGUE_NOTHING))

// The row of slot (high, low): 8 * high + low rows dropped, then the head.
// (CALL hands a macro the list an argument expands to, not the argument.)
#define JA_DESCRIBED_CALL(m, ...) m(__VA_ARGS__)
#define JA_DESCRIBED_DROP_0(...) __VA_ARGS__
#define JA_DESCRIBED_DROP_1(_0, ...) __VA_ARGS__
#define JA_DESCRIBED_DROP_2(_0, _1, ...) __VA_ARGS__
#define JA_DESCRIBED_DROP_3(_0, _1, _2, ...) __VA_ARGS__
#define JA_DESCRIBED_DROP_4(_0, _1, _2, _3, ...) __VA_ARGS__
#define JA_DESCRIBED_DROP_5(_0, _1, _2, _3, _4, ...) __VA_ARGS__
#define JA_DESCRIBED_DROP_6(_0, _1, _2, _3, _4, _5, ...) __VA_ARGS__
#define JA_DESCRIBED_DROP_7(_0, _1, _2, _3, _4, _5, _6, ...) __VA_ARGS__
#define JA_DESCRIBED_DROP8_0(...) __VA_ARGS__
#define JA_DESCRIBED_DROP8_1(_0, _1, _2, _3, _4, _5, _6, _7, ...) __VA_ARGS__
#define JA_DESCRIBED_DROP8_2(...) JA_DESCRIBED_CALL(JA_DESCRIBED_DROP8_1, JA_DESCRIBED_DROP8_1(__VA_ARGS__))
#define JA_DESCRIBED_DROP8_3(...) JA_DESCRIBED_CALL(JA_DESCRIBED_DROP8_1, JA_DESCRIBED_DROP8_2(__VA_ARGS__))
#define JA_DESCRIBED_DROP8_4(...) JA_DESCRIBED_CALL(JA_DESCRIBED_DROP8_1, JA_DESCRIBED_DROP8_3(__VA_ARGS__))
#define JA_DESCRIBED_DROP8_5(...) JA_DESCRIBED_CALL(JA_DESCRIBED_DROP8_1, JA_DESCRIBED_DROP8_4(__VA_ARGS__))
#define JA_DESCRIBED_DROP8_6(...) JA_DESCRIBED_CALL(JA_DESCRIBED_DROP8_1, JA_DESCRIBED_DROP8_5(__VA_ARGS__))
#define JA_DESCRIBED_DROP8_7(...) JA_DESCRIBED_CALL(JA_DESCRIBED_DROP8_1, JA_DESCRIBED_DROP8_6(__VA_ARGS__))
#define JA_DESCRIBED_HEAD(row, ...) row
#define JA_DESCRIBED_AT_I(high, low, ...)                 \
  JA_DESCRIBED_CALL(JA_DESCRIBED_HEAD,                   \
                    JA_DESCRIBED_CALL(JA_DESCRIBED_DROP_##low, JA_DESCRIBED_DROP8_##high(__VA_ARGS__)) ~)
#define JA_DESCRIBED_AT(high, low) JA_DESCRIBED_AT_I(high, low, JA_DESCRIBED_ROWS)
#define JA_DESCRIBED_HERE JA_DESCRIBED_AT(JA_SLOT_HIGH, JA_SLOT_LOW)

#define JA_DESCRIBED_APPLY(m, row) m row
#define JA_DESCRIBED_HEADER_I(unit, MEMBERS, EXPORT, row) JA_CATALOGUE_STR(unit.hpp)
#define JA_DESCRIBED_UNIT_I(unit, MEMBERS, EXPORT, row) unit
#define JA_DESCRIBED_EXPORT_I(unit, MEMBERS, EXPORT, row) EXPORT
#define JA_DESCRIBED_MEMBERS_I(unit, MEMBERS, EXPORT, row) MEMBERS
#define JA_DESCRIBED_ROW_I(unit, MEMBERS, EXPORT, row) row
#define JA_DESCRIBED_HEADER(row) JA_DESCRIBED_APPLY(JA_DESCRIBED_HEADER_I, row)
#define JA_DESCRIBED_UNIT(row) JA_DESCRIBED_APPLY(JA_DESCRIBED_UNIT_I, row)
#define JA_DESCRIBED_EXPORT(row) JA_DESCRIBED_APPLY(JA_DESCRIBED_EXPORT_I, row)
#define JA_DESCRIBED_MEMBERS_OF(row, X) JA_DESCRIBED_APPLY(JA_DESCRIBED_MEMBERS_I, row)(X)
#define JA_DESCRIBED_ROW(row) JA_DESCRIBED_APPLY(JA_DESCRIBED_ROW_I, row)
#endif

#if JA_DESCRIBED_COUNT > 64
#error "the catalogue names more descriptions than ja_catalogue_descriptions.hpp walks"
#endif

#define JA_SLOT_HIGH 0
#include "ja_catalogue_descriptions.hpp"
#undef JA_SLOT_HIGH
#define JA_SLOT_HIGH 1
#include "ja_catalogue_descriptions.hpp"
#undef JA_SLOT_HIGH
#define JA_SLOT_HIGH 2
#include "ja_catalogue_descriptions.hpp"
#undef JA_SLOT_HIGH
#define JA_SLOT_HIGH 3
#include "ja_catalogue_descriptions.hpp"
#undef JA_SLOT_HIGH
#define JA_SLOT_HIGH 4
#include "ja_catalogue_descriptions.hpp"
#undef JA_SLOT_HIGH
#define JA_SLOT_HIGH 5
#include "ja_catalogue_descriptions.hpp"
#undef JA_SLOT_HIGH
#define JA_SLOT_HIGH 6
#include "ja_catalogue_descriptions.hpp"
#undef JA_SLOT_HIGH
#define JA_SLOT_HIGH 7
#include "ja_catalogue_descriptions.hpp"
#undef JA_SLOT_HIGH

#elif !defined(JA_SLOT_LOW)

#define JA_SLOT_LOW 0
#include "ja_catalogue_descriptions.hpp"
#undef JA_SLOT_LOW
#define JA_SLOT_LOW 1
#include "ja_catalogue_descriptions.hpp"
#undef JA_SLOT_LOW
#define JA_SLOT_LOW 2
#include "ja_catalogue_descriptions.hpp"
#undef JA_SLOT_LOW
#define JA_SLOT_LOW 3
#include "ja_catalogue_descriptions.hpp"
#undef JA_SLOT_LOW
#define JA_SLOT_LOW 4
#include "ja_catalogue_descriptions.hpp"
#undef JA_SLOT_LOW
#define JA_SLOT_LOW 5
#include "ja_catalogue_descriptions.hpp"
#undef JA_SLOT_LOW
#define JA_SLOT_LOW 6
#include "ja_catalogue_descriptions.hpp"
#undef JA_SLOT_LOW
#define JA_SLOT_LOW 7
#include "ja_catalogue_descriptions.hpp"
#undef JA_SLOT_LOW

#elif JA_SLOT_HIGH * 8 + JA_SLOT_LOW < JA_DESCRIBED_COUNT

#ifdef JA_DESCRIBED_SELECT
#define JA_DESCRIBED_TAKEN JA_DESCRIBED_SELECT(JA_SLOT_HIGH * 8 + JA_SLOT_LOW)
#else
#define JA_DESCRIBED_TAKEN 1
#endif
#if JA_DESCRIBED_TAKEN
#include JA_DESCRIBED_HEADER(JA_DESCRIBED_HERE)
#ifdef JA_EACH_DESCRIPTION
#define JA_UNIT JA_DESCRIBED_UNIT(JA_DESCRIBED_HERE)
#define JA_EXPORT_CLASS JA_DESCRIBED_EXPORT(JA_DESCRIBED_HERE)
#define JA_MEMBERS(X) JA_DESCRIBED_MEMBERS_OF(JA_DESCRIBED_HERE, X)
#define JA_ROW JA_DESCRIBED_ROW(JA_DESCRIBED_HERE)
JA_EACH_DESCRIPTION
#undef JA_ROW
#undef JA_MEMBERS
#undef JA_EXPORT_CLASS
#undef JA_UNIT
#endif
#endif
#undef JA_DESCRIBED_TAKEN

#endif
