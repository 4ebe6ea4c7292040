// The draw punch's feature-making operations, which both tooling pipelines
// build their sets from: rough offsets, extrusions, chamfers and the edge
// collectors they take. Each drives one of the host's builders through its
// unjournalled scripting interfaces, so nothing it does is journalled, and
// brackets its work with an undo mark so that a failure leaves the model as
// it found it.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Messages.hpp"
#include "OnEveryExit.hpp"
#include "Support.hpp"
#include "Tooling_DieDesBuildSupport.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "afl/DieEngParms.hpp"
#include "geom/Curve.hpp"
#include "geom/Sketch.hpp"
#include "jam/Session.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "modl/SelectionInterfaces.hpp"
#include "modl/TrimBody.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "tool/Tooling.hpp"
#include "tool/ToolingGeometry.hpp"
#include "geom/Faces.hpp"
#include "kernel/Kernel.hpp"
#include "vd/KnowledgeRule.hpp"

namespace KTX::Tooling {

namespace {

constexpr const char* kSource = "Tooling_DieDesDrawPunchBuilder";
using Messages::kMissingInput;
using Messages::kNoTrimToolBody;
constexpr int kSuppressed = 4;       // the suppress flag an update leaves on a feature it could not apply
constexpr double kSideLimit = 1e-10;  // the margin of the offset side test
constexpr std::size_t kOffsetTextLimit = 132;  // the longest offset text the host's expressions take

// These operations cannot go on without any interface they call: a missing
// one is raised from here, where the caller of the shared fetch checks it.
template <class Interface>
Interface* required(const char* name) {
  auto* found = Stamvik::UnjournalledInterface<Interface>(name);
  if (found == nullptr) ERROR_raise(kSource, 43, Error::kBadObject, "no interface \"%s\"", name);
  return found;
}

tag_t workPartTag() { return OM::OM_ask_object_tag(CONTEXT_ask_work_part()); }

// After an edit the hidden update may have suppressed the feature.
int updateEdited(tag_t feature) {
  UPDATE_do_update_hidden();
  return FREC_ask_suppress_flag(feature) == kSuppressed ? kSuppressed : 0;
}

std::string fixed(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", value);
  return text;
}

// A leading "-" is dropped, otherwise one is put in front; the text may be
// of any length.
std::string negated(const std::string& text) { return !text.empty() && text[0] == '-' ? text.substr(1) : "-" + text; }

// An offset text as the host's expressions take it: "0" for none, else at
// most kOffsetTextLimit characters of it.
std::string offsetText(const char* text) {
  return text == nullptr ? std::string("0") : std::string(text).substr(0, kOffsetTextLimit);
}

// One of an operation's end steps: each runs whatever the one before did, a
// raise becoming the operation's failure when it has none yet.
template <class Step>
void endStep(int* status, int line, Step step) {
  try {
    step();
  } catch (const std::exception& e) {
    const int code = Support::MetError(e, kSource, line);
    if (*status == 0) *status = code;
  }
}

// A "Session" mark goes through the session, or the object manager when the
// session cannot delete it.
void deleteSessionMark(int mark) {
  bool deleted = false;
  try {
    deleted = required<JAM::Session_Interface>("Session")->SessionDeleteUndoMark(mark, nullptr, 0) == 0;
  } catch (...) {
    UNDO_QD_delete_mark(mark, nullptr);
    throw;
  }
  if (!deleted) UNDO_QD_delete_mark(mark, nullptr);
}

// An undo mark an operation could not set: it goes on, but cannot be undone.
void noteNoMark(const char* name, int error) {
  if (name != nullptr)
    ERROR_note("The undo mark \"%s\" could not be set (%d): the step cannot be undone.", name, error);
  else
    ERROR_note("An undo mark could not be set (%d): the step cannot be undone.", error);
}

// A "Session" undo mark held for an operation: the model goes back to it
// unless the operation succeeds or only leaves its feature suppressed, and
// it is deleted on every way out.
class SessionMark {
 public:
  explicit SessionMark(const char* name)
      : scope_(set(name), &Stamvik::UndoMarkScope::QuickUndoTo, &deleteSessionMark) {}
  void finish(int status) {
    if (status == 0 || status == kSuppressed) scope_.Commit();
  }

 private:
  static int set(const char* name) {
    int mark = 0;
    if (const int rc = required<JAM::Session_Interface>("Session")->SessionSetUndoMark(1, name, &mark); rc != 0) {
      mark = 0;
      // The step goes on without it, and what it leaves on a failure stays: the user is told.
      noteNoMark(name, rc);
    }
    return mark;
  }
  Stamvik::UndoMarkScope scope_;
};

// Rules handed out by the rule factory, released on every way out.
class Rules {
 public:
  explicit Rules(const char* release) : release_(release) {}
  ~Rules() {
    auto* releaser = Stamvik::UnjournalledInterface<JAM::RuleRelease_Interface>(release_);
    for (tag_t rule : rules_)
      if (releaser != nullptr) Stamvik::RunNoted("RuleRelease::Release", [&] { releaser->Release(rule); });
  }
  std::vector<tag_t>& tags() { return rules_; }

 private:
  const char* release_;
  std::vector<tag_t> rules_;
};

bool isEdge(tag_t tag) {
  int type = 0, subtype = 0;
  RM_ask_entity_type_and_subtype(tag, &type, &subtype);
  return type == 70 && subtype == 3;
}

// Sets a value expression's text, when there is one.
int setText(tag_t expression, const std::string& text) {
  return required<JAM::Expression_Interface>("Expression")->SetRightHandSide(expression, text.c_str());
}

}  // namespace

int DieDesDrawPunchBuilder::FeatRoughOffset(tag_t sheet, tag_t csys, double distance, double first, double second,
                                            tag_t* feature) {
  if (sheet == 0 || feature == nullptr) return kMissingInput;
  const bool editing = *feature != 0;
  RSO_data_s data{};
  int status = 0;
  std::unique_ptr<SessionMark> mark;
  try {
    mark = std::make_unique<SessionMark>("Create Rough Offset");
    RSO_init_data_with_option(&data, editing ? OM::OM_object_of_tag(*feature) : nullptr, editing ? 1 : 0);
    int type = 0, subtype = 0;
    RM_ask_entity_type_and_subtype(sheet, &type, &subtype);
    const tag_t reference = subtype == 2 ? ASSO_lookup_into_eid_ref_map(sheet) : BREF_ask_bref_of_eidbody(sheet);
    data.sheets.assign(1, RSO_sheet_s{sheet, reference});
    data.csys = csys != 0 ? csys : RSO_create_wcs();
    const double values[3] = {distance, first, second};
    for (int i = 0; i < 3; ++i) std::snprintf(data.values[i], RSO_data_s::kTextSize, "%f", values[i]);
    data.settings[0] = 2;
    data.settings[1] = data.settings[2] = data.settings[3] = 0;
    status = editing ? RSO_edit_feature(&data) : RSO_create_feature(&data);
  } catch (const std::exception& e) {
    status = Support::MetError(e, kSource, 970);
  }
  // Without a mark there is nothing to undo to, but a failure stays a failure.
  if (status == 0)
    endStep(&status, 970, [&] {
      if (data.result != nullptr) *feature = CM_ask_eid_of_object(data.result);
      if (editing) status = updateEdited(*feature);
    });
  endStep(&status, 970, [&] { RSO_reset_data(&data); });
  if (mark != nullptr) mark->finish(status);
  mark.reset();
  return status;
}

tag_t DieDesDrawPunchBuilder::CreateDumbEdgeCollector(int count, const tag_t* edges) {
  if (count <= 0 || edges == nullptr) return 0;
  tag_t collector = 0;
  if (required<JAM::ScCollectorCollection_Interface>("ScCollectorCollection")
          ->CreateCollector(workPartTag(), &collector) != 0)
    return 0;
  Rules rules("EdgeDumbRule");
  tag_t rule = 0;
  if (required<JAM::ScRuleFactory_Interface>("ScRuleFactory")->CreateRuleEdgeDumb(count, edges, &rule) != 0)
    return collector;
  rules.tags().push_back(rule);
  required<JAM::ScCollector_Interface>("ScCollector")->ReplaceRules(collector, 1, &rule, true);
  return collector;
}

namespace {

// One side of an extrusion: its limit text, or the object it runs until.
struct ExtrudeSide {
  int (JAM::Limits_Interface::*get)(tag_t, tag_t*);
  bool untilSelected;
  tag_t object;
  const char* value;
};

// What one extrusion is made of, as FeatExtrude's caller gives it.
struct ExtrudeInputs {
  int count;
  const tag_t* curves;
  int bodyStyle;
  const double* direction;
  ExtrudeSide sides[2];  // start, end
  bool offset;
  const char* startOffset;
  const char* endOffset;
  bool draft;
  const char* draftAngle;
  bool boolean;
  int booleanType;
  tag_t target;
};

// The builder's direction and section: new ones for a new feature, the
// feature's own for an edit, whose rules give way to one rule per input.
int setExtrudeSection(DieDesDrawPunchBuilder& punch, JAM::ExtrudeBuilder_Interface* extrude, tag_t builder,
                      bool editing, const ExtrudeInputs& in) {
  tag_t along = 0, section = 0;
  if (!editing) {
    const double origin[3] = {0.0, 0.0, 0.0};
    if (int rc = required<JAM::DirectionCollection_Interface>("DirectionCollection")
                     ->CreateDirection(origin, in.direction, 1, &along);
        rc != 0)
      return rc;
    const double tolerance = TOLER_ask_distance_tol();
    if (int rc = required<JAM::SectionCollection_Interface>("SectionCollection")
                     ->CreateSection(0.95 * tolerance, tolerance, TOLER_ask_angular_tol(), &section);
        rc != 0)
      return rc;
  } else {
    if (int rc = extrude->Direction(builder, &along); rc != 0) return rc;
    if (int rc = extrude->Section(builder, &section); rc != 0) return rc;
  }
  {
    Rules rules("SelectionIntentRule");
    auto* factory = required<JAM::ScRuleFactory_Interface>("ScRuleFactory");
    for (int i = 0; in.curves != nullptr && i < in.count; ++i) {
      tag_t rule = 0;
      const int rc = isEdge(in.curves[i]) ? factory->CreateRuleEdgeDumb(1, &in.curves[i], &rule)
                                          : factory->CreateRuleCurveDumb(1, &in.curves[i], &rule);
      if (rc != 0) return rc;
      rules.tags().push_back(rule);
    }
    if (editing)
      if (int rc = punch.RemoveAllRules(dynamic_cast<SC_section*>(OM::OM_object_of_tag(section))); rc != 0) return rc;
    const double help[3] = {0.0, 0.0, 0.0};
    if (int rc = required<JAM::Section_Interface>("Section")->AddToSection(
            section, static_cast<int>(rules.tags().size()), rules.tags().data(), help, false, false, false);
        rc != 0)
      return rc;
  }
  if (int rc = extrude->SetSection(builder, section); rc != 0) return rc;
  return extrude->SetDirection(builder, along);
}

// Each side's extend: its limit text, or the object it runs until.
int setExtrudeLimits(JAM::ExtrudeBuilder_Interface* extrude, tag_t builder, const ExtrudeInputs& in) {
  tag_t limits = 0;
  if (int rc = extrude->Limits(builder, &limits); rc != 0) return rc;
  auto* limit = required<JAM::Limits_Interface>("GeometricUtilities.Limits");
  auto* extend = required<JAM::Extend_Interface>("GeometricUtilities.Extend");
  for (const ExtrudeSide& side : in.sides) {
    tag_t end = 0;
    if (int rc = (limit->*side.get)(limits, &end); rc != 0) return rc;
    if (int rc = extend->SetType(end, side.untilSelected ? 2 : 0); rc != 0) return rc;
    if (side.untilSelected) {
      if (int rc = extend->SetTrimmingObject(end, side.object); rc != 0) return rc;
    } else if (side.value != nullptr) {
      tag_t value = 0;
      if (int rc = extend->Value(end, &value); rc != 0) return rc;
      if (int rc = setText(value, side.value); rc != 0) return rc;
    }
  }
  return 0;
}

// Whether a positive offset of a profile that is not planar goes the other
// way: which side it goes is the builder's, the texts follow the profile's
// turn (*against is left false when the side cannot be asked).
int offsetGoesAgainst(JAM::ExtrudeBuilder_Interface* extrude, tag_t builder, tag_t curve, bool* against) {
  double p[3], v[3];
  if (int rc = extrude->PointAndVector(builder, p, v); rc != 0) return rc;
  EVC_curve* evaluator = nullptr;
  if (int rc = EVC_initialize(curve, &evaluator); rc != 0) return rc;
  double t = 0.0, closest[3], q[3];
  EVC_ask_closest_point(evaluator, p, 0, &t, closest);
  t += t + 0.5 > 0.9999999999 ? -0.5 : 0.5;
  EVC_evaluate(evaluator, t, 0, q, nullptr);
  EVC_free(evaluator);
  *against = v[0] * (q[0] - p[0]) + v[1] * (q[1] - p[1]) + v[2] * (q[2] - p[2]) > -kSideLimit;
  return 0;
}

// The offset option and its expressions.
int setExtrudeOffset(DieDesDrawPunchBuilder& punch, JAM::ExtrudeBuilder_Interface* extrude, tag_t builder,
                     const ExtrudeInputs& in) {
  tag_t offsets = 0;
  if (int rc = extrude->FeatureOffset(builder, &offsets); rc != 0) return rc;
  auto* featureOffset = required<JAM::FeatureOffset_Interface>("GeometricUtilities.FeatureOffset");
  if (!in.offset) return featureOffset->SetOption(offsets, 0);
  std::string start = offsetText(in.startOffset), end = offsetText(in.endOffset);
  if (in.startOffset != nullptr && in.count > 0 && in.curves != nullptr && !punch.Is2DCurve(in.curves[0])) {
    bool against = false;
    if (int rc = offsetGoesAgainst(extrude, builder, in.curves[0], &against); rc != 0) return rc;
    if (against) {
      start = negated(start);
      end = negated(end);
    }
  }
  if (int rc = featureOffset->SetOption(offsets, in.startOffset != nullptr ? 1 : 3); rc != 0) return rc;
  tag_t expression = 0;
  if (in.startOffset != nullptr) {
    if (int rc = featureOffset->StartOffset(offsets, &expression); rc != 0) return rc;
    if (int rc = setText(expression, start); rc != 0) return rc;
  }
  if (int rc = featureOffset->EndOffset(offsets, &expression); rc != 0) return rc;
  return setText(expression, end);
}

// The draft option and angle, and the boolean with its target.
int setExtrudeDraftAndBoolean(JAM::ExtrudeBuilder_Interface* extrude, tag_t builder, const ExtrudeInputs& in) {
  if (int rc = extrude->SetDraftOption(builder, in.draft ? 1 : 0); rc != 0) return rc;
  if (in.draft) {
    tag_t angle = 0;
    if (int rc = extrude->DraftAngle(builder, &angle); rc != 0) return rc;
    if (int rc = setText(angle, in.draftAngle != nullptr ? in.draftAngle : "0"); rc != 0) return rc;
  }
  return extrude->SetBoolean(builder, in.boolean ? in.booleanType : 0, in.boolean ? in.target : 0);
}

// The extrude builder (already made) set from the inputs, in the order the
// host takes them, and committed.
int buildExtrude(DieDesDrawPunchBuilder& punch, tag_t builder, bool editing, const ExtrudeInputs& in,
                 tag_t* feature) {
  auto* extrude = required<JAM::ExtrudeBuilder_Interface>("Features.ExtrudeBuilder");
  if (int rc = setExtrudeSection(punch, extrude, builder, editing, in); rc != 0) return rc;
  if (int rc = extrude->SetBodyType(builder, in.bodyStyle); rc != 0) return rc;
  if (int rc = setExtrudeLimits(extrude, builder, in); rc != 0) return rc;
  if (int rc = setExtrudeOffset(punch, extrude, builder, in); rc != 0) return rc;
  if (int rc = setExtrudeDraftAndBoolean(extrude, builder, in); rc != 0) return rc;
  // A commit that fails hands back no feature: an edit keeps the tag of the
  // feature it edits, so that a second try edits it again instead of
  // making another beside it.
  tag_t committed = *feature;
  const int rc = required<JAM::FeatureBuilder_Interface>("Features.FeatureBuilder")->CommitFeature(builder, &committed);
  if (rc == 0) *feature = committed;
  return rc;
}

}  // namespace

namespace {
bool extrudeRaised = false;
}  // namespace

bool DieDesDrawPunchBuilder::LastExtrudeRaised() { return extrudeRaised; }

int DieDesDrawPunchBuilder::FeatExtrude(tag_t part, int count, const tag_t* curves, int bodyStyle,
                                        const double direction[3], const char* startLimit, const char* endLimit,
                                        bool offset, const char* startOffset, const char* endOffset, bool draft,
                                        const char* draftAngle, bool boolean, int booleanType, tag_t target,
                                        bool startUntilSelected, tag_t startObject, bool endUntilSelected,
                                        tag_t endObject, tag_t* feature) {
  if (feature == nullptr) return kMissingInput;
  // A limit up to an object no longer alive bounds nothing: the sweep would
  // be made against no face and the step reported done with nothing made.
  for (const auto& [until, object] : {std::pair{startUntilSelected, startObject}, std::pair{endUntilSelected, endObject}})
    if (until && OM::OM_object_of_tag(object) == nullptr) return kMissingInput;
  const ExtrudeInputs inputs{count,
                             curves,
                             bodyStyle,
                             direction,
                             {{&JAM::Limits_Interface::StartExtend, startUntilSelected, startObject, startLimit},
                              {&JAM::Limits_Interface::EndExtend, endUntilSelected, endObject, endLimit}},
                             offset,
                             startOffset,
                             endOffset,
                             draft,
                             draftAngle,
                             boolean,
                             booleanType,
                             target};
  const bool editing = *feature != 0;
  JAM::PartCollection_Interface* parts = nullptr;
  tag_t saved = 0;
  bool switched = false;
  std::unique_ptr<SessionMark> mark;
  tag_t builder = 0;
  auto build = [&]() -> int {
    parts = required<JAM::PartCollection_Interface>("PartCollection");
    if (int rc = parts->Work(&saved); rc != 0) return rc;
    if (int rc = parts->SetWork(part); rc != 0) return rc;
    switched = true;
    mark = std::make_unique<SessionMark>("Create Extrude Feature");
    if (int rc = required<JAM::FeatureCollection_Interface>("Features.FeatureCollection")
                     ->CreateExtrudeBuilder(*feature, &builder);
        rc != 0)
      return rc;
    return buildExtrude(*this, builder, editing, inputs, feature);
  };
  int status = 0;
  extrudeRaised = false;
  try {
    status = build();
    if (status == 0 && editing) status = updateEdited(*feature);
  } catch (const std::exception& e) {
    status = Support::MetError(e, kSource, 1320);
    extrudeRaised = true;
  }
  if (builder != 0) endStep(&status, 1320, [&] { required<JAM::Builder_Interface>("Builder")->Destroy(builder); });
  if (switched) endStep(&status, 1320, [&] { parts->SetWork(saved); });
  if (mark != nullptr) mark->finish(status);
  mark.reset();
  return status;
}

int DieDesDrawPunchBuilder::FeatChamfer(int count, const tag_t* edges, int option, double firstOffset,
                                        double secondOffset, double angle, int offsetMethod, bool firstFlag,
                                        bool secondFlag, tag_t* feature) {
  if (feature == nullptr) return kMissingInput;
  int error = 0, mark = 0;
  const bool editing = *feature != 0;
  tag_t builder = 0;
  int status = 0;
  try {
    mark = UNDO_QD_set_mark(1, "Draw Punch Chamfer", &error);
    if (error != 0) noteNoMark("Draw Punch Chamfer", error);
    auto* chamfer = required<JAM::ChamferBuilder_Interface>("Features.ChamferBuilder");
    required<JAM::FeatureCollection_Interface>("Features.FeatureCollection")->CreateChamferBuilder(*feature, &builder);
    auto build = [&]() -> int {
      if (builder == 0) return 1;
      if (!editing) {
        const tag_t collector = CreateDumbEdgeCollector(count, edges);
        if (collector == 0) return -1;  // nothing to chamfer: not a failure
        if (int rc = chamfer->SetEdges(builder, collector); rc != 0) return rc;
      } else {
        tag_t collector = 0;
        if (int rc = chamfer->Edges(builder, &collector); rc != 0) return rc;
        if (collector != 0) {
          Rules rules("EdgeDumbRule");
          tag_t rule = 0;
          if (int rc = required<JAM::ScRuleFactory_Interface>("ScRuleFactory")->CreateRuleEdgeDumb(count, edges, &rule);
              rc != 0)
            return rc;
          rules.tags().push_back(rule);
          if (int rc = required<JAM::ScCollector_Interface>("ScCollector")->ReplaceRules(collector, 1, &rule, true);
              rc != 0)
            return rc;
        }
      }
      if (int rc = chamfer->SetOption(builder, option); rc != 0) return rc;
      if (int rc = chamfer->SetFirstOffset(builder, fixed(firstOffset).c_str()); rc != 0) return rc;
      if (option == 0) {
        if (int rc = chamfer->SetOffsetMethod(builder, offsetMethod); rc != 0) return rc;
      } else if (option == 1) {
        if (int rc = chamfer->SetSecondOffset(builder, fixed(secondOffset).c_str()); rc != 0) return rc;
        if (int rc = chamfer->SetOffsetMethod(builder, offsetMethod); rc != 0) return rc;
        if (int rc = chamfer->SetFirstFlag(builder, firstFlag); rc != 0) return rc;
      } else {
        if (int rc = chamfer->SetAngle(builder, fixed(angle).c_str()); rc != 0) return rc;
        if (int rc = chamfer->SetFirstFlag(builder, firstFlag); rc != 0) return rc;
      }
      if (int rc = chamfer->SetSecondFlag(builder, secondFlag); rc != 0) return rc;
      if (int rc = chamfer->SetTolerance(builder, TOLER_ask_distance_tol()); rc != 0) return rc;
      tag_t made = 0;
      if (int rc = required<JAM::Builder_Interface>("Builder")->Commit(builder, &made); rc != 0) return rc;
      *feature = made;
      return updateEdited(made);
    };
    status = build();
  } catch (const std::exception& e) {
    status = Support::MetError(e, kSource, 4593);
  }
  if (status == -1) status = 0;
  if (builder != 0) endStep(&status, 4593, [&] { required<JAM::Builder_Interface>("Builder")->Destroy(builder); });
  // Every way out ends the mark; a failure first takes the model back to it.
  if (mark != 0 && error == 0) {
    if (status != 0 && status != kSuppressed) endStep(&status, 4593, [&] { UNDO_QD_undo_to_mark(mark, nullptr); });
    endStep(&status, 4593, [&] { UNDO_QD_delete_mark(mark, nullptr); });
  }
  return status;
}

int DieDesDrawPunchBuilder::FeatTrimSolid(int count, const tag_t* bodies, tag_t tool, bool reverse, tag_t* feature) {
  if (bodies == nullptr || count <= 0 || tool == 0 || feature == nullptr) return kMissingInput;
  const bool editing = *feature != 0;
  std::unique_ptr<SessionMark> mark;
  tag_t builder = 0;
  auto build = [&]() -> int {
    mark = std::make_unique<SessionMark>(nullptr);
    if (int rc = required<JAM::FeatureCollection_Interface>("Features.FeatureCollection")
                     ->CreateTrimBody2Builder(*feature, &builder);
        rc != 0)
      return rc;
    auto* trim = required<JAM::TrimBody2Builder_Interface>("Features.TrimBody2Builder");
    if (!editing) {
      SC_rule* rule = SC_BODYFactory::sc_body(count, bodies);
      SC_collector* targets = nullptr;
      try {
        targets = SC_collectorFactory::from_rules(workPartTag(), 1, &rule);
      } catch (...) {
        rule->destroy();
        throw;
      }
      rule->destroy();
      if (int rc = trim->SetTargets(builder, targets->OmTag()); rc != 0) return rc;
    } else {
      // An edit keeps its targets, but only a body rule can be a trim's.
      tag_t targets = 0;
      if (int rc = trim->Targets(builder, &targets); rc != 0) return rc;
      int rules = 0;
      Stamvik::HostBlock<int> kinds;
      if (int rc = required<JAM::ScCollector_Interface>("ScCollector")->RuleKinds(targets, &rules, kinds.out());
          rc != 0)
        return rc;
      const bool bodyRule = rules > 0 && kinds[0] == SC_rule::kBodyRule;
      kinds.reset();
      if (!bodyRule) return kMissingInput;
    }
    if (int rc = trim->SetTolerance(builder, TOLER_ask_distance_tol()); rc != 0) return rc;
    tag_t toolTag = 0;
    if (int rc = trim->BooleanTool(builder, &toolTag); rc != 0) return rc;
    auto* toolBuilder = dynamic_cast<FacePlaneToolBuilder*>(OM::OM_object_of_tag(toolTag));
    if (toolBuilder == nullptr) return kMissingInput;
    if (OM::OM_object_of_tag(tool) != nullptr && OM::OM_is_subclass(OM::OM_object_of_tag(tool)->OmClassId(), ES_plane::ThisClassId)) {
      toolBuilder->SetToolOption(1);
      toolBuilder->SetToolPlane(tool);
    } else {
      std::vector<int> faces;
      int type = 0, subtype = 0;
      RM_ask_entity_type_and_subtype(tool, &type, &subtype);
      if (type == 70 && subtype == 0) {
        int n = 0;
        Stamvik::HostBlock<tag_t> all;
        if (int rc = required<JAM::Body_Interface>("Body")->Faces(tool, &n, all.out()); rc != 0) return rc;
        faces.assign(all.get(), all.get() + n);
      } else if (subtype == 2) {
        if (int rc = GetTrimToolEids(tool, faces); rc != 0) return rc;
      } else {
        faces.push_back(static_cast<int>(tool));
      }
      const tag_t collector = TRIM_create_tool_face_collector(static_cast<int>(faces.size()), faces.data());
      toolBuilder->SetToolOption(0);
      FaceSetSelectionData* selection = toolBuilder->ask_face_selection();
      if (selection == nullptr) {
        selection = FaceSetSelectionDataFactory::Create(CONTEXT_ask_work_part());
        selection->set_flag(0);
      }
      toolBuilder->SetToolFaces(selection, collector);
    }
    if (int rc = trim->SetReverse(builder, reverse); rc != 0) return rc;
    auto* object = dynamic_cast<JAX_FEAT_BUILDER*>(OM::OM_object_of_tag(builder));
    if (object == nullptr) return kMissingInput;
    FEATURE_RECORD* made = nullptr;
    if (int rc = object->commit_feature(&made); rc != 0) return rc;
    if (editing) return updateEdited(*feature);
    *feature = OM::OM_ask_object_tag(made);
    return 0;
  };
  int status = 0;
  try {
    status = build();
  } catch (const std::exception& e) {
    status = Support::MetError(e, kSource, 1564);
  }
  // Every way out goes back through the builder and the mark; a failure also undoes what was made.
  if (builder != 0) endStep(&status, 1564, [&] { required<JAM::Builder_Interface>("Builder")->Destroy(builder); });
  if (mark != nullptr) mark->finish(status);
  mark.reset();
  return status;
}

int DieDesDrawPunchBuilder::GetTrimToolEids(tag_t object, std::vector<int>& kernelEntities) {
  const int entity = ES_solid_ask_solvane_tag(object);
  if (entity == 0) return kNoTrimToolBody;
  int body = 0, type = 0;
  ZV_FACE_ask_body(entity, &body);
  ZV_BODY_ask_type(body, &type);
  if (type == ZV_BODY_type_solid_c) {
    kernelEntities.push_back(static_cast<int>(object));
    return 0;
  }
  int count = 0;
  Stamvik::HostBlock<int> faces;
  ZV_BODY_ask_faces(body, &count, faces.out());
  for (int i = 0; i < count; ++i) kernelEntities.push_back(static_cast<int>(ES_ask_eid_of_kernel_entity(faces[i])));
  return 0;
}

int DieDesDrawPunchBuilder::FeatSheetBoundBox(unsigned int edit, int count, const tag_t* objects,
                                              const double* offsets, tag_t* body) {
  if (body == nullptr) return kMissingInput;
  std::optional<Stamvik::UndoMarkScope> mark;
  int status = 0;
  Stamvik::HostBlock<FACE_REFERENCE*> references;
  Stamvik::HostBlock<tag_t> occurrences;
  try {
    mark.emplace(nullptr);
    std::vector<tag_t> faces;
    for (int i = 0; objects != nullptr && i < count; ++i) {
      tag_t source = objects[i];
      int type = 0, subtype = 0;
      RM_ask_entity_type_and_subtype(source, &type, &subtype);
      if (type == 205) {
        int n = 0;
        Stamvik::HostBlock<tag_t> brefs;
        FREC_ask_brefs(source, &n, brefs.out());
        source = n > 0 ? BREF_ask_qdeid_of_bref(brefs[0]) : 0;
      }
      int n = 0;
      Stamvik::HostBlock<tag_t> found;
      ES_body_ask_faces(source, &n, found.out());
      faces.insert(faces.end(), found.get(), found.get() + n);
    }
    const int n = static_cast<int>(faces.size());
    // Nothing to bound is a missing input, not a success.
    if (faces.empty()) {
      status = kMissingInput;
    } else if (edit == 0) {
      double box[6];
      status = BOUNDBOX_ask_bounding_box_aligned_wcs(count, objects, box);
      if (status == 0) {
        AskFaceReference(n, faces.data(), references.out(), occurrences.out());
        tag_t feature = 0;
        status = EW_create_frec_by_face("", box, offsets, n, faces.data(), references.get(), &feature);
        if (status == 0) *body = GetFeatFirstBody(feature);
      }
    } else {
      AskFaceReference(n, faces.data(), references.out(), occurrences.out());
      status = EW_edit_faces_bound_box(FREC_ask_root_frec_of_body(*body), offsets, n, faces.data(), references.get());
    }
  } catch (const std::exception& e) {
    status = Support::MetError(e, kSource, 2067);
  }
  references.reset();
  occurrences.reset();
  if (status == 0 && mark) mark->Commit();
  mark.reset();
  return status;
}

}  // namespace KTX::Tooling
