// The draw punch's curve operations, which both tooling pipelines use: the
// selected profile turned into one closed curve, curves joined, offset and
// projected through the host's curve builders, and a profile smoothed by a
// rough-data compensation of this library.
#include <algorithm>
#include <string>
#include <vector>

#include "DieEngJA_CompensateRoughDataBuilder.hpp"
#include "Messages.hpp"
#include "Support.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "OnEveryExit.hpp"
#include "afl/DieEngParms.hpp"
#include "afl/Module.hpp"
#include "geom/Curve.hpp"
#include "geom/CurveLoops.hpp"
#include "geom/Sketch.hpp"
#include "ja_die_die_collection_jam.hpp"
#include "math/Vector.hpp"
#include "modl/CurveBuilders.hpp"
#include "modl/ModelingInterfaces.hpp"
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
    status = Error::HandleAsBuilder(e, kSource, handlerLine);
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

}  // namespace

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
    status = Error::HandleAsBuilder(e, kSource, 1682);
  }
  OM_delete_object(parms);
  destroyBuilder(builderTag);
  return status;
}

}  // namespace KTX::Tooling
