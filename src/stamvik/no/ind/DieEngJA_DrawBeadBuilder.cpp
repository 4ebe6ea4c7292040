#include "DieEngJA_DrawBeadBuilder.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "DieEngJA_DrawBeadSegmentBuilder.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/DrawBeadParms.hpp"
#include "exp/Expression.hpp"
#include "geom/Curve.hpp"
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

enum Message : int {
  kBadClearance = 3030303,
  kBadThickness = 3030304,
  kBadFemaleDepth = 3030297,
  kBadFemaleWidth = 3030298,
};

double valueOf(const EXP_expression* expression) {
  return expression != nullptr ? EXP_ask_value_of_exp(expression) : 0.0;
}

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
    OM::OM_set_pointer(this, m_metalThicknessAttId, newLength(kSource, __LINE__));
    OM::OM_set_pointer(this, m_clearanceAttId, newLength(kSource, __LINE__));
    OM::OM_set_pointer(this, m_femaleDepthValueAttId, newLength(kSource, __LINE__));
    OM::OM_set_pointer(this, m_femaleWidthValueAttId, newLength(kSource, __LINE__));
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
  unsigned flags = kNewBeadFlags;
  if (FEATURE_RECORD* frec = get_frec(); frec != nullptr) {
    FEATURE_PARMS* parms = FREC_ask_parms_of_frec(frec);
    if (parms != nullptr && OM::OM_is_subclass(parms->OmClassId(), DIE_DRBD_PARMS::ThisClassId))
      flags = static_cast<const DIE_DRBD_PARMS*>(parms)->GetFlags();
  }
  const double t = m_distanceTolerance;
  const bool withFemale = m_output == JA_DRAW_BEAD_BUILDER_OutputTypes_PlusFemale ||
                          m_output == JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal;
  if (withFemale) {
    // A bead made before the flag existed keeps its gaps above the tolerance.
    const double least = (flags & kNewBeadFlags) != 0 ? -kMargin : t + kMargin;
    if (valueOf(m_clearance) < least) return kBadClearance;
    if (valueOf(m_metalThickness) < least) return kBadThickness;
    if (!m_taperBead) {
      if (valueOf(m_femaleDepthValue) < t + kMargin) return kBadFemaleDepth;
      if (valueOf(m_femaleWidthValue) < t + kMargin) return kBadFemaleWidth;
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
  return 0;
}

int DrawBeadBuilder::SetDefaultDrawDirection() {
  if (m_drawDirection != nullptr) m_drawDirection->SetDirectionToNegZcWork();
  return 0;
}

// The record's contents come with the bead's feature records.
void DrawBeadBuilder::ConvertFrecToBuilderData(FEATURE_RECORD*) {}
int DrawBeadBuilder::ToParms(DIE_DRBD_MALE_PARMS*) { return 0; }

// ---- the path and the split -------------------------------------------------------

namespace {

constexpr double kNearlyEqual = 1e-8;
constexpr int kJoinOneOpenLoop = 11, kJoinOther = 10, kTrimMode = 1, kClosestAlgorithm = 1;

// The curves of the section's loop when it has exactly one; empty otherwise.
std::vector<tag_t> curvesOfOnlyLoop(const SC_section* section) {
  std::vector<tag_t> curves;
  if (section == nullptr || section->ask_loop_count() != 1) return curves;
  const auto* loop = dynamic_cast<const SC_loop*>(OM::OM_object_of_tag(section->ask_nth_loop(0)));
  if (loop == nullptr) return curves;
  int count = 0;
  tag_t* tags = nullptr;
  loop->ask_curves(&count, &tags);
  if (tags != nullptr) curves.assign(tags, tags + count);
  SM_free(tags);
  return curves;
}

// A plane across the path where it passes closest to the location; 0 when the
// location gives no point.
tag_t planeAcross(const EVC_curve* evaluator, const DieDesJA::DieLocationBuilder* location) {
  int count = 0;
  Math::Point3* points = nullptr;
  const bool located = location != nullptr && location->GetLocation(&count, nullptr, &points) && count >= 1;
  double given[3] = {0, 0, 0};
  if (located) given[0] = points[0].X, given[1] = points[0].Y, given[2] = points[0].Z;
  SM_free(points);
  if (!located) return 0;
  double t = 0, closest[3], point[3], derivative[3], unit[3], frame[9], length = 0;
  EVC_ask_closest_point(evaluator, given, kClosestAlgorithm, &t, closest);
  EVC_evaluate(evaluator, t, 1, point, derivative);
  VEC3_unitize(derivative, kMargin, &length, unit);
  MTX3_init_z(unit, frame);
  return ES_create_plane(point, frame);
}

// The split list, grown in the host's memory so that a list that cannot grow
// raises its no-memory error; freed on every way out.
class SplitList {
 public:
  SplitList() = default;
  SplitList(const SplitList&) = delete;
  SplitList& operator=(const SplitList&) = delete;
  ~SplitList() { SM_free(values_); }
  void Append(double value) {
    if (count_ == capacity_) {
      const std::size_t grown = capacity_ == 0 ? 8 : 2 * capacity_;
      values_ = static_cast<double*>(SM_crealloc(values_, grown * sizeof(double)));
      capacity_ = grown;
    }
    values_[count_++] = value;
  }
  double* begin() { return values_; }
  double* end() { return values_ + count_; }
  std::size_t size() const { return count_; }
  double& operator[](std::size_t i) { return values_[i]; }

 private:
  double* values_ = nullptr;
  std::size_t count_ = 0, capacity_ = 0;
};

}  // namespace

void DrawBeadBuilder::SetPathForSegments() {
  tag_t path = 0;
  if (m_centerline != nullptr && m_centerline->ask_loop_count() == 1) {
    int closed = 0, open = 0, closedLoops = 0;
    tag_t *closedItems = nullptr, *openItems = nullptr, *loopItems = nullptr;
    m_centerline->ask_loop_summary(&closed, &closedItems, &open, &openItems, &closedLoops, &loopItems);
    SM_free(closedItems);
    SM_free(openItems);
    SM_free(loopItems);
    const std::vector<tag_t> curves = curvesOfOnlyLoop(m_centerline);
    if (curves.size() == 1)
      GEN_ZVTPAD_curve_copy(curves[0], &path);
    else if (curves.size() > 1)
      GEN_ZVTPAD_combine_curves(static_cast<int>(curves.size()), curves.data(),
                                open == 1 ? kJoinOneOpenLoop : kJoinOther, m_distanceTolerance, &path);
  }
  if (path != 0) {
    EVC_curve* evaluator = nullptr;
    EVC_initialize(path, &evaluator);
    tag_t start = 0, end = 0;
    try {
      start = planeAcross(evaluator, m_startPoint);
      end = planeAcross(evaluator, m_endPoint);
    } catch (...) {
      EVC_free(evaluator);
      throw;
    }
    EVC_free(evaluator);
    if (start != 0 || end != 0) {
      DIEDES_UTILS__trim_profile(kTrimMode, path, start, end, m_distanceTolerance, m_angleTolerance);
      // Only the planes that were made go.
      for (const tag_t plane : {start, end}) {
        if (plane == 0) continue;
        RM_set_sleep_state(plane, true);
        UPDATE_log_entity_to_delete(plane);
      }
    }
  }
  OM::SetReferencedObject(this, m_pathForSegmentsAttId, path);
}

void DrawBeadBuilder::CreateSegmentParameters() {
  if (GetSegmentParametersLength() > 0) SetSegmentParametersLength(0);
  const std::vector<tag_t> curves = curvesOfOnlyLoop(m_centerline);
  if (curves.empty() || m_segmentList == nullptr) return;
  const DrawBeadSegmentBuilder* first = nullptr;
  for (int i = 0; i < m_segmentList->size() && first == nullptr; ++i) first = SegmentAt(i);
  if (first == nullptr) return;
  const tag_t path = first->GetUserPath(0);
  if (path == 0) return;

  EVC_curve* evaluator = nullptr;
  if (EVC_initialize(path, &evaluator) != 0) return;
  double limits[2];
  EVC_ask_curve_limits(evaluator, limits);
  SplitList values;
  try {
    values.Append(limits[0]);
    values.Append(limits[1]);
    for (const tag_t curve : curves) {
      double start[3], end[3], closest[3], t = 0;
      SWEEP_ask_qd_endpoints(curve, start, end);
      EVC_ask_closest_point(evaluator, start, kClosestAlgorithm, &t, closest);
      values.Append(t);
    }
  } catch (...) {
    // A list that cannot grow keeps nothing: no parameter, and so no segment.
    EVC_free(evaluator);
    throw;
  }
  EVC_free(evaluator);

  std::sort(values.begin(), values.end());
  // Marks are written as the pass goes, so three near-equal values at the
  // start keep the first and the third.
  const double mark = limits[0] - 1.0;
  for (std::size_t i = 0; i + 1 < values.size(); ++i)
    if (std::fabs(values[i] - values[i + 1]) <= kNearlyEqual) values[i == 0 ? i + 1 : i] = mark;
  int kept = 0;
  for (const double v : values)
    if (v > limits[0] - kMargin) ++kept;
  if (kept == 0) return;
  SetSegmentParametersLength(kept);
  kept = 0;
  for (const double v : values)
    if (v > limits[0] - kMargin) SetSegmentParameter(kept++, v);
}

DrawBeadSegmentBuilder* DrawBeadBuilder::CleanList() {
  if (m_segmentList == nullptr) return nullptr;
  DrawBeadSegmentBuilder* kept = nullptr;
  for (int i = 0; i < m_segmentList->size() && kept == nullptr; ++i) kept = SegmentAt(i);
  for (int i = m_segmentList->size() - 1; i >= 0; --i)
    if (kept == nullptr || m_segmentList->ask_item(i) != kept) m_segmentList->remove_at(i, !m_deleteSegmentsDuringClean);
  return kept;
}

int DrawBeadBuilder::CreateNewSegments() {
  std::vector<double> p;
  for (int i = 0; i < GetSegmentParametersLength(); ++i) p.push_back(GetSegmentParameter(i));
  if (p.size() < 2) return 0;
  DrawBeadSegmentBuilder* kept = CleanList();
  // Both calls are journalled, so that a replayed journal makes the same segments.
  auto* beads =
      static_cast<Die_DrawBeadBuilder_Interface*>(JAM::ClassInitializer::GetJournalledInterface("Die.DrawBeadBuilder"));
  auto* lists = static_cast<Script::ObjectList_Interface*>(JAM::ClassInitializer::GetJournalledInterface("ObjectList"));
  int firstFailure = 0;
  for (std::size_t i = 0; i + 1 < p.size(); ++i) {
    DrawBeadSegmentBuilder* segment = kept;
    if (i > 0) {
      tag_t item = 0;
      const int rc = beads == nullptr ? Error::kBadObject : beads->CreateDrawBeadSegment(ask_tag(), &item);
      if (rc != 0) {
        if (firstFailure == 0) firstFailure = rc;
        continue;
      }
      segment = item != 0 ? OM::TagToObject<DrawBeadSegmentBuilder>(item) : nullptr;
      if (segment != nullptr && m_segmentList != nullptr && lists != nullptr)
        lists->Append(m_segmentList->ask_tag(), item);
    }
    if (segment != nullptr) segment->UpdateStartAndEndByParameter(p[i], p[i + 1]);
  }
  return firstFailure;
}

int DrawBeadBuilder::CreateSegmentsFromCenterlineCurves() {
  CreateSegmentParameters();
  const int rc = CreateNewSegments();
  if (GetSegmentParametersLength() > 0) SetSegmentParametersLength(0);
  return rc;
}

void DrawBeadBuilder::Notify(OM::Object* changed) {
  if (m_changesPending) return;
  SetChangesPending(true);
  try {
    const bool centerline = changed != nullptr && changed == static_cast<OM::Object*>(m_centerline);
    if (centerline) CleanList();
    if (changed != nullptr && (centerline || changed == static_cast<OM::Object*>(m_startPoint) ||
                               changed == static_cast<OM::Object*>(m_endPoint))) {
      const tag_t old = m_pathForSegments;
      SetPathForSegments();
      UpdateSegmentPaths();
      if (old != 0 && old != m_pathForSegments) {
        gt316(old);
        RM_set_sleep_state(old, true);
        UPDATE_log_entity_to_delete(old);
      }
    }
  } catch (const std::exception& e) {
    Error::HandleAsBuilder(e, kSource, __LINE__);
  }
  SetChangesPending(false);
}

void DrawBeadBuilder::WatchObjects() const {
  if (m_centerline == nullptr) return;
  OM::OM_watch_object(m_centerline);
  for (int i = 0; i < m_centerline->ask_count(); ++i) {
    if (OM::Object* member = OM::OM_object_of_tag(m_centerline->ask_nth(i)); member != nullptr)
      OM::OM_watch_object(member);
  }
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
