// A tire envelope kept in the older form, a knowledge-rule instance linked to
// the feature record: its values are read attribute by attribute into the
// builder when the envelope is opened for editing.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "Support.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "VDJA_TireEnvelopeFields.hpp"
#include "VDJA_TireEnvelopeSettings.hpp"
#include "afl/TireEnvelope.hpp"
#include "assy/Assembly.hpp"
#include "clear/Clearance.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "upd/Update.hpp"
#include "vd/KnowledgeRule.hpp"
#include "vdja_tireenv_motion_util.hpp"

namespace KTX::VDJA {

namespace {

// A point at the start (wheel end 0) or the end of the curve, regenerated;
// 0 when the curve has no end points.
tag_t vdja_tireenv_create_curve_end_point(tag_t curve, int wheelEnd) {
  double start[3], end[3];
  if (VD_ask_curve_end_points(curve, start, end) != 0) return 0;
  const tag_t point = ES_create_point(wheelEnd == 0 ? start : end);
  DSS_REGEN_regen_object(point);
  return point;
}

}  // namespace

// The rule instance's values, each under the instance's name chain followed
// by the attribute's name and a colon. A read that fails gives nothing, so
// its target keeps what it had.
class RuleValues {
 public:
  explicit RuleValues(std::string prefix) : prefix_(std::move(prefix)) {}
  const std::string& Prefix() const { return prefix_; }
  std::string Name(const std::string& attribute) const { return prefix_ + attribute + ":"; }

  std::optional<int> Integer(const char* attribute) const {
    int value = 0;
    return VD_KF_ask_integer(Name(attribute).c_str(), &value) == 0 ? std::optional<int>(value) : std::nullopt;
  }
  std::optional<double> Number(const char* attribute) const {
    double value = 0;
    return VD_KF_ask_number(Name(attribute).c_str(), &value) == 0 ? std::optional<double>(value) : std::nullopt;
  }
  std::optional<bool> Logical(const char* attribute) const {
    bool value = false;
    return VD_KF_ask_boolean(Name(attribute).c_str(), &value) == 0 ? std::optional<bool>(value) : std::nullopt;
  }
  std::optional<std::string> Text(const char* attribute) const {
    Stamvik::HostBlock<char> text;
    if (VD_KF_ask_string(Name(attribute).c_str(), text.out()) != 0) return std::nullopt;
    return std::string(text.get() != nullptr ? text.get() : "");
  }
  bool Point(const char* attribute, double xyz[3]) const { return VD_KF_ask_point(Name(attribute).c_str(), xyz) == 0; }
  bool Vector(const char* attribute, double xyz[3]) const {
    return VD_KF_ask_vector(Name(attribute).c_str(), xyz) == 0;
  }
  std::optional<std::vector<tag_t>> Objects(const char* attribute) const {
    int count = 0;
    Stamvik::HostBlock<tag_t> objects;
    if (VD_KF_ask_objs_list(Name(attribute).c_str(), &count, objects.out()) != 0) return std::nullopt;
    return objects.get() != nullptr ? std::vector<tag_t>(objects.get(), objects.get() + std::max(count, 0))
                                    : std::vector<tag_t>{};
  }
  std::optional<std::vector<double>> Numbers(const char* attribute) const {
    int count = 0;
    Stamvik::HostBlock<double> values;
    if (VD_KF_ask_number_list(Name(attribute).c_str(), &count, values.out()) != 0) return std::nullopt;
    return values.get() != nullptr ? std::vector<double>(values.get(), values.get() + std::max(count, 0))
                                   : std::vector<double>{};
  }
  // A list of texts, as the rule hands it out (the caller's to free).
  std::vector<std::string> Texts(const std::string& attribute, bool get) const {
    int count = 0;
    char** texts = nullptr;
    const int status = get ? VD_KF_get_string_list(Name(attribute).c_str(), &count, &texts)
                           : VD_KF_ask_string_list(Name(attribute).c_str(), &count, &texts);
    std::vector<std::string> out;
    for (int i = 0; status == 0 && texts != nullptr && i < count; ++i) out.emplace_back(texts[i] != nullptr ? texts[i] : "");
    for (int i = 0; texts != nullptr && i < count; ++i) SM_free(texts[i]);
    SM_free(texts);
    return out;
  }
  bool Exists(const char* attribute) const { return VD_KF_ask_rule_exist(prefix_.c_str(), attribute); }

  // A list of lists of numbers, each inner list as its numbers; nullopt when
  // the value is no list (items that are no lists give no numbers).
  std::optional<std::vector<std::vector<double>>> Rows(const char* attribute) const {
    KBL_value_t value;
    if (KBL_evaluate_rule_to_value(Name(attribute).c_str(), &value) != 0) return std::nullopt;
    std::optional<std::vector<std::vector<double>>> rows;
    if (value.type == KBL_TYPE_LIST) {
      rows.emplace();
      rows->reserve(static_cast<std::size_t>(KBL_list_length(value.list)));
      KBL_value_t row;
      while (KBL_list_pop(&value.list, &row)) {
        std::vector<double>& numbers = rows->emplace_back();
        KBL_value_t item;
        while (row.type == KBL_TYPE_LIST && KBL_list_pop(&row.list, &item)) {
          if (item.type == KBL_TYPE_INTEGER || item.type == KBL_TYPE_NUMBER) numbers.push_back(item.number);
          KBL_free_value(&item);
        }
        KBL_free_value(&row);
      }
    }
    KBL_free_value(&value);
    return rows;
  }

 private:
  std::string prefix_;
};

namespace {

enum class Kind { Point, Vector, Logical };
struct HardPoint {
  const char* word;
  Kind kind;
  std::size_t offset;  // in the family's record
};
#define STAMVIK_AT(Record, field) offsetof(Record, field)
constexpr HardPoint kMacphersonPoints[] = {
    {"bottom_of_strut", Kind::Point, STAMVIK_AT(sMacpherson_Suspension, bottomOfStrut)},
    {"ball_joint", Kind::Point, STAMVIK_AT(sMacpherson_Suspension, ballJoint)},
    {"outer_drive_joint", Kind::Point, STAMVIK_AT(sMacpherson_Suspension, outerDriveJoint)},
    {"inner_drive_joint", Kind::Point, STAMVIK_AT(sMacpherson_Suspension, innerDriveJoint)},
    {"wheel_centerline", Kind::Point, STAMVIK_AT(sMacpherson_Suspension, wheelCenterline)},
    {"tirerod_outer", Kind::Point, STAMVIK_AT(sMacpherson_Suspension, tieRodOuter)},
    {"tirerod_inner", Kind::Point, STAMVIK_AT(sMacpherson_Suspension, tieRodInner)},
    {"strut_center", Kind::Point, STAMVIK_AT(sMacpherson_Suspension, strutCenter)},
    {"bushing_front", Kind::Point, STAMVIK_AT(sMacpherson_Suspension, bushingFront)},
    {"bushing_rear", Kind::Point, STAMVIK_AT(sMacpherson_Suspension, bushingRear)},
    {"upper_stabilizer_link", Kind::Point, STAMVIK_AT(sMacpherson_Suspension, upperStabilizerLink)},
    {"lower_stabilizer_link", Kind::Point, STAMVIK_AT(sMacpherson_Suspension, lowerStabilizerLink)},
    {"stabilizer_bushing", Kind::Point, STAMVIK_AT(sMacpherson_Suspension, stabilizerBushing)},
    {"opposite_inner_joint", Kind::Point, STAMVIK_AT(sMacpherson_Suspension, oppositeInnerJoint)},
    {"opposite_bushing", Kind::Point, STAMVIK_AT(sMacpherson_Suspension, oppositeBushing)},
    {"origin_mplane", Kind::Point, STAMVIK_AT(sMacpherson_Suspension, mirrorPlaneOrigin)},
    {"vector_mplane", Kind::Vector, STAMVIK_AT(sMacpherson_Suspension, mirrorPlaneVector)},
    {"use_stabilizer_bar", Kind::Logical, STAMVIK_AT(sMacpherson_Suspension, useStabilizerBar)},
    {"symmetic_inner_joint", Kind::Logical, STAMVIK_AT(sMacpherson_Suspension, symmetricInnerJoint)},
    {"symmetic_bushing", Kind::Logical, STAMVIK_AT(sMacpherson_Suspension, symmetricBushing)},
};
constexpr HardPoint kSLArmPoints[] = {
    {"ball_joint_lower", Kind::Point, STAMVIK_AT(sSLArm_Suspension, lowerBallJoint)},
    {"front_bushing_lower", Kind::Point, STAMVIK_AT(sSLArm_Suspension, lowerFrontBushing)},
    {"rear_bushing_lower", Kind::Point, STAMVIK_AT(sSLArm_Suspension, lowerRearBushing)},
    {"ball_joint_upper", Kind::Point, STAMVIK_AT(sSLArm_Suspension, upperBallJoint)},
    {"front_bushing_upper", Kind::Point, STAMVIK_AT(sSLArm_Suspension, upperFrontBushing)},
    {"rear_bushing_upper", Kind::Point, STAMVIK_AT(sSLArm_Suspension, upperRearBushing)},
    {"lower_shock_center", Kind::Point, STAMVIK_AT(sSLArm_Suspension, lowerShockCenter)},
    {"upper_shock_center", Kind::Point, STAMVIK_AT(sSLArm_Suspension, upperShockCenter)},
    {"wheel_centerline", Kind::Point, STAMVIK_AT(sSLArm_Suspension, wheelCenterline)},
    {"outer_drive_joint", Kind::Point, STAMVIK_AT(sSLArm_Suspension, outerDriveJoint)},
    {"tirerod_outer", Kind::Point, STAMVIK_AT(sSLArm_Suspension, tieRodOuter)},
    {"tirerod_inner", Kind::Point, STAMVIK_AT(sSLArm_Suspension, tieRodInner)},
    {"inner_drive_joint", Kind::Point, STAMVIK_AT(sSLArm_Suspension, innerDriveJoint)},
    {"upper_stabilizer_link", Kind::Point, STAMVIK_AT(sSLArm_Suspension, upperStabilizerLink)},
    {"lower_stabilizer_link", Kind::Point, STAMVIK_AT(sSLArm_Suspension, lowerStabilizerLink)},
    {"stabilizer_bushing", Kind::Point, STAMVIK_AT(sSLArm_Suspension, stabilizerBushing)},
    {"opposite_inner_joint", Kind::Point, STAMVIK_AT(sSLArm_Suspension, oppositeInnerJoint)},
    {"opposite_bushing", Kind::Point, STAMVIK_AT(sSLArm_Suspension, oppositeBushing)},
    {"origin_mplane", Kind::Point, STAMVIK_AT(sSLArm_Suspension, mirrorPlaneOrigin)},
    {"vector_mplane", Kind::Vector, STAMVIK_AT(sSLArm_Suspension, mirrorPlaneVector)},
    {"use_stabilizer_bar", Kind::Logical, STAMVIK_AT(sSLArm_Suspension, useStabilizerBar)},
    {"symmetic_inner_joint", Kind::Logical, STAMVIK_AT(sSLArm_Suspension, symmetricInnerJoint)},
    {"symmetic_bushing", Kind::Logical, STAMVIK_AT(sSLArm_Suspension, symmetricBushing)},
};
constexpr HardPoint kFiveLinkPoints[] = {
    {"front_bushing_lca", Kind::Point, STAMVIK_AT(sFiveLinkAxle_Suspension, frontBushingLowerArm)},
    {"rear_bushing_lca", Kind::Point, STAMVIK_AT(sFiveLinkAxle_Suspension, rearBushingLowerArm)},
    {"front_bushing_uca", Kind::Point, STAMVIK_AT(sFiveLinkAxle_Suspension, frontBushingUpperArm)},
    {"rear_bushing_uca", Kind::Point, STAMVIK_AT(sFiveLinkAxle_Suspension, rearBushingUpperArm)},
    {"shock_center_lower", Kind::Point, STAMVIK_AT(sFiveLinkAxle_Suspension, lowerShockCenter)},
    {"shock_center_upper", Kind::Point, STAMVIK_AT(sFiveLinkAxle_Suspension, upperShockCenter)},
    {"bumper_center_lower", Kind::Point, STAMVIK_AT(sFiveLinkAxle_Suspension, lowerBumperCenter)},
    {"bumper_center_upper", Kind::Point, STAMVIK_AT(sFiveLinkAxle_Suspension, upperBumperCenter)},
    {"wheel_centerline", Kind::Point, STAMVIK_AT(sFiveLinkAxle_Suspension, wheelCenterline)},
    {"track_inner", Kind::Point, STAMVIK_AT(sFiveLinkAxle_Suspension, trackBarInner)},
    {"opposite_track_inner", Kind::Point, STAMVIK_AT(sFiveLinkAxle_Suspension, oppositeTrackBarInner)},
    {"symmetic_track_inner", Kind::Logical, STAMVIK_AT(sFiveLinkAxle_Suspension, symmetricTrackBarInner)},
    {"symmetic_bumper", Kind::Logical, STAMVIK_AT(sFiveLinkAxle_Suspension, symmetricBumper)},
    {"opposite_bumper_lower", Kind::Point, STAMVIK_AT(sFiveLinkAxle_Suspension, oppositeLowerBumper)},
    {"opposite_bumper_upper", Kind::Point, STAMVIK_AT(sFiveLinkAxle_Suspension, oppositeUpperBumper)},
};
#undef STAMVIK_AT

// The hard points of a family into its record, under the family's prefix.
void ReadHardPoints(const RuleValues& rule, const char* family, const HardPoint* points, std::size_t count,
                    void* record) {
  auto* bytes = static_cast<unsigned char*>(record);
  for (std::size_t i = 0; i < count; ++i) {
    const HardPoint& p = points[i];
    const std::string name = std::string(family) + p.word;
    double xyz[3];
    if (p.kind == Kind::Logical) {
      if (const auto flag = rule.Logical(name.c_str())) bytes[p.offset] = *flag ? 1 : 0;
    } else if (p.kind == Kind::Point ? rule.Point(name.c_str(), xyz) : rule.Vector(name.c_str(), xyz)) {
      std::memcpy(bytes + p.offset, xyz, sizeof xyz);
    }
  }
}

// Every clearance data set of the part with one of those names goes.
void DeleteDatasetsNamed(PART_part* part, const std::vector<std::string>& names) {
  int count = 0;
  if (CLEAR_count_datasets(part, &count) != 0 || count <= 0) return;
  std::vector<tag_t> sets(static_cast<std::size_t>(count));
  if (CLEAR_ask_dataset_array(part, sets.data()) != 0) return;
  for (tag_t set : sets) {
    Stamvik::HostBlock<char> name;
    if (CLEAR_ask_dataset_name(set, name.out()) != 0 || name.get() == nullptr) continue;
    if (std::find(names.begin(), names.end(), name.get()) != names.end()) CLEAR_delete_dataset(set);
  }
}

std::string Upper(const char* word) {
  std::string text = word;
  VD_convert_char_toupper(text.data());
  return text;
}

void SelectAll(TagListObject* list, const std::vector<tag_t>& tags) {
  list->set_tags(static_cast<int>(tags.size()), tags.data());
}

// A field the rule may hold, into the builder; a value it lacks leaves the
// field, or gives the field's default.
void ReadRuleField(TireEnvelopeBuilder& builder, const RuleValues& rule, EnvelopeFieldId id) {
  const EnvelopeField& row = FieldRow(id);
  std::optional<double> value;
  switch (row.kind) {
    case FieldKind::Logical:
      if (const auto flag = rule.Logical(row.rule)) value = *flag ? 1.0 : 0.0;
      break;
    case FieldKind::Integer:
      if (const auto number = rule.Integer(row.rule)) value = *number;
      break;
    default: value = rule.Number(row.rule); break;
  }
  if (!value && !std::isnan(row.ruleDefault)) value = row.ruleDefault;
  if (value) SetFieldNumber(builder, row, *value);
}

}  // namespace

void TireEnvelopeBuilder::ReadRuleTire(const RuleValues& rule, const std::optional<bool>& mirror) {
  if (const auto definition = rule.Integer("evt_obj_group_definition"); definition && *definition == 0) {
    SetTireDefinition(SolidBody);
    if (const auto bodies = rule.Objects("evt_obj_group_tireobjs")) SelectAll(m_tireDefinitionBody, *bodies);
    if (const auto csys = rule.Objects("evt_obj_group_tirecsys"); csys && !csys->empty()) SetWheelCsys(csys->front());
  } else if (definition) {
    if (rule.Integer("evt_profile_step_profileoption").value_or(0) == 0) {
      SetTireDefinition(ProfileCurves);
      if (const auto curves = rule.Objects("evt_obj_group_profilecurves")) SelectAll(m_tireDefinitionProfile, *curves);
    } else {
      SetTireDefinition(SketchfromOtherPart);
      if (const auto part = rule.Text("evt_profile_step_profilepart")) {
        SetSketchPartName(part->c_str());
        if (!part->empty()) TIREENV_load_part_fully(part->c_str());
      }
      if (PART_part* sketchPart = VD_PART_ask_part_tag(GetSketchPartName()); sketchPart != nullptr) {
        int count = 0;
        char** sketches = nullptr;
        TIREENV_find_profile_sketchs(sketchPart, &count, &sketches);
        const int index = rule.Exists("evt_profile_step_selindex")
                              ? rule.Integer("evt_profile_step_selindex").value_or(0)
                              : 0;
        if (index >= 0 && index < count && sketches != nullptr) {
          SetSketchName(sketches[index]);
          CreateLinkedProfiles();
        }
        for (int i = 0; sketches != nullptr && i < count; ++i) SM_free(sketches[i]);
        SM_free(sketches);
      }
    }
    ReadRuleField(*this, rule, kRimDiameterOptionField);
    ReadRuleField(*this, rule, kWheelRimDiameterField);
    if (mirror) SetMirrorProfile(*mirror);
  }
  ReadRuleField(*this, rule, kWheelCenterlineShiftField);
}

void TireEnvelopeBuilder::ReadRuleTemplate(const RuleValues& rule) {
  ReadRuleField(*this, rule, kSaveScenarioField);
  Tire_s* area = WorkArea();
  auto& m = area->macpherson;
  const auto flags = [&](std::uint8_t use, std::uint8_t inner, std::uint8_t bushing, bool bars) {
    if (bars) SetUseStabilizerBar(use != 0);
    SetInnerJointAsymmetric(inner == 0);
    SetBushingJointAsymmetric(bushing == 0);
    if (!bars || use == 0) return;
    // The record keeps its own copies of the curves, with their counts.
    const auto keep = [&](const char* attribute, TagListObject* list, tag_t** into, std::int32_t* counted) {
      const auto curves = rule.Objects(attribute);
      if (!curves) return;
      SelectAll(list, *curves);
      SM_free(*into);
      *into = nullptr;
      *counted = static_cast<std::int32_t>(curves->size());
      if (curves->empty()) return;
      *into = static_cast<tag_t*>(SM_alloc(sizeof(tag_t) * curves->size()));
      std::memcpy(*into, curves->data(), sizeof(tag_t) * curves->size());
    };
    keep("evt_stabilizer_step_centerlinecurves", m_leftStabilizerBar, &m.leftStabilizerBar,
         &m.leftStabilizerBarCount);
    keep("evt_stabilizer_step_rightlinecurves", m_rightStabilizerBar, &m.rightStabilizerBar,
         &m.rightStabilizerBarCount);
  };
  switch (m_suspensionTemplate) {
    case MacPhersonStrut:
      ReadHardPoints(rule, "evt_mac_susp_", kMacphersonPoints, std::size(kMacphersonPoints), &m);
      flags(m.useStabilizerBar, m.symmetricInnerJoint, m.symmetricBushing, true);
      break;
    case ShortLongArmwithSteering:
    case ShortLongArmwithoutSteering: {
      auto& a = area->slArm;
      ReadHardPoints(rule, "evt_sla_susp_", kSLArmPoints, std::size(kSLArmPoints), &a);
      flags(a.useStabilizerBar, a.symmetricInnerJoint, a.symmetricBushing, true);
      break;
    }
    case FiveLinkSolidAxlewithoutSteering: {
      auto& f = area->fiveLink;
      ReadHardPoints(rule, "evt_fla_susp_", kFiveLinkPoints, std::size(kFiveLinkPoints), &f);
      flags(0, f.symmetricTrackBarInner, f.symmetricBumper, false);
      break;
    }
    default: break;
  }
}

void TireEnvelopeBuilder::ReadRuleMotion(const RuleValues& rule) {
  ReadRuleField(*this, rule, kMotionField);
  const bool manager = RTENV_ask_qdmanager_active();
  if (m_motion != ExistingSpindleFile || manager) {
    const int blocks = rule.Exists("spindle_line_count") ? rule.Integer("spindle_line_count").value_or(1) : 1;
    std::vector<std::string> lines;
    for (int block = 0; block < blocks; ++block) {
      const std::string name = block == 0 ? "spindle_file_data" : "spindle_file_data_" + std::to_string(block);
      // A count beyond the blocks the rule has stops at the first missing one.
      if (!rule.Exists(name.c_str())) break;
      for (std::string& line : rule.Texts(name, false)) lines.push_back(std::move(line));
    }
    std::vector<char*> texts;
    for (std::string& line : lines) texts.push_back(line.data());
    char file[Tireenv_params_s::kText] = "";
    if (TIREENV_write_strings_into_data_file(static_cast<int>(texts.size()), texts.data(), file) == 0)
      SetMotionFile(file);
  }
  if (m_motion == ExistingSpindleFile) SetSpindleFileLocation(manager ? InVaultra : InNative);

  if (m_motion == FromSpindleLines) {
    if (const auto handle = rule.Text("evt_spinlines_step_spindle")) {
      const tag_t design = VD_get_tag_handle_in_work_part(handle->c_str());
      m_designPositionSpindle->set_selected_tag(design);
      if (design != 0)
        SetSpindleEndPoint(
            vdja_tireenv_create_curve_end_point(design, rule.Integer("evt_spinlines_step_wheelend").value_or(0)));
    }
    if (const auto lines = rule.Objects("evt_spinlines_step_spinlines"); lines && !lines->empty())
      SelectAll(m_spindleLines, *lines);
  }
  if (const auto handle = rule.Text("evt_spindle_step_spindle")) SetSpindleLineHandle(handle->c_str());
  if (m_motion == ExistingScenarioMotionModel || m_motion == SuspensionTemplate)
    ReadRuleField(*this, rule, kSuspensionTemplateField);
  if (m_motion == SuspensionTemplate) ReadRuleTemplate(rule);

  if (const auto file = rule.Text("motion_file")) {
    SetMotionFile(file->c_str());
    if (m_motion == ExistingSpindleFile) {
      if (m_spindleFileLocation == InNative) SetSpindleFileNameNative(file->c_str());
      else SetSpindleFileNameVre(file->c_str());
      SetSpindleFileName(file->c_str());
    }
  }
}

void TireEnvelopeBuilder::ReadRuleDrivers(const RuleValues& rule) {
  vdja_tireenv_motion_record_t* record = MotionRecordOf(WorkArea());
  if (m_motion == ExistingScenarioMotionModel || m_motion == SuspensionTemplate)
    if (const auto scenario = rule.Text("evt_motion_group_scenarioname")) SetScenarioName(scenario->c_str());
  if (m_motion == SuspensionTemplate && m_suspensionTemplate == FiveLinkSolidAxlewithoutSteering) {
    for (int id = kRollAngleField; id <= kShockStepsField; ++id)
      ReadRuleField(*this, rule, static_cast<EnvelopeFieldId>(id));
    record->mode = 1;
    record->jounceDistance = m_jounceDistance;
    record->reboundDistance = m_reboundDistance;
  } else {
    // The rule counts graphs from 1; a number it cannot mean leaves the graph as it was.
    if (const auto graph = rule.Integer("evt_driver_step_graphno"); graph && *graph >= 1 && *graph <= 6)
      SetDriverGraph(static_cast<JA_TIRE_ENVELOPE_BUILDER_DriverGraphOption>(*graph - 1));
    if (const auto name = rule.Text("evt_driver_step_steeringjointname")) SetSteeringJointName(name->c_str());
    if (const auto name = rule.Text("evt_driver_step_joucejointname")) SetJouceJointName(name->c_str());
    ReadRuleField(*this, rule, kXtoYField);
    const std::optional<int> steeringSteps = rule.Integer(FieldRow(kFirstStepsField).rule);
    if (steeringSteps) SetFirstDriverJointSteps(*steeringSteps);
    ReadRuleField(*this, rule, kFirstUpperField);
    ReadRuleField(*this, rule, kFirstLowerField);
    const std::optional<int> jounceSteps =
        m_driverGraph == TwoDriversOneFixed ? steeringSteps : rule.Integer(FieldRow(kSecondStepsField).rule);
    if (jounceSteps) SetSecondDriverJointSteps(*jounceSteps);
    ReadRuleField(*this, rule, kSecondUpperField);
    ReadRuleField(*this, rule, kSecondLowerField);
    SetDriverLocationsFromDefaults();
    if (m_driverGraph == TaperedOneSide) {
      ReadRuleField(*this, rule, kTaperLocationAYField);
      ReadRuleField(*this, rule, kTaperLocationBXField);
    } else if (const auto share = rule.Number("evt_driver_step_locpercent")) {
      if (m_driverGraph == RectangularTaperedY) SetTaperLocationYAxis(*share);
      else if (m_driverGraph == RectangularTaperedX) SetTaperLocationXAxis(*share);
      else if (m_driverGraph == TwoDriversOneFixed) SetFixedLocationPercentage(*share);
    }
    if (m_driverGraph == BySketch)
      if (const auto handle = rule.Text("evt_driver_step_sketch"))
        m_driverGraphSketch->set_selected_tag(OM::TAG_find_by_handle(handle->c_str()));
    record->limits[0] = m_firstDriverJointLowerLimit;
    record->limits[1] = m_firstDriverJointUpperLimit;
    record->limits[2] = m_secondDriverJointLowerLimit;
    record->limits[3] = m_secondDriverJointUpperLimit;
    record->mode = 0;
  }
  double spindle[3], wheel[3];
  if (rule.Exists("evt_driver_step_spindlepoint") && rule.Exists("evt_driver_step_wheelpoint") &&
      rule.Point("evt_driver_step_spindlepoint", spindle) && rule.Point("evt_driver_step_wheelpoint", wheel)) {
    std::memcpy(record->spindleLine, spindle, sizeof spindle);
    std::memcpy(record->spindleLine + 3, wheel, sizeof wheel);
    SetSpindleLineEndPoint(wheel, spindle);
  }
}

void TireEnvelopeBuilder::ReadRuleEnvelope(const RuleValues& rule) {
  for (const EnvelopeFieldId id : {kEnvelopeConcavityField, kTrimRadiusField, kRadialStartAngleField,
                                   kRadialEndAngleField})
    ReadRuleField(*this, rule, id);
  // The older form kept no tolerance of its own: the part's current one holds.
  SetFieldNumber(*this, FieldRow(kDistanceToleranceField), TOLER_ask_distance_tol());
  ReadRuleField(*this, rule, kApplyOffsetField);
  const bool customer = rule.Exists("customer_offset") && rule.Logical("customer_offset").value_or(false);
  SetEnvelopeOffsetMethod(this, customer ? CustomerDefinedData : FixedSections);
  for (const EnvelopeFieldId offset : kOffsetsAsRead) ReadRuleField(*this, rule, offset);
}

void TireEnvelopeBuilder::ReadRuleClearance(const RuleValues& rule) {
  PART_part* work = CONTEXT_ask_work_part();
  DeleteDatasetsNamed(work, {Upper("tire_body"), Upper("tire_envelope")});
  const std::string moving = rule.Text("evt_analysis_group_movinghandler").value_or("");
  if (const tag_t occurrence = OM::TAG_find_by_handle(moving.c_str()); occurrence == 0) {
    SetMovingCompInstTag(0);
    TIREENV_remove_tire_body_dataset(0);
  } else {
    SetMovingCompInstTag(OCC_ask_instance_of_part_occ(occurrence));
  }
  if (rule.Logical("evt_analysis_group_newtirebody").value_or(false))
    if (const auto name = rule.Text("evt_tirebody_step_tirepartname")) SetTireBodyOutputFileName(name->c_str());
  if (const auto components = rule.Objects("evt_clearance_group_compobjs"))
    SelectAll(m_clearanceAnalysisComponents, *components);
  if (const auto bodies = rule.Objects("evt_clearance_group_solidobjs")) SelectAll(m_clearanceAnalysisBodies, *bodies);
  OM::OM_set_pointer(this, m_clearanceValueAttId,
                     vdja_tireenv_new_expression(PART_ask_units(work) == 1 ? "1.0" : "20.0", 0));
  if (const auto zones = rule.Numbers("evt_zone_step_zone_offset")) {
    SetCompOffsetLength(static_cast<int>(zones->size()));
    for (std::size_t i = 0; i < zones->size(); ++i) SetCompOffset(static_cast<int>(i), (*zones)[i]);
  }
}

void TireEnvelopeBuilder::ConvertRuleInstanceToBuilderData(FEATURE_RECORD* frec) {
  const tag_t link = KLINK_ask_klink_of_object(OM::OM_ask_object_tag(frec));
  if (link == 0) return;
  tag_t instance = 0;
  if (KLINK_ask_rule_instance(IM_ask_instance_manager(link), link, &instance) != 0 || instance == 0) return;
  Stamvik::HostBlock<char> instanceName;
  instanceName.reset(IM_ask_instance_name(instance));
  if (instanceName.get() == nullptr) return;
  const RuleValues rule(instanceName.get());
  Tire_s* area = WorkArea();

  // The tire profile and the offset sections, no more than the work area holds.
  if (const auto rows = rule.Rows("tire_points")) {
    const int count = static_cast<int>(std::min<std::size_t>(rows->size(), Tire_s::kMaxProfilePoints));
    area->profilePointCount = count;
    for (int i = 0; i < count; ++i) {
      const std::vector<double>& xy = (*rows)[static_cast<std::size_t>(i)];
      area->profilePoints[i][0] = xy.size() > 0 ? xy[0] : 0;
      area->profilePoints[i][1] = xy.size() > 1 ? xy[1] : 0;
      area->profilePoints[i][2] = 0;
    }
  }
  if (const auto rows = rule.Rows("offvalues")) {
    const int count = static_cast<int>(std::min<std::size_t>(rows->size(), Tire_s::kMaxSections));
    area->sectionCount = count;
    for (int i = 0; i < count; ++i) {
      const std::vector<double>& row = (*rows)[static_cast<std::size_t>(i)];
      area->sectionAngles[i] = row.empty() ? 0 : row[0];
      const int offsets = std::clamp(static_cast<int>(row.size()) - 1, 0, Tire_s::kMaxOffsets);
      area->sectionOffsetCounts[i] = offsets;
      for (int k = 0; k < offsets; ++k) area->sectionOffsets[i][k] = row[static_cast<std::size_t>(k) + 1];
    }
  }
  const std::optional<bool> mirror = rule.Logical("mirror_flag");
  if (mirror) area->mirrorProfile = *mirror ? 1 : 0;

  for (const EnvelopeFieldId id : {kSectionLayerField, kSheetBodyLayerField, kProfileSplineLayerField,
                                   kSpindleLinesLayerField, kDisplayInputField, kCreateTireEnvelopeFeatureField,
                                   kRunClearanceAnalysisField})
    ReadRuleField(*this, rule, id);
  const std::vector<std::string> notes = rule.Texts("comment", true);
  for (std::size_t i = 0; i < notes.size(); ++i)
    SetNthValueInSessionNotes(GetNumSessionNotes(), UString(notes[i].c_str()));
  if (const auto option = rule.Integer("evt_study_group_partoption")) {
    SetAddMasterComponentPart(*option != 0);
    if (*option != 0)
      if (const auto master = rule.Text("evt_part_step_masterpart")) SetMasterPartName(master->c_str());
  }

  ReadRuleTire(rule, mirror);
  // The motion, and the lines its file held, written back to a file.
  ReadRuleMotion(rule);
  if (m_motion != ExistingSpindleFile) ReadRuleDrivers(rule);
  ReadRuleEnvelope(rule);
  // The clearance analysis, whose earlier data sets go.
  if (m_runClearanceAnalysis) ReadRuleClearance(rule);
}

}  // namespace KTX::VDJA
