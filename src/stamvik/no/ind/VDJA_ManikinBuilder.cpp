#include "VDJA_ManikinBuilder.hpp"

#include <tuple>

#include "exp/Expression.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX::VDJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(ManikinBuilder)
STAMVIK_OM_DEFINE_CLASS(ManikinBuilder, "KTX::JAX_FEAT_BUILDER", 0x1000, &GetManikinBuilderInstanceSize,
                        STAMVIK_MANIKIN_BUILDER_ATTRIBUTES)

namespace {

constexpr int kLength = 0, kAngle = 7;

// A new "0" in the part's default unit of the measure, owned by the builder.
void AttachZero(OM::Object* builder, const OM::AttributeId& field, int measure) {
  EXP_expression* expression = nullptr;
  const int code =
      EXP_create_sys_exp_with_units_all_errors("0", UNIT_ask_default_unit_obj_for_measure(measure), &expression);
  if (code != 0) ERROR_raise("VDJA_ManikinBuilder", __LINE__, code, "cannot make a default expression");
  OM::OM_set_pointer(builder, field, expression);
}

}  // namespace

ManikinBuilder* ManikinBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<ManikinBuilder>(ManikinBuilderClassId,
                                              [&](ManikinBuilder* made) { made->InitCreate(part, frec); });
}

void ManikinBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
#define STAMVIK_ZERO_LENGTH(Name, field) \
  if (field == nullptr) AttachZero(this, field##AttId, kLength);
  STAMVIK_MANIKIN_SIZE_EXPRESSIONS(STAMVIK_ZERO_LENGTH)
  if (frec != nullptr) {
    set_frec(frec);
    ConvertFrecToBuilderData(frec);
  }
  // A read-back binds the posture to the rule's expressions; whatever it
  // left unbound starts at 0, the three angles in degrees.
  for (auto [field, id, measure] : {
           std::tuple{m_sgRPLength, &m_sgRPLengthAttId, kLength},
           std::tuple{m_sgRPWidth, &m_sgRPWidthAttId, kLength},
           std::tuple{m_sgRPHeight, &m_sgRPHeightAttId, kLength},
           std::tuple{m_backAngle, &m_backAngleAttId, kAngle},
           std::tuple{m_aHPLength, &m_aHPLengthAttId, kLength},
           std::tuple{m_aHPHeight, &m_aHPHeightAttId, kLength},
           std::tuple{m_pedalPlaneAngle, &m_pedalPlaneAngleAttId, kAngle},
           std::tuple{m_aHPToSWCLength, &m_aHPToSWCLengthAttId, kLength},
           std::tuple{m_aHPToSWCHeight, &m_aHPToSWCHeightAttId, kLength},
           std::tuple{m_wheelDiameter, &m_wheelDiameterAttId, kLength},
           std::tuple{m_wheelAngle, &m_wheelAngleAttId, kAngle},
       }) {
    if (field == nullptr) AttachZero(this, *id, measure);
  }
#undef STAMVIK_ZERO_LENGTH
}

char* ManikinBuilder::ask_journal_class_name() const { return SM_string_copy("Features.ManikinBuilder"); }

void ManikinBuilder::destroy() { cascade_destroy(); }

void ManikinBuilder::cascade_destroy() {
  implement_destroy();
  JAX_FEAT_BUILDER::cascade_destroy();
}

// The point parameter objects come with the manikin's own issue of the
// posture; until then the builder holds only their tags.
void ManikinBuilder::implement_destroy() {}

// The manikin's sizes, checks and read-back come with their own work; each
// operation answers success until then.
int ManikinBuilder::SaveToFile(const char*) { return 0; }
int ManikinBuilder::OpenFromFile(const char*) { return 0; }
int ManikinBuilder::GetVehicleManikinSettings(VD_2DManikin_vehicle_settings_t*) { return 0; }
int ManikinBuilder::GetManikinSizeData(VD_2DManikin_user_defined_manikin_size_value_t*) { return 0; }
int ManikinBuilder::GetManikinSizeArrayData(int, int, double*) { return 0; }
int ManikinBuilder::SetManikinSizeData(const VD_2DManikin_user_defined_manikin_size_value_t*) { return 0; }
int ManikinBuilder::SetManikinSizeArrayData(double*) { return 0; }
int ManikinBuilder::ValidateUserDefinedManikinSizeDimensions() { return 0; }
int ManikinBuilder::PostureValidateDimension(VD_2DManikin_vehicle_settings_t*, double*,
                                             VD_2DManikin_Posture_Dimension_Position_t, char**) {
  return 0;
}
int ManikinBuilder::PostureValidateAllDimensions(char**) { return 0; }
bool ManikinBuilder::GetOutputOptionsReadyForApply() { return false; }
int ManikinBuilder::ConvertFrecToBuilderData(FEATURE_RECORD*) { return 0; }

}  // namespace KTX::VDJA
