// What a part holds, as the text ktxhost play prints after a play.
#include "script/PartReport.hpp"

#include <cmath>
#include <cstdio>
#include <map>

#include "afl/BooleanFeatures.hpp"
#include "afl/DieEngParms.hpp"
#include "afl/DrawBeadParms.hpp"
#include "afl/Parms.hpp"
#include "afl/TireEnvelope.hpp"
#include "assy/Assembly.hpp"
#include "geom/Faces.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "script/Internal.hpp"
#include "sel/Selection.hpp"
#include "sys/Memory.hpp"
#include "tool/Tooling.hpp"
#include "vd/KnowledgeRule.hpp"

namespace KTX::Script {
namespace {

std::string real(double d) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", d);
  return text;
}

// How the part's text names objects: the host's tags alone (the raw form),
// or, in the report, each also by the tag the journal gave it.
struct Naming {
  const std::map<tag_t, tag_t>* journalTags = nullptr;  // live -> the journal's; null: raw
  bool Report() const { return journalTags != nullptr; }
  std::string Tag(tag_t t) const {
    std::string out = std::to_string(t);
    if (!Report() || t == 0) return out;
    auto it = journalTags->find(t);
    return out + (it != journalTags->end() ? " (journal " + std::to_string(it->second) + ")" : " (made, not named)");
  }
};

std::string describeEntity(const DIEDES_GENERIC_ENTITY* e, const Naming& naming) {
  const bool report = naming.Report();
  std::string out;
  switch (e->AskKind()) {
    case DIEDES_GENERIC_ENTITY::kEmpty: return "empty";
    case DIEDES_GENERIC_ENTITY::kTags: out = "tags"; break;
    case DIEDES_GENERIC_ENTITY::kInts: out = "ints"; break;
    case DIEDES_GENERIC_ENTITY::kExpressions: out = "expressions"; break;
    case DIEDES_GENERIC_ENTITY::kDoubles: out = "doubles"; break;
    default: return report ? "records: " + std::to_string(e->AskCount()) : "records " + std::to_string(e->AskCount());
  }
  if (report) out += ":";
  for (int i = 0; i < e->AskCount(); ++i) {
    if (report && i > 0) out += ",";
    switch (e->AskKind()) {
      case DIEDES_GENERIC_ENTITY::kTags: {
        tag_t t = e->AskTag(i);
        out += " " + ShortClassName(OM::OM_object_of_tag(t)) + " " + naming.Tag(t);
        break;
      }
      case DIEDES_GENERIC_ENTITY::kInts: out += " " + std::to_string(e->AskInt(i)); break;
      case DIEDES_GENERIC_ENTITY::kDoubles: out += " " + real(e->AskDouble(i)); break;
      default: {
        const EXP_expression* x = e->AskExpression(i);
        out += x != nullptr ? " " + real(x->ask_value()) : std::string(" none");
      }
    }
  }
  if (e->AskFlag() != 0) out += (report ? "; flag " : " (flag ") + std::to_string(e->AskFlag()) + (report ? "" : ")");
  return out;
}

const char* yesNo(bool on) { return on ? "true" : "false"; }

void describeCompensation(std::string& out, const DieEng::CompensateRoughData* parms) {
  static const char* const approximations[] = {"Coarse", "Rough", "Fine", "Exact"};
  const int approximation = parms->GetApproximation();
  const auto* curve = dynamic_cast<const DieEng::CompensateRoughCurve*>(parms);
  const auto* sheet = dynamic_cast<const DieEng::CompensateRoughSheet*>(parms);
  out += std::string("  ") + (curve != nullptr ? "curve" : "sheet") + " compensation\n";
  out += std::string("  approximation ") +
         (approximation >= 0 && approximation < 4 ? approximations[approximation] : std::to_string(approximation).c_str()) +
         "\n";
  out += "  distance tolerance " + real(parms->GetDistanceTolerance()) + "\n";
  out += "  angle tolerance " + real(parms->GetAngleTolerance()) + "\n";
  out += "  maximum gap " + real(parms->GetMaximumGap()) + "\n";
  if (curve != nullptr) {
    const SC_section* curves = curve->GetCurveCollector();
    out += "  curves " + std::to_string(curves != nullptr ? curves->ask_count() : 0) + " in " +
           std::to_string(curves != nullptr ? curves->ask_loop_count() : 0) + " loops\n";
    const SC_collector* faces = curve->GetProjectToFaces();
    out += "  project to faces " + (faces != nullptr ? std::to_string(faces->ask_count()) : std::string("none")) + "\n";
    out += std::string("  join output curves ") + yesNo(curve->GetJoinOutputCurves()) + "\n";
  }
  if (sheet != nullptr) {
    const OM::TagVla* brefs = sheet->BodyReferences();
    out += "  sheet bodies " + std::to_string(brefs != nullptr ? brefs->Length() : 0) + "\n";
    out += std::string("  modify input sheet ") + yesNo(sheet->GetModifyInputSheet()) + "\n";
  }
}

void describeEntities(std::string& out, const std::string& prefix, const DIEDES_GENERIC_BODY_PARMS* parms,
                      const Naming& naming) {
  for (int i = 0; i < parms->GetNumEntities(); ++i)
    out += prefix + "entity " + std::to_string(i) + (naming.Report() ? ": " : " ") +
           describeEntity(parms->GetEntity(i), naming) + "\n";
}

// A draw bead's flags and the records of its segments and tapers.
void describeDrawBead(std::string& out, const DIE_DRBD_PARMS* parms, const Naming& naming) {
  char flags[16];
  std::snprintf(flags, sizeof flags, "0x%x", parms->GetFlags());
  out += std::string("  flags ") + flags + "\n";
  const ParmsChildren children = parms->Children();
  for (int c = 0; c < children.Count(); ++c) {
    FEATURE_PARMS* child = children.At(c);
    if (auto* module = dynamic_cast<DIEDES_GENERIC_PARENT_PARMS*>(child)) {
      const ParmsChildren segments = module->Children();
      out += "  segment records " + std::to_string(segments.Count()) + "\n";
      for (int i = 0; i < segments.Count(); ++i)
        if (auto* segment = dynamic_cast<DIEDES_GENERIC_BODY_PARMS*>(segments.At(i)))
          describeEntities(out, "  segment " + std::to_string(i) + " ", segment, naming);
    } else if (auto* taper = dynamic_cast<DIEDES_GEN_P_DRBD_TPR_PARMS*>(child)) {
      describeEntities(out, c == 1 ? "  start taper " : "  end taper ", taper, naming);
    }
  }
}

// A tire envelope's block, in brief: counts of what a field the commit left
// (still the allocation's filling) does not hold print as 0.
void describeTireEnvelope(std::string& out, const FEATURE_RECORD* frec) {
  Tireenv_params_s* block = TireEnvelope_ReadParms(frec);
  if (block == nullptr) return;
  const int driverPoints = block->driverPoints != nullptr   ? block->driverPointCount
                           : block->jointLines != nullptr ? block->jointLineCount
                                                          : 0;
  out += "  tire definition " + std::to_string(block->tireDefinition) + "\n";
  out += "  motion " + std::to_string(block->motion) + "\n";
  out += "  profile points " + std::to_string(block->profilePointCount) + "\n";
  out += "  driver path " + std::to_string(driverPoints) + "\n";
  out += "  sections " + std::to_string(block->applyOffset != 0 ? block->sectionCount : 0) + "\n";
  out += "  layers " + std::to_string(block->sectionLayer) + " " + std::to_string(block->sheetBodyLayer) + " " +
         std::to_string(block->profileSplineLayer) + " " + std::to_string(block->spindleLinesLayer) + "\n";
  TireEnvelope_FreeApplData(&block);
}

void describeFeature(std::string& out, FEATURE_RECORD* frec, const Naming& naming) {
  out += "feature " + naming.Tag(frec->OmTag());
  FEATURE_PARMS* parms = frec->ask_parms();
  out += " " + (parms != nullptr ? ShortClassName(parms) : std::string("(no parameters)")) + "\n";
  out += "  body " + naming.Tag(frec->ask_body_eid()) + "\n";
  out += "  updates " + std::to_string(frec->ask_update_count()) + "\n";
  if (frec->ask_name()[0] != '\0') out += std::string("  name ") + frec->ask_name() + "\n";
  if (frec->ask_version() != 0) out += "  version " + std::to_string(frec->ask_version()) + "\n";
  if (TireEnvelope_Is(frec) == 1) {
    describeTireEnvelope(out, frec);
    return;
  }
  if (auto* compensation = dynamic_cast<DieEng::CompensateRoughData*>(parms)) {
    describeCompensation(out, compensation);
    return;
  }
  if (auto* boolean = dynamic_cast<const BOOLEAN_parms*>(parms)) {
    const auto bodyOf = [&naming](tag_t bref) {
      auto* ref = dynamic_cast<const BREF_body_ref*>(OM::OM_object_of_tag(bref));
      return naming.Tag(ref != nullptr ? ref->ask_body() : 0);
    };
    out += "  boolean " + std::to_string(boolean->ask_type()) + " target " + bodyOf(boolean->ask_target_bref()) +
           " tools";
    for (tag_t bref : boolean->ask_tool_brefs()) out += " " + bodyOf(bref);
    out += "\n";
    return;
  }
  auto* body = dynamic_cast<DIEDES_GENERIC_BODY_PARMS*>(parms);
  if (body == nullptr) return;
  out += "  distance tolerance " + real(body->GetDistanceTolerance()) + "\n";
  out += "  angle tolerance " + real(body->GetAngleTolerance()) + "\n";
  out += "  algorithm version " + std::to_string(body->GetAlgorithmVersion()) + "\n";
  describeEntities(out, "  ", body, naming);
  if (auto* bead = dynamic_cast<DIE_DRBD_PARMS*>(body)) describeDrawBead(out, bead, naming);
  DieAttributesRecord* attributes = body->AskDieAttributes();
  if (attributes != nullptr) {
    if (attributes->title[0] != '\0' || attributes->value[0] != '\0' || attributes->number != 0)
      out += std::string("  die attributes \"") + attributes->title + "\" \"" + attributes->value + "\" " +
             std::to_string(attributes->number) + "\n";
    SM_free(attributes);
  }
}

// What the part holds, named as `naming` says; the number of features and
// of bodies in *features and *bodies.
// A body's geometry in host units: its volume (not for a sheet) and its box
// along the world axes; nothing for a body without geometry.
std::string geometryText(int kernelBody) {
  double min[3], max[3];
  if (!Kernel::Bounds(kernelBody, min, max)) return {};
  const double toHost = Kernel::ScaleFactors().factors[1];
  // What the modeller leaves of a zero (1e-13 mm and the like) prints as 0.
  auto number = [](double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", std::fabs(value) < 1e-9 ? 0.0 : value);
    return std::string(text);
  };
  // A sheet has no volume: its box alone.
  std::string text = Kernel::IsSheet(kernelBody)
                         ? std::string(" box")
                         : " volume " + number(Kernel::Volume(kernelBody) * toHost * toHost * toHost) + " mm3 box";
  for (const double* corner : {min, max})
    for (int k = 0; k < 3; ++k) text += " " + number(corner[k] * toHost);
  return text + " mm";
}

std::string describePart(const PART_part* part, const Naming& naming, int* features, int* bodies) {
  std::string out;
  *features = *bodies = 0;
  if (part == nullptr) return "no part\n";
  out += "part " + naming.Tag(part->OmTag()) + (part->UnitCode() == 1 ? " inch" : " millimetre") + "\n";
  for (tag_t t : Host::KeptInPart(part)) {
    OM::Object* object = OM::OM_object_of_tag(t);
    if (auto* frec = dynamic_cast<FEATURE_RECORD*>(object)) {
      describeFeature(out, frec, naming);
      ++*features;
    }
  }
  for (tag_t t : Host::FeatureSetsOfPart(part)) {
    auto* set = static_cast<FSET_feature_set*>(OM::OM_object_of_tag(t));
    out += "feature set " + naming.Tag(t) + " \"" + set->ask_name() + "\"\n";
    for (tag_t member : set->ask_members()) {
      out += "  member " + naming.Tag(member);
      for (const std::string& title : ATTR_ask_titles(member)) out += " " + title;
      out += "\n";
    }
  }
  for (const KF_rule_instance* rule : KnowledgeRule::Instances(part)) {
    out += std::string("rule ") + rule->ask_name() + " " + rule->ask_rule_class() + "\n  parameters";
    for (const std::string& name : rule->ParameterNames()) out += " " + name;
    out += "\n";
  }
  for (tag_t t : Host::KeptInPart(part)) {
    auto* body = dynamic_cast<ES_solid*>(OM::OM_object_of_tag(t));
    if (body == nullptr) continue;
    int type = 0;
    const char* kind = "(no kernel body)";
    if (body->ask_kernel_body() != 0 && ZV_BODY_ask_type(body->ask_kernel_body(), &type) == 0)
      kind = type == ZV_BODY_type_sheet_c ? "sheet" : "solid";
    out += "body " + naming.Tag(t) + " " + kind + geometryText(body->ask_kernel_body()) + "\n";
    ++*bodies;
  }
  // The solids of the parts the play made beside it (a tire body's part).
  for (tag_t t : Host::KeptInPart(part)) {
    auto* other = dynamic_cast<PART_part*>(OM::OM_object_of_tag(t));
    if (other == nullptr) continue;
    for (tag_t u : Host::KeptInPart(other)) {
      auto* body = dynamic_cast<ES_solid*>(OM::OM_object_of_tag(u));
      if (body == nullptr || !Kernel::HasGeometry(body->ask_kernel_body())) continue;
      out += "body " + naming.Tag(u) + " solid" + geometryText(body->ask_kernel_body()) + " in part \"" +
             Assy::NameOfPart(other) + "\"\n";
      ++*bodies;
    }
  }
  return out;
}

}  // namespace

std::string DescribePart(const PART_part* part) {
  int features = 0, bodies = 0;
  return describePart(part, Naming{}, &features, &bodies);
}

std::vector<int> GeometryBodies(const PART_part* part) {
  std::vector<int> found;
  for (tag_t t : Host::KeptInPart(part)) {
    if (auto* body = dynamic_cast<ES_solid*>(OM::OM_object_of_tag(t)))
      if (Kernel::HasGeometry(body->ask_kernel_body())) found.push_back(body->ask_kernel_body());
    // And those of the parts made beside it.
    if (auto* other = dynamic_cast<PART_part*>(OM::OM_object_of_tag(t)))
      for (tag_t u : Host::KeptInPart(other))
        if (auto* body = dynamic_cast<ES_solid*>(OM::OM_object_of_tag(u)))
          if (Kernel::HasGeometry(body->ask_kernel_body())) found.push_back(body->ask_kernel_body());
  }
  return found;
}

std::string ReportPart(const PART_part* part, const PlaySummary& played) {
  std::map<tag_t, tag_t> journalTags;  // live -> the journal's
  for (const auto& [journal, live] : played.objects) journalTags.emplace(live, journal);
  int features = 0, bodies = 0;
  std::string out = describePart(part, Naming{&journalTags}, &features, &bodies);
  out += "bodies " + std::to_string(bodies) + "\n";
  out += "played " + std::to_string(played.records) + (played.records == 1 ? " record, " : " records, ") +
         std::to_string(features) + (features == 1 ? " feature, " : " features, ") + std::to_string(bodies) +
         (bodies == 1 ? " body" : " bodies") + " alive; status 0 (success)\n";
  return out;
}

}  // namespace KTX::Script
