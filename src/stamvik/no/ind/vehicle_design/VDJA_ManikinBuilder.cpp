#include "VDJA_ManikinBuilder.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "CommitPath.hpp"
#include "InputChecks.hpp"
#include "OnEveryExit.hpp"
#include "Support.hpp"
#include "VD_2DManikin_util.hpp"
#include "afl/DieEngParms.hpp"
#include "exp/Expression.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/TextFile.hpp"
#include "upd/Update.hpp"
#include "vd/KnowledgeRule.hpp"
#include "vd/ManikinServices.hpp"

namespace KTX::VDJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(ManikinBuilder)
STAMVIK_OM_DEFINE_CLASS(ManikinBuilder, "KTX::JAX_FEAT_BUILDER", 0x1000, &GetManikinBuilderInstanceSize,
                        STAMVIK_MANIKIN_BUILDER_ATTRIBUTES)

namespace {

using Messages::kManikinAHPHeightAboveSgRP;
using Messages::kManikinAHPLengthAboveSgRP;
using Messages::kManikinArmsOutOfReach;
using Messages::kManikinBackAngleAllowedOutOfRange;
using Messages::kManikinBackAngleExpressionFailed;
using Messages::kManikinBackAngleOutOfRange;
using Messages::kManikinH30AllowedOutOfRange;
using Messages::kManikinH30OutOfRange;
using Messages::kManikinLegsOutOfReach;
using Messages::kManikinPedalAngleExpressionFailed;
using Messages::kManikinPedalAngleOutOfRange;
using Messages::kManikinSgRPHeightBelowAHP;
using Messages::kManikinSgRPLengthBelowAHP;
using Messages::kManikinUserLengthNotPositive;
using Messages::kManikinWheelAngleExpressionFailed;
using Messages::kManikinWheelAngleOutOfRange;
using Messages::kManikinWheelDiameterAllowedOutOfRange;
using Messages::kManikinWheelDiameterNegative;
using Messages::kManikinWheelDiameterOutOfRange;
using Messages::kManikinWheelHeightNegative;
using Messages::kManikinWheelLengthNegative;

constexpr int kLength = 0, kAngle = 7;
constexpr double kZero = 1e-10, kAngleTolerance = 0.1, kRightAngleBound = 90.0000000001;
constexpr int kDefaultsTextSize = 133;

// A new expression of the text in the part's default unit of the measure, owned by the builder.
void AttachExpression(OM::Object* builder, const OM::AttributeId& field, int measure, const char* text) {
  EXP_expression* expression = nullptr;
  const int code =
      EXP_create_sys_exp_with_units_all_errors(text, UNIT_ask_default_unit_obj_for_measure(measure), &expression);
  if (code != 0) ERROR_raise("VDJA_ManikinBuilder", 38, code, "cannot make a default expression");
  OM::OM_set_pointer(builder, field, expression);
}
void AttachZero(OM::Object* builder, const OM::AttributeId& field, int measure) {
  AttachExpression(builder, field, measure, "0");
}

using Stamvik::ExpressionValue;

// The three deviations validation accepts when out-of-range values are allowed.
bool IsAllowedDeviation(int code) {
  return code == kManikinBackAngleAllowedOutOfRange || code == kManikinWheelDiameterAllowedOutOfRange ||
         code == kManikinH30AllowedOutOfRange;
}

// Gives the message number; when asked, the catalogue's text of it, with
// the arguments put in where it takes some.
template <class... Args>
int Report(char** message, int code, Args... args) {
  if (message != nullptr) {
    if constexpr (sizeof...(Args) == 0)
      *message = SM_string_copy(ERROR_decode(code));
    else
      *message = SM_sprintf(ERROR_decode(code), args...);
  }
  return code;
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

void ManikinBuilder::implement_destroy() {
  // Only the points the user picked have parameter objects to delete.
  if (m_selectHipPoint != 0) {
    PRIMITIVE_delete_so_point_parms(m_selectHipPoint);
    SetSelectHipPoint(0);
  }
  if (m_selectHeelPoint != 0) {
    PRIMITIVE_delete_so_point_parms(m_selectHeelPoint);
    SetSelectHeelPoint(0);
  }
  if (m_selectSteeringWheelPoint != 0) {
    PRIMITIVE_delete_so_point_parms(m_selectSteeringWheelPoint);
    SetSelectSteeringWheelPoint(0);
  }
}

// ---- settings and sizes ------------------------------------------------------------------

int ManikinBuilder::GetVehicleManikinSettings(VD_2DManikin_vehicle_settings_t* settings) {
  settings->position = m_position;
  settings->classification = m_classification;
  settings->standard = m_standard;
  settings->standardCode = m_standard == SAEJ826Jul1995 ? 1 : m_standard == Saej833 ? 0 : 2;
  settings->percentileIndex = m_standard == SAEJ826Jul1995 ? m_sAEPercentile
                              : m_standard == Saej833      ? m_sAEPercentile - 3
                                                           : 0;
  settings->allowOutOfRange = m_allowPostureValueOutOfRange;
  char allow[kDefaultsTextSize];
  if (settings->allowOutOfRange && VD_DEFFILE_read_value(nullptr, "VD_ALLOW_NON_STANDARD_INPUT", 0, allow, sizeof allow) == 0 &&
      std::atoi(allow) == 0)
    settings->allowOutOfRange = false;
  settings->driverDesignPoint = m_position == Driver && settings->percentileIndex != 2;
  return 0;
}

int ManikinBuilder::GetManikinSizeData(VD_2DManikin_user_defined_manikin_size_value_t* sizes) {
  if (m_standard != UserDefined) return 0;
  *sizes = {ExpressionValue(m_thighLength),   ExpressionValue(m_legLength),     ExpressionValue(m_armLength),
            ExpressionValue(m_forearmLength), ExpressionValue(m_torsoLength),   ExpressionValue(m_shoulderToHipLength),
            ExpressionValue(m_handLength),    ExpressionValue(m_handGripLength)};
  return 0;
}

int ManikinBuilder::GetManikinSizeArrayData(int standard, int percentileIndex, double sizes[8]) {
  if (standard == UserDefined) {
    const double arrayOrder[8] = {ExpressionValue(m_legLength),      ExpressionValue(m_thighLength),
                                  ExpressionValue(m_forearmLength),  ExpressionValue(m_armLength),
                                  ExpressionValue(m_torsoLength),    ExpressionValue(m_shoulderToHipLength),
                                  ExpressionValue(m_handGripLength), ExpressionValue(m_handLength)};
    std::copy(arrayOrder, arrayOrder + 8, sizes);
    return 0;
  }
  VD_2DManikin_ask_standard_size(standard, percentileIndex, sizes);
  return 0;
}

int ManikinBuilder::SetManikinSizeData(const VD_2DManikin_user_defined_manikin_size_value_t* sizes) {
  const tag_t part = ask_owning_part() != nullptr ? ask_owning_part()->OmTag() : 0;
  const std::pair<EXP_expression*, double> edits[] = {
      {m_thighLength, sizes->thigh}, {m_legLength, sizes->leg},
      {m_armLength, sizes->arm},     {m_forearmLength, sizes->forearm},
      {m_torsoLength, sizes->torso}, {m_shoulderToHipLength, sizes->shoulderToHip},
      {m_handLength, sizes->hand},   {m_handGripLength, sizes->handGrip}};
  for (const auto& [expression, value] : edits) {
    const Stamvik::HostBlock<char> text(EXP_format_value(value));
    EXP_edit_exp(part, expression, text.get());
  }
  return 0;
}

int ManikinBuilder::SetManikinSizeArrayData(double sizes[8]) {
  const VD_2DManikin_user_defined_manikin_size_value_t record{sizes[1], sizes[0], sizes[3], sizes[2],
                                                              sizes[4], sizes[5], sizes[7], sizes[6]};
  return SetManikinSizeData(&record);
}

// ---- posture checks ----------------------------------------------------------------------

int ManikinBuilder::ValidateUserDefinedManikinSizeDimensions() {
  if (m_standard != UserDefined) return 0;
  VD_2DManikin_user_defined_manikin_size_value_t sizes{};
  GetManikinSizeData(&sizes);
  const double recordOrder[8] = {sizes.thigh, sizes.leg,           sizes.arm,  sizes.forearm,
                                 sizes.torso, sizes.shoulderToHip, sizes.hand, sizes.handGrip};
  // A body segment of no length (or less) gives no manikin: at or below 0,
  // within the rounding of 0, is refused.
  for (int i = 0; i < 8; ++i)
    if (!(recordOrder[i] >= kZero)) return kManikinUserLengthNotPositive + i;
  return 0;
}

int ManikinBuilder::PostureValidateDimension(VD_2DManikin_vehicle_settings_t* settings, double sizes[8],
                                             VD_2DManikin_Posture_Dimension_Position_t dimension, char** message) {
  const int d = dimension;
  if (d <= POSTURE_NONE_DIMENSION || d >= POSTURE_NUM_DIMENSION) return 0;
  const bool passenger = settings->position == Passenger;
  if (passenger && d >= POSTURE_AHP_TO_SWC_LENGTH) return 0;
  const bool allowed = settings->allowOutOfRange;
  // User-defined sizes are already in the part's unit; the table's are millimetres.
  auto size = [&](int i) { return settings->standard == UserDefined ? sizes[i] : vd_convert_unit(sizes[i]); };
  const double leg = size(0), thigh = size(1), forearm = size(2), arm = size(3), shoulderToHip = size(5),
               handGrip = size(6);
  const double tolerance = vd_convert_unit(0.5);
  double h30Min = 0, h30Max = thigh + leg + vd_convert_unit(107.0), backMin = 0, backMax = 25, wheelMin = 0,
         wheelMax = 0;
  if (!passenger && settings->classification == ClassA) {
    h30Min = vd_convert_unit(127.0), h30Max = vd_convert_unit(405.0), backMin = 5, backMax = 40;
    wheelMin = 0, wheelMax = vd_convert_unit(450.0);
  } else if (!passenger) {
    h30Min = vd_convert_unit(405.0), h30Max = vd_convert_unit(530.0), backMin = 11, backMax = 18;
    wheelMin = vd_convert_unit(450.0), wheelMax = vd_convert_unit(560.0);
  }
  const double sgRPLength = ExpressionValue(m_sgRPLength), sgRPHeight = ExpressionValue(m_sgRPHeight),
               back = ExpressionValue(m_backAngle), aHPLength = ExpressionValue(m_aHPLength),
               aHPHeight = ExpressionValue(m_aHPHeight), pedal = ExpressionValue(m_pedalPlaneAngle),
               wheelDiameter = ExpressionValue(m_wheelDiameter);
  const char* unit = PART_ask_units(PART_ask_work_part()) == 1 ? "inch" : "mm";
  auto outside90 = [](double angle) { return angle < -kZero || angle > kRightAngleBound; };

  int code = 0;
  switch (d) {
    case POSTURE_SGRP_LENGTH:
      if (aHPLength > sgRPLength + kZero) code = Report(message, kManikinSgRPLengthBelowAHP, aHPLength);
      break;
    case POSTURE_AHP_LENGTH:
      if (aHPLength > sgRPLength + kZero) code = Report(message, kManikinAHPLengthAboveSgRP, sgRPLength);
      break;
    case POSTURE_SGRP_HEIGHT:
    case POSTURE_AHP_HEIGHT: {
      if (allowed && sgRPHeight - aHPHeight < kZero) {
        code = d == POSTURE_SGRP_HEIGHT ? Report(message, kManikinSgRPHeightBelowAHP, aHPHeight)
                                        : Report(message, kManikinAHPHeightAboveSgRP, sgRPHeight);
        break;
      }
      const double h30 = sgRPHeight - aHPHeight;
      const double below = std::fabs(h30Min) > kZero ? tolerance : kZero;
      if (h30 < h30Min - below || h30 > h30Max + tolerance)
        code = Report(message, allowed ? kManikinH30AllowedOutOfRange : kManikinH30OutOfRange, sgRPHeight - h30Max,
                      sgRPHeight - h30Min, unit, h30Min, h30Max, unit);
      break;
    }
    case POSTURE_BACK_ANGLE: {
      if (allowed && outside90(back)) {
        code = Report(message, kManikinBackAngleOutOfRange, 0.0, 90.0);
        break;
      }
      const double below = backMin > kZero ? kAngleTolerance : kZero;
      if (back < backMin - below || back > backMax + kAngleTolerance)
        code = Report(message, allowed ? kManikinBackAngleAllowedOutOfRange : kManikinBackAngleOutOfRange, backMin,
                      backMax);
      break;
    }
    case POSTURE_PEDAL_ANGLE:
      if (outside90(pedal)) code = Report(message, kManikinPedalAngleOutOfRange);
      break;
    case POSTURE_AHP_TO_SWC_LENGTH:
      if (ExpressionValue(m_aHPToSWCLength) < kZero) code = Report(message, kManikinWheelLengthNegative);
      break;
    case POSTURE_AHP_TO_SWC_HEIGHT:
      if (ExpressionValue(m_aHPToSWCHeight) < kZero) code = Report(message, kManikinWheelHeightNegative);
      break;
    case POSTURE_WHEEL_ANGLE:
      if (outside90(ExpressionValue(m_wheelAngle))) code = Report(message, kManikinWheelAngleOutOfRange);
      break;
    case POSTURE_WHEEL_DIAMETER: {
      if (allowed && wheelDiameter < kZero) {
        code = Report(message, kManikinWheelDiameterNegative, 0.0, unit);
        break;
      }
      const double below = std::fabs(wheelMin) > kZero ? tolerance : kZero;
      if (wheelDiameter < wheelMin - below || wheelDiameter > wheelMax + tolerance)
        code = Report(message, allowed ? kManikinWheelDiameterAllowedOutOfRange : kManikinWheelDiameterOutOfRange,
                      wheelMin, wheelMax, unit);
      break;
    }
    default:
      break;
  }
  if (code != 0) return code;

  const double hip[2] = {sgRPLength, sgRPHeight}, heel[2] = {aHPLength, aHPHeight};
  if (d == 1 || d == 3 || d == 5 || d == 6 || d == 7) {
    const double legs[2] = {leg, thigh};
    if (!VD_2DManikin_check_leg_positions(heel, hip, pedal, legs)) return Report(message, kManikinLegsOutOfReach);
  }
  if (passenger) return 0;
  if (d == 1 || d == 3 || d == 4 || d == 5 || d == 6 || d == 8 || d == 9) {
    const double wheel[2] = {aHPLength + ExpressionValue(m_aHPToSWCLength),
                             aHPHeight + ExpressionValue(m_aHPToSWCHeight)};
    const double arms[3] = {arm, forearm, handGrip};
    if (!VD_2DManikin_check_arm_reach(hip, wheel, back, arms, shoulderToHip))
      return Report(message, kManikinArmsOutOfReach);
  }
  return 0;
}

int ManikinBuilder::PostureValidateAllDimensions(char** message) {
  VD_2DManikin_vehicle_settings_t settings{};
  GetVehicleManikinSettings(&settings);
  double sizes[8] = {};
  GetManikinSizeArrayData(settings.standard, settings.percentileIndex, sizes);
  // An allowed deviation does not end the run: a later dimension that fails
  // outright still fails the manikin.
  int firstAllowed = 0;
  char* allowedText = nullptr;
  const int last = settings.position == Passenger ? POSTURE_PEDAL_ANGLE : POSTURE_WHEEL_DIAMETER;
  for (int d = POSTURE_SGRP_LENGTH; d <= last; ++d) {
    char* text = nullptr;
    const int code = PostureValidateDimension(&settings, sizes, static_cast<VD_2DManikin_Posture_Dimension_Position_t>(d),
                                              message != nullptr ? &text : nullptr);
    if (code == 0) continue;
    if (IsAllowedDeviation(code)) {
      if (firstAllowed == 0) {
        firstAllowed = code;
        allowedText = text;
      } else {
        SM_free(text);
      }
      continue;
    }
    SM_free(allowedText);
    if (message != nullptr) *message = text;
    return code;
  }
  if (message != nullptr) *message = allowedText;
  return firstAllowed;
}

bool ManikinBuilder::GetOutputOptionsReadyForApply() {
  VD_2DManikin_vehicle_settings_t settings{};
  GetVehicleManikinSettings(&settings);
  if (settings.driverDesignPoint && m_drivingPostureCheck) return false;
  return !m_jointAngleReport;
}

int ManikinBuilder::validate_nothrow() {
  if (int rc = Stamvik::CheckInputs(this); rc != 0) return rc;
  if (m_position != Driver && m_position != Passenger) return kManikinPositionUnknown;
  if (m_classification != ClassA && m_classification != ClassB) return kManikinClassificationUnknown;
  if (m_standard != SAEJ826Jul1995 && m_standard != Saej833 && m_standard != UserDefined)
    return kManikinStandardUnknown;
  if (const int code = ValidateUserDefinedManikinSizeDimensions(); code != 0) return code;
  if ((m_standard == SAEJ826Jul1995 && (m_sAEPercentile < 0 || m_sAEPercentile > 2)) ||
      (m_standard == Saej833 && (m_sAEPercentile < 3 || m_sAEPercentile > 5)))
    return kManikinPercentileNotOfStandard;
  const int code = PostureValidateAllDimensions(nullptr);
  if (code == 0 || IsAllowedDeviation(code)) return 0;
  ShowRefusal(code);
  return code;
}

// The posture's refusal texts take the limits and values they were refused
// with: the number alone would leave the user its text with the values
// missing. The text filled in is handed to the host's error object under its
// number, which is what the user is shown. A failure to make the text shows
// nothing more and changes nothing: the number stands.
void ManikinBuilder::ShowRefusal(int code) noexcept {
  Stamvik::RunNoted("ManikinBuilder::ShowRefusal", [&] {
    if (!Error::TakesValues(ERROR_decode(code))) return;
    char* text = nullptr;
    if (PostureValidateAllDimensions(&text) != code || text == nullptr) {
      SM_free(text);
      return;
    }
    const std::string filled = text;
    SM_free(text);
    Error::Severe severe;
    severe.Use(Error::Exception(code, filled));
    severe.SetLocation("VDJA_ManikinBuilder", 375, 0);
    severe.Close(0);
  });
}

// ---- reading a manikin back from its rule instance ------------------------------------------

int ManikinBuilder::ConvertFrecToBuilderData(FEATURE_RECORD* frec) {
  Stamvik::HostBlock<char> instance;
  if (VD_get_instance_name_by_feature_tag(CM_ask_eid_of_object(frec), instance.out()) != 0 || !instance) return 0;
  const std::string name = instance.get();
  instance.reset();
  SetCurrentManikinRuleName(UString(name));
  auto chain = [&name](const char* attribute) { return "root:" + name + ":" + attribute + ":"; };
  int number = 0;
  bool flag = false;
  if (VD_KF_ask_integer(chain("Occ_Location").c_str(), &number) == 0)
    SetPosition(static_cast<JA_MANIKIN_BUILDER_PositionType>(number - 1));
  if (VD_KF_ask_integer(chain("vehicle_class").c_str(), &number) == 0)
    SetClassification(static_cast<JA_MANIKIN_BUILDER_ClassificationType>(number - 1));
  if (VD_KF_ask_boolean(chain("Allow_non_standard_input?").c_str(), &flag) == 0) SetAllowPostureValueOutOfRange(flag);
  if (int code = 0; VD_KF_ask_integer(chain("standard").c_str(), &code) == 0) {
    if (code == 2) {
      SetStandard(UserDefined);
    } else if (code == 0 || code == 1) {
      SetStandard(code == 1 ? SAEJ826Jul1995 : Saej833);
      // A percentile the standard does not have leaves the one the builder holds.
      if (int percentile = 0; VD_KF_ask_integer(chain("Percentage_acc").c_str(), &percentile) == 0 &&
                              percentile >= 1 && percentile <= 3)
        SetSAEPercentile(static_cast<JA_MANIKIN_BUILDER_SAEPercentileType>(percentile - 1 + (code == 1 ? 0 : 3)));
    }
  }
  {
    // A text handed out goes also when taking it over fails.
    Stamvik::HostBlock<char> text;
    VD_KF_get_string(chain("Percentage_usr").c_str(), text.out());
    SetCurrentManikinSize(UString(text && *text.get() != '\0' ? text.get() : "SAE J826 99%"));
  }
  {
    Stamvik::HostBlock<char> text;
    if (VD_KF_get_string(chain("usr_def_file").c_str(), text.out()) == 0) SetOpenFromFile(UString(text.get()));
  }

  int count = 0;
  Stamvik::HostBlock<double> list;
  if (VD_KF_ask_number_list(chain("usr_def_para").c_str(), &count, list.out()) == 0 && count == 8) {
    SetManikinSizeArrayData(list.get());
    // Read from the rule: a commit writes only what is set through the builder since.
    for (const EXP_expression* size : {m_thighLength, m_legLength, m_armLength, m_forearmLength, m_torsoLength,
                                       m_shoulderToHipLength, m_handLength, m_handGripLength})
      Stamvik::NoteReadText(size);
  } else {
    VD_2DManikin_value_t standard{};
    VD_2DManikin_init_default_value(&standard);
    double sizes[8];
    VD_2DManikin_copy_value(PartUnitCode(), &standard, sizes);
    SM_free(standard.percentile);
    const VD_2DManikin_user_defined_manikin_size_value_t record{sizes[0], sizes[1], sizes[2], sizes[3],
                                                                sizes[4], sizes[5], sizes[6], sizes[7]};
    SetManikinSizeData(&record);
  }

  int version = 0;
  VD_KF_ask_integer(chain("Algorithm_version").c_str(), &version);
  const std::string suffix = version != 0 ? "_exp_v1" : "_exp";
  // The builder takes copies of the rule's expressions, not the rule's own:
  // a value set through it would change the manikin at once, and no refused
  // or failed commit would take it back. The commit writes them into the rule.
  auto bind = [&](const char* expressionName, const OM::AttributeId& field) {
    tag_t tag = 0;
    if (VD_ask_kf_expression_tag(name.c_str(), (expressionName + suffix).c_str(), &tag) != 0) return;
    if (auto* expression = dynamic_cast<EXP_expression*>(OM::OM_object_of_tag(tag)); expression != nullptr)
      OM::OM_set_pointer(this, field, Stamvik::CopyOfExpression(expression, "VDJA_ManikinBuilder", 462));
  };
  bind("L31", m_sgRPLengthAttId);
  bind("W20", m_sgRPWidthAttId);
  bind("H70", m_sgRPHeightAttId);
  bind("L40", m_backAngleAttId);
  bind("Theta_AHP", m_pedalPlaneAngleAttId);
  bind("AHP_X", m_aHPLengthAttId);
  bind("AHP_Z", m_aHPHeightAttId);
  if (m_position == Driver) {
    bind("L11", m_aHPToSWCLengthAttId);
    bind("H17", m_aHPToSWCHeightAttId);
    bind("W9", m_wheelDiameterAttId);
    bind("H18", m_wheelAngleAttId);
  } else {
    // A passenger's rule has no steering wheel: the package's general defaults stand in.
    VD_general_default_value_t defaults{};
    VD_read_general_default_value(&defaults);
    for (auto [value, field, measure] : {std::tuple{defaults.aHPToSWCLength, &m_aHPToSWCLengthAttId, kLength},
                                         std::tuple{defaults.aHPToSWCHeight, &m_aHPToSWCHeightAttId, kLength},
                                         std::tuple{defaults.wheelDiameter, &m_wheelDiameterAttId, kLength},
                                         std::tuple{defaults.wheelAngle, &m_wheelAngleAttId, kAngle}}) {
      const Stamvik::HostBlock<char> formatted(SM_sprintf("%f", value));
      AttachExpression(this, *field, measure, formatted.get());
    }
  }
  bool checker = false;
  if ((VD_KF_ask_boolean(chain("add_checker?").c_str(), &checker) == 0 && checker) ||
      (VD_KF_ask_boolean(chain("add_validation_checker?").c_str(), &checker) == 0 && checker))
    SetDrivingPostureCheck(true);
  if (VD_KF_ask_boolean(chain("add_report?").c_str(), &flag) == 0) SetJointAngleReport(flag);
  return 0;
}

// ---- size files ------------------------------------------------------------------------------

int ManikinBuilder::SaveToFile(const char* fileName) {
  if (m_standard != UserDefined) return 0;
  if (const int code = ValidateUserDefinedManikinSizeDimensions(); code != 0) return code;
  VD_2DManikin_user_defined_manikin_size_value_t sizes{};
  GetManikinSizeData(&sizes);
  VD_2DManikin_value_t value{};
  value.unit = PartUnitCode();
  const Stamvik::HostBlock<char> percentile(SM_string_copy(Frame::CharsOf(m_currentManikinSize)));
  value.percentile = percentile.get();
  value.thigh = sizes.thigh, value.leg = sizes.leg, value.arm = sizes.arm, value.forearm = sizes.forearm;
  value.torso = sizes.torso, value.shoulderToHip = sizes.shoulderToHip, value.hand = sizes.hand;
  value.handGrip = sizes.handGrip;
  const int written = VD_2DManikin_save_value_in_file(fileName, &value);
  if (written == 1) {
    const char* lines[] = {"Error existing in accessing the file.", "Attribute of the file may be read only."};
    mtErrorDialog("Input Validation", 2, lines);
  } else if (written == 2) {
    const char* lines[] = {"Error existing in reading from file.",
                           "Failed to read user defined mainikin size value, please check data input format."};
    mtErrorDialog("Input Validation", 2, lines);
  }
  // A script must not take a save that wrote nothing for one that did.
  return written != 0 ? Messages::kManikinSizeFileNotWritten : 0;
}

int ManikinBuilder::OpenFromFile(const char* fileName) {
  VD_2DManikin_value_t value{};
  int refusal = 0;
  if (!VD_2DManikin_read_customer_default_size(fileName, &value, &refusal)) {
    const char* lines[] = {"Error existing in reading from file.",
                           "The selected file does not include all required values."};
    mtErrorDialog("Invalid Input File", 2, lines);
    // A script must not take a refused file for one that was read.
    return refusal;
  }
  const Stamvik::HostBlock<char> percentile(value.percentile);
  double sizes[8];
  VD_2DManikin_copy_value(PartUnitCode(), &value, sizes);
  SetCurrentManikinSize(UString(value.percentile));
  const VD_2DManikin_user_defined_manikin_size_value_t record{sizes[0], sizes[1], sizes[2], sizes[3],
                                                              sizes[4], sizes[5], sizes[6], sizes[7]};
  SetManikinSizeData(&record);
  return 0;
}

// ---- building the manikin's rule instance -------------------------------------------------

namespace {

// A text as the rule language reads it: between double quotes, each double
// quote inside written twice (a size name such as 5'8" driver).
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

template <class Texts>
std::string TextList(const Texts& texts, int count) {
  std::string list = "{";
  for (int i = 0; i < count; ++i) list += (i > 0 ? ", " : "") + Quoted(texts[i]);
  return list + "}";
}

std::string NumberList(const double* values, int count) {
  std::string list = "{";
  for (int i = 0; i < count; ++i) {
    char number[64];
    std::snprintf(number, sizeof number, "%s%f", i > 0 ? ", " : "", values[i]);
    list += number;
  }
  return list + "}";
}

std::string Integer(int value) { return std::to_string(value); }
const char* Logical(bool value) { return value ? "TRUE" : "FALSE"; }

// The parameter list the rule reads, in its order.
struct Parameters {
  std::vector<std::string> names, values;
  void Add(const char* name, std::string value) {
    names.emplace_back(name);
    values.push_back(std::move(value));
  }
  // The requirement pairs of a source type, as the design-point and joint rows write them.
  template <class Texts>
  void Requirements(const char* kind, int type, const char* project, const Texts& properties,
                    const Texts& identifiers, int count, const double* data) {
    Add((std::string(kind) + "_Required_Source_Type").c_str(), Integer(type));
    if (type == 0 || type == 5) Add((std::string(kind) + "_Required_Data").c_str(), NumberList(data, 2 * count));
    if (type >= 1 && type <= 3) {
      Add((std::string(kind) + "_Required_Project_Name").c_str(), Quoted(project));
      Add((std::string(kind) + "_Required_Property_Names").c_str(), TextList(properties, count));
    }
    if (type == 5) Add((std::string(kind) + "_Required_VR_Ids").c_str(), TextList(identifiers, count));
  }
};

std::string Reference(const EXP_expression* expression) {
  const Stamvik::HostBlock<char> text(VD_reference_object(expression != nullptr ? expression->OmTag() : 0));
  return text ? text.get() : "";
}

// The expression a posture parameter references. A new rule takes the
// builder's own; a rebuilt one keeps its own, given the builder's value
// here, under the commit's marks, so that a rebuild undone takes the value
// back with it. A rule without one for the parameter (a passenger made a
// driver) gets a new one of the builder's value: never the builder's
// expression, which stays the builder's to change.
std::string PostureReference(const std::string& rule, bool create, tag_t part, const char* parameter,
                             EXP_expression* builderOwn) {
  if (create || builderOwn == nullptr) return Reference(builderOwn);
  tag_t tag = 0;
  auto* own = VD_ask_kf_expression_tag(rule.c_str(), parameter, &tag) == 0
                  ? dynamic_cast<EXP_expression*>(OM::OM_object_of_tag(tag))
                  : nullptr;
  if (own == nullptr) return Reference(Stamvik::CopyOfExpression(builderOwn, "VDJA_ManikinBuilder", 552));
  // A value not set through the builder since it read the rule is the
  // rule's as it is now: another builder may have committed it meanwhile.
  Stamvik::WriteCopyIntoPart(part, own, builderOwn);
  return Reference(own);
}

// An edit's value not set through the builder since it read the rule takes
// the rule's as it is now (another builder may have committed it meanwhile);
// what the commit writes counts as read once it goes through.
void TakeRuleText(tag_t part, EXP_expression* builderOwn, const char* ruleText) {
  if (builderOwn == nullptr || ruleText == nullptr || Stamvik::ChangedSinceRead(builderOwn)) return;
  if (std::strcmp(builderOwn->ask_text(), ruleText) != 0) EXP_edit_exp_all_errors(part, builderOwn, ruleText);
}
void TakeRuleAngle(const std::string& rule, tag_t part, const char* parameter, EXP_expression* builderOwn) {
  tag_t tag = 0;
  if (VD_ask_kf_expression_tag(rule.c_str(), parameter, &tag) != 0) return;
  if (const auto* own = dynamic_cast<const EXP_expression*>(OM::OM_object_of_tag(tag)); own != nullptr)
    TakeRuleText(part, builderOwn, own->ask_text());
}

// A new angle expression of the rule from the builder's one; its failure is the given message.
std::string NewAngle(const std::string& rule, const char* parameter, const EXP_expression* expression, int failure) {
  Stamvik::HostBlock<char> output;
  if (VD_create_expression_value_units(rule.c_str(), parameter, expression != nullptr ? expression->ask_text() : "0",
                                       UNIT_ask_default_unit_obj_for_measure(kAngle), output.out()) != 0 ||
      !output)
    ERROR_raise("VDJA_ManikinBuilder", 568, failure, "%s", ERROR_decode(failure));
  return output.get();
}

constexpr const char* kCommitMark = "Create 2D Manikin";
constexpr const char* kBuildMark = "Create 2D manikin Child Rule";

int SetNamedMark(const char* name, int line) {
  int error = 0;
  const int mark = UNDO_QD_set_mark(1, name, &error);
  if (error != 0) ERROR_raise("VDJA_ManikinBuilder", line, error, "Cannot set undo mark");
  UNDO_QD_set_mark_importance(mark, 1);
  return mark;
}

}  // namespace

int ManikinBuilder::commit_feature(FEATURE_RECORD** frec) {
  // In its turn with the other builders alive on the feature (CommitPath.hpp).
  return Stamvik::CommitInTurn(this, [&]() -> int {
    int mark = 0;
    try {
      mark = SetNamedMark(kCommitMark, 591);
    } catch (const std::exception& caught) {
      return Error::HandleAsBuilder(caught, "VDJA_ManikinBuilder", 593);
    }
    // What the rebuild wrote of the builder's values counts as read only when
    // the commit goes through (CommitPath.hpp).
    Stamvik::CommitNotes notes;
    try {
      int status = 0;
      const tag_t partTag = ask_owning_part() != nullptr ? ask_owning_part()->OmTag() : 0;
      if (get_frec() != nullptr) {
        const std::string name = Frame::CharsOf(m_currentManikinRuleName);
        // The checker the rule has now goes before the rebuild, which makes one
        // anew when the options ask for it: asked after it, the rule would
        // answer for the new options and the new checker would be the one
        // deleted (or an old one kept that the options no longer ask for).
        bool checker = false;
        if (VD_KF_ask_boolean(("root:" + name + ":add_checker?:").c_str(), &checker) == 0 && checker) {
          Stamvik::HostBlock<char> chain;
          if (VD_KF_get_instance_namechain(("root:" + name + ":checker_instance:").c_str(), chain.out()) == 0) {
            {
              const Stamvik::HostBlock<char> rule(VD_get_rule_string(chain.get()));
              KBL_delete_instance_rule(IM_ask_instance_manager(partTag), rule.get(), "root:");
            }
            UPDATE_do_update();
          }
        }
        status = BuildManikin(UString(name), false);
        if (status == 0 && frec != nullptr) *frec = get_frec();
      } else {
        Stamvik::HostBlock<char> next;
        VD_KF_auto_get_next_rule_name("VD_2DM", next.out());
        const std::string name = next ? next.get() : "";
        next.reset();
        SetCurrentManikinRuleName(UString(name));
        status = BuildManikin(UString(name), true);
        if (status == 0) {
          tag_t feature = 0;
          Stamvik::HostBlock<char> featureName;
          VD_get_feature_tag_and_name(name.c_str(), &feature, featureName.out());
          featureName.reset();
          auto* record = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(feature));
          if (record == nullptr) {
            status = kManikinRuleGaveNoFeature;
          } else {
            if (frec != nullptr) *frec = record;
            set_frec(record);
  #define STAMVIK_POSTURE_FIELD(Name, field) std::pair<EXP_expression*, const OM::AttributeId*>{field, &field##AttId},
            Stamvik::GoOnWithCopies(this, {STAMVIK_MANIKIN_POSTURE_EXPRESSIONS(STAMVIK_POSTURE_FIELD)},
                                    "VDJA_ManikinBuilder", 703);
  #undef STAMVIK_POSTURE_FIELD
          }
        }
      }
      // A build that failed is no manikin: nothing of it stays.
      if (status != 0) UNDO_QD_undo_to_mark_no_status(mark, kCommitMark);
      UNDO_QD_delete_to_mark(mark, kCommitMark);
      if (status == 0) notes.Keep();
      return status;
    } catch (const std::exception& caught) {
      Error::Severe error;
      error.Use(Error::Severe::Convert(caught));
      error.SetLocation("VDJA_ManikinBuilder", 644, 0);
      const int code = error.askCode();
      UNDO_QD_undo_to_mark_no_status(mark, kCommitMark);
      error.Close(0);
      UNDO_QD_delete_to_mark(mark, kCommitMark);
      return code;
    }
  });
}

int ManikinBuilder::BuildManikin(const UString& ruleName, bool create) {
  const std::string name = ruleName.utf8();
  VD_2DManikin_vehicle_settings_t settings{};
  GetVehicleManikinSettings(&settings);
  const bool designPoint = settings.driverDesignPoint && m_drivingPostureCheck;
  const bool jointReport = m_jointAngleReport;
  int previousCount = 0;
  tag_t* previous = nullptr;
  char** previousNames = nullptr;
  if (create) {
    if (UDFS_lib_load_configuration() != 0) UDFS_config_library(nullptr, nullptr);
  } else {
    VD_ask_expressions_of_kf_feature(name.c_str(), &previousCount, &previous, &previousNames);
  }
  auto freePrevious = [&] {
    for (int i = 0; previousNames != nullptr && i < previousCount; ++i) SM_free(previousNames[i]);
    SM_free(previousNames);
    SM_free(previous);
  };
  int mark = 0;
  try {
    mark = SetNamedMark(kBuildMark, 674);
  } catch (...) {
    freePrevious();
    throw;
  }
  try {
    Parameters p;
    p.Add("Algorithm_version", "1");
    p.Add("occ_udf_version", "1");
    p.Add("Occ_Location", Integer(m_position + 1));
    p.Add("Standard", Integer(settings.standardCode));
    p.Add("Allow_non_standard_input?", Logical(settings.allowOutOfRange));
    if (settings.standardCode != 2) p.Add("Percentage_acc", Integer(settings.percentileIndex + 1));
    p.Add("Vehicle_class", Integer(m_classification + 1));
    p.Add("add_report?", Logical(jointReport));
    p.Add("add_validation_checker?", Logical(designPoint));
    if (designPoint) {
      int type = 0;
      RequirementText project, properties[4], identifiers[4];
      double criteria[8];
      VD_2DManikin_read_design_point_requirements(settings.percentileIndex + 1, &type, project, properties,
                                                  identifiers, criteria);
      p.Requirements("DP", type, project, properties, identifiers, 4, criteria);
    }
    if (jointReport) {
      int type = 0;
      RequirementText project, properties[7], identifiers[7];
      double limits[14];
      VD_2DManikin_read_joint_angle_requirements(&type, project, properties, identifiers, limits);
      p.Requirements("Joint", type, project, properties, identifiers, 7, limits);
    }
    const tag_t partTag = ask_owning_part() != nullptr ? ask_owning_part()->OmTag() : 0;
    const auto posture = [&](const char* parameter, EXP_expression* builderOwn) {
      p.Add(parameter, PostureReference(name, create, partTag, parameter, builderOwn));
    };
    // The sizes, in the order of the rule's list, and the angles.
    EXP_expression* const sizeExpressions[8] = {m_legLength,   m_thighLength,         m_forearmLength, m_armLength,
                                                m_torsoLength, m_shoulderToHipLength, m_handGripLength, m_handLength};
    EXP_expression* const angles[3] = {m_backAngle, m_pedalPlaneAngle, m_wheelAngle};
    if (!create) {
      TakeRuleAngle(name, partTag, "L40_exp_v1", m_backAngle);
      TakeRuleAngle(name, partTag, "Theta_AHP_exp_v1", m_pedalPlaneAngle);
      if (m_position == Driver) TakeRuleAngle(name, partTag, "H18_exp_v1", m_wheelAngle);
      int count = 0;
      Stamvik::HostBlock<double> ruleSizes;
      if (VD_KF_ask_number_list(("root:" + name + ":usr_def_para:").c_str(), &count, ruleSizes.out()) == 0 &&
          count == 8)
        for (int i = 0; i < 8; ++i) {
          const Stamvik::HostBlock<char> text(EXP_format_value(ruleSizes.get()[i]));
          TakeRuleText(partTag, sizeExpressions[i], text.get());
        }
    }
    for (EXP_expression* expression : sizeExpressions) Stamvik::NoteWrittenText(expression);
    for (EXP_expression* expression : angles) Stamvik::NoteWrittenText(expression);
    posture("L31_exp_v1", m_sgRPLength);
    posture("W20_exp_v1", m_sgRPWidth);
    posture("H70_exp_v1", m_sgRPHeight);
    posture("AHP_X_exp_v1", m_aHPLength);
    posture("AHP_Z_exp_v1", m_aHPHeight);
    p.Add("L40_exp_v1", NewAngle(name, "L40_exp_v1", m_backAngle, kManikinBackAngleExpressionFailed));
    p.Add("Theta_AHP_exp_v1",
          NewAngle(name, "Theta_AHP_exp_v1", m_pedalPlaneAngle, kManikinPedalAngleExpressionFailed));
    if (m_position == Driver) {
      posture("L11_exp_v1", m_aHPToSWCLength);
      posture("H17_exp_v1", m_aHPToSWCHeight);
      posture("W9_exp_v1", m_wheelDiameter);
      p.Add("H18_exp_v1", NewAngle(name, "H18_exp_v1", m_wheelAngle, kManikinWheelAngleExpressionFailed));
    }
    p.Add("usr_def_file", Quoted(Frame::CharsOf(m_openFromFile)));
    p.Add("Percentage_usr", Quoted(Frame::CharsOf(m_currentManikinSize)));
    double sizes[8] = {};
    GetManikinSizeArrayData(UserDefined, 0, sizes);
    std::string list = "{";
    for (int i = 0; i < 8; ++i) {
      char number[64];
      std::snprintf(number, sizeof number, i < 7 ? "%f," : "%f}", sizes[i]);
      list += number;
    }
    p.Add("usr_def_para", list);

    std::vector<const char*> names, values;
    for (std::size_t i = 0; i < p.names.size(); ++i) {
      names.push_back(p.names[i].c_str());
      values.push_back(p.values[i].c_str());
    }
    char* output = nullptr;
    const int status = VD_KF_create_child_rule(ask_owning_part() != nullptr ? ask_owning_part()->OmTag() : 0, "root:",
                                               name.c_str(), "%qd_vd_2dmanikin", static_cast<int>(names.size()),
                                               names.data(), values.data(), &output);
    SM_free(output);
    UPDATE_do_update();
    if (status == 0) {
      VD_remove_unused_kf_feature_expressions(name.c_str(), previousCount, previous);
      if (jointReport) {
        VD_2DManikin_update_checkers(name.c_str());
        UPDATE_do_update();
      }
    }
    UNDO_QD_delete_to_mark(mark, kBuildMark);
    freePrevious();
    return status;
  } catch (const std::exception& caught) {
    freePrevious();
    const Error::Exception error = Error::Severe::Convert(caught);
    UNDO_QD_undo_to_mark_no_status(mark, kBuildMark);
    UNDO_QD_delete_to_mark(mark, kBuildMark);
    throw Error::Exception(error.askCode(), error.text(), "VDJA_ManikinBuilder", 756);
  }
}

int ManikinBuilder::PartUnitCode() const { return PART_ask_units(ask_owning_part()) == 1 ? 1 : 0; }

}  // namespace KTX::VDJA
