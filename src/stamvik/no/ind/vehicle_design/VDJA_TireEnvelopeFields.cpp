#include "VDJA_TireEnvelopeFields.hpp"

#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

#include "CommitPath.hpp"
#include "Support.hpp"
#include "exp/Expression.hpp"
#include "om/ObjectManager.hpp"

namespace KTX::VDJA {

namespace {

constexpr double kNoDefault = std::numeric_limits<double>::quiet_NaN();

template <class T>
T FromNumber(double value) {
  if constexpr (std::is_same_v<T, bool>) return value != 0;
  else if constexpr (std::is_floating_point_v<T>) return value;
  else return static_cast<T>(static_cast<int>(value));
}

template <class T>
constexpr SlotType SlotOf() {
  if constexpr (std::is_same_v<T, std::uint8_t>) return SlotType::Byte;
  else if constexpr (std::is_same_v<T, std::int32_t>) return SlotType::Int32;
  else if constexpr (std::is_same_v<T, double>) return SlotType::Real;
  else {
    static_assert(std::is_same_v<T, EXP_expression*>, "a plain field of the block");
    return SlotType::Expression;
  }
}

constexpr std::uint8_t kBoth = kWritten | kReadBack;

// A logical, integer or real (enumerations are integers) in the block's field.
#define STAMVIK_SCALAR(Id, Kind, Name, field, passes, rule, ruleDefault, label)                            \
  EnvelopeField {                                                                                          \
    Id, FieldKind::Kind, offsetof(Tireenv_params_s, field), SlotOf<decltype(Tireenv_params_s::field)>(),   \
        passes, rule, ruleDefault, label,                                                                  \
        [](const TireEnvelopeBuilder& b) { return static_cast<double>(b.Get##Name()); },                   \
        [](TireEnvelopeBuilder& b, double v) { b.Set##Name(FromNumber<decltype(b.Get##Name())>(v)); },     \
        nullptr, nullptr, 0                                                                                \
  }
// An expression: its value in a real field, or the expression itself.
#define STAMVIK_EXPRESSION_AT(Id, Name, member, measure, offset, Slot, passes, rule, label)                   \
  EnvelopeField {                                                                                             \
    Id, FieldKind::Expression, offset, Slot, passes, rule, kNoDefault, label,                                 \
        [](const TireEnvelopeBuilder& b) { return Stamvik::ExpressionValue(b.Get##Name()); },                 \
        nullptr,                                                                                              \
        [](const TireEnvelopeBuilder& b) { return b.Get##Name(); }, &TireEnvelopeBuilder::member##AttId, measure \
  }
#define STAMVIK_EXPRESSION(Id, Name, member, measure, field, passes, rule, label)                                 \
  STAMVIK_EXPRESSION_AT(Id, Name, member, measure, offsetof(Tireenv_params_s, field),                             \
                        SlotOf<decltype(Tireenv_params_s::field)>(), passes, rule, label)
#define STAMVIK_OFFSET(Id, Name, member, index, rule)                                                      \
  STAMVIK_EXPRESSION_AT(Id, Name, member, 0, offsetof(Tireenv_params_s, offsets) + (index) * sizeof(double), \
                        SlotType::Real, kWritten, rule, nullptr)

constexpr EnvelopeField kFields[] = {
    STAMVIK_SCALAR(kCreateTireEnvelopeFeatureField, Logical, CreateTireEnvelopeFeature, createTireEnvelopeFeature,
                   kBoth, "evt_wel_group_motionenvelope", 1, "Create motion envelope"),
    STAMVIK_SCALAR(kRunClearanceAnalysisField, Logical, RunClearanceAnalysis, runClearanceAnalysis, kBoth,
                   "evt_wel_group_clearancebrowser", 1, "Run clearance analysis"),
    STAMVIK_SCALAR(kDisplayInputField, Logical, DisplayInput, displayInput, kBoth, "evt_finish_step_outputlistwin",
                   kNoDefault, nullptr),
    STAMVIK_SCALAR(kSectionLayerField, Integer, SectionLayer, sectionLayer, kBoth, "sec_1_layer", 1,
                   "Section 1 Layer"),
    STAMVIK_SCALAR(kSheetBodyLayerField, Integer, SheetBodyLayer, sheetBodyLayer, kBoth, "surface_layer", 101,
                   "Sheet Bodies Layer"),
    STAMVIK_SCALAR(kProfileSplineLayerField, Integer, ProfileSplineLayer, profileSplineLayer, kBoth, "profile_layer",
                   201, "Profile Spline Layer"),
    STAMVIK_SCALAR(kSpindleLinesLayerField, Integer, SpindleLinesLayer, spindleLinesLayer, kBoth,
                   "spindle_line_layer", 200, "Spindle Line Layer"),
    STAMVIK_SCALAR(kAddMasterComponentPartField, Logical, AddMasterComponentPart, addMasterComponentPart, kBoth,
                   nullptr, kNoDefault, "Add Master Component Part"),
    STAMVIK_SCALAR(kTireDefinitionField, Integer, TireDefinition, tireDefinition, kBoth, nullptr, kNoDefault,
                   nullptr),
    STAMVIK_EXPRESSION(kWheelCenterlineShiftField, WheelCenterlineShift, m_wheelCenterlineShift, 0,
                       wheelCenterlineShift, kBoth, "wheel_cl_offset", "Wheel Centerline Shift"),
    STAMVIK_SCALAR(kMirrorProfileField, Logical, MirrorProfile, mirrorProfile, 0, nullptr, kNoDefault, "Mirror"),
    STAMVIK_EXPRESSION(kWheelRimDiameterField, WheelRimDiameter, m_wheelRimDiameter, 0, wheelRimDiameter, 0,
                       "rim_diameter", "Rim diameter"),
    STAMVIK_SCALAR(kRimDiameterOptionField, Integer, RimDiameterOption, rimDiameterOption, kBoth,
                   "evt_wheel_step_rimoption", kNoDefault, nullptr),
    STAMVIK_EXPRESSION(kRimDiameterField, WheelRimDiameter, m_wheelRimDiameter, 0, rimDiameter, kWritten, nullptr,
                       nullptr),
    STAMVIK_SCALAR(kMotionField, Integer, Motion, motion, kBoth, "evt_motion_group_motionoption", kNoDefault,
                   nullptr),
    STAMVIK_SCALAR(kSaveScenarioField, Logical, SaveScenario, saveScenario, kBoth,
                   "evt_motion_group_savescen_template", kNoDefault, nullptr),
    STAMVIK_SCALAR(kSpindleFileLocationField, Integer, SpindleFileLocation, spindleFileLocation, 0, nullptr,
                   kNoDefault, nullptr),
    STAMVIK_SCALAR(kSuspensionTemplateField, Integer, SuspensionTemplate, suspensionTemplate, 0,
                   "evt_motion_group_templatetype", kNoDefault, nullptr),
    STAMVIK_EXPRESSION(kRollAngleField, RollAngle, m_rollAngle, 7, rollAngle, kBoth, "evt_driver_step_rollangle",
                       "Roll Angle"),
    STAMVIK_SCALAR(kJounceDistanceField, Real, JounceDistance, jounceDistance, kBoth, "evt_driver_step_jounce",
                   kNoDefault, "Jounce"),
    STAMVIK_SCALAR(kReboundDistanceField, Real, ReboundDistance, reboundDistance, kBoth, "evt_driver_step_rebound",
                   kNoDefault, "Rebound"),
    STAMVIK_SCALAR(kShockStepsField, Integer, ShockDriverJointSteps, shockSteps, kBoth, "evt_driver_step_steps",
                   kNoDefault, "Steps"),
    STAMVIK_SCALAR(kDriverGraphField, Integer, DriverGraph, driverGraph, kBoth, nullptr, kNoDefault, nullptr),
    STAMVIK_SCALAR(kXtoYField, Logical, XtoY, xtoY, kBoth, "evt_driver_step_x_y", kNoDefault, nullptr),
    STAMVIK_SCALAR(kFirstUpperField, Real, FirstDriverJointUpperLimit, firstUpper, kBoth,
                   "evt_driver_step_steeringupper", kNoDefault, nullptr),
    STAMVIK_SCALAR(kFirstLowerField, Real, FirstDriverJointLowerLimit, firstLower, kBoth,
                   "evt_driver_step_steeringlower", kNoDefault, nullptr),
    STAMVIK_SCALAR(kFirstStepsField, Integer, FirstDriverJointSteps, firstSteps, kBoth,
                   "evt_driver_step_steeringsteps", kNoDefault, nullptr),
    STAMVIK_SCALAR(kSecondUpperField, Real, SecondDriverJointUpperLimit, secondUpper, kBoth,
                   "evt_driver_step_jouceupper", kNoDefault, nullptr),
    STAMVIK_SCALAR(kSecondLowerField, Real, SecondDriverJointLowerLimit, secondLower, kBoth,
                   "evt_driver_step_joucelower", kNoDefault, nullptr),
    STAMVIK_SCALAR(kSecondStepsField, Integer, SecondDriverJointSteps, secondSteps, kBoth,
                   "evt_driver_step_joucesteps", kNoDefault, nullptr),
    // The three driver locations share the one field by graph.
    STAMVIK_SCALAR(kTaperLocationYAxisField, Real, TaperLocationYAxis, taperLocation, kWritten, nullptr, kNoDefault,
                   "Percentage"),
    STAMVIK_SCALAR(kTaperLocationAYField, Real, TaperLocationAY, taperLocationAY, kWritten,
                   "evt_driver_step_location_a", kNoDefault, "A"),
    STAMVIK_SCALAR(kTaperLocationBXField, Real, TaperLocationBX, taperLocationBX, kWritten,
                   "evt_driver_step_location_b", kNoDefault, "B"),
    STAMVIK_SCALAR(kTaperLocationXAxisField, Real, TaperLocationXAxis, taperLocation, 0, nullptr, kNoDefault,
                   "Percentage"),
    STAMVIK_SCALAR(kFixedLocationPercentageField, Real, FixedLocationPercentage, taperLocation, 0, nullptr,
                   kNoDefault, "Percentage"),
    STAMVIK_SCALAR(kEnvelopeConcavityField, Real, EnvelopeConcavity, envelopeConcavity, kBoth, "concav_sens",
                   kNoDefault, "Concavity Sensitivity"),
    STAMVIK_EXPRESSION(kRadialStartField, RadialStartAngle, m_radialStartAngle, 7, radialStart, kWritten, nullptr,
                       nullptr),
    STAMVIK_EXPRESSION(kRadialEndField, RadialEndAngle, m_radialEndAngle, 7, radialEnd, kWritten, nullptr, nullptr),
    STAMVIK_EXPRESSION(kDistanceToleranceValueField, DistanceTolerance, m_distanceTolerance, 0,
                       distanceToleranceValue, kWritten, nullptr, nullptr),
    STAMVIK_EXPRESSION(kTrimRadiusValueField, TrimRadius, m_trimRadius, 0, trimRadiusValue, kWritten, nullptr,
                       nullptr),
    STAMVIK_EXPRESSION(kRadialStartAngleField, RadialStartAngle, m_radialStartAngle, 7, radialStartAngle, kBoth,
                       "radial_angstart", "Start angle"),
    STAMVIK_EXPRESSION(kRadialEndAngleField, RadialEndAngle, m_radialEndAngle, 7, radialEndAngle, kBoth,
                       "radial_angend", "End angle"),
    STAMVIK_EXPRESSION(kDistanceToleranceField, DistanceTolerance, m_distanceTolerance, 0, distanceTolerance, kBoth,
                       nullptr, "Distance tolerance"),
    STAMVIK_EXPRESSION(kTrimRadiusField, TrimRadius, m_trimRadius, 0, trimRadius, kBoth, "trim_dist_spindle",
                       "Trim Radius from spindle"),
    STAMVIK_SCALAR(kApplyOffsetField, Logical, ApplyOffset, applyOffset, kBoth, "envelope_offset", kNoDefault,
                   nullptr),
    // The block holds the offsets front, up, down, rear, inboard, outboard.
    STAMVIK_OFFSET(kFrontOffsetField, FrontOffsetValue, m_frontOffsetValue, 0, "evt_offset_step_offsetleft"),
    STAMVIK_OFFSET(kUpOffsetField, UpOffsetValue, m_upOffsetValue, 1, "evt_offset_step_offsetup"),
    STAMVIK_OFFSET(kDownOffsetField, DownOffsetValue, m_downOffsetValue, 2, "evt_offset_step_offsetbottom"),
    STAMVIK_OFFSET(kRearOffsetField, RearOffsetValue, m_rearOffsetValue, 3, "evt_offset_step_offsetright"),
    STAMVIK_OFFSET(kInboardOffsetField, InboardOffsetValue, m_inboardOffsetValue, 4, "evt_offset_step_offsetinboard"),
    STAMVIK_OFFSET(kOutboardOffsetField, OutboardOffsetValue, m_outboardOffsetValue, 5,
                   "evt_offset_step_offsetoutboard"),
    STAMVIK_EXPRESSION(kClearanceValueField, ClearanceValue, m_clearanceValue, 0, clearanceValue, kBoth, nullptr,
                       nullptr),
};

#undef STAMVIK_OFFSET
#undef STAMVIK_EXPRESSION
#undef STAMVIK_EXPRESSION_AT
#undef STAMVIK_SCALAR

constexpr bool RowsInOrder() {
  for (int i = 0; i < kEnvelopeFieldCount; ++i)
    if (kFields[i].id != i) return false;
  return std::size(kFields) == kEnvelopeFieldCount;
}
static_assert(RowsInOrder(), "one row a field, in the order of the ids");

unsigned char* At(Tireenv_params_s* block, const EnvelopeField& row) {
  return reinterpret_cast<unsigned char*>(block) + row.offset;
}
const unsigned char* At(const Tireenv_params_s& block, const EnvelopeField& row) {
  return reinterpret_cast<const unsigned char*>(&block) + row.offset;
}

}  // namespace

const EnvelopeField& FieldRow(EnvelopeFieldId id) { return kFields[id]; }

void WriteField(const TireEnvelopeBuilder& builder, EnvelopeFieldId id, Tireenv_params_s* block) {
  const EnvelopeField& row = kFields[id];
  unsigned char* field = At(block, row);
  const auto put = [field](auto value) { std::memcpy(field, &value, sizeof value); };
  switch (row.slot) {
    case SlotType::Byte: put(static_cast<std::uint8_t>(row.number(builder) != 0 ? 1 : 0)); break;
    case SlotType::Int32: put(static_cast<std::int32_t>(row.number(builder))); break;
    case SlotType::Real: put(row.number(builder)); break;
    case SlotType::Expression: put(row.expression(builder)); break;
  }
}

void SetFieldNumber(TireEnvelopeBuilder& builder, const EnvelopeField& row, double value) {
  if (row.kind == FieldKind::Expression) {
    EXP_expression* read = vdja_tireenv_new_expression(value, row.measure);
    // Read: a commit writes it only when it is set through the builder since.
    Stamvik::NoteReadText(read);
    OM::OM_set_pointer(&builder, *row.attribute, read);
  } else
    row.store(builder, value);
}

void ReadField(TireEnvelopeBuilder& builder, EnvelopeFieldId id, const Tireenv_params_s& block) {
  const EnvelopeField& row = kFields[id];
  const unsigned char* field = At(block, row);
  const auto get = [field](auto value) {
    std::memcpy(&value, field, sizeof value);
    return value;
  };
  switch (row.slot) {
    case SlotType::Byte: SetFieldNumber(builder, row, get(std::uint8_t{0})); break;
    case SlotType::Int32: SetFieldNumber(builder, row, get(std::int32_t{0})); break;
    case SlotType::Real: SetFieldNumber(builder, row, get(0.0)); break;
    case SlotType::Expression:
      // A copy of the feature's own: a value set through the builder reaches
      // the feature only when a commit takes it (the commit writes it back).
      OM::OM_set_pointer(&builder, *row.attribute,
                         Stamvik::CopyOfExpression(get(static_cast<EXP_expression*>(nullptr)),
                                                   "VDJA_TireEnvelopeFields", 218));
      break;
  }
}

void WriteFields(const TireEnvelopeBuilder& builder, EnvelopeFieldId first, EnvelopeFieldId last,
                 Tireenv_params_s* block) {
  for (int id = first; id <= last; ++id)
    if ((kFields[id].passes & kWritten) != 0) WriteField(builder, static_cast<EnvelopeFieldId>(id), block);
}

void ReadFields(TireEnvelopeBuilder& builder, EnvelopeFieldId first, EnvelopeFieldId last,
                const Tireenv_params_s& block) {
  for (int id = first; id <= last; ++id)
    if ((kFields[id].passes & kReadBack) != 0) ReadField(builder, static_cast<EnvelopeFieldId>(id), block);
}

}  // namespace KTX::VDJA
