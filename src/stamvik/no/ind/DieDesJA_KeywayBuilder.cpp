#include "DieDesJA_KeywayBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(KeywayBuilder)
STAMVIK_OM_DEFINE_CLASS(KeywayBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000, &GetKeywayBuilderInstanceSize,
                        STAMVIK_KEYWAY_BUILDER_ATTRIBUTES)

KeywayBuilder* KeywayBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<KeywayBuilder>(KeywayBuilderClassId, [&](KeywayBuilder* made) {
    made->InitCreate(part, frec);
  });
}

void KeywayBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  SetAlgorithmVersion(0);
}

char* KeywayBuilder::ask_journal_class_name() const { return SM_string_copy("Die.KeywayBuilder"); }

JA_KEYWAY_BUILDER_location_type KeywayBuilder::GetLocation() const {
  int location = 0;
  OM::OM_ask_int(this, m_locationAttId, &location);
  return static_cast<JA_KEYWAY_BUILDER_location_type>(location);
}
void KeywayBuilder::SetLocation(JA_KEYWAY_BUILDER_location_type location) {
  OM::OM_set_int(this, m_locationAttId, location);
}
JA_KEYWAY_BUILDER_types KeywayBuilder::GetType() const { return static_cast<JA_KEYWAY_BUILDER_types>(m_type); }
void KeywayBuilder::SetType(JA_KEYWAY_BUILDER_types type) {
  OM::LogForWrite(this);
  m_type = type;
}

void KeywayBuilder::SetLocationInt(int location) {
  OM::LogForWrite(this);
  m_location = location;
}
void KeywayBuilder::SetCreateWithPad(bool create) {
  OM::LogForWrite(this);
  m_createWithPad = create;
}
void KeywayBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void KeywayBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}

void KeywayBuilder::SetBaseFlange(SC_section* section) { OM::SetReferencedObject(this, m_baseFlangeAttId, section); }
void KeywayBuilder::SetInteriorProfile(SC_section* section) {
  OM::SetReferencedObject(this, m_interiorProfileAttId, section);
}

void KeywayBuilder::SetOffset(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_offsetAttId, expression);
}
void KeywayBuilder::SetPlacementOffset(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_placementOffsetAttId, expression);
}
void KeywayBuilder::SetDeckThickness(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_deckThicknessAttId, expression);
}
void KeywayBuilder::SetSlotLength(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_slotLengthAttId, expression);
}
void KeywayBuilder::SetSlotWidth(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_slotWidthAttId, expression);
}
void KeywayBuilder::SetSlotDepth(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_slotDepthAttId, expression);
}
void KeywayBuilder::SetPadWidth(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_padWidthAttId, expression);
}
void KeywayBuilder::SetPadHeight(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_padHeightAttId, expression);
}
void KeywayBuilder::SetMinimumRibHeight(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_minimumRibHeightAttId, expression);
}
void KeywayBuilder::SetRunoffLength(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_runoffLengthAttId, expression);
}
void KeywayBuilder::SetRunoffWidth(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_runoffWidthAttId, expression);
}
void KeywayBuilder::SetRunoffDepth(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_runoffDepthAttId, expression);
}
void KeywayBuilder::SetRunoffRadius(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_runoffRadiusAttId, expression);
}

}  // namespace KTX::DieDesJA
