// The draw punch's curve operations, which both tooling pipelines use: the
// selected profile turned into one closed curve, curves joined, offset and
// projected through the host's curve builders, and a profile smoothed by a
// rough-data compensation of this library.
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DieEngJA_CompensateRoughDataBuilder.hpp"
#include "Messages.hpp"
#include "Support.hpp"
#include "Tooling_DieDesBuildSupport.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "OnEveryExit.hpp"
#include "afl/DieEngParms.hpp"
#include "afl/Module.hpp"
#include "geom/Curve.hpp"
#include "geom/CurveLoops.hpp"
#include "geom/Geometry.hpp"
#include "geom/Sketch.hpp"
#include "ja_die_die_collection_jam.hpp"
#include "math/Vector.hpp"
#include "modl/CurveBuilders.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "sel/Selection.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "tool/Tooling.hpp"

namespace KTX::Tooling {

namespace {

constexpr const char* kSource = "Tooling_DieDesDrawPunchBuilder";
using Messages::kMissingInput;  // no input, or a selection that is not one closed loop
constexpr int kSuppressed = 4;          // the suppress flag an update leaves on a feature it could not apply

tag_t workPartTag() { return OM::OM_ask_object_tag(CONTEXT_ask_work_part()); }

// The first curve of the feature; 0 when it has none.
tag_t firstCurve(tag_t feature) {
  int count = 0;
  Stamvik::HostBlock<tag_t> curves;
  FREC_collect_all_dcurve(feature, &count, curves.out());
  return count > 0 ? curves[0] : 0;
}

// Only a builder that was opened is destroyed.
void destroyBuilder(tag_t builder) {
  if (builder == 0) return;
  if (auto* builders = Stamvik::UnjournalledInterface<JAM::Builder_Interface>("Builder")) builders->Destroy(builder);
}

// After an edit the hidden update may have suppressed the feature.
int updateEdited(tag_t feature) {
  UPDATE_do_update_hidden();
  return FREC_ask_suppress_flag(feature) == kSuppressed ? kSuppressed : 0;
}

// Steps 1 to 6 the three curve operations share around one host curve
// builder: opened for the feature (0: a new one), its input section emptied
// when editing, filled and set by `fill`, committed, and destroyed on every
// way out.
template <class Factory, class Fill>
int curveOperation(DieDesDrawPunchBuilder* punch, tag_t* curveOut, tag_t* feature, int handlerLine, Fill fill) {
  FEATURE_RECORD* edited = *feature != 0 ? dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(*feature)) : nullptr;
  auto* builder = Factory::Create(PART_ask_cm_part_of_part_p(CONTEXT_ask_work_part()), edited);
  if (builder == nullptr) return kMissingInput;
  int status = 0;
  try {
    if (edited != nullptr) status = punch->RemoveAllRules(builder->GetSection());
    if (status == 0) status = fill(builder);
    FEATURE_RECORD* committed = nullptr;
    if (status == 0) status = builder->commit_feature(&committed);
    if (status == 0 && committed != nullptr) {
      if (edited != nullptr) status = updateEdited(committed->OmTag());
      *feature = committed->OmTag();
      *curveOut = firstCurve(committed->OmTag());
      // A feature that yields no curve leaves the next step nothing to work on.
      if (status == 0 && *curveOut == 0) status = kMissingInput;
    }
  } catch (const std::exception& e) {
    status = Support::MetError(e, kSource, handlerLine);
  }
  destroyBuilder(builder->ask_tag());
  return status;
}

// The tag sets of one loop test, deleted on every way out.
struct LoopSets {
  OM_tag_set* curves = OM_create_tag_set();
  OM_tag_set* open = nullptr;
  OM_tag_set* met = nullptr;
  ~LoopSets() {
    OM_delete_tag_set(curves);
    OM_delete_tag_set(open);
    OM_delete_tag_set(met);
  }
};

struct Tags {
  int count = 0;
  Stamvik::HostBlock<tag_t> tags;
};

using Messages::kPunchOutlineMisplaced;
using Messages::kPunchOutlineNoArea;
using Messages::kPunchOutlineNotOneLoop;
using Messages::kReliefWiderThanBeltStep;

// A curve's points (x, y, z triples); none for what is no curve.
std::vector<double> curvePoints(tag_t curve) {
  EVC_curve* made = nullptr;
  if (evcrvu(curve, &made) != 0 || made == nullptr) return {};
  const std::unique_ptr<EVC_curve, void (*)(EVC_curve*)> geometry(made, &evcrvf);
  return geometry->points;
}

double gapOf(const double* a, const double* b) { return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]); }

// The points of curves that follow one another in a loop, each turned to go
// on where the one before ends (a point met again within the tolerance kept
// once), closed back to the first point: a point gives itself, a line its
// ends. False when one of them is no curve.
bool chainPoints(const std::vector<tag_t>& chain, double tolerance, std::vector<double>* out) {
  std::vector<double>& points = *out;
  std::size_t firstEnd = 0;
  for (const tag_t tag : chain) {
    std::vector<double> next = curvePoints(tag);
    if (next.empty()) return false;
    const std::size_t n = next.size() / 3;
    auto reversed = [](const std::vector<double>& p) {
      std::vector<double> turned;
      for (std::size_t i = p.size() / 3; i-- > 0;) turned.insert(turned.end(), &p[3 * i], &p[3 * i] + 3);
      return turned;
    };
    if (!points.empty()) {
      const double* head = next.data();
      const double* tail = &next[3 * (n - 1)];
      const double toEnd = std::min(gapOf(&points[points.size() - 3], head), gapOf(&points[points.size() - 3], tail));
      // The second curve may go on from the first one's start: the first is turned.
      if (points.size() == firstEnd && std::min(gapOf(points.data(), head), gapOf(points.data(), tail)) < toEnd)
        points = reversed(points);
      const double* end = &points[points.size() - 3];
      if (gapOf(end, tail) < gapOf(end, head)) next = reversed(next);
    }
    for (std::size_t i = 0; i < n; ++i)
      if (points.empty() || gapOf(&points[points.size() - 3], &next[3 * i]) > tolerance)
        points.insert(points.end(), &next[3 * i], &next[3 * i] + 3);
    if (firstEnd == 0) firstEnd = points.size();
  }
  if (points.size() >= 6 && gapOf(points.data(), &points[points.size() - 3]) <= tolerance) points.resize(points.size() - 3);
  if (!points.empty()) points.insert(points.end(), points.begin(), points.begin() + 3);
  return true;
}

}  // namespace

bool DieDesDrawPunchBuilder::HoldsTwoOutlines(const SC_section* section) {
  // Curves given by rules (as an edit reads a profile back) and a loop given
  // beside them are two outlines: neither is taken for the other.
  return section != nullptr && !section->ask_rule_entities().empty() && section->ask_loop_count() > 0;
}

int DieDesDrawPunchBuilder::OutlineLoop(SC_section* section, std::vector<double>* points) {
  points->clear();
  if (section == nullptr) return 0;
  if (HoldsTwoOutlines(section)) return kPunchOutlineNotOneLoop;
  const double tolerance = TOLER_ask_distance_tol();
  std::vector<tag_t> chain;
  if (!section->ask_rule_entities().empty() || section->ask_loop_count() == 0) {
    // Curves or edges: they must chain into one loop that closes.
    Tags given;
    AskSCEntities(section->OmTag(), &given.count, given.tags.out());
    if (given.count == 0) return 0;
    LoopSets sets;
    for (int i = 0; i < given.count; ++i) OM_insert_into_tag_set(sets.curves, given.tags[i]);
    int loops = 0, closed = 0, open = 0;
    MW_loop_s* sorted = nullptr;
    const int status = MW_sort_segments(sets.curves, tolerance, &loops, &sorted, &closed, &open);
    if (status == 0 && loops == 1 && closed == 1) chain.assign(sorted[0].curves, sorted[0].curves + sorted[0].count);
    MW_free_loops(loops, sorted);
    if (chain.empty()) return kPunchOutlineNotOneLoop;
  } else {
    // A section's own loop: one, closed by its kind, through its curves in order.
    if (section->ask_loop_count() != 1) return kPunchOutlineNotOneLoop;
    const auto* loop = dynamic_cast<const SC_loop*>(OM::OM_object_of_tag(section->ask_nth_loop(0)));
    if (loop == nullptr || loop->ask_kind() != SC_section::kClosed) return kPunchOutlineNotOneLoop;
    // The loop's points or curves joined as the host joins them.
    const std::unique_ptr<EVC_curve, void (*)(EVC_curve*)> geometry(loop->ask_curve_geometry(true, tolerance),
                                                                   &EVC_free);
    if (geometry == nullptr) return kPunchOutlineNoArea;
    *points = geometry->points;
    return 0;
  }
  if (!chainPoints(chain, tolerance, points)) {
    points->clear();
    return kPunchOutlineNotOneLoop;
  }
  return 0;
}

int DieDesDrawPunchBuilder::OutlineCurve(SC_section* section, tag_t* curve) {
  *curve = 0;
  std::vector<double> points;
  if (const int refused = OutlineLoop(section, &points); refused != 0) return refused;
  if (points.empty()) return 0;
  // One closed curve of the user's is taken as it is: an edit reads it back.
  Tags given;
  AskSCEntities(section->OmTag(), &given.count, given.tags.out());
  if (given.count == 1) {
    const std::vector<double> own = curvePoints(given.tags[0]);
    if (own.size() >= 6 && gapOf(own.data(), &own[own.size() - 3]) <= TOLER_ask_distance_tol()) {
      *curve = given.tags[0];
      return 0;
    }
  }
  *curve = ES_create_polyline_in_part(CONTEXT_ask_work_part(), static_cast<int>(points.size() / 3), points.data());
  return *curve != 0 ? 0 : kMissingInput;
}

int DieDesDrawPunchBuilder::RefusedOutlines() {
  std::vector<double> flange, wall;
  if (const int refused = OutlineLoop(m_flangeProfile, &flange); refused != 0) return refused;
  if (const int refused = OutlineLoop(m_mainWallCenterLine, &wall); refused != 0) return refused;
  if ((flange.empty() && wall.empty()) || m_basePlane == 0 || m_punchCurve == nullptr) return 0;
  double normal[3];
  BasePlaneNormal(normal);
  if (!Support::MadeUnit(normal)) return 0;
  const double tolerance = TOLER_ask_distance_tol();
  Stamvik::Outlines::Ring flangeRing, wallRing;
  for (const auto& [loop, ring] : {std::pair{&flange, &flangeRing}, std::pair{&wall, &wallRing}}) {
    if (loop->empty()) continue;
    if (!Support::RingOfPoints(*loop, normal, tolerance, ring)) return 0;
    if (Stamvik::Outlines::HasNoArea(*ring, tolerance) || Stamvik::Outlines::TouchesItself(*ring, tolerance))
      return kPunchOutlineNoArea;
  }
  // The base stands round the punch on the flange; the belt is the band
  // between the punch profile and the main wall within it.
  std::vector<tag_t> selected;
  for (int i = 0, n = m_punchCurve->ask_count(); i < n; ++i) selected.push_back(m_punchCurve->ask_nth(i));
  Stamvik::Outlines::Ring punchRing;
  if (!Support::RingOfCurves(selected, normal, tolerance, &punchRing)) return 0;
  const Stamvik::Outlines::Outline punch = Stamvik::Outlines::OutlineOf(punchRing);
  if (!flange.empty() && !Stamvik::Outlines::LiesWithin(punch, Stamvik::Outlines::OutlineOf(flangeRing), tolerance))
    return kPunchOutlineMisplaced;
  if (!wall.empty() && !Stamvik::Outlines::LiesWithin(Stamvik::Outlines::OutlineOf(wallRing), punch, tolerance))
    return kPunchOutlineMisplaced;
  // The belt chamfer runs from the relieved wall across that band by the
  // relief: where the band is narrower, the chamfer would stand out past the
  // punch below its belt.
  if (!wall.empty() && !Support::noChamfer(m_reliefAngle) &&
      m_reliefDistanse > Stamvik::Outlines::LeastGap(wallRing, punchRing) + tolerance)
    return kReliefWiderThanBeltStep;
  return 0;
}

int FeatureBuilderInterfaceCall(tag_t builder, tag_t* object) {
  auto* features = Stamvik::UnjournalledInterface<JAM::FeatureBuilder_Interface>("Features.FeatureBuilder");
  if (features == nullptr) return Error::kBadObject;
  return features->CommitFeature(builder, object);
}

int DieDesDrawPunchBuilder::ProcessInputCurves(SELECT_OBJECT_list* selection, tag_t featureSet,
                                               const UString& referenceTitle, OM::Set* toDelete,
                                               const UString& joinTitle, OM::Set* made, tag_t* curveOut) {
  tag_t join = 0;
  const bool found = featureSet != 0 && FindFeatureInSetByAttrTitle(featureSet, joinTitle, &join);
  Tags selected;
  if (selection != nullptr) selection->ask_tags(&selected.count, selected.tags.out());
  if (selected.count == 0) {
    InsertFeatureIntoOMSetToDelete(found, &join, toDelete);
    *curveOut = 0;
    return 0;
  }
  {
    LoopSets sets;
    for (int i = 0; i < selected.count; ++i) OM_insert_into_tag_set(sets.curves, selected.tags[i]);
    const double tolerance = TOLER_ask_distance_tol();
    int loops = 0, closed = 0, open = 0;
    MW_loop_s* sorted = nullptr;
    const int status = MW_sort_segments(sets.curves, tolerance, &loops, &sorted, &closed, &open);
    MW_free_loops(loops, sorted);
    if (status != 0) return status;
    if (loops > 1) {
      TOOLING_warning_message("Selected curves form more than one loop.");
      return kMissingInput;
    }
    sets.open = OM_create_tag_set();
    sets.met = OM_create_tag_set();
    if (!UM_is_loop_closed(sets.curves, tolerance, sets.open, sets.met)) {
      TOOLING_warning_message("Selected curves can not form one closed loop.");
      return kMissingInput;
    }
  }
  if (selected.count == 1) {
    // One closed curve needs no join; an earlier join feature is retired.
    InsertFeatureIntoOMSetToDelete(found, &join, toDelete);
    *curveOut = selected.tags[0];
    return 0;
  }
  std::vector<tag_t> curves, edges;
  ClassifyCurvesEdges(selected.tags.get(), selected.count, curves, edges);
  const int status = FeatJoinCurve(curves, edges, curveOut, &join);
  if (status != 0) return status;
  if (!found && join != 0) {
    OM_insert_into_set(made, join);
    // An edit keeps the order of a fresh build: the new join comes before the reference.
    tag_t reference = 0;
    if (featureSet != 0 && FindFeatureInSetByAttrTitle(featureSet, referenceTitle, &reference))
      if (auto* features =
              Stamvik::UnjournalledInterface<JAM::FeatureCollection_Interface>("Features.FeatureCollection"))
        features->PlaceFeatures(workPartTag(), &join, 1, reference, 1);
  }
  if (auto* feature = Stamvik::UnjournalledInterface<JAM::Feature_Interface>("Features.Feature"))
    feature->Operation13(join);
  if (!found && join != 0) AddHideIntAttr(join, joinTitle);
  return status;
}

int DieDesDrawPunchBuilder::ClassifyCurvesEdges(const tag_t* tags, int count, std::vector<tag_t>& curves,
                                                std::vector<tag_t>& edges) {
  for (int i = 0; tags != nullptr && i < count; ++i) {
    int type = 0, subtype = 0;
    RM_ask_entity_type_and_subtype(tags[i], &type, &subtype);
    (type == 70 && subtype == 3 ? edges : curves).push_back(tags[i]);
  }
  return 0;
}

int DieDesDrawPunchBuilder::ConvertVectorCurvesToSCsection(const std::vector<tag_t>& curves,
                                                           const std::vector<tag_t>& edges, SC_section** section) {
  return ConvertCurvesToSCsection(static_cast<int>(curves.size()), curves.data(), static_cast<int>(edges.size()),
                                  edges.data(), section);
}

int DieDesDrawPunchBuilder::FeatJoinCurve(const std::vector<tag_t>& curves, const std::vector<tag_t>& edges,
                                          tag_t* curveOut, tag_t* feature) {
  return curveOperation<ModlCurveJA::JoinCurvesBuilderFactory>(
      this, curveOut, feature, 2598, [&](ModlCurveJA::JoinCurvesBuilder* builder) {
        SC_section* section = builder->GetSection();
        if (int status = ConvertVectorCurvesToSCsection(curves, edges, &section); status != 0) return status;
        builder->GetOutputOptions()->SetAssociative(1);
        builder->GetOutputOptions()->SetInputCurvesOption(0);
        OM::LogForWrite(builder);
        builder->SetJoinType(0);
        builder->SetDistanceTolerance(TOLER_ask_distance_tol());
        builder->SetAngleTolerance(TOLER_ask_angular_tol());
        return 0;
      });
}

int DieDesDrawPunchBuilder::FeatOffsetCurve(tag_t curve, double distance, tag_t* curveOut, tag_t* feature) {
  return curveOperation<ModlCurveJA::OffsetCurveBuilderFactory>(
      this, curveOut, feature, 2286, [&](ModlCurveJA::OffsetCurveBuilder* builder) {
        SC_section* section = builder->GetSection();
        if (int status = ConvertCurvesToSCsection(1, &curve, 0, nullptr, &section); status != 0) return status;
        builder->SetOffsetType(0);
        if (int status = builder->SetNumberOfCopies(1); status != 0) return status;
        builder->SetGapFill(1);
        builder->GetOutputOptions()->SetAssociative(1);
        builder->GetOutputOptions()->SetInputCurvesOption(0);
        builder->SetTrimInputCurves(true);
        builder->GetTrimOptions()->SetTrimOption(0);
        builder->SetTolerance(TOLER_ask_distance_tol());
        int edited = 0;
        {
          const Stamvik::HostBlock<char> text(EXP_format_value(distance));
          edited = EXP_edit_exp(0, builder->GetDistance(), text.get());
        }
        if (edited != 0) return edited;
        // The offset goes the other way when the builder's direction points
        // away from the curve's first half.
        double direction[3], first[3], middle[3];
        builder->AskOffsetDirection(direction);
        EVC_curve* evaluator = nullptr;
        if (int status = EVC_initialize(curve, &evaluator); status != 0) return status;
        {
          const Stamvik::OnEveryExit freeEvaluator("EVC_free", [evaluator] { EVC_free(evaluator); });
          EVC_evaluate(evaluator, 0.0, 0, first, nullptr);
          EVC_evaluate(evaluator, 0.5, 0, middle, nullptr);
        }
        double along[3];
        Math::Subtract(middle, first, along);
        if (Math::Dot(direction, along) < 1e-10) {
          OM::LogForWrite(builder);
          builder->SetReverseDirection(true);
        }
        return 0;
      });
}

int DieDesDrawPunchBuilder::FeatProjectCurve(const tag_t* curves, int count, tag_t plane, tag_t* curveOut,
                                             tag_t* feature) {
  return curveOperation<ModlCurveJA::ProjectCurveBuilderFactory>(
      this, curveOut, feature, 2170, [&](ModlCurveJA::ProjectCurveBuilder* builder) {
        SC_section* section = builder->GetSection();
        const double distance = TOLER_ask_distance_tol();
        section->set_tolerances(0.95 * distance, distance, TOLER_ask_angular_tol());
        std::vector<tag_t> curveTags, edgeTags;
        ClassifyCurvesEdges(curves, count, curveTags, edgeTags);
        if (int status = ConvertVectorCurvesToSCsection(curveTags, edgeTags, &section); status != 0) return status;
        builder->SetPlaneOnTheFly(plane);
        builder->SetProjectOption(0);
        builder->SetTolerance(distance);
        OM::LogForWrite(builder);
        builder->SetKeepInput(false);
        builder->SetChainingTolerance(distance);
        builder->GetProjectionOptions()->SetProjectDirectionMethod(2);
        return 0;
      });
}

int DieDesDrawPunchBuilder::FeatSmoothPunchProfile(tag_t curve, tag_t* curveOut, tag_t* feature) {
  const bool editing = *feature != 0 && OM::OM_object_of_tag(*feature) != nullptr;
  tag_t builderTag = 0;
  DieEng::CompensateRoughCurve* parms = nullptr;
  int status = 0;
  try {
    auto* collection = Stamvik::UnjournalledInterface<Die_DieCollection_Interface>("Die.DieCollection");
    const int made = collection == nullptr ? Error::kBadObject
                                           : collection->CompensateRoughData(workPartTag(), *feature, &builderTag);
    if (made != 0) ERROR_raise(kSource, 1620, made, "Create CompensateRoughData Feature Builder Failed");
    auto* builder = dynamic_cast<DieEngJA::CompensateRoughDataBuilder*>(OM::OM_object_of_tag(builderTag));
    parms = DieEng::CompensateRoughCurveFactory::Create();
    if (builder == nullptr || parms == nullptr) {
      status = kMissingInput;
    } else {
      SC_section* section = builder->GetCurveCollector();
      // The edited feature's old profile goes before the new one comes in.
      if (editing) status = RemoveAllRules(section);
      if (status == 0) status = ConvertCurvesToSCsection(1, &curve, 0, nullptr, &section);
      if (status == 0) {
        builder->SetType(DieEngJA::JA_COMPENSATE_ROUGH_DATA_BUILDER_types_Curve);
        parms->SetApproximation(DieEngJA::JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Fine);
        parms->SetDistanceTolerance(TOLER_ask_distance_tol());
        parms->SetAngleTolerance(TOLER_ask_angular_tol());
        parms->SetMaximumGap(TOLER_ask_distance_tol());
        parms->SetJoinOutputCurves(false);
        parms->SetCurveCollector(section);
        parms->SetProjectToFaces(builder->GetProjectToFaces());
        builder->FromCurveParms(parms);
        status = FeatureBuilderInterfaceCall(builderTag, feature);
      }
      if (status == 0 && editing) status = updateEdited(*feature);
      if ((status == 0 || status == kSuppressed) && *feature != 0) {
        *curveOut = firstCurve(*feature);
        if (status == 0 && *curveOut == 0) status = kMissingInput;
      }
    }
  } catch (const std::exception& e) {
    status = Support::MetError(e, kSource, 1682);
  }
  OM_delete_object(parms);
  destroyBuilder(builderTag);
  return status;
}

}  // namespace KTX::Tooling
