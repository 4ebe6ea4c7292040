#include "DieDesJA_ClampingSlotBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(ClampingSlotBuilder)
STAMVIK_OM_DEFINE_CLASS(ClampingSlotBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000,
                        &GetClampingSlotBuilderInstanceSize, STAMVIK_CLAMPING_SLOT_BUILDER_ATTRIBUTES)

ClampingSlotBuilder* ClampingSlotBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<ClampingSlotBuilder>(ClampingSlotBuilderClassId, [&](ClampingSlotBuilder* made) {
    made->InitCreate(part, frec);
  });
}

// The algorithm version stays as the host made it: this feature does not carry one.
void ClampingSlotBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) { init_object(part, frec); }

char* ClampingSlotBuilder::ask_journal_class_name() const { return SM_string_copy("Die.ClampingSlotBuilder"); }

JA_CLAMPING_SLOT_BUILDER_types ClampingSlotBuilder::GetType() const {
  return static_cast<JA_CLAMPING_SLOT_BUILDER_types>(m_type);
}

void ClampingSlotBuilder::SetType(JA_CLAMPING_SLOT_BUILDER_types type) {
  OM::LogForWrite(this);
  m_type = type;
  TypeChanged();
}

void ClampingSlotBuilder::TypeChanged() const {
  const OM::DoubleVla* lengths = nullptr;
  const OM::DoubleVla* angles = nullptr;
  switch (m_type) {
    case JA_CLAMPING_SLOT_BUILDER_types_Hydraulic:
      lengths = m_hydraulicUnitDefaults;
      angles = m_hydraulicUnitlessDefaults;
      break;
    case JA_CLAMPING_SLOT_BUILDER_types_Traveling:
      lengths = m_travelingUnitDefaults;
      angles = m_travelingUnitlessDefaults;
      break;
    case JA_CLAMPING_SLOT_BUILDER_types_Automatic:
      lengths = m_automaticUnitDefaults;
      angles = m_automaticUnitlessDefaults;
      break;
    default:
      return;
  }
  // Defaults not read yet: the dimensions keep what they hold.
  if (lengths == nullptr || lengths->Length() == 0 || angles == nullptr || angles->Length() == 0) return;
  // Rewriting the dimension expressions with these defaults comes with the expression services.
}

tag_t ClampingSlotBuilder::GetFlangeBaseProfileTag() const { return OM::OM_ask_object_tag(m_flangeBaseProfile); }

void ClampingSlotBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void ClampingSlotBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}
void ClampingSlotBuilder::SetLocationOnFlange(bool onFlange) {
  OM::LogForWrite(this);
  m_locationOnFlange = onFlange;
}

// ---- default arrays ------------------------------------------------------------

namespace {

double DefaultAt(const OM::DoubleVla* array, int i) {
  // Before the array exists no index is inside it.
  if (array == nullptr) OM::ThrowIndexOutOfRange(i, 0, -1);
  return array->At(i);
}

int DefaultCount(const OM::DoubleVla* array) { return array == nullptr ? 0 : array->Length(); }

const double* DefaultValues(const OM::DoubleVla* array) {
  return array == nullptr || array->Length() == 0 ? nullptr : array->Items().data();
}

}  // namespace

void ClampingSlotBuilder::SetDefault(const OM::AttributeId& attribute, void (ClampingSlotBuilder::*setLength)(int),
                                     int i, double value) {
  const int count = OM::OM_vask_array_length(this, attribute);
  // As unsigned numbers, so that a negative index is past the end too.
  if (static_cast<unsigned>(i) > static_cast<unsigned>(count)) OM::ThrowIndexOutOfRange(i, 0, -1);
  if (i == count) (this->*setLength)(count + 1);
  auto* array = static_cast<OM::DoubleVla*>(OM::OM_ask_vla(this, attribute));
  if (i >= array->Length()) array->ThrowIndexOutOfRange(i);
  array->Set(i, value);
}

#define STAMVIK_CLAMPING_SLOT_DEFAULTS(Name, field)                                                              \
  double ClampingSlotBuilder::Get##Name##Default(int i) const { return DefaultAt(field, i); }                    \
  int ClampingSlotBuilder::Get##Name##Defaults() const { return DefaultCount(field); }                           \
  const double* ClampingSlotBuilder::Get##Name##DefaultsArray() const { return DefaultValues(field); }           \
  void ClampingSlotBuilder::Set##Name##Defaults(int n) { OM::OM_vset_array_length(this, field##AttId, n, 0); }   \
  void ClampingSlotBuilder::Set##Name##Default(int i, double value) {                                            \
    SetDefault(field##AttId, &ClampingSlotBuilder::Set##Name##Defaults, i, value);                               \
  }

STAMVIK_CLAMPING_SLOT_DEFAULTS(HydraulicUnit, m_hydraulicUnitDefaults)
STAMVIK_CLAMPING_SLOT_DEFAULTS(HydraulicUnitless, m_hydraulicUnitlessDefaults)
STAMVIK_CLAMPING_SLOT_DEFAULTS(TravelingUnit, m_travelingUnitDefaults)
STAMVIK_CLAMPING_SLOT_DEFAULTS(TravelingUnitless, m_travelingUnitlessDefaults)
STAMVIK_CLAMPING_SLOT_DEFAULTS(AutomaticUnit, m_automaticUnitDefaults)
STAMVIK_CLAMPING_SLOT_DEFAULTS(AutomaticUnitless, m_automaticUnitlessDefaults)

#undef STAMVIK_CLAMPING_SLOT_DEFAULTS

// ---- dimension expressions ------------------------------------------------------

#define STAMVIK_CLAMPING_SLOT_EXPRESSION(Name, field) \
  void ClampingSlotBuilder::Set##Name(EXP_expression* value) { OM::SetReferencedObject(this, field##AttId, value); }

STAMVIK_CLAMPING_SLOT_EXPRESSION(CenterlineLength, m_centerlineLength)
STAMVIK_CLAMPING_SLOT_EXPRESSION(InnerWidth, m_innerWidth)
STAMVIK_CLAMPING_SLOT_EXPRESSION(SlotWidth, m_slotWidth)
STAMVIK_CLAMPING_SLOT_EXPRESSION(SlotLength, m_slotLength)
STAMVIK_CLAMPING_SLOT_EXPRESSION(TopLength, m_topLength)
STAMVIK_CLAMPING_SLOT_EXPRESSION(SlotRadius, m_slotRadius)
STAMVIK_CLAMPING_SLOT_EXPRESSION(PadWidth, m_padWidth)
STAMVIK_CLAMPING_SLOT_EXPRESSION(PadHeight, m_padHeight)
STAMVIK_CLAMPING_SLOT_EXPRESSION(PadLength, m_padLength)
STAMVIK_CLAMPING_SLOT_EXPRESSION(PadRadius, m_padRadius)
STAMVIK_CLAMPING_SLOT_EXPRESSION(Overhang, m_overhang)
STAMVIK_CLAMPING_SLOT_EXPRESSION(NotchWidth, m_notchWidth)
STAMVIK_CLAMPING_SLOT_EXPRESSION(NotchHeight, m_notchHeight)
STAMVIK_CLAMPING_SLOT_EXPRESSION(NotchAngle, m_notchAngle)
STAMVIK_CLAMPING_SLOT_EXPRESSION(FlangeThickness, m_flangeThickness)
STAMVIK_CLAMPING_SLOT_EXPRESSION(OffsetWidth, m_offsetWidth)
STAMVIK_CLAMPING_SLOT_EXPRESSION(LocationOffset, m_locationOffset)
STAMVIK_CLAMPING_SLOT_EXPRESSION(PadOffset, m_padOffset)

#undef STAMVIK_CLAMPING_SLOT_EXPRESSION

}  // namespace KTX::DieDesJA
