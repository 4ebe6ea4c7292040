// Scripting collection "Die.DieCollection", made by the journaling engine from
// its description; the enumerator is exported beside the creators.
#include "ja_die_die_collection_jam.hpp"

namespace ja_die_die_collection_jam {
namespace {

class Die_DieCollection_JournalledImpl final : public Die_DieCollection_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_DIE_COLLECTION_MEMBERS(JA_JOURNALLED_OP)
  EnumerateFunction Enumerate() override { return &JAX_DieCollection_enumerate; }
};

class Die_DieCollection_UnjournalledImpl final : public Die_DieCollection_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_DIE_COLLECTION_MEMBERS(JA_UNJOURNALLED_OP)
  EnumerateFunction Enumerate() override { return &JAX_DieCollection_enumerate; }
};

Die_DieCollection_JournalledImpl journalled;
Die_DieCollection_UnjournalledImpl unjournalled;

}  // namespace
}  // namespace ja_die_die_collection_jam

using ja_die_die_collection_jam::Members;
using ja_die_die_collection_jam::Unit;

void JA_DieCollection_initialize_class() { KTX::JA::InitializeClass<Unit, Members>(); }
void JA_DieCollection_destroy_class() { KTX::JA::DestroyClass<Unit>(); }
void JA_DieCollection_test_print(const KTX::tag_t* tag, const char* tagName, int level) {
  KTX::JA::TestPrint<Unit, Members>(tag, tagName, level);
}

namespace KTX::JA {
void LoadDieCollectionUnit() {
  LoadUnit<Unit>(&ja_die_die_collection_jam::journalled, &ja_die_die_collection_jam::unjournalled);
}
}  // namespace KTX::JA

#define JA_UNIT ja_die_die_collection_jam
#define JA_EXPORT_CLASS FEATURE_DIE
JA_DIE_DIE_COLLECTION_MEMBERS(JA_EXPORT)

// Not journalled: the guard alone.
extern "C" STAMVIK_API int XJA_DieCollection_enumerate(KTX::tag_t collection, KTX::tag_t* cursor) {
  return KTX::JA::Guard<&JAX_DieCollection_enumerate>(collection, cursor);
}
