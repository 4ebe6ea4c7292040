#include "Tooling_DieDesPierceInsertBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::Tooling {

STAMVIK_OM_INSTANCE_SIZE_DEF(DieDesPierceInsertBuilder)
STAMVIK_OM_DEFINE_CLASS(DieDesPierceInsertBuilder, "KTX::JAX_BUILDER", 0x1000,
                        &GetDieDesPierceInsertBuilderInstanceSize, STAMVIK_DIE_DES_PIERCE_INSERT_BUILDER_ATTRIBUTES)

DieDesPierceInsertBuilder* DieDesPierceInsertBuilderFactory::Create(PART_part* part) {
  return Frame::CreateAndInit<DieDesPierceInsertBuilder>(DieDesPierceInsertBuilderClassId, [&](auto* made) {
    made->InitCreate(part);
  });
}

void DieDesPierceInsertBuilder::InitCreate(PART_part* part) {
  init_object(part);
  // The builder's own collector goes with it.
  OM::OM_set_pointer(this, m_boudaryCurveSelectionAttId, SC_collectorFactory::object(OM::OM_ask_object_tag(part)));
}

char* DieDesPierceInsertBuilder::ask_journal_class_name() const {
  return SM_string_copy("Tooling.DieDesPierceInsertBuilder");
}

#define STAMVIK_PLAIN_SETTER(Setter, Type, field) \
  void DieDesPierceInsertBuilder::Setter(Type value) { \
    OM::LogForWrite(this);                             \
    field = value;                                     \
  }
STAMVIK_PLAIN_SETTER(SetUpToleranceForLength, double, m_upToleranceForLength)
STAMVIK_PLAIN_SETTER(SetDownToleranceForLength, double, m_downToleranceForLength)
STAMVIK_PLAIN_SETTER(SetGetUpToleranceForWidth, double, m_upToleranceForWidth)
STAMVIK_PLAIN_SETTER(SetGetDownToleranceForWidth, double, m_downToleranceForWidth)
STAMVIK_PLAIN_SETTER(SetThicknessValue, double, m_thicknessValue)
STAMVIK_PLAIN_SETTER(SetPunchPenetration, double, m_punchPenetration)
STAMVIK_PLAIN_SETTER(SetDiePenetration, double, m_diePenetration)
STAMVIK_PLAIN_SETTER(SetToleranceCoefficient, double, m_toleranceCoefficient)
STAMVIK_PLAIN_SETTER(SetClearanceCoefficient, double, m_clearanceCoefficient)
STAMVIK_PLAIN_SETTER(SetCatalogOption, int, m_catalogOption)
STAMVIK_PLAIN_SETTER(SetThicknessDirectionOption, JA_DIE_DES_PIERCE_INSERT_BUILDER_Direction,
                     m_thicknessDirectionOption)
#undef STAMVIK_PLAIN_SETTER

}  // namespace KTX::Tooling
