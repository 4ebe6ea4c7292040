// Every description the catalogue names (its builders' and collections'),
// included in catalogue order, for code that reads them all: the scripting
// binding, the dialogs' previews, the declarations of the exports. No include
// guard: each inclusion goes through the rows again, and where the includer
// has defined JA_EACH_DESCRIPTION, expands it after each description with
//   JA_UNIT          the row's unit namespace,
//   JA_EXPORT_CLASS  its export class,
//   JA_MEMBERS(X)    its member table expanded with X,
//   JA_ROW           the whole row, (BUILDER, columns...) or (COLLECTION, columns...),
// as the units' sources have them for their own exports. Where the includer
// has also defined JA_DESCRIBED_SELECT(n), only the rows whose position n
// (from 0, counting the builders and collections) it takes are included.
//
// The include lines, one a row, are written from the rows when CMake
// configures (drv/CatalogueDescriptions.cmake): a row's description is
// included by a plain #include of its own, and one that cannot be found is
// reported at the row.
#include "ja_catalogue.hpp"

#ifdef JA_DESCRIBED_SELECT
#define JA_DESCRIBED_TAKES(n) JA_DESCRIBED_SELECT(n)
#else
#define JA_DESCRIBED_TAKES(n) 1
#endif
#include "ja_catalogue_described.hpp"
#undef JA_DESCRIBED_TAKES
