// What the two tooling builds (the draw punch and the draw die) share: the
// host's scripting interfaces fetched by name, reading a build's inputs back
// from the features it made, and the commit that runs a build and gathers what
// it made into one tooling feature set. Internal to the library.
#pragma once
#include <cmath>
#include <array>
#include <exception>
#include <initializer_list>
#include <string>
#include <vector>

#include "Messages.hpp"
#include "Outlines.hpp"
#include "CommitPath.hpp"
#include "Support.hpp"
#include "afl/Module.hpp"
#include "feat/Builder.hpp"
#include "geom/Sketch.hpp"
#include "jam/Jam.hpp"
#include "om/ObjectSet.hpp"
#include "pref/SessionInterfaces.hpp"
#include "sys/Error.hpp"
#include "tool/Tooling.hpp"
#include "upd/Update.hpp"

namespace KTX {
class CM_part;
}

namespace KTX::Tooling::Support {

constexpr int kBuildLayer = 251;       // the layer a build makes its features on
using Messages::kMissingInput;  // a step that has nothing to work on

JAM::LayerManager_Interface* layerManager();

constexpr double kAngleLimit = 1e-10;  // how near 0 or 90 degrees a relief angle is no chamfer

// A relief angle of no chamfer: none at 0 degrees (the angle a punch without
// chamfer reads back) or at 90.
inline bool noChamfer(double angle) {
  return std::fabs(angle) <= kAngleLimit || std::fabs(angle - 90.0) <= kAngleLimit;
}

// Lengths enter the host's builders as "%f" texts.
std::string lengthText(double value);

tag_t workPartTag();
CM_part* workModelPart();
FEATURE_RECORD* featureOf(tag_t feature);
// Destroys a host builder through the "Builder" interface (nothing for null).
void destroyBuilder(OM::Object* builder);

// What every intermediate sheet and curve feature is handed to once made.
void finishFeature(tag_t feature);
// The feature's first body, or `otherwise` when it has none (or is 0).
tag_t firstBody(tag_t feature, tag_t otherwise);
// The faces a feature made, as model faces, in the order the host gives them.
std::vector<tag_t> topFacesOf(tag_t feature);

// What a rough-offset feature was made from: its first input sheet (0 when
// none) and its offset distance, signed.
struct RoughOffset {
  tag_t sheet = 0;
  double distance = 0.0;
};
RoughOffset readRoughOffset(tag_t feature);

// An editing builder of an extrude or chamfer feature, destroyed on every way
// out, and only when one was opened.
class EditingBuilder {
 public:
  EditingBuilder(bool extrude, tag_t feature);
  ~EditingBuilder();
  EditingBuilder(const EditingBuilder&) = delete;
  EditingBuilder& operator=(const EditingBuilder&) = delete;
  tag_t tag() const { return tag_; }

 private:
  tag_t tag_ = 0;
};

// A host text handed over, freed.
std::string takeText(char* text);
// The number an expression's text holds (0 for none).
double expressionNumber(tag_t expression);
// The value of an extrude builder's start or end limit (0 when none).
double limitValue(tag_t builder, bool end);
// The object an extrude feature's end limit runs up to (0 when none).
tag_t endLimitObject(tag_t feature);
// The value of an extrude builder's start or end feature offset (0 when none).
double featureOffset(tag_t builder, bool end);
// The offset distance of an offset-curve feature, signed (0 when it has none).
double offsetCurveDistance(tag_t feature);

// The three session-modelling settings an edit turns off while it rebuilds,
// each read, cleared and put back through its getter and setter.
class HeldSettings {
 public:
  void Hold();
  // Puts back what Hold found; nothing when nothing was held.
  void Restore();

 private:
  bool saved_[3] = {false, false, false};
  int held_ = 0;  // how many were cleared, in order
};

// Makes the made features (first) members of the set being edited, even when
// it reports no member, so that nothing made is left outside; when creating,
// makes a new set of them and gives its tag. Nothing for no feature.
void GroupMadeFeatures(OM::Set* made, tag_t editing, int moduleType, const char* name, tag_t* created);

// Messages::kSelectedOwnFeature when a selection (one object or a list)
// holds the feature set being edited or one of its members: a rebuild would
// be made from what it replaces. 0 otherwise, and for no set.
int SelectsOwnSet(tag_t set, std::initializer_list<const OM::Object*> selections);

// How far the body's nearest face lies from the plane: along `normal` (its
// height over the plane, negative below it) or, with no normal, the
// distance. HUGE_VAL when no face could be measured.
double NearestToPlane(tag_t plane, tag_t body, const double* normal);
// -1 when the sheet looks against `normal` (every face of it not square to
// the normal has its own normal, at its middle, pointing against it), else
// 1: a sheet of faces looking both ways, or none that could be judged, is
// not said to look against it.
double FaceSide(tag_t sheet, const double normal[3]);

// Curves seen along a direction, in two axes across it: their outline, each
// curve's two ends and every point of them.
struct SeenCurves {
  Stamvik::Outlines::Outline outline;
  std::vector<std::array<double, 2>> ends;
  Stamvik::Outlines::Ring points;
};
// The curves seen along `normal` (of length 1); false when one of them is no
// curve whose points are known, or they give no edge: nothing is then judged.
bool SeeCurves(const std::vector<tag_t>& curves, const double normal[3], SeenCurves* seen);
// Whether every end of a curve meets another end (another curve's, or its
// own other end) within the tolerance: the curves close round what they bound.
bool Closes(const SeenCurves& seen, double tolerance);
// Whether closed curves offset inwards by `depth` leave nothing farther than
// the tolerance from them: a loop that thin has no area, as the tolerance
// counts it. False when that cannot be told (a point may lie deeper within a
// hundredth of the tolerance), or the curves do not close.
bool InwardOffsetLeavesNothing(const SeenCurves& seen, double depth, double tolerance);

// What a build reports built must be: one valid closed solid, inside the
// box of its rings, seen along the normal in the axes SeeCurves sees curves
// in, and along the normal between two heights (from the origin); and whole:
// each of its parts there, every point of a part (across the normal, in
// those axes, at the part's height along it) inside the solid.
struct SolidPart {
  std::vector<Stamvik::Outlines::Point> points;
  double height = 0;
};
struct SolidBounds {
  std::vector<Stamvik::Outlines::Ring> rings;
  double low = -HUGE_VAL, high = HUGE_VAL;
  std::vector<SolidPart> parts;
};
// Scales `v` to length 1; false, leaving it, when it has no length (nothing
// is judged along it then).
bool MadeUnit(double v[3]);
// Points spread evenly along the closed ring (at most `most`), each moved
// across it by `inward` (outward when negative) from where it lies on the
// ring. A point moved inward that comes nearer than `inward - slack` to any
// side of the ring (in a narrow arm, past a tight corner) is left out: each
// point given lies that far within the region the ring bounds shrunk by
// `inward - slack`, or, outward, within `-inward` of the ring.
std::vector<Stamvik::Outlines::Point> PointsAlong(const Stamvik::Outlines::Ring& ring, double inward, double slack,
                                                  std::size_t most);
// Points (at most `most`) `margin` within the region the ring bounds offset
// inwards by `offset` (outwards when negative) as the modeller offsets a
// loop: its sides moved, each corner where their lines meet, so that a
// reflex corner is cut with a sharp mitre, not rounded as the points that
// far from the ring's sides alone would have it (PointsAlong's, less those
// past a mitre). A part of the offset no wider than twice the margin gets
// none.
std::vector<Stamvik::Outlines::Point> PointsWithinOffset(const Stamvik::Outlines::Ring& ring, double offset,
                                                         double margin, double slack, std::size_t most);
// How many points a part is judged by, at most: enough to find any side's
// piece missing, few enough that a commit pays little for them.
constexpr std::size_t kPartPoints = 64;
// The guard's verdict on the model body a build made: 0 when it is one valid
// closed solid inside the bounds (each grown by the tolerance) with every
// part's points inside it; otherwise the number of what was found. A body
// the guard cannot measure (no kernel body, no geometry, a query that
// fails) is refused too.
int JudgeBuilt(tag_t solid, const double normal[3], const SolidBounds& bounds, double tolerance);
// The guard's look at what a build must leave empty (a core's cavity): 0
// when no point of the hollows (placed as a part's) lies in the solid or on
// its boundary; kBuiltNotHollow when one does; kBuiltNotMeasured when the
// body cannot be asked. A body that holds no shape is not judged; one of
// which the kernel cannot tell is kBuiltNotMeasured.
int JudgeHollow(tag_t solid, const double normal[3], const std::vector<SolidPart>& hollows);
// The words that say a verdict of the guard (one of its numbers).
const char* JudgedWords(int judged);
// What the kernel says a model body holds: a shape to judge (so is body 0,
// which the judge refuses on its own); nothing at all (no kernel body, or
// one the kernel answers ZV_ERROR_no_geometry for: a body no modeller made,
// which the stand-in host's scripted builds hand out), nothing to judge; or
// nothing it could tell (its count failed or faulted), which lets no body
// through unjudged.
enum class Held { kShape, kNothing, kUntold };
Held ShapeHeld(tag_t solid);
// Of several bodies: untold when the kernel could not tell of one, else
// nothing when one holds nothing, else a shape.
Held ShapesHeld(std::initializer_list<tag_t> solids);
// The judge's verdict on bodies that do not all hold a shape: 0 for
// nothing to judge, kBuiltNotMeasured for bodies the kernel could not tell of.
inline int UnjudgedVerdict(Held held) { return held == Held::kUntold ? Messages::kBuiltNotMeasured : 0; }
// The plane's height along `normal` (of length 1), measured at the body's
// first face; HUGE_VAL when nothing could be measured.
double PlaneHeight(tag_t plane, tag_t body, const double normal[3]);
// The height along `normal` (of length 1) of the top of the body's box;
// HUGE_VAL when it has no geometry to ask.
double TopHeight(tag_t body, const double normal[3]);
// The heights along `normal` (of length 1) of the bottom and the top of the
// body's box; false when it has no geometry to ask.
bool HeightsAlong(tag_t body, const double normal[3], double* low, double* high);
// The closed loop that curves seen along `normal` (of length 1) make; false
// when they make no single one.
bool RingOfCurves(const std::vector<tag_t>& curves, const double normal[3], double tolerance,
                  Stamvik::Outlines::Ring* ring);
// The corners of the closed polyline through `points` (x, y, z triples),
// seen along `normal` (of length 1) in the axes SeeCurves sees curves in;
// false when there are no axes across the normal.
bool RingOfPoints(const std::vector<double>& points, const double normal[3], double tolerance,
                  Stamvik::Outlines::Ring* ring);

// A build goes past the modeller's refusal of a shape but never past an
// error (Stamvik::ErrorsMet, which every commit opens).
using Stamvik::ErrorsMet;
using Stamvik::MetError;

// A step's status: its own, or, when it succeeded past an error, that error's.
template <class Step>
int StepStatus(Step step) {
  ErrorsMet met;
  const int status = step();
  return status != 0 ? status : met.First();
}

// A tooling build and the grouping of what it made, run by CommitBuild
// under its mark. The session settings are held while an edit rebuilds and
// the display is suppressed; both come back on every path, a raised error's
// included. A failed build is neither grouped nor updated: its mark takes it
// back. Gives the build's failure number, or that of the error caught; 0 on
// success.
template <class Builder, class Build, class DeleteRetired>
int BuildAndGroup(Builder& builder, const char* source, int line, int moduleType, const char* name, Build& build,
                  DeleteRetired& deleteRetired) {
  HeldSettings settings;
  bool displaySuppressed = false;
  int status = 0;
  try {
    if (builder.GetTfeatureSet() != 0) settings.Hold();
    DSS_set_suppress_display(3);
    displaySuppressed = true;
    // A failed step has been reported already.
    status = build();
    if (status == 0) {
      tag_t created = 0;
      GroupMadeFeatures(builder.GetFrecSet(), builder.GetTfeatureSet(), moduleType, name, &created);
      if (created != 0) builder.SetTfeatureSet(created);
      deleteRetired(builder.GetFrecSetToDelete());
    }
  } catch (const std::exception& e) {
    status = Error::HandleAsBuilder(e, source, line);
  }
  // Each way back runs on its own, so that one that raises keeps none of the
  // others from running.
  auto restore = [&](auto&& step) {
    try {
      step();
    } catch (const std::exception& e) {
      const int code = Error::HandleAsBuilder(e, source, line);
      if (status == 0) status = code;
    }
  };
  if (displaySuppressed) restore([] { DSS_set_suppress_display(2); });
  restore([&] { settings.Restore(); });
  if (status == 0)
    restore([] {
      DSS_REGEN_regenerate_display(1, nullptr);
      UPDATE_do_update();
    });
  return status;
}

// The commit of a tooling build: the build and its grouping under an undo
// mark of its own (Stamvik::CommitUnderMark), so that a commit that fails
// anywhere leaves the part as it was, with no half of a tool grouped into a
// set and an edited set as it was. The two sets exist only during the
// commit, made before the mark and deleted after it. Gives the build's
// failure number, or that of the error caught; 0 on success.
template <class Builder, class Build, class DeleteRetired>
int CommitBuild(Builder& builder, const char* source, int line, int moduleType, const char* name, Build build,
                DeleteRetired deleteRetired) {
  int status = 0;
  try {
    builder.SetFrecSet(OM_create_set());
    builder.SetFrecSetToDelete(OM_create_set());
    // In its turn with the other builders alive on the tool (CommitPath.hpp).
    status = Stamvik::CommitInTurn(
        &builder, [&builder] { return builder.GetTfeatureSet(); },
        [&] {
          return Stamvik::CommitUnderMark(name, source, line, [&] {
            return BuildAndGroup(builder, source, line, moduleType, name, build, deleteRetired);
          });
        });
  } catch (const std::exception& e) {
    status = Error::HandleAsBuilder(e, source, line);
  }
  if (OM::Set* set = builder.GetFrecSet(); set != nullptr) {
    builder.SetFrecSet(nullptr);
    OM_delete_object(set);
  }
  if (OM::Set* set = builder.GetFrecSetToDelete(); set != nullptr) {
    builder.SetFrecSetToDelete(nullptr);
    OM_delete_object(set);
  }
  return status;
}

}  // namespace KTX::Tooling::Support
