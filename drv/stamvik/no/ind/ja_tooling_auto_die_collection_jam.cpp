// Scripting collection "Tooling.AutoDieCollection", made by the journaling engine from
// its description; the enumerator is exported beside the creators.
#include "ja_tooling_auto_die_collection_jam.hpp"

namespace ja_tooling_auto_die_collection_jam {
namespace {

class Tooling_AutoDieCollection_JournalledImpl final : public Tooling_AutoDieCollection_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_TOOLING_AUTO_DIE_COLLECTION_MEMBERS(JA_JOURNALLED_OP)
  EnumerateFunction Enumerate() override { return &JAX_Collection_enumerate; }
};

class Tooling_AutoDieCollection_UnjournalledImpl final : public Tooling_AutoDieCollection_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_TOOLING_AUTO_DIE_COLLECTION_MEMBERS(JA_UNJOURNALLED_OP)
  EnumerateFunction Enumerate() override { return &JAX_Collection_enumerate; }
};

Tooling_AutoDieCollection_JournalledImpl journalled;
Tooling_AutoDieCollection_UnjournalledImpl unjournalled;

}  // namespace
}  // namespace ja_tooling_auto_die_collection_jam

using ja_tooling_auto_die_collection_jam::Members;
using ja_tooling_auto_die_collection_jam::Unit;

void JA_AutoDieCollection_initialize_class() { KTX::JA::InitializeClass<Unit, Members>(); }
void JA_AutoDieCollection_destroy_class() { KTX::JA::DestroyClass<Unit>(); }
void JA_AutoDieCollection_test_print(const KTX::tag_t* tag, const char* tagName, int level) {
  KTX::JA::TestPrint<Unit, Members>(tag, tagName, level);
}

namespace KTX::JA {
void LoadAutoDieCollectionUnit() {
  LoadUnit<Unit>(&ja_tooling_auto_die_collection_jam::journalled, &ja_tooling_auto_die_collection_jam::unjournalled);
}
}  // namespace KTX::JA

#define JA_UNIT ja_tooling_auto_die_collection_jam
#define JA_EXPORT_CLASS AUTO_DIE
JA_TOOLING_AUTO_DIE_COLLECTION_MEMBERS(JA_EXPORT)

// Not journalled: the guard alone.
extern "C" STAMVIK_API int XJA_AutoDieCollection_enumerate(KTX::tag_t collection, KTX::tag_t* cursor) {
  return KTX::JA::Guard<&JAX_Collection_enumerate>(collection, cursor);
}
// The vehicle-design collection hands out the same function: one address,
// two names.
extern "C" STAMVIK_API int XJA_AutomotiveCollection_enumerate(KTX::tag_t collection, KTX::tag_t* cursor)
    __attribute__((alias("XJA_AutoDieCollection_enumerate")));
