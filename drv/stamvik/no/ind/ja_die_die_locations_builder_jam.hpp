// Scripting class "Die.DieLocationsBuilder": its description and its
// automation interface, one member.
#pragma once
#include "DieDesJA_DieLocationsBuilder.hpp"
#include "ja_value_types.hpp"

void JA_DieLocationsBuilder_initialize_class();
void JA_DieLocationsBuilder_destroy_class();
void JA_DieLocationsBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);

namespace ja_die_die_locations_builder_jam {
using namespace ::KTX::JA::Types;
using DieLocationBuilderList =
    ::KTX::JA::TemplateObject<::KTX::UICOMPJA_list, "Die.DieLocationBuilderList", "ObjectList", "Die.DieLocationBuilder">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieDesJA::DieLocationsBuilder;
  static constexpr const char* journalClass = "Die.DieLocationsBuilder";
  static constexpr const char* parent = "TaggedObject";
  static constexpr const char* source = "ja_die_die_locations_builder_jam";
  static constexpr std::uint32_t interfaceId = 0xDD98200E;
  static constexpr std::array<const char*, 1> dependencies{"ObjectList"};
  static constexpr bool componentBuilder = true;
  static constexpr bool parentLookedUp = false;
  // The list's template class comes before the class look-ups.
  static constexpr std::array<::KTX::JA::SetUpStep, 5> setUpOrder{
      ::KTX::JA::SetUpStep::Templates, ::KTX::JA::SetUpStep::Classes, ::KTX::JA::SetUpStep::Enumerations,
      ::KTX::JA::SetUpStep::Structures, ::KTX::JA::SetUpStep::EnumerationMembers};

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_DieLocationsBuilder_initialize_class;
  static constexpr auto destroy = &JA_DieLocationsBuilder_destroy_class;
  static constexpr auto testPrint = &JA_DieLocationsBuilder_test_print;
};
using Object = Unit::Object;

// clang-format off
#define JA_DIE_DIE_LOCATIONS_BUILDER_MEMBERS(X)                                         \
  /* kind  member  value type              method body       line */                   \
  X(get,   List,   DieLocationBuilderList, JA_FIELD(m_list), 111)
// clang-format on

JA_DIE_DIE_LOCATIONS_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_DIE_LOCATIONS_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_die_locations_builder_jam

#define JA_UNIT ja_die_die_locations_builder_jam
class Die_DieLocationsBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_DIE_LOCATIONS_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_DieLocationsBuilder_Interface() = default;
};
#undef JA_UNIT
