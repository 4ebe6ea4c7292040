// Scripting collection "Tooling.AutoDieCollection": the part seen as the
// collection that creates the tooling builders for scripts. Its description
// and its automation interface; the creators stand in interface order (punch
// before die), their bodies are hand-written (jax_tooling_auto_die_collection.cpp).
#pragma once
#include "ja_value_types.hpp"

// The creators' method bodies: the collection's tag (the tag of an object in
// a part, or the part's own), the input, the result tag.
int JAX_AUTO_DIE_create_die_des_draw_punch_builder(KTX::tag_t collection, KTX::tag_t featureSet, KTX::tag_t* builder);
int JAX_AUTO_DIE_create_die_des_draw_die_builder(KTX::tag_t collection, KTX::tag_t featureSet, KTX::tag_t* builder);
int JAX_AUTO_DIE_create_die_eng_form_task_builder(KTX::tag_t collection, KTX::tag_t dieEngFormTask, KTX::tag_t* builder);
int JAX_AUTO_DIE_create_die_des_pierce_insert_builder(KTX::tag_t collection, KTX::tag_t* builder);
// The enumerator the vehicle-design and tooling collections share: it yields
// nothing and leaves the cursor as given.
int JAX_Collection_enumerate(KTX::tag_t collection, KTX::tag_t* cursor);

void JA_AutoDieCollection_initialize_class();
void JA_AutoDieCollection_destroy_class();
void JA_AutoDieCollection_test_print(const KTX::tag_t* tag, const char* tagName, int level);

namespace ja_tooling_auto_die_collection_jam {
using namespace ::KTX::JA::Types;
using ::KTX::JA::ByTag;
using ::KTX::JA::In;
using ::KTX::JA::Result;
using ::KTX::JA::Signature;

struct Unit : ::KTX::JA::CollectionDefaults {
  static constexpr const char* journalClass = "Tooling.AutoDieCollection";
  static constexpr const char* source = "drv/stamvik/no/ind/ja_tooling_auto_die_collection_jam";
  static constexpr std::uint32_t interfaceId = 0xB7F756AA;
  static constexpr std::array<const char*, 1> dependencies{"Tooling.ToolingManager"};
  // The classes the creators record, with the tooling manager.
  static constexpr std::array<const char*, 1> extraClasses{"Tooling.ToolingManager"};

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_AutoDieCollection_initialize_class;
  static constexpr auto destroy = &JA_AutoDieCollection_destroy_class;
  static constexpr auto testPrint = &JA_AutoDieCollection_test_print;
};

using Features_Feature = ::KTX::JA::TagOf<"Features.Feature", "Feature">;
using DrawPunchBuilder = ::KTX::JA::TagOf<"Tooling.DieDesDrawPunchBuilder", "DieDesDrawPunchBuilder">;
using DrawDieBuilder = ::KTX::JA::TagOf<"Tooling.DieDesDrawDieBuilder", "DieDesDrawDieBuilder">;
using FormTaskBuilder = ::KTX::JA::TagOf<"Tooling.DieEngFormTaskBuilder", "DieEngFormTaskBuilder">;
using PierceInsertBuilder = ::KTX::JA::TagOf<"Tooling.DieDesPierceInsertBuilder", "DieDesPierceInsertBuilder">;

using DrawPunchSignature = Signature<ByTag, -1, In<Features_Feature, "featureSet">, Result<DrawPunchBuilder, "builder">>;
using DrawDieSignature = Signature<ByTag, -1, In<Features_Feature, "featureSet">, Result<DrawDieBuilder, "builder">>;
using FormTaskSignature = Signature<ByTag, -1, In<Features_Feature, "dieEngFormTask">, Result<FormTaskBuilder, "builder">>;
using PierceInsertSignature = Signature<ByTag, -1, Result<PierceInsertBuilder, "builder">>;

// clang-format off
#define JA_TOOLING_AUTO_DIE_COLLECTION_MEMBERS(X)                                                                      \
  /* kind    member                           signature              method body                                                   line  export */ \
  X(method2, CreateDieDesDrawPunchBuilder,    DrawPunchSignature,    JA_FUNCTION(JAX_AUTO_DIE_create_die_des_draw_punch_builder),    111,  create_die_des_draw_punch_builder) \
  X(method2, CreateDieDesDrawDieBuilder,      DrawDieSignature,      JA_FUNCTION(JAX_AUTO_DIE_create_die_des_draw_die_builder),      165,  create_die_des_draw_die_builder) \
  X(method2, CreateDieEngFormTaskBuilder,     FormTaskSignature,     JA_FUNCTION(JAX_AUTO_DIE_create_die_eng_form_task_builder),     219,  create_die_eng_form_task_builder) \
  X(method1, CreateDieDesPierceInsertBuilder, PierceInsertSignature, JA_FUNCTION(JAX_AUTO_DIE_create_die_des_pierce_insert_builder), 273,  create_die_des_pierce_insert_builder)
// clang-format on

JA_TOOLING_AUTO_DIE_COLLECTION_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_TOOLING_AUTO_DIE_COLLECTION_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_tooling_auto_die_collection_jam

#define JA_UNIT ja_tooling_auto_die_collection_jam
class Tooling_AutoDieCollection_Interface : public KTX::JAM::IJAInterface {
 public:
  using EnumerateFunction = int (*)(KTX::tag_t collection, KTX::tag_t* cursor);
  virtual unsigned int GetInterfaceId() = 0;
  JA_TOOLING_AUTO_DIE_COLLECTION_MEMBERS(JA_INTERFACE_OP)
  // The host iterates the collection with the function this hands out.
  virtual EnumerateFunction Enumerate() = 0;

 protected:
  ~Tooling_AutoDieCollection_Interface() = default;
};
#undef JA_UNIT
