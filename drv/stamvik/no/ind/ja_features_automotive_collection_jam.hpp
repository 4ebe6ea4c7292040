// Scripting collection "Features.AutomotiveCollection": the part seen as the
// collection that creates the vehicle-design builders for scripts. Its
// description and its automation interface; the creators' bodies are
// hand-written (jax_features_automotive_collection.cpp), the enumerator is the
// one the auto-die collection hands out.
#pragma once
#include "ja_tooling_auto_die_collection_jam.hpp"
#include "ja_value_types.hpp"

// The creators' method bodies: the collection's tag (the part's), the
// feature to edit or 0, the result tag.
int JAX_FEATURE_AUTOMOTIVE_COLLECTION_create_manikin_builder(KTX::tag_t collection, KTX::tag_t manikin,
                                                             KTX::tag_t* builder);
int JAX_FEATURE_AUTOMOTIVE_COLLECTION_create_tire_envelope_builder(KTX::tag_t collection, KTX::tag_t tireEnvelope,
                                                                   KTX::tag_t* builder);

void JA_AutomotiveCollection_initialize_class();
void JA_AutomotiveCollection_destroy_class();
void JA_AutomotiveCollection_test_print(const KTX::tag_t* tag, const char* tagName, int level);

namespace ja_features_automotive_collection_jam {
using namespace ::KTX::JA::Types;
using ::KTX::JA::ByTag;
using ::KTX::JA::In;
using ::KTX::JA::Result;
using ::KTX::JA::Signature;

struct Unit : ::KTX::JA::CollectionDefaults {
  static constexpr const char* journalClass = "Features.AutomotiveCollection";
  static constexpr const char* source = "drv/stamvik/no/ind/ja_features_automotive_collection_jam";
  static constexpr std::uint32_t interfaceId = 0x044B2AED;
  static constexpr std::array<const char*, 1> dependencies{"Features.FeatureCollection"};
  // The classes the creators record, with the feature collection.
  static constexpr std::array<const char*, 1> extraClasses{"Features.FeatureCollection"};

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_AutomotiveCollection_initialize_class;
  static constexpr auto destroy = &JA_AutomotiveCollection_destroy_class;
  static constexpr auto testPrint = &JA_AutomotiveCollection_test_print;
};

using Manikin = ::KTX::JA::TagOf<"Features.Manikin", "Manikin">;
using ManikinBuilder = ::KTX::JA::TagOf<"Features.ManikinBuilder", "ManikinBuilder">;
using TireEnvelope = ::KTX::JA::TagOf<"Features.TireEnvelope", "TireEnvelope">;
using TireEnvelopeBuilder = ::KTX::JA::TagOf<"Features.TireEnvelopeBuilder", "TireEnvelopeBuilder">;

using ManikinSignature = Signature<ByTag, -1, In<Manikin, "manikin">, Result<ManikinBuilder, "builder">>;
using TireEnvelopeSignature = Signature<ByTag, -1, In<TireEnvelope, "tireEnvelope">, Result<TireEnvelopeBuilder, "builder">>;

// clang-format off
#define JA_FEATURES_AUTOMOTIVE_COLLECTION_MEMBERS(X)                                                            \
  /* kind    member                     signature              method body                                                          line  export */ \
  X(method2, CreateManikinBuilder,      ManikinSignature,      JA_FUNCTION(JAX_FEATURE_AUTOMOTIVE_COLLECTION_create_manikin_builder),       111,  create_manikin_builder) \
  X(method2, CreateTireEnvelopeBuilder, TireEnvelopeSignature, JA_FUNCTION(JAX_FEATURE_AUTOMOTIVE_COLLECTION_create_tire_envelope_builder), 165,  create_tire_envelope_builder)
// clang-format on

JA_FEATURES_AUTOMOTIVE_COLLECTION_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_FEATURES_AUTOMOTIVE_COLLECTION_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_features_automotive_collection_jam

#define JA_UNIT ja_features_automotive_collection_jam
class Features_AutomotiveCollection_Interface : public KTX::JAM::IJAInterface {
 public:
  using EnumerateFunction = int (*)(KTX::tag_t collection, KTX::tag_t* cursor);
  virtual unsigned int GetInterfaceId() = 0;
  JA_FEATURES_AUTOMOTIVE_COLLECTION_MEMBERS(JA_INTERFACE_OP)
  // The host iterates the collection with the function this hands out.
  virtual EnumerateFunction Enumerate() = 0;

 protected:
  ~Features_AutomotiveCollection_Interface() = default;
};
#undef JA_UNIT
