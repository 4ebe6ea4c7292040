#include "DieDes_DieShoeBuilder.hpp"

#include "CommitPath.hpp"
#include "HeldSelections.hpp"
#include "DieDes_DieShoeBody.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

#include "DieDesJA_GenericBodyBuilder.hpp"
#include "DieDesJA_ParameterEntities.hpp"
#include "HeldSelections.hpp"
#include "InputChecks.hpp"
#include "OnEveryExit.hpp"
#include "Outlines.hpp"
#include "Support.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/Module.hpp"
#include "exp/Expression.hpp"
#include "geom/Curve.hpp"
#include "geom/Geometry.hpp"
#include "geom/Sketch.hpp"
#include "kernel/Kernel.hpp"
#include "math/Vector.hpp"
#include "afl/DieEngParms.hpp"
#include "sys/Abort.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "sys/TextFile.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDes {

STAMVIK_OM_INSTANCE_SIZE_DEF(DieShoeBuilder)
STAMVIK_OM_DEFINE_CLASS(DieShoeBuilder, "KTX::JAX_FEAT_BUILDER", 0x1000, &GetDieShoeBuilderInstanceSize,
                        STAMVIK_DIE_SHOE_BUILDER_ATTRIBUTES)

namespace {

template <class T>
int LengthOf(const OM::Vla<T>* array) {
  return array == nullptr ? 0 : array->Length();
}

template <class T>
T ElementOf(const OM::Vla<T>* array, int index) {
  // Without an array there is no element at any index.
  if (array == nullptr) OM::ThrowIndexOutOfRange(index, 0, -1);
  return array->At(index);
}

// An element may be written inside the array or just past its end, which
// appends it; a negative index compares as a huge one and is refused too.
template <class Grow>
void MakeRoomAt(int index, int count, Grow grow) {
  if (static_cast<unsigned>(index) > static_cast<unsigned>(count)) OM::ThrowIndexOutOfRange(index, 0, -1);
  if (index == count) grow(count + 1);
}

template <class T>
void StoreAt(OM::Vla<T>* array, int index, const T& value) {
  if (index >= array->Length()) array->ThrowIndexOutOfRange(index);
  array->Set(index, value);
}

}  // namespace

DieShoeBuilder* DieShoeBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<DieShoeBuilder>(DieShoeBuilderClassId, [&](DieShoeBuilder* made) {
    made->InitCreate(part, frec);
  });
}

namespace {

constexpr const char* kSource = "DieDes_DieShoeBuilder";
constexpr double kMargin = 1e-10;

// The shoe's own names for shared message numbers, where they differ.
constexpr int kBadBaseOrientation = Messages::kNoBaseOrientation;
constexpr int kNoBaseFlangeLoop = Messages::kNoBaseFlange;
constexpr int kOpenBaseFlangeLoop = Messages::kOpenBaseFlange;
constexpr int kBadDistanceTolerance = Messages::kGeneralDistanceToleranceTooSmall;
constexpr int kBadAngleTolerance = Messages::kGeneralAngleToleranceTooSmall;
constexpr int kCorrupted = Messages::kNoDatabaseParms;
using Messages::kBadMainDeckPlane;
using Messages::kBadSlotDirection;
using Messages::kDeckTooThin;
using Messages::kFlangeTooThin;
using Messages::kMainDeckTooLow;
using Messages::kNoTarget;
using Messages::kNotOneBaseFlangeLoop;
using Messages::kOpenDeckCutoutLoop;
using Messages::kOpenMainDeckLoop;
using Messages::kSlotDepthTooSmall;
using Messages::kSlotWidthTooSmall;
using Messages::kTargetNotABody;
using Messages::kWallTooThin;
using Messages::kWrongParms;
using Messages::kBaseFlangeNoArea;
using Messages::kBaseFlangeTooManyPoints;
using Messages::kBaseFlangeTouchesItself;
using Messages::kDeckCutoutAcrossDeck;
using Messages::kDeckCutoutNoArea;
using Messages::kDeckCutoutOutsideFlange;
using Messages::kDeckCutoutTouchesItself;
using Messages::kFlangeNotBelowDecks;
using Messages::kMainDeckNoArea;
using Messages::kMainDeckOutsideFlange;
using Messages::kMainDecksOverlap;
using Messages::kMainDeckTouchesItself;

// The most points a base flange loop may have. The flange's prism has a
// face for each, and every boolean of a build (the decks, their cavities,
// the cutouts, the slot, the tool bodies) works on all of them: past this
// a build takes minutes and gigabytes for an outline no die needs.
constexpr int kMostBaseFlangePoints = 4096;

// The parameters' entities.
enum Entity : int {
  kBaseOrientationEntity = 0,
  kBaseFlangeEntity = 1,
  kMainDeckEntity = 2,
  kMainDeckPlaneEntity = 3,
  kDeckCutoutsEntity = 4,
  kSlotDirectionEntity = 5,
  kExpressionsEntity = 6,
  kSlotFlagEntity = 7,
};
constexpr int kExpressions = 6;

// The three counts of a section (0 for none), its lists freed.
struct LoopCounts {
  int first = 0, second = 0, third = 0;
};
LoopCounts CountLoops(const SC_section* section) {
  LoopCounts counts;
  if (section == nullptr) return counts;
  Stamvik::HostBlock<tag_t> firstItems, secondItems, thirdItems;
  section->ask_loop_summary(&counts.first, firstItems.out(), &counts.second, secondItems.out(), &counts.third,
                            thirdItems.out());
  return counts;
}

// A loop seen along the die's up direction, in the base frame's X and Y:
// its corners in order, closed as the loop's sweep closes it, and the
// number of points of its curve.
struct LoopView {
  Stamvik::Outlines::Ring ring;
  Stamvik::Outlines::Outline outline;
  int points = 0;
};
LoopView ViewOf(tag_t loop, double tolerance, const double origin[3], const double matrix[9]) {
  LoopView view;
  const auto* object = dynamic_cast<const SC_loop*>(OM::OM_object_of_tag(loop));
  const std::unique_ptr<EVC_curve, void (*)(EVC_curve*)> geometry(
      object != nullptr ? object->ask_curve_geometry(true, tolerance) : nullptr, &EVC_free);
  if (geometry == nullptr) return view;
  const std::vector<double>& p = geometry->points;
  view.points = static_cast<int>(p.size() / 3);
  // The chain ends on its first point.
  if (view.points > 2 && std::equal(p.begin(), p.begin() + 3, p.end() - 3)) --view.points;
  view.ring = Stamvik::Outlines::RingOf(p, origin, matrix, matrix + 3, tolerance);
  view.outline = Stamvik::Outlines::OutlineOf(view.ring);
  return view;
}

std::vector<LoopView> ViewsOf(const SC_section* section, double tolerance, const double origin[3],
                              const double matrix[9]) {
  Stamvik::HostBlock<tag_t> loops;
  const int count = LoopsOf(section, loops.out());
  std::vector<LoopView> views;
  for (int i = 0; i < count; ++i) views.push_back(ViewOf(loops[i], tolerance, origin, matrix));
  return views;
}

EXP_expression* NewLength(const char* text) {
  EXP_expression* made = nullptr;
  EXP_create_sys_exp_with_units_all_errors(text, UNIT_ask_default_unit_obj_for_measure(0), &made);
  return made;
}

// A tool's kernel body into the map: the body held before is deleted
// unless it is the one being stored.
void SetTagSolvaneMapEntry(OM_tag_int_map* map, tag_t tool, int body) {
  int held = 0;
  if (map->Find(tool, &held) && held != 0 && held != body) DieDesUtilsDeleteBody(held);
  map->Insert(tool, body);
}

}  // namespace

void DieShoeBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  PART_part* owningPart = ask_owning_part();

  DiePlaneBuilder* base = DiePlaneBuilderFactory::Create(owningPart, true, true, true, true, true);
  base->SetApplScopePlane(3);
  OM::OM_set_pointer(this, m_baseOrientationAttId, base);
  DiePlaneBuilder* deck = DiePlaneBuilderFactory::Create(owningPart, true, true, true, false, false);
  deck->SetApplScopePlane(3);
  OM::OM_set_pointer(this, m_mainDeckPlaneAttId, deck);
  DieDirectionBuilder* slot = DieDirectionBuilderFactory::Create(owningPart, true, true, true, false, false, false);
  slot->SetApplScopeDirection(3);
  OM::OM_set_pointer(this, m_centerlineSlotDirectionAttId, slot);

  // The list owns its items: an entry emptied, or the list deleted, takes
  // the item with it.
  UICOMPJA_list* booleans = UICOMPJA_listFactory::object(PART_ask_cm_part_of_part_p(owningPart));
  booleans->set_owns_items(true);
  booleans->set_item_class("Die.DieBooleanBuilder");
  OM::OM_set_pointer(this, m_dieBooleansListAttId, booleans);

  SetDistanceTolerance(TOLER_ask_distance_tol());
  SetAngleTolerance(TOLER_ask_angular_tol());

  OM::OM_set_pointer(this, m_centerlineSlotAttributesAttId,
                     DieAttributesBuilderFactory::Create(owningPart, true, true, false));
  OM::OM_set_pointer(this, m_mainDeckAttributesAttId, DieAttributesBuilderFactory::Create(owningPart, true, true, false));
  OM::OM_set_pointer(this, m_baseAttributesAttId, DieAttributesBuilderFactory::Create(owningPart, true, true, false));
  OM::OM_set_pointer(this, m_tagSolvaneMapAttId, OM_tag_int_mapFactory::Create());

  if (frec != nullptr) {
    set_frec(frec);
    ConvertFrecToBuilderData(frec);
    return;
  }

  const bool inContext = DieDesUtilsAskInContext(1);
  const double distance = m_distanceTolerance;
  auto newSection = [&](bool ordered) {
    SC_section* section =
        SC_sectionFactory::object(OM::OM_ask_object_tag(owningPart), 0.95 * distance, distance, m_angleTolerance);
    if (ordered) section->OrderLoops();
    if (inContext) section->set_in_context(inContext);
    return section;
  };
  OM::OM_set_pointer(this, m_baseFlangeSectionAttId, newSection(false));
  OM::OM_set_pointer(this, m_mainDeckSectionAttId, newSection(true));
  OM::OM_set_pointer(this, m_mainDeckOffsetAttId, NewLength("250.0"));
  OM::OM_set_pointer(this, m_deckCutoutsSectionAttId, newSection(true));
  OM::OM_set_pointer(this, m_centerlineSlotDepthAttId, NewLength("15.0"));
  OM::OM_set_pointer(this, m_centerlineSlotWidthAttId, NewLength("50.0"));
  OM::OM_set_pointer(this, m_flangeThicknessAttId, NewLength("45.0"));
  OM::OM_set_pointer(this, m_wallThicknessAttId, NewLength("45.0"));
  OM::OM_set_pointer(this, m_deckThicknessAttId, NewLength("45.0"));
}

// ---- validation ----------------------------------------------------------------------

int DieShoeBuilder::validate_nothrow() {
  if (int rc = Stamvik::CheckInputs(this); rc != 0) return rc;
  if (m_baseOrientation == nullptr || m_baseOrientation->validate_nothrow() != 0) return kBadBaseOrientation;

  const LoopCounts flange = CountLoops(m_baseFlangeSection);
  if (flange.first < 1) return kNoBaseFlangeLoop;
  if (flange.second >= 1) return kOpenBaseFlangeLoop;
  if (flange.third != 1) return kNotOneBaseFlangeLoop;

  const LoopCounts decks = CountLoops(m_mainDeckSection);
  if (decks.second >= 1) return kOpenMainDeckLoop;
  if (m_mainDeckPlane != nullptr && m_mainDeckPlane->validate_nothrow() != 0) return kBadMainDeckPlane;

  const double least = m_distanceTolerance + kMargin;
  if (GetFlangeThicknessValue() < least) return kFlangeTooThin;
  if (GetWallThicknessValue() < least) return kWallTooThin;
  const double deckThickness = GetDeckThicknessValue();
  if (deckThickness < least) return kDeckTooThin;

  if (decks.third >= 1) {
    tag_t tag = 0;
    double basePoint[3], baseMatrix[9], deckPoint[3], deckMatrix[9];
    if (!GetBaseOrientation(&tag, basePoint, baseMatrix) || !GetMainDeckOrientation(&tag, deckPoint, deckMatrix))
      return kMainDeckTooLow;
    // The deck's normal is turned to face the base, so that the distance
    // from the deck down to the base comes out positive.
    double normal[3] = {deckMatrix[6], deckMatrix[7], deckMatrix[8]};
    if (Dot(normal, baseMatrix + 6) > kMargin)
      for (double& n : normal) n = -n;
    if (DIEDES_UTILS__dist_to_plane(basePoint, deckPoint, normal) < m_distanceTolerance + deckThickness)
      return kMainDeckTooLow;
  }

  if (CountLoops(m_deckCutoutsSection).second >= 1) return kOpenDeckCutoutLoop;

  if (m_centerlineSlotCreate) {
    if (GetDepthValue() < least) return kSlotDepthTooSmall;
    if (GetWidthValue() < least) return kSlotWidthTooSmall;
    if (m_centerlineSlotDirection == nullptr || m_centerlineSlotDirection->validate_nothrow() != 0)
      return kBadSlotDirection;
  }

  if (m_distanceTolerance < kMargin) return kBadDistanceTolerance;
  if (m_angleTolerance < kMargin) return kBadAngleTolerance;
  if (ToolInTwoItems()) return Messages::kShoeToolInTwoItems;
  return ValidateOutlines();
}

// A tool is united with or taken from the shoe once: a second item on it
// (a unite and a subtract of one tool) makes no feature of its own, and its
// record would be read back by every later edit as an operation the shoe
// does not hold.
bool DieShoeBuilder::ToolInTwoItems() const {
  if (m_dieBooleansList == nullptr) return false;
  std::vector<tag_t> seen;
  for (int i = 0, n = m_dieBooleansList->size(); i < n; ++i) {
    const DieBooleanBuilder* item = ItemAt(m_dieBooleansList, i);
    const SELECT_OBJECT_list* tools = item != nullptr ? item->GetSelectBodies() : nullptr;
    if (tools == nullptr) continue;
    std::vector<tag_t> own;
    for (int k = 0, m = tools->ask_count(); k < m; ++k)
      if (const tag_t tool = tools->ask_nth(k); tool != 0) own.push_back(tool);
    std::sort(own.begin(), own.end());
    // Given twice in one item, a tool would be united or taken twice too.
    if (std::adjacent_find(own.begin(), own.end()) != own.end()) return true;
    for (tag_t tool : own)
      if (std::find(seen.begin(), seen.end(), tool) != seen.end()) return true;
    seen.insert(seen.end(), own.begin(), own.end());
  }
  return false;
}

bool DieShoeBuilder::WallsLeaveADeckNothing() const {
  tag_t tag = 0;
  double basePoint[3], baseMatrix[9];
  if (!GetBaseOrientation(&tag, basePoint, baseMatrix)) return false;
  const double tolerance = m_distanceTolerance, wall = GetWallThicknessValue();
  // A bound on the work: what cannot be told within it is not said to be nothing.
  constexpr std::size_t kMostSquares = 200000;
  for (const LoopView& deck : ViewsOf(m_mainDeckSection, tolerance, basePoint, baseMatrix))
    if (Stamvik::Outlines::ReachesDeeperThan(deck.outline, wall + tolerance, tolerance / 100, kMostSquares) ==
        Stamvik::Outlines::Depth::kNothingDeeper)
      return true;
  return false;
}

int DieShoeBuilder::ValidateOutlines() const {
  namespace Outlines = Stamvik::Outlines;
  tag_t tag = 0;
  double basePoint[3], baseMatrix[9];
  if (!GetBaseOrientation(&tag, basePoint, baseMatrix)) return 0;
  const double tolerance = m_distanceTolerance;
  const std::vector<LoopView> flanges = ViewsOf(m_baseFlangeSection, tolerance, basePoint, baseMatrix);
  if (flanges.size() != 1) return 0;
  const LoopView& flange = flanges.front();
  // Counted before any check that works on every pair of nearby edges.
  if (flange.points > kMostBaseFlangePoints) return kBaseFlangeTooManyPoints;

  // A loop's sheet is bounded by the loop alone: one that crosses or touches
  // itself bounds no single face, one without area none at all.
  const std::vector<LoopView> decks = ViewsOf(m_mainDeckSection, tolerance, basePoint, baseMatrix);
  const std::vector<LoopView> cutouts = ViewsOf(m_deckCutoutsSection, tolerance, basePoint, baseMatrix);
  struct Loops {
    const std::vector<LoopView>& views;
    int noArea, touches;
  };
  for (const Loops& loops : {Loops{flanges, kBaseFlangeNoArea, kBaseFlangeTouchesItself},
                             Loops{decks, kMainDeckNoArea, kMainDeckTouchesItself},
                             Loops{cutouts, kDeckCutoutNoArea, kDeckCutoutTouchesItself}})
    for (const LoopView& view : loops.views) {
      if (Outlines::HasNoArea(view.ring, tolerance)) return loops.noArea;
      if (Outlines::TouchesItself(view.ring, tolerance)) return loops.touches;
    }

  // The decks and cutouts are swept along the die's up direction: each must
  // stand on the flange, or the shoe falls apart into pieces.
  for (const LoopView& deck : decks)
    if (!Outlines::LiesWithin(deck.outline, flange.outline, tolerance)) return kMainDeckOutsideFlange;
  for (const LoopView& cutout : cutouts)
    if (!Outlines::LiesWithin(cutout.outline, flange.outline, tolerance)) return kDeckCutoutOutsideFlange;

  // Decks that overlap are united into one block with two cavities; a deck
  // within another vanishes in it.
  for (std::size_t i = 0; i < decks.size(); ++i)
    for (std::size_t j = i + 1; j < decks.size(); ++j)
      if (Outlines::Overlap(decks[i].ring, decks[j].ring, tolerance)) return kMainDecksOverlap;
  // A cutout is cut where it meets a deck's cavity: one across a deck's edge,
  // or larger than its deck, would be cut other than it is drawn. One beside
  // every deck cuts nothing and still builds (with its note).
  for (const LoopView& cutout : cutouts) {
    const bool within = std::any_of(decks.begin(), decks.end(), [&](const LoopView& deck) {
      return Outlines::LiesWithin(cutout.outline, deck.outline, tolerance);
    });
    if (within) continue;
    for (const LoopView& deck : decks)
      if (Outlines::Overlap(cutout.ring, deck.ring, tolerance)) return kDeckCutoutAcrossDeck;
  }

  // The decks rise from the flange to the deck plane: where the plane, over
  // a deck's corner, is not above the flange's top by more than the
  // tolerance, the flange swallows that deck's top. The plane is linear, so
  // its lowest point over a deck is at a corner.
  double deckPoint[3], deckMatrix[9];
  if (decks.empty() || !GetMainDeckOrientation(&tag, deckPoint, deckMatrix)) return 0;
  double normal[3] = {deckMatrix[6], deckMatrix[7], deckMatrix[8]};
  if (Dot(normal, baseMatrix + 6) > kMargin)
    for (double& n : normal) n = -n;
  // A deck plane along the die's up direction has no height over the base.
  const double rise = Dot(baseMatrix + 6, normal);
  if (rise > -kMargin) return 0;
  const double apart[3] = {basePoint[0] - deckPoint[0], basePoint[1] - deckPoint[1], basePoint[2] - deckPoint[2]};
  const double offset = Dot(apart, normal), alongX = Dot(baseMatrix, normal), alongY = Dot(baseMatrix + 3, normal);
  const double flangeTop = GetFlangeThicknessValue();
  for (const LoopView& deck : decks)
    for (const Outlines::Point& corner : deck.ring) {
      const double height = -(offset + corner.x * alongX + corner.y * alongY) / rise;  // over the base plane
      if (height - flangeTop <= tolerance) return kFlangeNotBelowDecks;
    }
  return 0;
}

bool DieShoeBuilder::GetBaseOrientation(tag_t* tag, double point[3], double matrix[9]) const {
  return m_baseOrientation != nullptr && m_baseOrientation->GetPlaneDefinition(tag, point, matrix);
}

bool DieShoeBuilder::GetMainDeckOrientation(tag_t* tag, double point[3], double matrix[9]) const {
  *tag = 0;
  for (int i = 0; i < 3; ++i) point[i] = 0.0;
  for (int i = 0; i < 9; ++i) matrix[i] = i % 4 == 0 ? 1.0 : 0.0;
  const bool deck = m_mainDeckPlane != nullptr && m_mainDeckPlane->GetPlaneDefinition(tag, point, matrix);
  if (!deck && !GetBaseOrientation(tag, point, matrix)) return false;
  const double offset = GetOffsetValue();
  Math::AddScaled(point, offset, matrix + 6, point);
  return true;
}

double DieShoeBuilder::GetOffsetValue() const { return Stamvik::ExpressionValue(m_mainDeckOffset); }
double DieShoeBuilder::GetDepthValue() const { return Stamvik::ExpressionValue(m_centerlineSlotDepth); }
double DieShoeBuilder::GetWidthValue() const { return Stamvik::ExpressionValue(m_centerlineSlotWidth); }
double DieShoeBuilder::GetFlangeThicknessValue() const { return Stamvik::ExpressionValue(m_flangeThickness); }
double DieShoeBuilder::GetWallThicknessValue() const { return Stamvik::ExpressionValue(m_wallThickness); }
double DieShoeBuilder::GetDeckThicknessValue() const { return Stamvik::ExpressionValue(m_deckThickness); }

// ---- selections, map and references ---------------------------------------------------

void DieShoeBuilder::GetSelectedObjects(int* count, tag_t** tags) const {
  *count = 0;
  *tags = nullptr;
  try {
    if (m_baseOrientation != nullptr) m_baseOrientation->GetSelectedObjects(count, tags);
    DIEDES_GENERIC_BODY_PARMS::DieDesBuilderGetSectionObjects(m_baseFlangeSection, count, tags);
    DIEDES_GENERIC_BODY_PARMS::DieDesBuilderGetSectionObjects(m_mainDeckSection, count, tags);
    if (m_mainDeckPlane != nullptr) m_mainDeckPlane->GetSelectedObjects(count, tags);
    DIEDES_GENERIC_BODY_PARMS::DieDesBuilderGetSectionObjects(m_deckCutoutsSection, count, tags);
    if (m_centerlineSlotDirection != nullptr) m_centerlineSlotDirection->GetSelectedObjects(count, tags);
    if (m_dieBooleansList != nullptr)
      for (int i = 0, n = m_dieBooleansList->size(); i < n; ++i)
        if (DieBooleanBuilder* item = ItemAt(m_dieBooleansList, i)) item->GetSelectedObjects(count, tags);
  } catch (...) {
    SM_free(*tags);
    *tags = nullptr;
    *count = 0;
    throw;
  }
}

void DieShoeBuilder::PopulateExtractionTable() const {
  if (DIEDES_UTILS__get_extraction_table() != nullptr) return;
  int count = 0;
  tag_t* tags = nullptr;
  GetSelectedObjects(&count, &tags);
  DieDesJA::GenericBodyBuilder::CreateExtractionTable(get_frec(), count, tags);
}

void DieShoeBuilder::UpdateMap() {
  if (m_tagSolvaneMap == nullptr || m_dieBooleansList == nullptr) return;
  for (int i = 0, n = m_dieBooleansList->size(); i < n; ++i)
    if (DieBooleanBuilder* item = ItemAt(m_dieBooleansList, i)) item->UpdateMap(m_tagSolvaneMap);
}

void DieShoeBuilder::GetModifyingBrefs(FEATURE_RECORD* frec, int* count, tag_t** brefs) const {
  if (m_dieBooleansList == nullptr) return;
  for (int i = 0, n = m_dieBooleansList->size(); i < n; ++i)
    if (DieBooleanBuilder* item = ItemAt(m_dieBooleansList, i)) item->GetModifyingBrefs(frec, count, brefs);
}

bool DieShoeBuilder::AllowBooleanEdits(FEATURE_RECORD* frec) const {
  if (get_mode() == 0 || frec == nullptr) return true;
  if (get_mode() == 2) return false;
  if (SUP_is_manual_suppressed_frec(frec) || SUP_is_frec_suppressed_by_exp(frec) ||
      SUP_is_propagation_suppressed_frec(frec) || SUP_is_update_failure_suppressed_frec(frec))
    return false;
  return !SUP_is_dependency_suppressed_frec(frec);
}

// ---- booleans and commit ------------------------------------------------------------------

bool DieShoeBuilder::ForceDieDesignFeatureUpdate() const {
  bool logged = false;
  if (m_dieBooleansList != nullptr)
    for (int i = 0, n = m_dieBooleansList->size(); i < n; ++i)
      if (DieBooleanBuilder* item = ItemAt(m_dieBooleansList, i); item != nullptr && item->ForceDieDesignFeatureUpdate())
        logged = true;
  // An edited feature is brought up to date by its own update.
  return get_frec() == nullptr && logged;
}

int DieShoeBuilder::ApplyBooleanBodies(FEATURE_RECORD* frec, tag_t target, int targetBody, bool featureMode) {
  if (featureMode ? target == 0 : targetBody == 0) return kNoTarget;
  if (!featureMode && !ZV_ENTITY_is(targetBody)) return kTargetNotABody;

  Stamvik::UndoMarkScope mark(nullptr);
  int rc = 0;
  try {
    if (m_dieBooleansList != nullptr)
      for (int i = 0, n = m_dieBooleansList->size(); i < n && rc == 0; ++i)
        if (const DieBooleanBuilder* item = ItemAt(m_dieBooleansList, i))
          rc = item->ApplyBooleanBodies(frec, target, targetBody, featureMode, m_distanceTolerance);
  } catch (const std::exception& e) {
    rc = Error::HandleAsBuilder(e, kSource, 362);
  }
  // The booleans made before a failing one go with it.
  if (rc == 0) mark.Commit();
  return rc;
}

bool DieShoeBuilder::HasBooleanItems() const {
  if (m_dieBooleansList == nullptr) return false;
  for (int i = m_dieBooleansList->size() - 1; i >= 0; --i) {
    const DieBooleanBuilder* item = ItemAt(m_dieBooleansList, i);
    if (item == nullptr) continue;
    const int type = item->GetBooleanOptions();
    if (type >= JA_DIE_BOOLEAN_BUILDER_boolean_type_Unite && type <= JA_DIE_BOOLEAN_BUILDER_boolean_type_Intersect)
      return true;
  }
  return false;
}

void DieShoeBuilder::UpdateWithoutMessages() {
  // The update shows nothing of its work: a display held back at level 2
  // is held back further while it runs.
  const int level = DSS_ask_suppress_display();
  if (level == 2) DSS_set_suppress_display(3);
  try {
    UPDATE_do_update_no_message();
  } catch (const std::exception& e) {
    Stamvik::MetError(e, kSource, 390);
  }
  if (level == 2) Stamvik::RunNoted("DSS_set_suppress_display", [] { DSS_set_suppress_display(2); });
}

int DieShoeBuilder::commit_feature(FEATURE_RECORD** frec) {
  // In its turn with the other builders alive on the feature (CommitPath.hpp).
  return Stamvik::CommitInTurn(this, [&]() -> int {
    // The shoe and the boolean features made against it are one commit: a
    // boolean that fails takes the shoe with it.
    FEATURE_RECORD* made = frec != nullptr ? *frec : nullptr;
    const int rc = Stamvik::CommitFeature(&made, "Die Shoe", kSource, 505, [&] { return CommitWithBooleans(&made); });
    if (rc == 0 && frec != nullptr) *frec = made;
    return rc;
  });
}

int DieShoeBuilder::CommitWithBooleans(FEATURE_RECORD** frec) {
  FEATURE_RECORD* record = get_frec();
  bool booleans = false;
  bool regenerate = false;
  tag_t body = 0;
  int rc = 0;
  {
    DieDesJA::GenericBodyBuilder::ExtractionTableScope table;
    PopulateExtractionTable();
    if (record != nullptr) {
      // The builder holds copies of the feature's expressions and sections:
      // the feature's own take their values and contents and stay its own.
      const DieDesJA::GenericBodyBuilder::FeatureOwnObjects own(
          DieDesJA::FeatureParmsOfClassOrRaise<DieShoe>(record, kSource, 510, "Feature is not a Die Shoe."));
      rc = ConvertBuilderDataToFrec(record);
      if (rc == 0) rc = own.KeepInto(DieDesJA::FeatureParmsOfClassOrRaise<DieShoe>(record, kSource, 510,
                                                                                   "Feature is not a Die Shoe."));
      if (rc == 0) rc = DIEENG_UpdateMultipleBodyFrec(record);
      if (rc != 0) return rc;
      UPDATE_log_object_to_update(record);
      booleans = AllowBooleanEdits(record) && HasBooleanItems();
      if (booleans) UpdateWithoutMessages();
    } else {
      if (ForceDieDesignFeatureUpdate()) DieDesJA::GenericBodyBuilder::DoUpdate();
      DieShoe* parms = DieShoeFactory::Create();
      rc = ToParms(parms);
      if (rc == 0) rc = DIEENG_CreateFrecWithParms(parms, 0, &record);
      if (rc != 0) return rc;
      // Success without a record would leave the caller believing a feature exists.
      if (record == nullptr) return kWrongParms;
      parms->SetFeatureRecord(record);
      if (FMI_invoke_post_update(record) == 0) {
        body = FREC_ask_body_eid(OM::OM_ask_object_tag(record));
        regenerate = true;
      }
      booleans = m_dieBooleansList != nullptr && m_dieBooleansList->size() > 0;
    }
  }
  if (frec != nullptr) *frec = record;

  if (booleans) {
    rc = CommitBooleans(record, &body);
    if (rc != 0) return rc;
  }
  if (regenerate && body != 0) DSS_REGEN_regen_object(body);
  // A new shoe keeps the builder's expressions and sections; a builder kept
  // open goes on with copies, as one opened on the feature does.
  // Committed again, it updates the shoe it made rather than make a second.
  if (get_frec() == nullptr) {
    DieDesJA::GenericBodyBuilder::GoOnWithCopiesOfFields(this);
    set_frec(record);
  }
  return 0;
}

int DieShoeBuilder::CommitBooleans(FEATURE_RECORD* record, tag_t* body) {
  auto* parms =
      DieDesJA::FeatureParmsOfClassOrRaise<DieShoe>(record, kSource, 439, "Feature is not a Die Shoe.");
  if (*body == 0) *body = FREC_ask_body_eid(OM::OM_ask_object_tag(record));
  const int kernelBody = *body != 0 ? ES_solid_ask_solvane_tag(*body) : 0;
  if (*body == 0 || kernelBody == 0) return get_mode() == 0 ? kNoTarget : 0;

  CM_part* current = CM__ask_current_part_ptr();
  DieShoeBuilder* stored = DieShoeBuilderFactory::Create(current, record);
  DieShoeBuilder* complete = DieShoeBuilderFactory::Create(current, record);
  int rc = 0;
  try {
    // The feature keeps every item, whatever its operation, so that an edit
    // sees and may change what was committed; each item's feature is made
    // once (an edit's items settle with what earlier commits made).
    rc = FromListBuilder(record, parms, stored->m_dieBooleansList, stored->m_tagSolvaneMap);
    if (rc == 0) {
      DIEDES_UTILS_boolean_tolerance_derive(1);
      rc = complete->ApplyBooleanBodies(record, *body, kernelBody, true);
      DIEDES_UTILS_boolean_tolerance_derive(0);
    }
  } catch (const std::exception& e) {
    rc = Error::HandleAsBuilder(e, kSource, 465);
    DIEDES_UTILS_boolean_tolerance_derive(0);
    DIEDES_UTILS_progress_bar_destroy();
    DIEDES_UTILS_clear_build_state();
  }
  parms->TakeOverTemporaryBuilder(stored);
  parms->TakeOverTemporaryBuilder(complete);
  return rc;
}

// ---- parameters ------------------------------------------------------------------------

int DieShoeBuilder::ToParms(DieShoe* parms) {
  if (parms == nullptr) return kWrongParms;
  FEATURE_RECORD* owner = parms->GetSubObjectOwner();
  if (int rc = DieDesJA::WritePlaneEntity(parms, kBaseOrientationEntity, m_baseOrientation); rc != 0) return rc;
  if (int rc = DieDesJA::WriteSectionEntity(parms, kBaseFlangeEntity, 0, m_baseFlangeSection); rc != 0) return rc;
  if (int rc = DieDesJA::WriteSectionEntity(parms, kMainDeckEntity, 0, m_mainDeckSection); rc != 0) return rc;
  if (int rc = DieDesJA::WritePlaneEntity(parms, kMainDeckPlaneEntity, m_mainDeckPlane); rc != 0) return rc;
  if (int rc = DieDesJA::WriteSectionEntity(parms, kDeckCutoutsEntity, 0, m_deckCutoutsSection); rc != 0) return rc;
  if (int rc = DieDesJA::WriteDirectionEntity(parms, kSlotDirectionEntity, m_centerlineSlotDirection); rc != 0)
    return rc;
  if (int rc = FromListBuilder(owner, parms, m_dieBooleansList, m_tagSolvaneMap); rc != 0) return rc;
  EXP_expression* expressions[kExpressions] = {m_mainDeckOffset,  m_centerlineSlotDepth, m_centerlineSlotWidth,
                                               m_flangeThickness, m_wallThickness,       m_deckThickness};
  if (int rc = DieDesJA::WriteExpressionsEntity(parms, kExpressionsEntity, 0, kExpressions, expressions); rc != 0)
    return rc;
  const int slot = m_centerlineSlotCreate ? 1 : 0;
  if (int rc = DieDesJA::WriteIntsEntity(parms, kSlotFlagEntity, 0, 1, &slot); rc != 0) return rc;

  OM::LogForWrite(parms);
  parms->SetDistanceTolerance(m_distanceTolerance);
  parms->SetAngleTolerance(m_angleTolerance);

  OM::Object* attributesOwner = OM_ask_subobject_owner(parms);
  const DieAttributesBuilder* records[3] = {m_centerlineSlotAttributes, m_mainDeckAttributes, m_baseAttributes};
  for (int which = DieShoe::kSlotAttributes; which <= DieShoe::kBaseAttributes; ++which)
    if (int rc = DieDesJA::WriteDieAttributesRecord(parms->GetShoeAttributes(which), attributesOwner, records[which]);
        rc != 0)
      return rc;
  parms->StoreAttributesEntity(attributesOwner);
  return 0;
}

int DieShoeBuilder::ConvertBuilderDataToFrec(FEATURE_RECORD* frec) {
  auto* parms = DieDesJA::FeatureParmsOfClassOrRaise<DieShoe>(frec, kSource, 510, "Feature is not a Die Shoe.");
  return ToParms(parms);
}

void DieShoeBuilder::ConvertFrecToBuilderData(FEATURE_RECORD* frec) {
  auto* parms = DieDesJA::FeatureParmsOfClassOrRaise<DieShoe>(frec, kSource, 515, "Feature is not a Die Shoe.");
  PART_part* workPart = CONTEXT_ask_work_part_p();

  DieDesJA::ReadPlaneEntity(parms, kBaseOrientationEntity, m_baseOrientation);
  DieDesJA::ReadPlaneEntity(parms, kMainDeckPlaneEntity, m_mainDeckPlane);
  // A section the feature holds is referred to; without one the builder
  // makes its own, and the feature is left as it is.
  auto readSection = [&](const OM::AttributeId& attribute, int index, bool ordered) {
    const DIEDES_GENERIC_ENTITY* entity = DieDesJA::EntityToRead(parms, index);
    const tag_t stored = entity != nullptr && entity->AskKind() == DIEDES_GENERIC_ENTITY::kTags && entity->AskCount() > 0
                             ? entity->AskTag(0)
                             : 0;
    if (stored != 0) {
      // The feature's section stays the feature's: the builder works on a
      // copy of its own, whose contents the commit gives the feature's.
      OM::OM_set_pointer(this, attribute,
                         Stamvik::CopyOfSection(OM::TagToObject<SC_section>(stored), OM::OM_ask_object_tag(workPart)));
      return;
    }
    const double distance = parms->GetDistanceTolerance();
    SC_section* made = SC_sectionFactory::object(OM::OM_ask_object_tag(workPart), 0.95 * distance, distance,
                                                 parms->GetAngleTolerance());
    if (ordered) made->OrderLoops();
    OM::OM_set_pointer(this, attribute, made);
  };
  readSection(m_baseFlangeSectionAttId, kBaseFlangeEntity, false);
  readSection(m_mainDeckSectionAttId, kMainDeckEntity, true);
  readSection(m_deckCutoutsSectionAttId, kDeckCutoutsEntity, true);
  DieDesJA::ReadDirectionEntity(parms, kSlotDirectionEntity, m_centerlineSlotDirection);
  ToListBuilder(parms, m_dieBooleansList, m_tagSolvaneMap);

  if (DIEDES_GENERIC_ENTITY* values = DieDesJA::EntityToRead(parms, kExpressionsEntity);
      values != nullptr && values->AskKind() == DIEDES_GENERIC_ENTITY::kExpressions && values->AskCount() >= kExpressions) {
    // Copies the builder owns: a value set through it reaches the feature
    // only when a commit gives the feature's own expressions its values.
    const OM::AttributeId* const fields[kExpressions] = {&m_mainDeckOffsetAttId,  &m_centerlineSlotDepthAttId,
                                                         &m_centerlineSlotWidthAttId, &m_flangeThicknessAttId,
                                                         &m_wallThicknessAttId,   &m_deckThicknessAttId};
    for (int i = 0; i < kExpressions; ++i)
      OM::OM_set_pointer(this, *fields[i], Stamvik::CopyOfExpression(values->AskExpression(i), kSource, 672));
  }
  if (DIEDES_GENERIC_ENTITY* flag = DieDesJA::EntityToRead(parms, kSlotFlagEntity);
      flag != nullptr && flag->AskKind() == DIEDES_GENERIC_ENTITY::kInts && flag->AskCount() >= 1)
    SetCenterlineSlotCreate(flag->AskInt(0) == 1);
  if (parms->GetNumEntities() >= 1) {
    SetDistanceTolerance(parms->GetDistanceTolerance());
    SetAngleTolerance(parms->GetAngleTolerance());
  }

  DieAttributesBuilder* records[3] = {m_centerlineSlotAttributes, m_mainDeckAttributes, m_baseAttributes};
  for (int which = DieShoe::kSlotAttributes; which <= DieShoe::kBaseAttributes; ++which) {
    const Stamvik::HostBlock<DieAttributesRecord> record(parms->AskShoeAttributes(which));
    DieDesJA::ReadDieAttributesRecord(record.get(), records[which]);
  }
}

int DieShoeBuilder::FromListBuilder(FEATURE_RECORD* frec, DieShoe* parms, UICOMPJA_list* list, OM_tag_int_map* map) {
  std::vector<DieBooleanBuilder*> items;
  if (list != nullptr)
    for (int i = 0, n = list->size(); i < n; ++i)
      if (DieBooleanBuilder* item = ItemAt(list, i)) items.push_back(item);
  if (items.empty()) {
    parms->ClearDieShoeBooleanData(frec);
    return 0;
  }

  const int count = static_cast<int>(items.size());
  parms->CreateDieShoeBooleanTypes();
  // Items past the new end let go of what they hold for the feature first.
  for (int i = parms->GetNumDieShoeBooleanItems() - 1; i >= count; --i) {
    if (DIEDES_GENERIC_bref* surplus = parms->GetNthDieShoeBooleanItem(i)) {
      if (int rc = surplus->Release(frec); rc != 0) return rc;
      parms->SetNthDieShoeBooleanItem(i, nullptr);
      OM_delete_object(surplus);
    }
  }
  for (int i = parms->GetNumDieShoeSubtractItems() - 1; i >= count; --i) {
    if (DIEDES_GENERIC_latent_body* surplus = parms->GetNthDieShoeSubtractItem(i)) {
      parms->SetNthDieShoeSubtractItem(i, nullptr);
      OM_delete_object(surplus);
    }
  }
  parms->SetNumDieShoeBooleanItems(count);
  parms->SetNumDieShoeSubtractItems(count);
  for (int i = 0; i < count; ++i) {
    if (parms->GetNthDieShoeBooleanItem(i) == nullptr)
      parms->SetNthDieShoeBooleanItem(i, DIEDES_GENERIC_brefFactory::Create());
    if (parms->GetNthDieShoeSubtractItem(i) == nullptr)
      parms->SetNthDieShoeSubtractItem(i, DIEDES_GENERIC_latent_bodyFactory::Create());
  }

  int changed = parms->TracksBooleanChanges() ? 1 : 0;
  std::vector<int> types(items.size());
  for (int i = 0; i < count; ++i) {
    types[static_cast<std::size_t>(i)] = items[static_cast<std::size_t>(i)]->GetBooleanOptions();
    int tools = 0;
    int rc = 0;
    {
      Stamvik::HostBlock<tag_t> tags;
      if (SELECT_OBJECT_list* selected = items[static_cast<std::size_t>(i)]->GetSelectBodies())
        selected->ask_tags(&tools, tags.out());
      const DIEDES_ENTITY_CONTEXT context = DieDesJA::EntityContext(parms, tools > 0 ? 1 : 0);
      rc = DieShoe::SetDieShoeBooleanTools(parms->GetNthDieShoeBooleanItem(i), &context, tools, tags.get(), &changed);
    }
    if (rc != 0) return rc;
    if (map != nullptr && tools == 0) parms->GetNthDieShoeSubtractItem(i)->Empty();
  }
  const DIEDES_ENTITY_CONTEXT context = DieDesJA::EntityContext(parms, 0);
  if (int rc = parms->SetDieShoeBooleanTypes(&context, count, types.data(), &changed); rc != 0) return rc;
  if (changed == 2) parms->NoteBooleanDataChanged(frec);
  return 0;
}

void DieShoeBuilder::ToListBuilder(DieShoe* parms, UICOMPJA_list* list, OM_tag_int_map* map) {
  const DIEDES_GENERIC_int* types = parms != nullptr ? parms->GetDieShoeBooleanTypes() : nullptr;
  if (types == nullptr || list == nullptr) return;
  const int count = parms->GetNumDieShoeBooleanItems();
  if (count == 0) return;
  if (types->AskCount() != count) ERROR_raise(kSource, 635, kCorrupted, "Permanent data base is corrupted.");

  for (int i = 0; i < count; ++i) {
    const DIEDES_GENERIC_bref* stored = parms->GetNthDieShoeBooleanItem(i);
    if (stored == nullptr) continue;
    DieBooleanBuilder* item = DieBooleanBuilderFactory::Create(CONTEXT_ask_work_part_p());
    // Appended first, so that the list, which owns it, takes it along
    // should anything below fail.
    OM::Object* appended = item;
    list->append_items(1, &appended);
    item->SetBooleanOptions(static_cast<JA_DIE_BOOLEAN_BUILDER_boolean_type>(types->AskInt(i)));
    int tools = 0;
    Stamvik::HostBlock<tag_t> tags;
    stored->AskTags(&tools, tags.out());
    if (tools > 0) item->GetSelectBodies()->set_tags(tools, tags.get());
    const DIEDES_GENERIC_latent_body* bodies =
        i < parms->GetNumDieShoeSubtractItems() ? parms->GetNthDieShoeSubtractItem(i) : nullptr;
    if (map != nullptr && bodies != nullptr && tools > 0 && bodies->AskCount() == tools)
      for (int j = 0; j < tools; ++j) SetTagSolvaneMapEntry(map, tags[j], bodies->AskInt(j));
    tags.reset();
  }
}

char* DieShoeBuilder::ask_journal_class_name() const { return SM_string_copy("Die.DieShoeBuilder"); }

void DieShoeBuilder::destroy() { cascade_destroy(); }
void DieShoeBuilder::cascade_destroy() {
  implement_destroy();
  JAX_FEAT_BUILDER::cascade_destroy();
}
void DieShoeBuilder::implement_destroy() {
  // The loop curves go as a rebuild lets them go: emptying the arrays alone
  // would leave them in the part.
  for (int i = 0, n = GetNumberMainDeckLoopTags(); i < n; ++i) SleepAndForget(GetMainDeckLoopTag(i));
  for (int i = 0, n = GetNumberDeckCutoutLoopTags(); i < n; ++i) SleepAndForget(GetDeckCutoutLoopTag(i));
  if (const tag_t flange = m_baseFlangeTag; flange != 0) {
    SetBaseFlangeTagPrivate(0);
    SleepAndForget(flange);
  }
  if (GetNumberMainDeckLoopTags() > 0) SetNumberMainDeckLoopTags(0);
  if (GetNumberDeckCutoutLoopTags() > 0) SetNumberDeckCutoutLoopTags(0);
  DeleteSolvaneData();

  // What the builder owns goes now, under the caller's undo mark, and comes
  // back whole when the destroy is undone; left to the model's next update
  // it would stay in the part until then, and an undo of the destroy would
  // hand the builder back objects that update still deletes. The object
  // manager spares what a feature's parameters hold. What the builder only
  // refers to (a feature's sections and expressions, read for an edit) is
  // let go of and left to that update, which spares whatever the feature
  // still holds. A script may have put one object in two fields: the second
  // is only cleared.
  std::vector<const OM::Object*> released;
  auto release = [this, &released](const OM::AttributeId& attribute, OM::Object* held) {
    if (held == nullptr) return;
    const bool owned = OM::OM_ask_owner(held) == this;
    OM::SetReferencedObject(this, attribute, static_cast<OM::Object*>(nullptr));
    if (std::find(released.begin(), released.end(), held) != released.end()) return;
    released.push_back(held);
    if (owned)
      OM::OM_destroy_owned(this, held);
    else
      UPDATE_log_object_to_delete(held);
  };
  if (OM_tag_int_map* map = m_tagSolvaneMap; map != nullptr) {
    map->Visit([](tag_t tool, int body) { DieDesUtilsDeleteInTagIntMap(tool, body); });
    release(m_tagSolvaneMapAttId, map);
  }
  release(m_baseOrientationAttId, m_baseOrientation);
  release(m_baseFlangeSectionAttId, m_baseFlangeSection);
  release(m_mainDeckSectionAttId, m_mainDeckSection);
  release(m_deckCutoutsSectionAttId, m_deckCutoutsSection);
  release(m_mainDeckPlaneAttId, m_mainDeckPlane);
  if (EXP_expression* offset = m_mainDeckOffset; offset != nullptr) {
    // An offset some other object owns stays with it.
    const OM::Object* owner = OM::OM_ask_owner(offset);
    if (owner == nullptr || owner == this) release(m_mainDeckOffsetAttId, offset);
  }
  release(m_centerlineSlotDirectionAttId, m_centerlineSlotDirection);
  release(m_centerlineSlotAttributesAttId, m_centerlineSlotAttributes);
  release(m_mainDeckAttributesAttId, m_mainDeckAttributes);
  release(m_baseAttributesAttId, m_baseAttributes);

  if (UICOMPJA_list* list = m_dieBooleansList; list != nullptr) {
    // The list owns its items: each emptied entry takes its item along.
    for (int i = list->size() - 1; i >= 0; --i) list->set_item(i, nullptr);
    OM::SetReferencedObject(this, m_dieBooleansListAttId, static_cast<OM::Object*>(nullptr));
    OM_delete_object(list);
  }
}

tag_t DieShoeBuilder::GetBaseFlangeSection() const { return OM::OM_ask_object_tag(m_baseFlangeSection); }
tag_t DieShoeBuilder::GetMainDeckSection() const { return OM::OM_ask_object_tag(m_mainDeckSection); }
tag_t DieShoeBuilder::GetDeckCutoutsSection() const { return OM::OM_ask_object_tag(m_deckCutoutsSection); }

void DieShoeBuilder::SetBaseFlangeSectionPtr(SC_section* section) {
  OM::SetReferencedObject(this, m_baseFlangeSectionAttId, section);
}
void DieShoeBuilder::SetMainDeckSectionPtr(SC_section* section) {
  OM::SetReferencedObject(this, m_mainDeckSectionAttId, section);
}
void DieShoeBuilder::SetMainDeckOffset(EXP_expression* offset) {
  OM::SetReferencedObject(this, m_mainDeckOffsetAttId, offset);
}
void DieShoeBuilder::SetDeckCutoutsSectionPtr(SC_section* section) {
  OM::SetReferencedObject(this, m_deckCutoutsSectionAttId, section);
}
void DieShoeBuilder::SetCenterlineSlotDepth(EXP_expression* depth) {
  OM::SetReferencedObject(this, m_centerlineSlotDepthAttId, depth);
}
void DieShoeBuilder::SetCenterlineSlotWidth(EXP_expression* width) {
  OM::SetReferencedObject(this, m_centerlineSlotWidthAttId, width);
}
void DieShoeBuilder::SetFlangeThickness(EXP_expression* thickness) {
  OM::SetReferencedObject(this, m_flangeThicknessAttId, thickness);
}
void DieShoeBuilder::SetWallThickness(EXP_expression* thickness) {
  OM::SetReferencedObject(this, m_wallThicknessAttId, thickness);
}
void DieShoeBuilder::SetDeckThickness(EXP_expression* thickness) {
  OM::SetReferencedObject(this, m_deckThicknessAttId, thickness);
}
void DieShoeBuilder::SetTagSolvaneMap(OM_tag_int_map* map) {
  OM::SetReferencedObject(this, m_tagSolvaneMapAttId, map);
}
void DieShoeBuilder::SetBaseFlangeTagPrivate(tag_t curve) {
  OM::SetReferencedObject(this, m_baseFlangeTagAttId, curve);
}

void DieShoeBuilder::SetCenterlineSlotCreate(bool create) {
  OM::LogForWrite(this);
  m_centerlineSlotCreate = create;
}
void DieShoeBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void DieShoeBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}

// ---- warning numbers ----

int DieShoeBuilder::GetWarningNumbers(int index) const { return ElementOf(m_warningNumbers, index); }
int DieShoeBuilder::GetWarningNumbersLength() const { return LengthOf(m_warningNumbers); }
void DieShoeBuilder::SetWarningNumbers(int index, int number) {
  MakeRoomAt(index, GetWarningNumbersLength(), [this](int n) { SetWarningNumbersLength(n); });
  StoreAt(m_warningNumbers, index, number);
}
void DieShoeBuilder::SetWarningNumbersLength(int length) {
  OM::OM_vset_array_length(this, m_warningNumbersAttId, length, 0);
}
void DieShoeBuilder::SetWarningNumber(int number) {
  const int count = GetWarningNumbersLength();
  for (int i = 0; i < count; ++i)
    if (m_warningNumbers->At(i) == number) return;
  SetWarningNumbers(count, number);
}

// ---- loop curves ----

tag_t DieShoeBuilder::GetMainDeckLoopTag(int index) const { return ElementOf(m_mainDeckLoopTags, index); }
int DieShoeBuilder::GetNumberMainDeckLoopTags() const { return LengthOf(m_mainDeckLoopTags); }
void DieShoeBuilder::SetMainDeckLoopTag(int index, tag_t tag) {
  MakeRoomAt(index, GetNumberMainDeckLoopTags(), [this](int n) { SetNumberMainDeckLoopTags(n); });
  m_mainDeckLoopTags->SetOneWayTagValue(m_mainDeckLoopTagsAttId, index, tag);
}
void DieShoeBuilder::SetNumberMainDeckLoopTags(int count) {
  OM::OM_vset_array_length(this, m_mainDeckLoopTagsAttId, count, 0);
}

tag_t DieShoeBuilder::GetDeckCutoutLoopTag(int index) const { return ElementOf(m_deckCutoutsLoopTags, index); }
int DieShoeBuilder::GetNumberDeckCutoutLoopTags() const { return LengthOf(m_deckCutoutsLoopTags); }
void DieShoeBuilder::SetDeckCutoutLoopTag(int index, tag_t tag) {
  MakeRoomAt(index, GetNumberDeckCutoutLoopTags(), [this](int n) { SetNumberDeckCutoutLoopTags(n); });
  m_deckCutoutsLoopTags->SetOneWayTagValue(m_deckCutoutsLoopTagsAttId, index, tag);
}
void DieShoeBuilder::SetNumberDeckCutoutLoopTags(int count) {
  OM::OM_vset_array_length(this, m_deckCutoutsLoopTagsAttId, count, 0);
}

// ---- cached kernel bodies ----

#define STAMVIK_DIE_SHOE_BODY_ARRAY(Element, Plural, field)                                      \
  int DieShoeBuilder::Get##Element(int index) const { return ElementOf(field, index); }            \
  int DieShoeBuilder::GetNumber##Plural() const { return LengthOf(field); }                        \
  void DieShoeBuilder::Set##Element(int index, int body) {                                         \
    MakeRoomAt(index, GetNumber##Plural(), [this](int n) { SetNumber##Plural(n); });               \
    StoreAt(field, index, body);                                                                   \
  }                                                                                                \
  void DieShoeBuilder::SetNumber##Plural(int count) {                                              \
    OM::OM_vset_array_length(this, field##AttId, count, 0);                                        \
  }

STAMVIK_DIE_SHOE_BODY_ARRAY(SolvaneMainDeck, SolvaneMainDecks, m_solvaneMainDecks)
STAMVIK_DIE_SHOE_BODY_ARRAY(SolvaneMainDeckIntersection, SolvaneMainDeckIntersections,
                            m_solvaneMainDeckIntersections)
STAMVIK_DIE_SHOE_BODY_ARRAY(SolvaneMainDeckSubtraction, SolvaneMainDeckSubtractions, m_solvaneMainDeckSubtractions)
STAMVIK_DIE_SHOE_BODY_ARRAY(SolvaneDeckCutout, SolvaneDeckCutouts, m_solvaneDeckCutouts)
STAMVIK_DIE_SHOE_BODY_ARRAY(SolvaneDeckCutoutIntersection, SolvaneDeckCutoutIntersections,
                            m_solvaneDeckCutoutIntersections)

#undef STAMVIK_DIE_SHOE_BODY_ARRAY

}  // namespace KTX::DieDes
