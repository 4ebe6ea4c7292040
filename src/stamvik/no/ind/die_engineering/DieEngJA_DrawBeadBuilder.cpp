#include "DieEngJA_DrawBeadBuilder.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "CommitPath.hpp"
#include "DieEngJA_DrawBeadSegmentBuilder.hpp"
#include "InputChecks.hpp"
#include "Messages.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/DrawBeadParms.hpp"
#include "exp/Expression.hpp"
#include "DieEngJA_DrawBeadItems.hpp"
#include "DieDesJA_GenericBodyBuilder.hpp"
#include "HeldSelections.hpp"
#include "OnEveryExit.hpp"
#include "Support.hpp"
#include "afl/Module.hpp"
#include "geom/Curve.hpp"
#include "geom/Faces.hpp"
#include "geom/Geometry.hpp"
#include "ja_die_draw_bead_builder_jam.hpp"
#include "script/ScriptHost.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "upd/Update.hpp"

namespace KTX::DieEngJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(DrawBeadBuilder)
STAMVIK_OM_DEFINE_CLASS(DrawBeadBuilder, "KTX::JAX_FEAT_BUILDER", 0x1000, &GetDrawBeadBuilderInstanceSize,
                        STAMVIK_DRAW_BEAD_BUILDER_ATTRIBUTES)

DrawBeadBuilder* DrawBeadBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<DrawBeadBuilder>(DrawBeadBuilderClassId, [&](DrawBeadBuilder* made) {
    made->InitCreate(part, frec);
  });
}

namespace {

constexpr double kMargin = 1e-10;
constexpr unsigned kNewBeadFlags = 0x200;

// The bead's own names for shared message numbers.
constexpr int kBadClearance = Messages::kBeadClearanceTooSmall;
constexpr int kBadThickness = Messages::kBeadMetalThicknessTooSmall;
constexpr int kBadFemaleDepth = Messages::kBeadFemaleDepthTooSmall;
constexpr int kBadFemaleWidth = Messages::kBeadFemaleWidthTooSmall;
constexpr int kPathTrimmedAway = Messages::kBeadPathTrimmedToNothing;
constexpr int kNoRecordMade = Messages::kWrongParms;

EXP_expression* newLength(const char* source, int line) {
  EXP_expression* made = nullptr;
  if (int rc = EXP_create_sys_exp_with_units_all_errors("0", UNIT_ask_default_unit_obj_for_measure(0), &made); rc != 0)
    ERROR_raise(source, line, rc, "the bead's expression cannot be made");
  return made;
}

constexpr const char* kSource = "DieEngJA_DrawBeadBuilder";

}  // namespace

void DrawBeadBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  PART_part* owningPart = ask_owning_part();

  DieDesJA::DieLocationBuilder* start =
      DieDesJA::DieLocationBuilderFactory::CreateItem(owningPart, true, true, false, false, true, false);
  start->SetApplScopeLocation(3);
  OM::OM_set_pointer(this, m_startPointAttId, start);
  DieDesJA::DieLocationBuilder* end =
      DieDesJA::DieLocationBuilderFactory::CreateItem(owningPart, true, true, false, false, true, false);
  end->SetApplScopeLocation(3);
  OM::OM_set_pointer(this, m_endPointAttId, end);
  DieDes::DieDirectionBuilder* direction =
      DieDes::DieDirectionBuilderFactory::Create(owningPart, true, true, true, true, true, false);
  direction->SetApplScopeDirection(3);
  OM::OM_set_pointer(this, m_drawDirectionAttId, direction);
  OM::OM_set_pointer(this, m_segmentListAttId, UICOMPJA_listFactory::object(PART_ask_cm_part_of_part_p(owningPart)));
  OM::OM_set_pointer(this, m_startTaperAttId, DrawBeadTaperBuilderFactory::Create(owningPart, frec));
  OM::OM_set_pointer(this, m_endTaperAttId, DrawBeadTaperBuilderFactory::Create(owningPart, frec));
  const struct {
    const OM::AttributeId& attribute;
    bool flags[3];
  } attributes[] = {
      {m_maleSheetAttributeAttId, {true, false, false}},      {m_maleFaceAttributeAttId, {true, true, false}},
      {m_femaleSheetAttributeAttId, {true, false, false}},    {m_femaleFaceAttributeAttId, {true, true, false}},
      {m_sheetMetalSheetAttributeAttId, {true, false, false}}, {m_sheetMetalFaceAttributeAttId, {true, true, false}},
      {m_machiningOffsetTitleAttributeAttId, {false, false, false}},
  };
  for (const auto& a : attributes)
    OM::OM_set_pointer(this, a.attribute,
                       DieDes::DieAttributesBuilderFactory::Create(owningPart, a.flags[0], a.flags[1], a.flags[2]));

  if (frec != nullptr) {
    set_frec(frec);
    ConvertFrecToBuilderData(frec);
    SetPathForSegments();
    UpdateSegmentPaths();
  } else {
    OM::OM_set_pointer(this, m_placementFaceAttId, SC_collectorFactory::Create(owningPart));
    const double distance = TOLER_ask_distance_tol();
    SC_section* centerline = SC_sectionFactory::object(OM::OM_ask_object_tag(owningPart), 0.95 * distance, distance,
                                                       TOLER_ask_angular_tol());
    centerline->OrderLoops();
    OM::OM_set_pointer(this, m_centerlineAttId, centerline);
    OM::OM_set_pointer(this, m_metalThicknessAttId, newLength(kSource, 110));
    OM::OM_set_pointer(this, m_clearanceAttId, newLength(kSource, 111));
    OM::OM_set_pointer(this, m_femaleDepthValueAttId, newLength(kSource, 112));
    OM::OM_set_pointer(this, m_femaleWidthValueAttId, newLength(kSource, 113));
    SetDistanceTolerance(TOLER_ask_distance_tol());
    SetAngleTolerance(TOLER_ask_angular_tol());
    SetDefaultDrawDirection();
  }

  // A change to any of these reaches the bead's Notify.
  if (m_placementFace != nullptr) m_placementFace->SetParentHasObservers(true);
  if (m_centerline != nullptr) m_centerline->SetParentHasObservers(true);
  m_startPoint->SetParentHasObservers(true);
  m_endPoint->SetParentHasObservers(true);
  m_segmentList->set_insert_callback(&DrawBeadBuilder::InsertCB, this);
  m_segmentList->set_item_class("Die.DrawBeadSegmentBuilder");
  EnableNotification();
}

char* DrawBeadBuilder::ask_journal_class_name() const { return SM_string_copy("Die.DrawBeadBuilder"); }

void DrawBeadBuilder::destroy() { cascade_destroy(); }

void DrawBeadBuilder::cascade_destroy() {
  implement_destroy();
  JAX_FEAT_BUILDER::cascade_destroy();
}

void DrawBeadBuilder::implement_destroy() {
  if (UICOMPJA_list* list = m_segmentList; list != nullptr) {
    for (int i = list->size() - 1; i >= 0; --i) {
      if (m_deleteSegmentsDuringClean) {
        list->remove_at(i, false);
      } else if (DrawBeadSegmentBuilder* kept = SegmentAt(i); kept != nullptr &&
                                                             kept->GetParentDrawBeadBuilder() == this) {
        // A segment that outlives its bead must not point at it.
        kept->SetParentDrawBeadBuilder(nullptr);
      }
    }
    OM::OM_set_pointer(this, m_segmentListAttId, nullptr);
    list->destroy();
  }
  if (SC_section* centerline = m_centerline; centerline != nullptr) {
    OM::OM_set_pointer(this, m_centerlineAttId, nullptr);
    UPDATE_log_object_to_delete(centerline);
  }
  if (const tag_t path = m_pathForSegments; path != 0) {
    OM::SetReferencedObject(this, m_pathForSegmentsAttId, tag_t{0});
    RM_set_sleep_state(path, true);
    UPDATE_log_entity_to_delete(path);
  }
  if (GetDetailsLength() > 0) SetDetailsLength(0);
}

int DrawBeadBuilder::validate_nothrow() {
  if (int rc = Stamvik::CheckInputs(this); rc != 0) return rc;
  // The gaps below are measured against the distance tolerance: one of 0 or
  // less would pass any of them and reach the record.
  if (m_distanceTolerance < kMargin) return Messages::kGeneralDistanceToleranceTooSmall;
  if (m_angleTolerance < kMargin) return Messages::kGeneralAngleToleranceTooSmall;
  unsigned flags = kNewBeadFlags;
  if (FEATURE_RECORD* frec = get_frec(); frec != nullptr) {
    FEATURE_PARMS* parms = FREC_ask_parms_of_frec(frec);
    if (parms != nullptr && OM::OM_is_subclass(parms->OmClassId(), DIE_DRBD_PARMS::ThisClassId))
      flags = static_cast<const DIE_DRBD_PARMS*>(parms)->GetFlags();
  }
  const double t = m_distanceTolerance;
  // Start and end points that trim the path to a length of nothing (an end
  // at the path's start, both at one place) leave no bead to build: every
  // segment would run from one place to itself.
  if (m_pathForSegments != 0 && CURVE_ask_arc_length(m_pathForSegments) < t + kMargin) return kPathTrimmedAway;
  const bool withFemale = m_output == JA_DRAW_BEAD_BUILDER_OutputTypes_PlusFemale ||
                          m_output == JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal;
  if (withFemale) {
    // A bead made before the flag existed keeps its gaps above the tolerance.
    const double least = (flags & kNewBeadFlags) != 0 ? -kMargin : t + kMargin;
    if (Stamvik::ExpressionValue(m_clearance) < least) return kBadClearance;
    if (Stamvik::ExpressionValue(m_metalThickness) < least) return kBadThickness;
    if (!m_taperBead) {
      if (Stamvik::ExpressionValue(m_femaleDepthValue) < t + kMargin) return kBadFemaleDepth;
      if (Stamvik::ExpressionValue(m_femaleWidthValue) < t + kMargin) return kBadFemaleWidth;
    }
  }
  if (m_segmentList != nullptr) {
    for (int i = 0; i < m_segmentList->size(); ++i) {
      DrawBeadSegmentBuilder* segment = SegmentAt(i);
      if (segment == nullptr) continue;
      if (int rc = segment->validate_nothrow(); rc != 0) return rc;
    }
  }
  if (m_startTaper != nullptr)
    if (int rc = m_startTaper->validate_nothrow(); rc != 0) return rc;
  if (m_endTaper != nullptr)
    if (int rc = m_endTaper->validate_nothrow(); rc != 0) return rc;
  // A bead runs along its centreline: without one there is no path, nor a
  // bead to build (its own inputs are judged first, as they always were).
  if (m_centerline == nullptr || m_centerline->is_empty()) return Messages::kBeadNoCenterline;
  return 0;
}

int DrawBeadBuilder::SetDefaultDrawDirection() {
  if (m_drawDirection != nullptr) m_drawDirection->SetDirectionToNegZcWork();
  return 0;
}

// ---- the male record ----------------------------------------------------------------

namespace {

// The male record's items (its stored format).
enum Item : int {
  kFaceItem = 0,
  kCenterlineItem = 1,
  kStartItem = 2,
  kEndItem = 3,
  kDirectionItem = 4,
  kIntegersItem = 5,
  kExpressionsItem = 6,
  kDoublesItem = 9,
  kItemCount = 10,
};
// Positions of the integers item.
enum Integer : int {
  kMalePosition = 0,
  kReverseThickness = 1,
  kProjection = 2,
  kMaterialMatches = 3,
  kReferenceDirection = 4,
  kTaper = 5,
  kOrientation = 6,
  kTransition = 7,
  kFemaleDepthType = 8,
  kFemaleWidthType = 9,
  kStartTaperBuilt = 10,
  kEndTaperBuilt = 11,
  kOutput = 12,
  kMachineOffset = 13,
  kHeightCurve = 14,
  kOrientSection = 15,
  kReserved = 16,
  kIntegerCount = 17,
};
constexpr unsigned kTagFormat = 0x80;
using Messages::kNoDatabaseParms;
using Messages::kNoSection;
constexpr int kFaceRuleInputType = 17;
constexpr int kAttributeWriteMode = 2;
// A text field of an attribute record holds this many characters and its end.
constexpr std::size_t kAttributeText = sizeof(DieAttributesRecord::title) - 1;
constexpr const char* kMaterialTitleDefault = "DIE_DrawBead_MaterialThicknessAttributeTitle";

DIE_DRBD_MALE_PARMS* maleParmsOf(FEATURE_PARMS* parms, int line) {
  if (parms == nullptr) ERROR_raise(kSource, line, kNoDatabaseParms, "Feature has no database parameters.");
  if (!OM::OM_is_subclass(parms->OmClassId(), DIE_DRBD_MALE_PARMS::ThisClassId))
    ERROR_raise(kSource, line, kNoDatabaseParms, "Feature is not a Male Draw Bead.");
  return static_cast<DIE_DRBD_MALE_PARMS*>(parms);
}

template <class T>
T* entityAt(DIE_DRBD_MALE_PARMS* parms, int index) {
  return dynamic_cast<T*>(Items::item(parms, index));
}

template <class T>
T* objectAt(tag_t tag) {
  return dynamic_cast<T*>(OM::OM_object_of_tag(tag));
}

// At most one field's worth of characters, always ended, the rest of the field cleared.
void copyText(char* field, std::size_t fieldSize, const char* text) {
  std::memset(field, 0, fieldSize);
  if (text != nullptr) std::memcpy(field, text, strnlen(text, std::min(kAttributeText, fieldSize - 1)));
}

bool attributeMatchesExpression(const EXP_expression* expression, tag_t object, const char* title,
                                double tolerance) {
  const double wanted = Stamvik::ExpressionValue(expression);
  double value = 0;
  if (ATTR_ask_real(object, title, &value)) return std::fabs(value - wanted) <= tolerance;
  Stamvik::HostBlock<char> text(ATTR_ask_string(object, title));
  if (!text) return false;
  value = TEXT_atof(text.get());
  text.reset();
  return std::fabs(value - wanted) <= tolerance;
}

}  // namespace

std::array<DieDes::DieAttributesBuilder*, 7> DrawBeadBuilder::AttributeBuilders() const {
  return {m_maleSheetAttribute,       m_maleFaceAttribute,       m_femaleSheetAttribute,
          m_femaleFaceAttribute,      m_sheetMetalSheetAttribute, m_sheetMetalFaceAttribute,
          m_machiningOffsetTitleAttribute};
}

bool DrawBeadBuilder::MetalThicknessMatchesMaterial() const {
  Stamvik::HostBlock<char> title(PMAN_ask_string(kMaterialTitleDefault));
  const std::string material = title ? title.get() : "";
  title.reset();
  if (material.empty() || m_placementFace == nullptr || m_placementFace->ask_count() < 1) return false;
  const tag_t first = m_placementFace->ask_nth(0);
  if (first == 0) return false;
  OM::TagToObject<FREF_reference>(first);
  if (OM::OM_object_of_tag(first) == nullptr || !OM::OM_is_subclass(OM::OM_object_of_tag(first)->OmClassId(),
                                                                      FREF_reference::ThisClassId))
    ERROR_raise(kSource, 301, Error::kBadObject, "tag %u is no face reference", first);
  const tag_t face = FREF_ask_qd_eid(first);
  if (attributeMatchesExpression(m_metalThickness, face, material.c_str(), m_distanceTolerance)) return true;
  return attributeMatchesExpression(m_metalThickness, ES_solid_ask_body(face), material.c_str(), m_distanceTolerance);
}

int DrawBeadBuilder::ToParms(DIE_DRBD_MALE_PARMS* parms) {
  parms = maleParmsOf(parms, 308);
  FEATURE_RECORD* owner = parms->GetSubObjectOwner();
  parms->SetByteFlag(1);
  parms->SetAngleTolerance(m_angleTolerance);
  parms->SetDistanceTolerance(m_distanceTolerance);
  std::vector<int> integers(kIntegerCount, 0);
  integers[kMalePosition] = m_maleBeadPosition;

  // A record older than the tag format gets tag items; the old ones go once
  // the whole write has succeeded.
  // The centreline the feature refers to already takes what the builder's
  // copy holds and stays the feature's.
  SC_section* centerline = m_centerline;
  if ((parms->GetFlags() & kTagFormat) != 0)
    if (auto* own = objectAt<SC_section>(Items::tagAt(parms, kCenterlineItem, 0));
        own != nullptr && centerline != nullptr && own != centerline) {
      if (const int rc = Stamvik::WriteContents(own, centerline); rc != 0) return rc;
      centerline = own;
    }
  std::vector<DIEDES_GENERIC_ENTITY*> replaced;
  if ((parms->GetFlags() & kTagFormat) == 0) {
    for (const int index : {kFaceItem, kCenterlineItem})
      replaced.push_back(parms->SetNthDiedesItems(index, DIEDES_GENERIC_tagFactory::Create()));
    parms->SetFlags(parms->GetFlags() | kTagFormat);
  }
  if (int rc = Items::writeTags(parms, kFaceItem, {OM::OM_ask_object_tag(m_placementFace)}); rc != 0) return rc;
  parms->SetDieEngineeringFrec();
  integers[kReverseThickness] = m_reverseMetalThickness ? 1 : 0;
  if (int rc = Items::writeTags(parms, kCenterlineItem, {OM::OM_ask_object_tag(centerline)}); rc != 0) return rc;
  integers[kProjection] = m_centerlineProjection;

  if (auto* start = entityAt<DieDes::DieDesGenericLocation>(parms, kStartItem); start != nullptr && m_startPoint)
    if (int rc = m_startPoint->ToParms(start, owner); rc != 0) return rc;
  if (auto* end = entityAt<DieDes::DieDesGenericLocation>(parms, kEndItem); end != nullptr && m_endPoint)
    if (int rc = m_endPoint->ToParms(end, owner); rc != 0) return rc;
  if (auto* direction = entityAt<DieDes::DieDesGenericDirection>(parms, kDirectionItem);
      direction != nullptr && m_drawDirection != nullptr)
    if (int rc = m_drawDirection->ToParms(direction, owner); rc != 0) return rc;

  integers[kMaterialMatches] = MetalThicknessMatchesMaterial() ? 1 : 0;
  if (int rc = Items::writeExpressions(parms, kExpressionsItem,
                                       {m_metalThickness, m_clearance, m_femaleDepthValue, m_femaleWidthValue});
      rc != 0)
    return rc;
  // The rules between the bead's values hold for what it holds now, in
  // whatever order they were given: a taper bead never has the sheet metal,
  // a bead that is not tapered no manual transition (and a derived female
  // width no derived male width, written with the segments).
  if (m_taperBead && m_output == JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal)
    SetOutput(JA_DRAW_BEAD_BUILDER_OutputTypes_PlusFemale);
  if (!m_taperBead && m_transitionDefinition == JA_DRAW_BEAD_BUILDER_TransitionDefinitionTypes_Manual)
    SetTransitionDefinition(JA_DRAW_BEAD_BUILDER_TransitionDefinitionTypes_Automatic);
  integers[kReferenceDirection] = m_referenceDirection ? 1 : 0;
  integers[kTaper] = m_taperBead ? 1 : 0;
  integers[kOrientation] = m_baseOrientation;
  integers[kTransition] = m_transitionDefinition;
  integers[kFemaleDepthType] = m_femaleDepthType;
  integers[kFemaleWidthType] = m_femaleWidthType;
  integers[kStartTaperBuilt] = m_buildStartTaper ? 1 : 0;
  integers[kEndTaperBuilt] = m_buildEndTaper ? 1 : 0;
  integers[kOutput] = m_output;
  integers[kMachineOffset] = m_machineOffset ? 1 : 0;
  integers[kHeightCurve] = m_generateHeightCurve ? 1 : 0;
  integers[kOrientSection] = m_orientSectionToDraw;
  integers[kReserved] = 0;
  if (int rc = Items::writeInts(parms, kIntegersItem, integers); rc != 0) return rc;
  if (DIEDES_GENERIC_ENTITY* doubles = Items::item(parms, kDoublesItem); doubles != nullptr) {
    const double diameter = parms->GetDefaultSphereDiameter();
    const DIEDES_ENTITY_CONTEXT context{0, OM_ask_subobject_owner(parms), {}};
    if (int rc = doubles->SetDoubles(&context, 1, &diameter); rc != 0) return rc;
  }

  ParmsChildren children = parms->Children();
  DrawBeadTaperBuilder* const tapers[2] = {m_startTaper, m_endTaper};
  for (int i = 0; i < 2; ++i) {
    auto* record = children.Count() > i + 1 ? dynamic_cast<DIEDES_GEN_P_DRBD_TPR_PARMS*>(children.At(i + 1)) : nullptr;
    if (record != nullptr && tapers[i] != nullptr)
      if (int rc = tapers[i]->ToParms(record); rc != 0) return rc;
  }
  if (int rc = WriteSegmentRecords(parms); rc != 0) return rc;
  WriteAttributeBlock(parms);

  std::vector<const char*> details;
  for (int i = 0; i < GetDetailsLength(); ++i) details.push_back(GetDetail(i));
  parms->SetMoreDetailsInfo(nullptr, static_cast<int>(details.size()), details.data());

  for (DIEDES_GENERIC_ENTITY* old : replaced) {
    if (old == nullptr) continue;
    old->ReleaseContents(0);
    OM_delete_object(old);
  }
  return 0;
}

int DrawBeadBuilder::WriteSegmentRecords(DIE_DRBD_MALE_PARMS* parms) {
  ParmsChildren children = parms->Children();
  auto* module = children.Count() > 0 ? dynamic_cast<DIEDES_GENERIC_PARENT_PARMS*>(children.At(0)) : nullptr;
  if (module == nullptr) return 0;
  std::vector<DrawBeadSegmentBuilder*> segments;
  for (int i = 0; m_segmentList != nullptr && i < m_segmentList->size(); ++i)
    if (DrawBeadSegmentBuilder* segment = SegmentAt(i); segment != nullptr) segments.push_back(segment);
  ParmsChildren records = module->Children();
  const int n = static_cast<int>(segments.size());
  const int m = records.Count();
  std::vector<FEATURE_PARMS*> old;
  for (int i = 0; i < m; ++i) old.push_back(records.At(i));
  for (int i = n; i < m; ++i) records.Set(i, nullptr);
  if (m > n) records.SetCount(n);
  int rc = 0;
  for (int i = 0; i < n && rc == 0; ++i) {
    auto* record = i < m ? dynamic_cast<DIEDES_GEN_C_DRBD_SEG_PARMS*>(old[static_cast<std::size_t>(i)]) : nullptr;
    if (record == nullptr) {
      record = DIEDES_GEN_C_DRBD_SEG_PARMSFactory::Create();
      if (i >= records.Count()) records.SetCount(i + 1);
      records.Set(i, record);
    }
    // What the bead's female width type makes of the segment's male width type.
    segments[static_cast<std::size_t>(i)]->SetFemaleWidthOption(m_femaleWidthType);
    rc = segments[static_cast<std::size_t>(i)]->ToParms(record);
  }
  for (int i = n; i < m; ++i) OM_delete_object(old[static_cast<std::size_t>(i)]);
  return rc;
}

void DrawBeadBuilder::WriteAttributeBlock(DIE_DRBD_MALE_PARMS* parms) const {
  if (!parms->HasAttributeInformation()) return;
  DieAttributesRecord records[DIE_DRBD_PARMS::kAttributeRecords];
  if (parms->AskAttributeInformation(records) != 0) return;
  const auto builders = AttributeBuilders();
  for (std::size_t i = 0; i < builders.size(); ++i) {
    DieAttributesRecord& record = records[i];
    if (record.title[0] != '\0') {
      char title[sizeof record.title + 1] = {};
      std::memcpy(title, record.title, sizeof record.title);
      copyText(record.previousTitle, sizeof record.previousTitle, title);
    }
    copyText(record.title, sizeof record.title, nullptr);
    copyText(record.value, sizeof record.value, nullptr);
    if (const DieDes::DieAttributesBuilder* builder = builders[i]; builder != nullptr) {
      copyText(record.title, sizeof record.title, builder->GetFirstText());
      copyText(record.value, sizeof record.value, builder->GetSecondText());
      record.number = builder->GetIntegerValue();
    }
  }
  parms->WriteAttributeInformation(records, kAttributeWriteMode);
}

void DrawBeadBuilder::ReadAttributeBlock(DIE_DRBD_MALE_PARMS* parms) {
  DieAttributesRecord records[DIE_DRBD_PARMS::kAttributeRecords];
  if (parms->AskAttributeInformation(records) != 0) return;
  const auto builders = AttributeBuilders();
  for (std::size_t i = 0; i < builders.size(); ++i) {
    DieDes::DieAttributesBuilder* builder = builders[i];
    if (builder == nullptr) continue;
    char text[sizeof records[i].title + 1] = {};
    std::memcpy(text, records[i].title, sizeof records[i].title);
    if (text[0] != '\0') builder->SetFirstText(text);
    std::memset(text, 0, sizeof text);
    std::memcpy(text, records[i].value, sizeof records[i].value);
    if (text[0] != '\0') builder->SetSecondText(text);
    builder->SetIntegerValue(records[i].number);
  }
}

void DrawBeadBuilder::ReadPlacementFace(DIE_DRBD_MALE_PARMS* parms, FEATURE_RECORD*) {
  SC_collector* face = nullptr;
  if ((parms->GetFlags() & kTagFormat) != 0) {
    face = objectAt<SC_collector>(Items::tagAt(parms, kFaceItem, 0));
  } else if (const tag_t stored = Items::tagAt(parms, kFaceItem, 0); stored != 0) {
    // An older record stores the face itself: a collector of one face rule.
    SC_FACE* rule = nullptr;
    try {
      rule = SC_FACEFactory::sc_face(kFaceRuleInputType, stored);
      face = SC_collectorFactory::from_rules(0, 1, &rule);
    } catch (const std::exception& e) {
      Error::HandleAsBuilder(e, kSource, 467);
      face = SC_collectorFactory::object(0);
    }
    OM_delete_object(rule);
  }
  if (face == nullptr) return;
  if (m_placementFace != nullptr && m_placementFace != face) UPDATE_log_object_to_delete(m_placementFace);
  OM::OM_set_pointer(this, m_placementFaceAttId, face);
}

void DrawBeadBuilder::ReadCenterline(DIE_DRBD_MALE_PARMS* parms, FEATURE_RECORD* frec) {
  SC_section* section = nullptr;
  if ((parms->GetFlags() & kTagFormat) != 0) {
    // The feature's centreline stays the feature's: the builder works on a
    // copy of its own, whose contents the commit gives the feature's.
    section = Stamvik::CopyOfSection(objectAt<SC_section>(Items::tagAt(parms, kCenterlineItem, 0)),
                                     OM::OM_ask_object_tag(CONTEXT_ask_work_part_p()));
  } else {
    const DIEDES_GENERIC_ENTITY* item = Items::item(parms, kCenterlineItem);
    auto* profile = item != nullptr && item->AskKind() == DIEDES_GENERIC_ENTITY::kTags && item->AskCount() == 1
                        ? objectAt<OLD_profile>(item->AskTag(0))
                        : nullptr;
    if (profile == nullptr) return;
    if (CMP_has_section_builder(profile)) {
      int count = 0;
      Stamvik::HostBlock<tag_t> objects;
      CMP_ask_section_builder(profile, &count, objects.out());
      section = count > 0 ? objectAt<SC_section>(objects[0]) : nullptr;
      objects.reset();
      if (section == nullptr) ERROR_raise(kSource, 493, kNoSection, "Cannot get section from profile");
    } else {
      // The profile makes a round trip through the compare runtime first.
      CMP_RT_runtime runtime;
      CMP_RT_init(&runtime, 1);
      if (CMP_RT_from_om(&runtime, 1, profile, frec) == 0) {
        static constexpr int kPair[2] = {0, 13};
        const CMP_RT_option option{2, kPair};
        CMP_RT_to_om(&runtime, &option, frec, profile);
      }
      CMP_RT_free(&runtime);
      const double distance = m_distanceTolerance;
      section = CMP_cnvt_old_profile_by_add_section(frec, profile, distance, 0.95 * distance, m_angleTolerance);
      if (section == nullptr) {
        section = SC_sectionFactory::object(0, 0.95 * distance, distance, m_angleTolerance);
        if (section == nullptr) ERROR_raise(kSource, 508, kNoSection, "Cannot create section for centerline");
        section->OrderLoops();
      }
    }
  }
  if (section == nullptr) return;
  if (m_centerline != nullptr && m_centerline != section) UPDATE_log_object_to_delete(m_centerline);
  OM::OM_set_pointer(this, m_centerlineAttId, section);
}

void DrawBeadBuilder::ConvertFrecToBuilderData(FEATURE_RECORD* frec) {
  DIE_DRBD_MALE_PARMS* parms = maleParmsOf(FREC_ask_parms_of_frec(frec), 519);
  parms->UpdateAttributeInformationFromBody();
  if (parms->GetNumDiedesItems() != kItemCount)
    ERROR_raise(kSource, 522, kNoDatabaseParms, "Feature has unexpected number of database parameters.");
  SetDistanceTolerance(parms->GetDistanceTolerance());
  SetAngleTolerance(parms->GetAngleTolerance());
  auto integer = [&](int position) { return Items::intAt(parms, kIntegersItem, position, 0); };
  SetMaleBeadPosition(static_cast<JA_DRAW_BEAD_BUILDER_MaleBeadPositionTypes>(integer(kMalePosition)));
  ReadPlacementFace(parms, frec);
  SetReverseMetalThickness(integer(kReverseThickness) != 0);
  ReadCenterline(parms, frec);
  SetCenterlineProjection(static_cast<JA_DRAW_BEAD_BUILDER_ProjectionDirectionTypes>(integer(kProjection)));
  if (auto* start = entityAt<DieDes::DieDesGenericLocation>(parms, kStartItem); start != nullptr)
    m_startPoint->FromParms(start);
  if (auto* end = entityAt<DieDes::DieDesGenericLocation>(parms, kEndItem); end != nullptr) m_endPoint->FromParms(end);
  if (auto* direction = entityAt<DieDes::DieDesGenericDirection>(parms, kDirectionItem); direction != nullptr)
    m_drawDirection->FromParms(direction);
  const OM::AttributeId* expressions[4] = {&m_metalThicknessAttId, &m_clearanceAttId, &m_femaleDepthValueAttId,
                                           &m_femaleWidthValueAttId};
  EXP_expression* const current[4] = {m_metalThickness, m_clearance, m_femaleDepthValue, m_femaleWidthValue};
  for (int i = 0; i < 4; ++i)
    Items::replaceExpression(this, *expressions[i], current[i], Items::copyAt(parms, kExpressionsItem, i, kSource, 549));
  SetReferenceDirection(integer(kReferenceDirection) != 0);
  SetTaperBead(integer(kTaper) != 0);
  SetBaseOrientation(static_cast<JA_DRAW_BEAD_BUILDER_OrientationTypes>(integer(kOrientation)));
  SetTransitionDefinition(static_cast<JA_DRAW_BEAD_BUILDER_TransitionDefinitionTypes>(integer(kTransition)));
  SetFemaleDepthType(static_cast<JA_DRAW_BEAD_BUILDER_FemaleDepthTypes>(integer(kFemaleDepthType)));
  SetFemaleWidthType(static_cast<JA_DRAW_BEAD_BUILDER_FemaleWidthTypes>(integer(kFemaleWidthType)));
  SetBuildStartTaper(integer(kStartTaperBuilt) != 0);
  SetBuildEndTaper(integer(kEndTaperBuilt) != 0);
  SetOutput(static_cast<JA_DRAW_BEAD_BUILDER_OutputTypes>(integer(kOutput)));
  SetMachineOffset(integer(kMachineOffset) != 0);
  SetGenerateHeightCurve(integer(kHeightCurve) != 0);
  SetOrientSectionToDraw(static_cast<JA_DRAW_BEAD_BUILDER_OrientSectionToDrawTypes>(integer(kOrientSection)));

  ParmsChildren children = parms->Children();
  if (auto* module = children.Count() > 0 ? dynamic_cast<DIEDES_GENERIC_PARENT_PARMS*>(children.At(0)) : nullptr) {
    ParmsChildren records = module->Children();
    for (int i = 0; i < records.Count(); ++i) {
      auto* record = dynamic_cast<DIEDES_GEN_C_DRBD_SEG_PARMS*>(records.At(i));
      if (record == nullptr) continue;
      DrawBeadSegmentBuilder* segment = DrawBeadSegmentBuilderFactory::Create(this, frec);
      segment->SetChangesPending(true);
      m_segmentList->insert(m_segmentList->size(), segment);
      segment->FromParms(record);
    }
  }
  DrawBeadTaperBuilder* const tapers[2] = {m_startTaper, m_endTaper};
  for (int i = 0; i < 2; ++i)
    if (auto* record = children.Count() > i + 1 ? dynamic_cast<DIEDES_GEN_P_DRBD_TPR_PARMS*>(children.At(i + 1))
                                                 : nullptr;
        record != nullptr && tapers[i] != nullptr)
      tapers[i]->FromParms(record);
  ReadAttributeBlock(parms);

  char** details = nullptr;
  int count = parms->GetMoreDetailsInfo(nullptr, &details);
  SetMoreDetailsInfo(count, const_cast<const char**>(details));
  FreeDetails(&count, &details);
}

// ---- the commit --------------------------------------------------------------------

namespace {

// The bodies of the records made in one commit, regenerated once at its end.
class Regeneration {
 public:
  void Collect(const FEATURE_RECORD* frec) {
    if (const tag_t body = FREC_ask_body_eid_p(frec); body != 0) bodies_.push_back(body);
  }
  ~Regeneration() {
    if (bodies_.empty()) return;
    Stamvik::RunNoted("DSS_REGEN_regen_objs_in_views", [this] {
      DSS_REGEN_regen_objs_in_views(0, nullptr, static_cast<int>(bodies_.size()), bodies_.data());
    });
  }

 private:
  std::vector<tag_t> bodies_;
};

// A new female or sheet-metal feature of the bead: 0 or the first failure.
int makeDerivedFeature(DIE_DRBD_PARMS* parms, FEATURE_RECORD* triple[3], int slot, FEATURE_RECORD* operation,
                       bool dieEngineeringBody, int mode, Regeneration& regeneration) {
  FEATURE_RECORD* made = nullptr;
  if (parms == nullptr) return 0;
  if (int rc = DIEENG_CreateFrecWithParms(parms, 0, &made); rc != 0) return rc;
  if (made == nullptr) return 0;
  triple[slot] = made;
  parms->SetAssociatedFrecs(triple);
  if (int rc = FMI_invoke_post_update(made); rc != 0) return rc;
  regeneration.Collect(made);
  if (dieEngineeringBody) return DIEENG_insert_into_operation(made, operation, mode);
  return 0;
}

DIE_DRBD_PARMS* drawBeadParmsOf(FEATURE_RECORD* frec) {
  return dynamic_cast<DIE_DRBD_PARMS*>(frec == nullptr ? nullptr : FREC_ask_parms_of_frec(frec));
}

}  // namespace

int DrawBeadBuilder::commit_feature(FEATURE_RECORD** frec) {
  // In its turn with the other builders alive on the feature (CommitPath.hpp).
  return Stamvik::CommitInTurn(this, [&]() -> int {
    // The beads are one commit: one that fails takes the others with it.
    FEATURE_RECORD* edited = get_frec();
    FEATURE_RECORD* made = nullptr;
    // The segments' places are fitted to the path only here, so that a path
    // short while its inputs come in one at a time (a location's type before
    // its origin) cuts nothing the path it ends with has room for.
    std::vector<std::string> fitted;
    const int rc = Stamvik::CommitFeature(frec, "Draw Bead", kSource, 622, [&] {
      fitted.clear();
      if (int fit = FitSegmentsToPath(&fitted); fit != 0) return fit;
      if (edited != nullptr) return CommitEdit(edited);
      const int status = CommitNew(&made);
      // Kept open and committed again, the builder edits the bead it made, as
      // one opened on it does: never a second bead.
      if (status == 0 && made != nullptr) set_frec(made);
      return status;
    });
    if (edited == nullptr && frec != nullptr) *frec = rc == 0 ? made : nullptr;
    // Told once the commit holds: a failed one keeps the places as given.
    if (rc == 0)
      for (const std::string& word : fitted)
        ERROR_severe(kSource, 632, Messages::kBeadSegmentBeforePathStart, "%s", word.c_str());
    if (rc == 0) WarnOfSegmentsWithoutLength();
    return rc;
  });
}

int DrawBeadBuilder::FitSegmentsToPath(std::vector<std::string>* words) {
  int rc = 0;
  // Numbered as the record numbers them: the list's empty items are not written.
  int numbered = -1;
  for (int i = 0; m_segmentList != nullptr && i < m_segmentList->size(); ++i) {
    DrawBeadSegmentBuilder* segment = SegmentAt(i);
    if (segment == nullptr) continue;
    ++numbered;
    double beforeStart[2] = {};
    if (int fitted = segment->FitToPath(beforeStart); rc == 0) rc = fitted;
    for (int which = 0; which < 2 && words != nullptr; ++which) {
      if (beforeStart[which] == 0.0) continue;
      char word[160];
      std::snprintf(word, sizeof word, "the bead's segment %d: its %s at %g lies before its path's start and is committed at 0",
                    numbered, which == 0 ? "start" : "end", beforeStart[which]);
      words->push_back(word);
    }
  }
  return rc;
}

void DrawBeadBuilder::WarnOfSegmentsWithoutLength() const {
  // Numbered as the record numbers them: the list's empty items are not written.
  int numbered = -1;
  for (int i = 0; m_segmentList != nullptr && i < m_segmentList->size(); ++i) {
    const DrawBeadSegmentBuilder* segment = SegmentAt(i);
    if (segment == nullptr) continue;
    ++numbered;
    if (segment->GetStartLocation() == nullptr || segment->GetEndLocation() == nullptr) continue;
    const double start = segment->GetStartLocation()->GetLengthValue();
    const double end = segment->GetEndLocation()->GetLengthValue();
    if (end > start + m_distanceTolerance) continue;
    ERROR_severe(kSource, 640, Messages::kBeadSegmentWithoutLength,
                 "the bead's segment %d has no length: it runs from %g to %g on its path, its end not past its "
                 "start by the distance tolerance %g",
                 numbered, start, end, m_distanceTolerance);
  }
}

int DrawBeadBuilder::CommitNew(FEATURE_RECORD** frec) {
  if (frec != nullptr) *frec = nullptr;
  Regeneration regeneration;
  DIE_DRBD_MALE_PARMS* parms = DIE_DRBD_MALE_PARMSFactory::Create();
  FEATURE_RECORD* male = nullptr;
  int rc = ToParms(parms);
  if (rc == 0) rc = DIEENG_CreateFrecWithParms(parms, 0, &male);
  if (rc == 0 && male == nullptr) rc = kNoRecordMade;
  if (rc != 0) {
    // The parameters of a feature never made go with the failure.
    if (male == nullptr) OM_delete_object(parms);
    return rc;
  }
  if (frec != nullptr) *frec = male;
  // The bead, its segments and tapers go on with copies of what the feature
  // took: a builder kept open changes it no more than one opened on it.
  DieDesJA::GenericBodyBuilder::GoOnWithCopiesOfFields(this);
  if ((rc = FMI_invoke_post_update(male)) != 0) return rc;
  regeneration.Collect(male);
  const bool dieEngineeringBody = parms->IsPlacementFaceDieEngineeringBody();
  FEATURE_RECORD* operation = nullptr;
  if (dieEngineeringBody) {
    operation = parms->AskOperation();
    if ((rc = DIEENG_insert_into_operation(male, operation, 1)) != 0) return rc;
  }
  if (m_output < JA_DRAW_BEAD_BUILDER_OutputTypes_PlusFemale) return 0;
  FEATURE_RECORD* triple[3] = {male, nullptr, nullptr};
  rc = makeDerivedFeature(DIE_DRBD_FEMALE_PARMSFactory::Create(triple), triple, 1, operation, dieEngineeringBody, 1,
                          regeneration);
  if (rc != 0 || m_output != JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal) return rc;
  return makeDerivedFeature(DIE_DRBD_SHEETMETAL_PARMSFactory::Create(triple, dieEngineeringBody ? operation : nullptr),
                            triple, 2, operation, dieEngineeringBody, 1, regeneration);
}

int DrawBeadBuilder::CommitEdit(FEATURE_RECORD* frec) {
  Regeneration regeneration;
  DIEENG_set_wizard_active();
  // The wizard is put back on every way out, a failure included.
  const Stamvik::OnEveryExit wizardOff("DIEENG_set_wizard_inactive", [] { DIEENG_set_wizard_inactive(); });
  DIE_DRBD_MALE_PARMS* parms = maleParmsOf(FREC_ask_parms_of_frec(frec), 663);
  FEATURE_RECORD* triple[3] = {};
  DIE_DRBD_PARMS::FindAssociatedFrecs(frec, triple);
  if (triple[0] == nullptr) triple[0] = frec;
  FEATURE_RECORD* male = triple[0];
  int rc = ToParms(parms);
  if (rc != 0) return rc;
  FEATURE_RECORD* operation = parms->AskOperation();
  parms->SetAssociatedFrecs(triple);
  parms->MarkForUpdate(true);
  const bool dieEngineeringBody = parms->IsPlacementFaceDieEngineeringBody();
  if (dieEngineeringBody && (rc = DIEENG_insert_into_operation(male, operation, 2)) != 0) return rc;

  const bool withFemale = m_output == JA_DRAW_BEAD_BUILDER_OutputTypes_PlusFemale ||
                          m_output == JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal;
  FEATURE_RECORD* restore = nullptr;
  bool madeCurrent = false;
  auto update = [&]() {
    try {
      UPDATE_do_update();
      return 0;
    } catch (const std::exception& e) {
      return Error::HandleAsBuilder(e, kSource, 685);
    }
  };
  auto makeCurrentIfOlder = [&](FEATURE_RECORD* feature) {
    FEATURE_RECORD* current = CM_part_get_current_feature(CM__ask_part_of_object(feature));
    if (current != nullptr && FREC_ask_time_stamp(feature) < FREC_ask_time_stamp(current)) {
      FREC_make_current_feature(feature);
      restore = current;
      madeCurrent = true;
    }
  };
  auto finish = [&](int status) {
    if (restore != nullptr) FREC_make_current_feature(restore);
    return status;
  };

  if (withFemale && triple[1] != nullptr) {
    if (DIE_DRBD_PARMS* female = drawBeadParmsOf(triple[1]); female != nullptr) {
      female->SetAssociatedFrecs(triple);
      female->MarkForUpdate(true);
    }
    if (dieEngineeringBody && (rc = DIEENG_insert_into_operation(triple[1], operation, 2)) != 0) return finish(rc);
  } else if (withFemale) {
    UPDATE_log_object_to_update(male);
    parms->MarkForUpdate(false);
    if ((rc = update()) != 0) return finish(rc);
    makeCurrentIfOlder(male);
    rc = makeDerivedFeature(DIE_DRBD_FEMALE_PARMSFactory::Create(triple), triple, 1, operation, dieEngineeringBody, 2,
                            regeneration);
    if (rc != 0) return finish(rc);
    parms->SetAssociatedFrecs(triple);
  }

  if (m_output == JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal && triple[2] != nullptr) {
    if (auto* sheet = dynamic_cast<DIE_DRBD_SHEETMETAL_PARMS*>(drawBeadParmsOf(triple[2])); sheet != nullptr) {
      sheet->SetAssociatedFrecs(triple);
      sheet->UpdatePartTip(operation);
      sheet->MarkForUpdate(true);
    }
    if (dieEngineeringBody && (rc = DIEENG_insert_into_operation(triple[2], operation, 2)) != 0) return finish(rc);
  } else if (m_output == JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal) {
    if (parms->IsMarkedForUpdate()) {
      UPDATE_log_object_to_update(male);
      parms->MarkForUpdate(false);
    }
    if (triple[1] != nullptr) {
      UPDATE_log_object_to_update(triple[1]);
      if (DIE_DRBD_PARMS* female = drawBeadParmsOf(triple[1]); female != nullptr) female->MarkForUpdate(false);
    }
    if ((rc = update()) != 0) return finish(rc);
    if (!madeCurrent && triple[1] != nullptr) makeCurrentIfOlder(triple[1]);
    DIE_DRBD_SHEETMETAL_PARMS* sheet =
        DIE_DRBD_SHEETMETAL_PARMSFactory::Create(triple, dieEngineeringBody ? operation : nullptr);
    FEATURE_RECORD* made = nullptr;
    if (sheet != nullptr) rc = DIEENG_CreateFrecWithParms(sheet, 0, &made);
    if (restore != nullptr) {
      FREC_make_current_feature(restore);
      restore = nullptr;
    }
    if (rc != 0) return finish(rc);
    if (made != nullptr) {
      triple[2] = made;
      sheet->SetAssociatedFrecs(triple);
      if ((rc = FMI_invoke_post_update(made)) != 0) return finish(rc);
      regeneration.Collect(made);
      if (dieEngineeringBody && (rc = DIEENG_insert_into_operation(made, operation, 2)) != 0) return finish(rc);
      parms->SetAssociatedFrecs(triple);
      if (DIE_DRBD_PARMS* female = drawBeadParmsOf(triple[1]); female != nullptr) female->SetAssociatedFrecs(triple);
    }
  }
  finish(0);
  restore = nullptr;

  bool anyMarked = false;
  if (parms->IsMarkedForUpdate()) {
    UPDATE_log_object_to_update(male);
    anyMarked = true;
  }
  for (int slot = 1; slot < 3; ++slot) {
    FEATURE_RECORD* derived = triple[slot];
    if (derived == nullptr) continue;
    const bool wanted = slot == 1 ? withFemale : m_output == JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal;
    DIE_DRBD_PARMS* derivedParms = drawBeadParmsOf(derived);
    if (!wanted) {
      UPDATE_log_object_to_delete(derived);
    } else if (derivedParms != nullptr && derivedParms->IsMarkedForUpdate()) {
      UPDATE_log_object_to_update(derived);
      anyMarked = true;
    }
  }
  if (anyMarked) rc = update();
  return rc;
}

// ---- the segment list ------------------------------------------------------------

DrawBeadSegmentBuilder* DrawBeadBuilder::SegmentAt(int index) const {
  OM::Object* item = m_segmentList->ask_item(index);
  if (item == nullptr || !OM::OM_is_subclass(item->OmClassId(), DrawBeadSegmentBuilder::ThisClassId)) return nullptr;
  return static_cast<DrawBeadSegmentBuilder*>(item);
}

DrawBeadSegmentBuilder* DrawBeadBuilder::GetNextSegment(const DrawBeadSegmentBuilder* segment) const {
  if (segment == nullptr || m_segmentList == nullptr) return nullptr;
  const int at = m_segmentList->index_of(segment);
  if (at < 0) return nullptr;
  for (int i = at + 1; i < m_segmentList->size(); ++i)
    if (DrawBeadSegmentBuilder* next = SegmentAt(i); next != nullptr) return next;
  return nullptr;
}

DrawBeadSegmentBuilder* DrawBeadBuilder::GetPreviousSegment(const DrawBeadSegmentBuilder* segment) const {
  if (segment == nullptr || m_segmentList == nullptr) return nullptr;
  for (int i = m_segmentList->index_of(segment) - 1; i >= 0; --i)
    if (DrawBeadSegmentBuilder* previous = SegmentAt(i); previous != nullptr) return previous;
  return nullptr;
}

DrawBeadSegmentBuilder* DrawBeadBuilder::GetLastSegment(const DrawBeadSegmentBuilder* segment) const {
  if (m_segmentList == nullptr) return nullptr;
  const int at = m_segmentList->index_of(segment);
  for (int i = (at < 0 ? m_segmentList->size() : at) - 1; i >= 0; --i)
    if (DrawBeadSegmentBuilder* last = SegmentAt(i); last != nullptr) return last;
  return nullptr;
}

void DrawBeadBuilder::DisableNotification() {
  SetChangesPending(true);
  if (m_segmentList == nullptr) return;
  for (int i = 0; i < m_segmentList->size(); ++i)
    if (DrawBeadSegmentBuilder* segment = SegmentAt(i); segment != nullptr) segment->SetChangesPending(true);
}

void DrawBeadBuilder::EnableNotification() {
  if (m_segmentList != nullptr) {
    for (int i = 0; i < m_segmentList->size(); ++i)
      if (DrawBeadSegmentBuilder* segment = SegmentAt(i); segment != nullptr) segment->SetChangesPending(false);
  }
  SetChangesPending(false);
}

int DrawBeadBuilder::GetTopRadiusCode() const {
  if (m_segmentList == nullptr) return 0;
  for (int i = 0; i < m_segmentList->size(); ++i) {
    const DrawBeadSegmentBuilder* segment = SegmentAt(i);
    if (segment == nullptr) continue;
    if (int code = segment->GetTopRadiusCode(); code != 0) return code;
  }
  return 0;
}

void DrawBeadBuilder::UpdateSegmentPaths() {
  if (m_segmentList == nullptr) return;
  for (int i = 0; i < m_segmentList->size(); ++i)
    if (DrawBeadSegmentBuilder* segment = SegmentAt(i); segment != nullptr) segment->SetNewPath(m_pathForSegments);
}

void DrawBeadBuilder::InsertCB(UICOMPJA_list*, void* data, OM::Object* item, int) {
  auto* bead = static_cast<DrawBeadBuilder*>(data);
  if (bead == nullptr || item == nullptr || !OM::OM_is_subclass(item->OmClassId(), DrawBeadSegmentBuilder::ThisClassId))
    return;
  auto* segment = static_cast<DrawBeadSegmentBuilder*>(item);
  if (segment->GetParentDrawBeadBuilder() == nullptr) segment->SetParentDrawBeadBuilder(bead);
  segment->SetPathUsingLastSegmentPath();
}

// ---- plain fields -------------------------------------------------------------

#define STAMVIK_PLAIN_SETTER(Setter, Type, field) \
  void DrawBeadBuilder::Setter(Type value) {      \
    OM::LogForWrite(this);                        \
    field = value;                                \
  }
STAMVIK_PLAIN_SETTER(SetMaleBeadPosition, JA_DRAW_BEAD_BUILDER_MaleBeadPositionTypes, m_maleBeadPosition)
STAMVIK_PLAIN_SETTER(SetReverseMetalThickness, bool, m_reverseMetalThickness)
STAMVIK_PLAIN_SETTER(SetCenterlineProjection, JA_DRAW_BEAD_BUILDER_ProjectionDirectionTypes, m_centerlineProjection)
STAMVIK_PLAIN_SETTER(SetReferenceDirection, bool, m_referenceDirection)
STAMVIK_PLAIN_SETTER(SetTaperBead, bool, m_taperBead)
STAMVIK_PLAIN_SETTER(SetBaseOrientation, JA_DRAW_BEAD_BUILDER_OrientationTypes, m_baseOrientation)
STAMVIK_PLAIN_SETTER(SetTransitionDefinition, JA_DRAW_BEAD_BUILDER_TransitionDefinitionTypes, m_transitionDefinition)
STAMVIK_PLAIN_SETTER(SetFemaleDepthType, JA_DRAW_BEAD_BUILDER_FemaleDepthTypes, m_femaleDepthType)
STAMVIK_PLAIN_SETTER(SetFemaleWidthType, JA_DRAW_BEAD_BUILDER_FemaleWidthTypes, m_femaleWidthType)
STAMVIK_PLAIN_SETTER(SetBuildStartTaper, bool, m_buildStartTaper)
STAMVIK_PLAIN_SETTER(SetBuildEndTaper, bool, m_buildEndTaper)
STAMVIK_PLAIN_SETTER(SetOutput, JA_DRAW_BEAD_BUILDER_OutputTypes, m_output)
STAMVIK_PLAIN_SETTER(SetMachineOffset, bool, m_machineOffset)
STAMVIK_PLAIN_SETTER(SetGenerateHeightCurve, bool, m_generateHeightCurve)
STAMVIK_PLAIN_SETTER(SetOrientSectionToDraw, JA_DRAW_BEAD_BUILDER_OrientSectionToDrawTypes, m_orientSectionToDraw)
STAMVIK_PLAIN_SETTER(SetDistanceTolerance, double, m_distanceTolerance)
STAMVIK_PLAIN_SETTER(SetAngleTolerance, double, m_angleTolerance)
STAMVIK_PLAIN_SETTER(SetChangesPending, bool, m_changesPending)
STAMVIK_PLAIN_SETTER(SetDeleteSegmentsDuringClean, bool, m_deleteSegmentsDuringClean)
#undef STAMVIK_PLAIN_SETTER

// ---- references -----------------------------------------------------------------

void DrawBeadBuilder::SetPointTag(tag_t point) { OM::SetReferencedObject(this, m_pointTagAttId, point); }
void DrawBeadBuilder::SetPlacementFace(SC_collector* face) {
  OM::SetReferencedObject(this, m_placementFaceAttId, face);
}
void DrawBeadBuilder::SetCenterline(SC_section* centerline) {
  OM::SetReferencedObject(this, m_centerlineAttId, centerline);
}
void DrawBeadBuilder::SetMetalThickness(EXP_expression* thickness) {
  OM::SetReferencedObject(this, m_metalThicknessAttId, thickness);
}
void DrawBeadBuilder::SetClearance(EXP_expression* clearance) {
  OM::SetReferencedObject(this, m_clearanceAttId, clearance);
}
void DrawBeadBuilder::SetFemaleDepthValue(EXP_expression* depth) {
  OM::SetReferencedObject(this, m_femaleDepthValueAttId, depth);
}
void DrawBeadBuilder::SetFemaleWidthValue(EXP_expression* width) {
  OM::SetReferencedObject(this, m_femaleWidthValueAttId, width);
}

// ---- segment parameters ------------------------------------------------------------

int DrawBeadBuilder::GetSegmentParametersLength() const {
  return m_segmentParameters == nullptr ? 0 : m_segmentParameters->Length();
}

double DrawBeadBuilder::GetSegmentParameter(int i) const {
  if (m_segmentParameters == nullptr) OM::ThrowIndexOutOfRange(i, 0, -1);
  return m_segmentParameters->At(i);
}

void DrawBeadBuilder::SetSegmentParameter(int i, double value) {
  const int count = GetSegmentParametersLength();
  if (static_cast<unsigned>(i) > static_cast<unsigned>(count)) OM::ThrowIndexOutOfRange(i, 0, -1);
  if (i == count) SetSegmentParametersLength(count + 1);
  m_segmentParameters->Set(i, value);
}

void DrawBeadBuilder::SetSegmentParametersLength(int length) {
  OM::OM_vset_array_length(this, m_segmentParametersAttId, length, 0);
}

// ---- details ----------------------------------------------------------------------

int DrawBeadBuilder::GetDetailsLength() const { return m_details == nullptr ? 0 : m_details->Length(); }

const char* DrawBeadBuilder::GetDetail(int i) const {
  if (m_details == nullptr) return "";
  return m_details->At(i).c_str();
}

void DrawBeadBuilder::SetDetail(int i, const char* detail) {
  const int count = GetDetailsLength();
  if (static_cast<unsigned>(i) > static_cast<unsigned>(count)) OM::ThrowIndexOutOfRange(i, 0, -1);
  // The text may be one of the stored details, which growing can move.
  const std::string copy = detail != nullptr ? detail : "";
  if (i == count) SetDetailsLength(count + 1);
  m_details->Set(i, copy);
}

void DrawBeadBuilder::SetDetailsLength(int length) { OM::OM_vset_array_length(this, m_detailsAttId, length, 0); }

int DrawBeadBuilder::GetMoreDetailsInfo(char*** strings) const {
  const int count = GetDetailsLength();
  if (strings == nullptr) return count;
  *strings = nullptr;
  if (count == 0) return 0;
  // One slot more than the count, left null, so that the array can be released without it.
  auto** copies = static_cast<char**>(SM_calloc(static_cast<std::size_t>(count) + 1, sizeof(char*)));
  for (int i = 0; i < count; ++i) copies[i] = SM_string_copy(m_details->At(i).c_str());
  *strings = copies;
  return count;
}

void DrawBeadBuilder::FreeDetails(int* count, char*** strings) {
  if (strings != nullptr && *strings != nullptr) {
    char** array = *strings;
    if (count != nullptr) {
      for (int i = 0; i < *count; ++i) SM_free(array[i]);
    } else {
      for (int i = 0; array[i] != nullptr; ++i) SM_free(array[i]);
    }
    SM_free(array);
    *strings = nullptr;
  }
  if (count != nullptr) *count = 0;
}

void DrawBeadBuilder::SetMoreDetailsInfo(int count, const char** strings) {
  // Copied first: the strings may be the builder's own details.
  std::vector<std::string> copies;
  for (int i = 0; i < count && strings != nullptr; ++i) copies.emplace_back(strings[i] != nullptr ? strings[i] : "");
  SetDetailsLength(0);
  if (copies.empty()) return;
  SetDetailsLength(static_cast<int>(copies.size()));
  for (int i = 0; i < static_cast<int>(copies.size()); ++i) m_details->Set(i, copies[static_cast<std::size_t>(i)]);
}

}  // namespace KTX::DieEngJA
