// The die shoe's solid: the base flange, the main decks, the deck cutouts and
// the centerline slot as kernel bodies, cached on the builder, and the body
// they make together with the boolean tools.
#include "DieDes_DieShoeBody.hpp"

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>
#include <vector>

#include "DieDesJA_GenericBodyBuilder.hpp"
#include "DieDesJA_ParameterEntities.hpp"
#include "Messages.hpp"
#include "OnEveryExit.hpp"
#include "Support.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/Module.hpp"
#include "exp/Expression.hpp"
#include "geom/Curve.hpp"
#include "geom/Geometry.hpp"
#include "geom/Sketch.hpp"
#include "kernel/Kernel.hpp"
#include "afl/DieEngParms.hpp"
#include "sys/Abort.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "sys/TextFile.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDes {

namespace {

// Errors raised here name the builder's source, as the builder's own do.
constexpr const char* kSource = "DieDes_DieShoeBuilder";
constexpr double kMargin = 1e-10;

}  // namespace

// ---- the shoe's solid ----------------------------------------------------------------------

namespace {

constexpr int kAborted = 66;
using Messages::kCutoutSweepFailed;
using Messages::kNoBaseBody;
using Messages::kShoeBlockNotApplied;
using Messages::kShoeBlockNotCopied;
using Messages::kStageHostError;
using Messages::kVanished;
using Messages::kWallsLeaveNoCavity;
using Messages::kDeckInnerBlockNotMade;
using Messages::kDeckCavityNotMade;
constexpr int kEntityCurve = 45;

double KernelLength() { return Kernel::ScaleFactors().factors[0]; }

// Handed to the host's debug output and, when kept, to its body trace.
void Trace(int body, const char* name, int index, bool kept = true) {
  DIEDES_UTILS_output_solvane_body(body, name, index);
  if (kept) DieDesUtilsSolvaneTrace(body, name, index);
}

// What the shoe build under way met that is no refusal of the modeller: a
// host call that failed, a copy or a box that could not be made. A stage
// left out for it is a wrong shoe, not one the modeller could not make: the
// build fails with the first such failure's number (the warning a stage
// gives it, or the error's own) rather than go on without the stage.
thread_local int* buildError = nullptr;

void Met(int number) {
  if (buildError != nullptr && *buildError == 0) *buildError = number;
}

// Whether a kernel or tool status says the modeller could not make the shape
// asked for (the one failure a stage may go past, as its build says).
bool Refused(int status) { return status == ZV_ERROR_geometry || status == ZV_ERROR_open_curve; }

// An error is met (as `number`, or as itself for 0) unless the modeller refused.
void MetUnlessRefused(int status, int number = 0) {
  if (status != 0 && !Refused(status)) Met(number != 0 ? number : status);
}

// A kernel call's failure is met as a raised host error would be.
void Check(int rc, int line, const char* what) {
  if (rc != 0) ERROR_raise(kSource, line, rc, "%s failed", what);
}

// Deletes a body the kernel still has (one it took away is left alone).
void DeleteLive(int body) {
  if (body != 0 && ZV_ENTITY_is(body)) DieDesUtilsDeleteBody(body);
}

// A copy is no shape the modeller may refuse: one that fails is an error.
int CopyOf(int body) {
  int copy = 0;
  if (DieDesUtilsSolvaneCopy(false, body, &copy) != 0) {
    Met(kShoeBlockNotCopied);
    return 0;
  }
  return copy;
}

// Appends to a host-allocated array of bodies; a body of the caller's own
// (`owned`, a copy) that finds no room is deleted.
void Append(int* count, int** bodies, int body, bool owned = true) {
  int* grown = nullptr;
  try {
    grown = static_cast<int*>(SM_crealloc(*bodies, static_cast<std::size_t>(*count + 1) * sizeof(int)));
  } catch (...) {
    if (owned) DeleteLive(body);
    throw;
  }
  if (grown == nullptr) {
    if (owned) DeleteLive(body);
    ERROR_raise(kSource, 824, Error::kNoMemory, "no memory for %d bodies", *count + 1);
  }
  grown[(*count)++] = body;
  *bodies = grown;
}

// The count of a cache, and the cached bodies themselves in a new array
// (SM_alloc; null when empty) when asked for.
template <class At>
int HandOut(int count, At at, int** bodies) {
  if (bodies != nullptr) {
    *bodies = nullptr;
    // The cache keeps its bodies: an array that cannot be made is let go alone.
    try {
      for (int i = 0, n = 0; i < count; ++i) Append(&n, bodies, at(i), false);
    } catch (...) {
      SM_free(*bodies);
      *bodies = nullptr;
      throw;
    }
  }
  return count;
}

}  // namespace

bool DieShoeBuilder::GetOrientationForMainDeck(double point[3], double normal[3]) const {
  double basePoint[3], baseMatrix[9], deckMatrix[9];
  if (!GetFrames(basePoint, baseMatrix, point, deckMatrix)) return false;
  Math::NormalOfMatrix(deckMatrix, normal);
  return true;
}

bool DieShoeBuilder::GetFrames(double basePoint[3], double baseMatrix[9], double deckPoint[3],
                               double deckMatrix[9]) const {
  tag_t tag = 0;
  if (!GetBaseOrientation(&tag, basePoint, baseMatrix) || !GetMainDeckOrientation(&tag, deckPoint, deckMatrix))
    return false;
  // The deck's normal never points along the die's up direction; its Y row
  // turns with it so that the frame stays right-handed.
  if (Dot(deckMatrix + 6, baseMatrix + 6) > kMargin)
    for (int i = 3; i < 9; ++i) deckMatrix[i] = -deckMatrix[i];
  return true;
}

// ---- loop curves ----

tag_t DieShoeBuilder::CreateTagFromLoop(tag_t loop) const {
  const auto* section = dynamic_cast<const SC_loop*>(OM::OM_object_of_tag(loop));
  if (section == nullptr) return 0;
  EVC_curve* geometry = section->ask_curve_geometry(true, m_distanceTolerance);
  if (geometry == nullptr) return 0;
  tag_t curve = 0;
  try {
    curve = DIE_ADD_ask_tag_from_curve_geom(geometry, m_distanceTolerance);
  } catch (...) {
    EVC_free(geometry);
    throw;
  }
  EVC_free(geometry);
  return curve;
}

tag_t DieShoeBuilder::GetBaseFlangeTag(bool force) {
  Stamvik::HostBlock<tag_t> loops;
  const int count = LoopsOf(m_baseFlangeSection, loops.out());
  const bool stored = m_baseFlangeTag != 0;
  if (stored && (force || count != 1)) {
    const tag_t old = m_baseFlangeTag;
    SetBaseFlangeTagPrivate(0);
    SleepAndForget(old);
  }
  if (m_baseFlangeTag == 0 && count == 1) SetBaseFlangeTagPrivate(CreateTagFromLoop(loops[0]));
  loops.reset();
  return m_baseFlangeTag;
}

int DieShoeBuilder::GetMainDeckLoopTags(bool force, tag_t** tags) {
  return RefreshLoopTags(m_mainDeckSection, false, force, tags);
}
int DieShoeBuilder::GetDeckCutoutLoopTags(bool force, tag_t** tags) {
  return RefreshLoopTags(m_deckCutoutsSection, true, force, tags);
}

int DieShoeBuilder::RefreshLoopTags(SC_section* section, bool cutouts, bool force, tag_t** tags) {
  auto held = [&] { return cutouts ? GetNumberDeckCutoutLoopTags() : GetNumberMainDeckLoopTags(); };
  auto at = [&](int i) { return cutouts ? GetDeckCutoutLoopTag(i) : GetMainDeckLoopTag(i); };
  Stamvik::HostBlock<tag_t> loops;
  const int count = LoopsOf(section, loops.out());
  if (force || count != held()) {
    for (int i = 0, n = held(); i < n; ++i) SleepAndForget(at(i));
    cutouts ? SetNumberDeckCutoutLoopTags(0) : SetNumberMainDeckLoopTags(0);
    for (int i = 0; i < count; ++i) {
      const tag_t curve = CreateTagFromLoop(loops[i]);
      cutouts ? SetDeckCutoutLoopTag(i, curve) : SetMainDeckLoopTag(i, curve);
    }
  }
  loops.reset();
  if (tags != nullptr) {
    *tags = count > 0 ? static_cast<tag_t*>(SM_alloc(static_cast<std::size_t>(count) * sizeof(tag_t))) : nullptr;
    if (count > 0 && *tags == nullptr) ERROR_raise(kSource, 943, Error::kNoMemory, "no memory for %d curves", count);
    for (int i = 0; i < count; ++i) (*tags)[i] = at(i);
  }
  return count;
}

// ---- building blocks ----

int DieShoeBuilder::CreateSweptBody(int count, const tag_t* curves, const double point[3], const double direction[3],
                                    double distance, int* body) const {
  *body = 0;
  int sheet = 0;
  try {
    const int made =
        DIEDES_UTILS__bplane_from_curves(count, curves, point, direction, m_distanceTolerance, &sheet, nullptr, nullptr);
    if (sheet == 0) return made;
    const double length = distance * KernelLength();
    const double path[3] = {direction[0] * length, direction[1] * length, direction[2] * length};
    ZV_TOPOL_track_r_t tracking;
    const int rc = ZV_BODY_sweep(sheet, path, &tracking);
    ZV_TOPOL_track_r_f(&tracking);
    Check(rc, 963, "the sweep");
    *body = sheet;
    return 0;
  } catch (const std::exception& e) {
    DeleteLive(sheet);
    return Error::HandleAsBuilder(e, kSource, 968);
  }
}

int DieShoeBuilder::CreateOffsetBody(double offset, int body) const {
  if (body == 0) return 0;
  const bool plain = std::fabs(offset) <= m_distanceTolerance;
  const int copy = CopyOf(body);
  if (copy == 0) return 0;
  // The copy is the caller's only once handed out: a host error before goes with it.
  Stamvik::OnEveryExit deleteCopy("DeleteLive", [copy] { DeleteLive(copy); });
  Trace(copy, plain ? "ZeroOffsetBefore" : "OffsetBefore", -1, false);
  if (plain) {
    Trace(copy, "ZeroOffsetAfter", -1, false);
    deleteCopy.Dismiss();
    return copy;
  }
  try {
    ZV_BODY_offset_o_t options;
    options.update = GetLocalOpsUpdateOptionFromAlgorithmVersion(get_frec());
    ZV_TOPOL_track_r_t tracking;
    ZV_TOPOL_local_r_t results;
    const double factor = KernelLength();
    const int rc = ZV_BODY_offset_2(copy, offset * factor, m_distanceTolerance * factor, &options, &tracking, &results);
    ZV_TOPOL_track_r_f(&tracking);
    ZV_TOPOL_local_r_f(&results);
    Check(rc, 994, "the offset");
  } catch (const std::exception& e) {
    MetUnlessRefused(Error::HandleAsBuilder(e, kSource, 996));
    return 0;
  }
  Trace(copy, "OffsetAfter", -1, false);
  deleteCopy.Dismiss();
  return copy;
}

int DieShoeBuilder::GetBoundingBox(const double origin[3], const double matrix[9], tag_t object, double minCorner[3],
                                   double extents[3]) const {
  for (int i = 0; i < 3; ++i) {
    minCorner[i] = origin[i];
    extents[i] = 0.0;
  }
  if (object == 0) return 0;
  const tag_t csys = ES_create_csys(origin, matrix);
  int rc = 0;
  try {
    rc = DIEDES_UTILS_ask_bounding_box_aligned(1, &object, csys, minCorner, extents);
  } catch (const std::exception& e) {
    Error::HandleAsBuilder(e, kSource, 1016);
    rc = kStageHostError;
  }
  // A box not measured leaves a block's height or the slot's place unknown.
  MetUnlessRefused(rc, kStageHostError);
  UPDATE_log_entity_to_delete(csys);
  return rc;
}

void DieShoeBuilder::GetMinMaxDistance(const double point[3], const double matrix[9], const double deckPoint[3],
                                       const double deckMatrix[9], int count, const tag_t* objects, double* min,
                                       double* max) const {
  if (min != nullptr) *min = 0.0;
  if (max != nullptr) *max = 0.0;
  const double* x = matrix;
  const double* y = matrix + 3;
  const double* z = matrix + 6;
  const double* deckNormal = deckMatrix + 6;
  const double along = Dot(z, deckNormal);
  bool first = true;
  for (int i = 0; i < count; ++i) {
    double corner[3], extents[3];
    if (GetBoundingBox(point, matrix, objects[i], corner, extents) != 0) continue;
    const double drop = DIEDES_UTILS__dist_to_plane(corner, point, z);
    Math::AddScaled(corner, -drop, z, corner);
    for (int c = 0; c < 4; ++c) {
      const double ex = (c & 1) != 0 ? extents[0] : 0.0;
      const double ey = (c & 2) != 0 ? extents[1] : 0.0;
      double foot[3];
      Math::AddScaled(corner, ex, x, foot);
      Math::AddScaled(foot, ey, y, foot);
      // How far the deck plane lies from the footprint's corner along the
      // base's normal; a deck standing along that normal is never reached.
      if (std::fabs(along) <= kMargin) continue;
      double toDeck[3];
      Math::Subtract(deckPoint, foot, toDeck);
      const double distance = Dot(toDeck, deckNormal) / along;
      if (first) {
        if (min != nullptr) *min = distance;
        if (max != nullptr) *max = distance;
        first = false;
      } else {
        if (min != nullptr && distance < *min) *min = distance;
        if (max != nullptr && distance > *max) *max = distance;
      }
    }
  }
}

int DieShoeBuilder::SweepToDeck(int count, const tag_t* curves, const double basePoint[3], const double baseMatrix[9],
                                const double deckPoint[3], const double deckMatrix[9], int index, int* body) const {
  const double lead = GetDeckThicknessValue() + 2.0 * GetWallThicknessValue() + 10.0 * m_distanceTolerance;
  const double* up = baseMatrix + 6;
  const double start[3] = {basePoint[0] - lead * up[0], basePoint[1] - lead * up[1], basePoint[2] - lead * up[2]};
  double highest = 0.0;
  GetMinMaxDistance(start, baseMatrix, deckPoint, deckMatrix, 1, curves + index, nullptr, &highest);
  (void)count;
  return CreateSweptBody(1, curves + index, start, up, highest + lead, body);
}

// ---- stages ----

void DieShoeBuilder::SetSolvaneBaseFlange(int body) {
  OM::LogForWrite(this);
  m_solvaneBaseFlange = body;
}
void DieShoeBuilder::SetSolvaneSlot(int body) {
  OM::LogForWrite(this);
  m_solvaneSlot = body;
}

int DieShoeBuilder::GetSolvaneBaseFlange() {
  const double thickness = GetFlangeThicknessValue();
  if (thickness < m_distanceTolerance - kMargin) return 0;
  if (m_solvaneBaseFlange != 0) return m_solvaneBaseFlange;
  const tag_t curve = GetBaseFlangeTag(false);
  tag_t tag = 0;
  double origin[3], matrix[9];
  if (curve == 0 || !GetBaseOrientation(&tag, origin, matrix)) return 0;
  int body = 0;
  if (const int swept = CreateSweptBody(1, &curve, origin, matrix + 6, thickness, &body); swept != 0 || body == 0) {
    MetUnlessRefused(swept);
    ERROR_note("Error building base flange.");
    return 0;
  }
  SetSolvaneBaseFlange(body);
  Trace(body, "BaseBody", -1);
  return body;
}

int DieShoeBuilder::GetSolvaneMainDeckBodies(int** bodies) {
  if (GetNumberSolvaneMainDecks() == 0) {
    Stamvik::HostBlock<tag_t> curves;
    const int count = GetMainDeckLoopTags(false, curves.out());
    double basePoint[3], baseMatrix[9], deckPoint[3], deckMatrix[9];
    if (count > 0 && GetFrames(basePoint, baseMatrix, deckPoint, deckMatrix)) {
      for (int i = 0; i < count; ++i) {
        int block = 0;
        // A failed sweep has deleted its body already.
        if (const int swept = SweepToDeck(count, curves.get(), basePoint, baseMatrix, deckPoint, deckMatrix, i, &block);
            swept != 0 || block == 0) {
          MetUnlessRefused(swept);
          ERROR_note("Error building main deck.");
          continue;
        }
        SetSolvaneMainDeck(GetNumberSolvaneMainDecks(), block);
        Trace(block, "MainDeckBody", i);
      }
    }
    curves.reset();
    if (GetNumberSolvaneMainDecks() > 0) {
      GetSolvaneMainDeckIntersectionBodies(nullptr);
      GetSolvaneMainDeckSubtractionBodies(nullptr);
    }
  }
  return HandOut(GetNumberSolvaneMainDecks(), [this](int i) { return GetSolvaneMainDeck(i); }, bodies);
}

int DieShoeBuilder::GetSolvaneMainDeckIntersectionBodies(int** bodies) {
  if (GetNumberSolvaneMainDeckIntersections() == 0) {
    const double wall = GetWallThicknessValue();
    for (int i = 0, n = GetNumberSolvaneMainDecks(); i < n; ++i) {
      const int inner = CreateOffsetBody(-wall, GetSolvaneMainDeck(i));
      if (inner == 0) {
        // Not made at all, unlike one the walls leave no volume (which the
        // kernel takes away): the build says so rather than blame the walls.
        SetWarningNumber(kDeckInnerBlockNotMade);
        continue;
      }
      // Ours until the cache holds it, a host error's way out included.
      Stamvik::OnEveryExit deleteInner("DeleteLive", [inner] { DeleteLive(inner); });
      if (!ZV_ENTITY_is(inner)) {
        SetWarningNumber(kShoeBlockNotCopied);
        continue;
      }
      SetSolvaneMainDeckIntersection(GetNumberSolvaneMainDeckIntersections(), inner);
      deleteInner.Dismiss();
      Trace(inner, "MainDeckIntrBody", i);
    }
  }
  return HandOut(
      GetNumberSolvaneMainDeckIntersections(), [this](int i) { return GetSolvaneMainDeckIntersection(i); }, bodies);
}

int DieShoeBuilder::GetSolvaneMainDeckSubtractionBodies(int** bodies) {
  double point[3], normal[3];
  if (GetNumberSolvaneMainDeckSubtractions() == 0 && GetNumberSolvaneMainDeckIntersections() > 0 &&
      GetOrientationForMainDeck(point, normal)) {
    const double deck = GetDeckThicknessValue();
    const double plane[3] = {point[0] + deck * normal[0], point[1] + deck * normal[1], point[2] + deck * normal[2]};
    for (int i = 0, n = GetNumberSolvaneMainDeckIntersections(); i < n; ++i) {
      int cavity = 0;
      try {
        cavity = CreateOffsetBody(0.0, GetSolvaneMainDeckIntersection(i));
        if (cavity == 0) {
          SetWarningNumber(kShoeBlockNotCopied);
          continue;
        }
        Trace(cavity, "SubBodyBefore", i, false);
        Check(DIEDES_UTILS__trim_body_to_plane(cavity, plane, normal), 1159, "the trim");
        if (!ZV_ENTITY_is(cavity)) {
          SetWarningNumber(kVanished);
          continue;
        }
        SetSolvaneMainDeckSubtraction(GetNumberSolvaneMainDeckSubtractions(), cavity);
        Trace(cavity, "SubBody", i);
      } catch (const std::exception& e) {
        MetUnlessRefused(Error::HandleAsBuilder(e, kSource, 1167), kStageHostError);
        DeleteLive(cavity);
        SetWarningNumber(kStageHostError);
      }
    }
  }
  return HandOut(
      GetNumberSolvaneMainDeckSubtractions(), [this](int i) { return GetSolvaneMainDeckSubtraction(i); }, bodies);
}

int DieShoeBuilder::GetSolvaneMainDeckUniteBodies(int** bodies) {
  const int blocks = GetSolvaneMainDeckBodies(nullptr);
  if (bodies == nullptr) return blocks;
  *bodies = nullptr;
  double basePoint[3], baseMatrix[9], deckPoint[3], deckMatrix[9];
  if (!GetFrames(basePoint, baseMatrix, deckPoint, deckMatrix)) return 0;
  int count = 0;
  // The copies handed out so far go with a host error on the way.
  Stamvik::OnEveryExit deleteCopies("DieDesUtilsDeleteBodies", [&] { DieDesUtilsDeleteBodies(&count, bodies); });
  for (int i = 0; i < blocks; ++i) {
    const int block = GetSolvaneMainDeck(i);
    if (!ZV_ENTITY_is(block)) continue;
    const int copy = CopyOf(block);
    if (copy == 0) {
      SetWarningNumber(kShoeBlockNotCopied);
      continue;
    }
    // Ours until the array holds it, a host error's way out included.
    Stamvik::OnEveryExit deleteCopy("DeleteLive", [copy] { DeleteLive(copy); });
    // Between the base plane and the deck plane.
    int trimmed = DIEDES_UTILS__trim_body_to_plane(copy, basePoint, baseMatrix + 6);
    if (trimmed == 0) trimmed = DIEDES_UTILS__trim_body_to_plane(copy, deckPoint, deckMatrix + 6);
    if (trimmed != 0) {
      MetUnlessRefused(trimmed, kShoeBlockNotCopied);
      SetWarningNumber(kShoeBlockNotCopied);
      continue;
    }
    if (!ZV_ENTITY_is(copy)) continue;
    Append(&count, bodies, copy, false);
    deleteCopy.Dismiss();
  }
  deleteCopies.Dismiss();
  return count;
}

namespace {
// Copies of the cached bodies that the kernel still has, in a new array;
// *missed counts those that could not be copied.
template <class At>
int CopiesOf(int cached, At at, int** bodies, int* missed) {
  int count = 0;
  if (bodies != nullptr) *bodies = nullptr;
  // The copies handed out so far go with a host error on the way.
  Stamvik::OnEveryExit deleteCopies("DieDesUtilsDeleteBodies", [&] {
    if (bodies != nullptr) DieDesUtilsDeleteBodies(&count, bodies);
  });
  for (int i = 0; i < cached; ++i) {
    const int body = at(i);
    if (!ZV_ENTITY_is(body)) continue;
    if (bodies == nullptr) {
      ++count;
      continue;
    }
    if (const int copy = CopyOf(body); copy != 0)
      Append(&count, bodies, copy);
    else
      ++*missed;
  }
  deleteCopies.Dismiss();
  return count;
}
}  // namespace

int DieShoeBuilder::GetSolvaneMainDeckSubtractBodies(int** bodies) {
  int missed = 0;
  const int count = CopiesOf(GetNumberSolvaneMainDeckSubtractions(),
                             [this](int i) { return GetSolvaneMainDeckSubtraction(i); }, bodies, &missed);
  if (missed != 0) SetWarningNumber(kShoeBlockNotCopied);
  return count;
}

int DieShoeBuilder::GetSolvaneDeckCutoutBodies(int** bodies) {
  if (bodies != nullptr) *bodies = nullptr;
  const double deck = GetDeckThicknessValue();
  if (deck < m_distanceTolerance - kMargin || GetWallThicknessValue() < m_distanceTolerance - kMargin) return 0;
  if (GetNumberSolvaneDeckCutouts() == 0) {
    Stamvik::HostBlock<tag_t> curves;
    const int count = GetDeckCutoutLoopTags(false, curves.out());
    double basePoint[3], baseMatrix[9], deckPoint[3], deckMatrix[9];
    if (count > 0 && GetFrames(basePoint, baseMatrix, deckPoint, deckMatrix)) {
      const double* normal = deckMatrix + 6;
      const double rise = m_distanceTolerance + deck;
      const double plane[3] = {deckPoint[0] + rise * normal[0], deckPoint[1] + rise * normal[1],
                               deckPoint[2] + rise * normal[2]};
      const double up[3] = {-normal[0], -normal[1], -normal[2]};
      for (int i = 0; i < count; ++i) {
        int block = 0;
        if (const int swept = SweepToDeck(count, curves.get(), basePoint, baseMatrix, deckPoint, deckMatrix, i, &block);
            swept != 0 || block == 0) {
          MetUnlessRefused(swept, kCutoutSweepFailed);
          SetWarningNumber(kCutoutSweepFailed);
          continue;
        }
        try {
          Trace(block, "DeckCutBodyBefore", i, false);
          Check(DIEDES_UTILS__trim_body_to_plane(block, plane, up), 1255, "the trim");
          if (!ZV_ENTITY_is(block)) {
            SetWarningNumber(kVanished);
            continue;
          }
          SetSolvaneDeckCutout(GetNumberSolvaneDeckCutouts(), block);
          Trace(block, "DeckCutBody", i);
        } catch (const std::exception& e) {
          DeleteLive(block);
          MetUnlessRefused(Error::HandleAsBuilder(e, kSource, 1264), kStageHostError);
          SetWarningNumber(kStageHostError);
        }
      }
    }
    curves.reset();
  }
  return HandOut(GetNumberSolvaneDeckCutouts(), [this](int i) { return GetSolvaneDeckCutout(i); }, bodies);
}

int DieShoeBuilder::GetSolvaneDeckCutoutSubtractBodies(int** bodies) {
  if (GetNumberSolvaneDeckCutoutIntersections() == 0 && GetSolvaneDeckCutoutBodies(nullptr) > 0 &&
      GetSolvaneMainDeckBodies(nullptr) > 0 && GetNumberSolvaneMainDeckIntersections() > 0) {
    ZV_BODY_boolean_o_t options;
    options.function = ZV_boolean_intersect_c;
    options.option_32 = 1;
    options.tolerance = m_distanceTolerance * KernelLength();
    std::vector<int> tools(static_cast<std::size_t>(GetNumberSolvaneMainDeckIntersections()), 0);
    try {
      for (int i = 0, n = GetNumberSolvaneDeckCutouts(); i < n; ++i) {
        const int cutout = GetSolvaneDeckCutout(i);
        if (!ZV_ENTITY_is(cutout)) continue;
        const int target = CopyOf(cutout);
        if (target == 0) {
          SetWarningNumber(kShoeBlockNotCopied);
          continue;
        }
        // The kernel takes the tools it combines: each is copied afresh. A
        // host error on the way takes the target too.
        try {
          for (std::size_t j = 0; j < tools.size(); ++j)
            if (tools[j] == 0 || !ZV_ENTITY_is(tools[j]))
              tools[j] = CopyOf(GetSolvaneMainDeckIntersection(static_cast<int>(j)));
        } catch (...) {
          Stamvik::RunNoted("DeleteLive", [target] { DeleteLive(target); });
          throw;
        }
        try {
          ZV_TOPOL_track_r_t tracking;
          ZV_boolean_r_t results;
          const int rc = ZV_BODY_boolean_2(target, static_cast<int>(tools.size()), tools.data(), &options, &tracking,
                                           &results);
          const int status = results.status;
          ZV_TOPOL_track_r_f(&tracking);
          ZV_boolean_r_f(&results);
          Check(rc, 1303, "the intersection");
          if (status == ZV_boolean_result_success_c && ZV_ENTITY_is(target)) {
            SetSolvaneDeckCutoutIntersection(GetNumberSolvaneDeckCutoutIntersections(), target);
            Trace(target, "DeckCutBody", i);
          } else {
            // An empty intersection has taken the target away already.
            DeleteLive(target);
            ERROR_note("Error building deck cutout intersection.");
          }
        } catch (const std::exception& e) {
          MetUnlessRefused(Error::HandleAsBuilder(e, kSource, 1313));
          DeleteLive(target);
          ERROR_note("Error building deck cutout intersection.");
        }
      }
    } catch (...) {
      for (int tool : tools) DeleteLive(tool);
      throw;
    }
    for (int tool : tools) DeleteLive(tool);
  }
  const int cached = GetNumberSolvaneDeckCutoutIntersections();
  if (bodies == nullptr) return cached;
  int missed = 0;
  const int count = CopiesOf(cached, [this](int i) { return GetSolvaneDeckCutoutIntersection(i); }, bodies, &missed);
  if (missed != 0) SetWarningNumber(kShoeBlockNotCopied);
  return count;
}

bool DieShoeBuilder::GetSlotOrientation(tag_t* tag, double point[3], double matrix[9]) const {
  *tag = 0;
  for (int i = 0; i < 3; ++i) point[i] = 0.0;
  for (int i = 0; i < 9; ++i) matrix[i] = i % 4 == 0 ? 1.0 : 0.0;

  tag_t given = 0;
  double slotPoint[3] = {0, 0, 0}, direction[3] = {1, 0, 0};
  const bool defined =
      m_centerlineSlotDirection != nullptr && m_centerlineSlotDirection->GetDirectionVector(&given, slotPoint, direction);
  if (!defined) {
    given = 0;
    direction[0] = 1.0;
    direction[1] = direction[2] = 0.0;
  }
  tag_t baseTag = 0;
  double basePoint[3], baseMatrix[9];
  if (!GetBaseOrientation(&baseTag, basePoint, baseMatrix)) return false;
  int type = 0;
  const bool onLine = defined && given != 0 && RM_ask_entity_type(given, &type) == 0 && type == kEntityCurve;
  const bool centred = !onLine;
  const double* up = baseMatrix + 6;

  double frame[9];
  if (std::fabs(Dot(direction, up)) >= std::cos(0.5 * 3.14159265358979323846 / 180.0)) {
    for (int i = 0; i < 9; ++i) frame[i] = baseMatrix[i];
  } else {
    double across[3];
    Math::Cross(up, direction, across);
    MTX3_init_y_z(across, up, frame);
  }
  double origin[3] = {basePoint[0], basePoint[1], basePoint[2]};
  if (defined) {
    const double drop = DIEDES_UTILS__dist_to_plane(slotPoint, basePoint, up);
    Math::AddScaled(slotPoint, -drop, up, origin);
  }

  const tag_t flange = m_baseFlangeTag;
  if (flange != 0) {
    double corner[3], extents[3];
    if (GetBoundingBox(origin, frame, flange, corner, extents) != 0) return false;
    const double drop = DIEDES_UTILS__dist_to_plane(corner, basePoint, up);
    Math::AddScaled(corner, -drop, up, corner);
    double* x = frame;
    double* y = frame + 3;
    if (centred) {
      Math::AddScaled(corner, 0.5 * extents[0], x, origin);
      Math::AddScaled(origin, 0.5 * extents[1], y, origin);
    }
    double offset[3];
    Math::Subtract(corner, origin, offset);
    const double t = Dot(offset, x);
    const double width = GetWidthValue();
    for (int k = 0; k < 3; ++k) origin[k] += (t - 10.0 * m_distanceTolerance) * x[k] - 0.5 * width * y[k];
    const double length = extents[0] + 20.0 * m_distanceTolerance;
    for (int k = 0; k < 3; ++k) {
      x[k] *= length;
      y[k] *= width;
    }
  }
  *tag = given;
  Math::Copy(origin, point);
  for (int i = 0; i < 9; ++i) matrix[i] = frame[i];
  return true;
}

int DieShoeBuilder::GetSolvaneSlot() {
  if (!m_centerlineSlotCreate) return 0;
  const double depth = GetDepthValue();
  if (depth < m_distanceTolerance - kMargin || GetWidthValue() < m_distanceTolerance - kMargin) return 0;
  if (m_solvaneSlot != 0) return m_solvaneSlot;
  tag_t tag = 0;
  double origin[3], frame[9];
  if (GetBaseFlangeTag(false) == 0 || !GetSlotOrientation(&tag, origin, frame)) return 0;
  const double* x = frame;
  const double* y = frame + 3;
  const double corners[4][3] = {
      {origin[0], origin[1], origin[2]},
      {origin[0] + x[0], origin[1] + x[1], origin[2] + x[2]},
      {origin[0] + x[0] + y[0], origin[1] + x[1] + y[1], origin[2] + x[2] + y[2]},
      {origin[0] + y[0], origin[1] + y[1], origin[2] + y[2]},
  };
  int slot = 0;
  try {
    const int made = DIEDES_UTILS__create_planar_sheet(4, corners, m_distanceTolerance, &slot);
    if (slot == 0) {
      MetUnlessRefused(made);
      ERROR_note("Error building centerline slot.");
      return 0;
    }
    const double length = depth * KernelLength();
    const double path[3] = {frame[6] * length, frame[7] * length, frame[8] * length};
    ZV_TOPOL_track_r_t tracking;
    const int rc = ZV_BODY_sweep(slot, path, &tracking);
    ZV_TOPOL_track_r_f(&tracking);
    Check(rc, 1420, "the sweep");
  } catch (const std::exception& e) {
    MetUnlessRefused(Error::HandleAsBuilder(e, kSource, 1422));
    DeleteLive(slot);
    ERROR_note("Error building centerline slot.");
    return 0;
  }
  SetSolvaneSlot(slot);
  Trace(slot, "Slot", -1);
  return slot;
}

int DieShoeBuilder::GetSolvaneDieDesignSubtractBodies(int** bodies) {
  if (bodies != nullptr) *bodies = nullptr;
  if (m_tagSolvaneMap == nullptr || m_dieBooleansList == nullptr) return 0;
  int count = 0;
  // The copies handed out so far go with a host error on the way.
  Stamvik::OnEveryExit deleteCopies("DieDesUtilsDeleteBodies", [&] {
    if (bodies != nullptr) DieDesUtilsDeleteBodies(&count, bodies);
  });
  for (int i = 0, n = m_dieBooleansList->size(); i < n; ++i) {
    const DieBooleanBuilder* item = ItemAt(m_dieBooleansList, i);
    if (item == nullptr || item->GetBooleanOptions() != JA_DIE_BOOLEAN_BUILDER_boolean_type_Unite) continue;
    const SELECT_OBJECT_list* tools = item->GetSelectBodies();
    for (int j = 0, m = tools != nullptr ? tools->ask_count() : 0; j < m; ++j) {
      int body = 0;
      if (!m_tagSolvaneMap->Find(tools->ask_nth(j), &body) || body == 0) continue;
      if (bodies == nullptr) {
        ++count;
      } else if (const int copy = CopyOf(body); copy != 0) {
        Append(&count, bodies, copy);
      } else {
        SetWarningNumber(kShoeBlockNotCopied);
      }
    }
  }
  deleteCopies.Dismiss();
  return count;
}

// ---- the body ----

bool DieShoeBuilder::ApplyTools(int body, int* count, int** tools, bool unite) {
  // The tools are deleted on every way out, a host error's included.
  const Stamvik::OnEveryExit deleteTools("DieDesUtilsDeleteBodies", [count, tools] { DieDesUtilsDeleteBodies(count, tools); });
  bool stopped = false;
  for (int i = 0; i < *count && !stopped; ++i) {
    const int rc = unite ? DIEDES_UTILS__unite_tool_to_target(body, (*tools)[i], m_distanceTolerance)
                         : DIEDES_UTILS__subtract_tool_from_target(body, (*tools)[i], m_distanceTolerance);
    // The shoe goes on without a block the modeller could not combine; the
    // user is told. A step that failed otherwise fails the build.
    MetUnlessRefused(rc, kShoeBlockNotApplied);
    if (rc != 0) SetWarningNumber(kShoeBlockNotApplied);
    stopped = ABORT_ask_flag_status();
  }
  return stopped;
}

int DieShoeBuilder::JudgeBuiltShoe(int body) {
  tag_t tag = 0;
  double origin[3], matrix[9];
  int solids = 0, valid = 0;
  const int counted = ZV_BODY_ask_n_solids(body, &solids);
  // A body no modeller made (the stand-in host's scripted ones) holds nothing
  // to judge; a count that failed lets nothing through.
  if (counted == ZV_ERROR_no_geometry) return 0;
  if (counted != 0 || !GetBaseOrientation(&tag, origin, matrix)) return Messages::kBuiltNotMeasured;
  if (solids != 1) return Messages::kBuiltNotOneSolid;
  if (ZV_BODY_check_solid(body, &valid) != 0) return Messages::kBuiltNotMeasured;
  if (valid != 1) return Messages::kBuiltNotValid;
  const double factor = KernelLength();
  const double at[3] = {origin[0] * factor, origin[1] * factor, origin[2] * factor};
  double low[3], high[3];
  if (ZV_BODY_ask_box(body, at, matrix, low, high) != 0) return Messages::kBuiltNotMeasured;
  double bound[2][3] = {{HUGE_VAL, HUGE_VAL, HUGE_VAL}, {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL}};
  std::vector<int> blocks = {m_solvaneBaseFlange};
  for (int i = 0, n = GetNumberSolvaneMainDecks(); i < n; ++i) blocks.push_back(GetSolvaneMainDeck(i));
  for (int block : blocks) {
    double lo[3], hi[3];
    if (block == 0 || ZV_BODY_ask_box(block, at, matrix, lo, hi) != 0) return Messages::kBuiltNotMeasured;
    for (int k = 0; k < 3; ++k) bound[0][k] = std::min(bound[0][k], lo[k]), bound[1][k] = std::max(bound[1][k], hi[k]);
  }
  // The deck blocks reach from below the base plane to past the deck plane,
  // the shoe only from the flange's underside up to the plane: over each
  // block's corners, the plane's height in the base frame is the top.
  {
    double lo[3], hi[3];
    if (ZV_BODY_ask_box(m_solvaneBaseFlange, at, matrix, lo, hi) != 0) return Messages::kBuiltNotMeasured;
    bound[0][2] = lo[2];
  }
  if (GetNumberSolvaneMainDecks() > 0) {
    double deckPoint[3], deckMatrix[9];
    if (!GetMainDeckOrientation(&tag, deckPoint, deckMatrix)) return Messages::kBuiltNotMeasured;
    double d[3], n[3];
    for (int r = 0; r < 3; ++r) {
      d[r] = n[r] = 0;
      for (int k = 0; k < 3; ++k) {
        d[r] += matrix[3 * r + k] * (deckPoint[k] * factor - at[k]);
        n[r] += matrix[3 * r + k] * deckMatrix[6 + k];
      }
    }
    // A deck plane standing square to the base gives no height to judge by.
    if (!(std::fabs(n[2]) > 1e-10)) return Messages::kBuiltNotMeasured;
    double lo[3], hi[3];
    if (ZV_BODY_ask_box(m_solvaneBaseFlange, at, matrix, lo, hi) != 0) return Messages::kBuiltNotMeasured;
    double top = hi[2];
    for (int i = 0, decks = GetNumberSolvaneMainDecks(); i < decks; ++i) {
      if (ZV_BODY_ask_box(GetSolvaneMainDeck(i), at, matrix, lo, hi) != 0) return Messages::kBuiltNotMeasured;
      for (const double x : {lo[0], hi[0]})
        for (const double y : {lo[1], hi[1]})
          top = std::max(top, d[2] - (n[0] * (x - d[0]) + n[1] * (y - d[1])) / n[2]);
    }
    bound[1][2] = top;
  }
  const double margin = m_distanceTolerance * factor;
  bool inside = true;
  for (int k = 0; k < 3; ++k) inside = inside && low[k] >= bound[0][k] - margin && high[k] <= bound[1][k] + margin;
  return inside ? 0 : Messages::kBuiltOutsideItsBox;
}

int DieShoeBuilder::CreateBody(int* body) {
  int met = 0;
  int* const outer = buildError;
  buildError = &met;
  const Stamvik::OnEveryExit restore("buildError", [outer] { buildError = outer; });
  const int rc = BuildBody(body);
  if (met == 0 || rc == kAborted) return rc;
  // Built past a failure, the body is not the shoe its inputs describe.
  if (*body != 0) {
    DeleteLive(*body);
    *body = 0;
  }
  return met;
}

int DieShoeBuilder::BuildBody(int* body) {
  *body = 0;
  if (ABORT_ask_flag_status()) return kAborted;
  GetBaseFlangeTag(false);
  if (ABORT_ask_flag_status()) return kAborted;
  GetMainDeckLoopTags(false, nullptr);
  if (ABORT_ask_flag_status()) return kAborted;
  GetDeckCutoutLoopTags(false, nullptr);
  if (ABORT_ask_flag_status()) return kAborted;

  const int flange = GetSolvaneBaseFlange();
  if (flange == 0) return kNoBaseBody;
  *body = CopyOf(flange);
  if (*body == 0) return kNoBaseBody;
  // The body is the caller's once this returns; a host error on the way
  // takes it with it.
  try {
    return CombineOnto(body);
  } catch (...) {
    Stamvik::RunNoted("DieDesUtilsDeleteBody", [body] { DeleteLive(*body); });
    *body = 0;
    throw;
  }
}

int DieShoeBuilder::CombineOnto(int* body) {
  if (ABORT_ask_flag_status()) return kAborted;

  int unites = 0, subtracts = 0;
  int *uniteBodies = nullptr, *subtractBodies = nullptr;
  unites = GetSolvaneMainDeckUniteBodies(&uniteBodies);
  // Both are fetched before either is applied: a host error in between takes them too.
  const Stamvik::OnEveryExit deleteFetched("DieDesUtilsDeleteBodies", [&] {
    if (uniteBodies != nullptr) DieDesUtilsDeleteBodies(&unites, &uniteBodies);
    if (subtractBodies != nullptr) DieDesUtilsDeleteBodies(&subtracts, &subtractBodies);
  });
  subtracts = GetSolvaneMainDeckSubtractBodies(&subtractBodies);
  // A deck whose walls meet inside it has no cavity to be hollowed out
  // with: the shoe would get a solid deck its sizes do not describe.
  if (GetNumberSolvaneMainDeckSubtractions() < GetNumberSolvaneMainDecks()) {
    DeleteLive(*body);
    *body = 0;
    // An offset the modeller could not make is to blame only where the
    // walls leave every deck something: walls that meet all across a deck
    // are what left it without a cavity, however the offset failed. Where
    // they leave one, the modeller lost it on the way (its offset, or the
    // cavity cut from the block it made), whatever the cavity's width.
    if (WallsLeaveADeckNothing()) return kWallsLeaveNoCavity;
    for (int i = 0, n = GetWarningNumbersLength(); i < n; ++i)
      if (GetWarningNumbers(i) == kDeckInnerBlockNotMade) return kDeckInnerBlockNotMade;
    return kDeckCavityNotMade;
  }
  // Every tool fetched is deleted, also once the user has stopped.
  bool stopped = ApplyTools(*body, &unites, &uniteBodies, true);
  if (stopped) {
    DieDesUtilsDeleteBodies(&subtracts, &subtractBodies);
    return kAborted;
  }
  if (ApplyTools(*body, &subtracts, &subtractBodies, false)) return kAborted;

  int cutouts = 0;
  int* cutoutBodies = nullptr;
  cutouts = GetSolvaneDeckCutoutSubtractBodies(&cutoutBodies);
  if (ApplyTools(*body, &cutouts, &cutoutBodies, false)) return kAborted;

  if (const int slot = GetSolvaneSlot(); slot != 0) {
    if (const int one = CopyOf(slot); one == 0) {
      SetWarningNumber(kShoeBlockNotCopied);
    } else {
      const Stamvik::OnEveryExit deleteOne("DieDesUtilsDeleteBody", [one] { DieDesUtilsDeleteBody(one); });
      const int rc = DIEDES_UTILS__subtract_tool_from_target(*body, one, m_distanceTolerance);
      MetUnlessRefused(rc, kShoeBlockNotApplied);
      if (rc != 0) SetWarningNumber(kShoeBlockNotApplied);
    }
  }

  int designs = 0;
  int* designBodies = nullptr;
  designs = GetSolvaneDieDesignSubtractBodies(&designBodies);
  if (ApplyTools(*body, &designs, &designBodies, false)) return kAborted;

  if (*body == 0 || !ZV_ENTITY_is(*body)) {
    *body = 0;
    return kNoBaseBody;
  }
  // What the blocks made must be the shoe its flange and decks outline: one
  // valid closed solid inside their box, from the flange's underside to the
  // decks' top. Anything else is a shoe not built, refused for what it is.
  if (const int judged = JudgeBuiltShoe(*body); judged != 0) {
    DeleteLive(*body);
    *body = 0;
    return judged;
  }
  DIEDES_UTILS_output_solvane_body(*body, "DieShoe", -1);
  return 0;
}

// ---- discarding the caches ----

void DieShoeBuilder::DeleteSolvaneData() {
  DeleteSolvaneBaseFlange();
  DeleteSolvaneMainDecks();
  DeleteSolvaneDeckCutouts();
  DeleteSolvaneSlot();
}

void DieShoeBuilder::DeleteSolvaneBaseFlange() {
  if (m_solvaneBaseFlange == 0) return;
  DeleteLive(m_solvaneBaseFlange);
  SetSolvaneBaseFlange(0);
}

void DieShoeBuilder::DeleteSolvaneSlot() {
  if (m_solvaneSlot == 0) return;
  DeleteLive(m_solvaneSlot);
  SetSolvaneSlot(0);
}

void DieShoeBuilder::DeleteSolvaneMainDecks() {
  for (int i = 0, n = GetNumberSolvaneMainDecks(); i < n; ++i) DeleteLive(GetSolvaneMainDeck(i));
  for (int i = 0, n = GetNumberSolvaneMainDeckIntersections(); i < n; ++i) DeleteLive(GetSolvaneMainDeckIntersection(i));
  for (int i = 0, n = GetNumberSolvaneMainDeckSubtractions(); i < n; ++i) DeleteLive(GetSolvaneMainDeckSubtraction(i));
  for (int i = 0, n = GetNumberSolvaneDeckCutoutIntersections(); i < n; ++i)
    DeleteLive(GetSolvaneDeckCutoutIntersection(i));
  if (GetNumberSolvaneMainDecks() > 0) SetNumberSolvaneMainDecks(0);
  if (GetNumberSolvaneMainDeckIntersections() > 0) SetNumberSolvaneMainDeckIntersections(0);
  if (GetNumberSolvaneMainDeckSubtractions() > 0) SetNumberSolvaneMainDeckSubtractions(0);
  if (GetNumberSolvaneDeckCutoutIntersections() > 0) SetNumberSolvaneDeckCutoutIntersections(0);
}

void DieShoeBuilder::DeleteSolvaneDeckCutouts() {
  for (int i = 0, n = GetNumberSolvaneDeckCutouts(); i < n; ++i) DeleteLive(GetSolvaneDeckCutout(i));
  for (int i = 0, n = GetNumberSolvaneDeckCutoutIntersections(); i < n; ++i)
    DeleteLive(GetSolvaneDeckCutoutIntersection(i));
  if (GetNumberSolvaneDeckCutouts() > 0) SetNumberSolvaneDeckCutouts(0);
  if (GetNumberSolvaneDeckCutoutIntersections() > 0) SetNumberSolvaneDeckCutoutIntersections(0);
}

}  // namespace KTX::DieDes
