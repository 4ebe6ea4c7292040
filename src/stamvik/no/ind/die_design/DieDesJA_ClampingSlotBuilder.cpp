#include "DieDesJA_ClampingSlotBuilder.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <utility>
#include <vector>

#include "DieDesJA_ParameterEntities.hpp"
#include "DieDesJA_SelectedTags.hpp"
#include "InputChecks.hpp"
#include "LoopAreas.hpp"
#include "Messages.hpp"
#include "OnEveryExit.hpp"
#include "Support.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "math/Vector.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(ClampingSlotBuilder)
STAMVIK_OM_DEFINE_CLASS(ClampingSlotBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000,
                        &GetClampingSlotBuilderInstanceSize, STAMVIK_CLAMPING_SLOT_BUILDER_ATTRIBUTES)

ClampingSlotBuilder* ClampingSlotBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<ClampingSlotBuilder>(ClampingSlotBuilderClassId, [&](ClampingSlotBuilder* made) {
    made->InitCreate(part, frec);
  });
}

namespace {

constexpr const char* kSource = "DieDesJA_ClampingSlotBuilder";
constexpr double kMargin = 1e-10;

// Where the builder's errors are reported from.
constexpr int kNotifyLine = 1186;
constexpr int kTypeChangedLine = 1607;
constexpr int kApplStructureLine = 1819;
constexpr int kPreviewLine = 2055;
constexpr int kPrePopulateLine = 2203;

using Messages::kBadBaseOrientation;
using Messages::kBadLocation;
using Messages::kBadOffsetDirection;
using Messages::kBadOrientationPlane;
using Messages::kClampingCenterlineLengthNegative;
using Messages::kClampingFlangeThicknessNotPositive;
using Messages::kClampingInnerWidthNegative;
using Messages::kClampingNotchAngleNegative;
using Messages::kClampingNotchHeightNegative;
using Messages::kClampingNotchWidthNegative;
using Messages::kClampingOffsetWidthNegative;
using Messages::kClampingOverhangNegative;
using Messages::kClampingPadHeightNegative;
using Messages::kClampingPadLengthNegative;
using Messages::kClampingPadNarrowerThanSlot;
using Messages::kClampingPadRadiusNegative;
using Messages::kClampingPadShorterThanTop;
using Messages::kClampingPadWidthNegative;
using Messages::kClampingSlotLengthNegative;
using Messages::kClampingSlotNotWiderThanInner;
using Messages::kClampingSlotRadiusNegative;
using Messages::kClampingSlotWidthNegative;
using Messages::kClampingTopLengthNegative;
using Messages::kClampingTopShorterThanSlot;
using Messages::kGeneralAngleToleranceTooSmall;
using Messages::kGeneralDistanceToleranceTooSmall;
using Messages::kNoBaseFlange;
using Messages::kNoBaseOrientation;
using Messages::kNoCoordinateSystem;
using Messages::kNoDatabaseParms;
using Messages::kNotOneBaseFlangeLoop;
using Messages::kOpenBaseFlange;
using Messages::kWrongParms;

// The items the clamping slot's parameters hold at most, and how they are applied.
constexpr int kItems = 9;
constexpr int kApplyInPlace = 2;

// The host's codes for the tool bodies.
constexpr int kParentCode = 6940000;
constexpr int kToolCode = 85000;
constexpr int kToolDataCode = 80000;
constexpr int kJoinClosed = 11;

// The value record's positions that carry customer defaults, and their keys.
constexpr const char* kDefaultKeys[17] = {
    nullptr,          nullptr,       "SlotCLLength", "SlotInnerWidth", "SlotWidth",    "SlotLength",
    "SlotTopLength",  "SlotRadius",  "PadWidth",     "PadHeight",      "PadLength",    "PadRadius",
    "PadOverhang",    "NotchWidth",  "NotchHeight",  "FlangeThickness", "OffsetWidth"};
constexpr int kFlangeThicknessPosition = 15;
constexpr const char* kTypeWords[3] = {"Hydraulic_ClampSlot", "Traveling_ClampSlot", "Automatic_ClampSlot"};

using Stamvik::ExpressionValue;

template <class T>
void put(unsigned char* record, int at, T value) {
  std::memcpy(record + at, &value, sizeof value);
}

// Also on the way out of a failure: a sleep state that cannot be set is
// noted, and the object still goes.
void sleepAndDelete(tag_t made) {
  if (made == 0) return;
  Stamvik::RunNoted("RM_set_sleep_state", [made] { RM_set_sleep_state(made, 1); });
  UPDATE_log_entity_to_delete(made);
}

}  // namespace

void ClampingSlotBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  if (part == nullptr) PART_ask_cm_part_of_part_p(ask_owning_part());
  PART_part* owningPart = ask_owning_part();
  OM::OM_set_pointer(this, m_targetDataAttId, DieDes::ClampingSlotTargetFactory::Create(owningPart));
  for (int type = 0; type < 3; ++type) ReadTypeDefaults(type);

  OM::OM_set_pointer(this, m_targetAttId, SELECT_OBJECTFactory::Create(owningPart));
  DieLocationsBuilder* locations =
      DieLocationsBuilderFactory::Create(owningPart, true, true, true, true, false, true, true);
  OM::OM_set_pointer(this, m_locationsAttId, locations);
  locations->SetApplScopeLocation(3);
  DieDes::DieDirectionBuilder* direction =
      DieDes::DieDirectionBuilderFactory::Create(owningPart, true, true, true, true, true, false);
  OM::OM_set_pointer(this, m_locationOffsetDirectionAttId, direction);
  direction->SetApplScopeDirection(3);
  DieDes::DiePlaneBuilder* base = DieDes::DiePlaneBuilderFactory::Create(owningPart, true, true, true, true, true);
  OM::OM_set_pointer(this, m_basePlaneAttId, base);
  base->SetApplScopePlane(3);
  OM::OM_set_pointer(this, m_dieCenterlineCoordinateSystemAttId, SELECT_OBJECTFactory::Create(owningPart));
  DieDes::DiePlaneBuilder* orientation =
      DieDes::DiePlaneBuilderFactory::Create(owningPart, true, true, true, true, false);
  OM::OM_set_pointer(this, m_orientationPlaneAttId, orientation);
  orientation->SetApplScopePlane(3);
  for (const OM::AttributeId* attribute : {&m_padFacesAttributesAttId, &m_slotFacesAttributesAttId,
                                           &m_slotEndFacesAttributesAttId, &m_notchFacesAttributesAttId,
                                           &m_overhangFacesAttributesAttId})
    OM::OM_set_pointer(this, *attribute, DieDes::DieAttributesBuilderFactory::Create(owningPart, true, true, false));

  if (frec != nullptr) {
    set_frec(frec);
    ConvertFrecToBuilderData(frec);
  } else {
    const double angle = TOLER_ask_angular_tol();
    const double distance = TOLER_ask_distance_tol();
    OM::OM_set_pointer(this, m_flangeBaseProfileAttId,
                       SC_sectionFactory::object(OM::OM_ask_object_tag(owningPart), 0.95 * distance, distance, angle));
    // The fixed texts of the value table, in the order they are made.
    struct Made {
      const OM::AttributeId* attribute;
      const char* text;
      int measure;
    };
    const Made made[18] = {
        {&m_centerlineLengthAttId, "40", 0}, {&m_innerWidthAttId, "45", 0},  {&m_slotWidthAttId, "45", 0},
        {&m_slotLengthAttId, "40", 0},       {&m_topLengthAttId, "60", 0},   {&m_slotRadiusAttId, "20", 0},
        {&m_padWidthAttId, "110", 0},        {&m_padHeightAttId, "63.5", 0}, {&m_padLengthAttId, "80", 0},
        {&m_padRadiusAttId, "25", 0},        {&m_overhangAttId, "0", 0},     {&m_notchWidthAttId, "0", 0},
        {&m_notchHeightAttId, "0", 0},       {&m_notchAngleAttId, "0", 7},   {&m_flangeThicknessAttId, "45", 0},
        {&m_offsetWidthAttId, "150", 0},     {&m_locationOffsetAttId, "0", 0}, {&m_padOffsetAttId, "0", 0},
    };
    for (const Made& m : made) {
      EXP_expression* expression = nullptr;
      EXP_create_sys_exp_with_units_all_errors(m.text, UNIT_ask_default_unit_obj_for_measure(m.measure),
                                               &expression);
      OM::OM_set_pointer(this, *m.attribute, expression);
    }
    PrePopulateSelections();
  }
  m_target->SetParentHasObservers(true);
}

char* ClampingSlotBuilder::ask_journal_class_name() const { return SM_string_copy("Die.ClampingSlotBuilder"); }

void ClampingSlotBuilder::ReadTypeDefaults(int type) {
  if (type < 0 || type > 2) return;
  const char* suffix = PART_ask_units(ask_owning_part()) != 0 ? "_EU" : "_MU";
  double values[17] = {};
  for (int i = 2; i < 17; ++i) {
    const Stamvik::HostBlock<char> name(SM_sprintf("%s%s%s%s", "DIE_", kTypeWords[type], kDefaultKeys[i], suffix));
    values[i] = PMAN_ask_real(name.get());
  }
  double angle = 0;
  {
    const Stamvik::HostBlock<char> angleName(SM_sprintf("%s%sNotchAngle", "DIE_", kTypeWords[type]));
    angle = PMAN_ask_real(angleName.get());
  }
  if (type == JA_CLAMPING_SLOT_BUILDER_types_Traveling) {
    // The chord of the slot's radius at the depth the top leaves above the slot.
    const double r = values[7];
    const double d = r - (values[6] - values[5]);
    const double q = r * r - d * d;
    values[3] = q > kMargin ? 2.0 * std::sqrt(q) : 0.0;
  }
  const OM::AttributeId* arrays[3][2] = {{&m_hydraulicUnitDefaultsAttId, &m_hydraulicUnitlessDefaultsAttId},
                                         {&m_travelingUnitDefaultsAttId, &m_travelingUnitlessDefaultsAttId},
                                         {&m_automaticUnitDefaultsAttId, &m_automaticUnitlessDefaultsAttId}};
  OM::OM_vset_array_length(this, *arrays[type][0], 17, 0);
  auto* unit = static_cast<OM::DoubleVla*>(OM::OM_ask_vla(this, *arrays[type][0]));
  for (int i = 0; i < 17; ++i) unit->Set(i, values[i]);
  OM::OM_vset_array_length(this, *arrays[type][1], 1, 0);
  static_cast<OM::DoubleVla*>(OM::OM_ask_vla(this, *arrays[type][1]))->Set(0, angle);
}

void ClampingSlotBuilder::PrePopulateSelections() {
  Stamvik::HostBlock<char> name, title, value;
  try {
    name.reset(PMAN_ask_string("DIE_ClampSlot_LocationName"));
    title.reset(PMAN_ask_string("DIE_PrePopulate_AttrTitle"));
    if (title && title[0] != '\0') value.reset(PMAN_ask_string("DIE_ClampSlot_AttrValue"));
    const bool byName = name && name[0] != '\0';
    const bool byAttribute = title && title[0] != '\0' && value && value[0] != '\0';
    if (byName || byAttribute) {
      const bool allowHidden = PMAN_ask_logical("DIE_PrePopulate_AllowHidden") != 0;
      PART_part* part = PART_ask_rm_part_of_part(ask_owning_part());
      for (int type : {2, 45, 196}) {
        for (tag_t entity = RM_cycle_entities_by_type(part, type); entity != 0;
             entity = RM_next_entity_of_type(part, type, entity)) {
          if (DieDesUtilsHasAttribute(entity, 4, allowHidden, byName ? name.get() : nullptr,
                                      byAttribute ? title.get() : nullptr, byAttribute ? value.get() : nullptr))
            m_locations->AddUserLocation(entity);
        }
      }
    }
  } catch (const std::exception& e) {
    Error::HandleAsBuilder(e, kSource, kPrePopulateLine);
  }
}

void ClampingSlotBuilder::Notify(OM::Object* changed) {
  ReactToTargetChange(changed, m_target, m_targetData, m_basePlane, m_flangeThickness, kSource, kNotifyLine);
}

JA_CLAMPING_SLOT_BUILDER_types ClampingSlotBuilder::GetType() const {
  return static_cast<JA_CLAMPING_SLOT_BUILDER_types>(m_type);
}

void ClampingSlotBuilder::SetType(JA_CLAMPING_SLOT_BUILDER_types type) {
  OM::LogForWrite(this);
  m_type = type;
  TypeChanged();
}

void ClampingSlotBuilder::ValueRecord(EXP_expression* values[17]) const {
  EXP_expression* const record[17] = {m_locationOffset, m_padOffset,   m_centerlineLength, m_innerWidth,
                                      m_slotWidth,      m_slotLength,  m_topLength,        m_slotRadius,
                                      m_padWidth,       m_padHeight,   m_padLength,        m_padRadius,
                                      m_overhang,       m_notchWidth,  m_notchHeight,      m_flangeThickness,
                                      m_offsetWidth};
  for (int i = 0; i < 17; ++i) values[i] = record[i];
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
  if (lengths == nullptr || lengths->Length() < 17 || angles == nullptr || angles->Length() == 0) return;
  try {
    EXP_expression* values[17];
    ValueRecord(values);
    const tag_t part = OM::OM_ask_object_tag(ask_owning_part());
    const auto edit = [&](EXP_expression* expression, double wanted) {
      if (expression == nullptr || std::fabs(EXP_ask_value_of_exp(expression) - wanted) <= kMargin) return true;
      const Stamvik::HostBlock<char> text(EXP_format_value(wanted));
      if (EXP_edit_exp(part, expression, text.get()) != 0) return false;
      EXP_ask_value_of_exp(expression);
      return true;
    };
    for (int i = 2; i < 17; ++i) {
      double wanted = lengths->At(i);
      if (i == kFlangeThicknessPosition && m_targetData != nullptr && m_targetData->GetThicknessFlag())
        wanted = m_targetData->GetThicknessValue();
      if (!edit(values[i], wanted)) return;
    }
    edit(m_notchAngle, angles->At(0));
  } catch (const std::exception& e) {
    Error::HandleAsBuilder(e, kSource, kTypeChangedLine);
  }
}

int ClampingSlotBuilder::validate_nothrow() {
  if (int rc = Stamvik::CheckInputs(this); rc != 0) return rc;
  if (m_locations == nullptr || m_locations->validate_nothrow() != 0) return kBadLocation;
  if (m_locationOffsetDirection == nullptr || m_locationOffsetDirection->validate_nothrow() != 0)
    return kBadOffsetDirection;
  if (m_orientationPlane == nullptr || m_orientationPlane->validate_nothrow() != 0) return kBadOrientationPlane;
  if (m_basePlane == nullptr || m_basePlane->validate_nothrow() != 0) return kBadBaseOrientation;

  int first = 0, second = 0, third = 0;
  Stamvik::HostBlock<tag_t> firstItems, secondItems, thirdItems;
  if (m_flangeBaseProfile != nullptr)
    m_flangeBaseProfile->ask_loop_summary(&first, firstItems.out(), &second, secondItems.out(), &third,
                                          thirdItems.out());
  const bool targetProfile = m_targetData != nullptr && m_targetData->GetFlangeProfileFlag();
  if (first < 1) {
    if (!targetProfile) return kNoBaseFlange;
  } else if (second > 0) {
    return kOpenBaseFlange;
  } else if (third != 1) {
    return kNotOneBaseFlangeLoop;
  }

  const bool automatic = m_type == JA_CLAMPING_SLOT_BUILDER_types_Automatic;
  const auto nonNegative = [](double v) { return v > -kMargin; };
  const double slotWidth = ExpressionValue(m_slotWidth), innerWidth = ExpressionValue(m_innerWidth);
  const double padWidth = ExpressionValue(m_padWidth), slotLength = ExpressionValue(m_slotLength);
  const double topLength = ExpressionValue(m_topLength), padLength = ExpressionValue(m_padLength);
  if (!automatic && !nonNegative(ExpressionValue(m_centerlineLength))) return kClampingCenterlineLengthNegative;
  if (!nonNegative(innerWidth)) return kClampingInnerWidthNegative;
  if (!(slotWidth > innerWidth - kMargin)) return kClampingSlotNotWiderThanInner;
  if (!nonNegative(slotWidth)) return kClampingSlotWidthNegative;
  if (!(padWidth >= slotWidth)) return kClampingPadNarrowerThanSlot;
  if (!nonNegative(slotLength)) return kClampingSlotLengthNegative;
  if (!(topLength >= slotLength)) return kClampingTopShorterThanSlot;
  if (!nonNegative(topLength)) return kClampingTopLengthNegative;
  if (!automatic && !(padLength >= topLength)) return kClampingPadShorterThanTop;
  const std::pair<const EXP_expression*, int> rest[] = {
      {m_slotRadius, kClampingSlotRadiusNegative},
      {m_padWidth, kClampingPadWidthNegative},
      {m_padHeight, kClampingPadHeightNegative},
      {m_padLength, kClampingPadLengthNegative},
      {m_padRadius, kClampingPadRadiusNegative},
      {m_overhang, kClampingOverhangNegative},
      {m_notchWidth, kClampingNotchWidthNegative},
      {m_notchHeight, kClampingNotchHeightNegative},
      {m_notchAngle, kClampingNotchAngleNegative},
  };
  for (const auto& [expression, message] : rest)
    if (!nonNegative(ExpressionValue(expression))) return message;
  if (!(ExpressionValue(m_flangeThickness) > kMargin)) return kClampingFlangeThicknessNotPositive;
  if (!nonNegative(ExpressionValue(m_offsetWidth))) return kClampingOffsetWidthNegative;
  if (m_distanceTolerance < kMargin) return kGeneralDistanceToleranceTooSmall;
  if (m_angleTolerance < kMargin) return kGeneralAngleToleranceTooSmall;
  // A closed loop that encloses nothing gives the build no face to make.
  if (Stamvik::ClosedLoopWithoutArea(m_flangeBaseProfile, m_distanceTolerance)) return Messages::kOutlineNoArea;
  return 0;
}

void ClampingSlotBuilder::GetSelectedObjects(int* count, tag_t** tags) const {
  *count = 0;
  *tags = nullptr;
  AppendSelectedTag(count, tags, m_target->ask_selected_tag());
  if (m_locations != nullptr) m_locations->GetSelectedObjects(count, tags);
  if (m_locationOffsetDirection != nullptr) m_locationOffsetDirection->GetSelectedObjects(count, tags);
  if (m_basePlane != nullptr) m_basePlane->GetSelectedObjects(count, tags);
  AppendSelectedTag(count, tags, m_dieCenterlineCoordinateSystem->ask_selected_tag());
  if (m_orientationPlane != nullptr) m_orientationPlane->GetSelectedObjects(count, tags);
  DIEDES_GENERIC_BODY_PARMS::DieDesBuilderGetSectionObjects(m_flangeBaseProfile, count, tags);
}

int ClampingSlotBuilder::commit_feature(FEATURE_RECORD** frec) {
  return CommitUpdatingTarget(frec, m_targetData, m_target,
                              []() -> DIEDES_GENERIC_BODY_PARMS* { return DieDes::ClampingSlotFactory::Create(); });
}

// ---- parameters ------------------------------------------------------------------------

namespace {
// The clamping slot's parameters of the record, raising 670156 from the line
// given for a record without parameters and for parameters of another class.
DieDes::ClampingSlot* slotParmsOrRaise(const FEATURE_RECORD* frec, int noParmsLine, int wrongClassLine) {
  FEATURE_PARMS* any = frec != nullptr ? FREC_ask_parms_of_frec(frec) : nullptr;
  if (any == nullptr) ERROR_raise(kSource, noParmsLine, kNoDatabaseParms, "Feature has no database parameters.");
  auto* parms = dynamic_cast<DieDes::ClampingSlot*>(any);
  if (parms == nullptr) ERROR_raise(kSource, wrongClassLine, kNoDatabaseParms, "Feature is not a Clamping Slot.");
  return parms;
}
}  // namespace

int ClampingSlotBuilder::ConvertBuilderDataToFrec(FEATURE_RECORD* frec) {
  return ToParms(slotParmsOrRaise(frec, 868, 864));
}

int ClampingSlotBuilder::ToParms(DIEDES_GENERIC_BODY_PARMS* parms) {
  auto* slot = dynamic_cast<DieDes::ClampingSlot*>(parms);
  if (slot == nullptr) return kWrongParms;
  // More items than the layout: nothing is written through items that are
  // not the ones meant.
  if (parms->GetNumEntities() > kItems) return kWrongParms;
  OM::Object* owner = OM_ask_subobject_owner(parms);

  // The locations: one child of the module's node per location.
  DieDes::ClampingSlotModule* module = slot->GetModule(0);
  if (module != nullptr) {
    static const DIEDES_NODE_init_s description{25, "Clamping Slots", 24, "Clamping Slot", nullptr};
    DIEDES_NODE_init_s withItems = description;
    withItems.attribute = parms->GetDieDesModuleItemsAttribute();
    DIEDES_NODE_s* node = nullptr;
    int status = DIEDES_NODE_create_nodes(1, &withItems, parms, withItems.attribute, &node);
    if (status == 0 && node != nullptr) {
      try {
        PopulateValuesInStucture(node);
        node->owner = owner;
        node->tolerances[0] = m_distanceTolerance;
        node->tolerances[1] = m_angleTolerance;
        node->module = module;
        node->parms = parms;
        module->ReadChildren(node);
        int count = 0;
        m_locations->GetLocation(&count, nullptr, nullptr);
        if (count < 1) {
          status = kBadLocation;
        } else {
          status = m_locations->ToParmsClampingSlot(node, count);
          if (status == 0) status = module->Apply(owner, node, kApplyInPlace);
        }
      } catch (...) {
        FreeApplStructure(node);
        throw;
      }
      FreeApplStructure(node);
    }
    if (status != 0) return status;
  }

  if (int rc = WriteDirectionEntity(parms, 0, m_locationOffsetDirection); rc != 0) return rc;
  if (int rc = WritePlaneEntity(parms, 1, m_basePlane); rc != 0) return rc;
  if (int rc = WritePlaneEntity(parms, 3, m_orientationPlane); rc != 0) return rc;
  const tag_t csys = m_dieCenterlineCoordinateSystem->ask_selected_tag();
  if (int rc = WriteTagsEntity(parms, 2, 0, csys != 0 ? 1 : 0, csys != 0 ? &csys : nullptr); rc != 0) return rc;
  tag_t profile = 0;
  if (m_flangeBaseProfile != nullptr && !m_flangeBaseProfile->is_empty()) {
    if (DIEDES_EXTRACTION_TABLE_MAP* map = DIEDES_UTILS__get_extraction_table_map(); map != nullptr)
      map->MapSection(m_flangeBaseProfile);
    profile = m_flangeBaseProfile->ask_tag();
  }
  if (int rc = WriteTagsEntity(parms, 4, 0, profile != 0 ? 1 : 0, profile != 0 ? &profile : nullptr); rc != 0)
    return rc;
  EXP_expression* values[17];
  ValueRecord(values);
  if (int rc = WriteExpressionsEntity(parms, 5, 1, 17, values); rc != 0) return rc;
  EXP_expression* angle = m_notchAngle;
  if (int rc = WriteExpressionsEntity(parms, 6, 1, 1, &angle); rc != 0) return rc;
  const int ints[2] = {GetType(), m_locationOnFlange ? 1 : 0};
  if (int rc = WriteIntsEntity(parms, 7, 0, 2, ints); rc != 0) return rc;

  OM::LogForWrite(parms);
  parms->SetDistanceTolerance(m_distanceTolerance);
  parms->SetAngleTolerance(m_angleTolerance);

  // The five faces' attributes, each keeping the title it had.
  DieAttributesRecord records[5];
  DieDes::DIEDES_ATTRIBUTE_TABLE table{{}, {0, 1, 2, 3}, 5, records};
  if (int rc = slot->ReadAttributeRecords(&table); rc != 0) return rc;
  const DieDes::DieAttributesBuilder* builders[5] = {m_padFacesAttributes, m_slotFacesAttributes,
                                                     m_slotEndFacesAttributes, m_notchFacesAttributes,
                                                     m_overhangFacesAttributes};
  FillDieAttributesRecords(records, builders);
  return slot->ApplyAttributeRecords(owner, &table, kApplyInPlace);
}

void ClampingSlotBuilder::ConvertFrecToBuilderData(FEATURE_RECORD* frec) {
  DieDes::ClampingSlot* parms = slotParmsOrRaise(frec, 626, 622);
  const int items = EntitiesToUse(parms, kItems);
  if (items > 0) {
    SetDistanceTolerance(parms->GetDistanceTolerance());
    SetAngleTolerance(parms->GetAngleTolerance());
  }
  if (DieDes::ClampingSlotModule* module = parms->GetModule(0); module != nullptr) {
    std::vector<DieDes::DieDesGenericLocation*> locations;
    for (int i = 0; i < module->GetNumChildren(); ++i) {
      DIEDES_GENERIC_MODULE_PARMS* child = module->GetChild(i);
      if (child == nullptr || child->GetNumDiedesItems() < 2) continue;
      locations.push_back(dynamic_cast<DieDes::DieDesGenericLocation*>(child->GetNthDiedesItems(1)));
    }
    if (!locations.empty()) m_locations->FromParms(locations.data(), static_cast<int>(locations.size()));
  }
  if (items > 0) ReadDirectionEntity(parms, 0, m_locationOffsetDirection);
  if (items > 1) ReadPlaneEntity(parms, 1, m_basePlane);
  if (items > 2 && parms->GetEntity(2)->AskCount() > 0)
    m_dieCenterlineCoordinateSystem->set_selected_tag(parms->AskEntityTag(2, 0));
  if (items > 3) ReadPlaneEntity(parms, 3, m_orientationPlane);
  if (items > 4) ReadSectionEntity(this, m_flangeBaseProfileAttId, m_flangeBaseProfile, parms, 4, 0, ask_owning_part());
  if (items > 5) {
    const OM::AttributeId* record[17] = {
        &m_locationOffsetAttId, &m_padOffsetAttId,   &m_centerlineLengthAttId, &m_innerWidthAttId,
        &m_slotWidthAttId,      &m_slotLengthAttId,  &m_topLengthAttId,        &m_slotRadiusAttId,
        &m_padWidthAttId,       &m_padHeightAttId,   &m_padLengthAttId,        &m_padRadiusAttId,
        &m_overhangAttId,       &m_notchWidthAttId,  &m_notchHeightAttId,      &m_flangeThicknessAttId,
        &m_offsetWidthAttId};
    for (int i = 0; i < 17; ++i) ReadExpressionCopy(*record[i], parms, 5, i);
  }
  if (items > 6) ReadExpressionCopy(m_notchAngleAttId, parms, 6, 0);
  if (items > 7) {
    OM::LogForWrite(this);
    m_type = parms->AskEntityInt(7, 0);
    m_locationOnFlange = parms->AskEntityInt(7, 1) == 1;
  }
  ReadFaceAttributes(parms, {m_padFacesAttributes, m_slotFacesAttributes, m_slotEndFacesAttributes,
                            m_notchFacesAttributes, m_overhangFacesAttributes});
  ReadTargetBody(parms, m_target);
}

// ---- the application structure -----------------------------------------------------------

void ClampingSlotBuilder::PopulateValuesInStucture(DIEDES_NODE_s* node) const {
  void** data = DIEDES_NODE_ask_appl_data(node);
  if (data == nullptr) return;
  auto* record = static_cast<unsigned char*>(data[1] != nullptr ? data[1] : data[0]);
  if (record == nullptr) return;
  EXP_expression* values[17];
  ValueRecord(values);
  for (int i = 0; i < 17; ++i) {
    double v = ExpressionValue(values[i]);
    if (i == kFlangeThicknessPosition && m_targetData != nullptr && m_targetData->GetThicknessFlag())
      v = m_targetData->GetThicknessValue();
    put(record, 24 + 8 * i, v);
  }
  put(record, 160, ExpressionValue(m_notchAngle));
  put<std::int32_t>(record, 168, m_locationOnFlange ? 1 : 0);
  put<std::int32_t>(record, 172, GetType());
  put<std::int32_t>(record, 176, node->parent == nullptr ? kParentCode : 0);
}

DIEDES_NODE_s* ClampingSlotBuilder::CreateApplStructure(tag_t orientation, tag_t direction) const {
  int count = 0;
  Stamvik::HostBlock<tag_t> tags;
  Stamvik::HostBlock<bool> created;
  m_locations->GetOutputTags(static_cast<SO_update_option_t>(1), &count, tags.out(), created.out());
  if (count < 1) return nullptr;

  // The locations made for the structure and not yet in one of its children
  // go when it cannot be made.
  int placed = 0;
  auto letGoUnplaced = [&] {
    for (int i = placed; i < count; ++i)
      if (created && created[i]) sleepAndDelete(tags[i]);
  };
  static const DIEDES_NODE_init_s description{25, "Clamping Slots", 24, "Clamping Slot", nullptr};
  DIEDES_NODE_s* parent = nullptr;
  try {
    if (DIEDES_NODE_create_nodes(1, &description, nullptr, nullptr, &parent) != 0) parent = nullptr;
    if (parent != nullptr) PopulateValuesInStucture(parent);
  } catch (...) {
    FreeApplStructure(parent);
    letGoUnplaced();
    throw;
  }
  if (parent == nullptr) {
    letGoUnplaced();
    return nullptr;
  }
  const auto* templateRecord = static_cast<const unsigned char*>(DIEDES_NODE_ask_appl_data(parent)[1]);

  bool copying = false;
  try {
    for (int i = 0; i < count; ++i) {
      DIEDES_NODE_s* child = DIEDES_NODE_create_child(parent);
      auto* record = static_cast<unsigned char*>(DIEDES_NODE_ask_appl_data(child)[0]);
      std::memcpy(record + 24, templateRecord + 24, 160);
      put<std::int32_t>(record, 176, 0);
      tag_t location = tags[i];
      if (!created[i]) {
        if (OCC_is_occurrence(location)) location = OCC_ask_prototype_of_occ(location);
        if (!copying) ES_begin_copy_to_layer();
        copying = true;
        location = ES_copy_entity_onto_layer(location, -1);
      }
      put<std::int32_t>(record, 0, static_cast<std::int32_t>(location));
      placed = i + 1;
      put<std::int32_t>(record, 4, static_cast<std::int32_t>(orientation));
      put<std::int32_t>(record, 8, static_cast<std::int32_t>(direction));
      SC_collector* collector = nullptr;
      std::memcpy(&collector, record + kNodeCollectorPlace, sizeof collector);
      int curveCount = 0;
      Stamvik::HostBlock<tag_t> curves;
      if (m_flangeBaseProfile != nullptr) m_flangeBaseProfile->ask_tags(&curveCount, curves.out());
      if (curveCount > 0) {
        CMP_RT_replace_rm_entities(collector, 0, curveCount, curves.get(), nullptr);
      } else if (m_targetData != nullptr && m_targetData->GetFlangeProfileFlag()) {
        const tag_t curve = m_targetData->GetFlangeProfileCurve();
        CMP_RT_replace_rm_entities(collector, 0, 1, &curve, nullptr);
      }
      CMP_RT_set_direction(collector, 0, 0);
    }
    if (copying) ES_end_copy_to_layer_normal();
  } catch (const std::exception& e) {
    Error::HandleAsBuilder(e, kSource, kApplStructureLine);
    if (copying) ES_end_copy_to_layer_upon_error();
    FreeApplStructure(parent);
    letGoUnplaced();
    throw;
  }
  return parent;
}

void ClampingSlotBuilder::FreeApplStructure(DIEDES_NODE_s* node) {
  if (node == nullptr) return;
  for (int i = 0; i < DIEDES_NODE_ask_num_children(node); ++i) {
    auto* record = static_cast<unsigned char*>(DIEDES_NODE_ask_appl_data(DIEDES_NODE_ask_nth_child(node, i))[0]);
    std::int32_t location = 0;
    std::memcpy(&location, record, sizeof location);
    if (location == 0) continue;
    sleepAndDelete(static_cast<tag_t>(location));
    put<std::int32_t>(record, 0, 0);
  }
  DIEDES_NODE_free_appl_data(node);
  SM_free(node);
}

// ---- preview ------------------------------------------------------------------------------

int ClampingSlotBuilder::CreateBodies(int* count, int** bodies) const {
  int status = 0;
  int bodyType = ZV_BODY_type_solid_c;
  int copy = 0;
  int targetBody = 0;
  Stamvik::BodyArray tools;
  Stamvik::HostBlock<int> second;
  Stamvik::BodyArray out;
  tag_t profileCurve = 0, createdCsys = 0, orientation = 0, direction = 0;
  bool orientationCreated = false, directionCreated = false;
  DIEDES_NODE_s* node = nullptr;

  try {
    if (tag_t target = m_target->ask_selected_tag(); target != 0) {
      targetBody = ES_solid_ask_solvane_tag(target);
      if (targetBody != 0) {
        DieDesUtilsSolvaneCopy(false, targetBody, &copy);
        if (copy != 0) ZV_BODY_ask_type(copy, &bodyType);
      }
    }
    int planeStatus = 0;
    orientation = m_orientationPlane->GetOutputTag(static_cast<SO_update_option_t>(1), &orientationCreated,
                                                   &planeStatus);
    if (planeStatus != 0) status = kBadOrientationPlane;
    if (status == 0)
      direction = m_locationOffsetDirection->GetOutputTag(static_cast<SO_update_option_t>(1), &directionCreated,
                                                          &status);

    double origin[3] = {0, 0, 0}, normal[3] = {0, 0, 1};
    if (status == 0) {
      tag_t plane = 0;
      double matrix[9];
      if (m_basePlane->GetPlaneDefinition(&plane, origin, matrix)) {
        Math::NormalOfMatrix(matrix, normal);
      } else if (m_targetData != nullptr && m_targetData->GetOrientationFlag()) {
        m_targetData->GetBaseOrigin(origin);
        m_targetData->GetBaseNormal(normal);
      } else {
        status = kNoBaseOrientation;
      }
    }
    tag_t csys = 0;
    if (status == 0) {
      csys = m_dieCenterlineCoordinateSystem->ask_selected_tag();
      if (csys == 0 && m_targetData != nullptr && m_targetData->GetCoordinateSystemFlag())
        csys = m_targetData->GetCoordinateSystem();
      if (csys == 0) {
        const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        csys = createdCsys = ES_create_csys(origin, identity);
        if (csys == 0) status = kNoCoordinateSystem;
      }
    }
    if (status == 0) {
      int curveCount = 0;
      Stamvik::HostBlock<tag_t> curves;
      if (m_flangeBaseProfile != nullptr) m_flangeBaseProfile->ask_tags(&curveCount, curves.out());
      if (curveCount == 0) {
        if (m_targetData != nullptr && m_targetData->GetFlangeProfileFlag())
          status = DIEDES_UTILS_copy_curve(m_targetData->GetFlangeProfileCurve(), &profileCurve);
        else
          status = kNoBaseFlange;
      } else if (curveCount == 1) {
        status = DIEDES_UTILS_copy_curve(curves[0], &profileCurve);
      } else {
        status = DIEDES_UTILS_join_curves(curveCount, curves.get(), kJoinClosed, m_distanceTolerance, &profileCurve);
      }
    }
    if (status == 0) {
      DIEDES_CLAMPSLOT_tool_data_s toolData{};
      for (int i = 0; i < 3; ++i) {
        toolData.baseNormal[i] = normal[i];
        toolData.baseOrigin[i] = origin[i];
      }
      toolData.coordinateSystem = static_cast<std::int32_t>(csys);
      toolData.profileCurve = static_cast<std::int32_t>(profileCurve);
      toolData.code = kToolDataCode;
      toolData.one = 1;
      node = CreateApplStructure(orientation, direction);
      const double tolerances[2] = {m_distanceTolerance, m_angleTolerance};
      status = DIEDES_CLAMPSLOT_parent_create_tool_body(node, tolerances, &toolData, kParentCode, kToolCode,
                                                        tools.count(), tools.bodies(), second.out());
    }
    if (status == 0)
      HandOutPreviewBodies({kSource, kPreviewLine, "Clamping Slot: Performing boolean operation"}, m_distanceTolerance,
                           bodyType, &copy, tools.count(), tools.bodies(), second.get(), out.count(), out.bodies());
  } catch (const std::exception& e) {
    const int rc = Error::HandleAsBuilder(e, kSource, kPreviewLine);
    if (status == 0) status = rc;
  }

  tools.Delete();
  second.reset();
  FreeApplStructure(node);
  // What the preview made for itself goes, whatever happened.
  sleepAndDelete(profileCurve);
  sleepAndDelete(createdCsys);
  if (orientationCreated) sleepAndDelete(orientation);
  if (directionCreated) sleepAndDelete(direction);
  if (copy != targetBody) DieDesUtilsDeleteBody(copy);
  if (status != 0) {
    out.Delete();
    return status;
  }
  if (out.size() > 0) out.HandOver(count, bodies);
  return 0;
}

tag_t ClampingSlotBuilder::GetFlangeBaseProfileTag() const { return OM::OM_ask_object_tag(m_flangeBaseProfile); }

void ClampingSlotBuilder::SetFlangeBaseProfile(SC_section* section) {
  OM::SetReferencedObject(this, m_flangeBaseProfileAttId, section);
}

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
