// The host's scripting classes, the bindings and the journal player.
#include "script/ScriptHost.hpp"

#include "geom/Curve.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <tuple>

#include "afl/BodyUtils.hpp"
#include "afl/BooleanFeatures.hpp"
#include "afl/DieEngParms.hpp"
#include "afl/DrawBeadParms.hpp"
#include "afl/Parms.hpp"
#include "afl/TireEnvelope.hpp"
#include "exp/Expression.hpp"
#include "geom/Faces.hpp"
#include "geom/Geometry.hpp"
#include "jam/Internal.hpp"
#include "assy/Assembly.hpp"
#include "kernel/Kernel.hpp"
#include "prop/PropertyMapper.hpp"
#include "sel/Selection.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/TextFile.hpp"
#include "sys/Memory.hpp"
#include "tool/Tooling.hpp"
#include "vd/KnowledgeRule.hpp"

namespace KTX::Script {
namespace {

// ---- bindings --------------------------------------------------------------------

struct Binding {
  JAM_replay_fn play;
  MemberSignature signature;
  bool host;
};
using Key = std::tuple<std::string, int, std::string>;

std::map<Key, std::vector<Binding>>& bindings() {
  static auto* table = new std::map<Key, std::vector<Binding>>;
  return *table;
}

// Whether two forms of a member name their arguments alike.
bool sameNames(const MemberSignature& a, const MemberSignature& b) {
  if (a.count != b.count) return false;
  for (int i = 0; i < a.count; ++i) {
    const char* x = a.values[i].name;
    const char* y = b.values[i].name;
    if ((x == nullptr) != (y == nullptr) || (x != nullptr && std::strcmp(x, y) != 0)) return false;
  }
  return true;
}
bool namesRecorded(const MemberSignature& s, const JAM::Record& r) {
  if (s.count != static_cast<int>(r.values.size())) return false;
  for (int i = 0; i < s.count; ++i)
    if (s.values[i].name != nullptr && r.values[static_cast<std::size_t>(i)].name != s.values[i].name) return false;
  return true;
}

bool bindingHost = false;  // set while the host binds its own classes

// ---- a journalled host call --------------------------------------------------------
// Opens its record (a property call for type 1 or 2), runs the body and
// closes the record with the body's status; a host error raised on the way
// becomes the status, as it does in the plug-in's journalled bodies.
template <class RecordFn, class Body>
int journalled(const char* journalClass, int methodType, const char* member, JAM_replay_fn replay, RecordFn&& record,
               Body&& body) {
  JAM_type_class_s* handle = JAM_lookup_or_create_class(journalClass);
  if (methodType == 0)
    JAM_start_call(handle, member, replay);
  else
    JAM_start_property_call(handle, methodType, member, replay);
  int status = 0;
  try {
    record();
    JAM_end_of_arguments();
    status = body();
  } catch (const Error::Exception& e) {
    status = e.askCode();
  } catch (const std::exception& e) {
    status = Error::Severe::Convert(e).askCode();
  }
  JAM_end_call(status);
  return status;
}

JAM_type_class_s* classOf(const char* name) { return JAM_lookup_or_create_class(name); }

template <class T>
T* argument(JAM::Call& call, int i) {
  return static_cast<T*>(call.Argument(i));
}

// ---- replay callbacks of the host's classes -----------------------------------------

void replaySessionWorkPart(JAM::Call& c) { c.SetStatus(Session_get_WorkPart(argument<tag_t>(c, 0))); }
void replayPartDieCollection(JAM::Call& c) { c.SetStatus(Part_get_DieCollection(c.Tag(), argument<tag_t>(c, 0))); }
void replayPartAutoDieCollection(JAM::Call& c) {
  c.SetStatus(Part_get_AutoDieCollection(c.Tag(), argument<tag_t>(c, 0)));
}
void replayPartAutomotiveCollection(JAM::Call& c) {
  c.SetStatus(Part_get_AutomotiveCollection(c.Tag(), argument<tag_t>(c, 0)));
}
void replayPartSolid(JAM::Call& c) { c.SetStatus(Part_CreateSolidBody(c.Tag(), argument<tag_t>(c, 0))); }
void replayPartBlock(JAM::Call& c) {
  auto* const* points = static_cast<JAM_point3d_s* const*>(c.ArrayAddress(0));
  c.SetStatus(Part_CreateSolidBody(c.Tag(), *argument<int>(c, 0), points != nullptr ? *points : nullptr,
                                   argument<tag_t>(c, 1)));
}
void replayPartSheet(JAM::Call& c) { c.SetStatus(Part_CreateSheetBody(c.Tag(), argument<tag_t>(c, 0))); }
void replayPartFlatSheet(JAM::Call& c) {
  auto* const* points = static_cast<JAM_point3d_s* const*>(c.ArrayAddress(0));
  c.SetStatus(Part_CreateSheetBody(c.Tag(), *argument<int>(c, 0), points != nullptr ? *points : nullptr,
                                   argument<tag_t>(c, 1)));
}
void replayPartPlane(JAM::Call& c) {
  auto* const* points = static_cast<JAM_point3d_s* const*>(c.ArrayAddress(0));
  c.SetStatus(Part_CreatePlane(c.Tag(), *argument<int>(c, 0), points != nullptr ? *points : nullptr,
                               argument<tag_t>(c, 1)));
}
void replayPartLine(JAM::Call& c) {
  auto* const* points = static_cast<JAM_point3d_s* const*>(c.ArrayAddress(0));
  c.SetStatus(Part_CreateLine(c.Tag(), *argument<int>(c, 0), points != nullptr ? *points : nullptr,
                              argument<tag_t>(c, 1)));
}
template <int (*Create)(tag_t, int, const JAM_point3d_s*, tag_t*)>
void replayPartEntity(JAM::Call& c) {
  auto* const* points = static_cast<JAM_point3d_s* const*>(c.ArrayAddress(0));
  c.SetStatus(Create(c.Tag(), *argument<int>(c, 0), points != nullptr ? *points : nullptr, argument<tag_t>(c, 1)));
}
void replayPartPoint(JAM::Call& c) { replayPartEntity<&Part_CreatePoint>(c); }
void replayPartDirection(JAM::Call& c) { replayPartEntity<&Part_CreateDirection>(c); }
void replayPartCsys(JAM::Call& c) { replayPartEntity<&Part_CreateCoordinateSystem>(c); }
void replayCommit(JAM::Call& c) { c.SetStatus(Builder_Commit(c.Object(), argument<tag_t>(c, 0))); }
void replayPreview(JAM::Call& c) { c.SetStatus(Builder_Preview(c.Object(), argument<int>(c, 0))); }
void replayDestroy(JAM::Call& c) { c.SetStatus(Builder_Destroy(c.Object())); }
void replaySelectValue(JAM::Call& c) {
  c.SetStatus(SelectObject_set_Value(dynamic_cast<SELECT_OBJECT*>(c.Object()), *argument<tag_t>(c, 0)));
}
void replayListAdd(JAM::Call& c) {
  c.SetStatus(SelectObjectList_Add(dynamic_cast<SELECT_OBJECT_list*>(c.Object()), *argument<tag_t>(c, 0)));
}
void replayAddLoop(JAM::Call& c) {
  auto* const* points = static_cast<JAM_point3d_s* const*>(c.ArrayAddress(1));
  c.SetStatus(Section_AddLoop(dynamic_cast<SC_section*>(c.Object()), *argument<int>(c, 0), *argument<int>(c, 1),
                              points != nullptr ? *points : nullptr));
}
void replayAddLines(JAM::Call& c) {
  auto* const* points = static_cast<JAM_point3d_s* const*>(c.ArrayAddress(1));
  c.SetStatus(Section_AddLines(dynamic_cast<SC_section*>(c.Object()), *argument<int>(c, 0), *argument<int>(c, 1),
                               points != nullptr ? *points : nullptr));
}
void replayRightHandSide(JAM::Call& c) {
  c.SetStatus(Expression_set_RightHandSide(dynamic_cast<EXP_expression*>(c.Object()), *argument<const char*>(c, 0)));
}
void replayValue(JAM::Call& c) {
  c.SetStatus(Expression_get_Value(dynamic_cast<EXP_expression*>(c.Object()), argument<double>(c, 0)));
}

void replayLocationExpression(JAM::Call& c) {
  c.SetStatus(OnPathDimensionBuilder_get_Expression(dynamic_cast<OnPathDimBuilder*>(c.Object()),
                                                    argument<tag_t>(c, 0)));
}
void replayObjectListAppend(JAM::Call& c) { c.SetStatus(ObjectList_Append(c.Tag(), *argument<tag_t>(c, 0))); }
void replayObjectListFindItem(JAM::Call& c) {
  c.SetStatus(ObjectList_FindItem(c.Tag(), *argument<int>(c, 0), argument<tag_t>(c, 1)));
}

// What the host's own members' records hold.
using JAM::Direction;
using JAM::ValueKind;
constexpr ValueSignature kWorkPart[] = {{Direction::Result, ValueKind::Tag, "Part"}};
constexpr ValueSignature kDieCollection[] = {{Direction::Result, ValueKind::Tag, "Die.DieCollection"}};
constexpr ValueSignature kAutoDieCollection[] = {{Direction::Result, ValueKind::Tag, "Tooling.AutoDieCollection"}};
constexpr ValueSignature kAutomotiveCollection[] = {
    {Direction::Result, ValueKind::Tag, "Features.AutomotiveCollection"}};
constexpr ValueSignature kBody[] = {{Direction::Result, ValueKind::Tag, "Body"}};
constexpr ValueSignature kFlatSheet[] = {{Direction::In, ValueKind::StructArray, "Point3d", "points"},
                                         {Direction::Result, ValueKind::Tag, "Body"}};
constexpr ValueSignature kPlane[] = {{Direction::In, ValueKind::StructArray, "Point3d"},
                                     {Direction::Result, ValueKind::Tag, "Plane"}};
constexpr ValueSignature kLine[] = {{Direction::In, ValueKind::StructArray, "Point3d"},
                                    {Direction::Result, ValueKind::Tag, "Line"}};
constexpr ValueSignature kPoint[] = {{Direction::In, ValueKind::StructArray, "Point3d"},
                                     {Direction::Result, ValueKind::Tag, "Point"}};
constexpr ValueSignature kDirection[] = {{Direction::In, ValueKind::StructArray, "Point3d"},
                                         {Direction::Result, ValueKind::Tag, "Direction"}};
constexpr ValueSignature kCsys[] = {{Direction::In, ValueKind::StructArray, "Point3d"},
                                    {Direction::Result, ValueKind::Tag, "CoordinateSystem"}};
constexpr ValueSignature kCommitted[] = {{Direction::Result, ValueKind::Tag, "TaggedObject"}};
constexpr ValueSignature kPreviewCount[] = {{Direction::Result, ValueKind::Integer, nullptr}};
constexpr ValueSignature kAnObject[] = {{Direction::In, ValueKind::Tag, "TaggedObject"}};
constexpr ValueSignature kListItem[] = {{Direction::In, ValueKind::Integer, nullptr},
                                        {Direction::Result, ValueKind::Tag, "TaggedObject"}};
constexpr ValueSignature kLoop[] = {{Direction::In, ValueKind::Integer, nullptr},
                                    {Direction::In, ValueKind::StructArray, "Point3d"}};
constexpr ValueSignature kText[] = {{Direction::In, ValueKind::String, nullptr}};
constexpr ValueSignature kDouble[] = {{Direction::Result, ValueKind::Double, nullptr}};
constexpr ValueSignature kExpression[] = {{Direction::Result, ValueKind::Tag, "Expression"}};

template <std::size_t N>
constexpr MemberSignature On(char object, const ValueSignature (&values)[N]) {
  return {object, values, static_cast<int>(N)};
}

struct HostBindings {
  HostBindings() {
    bindingHost = true;
    Bind("Session", 1, "WorkPart", &replaySessionWorkPart, On(0, kWorkPart));
    Bind("Part", 1, "DieCollection", &replayPartDieCollection, On('t', kDieCollection));
    Bind("Part", 1, "AutoDieCollection", &replayPartAutoDieCollection, On('t', kAutoDieCollection));
    Bind("Part", 1, "AutomotiveCollection", &replayPartAutomotiveCollection, On('t', kAutomotiveCollection));
    Bind("Part", 0, "CreateSolidBody", &replayPartSolid, On('t', kBody));
    Bind("Part", 0, "CreateSheetBody", &replayPartSheet, On('t', kBody));
    Bind("Part", 0, "CreateSheetBody", &replayPartFlatSheet, On('t', kFlatSheet));
    Bind("Part", 0, "CreateSolidBody", &replayPartBlock, On('t', kFlatSheet));
    Bind("Part", 0, "CreatePlane", &replayPartPlane, On('t', kPlane));
    Bind("Part", 0, "CreateLine", &replayPartLine, On('t', kLine));
    Bind("Part", 0, "CreatePoint", &replayPartPoint, On('t', kPoint));
    Bind("Part", 0, "CreateDirection", &replayPartDirection, On('t', kDirection));
    Bind("Part", 0, "CreateCoordinateSystem", &replayPartCsys, On('t', kCsys));
    Bind("Builder", 0, "Commit", &replayCommit, On('p', kCommitted));
    Bind("Builder", 0, "Preview", &replayPreview, On('p', kPreviewCount));
    Bind("Builder", 0, "Destroy", &replayDestroy, MemberSignature{'p', nullptr, 0});
    Bind("SelectObject", 2, "Value", &replaySelectValue, On('p', kAnObject));
    Bind("SelectObjectList", 0, "Add", &replayListAdd, On('p', kAnObject));
    Bind("Section", 0, "AddLoop", &replayAddLoop, On('p', kLoop));
    Bind("Section", 0, "AddLines", &replayAddLines, On('p', kLoop));
    Bind("Expression", 2, "RightHandSide", &replayRightHandSide, On('p', kText));
    Bind("Expression", 1, "Value", &replayValue, On('p', kDouble));
    Bind("OnPathDimensionBuilder", 1, "Expression", &replayLocationExpression, On('p', kExpression));
    Bind("ObjectList", 0, "Append", &replayObjectListAppend, On('t', kAnObject));
    Bind("ObjectList", 0, "FindItem", &replayObjectListFindItem, On('t', kListItem));
    bindingHost = false;
  }
};
HostBindings hostBindings;

[[noreturn]] void raise(int code, const char* what) { ERROR_raise("ScriptHost", 0, code, "%s", what); }

template <class T>
T* need(T* object, int code, const char* what) {
  if (object == nullptr) raise(code, what);
  return object;
}

tag_t makeBody(tag_t partTag, Kernel::BodyType type) {
  PART_part* part = need(PART_of_tag(partTag), Error::kBadObject, "no part");
  ES_solid* body = ES_solid::Make(part, Kernel::CreateBody(type));
  return body->OmTag();
}

Previewer previewer = nullptr;  // the host dialogs' previews, once they are loaded
CommitFollower commitFollower = nullptr;  // the host dialogs' step after a commit

std::string real(double d) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", d);
  return text;
}

std::string shortClass(const OM::Object* object) {
  const char* name = object != nullptr ? OM::OM_ask_class_name(object->OmClassId()) : nullptr;
  if (name == nullptr) return "?";
  std::string s = name;
  std::size_t colon = s.rfind("::");
  return colon == std::string::npos ? s : s.substr(colon + 2);
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
        out += " " + shortClass(OM::OM_object_of_tag(t)) + " " + naming.Tag(t);
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
  out += " " + (parms != nullptr ? shortClass(parms) : std::string("(no parameters)")) + "\n";
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

void Bind(const char* journalClass, int methodType, const char* member, JAM_replay_fn play,
          const MemberSignature& signature) {
  std::vector<Binding>& forms = bindings()[Key{journalClass, methodType, member}];
  for (Binding& b : forms)
    if (sameNames(b.signature, signature)) {
      b = Binding{play, signature, bindingHost};
      return;
    }
  forms.push_back(Binding{play, signature, bindingHost});
}

JAM_replay_fn Bound(const std::string& journalClass, int methodType, const std::string& member,
                    MemberSignature* signature, const JAM::Record* record) {
  auto it = bindings().find(Key{journalClass, methodType, member});
  if (it == bindings().end() || it->second.empty()) return nullptr;
  const Binding* chosen = &it->second.front();
  if (record != nullptr)
    for (const Binding& b : it->second)
      if (namesRecorded(b.signature, *record)) {
        chosen = &b;
        break;
      }
  if (signature != nullptr) *signature = chosen->signature;
  return chosen->play;
}

void UnbindPlugin() {
  for (auto it = bindings().begin(); it != bindings().end();) {
    std::erase_if(it->second, [](const Binding& b) { return !b.host; });
    if (it->second.empty())
      it = bindings().erase(it);
    else
      ++it;
  }
}

// ---- the host's scripting classes ---------------------------------------------------

int Session_get_WorkPart(tag_t* part) {
  return journalled(
      "Session", 1, "WorkPart", &replaySessionWorkPart,
      [&] { JAM_result_tag(classOf("Part"), part, "workpart"); },
      [&] {
        PART_part* work = PART_ask_work_part();
        *part = work != nullptr ? work->OmTag() : 0;
        return 0;
      });
}

namespace {
// Each collection of a part is the part itself, known to scripts by the
// collection's class.
int partCollection(tag_t part, const char* member, JAM_replay_fn replay, const char* collectionClass,
                   const char* resultName, tag_t* collection) {
  return journalled(
      "Part", 1, member, replay,
      [&] {
        JAM_this(part);
        JAM_result_tag(classOf(collectionClass), collection, resultName);
      },
      [&] {
        *collection = 0;
        *collection = need(PART_of_tag(part), Error::kBadObject, "no part")->OmTag();
        return 0;
      });
}
}  // namespace

int Part_get_DieCollection(tag_t part, tag_t* collection) {
  return partCollection(part, "DieCollection", &replayPartDieCollection, "Die.DieCollection", "diecollection", collection);
}

int Part_get_AutoDieCollection(tag_t part, tag_t* collection) {
  return partCollection(part, "AutoDieCollection", &replayPartAutoDieCollection, "Tooling.AutoDieCollection", "autodiecollection", collection);
}

int Part_get_AutomotiveCollection(tag_t part, tag_t* collection) {
  return partCollection(part, "AutomotiveCollection", &replayPartAutomotiveCollection, "Features.AutomotiveCollection", "automotivecollection", collection);
}

int Part_CreateSolidBody(tag_t part, tag_t* body) {
  return journalled(
      "Part", 0, "CreateSolidBody", &replayPartSolid,
      [&] {
        JAM_this(part);
        JAM_result_tag(classOf("Body"), body, "body");
      },
      [&] {
        *body = 0;
        *body = makeBody(part, Kernel::BodyType::Solid);
        return 0;
      });
}

int Part_CreateSheetBody(tag_t part, tag_t* body) {
  return journalled(
      "Part", 0, "CreateSheetBody", &replayPartSheet,
      [&] {
        JAM_this(part);
        JAM_result_tag(classOf("Body"), body, "body");
      },
      [&] {
        *body = 0;
        *body = makeBody(part, Kernel::BodyType::Sheet);
        return 0;
      });
}

int Part_CreateSolidBody(tag_t part, int count, const JAM_point3d_s* points, tag_t* body) {
  return journalled(
      "Part", 0, "CreateSolidBody", &replayPartBlock,
      [&] {
        JAM_this(part);
        JAM_in_struct_array(JAM_lookup_struct("Point3d"), count, points, "points");
        JAM_result_tag(classOf("Body"), body, "body");
      },
      [&] {
        *body = 0;
        PART_part* in = need(PART_of_tag(part), Error::kBadObject, "no part");
        if (count != 2 || points == nullptr) return kBadLoop;
        const double toKernel = Kernel::ScaleFactors().factors[0];
        const double low[3] = {std::min(points[0].x, points[1].x) * toKernel,
                               std::min(points[0].y, points[1].y) * toKernel,
                               std::min(points[0].z, points[1].z) * toKernel};
        const double high[3] = {std::max(points[0].x, points[1].x) * toKernel,
                                std::max(points[0].y, points[1].y) * toKernel,
                                std::max(points[0].z, points[1].z) * toKernel};
        if (low[0] == high[0] || low[1] == high[1] || low[2] == high[2]) return kBadLoop;
        // The box's floor, swept up to its top.
        const std::vector<double> floor = {low[0], low[1], low[2], high[0], low[1], low[2],
                                           high[0], high[1], low[2], low[0], high[1], low[2]};
        const double up[3] = {0, 0, 1}, rise[3] = {0, 0, high[2] - low[2]};
        int kernelBody = 0;
        if (const int code = Kernel::MakePlanarSheet({floor}, low, up, &kernelBody); code != 0) return code;
        ZV_TOPOL_track_r_t tracking{};
        const int code = ZV_BODY_sweep(kernelBody, rise, &tracking);
        ZV_TOPOL_track_r_f(&tracking);
        if (code != 0) {
          Kernel::DeleteBody(kernelBody, "Part_CreateSolidBody");
          return code;
        }
        *body = ES_solid::MakeOwning(in, kernelBody)->OmTag();
        return 0;
      });
}

int Part_CreateSheetBody(tag_t part, int count, const JAM_point3d_s* points, tag_t* body) {
  return journalled(
      "Part", 0, "CreateSheetBody", &replayPartFlatSheet,
      [&] {
        JAM_this(part);
        JAM_in_struct_array(JAM_lookup_struct("Point3d"), count, points, "points");
        JAM_result_tag(classOf("Body"), body, "body");
      },
      [&] {
        *body = 0;
        PART_part* in = need(PART_of_tag(part), Error::kBadObject, "no part");
        if (count != 3 || points == nullptr) return kBadLoop;
        for (int i = 0; i < count; ++i)
          if (!std::isfinite(points[i].x) || !std::isfinite(points[i].y) || !std::isfinite(points[i].z))
            return kBadLoop;
        // The face spans the corner's two sides; its normal is the first crossed with the second.
        FaceFrame face{{points[0].x, points[0].y, points[0].z},
                       {points[1].x - points[0].x, points[1].y - points[0].y, points[1].z - points[0].z,
                        points[2].x - points[0].x, points[2].y - points[0].y, points[2].z - points[0].z, 0, 0, 0}};
        const double* a = face.matrix;
        const double* b = face.matrix + 3;
        double* n = face.matrix + 6;
        n[0] = a[1] * b[2] - a[2] * b[1];
        n[1] = a[2] * b[0] - a[0] * b[2];
        n[2] = a[0] * b[1] - a[1] * b[0];
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length == 0.0) return kBadLoop;
        for (int k = 0; k < 3; ++k) n[k] /= length;
        // A real planar sheet, so that what is built on it is real too.
        const double toKernel = Kernel::ScaleFactors().factors[0];
        std::vector<double> corners;
        for (const int corner : {0, 1, 3, 2})
          for (int k = 0; k < 3; ++k)
            corners.push_back((face.origin[k] + (corner & 1) * a[k] + (corner >> 1) * b[k]) * toKernel);
        const double at[3] = {corners[0], corners[1], corners[2]};
        int sheet = 0;
        if (Kernel::MakePlanarSheet({corners}, at, n, &sheet) != 0) return kBadLoop;
        *body = ES_create_body_of_geometry(in, sheet);
        return 0;
      });
}

namespace {

// Any frame whose third row is the direction (made unit); false for a
// direction of zero length or one that is not finite.
bool frameAlong(const JAM_point3d_s& direction, double matrix[9]) {
  const double n[3] = {direction.x, direction.y, direction.z};
  const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (length == 0.0 || !std::isfinite(length)) return false;
  const double z[3] = {n[0] / length, n[1] / length, n[2] / length};
  const double seed[3] = {std::fabs(z[0]) < 0.9 ? 1.0 : 0.0, std::fabs(z[0]) < 0.9 ? 0.0 : 1.0, 0.0};
  double x[3] = {seed[1] * z[2] - seed[2] * z[1], seed[2] * z[0] - seed[0] * z[2], seed[0] * z[1] - seed[1] * z[0]};
  const double xl = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
  for (double& v : x) v /= xl;
  const double y[3] = {z[1] * x[2] - z[2] * x[1], z[2] * x[0] - z[0] * x[2], z[0] * x[1] - z[1] * x[0]};
  for (int k = 0; k < 3; ++k) {
    matrix[k] = x[k];
    matrix[3 + k] = y[k];
    matrix[6 + k] = z[k];
  }
  return true;
}

bool finitePoints(int count, const JAM_point3d_s* points) {
  for (int i = 0; i < count; ++i)
    if (!std::isfinite(points[i].x) || !std::isfinite(points[i].y) || !std::isfinite(points[i].z)) return false;
  return true;
}

// A point, a direction or a coordinate system made in the part from "points"
// (one point; or an origin and a direction, the coordinate system's Z axis).
int createEntity(const char* member, JAM_replay_fn replay, const char* journalClass, const char* result,
                 tag_t part, int count, const JAM_point3d_s* points, tag_t* entity) {
  return journalled(
      "Part", 0, member, replay,
      [&] {
        JAM_this(part);
        JAM_in_struct_array(JAM_lookup_struct("Point3d"), count, points, "points");
        JAM_result_tag(classOf(journalClass), entity, result);
      },
      [&] {
        *entity = 0;
        PART_part* in = need(PART_of_tag(part), Error::kBadObject, "no part");
        const int wanted = std::strcmp(journalClass, "Point") == 0 ? 1 : 2;
        if (count != wanted || points == nullptr || !finitePoints(count, points)) return kBadLoop;
        const double origin[3] = {points[0].x, points[0].y, points[0].z};
        if (wanted == 1) {
          PART_part* work = PART_ask_work_part();
          PART_set_work_part(in);
          *entity = ES_create_point(origin);
          PART_set_work_part(work);
          return 0;
        }
        double matrix[9];
        if (!frameAlong(points[1], matrix)) return kBadLoop;
        if (std::strcmp(journalClass, "Direction") == 0) {
          *entity = DIRR_create_doubles(in, 0, origin, matrix + 6);
          return 0;
        }
        PART_part* work = PART_ask_work_part();
        PART_set_work_part(in);
        *entity = ES_create_csys(origin, matrix);
        PART_set_work_part(work);
        return 0;
      });
}

}  // namespace

int Part_CreatePoint(tag_t part, int count, const JAM_point3d_s* points, tag_t* point) {
  return createEntity("CreatePoint", &replayPartPoint, "Point", "point", part, count, points, point);
}
int Part_CreateDirection(tag_t part, int count, const JAM_point3d_s* points, tag_t* direction) {
  return createEntity("CreateDirection", &replayPartDirection, "Direction", "direction", part, count, points,
                      direction);
}
int Part_CreateCoordinateSystem(tag_t part, int count, const JAM_point3d_s* points, tag_t* csys) {
  return createEntity("CreateCoordinateSystem", &replayPartCsys, "CoordinateSystem", "csys", part, count, points,
                      csys);
}

int Part_CreatePlane(tag_t part, int count, const JAM_point3d_s* points, tag_t* plane) {
  return journalled(
      "Part", 0, "CreatePlane", &replayPartPlane,
      [&] {
        JAM_this(part);
        JAM_in_struct_array(JAM_lookup_struct("Point3d"), count, points, "points");
        JAM_result_tag(classOf("Plane"), plane, "plane");
      },
      [&] {
        *plane = 0;
        PART_part* in = need(PART_of_tag(part), Error::kBadObject, "no part");
        if (count != 2 || points == nullptr || !finitePoints(count, points)) return kBadLoop;
        const double origin[3] = {points[0].x, points[0].y, points[0].z};
        double matrix[9];
        if (!frameAlong(points[1], matrix)) return kBadLoop;
        PART_part* work = PART_ask_work_part();
        PART_set_work_part(in);
        *plane = ES_create_plane(origin, matrix);
        PART_set_work_part(work);
        return 0;
      });
}

int Part_CreateLine(tag_t part, int count, const JAM_point3d_s* points, tag_t* line) {
  return journalled(
      "Part", 0, "CreateLine", &replayPartLine,
      [&] {
        JAM_this(part);
        JAM_in_struct_array(JAM_lookup_struct("Point3d"), count, points, "points");
        JAM_result_tag(classOf("Line"), line, "line");
      },
      [&] {
        *line = 0;
        PART_part* in = need(PART_of_tag(part), Error::kBadObject, "no part");
        if (count != 2 || points == nullptr || !finitePoints(count, points)) return kBadLoop;
        const double from[3] = {points[0].x, points[0].y, points[0].z}, to[3] = {points[1].x, points[1].y, points[1].z};
        *line = ES_create_line_in_part(in, from, to);
        return 0;
      });
}

int Builder_Commit(OM::Object* builder, tag_t* object) {
  return journalled(
      "Builder", 0, "Commit", &replayCommit,
      [&] {
        JAM_this_ptr(builder);
        JAM_result_tag(classOf("TaggedObject"), object, "object");
      },
      [&] {
        *object = 0;
        auto* b = need(dynamic_cast<JAX_BASE_BUILDER*>(builder), kNotABuilder, "no builder");
        // The host commits only what validates.
        if (int rc = b->validate_nothrow(); rc != 0) return rc;
        auto* feature = dynamic_cast<JAX_FEAT_BUILDER*>(b);
        int rc = 0;
        if (feature == nullptr) {
          rc = b->commit();
        } else {
          FEATURE_RECORD* frec = feature->get_frec();
          rc = feature->commit_feature(&frec);
          if (rc == 0 && frec != nullptr) *object = frec->OmTag();
        }
        if (rc == 0 && commitFollower != nullptr) commitFollower(builder);
        return rc;
      });
}

int Builder_Preview(OM::Object* builder, int* count) {
  return journalled(
      "Builder", 0, "Preview", &replayPreview,
      [&] {
        JAM_this_ptr(builder);
        JAM_result_int(count, "count");
      },
      [&] {
        *count = 0;
        need(dynamic_cast<JAX_BASE_BUILDER*>(builder), kNotABuilder, "no builder");
        int made = 0;
        int* bodies = nullptr;
        int rc = 0;
        if (previewer == nullptr || previewer(builder, &made, &bodies, &rc) == 0) return kNoPreview;
        // Shown, then let go: a preview leaves nothing in the part.
        *count = made;
        DieDesUtilsDeleteBodies(&made, &bodies);
        return rc;
      });
}

void SetPreviewer(Previewer given) { previewer = given; }
void SetCommitFollower(CommitFollower given) { commitFollower = given; }

int Builder_Destroy(OM::Object* builder) {
  return journalled(
      "Builder", 0, "Destroy", &replayDestroy, [&] { JAM_this_ptr(builder); },
      [&] {
        need(dynamic_cast<JAX_BASE_BUILDER*>(builder), kNotABuilder, "no builder")->destroy();
        return 0;
      });
}

int SelectObject_set_Value(SELECT_OBJECT* selection, tag_t value) {
  return journalled(
      "SelectObject", 2, "Value", &replaySelectValue,
      [&] {
        JAM_this_ptr(selection);
        JAM_in_tag(classOf("TaggedObject"), &value, "value");
      },
      [&] {
        need(selection, Error::kBadObject, "no selection");
        if (dynamic_cast<PART_part*>(OM::OM_object_of_tag(value)) != nullptr) return kPartSelected;
        selection->set_selected_tag(value);
        return 0;
      });
}

int SelectObjectList_Add(SELECT_OBJECT_list* list, tag_t object) {
  return journalled(
      "SelectObjectList", 0, "Add", &replayListAdd,
      [&] {
        JAM_this_ptr(list);
        JAM_in_tag(classOf("TaggedObject"), &object, "object");
      },
      [&] {
        need(list, Error::kBadObject, "no selection list");
        // What is selected is in a part, never the part itself.
        if (dynamic_cast<PART_part*>(OM::OM_object_of_tag(object)) != nullptr) return kPartSelected;
        list->append(object);
        return 0;
      });
}

int Section_AddLoop(SC_section* section, int kind, int count, const JAM_point3d_s* points) {
  return journalled(
      "Section", 0, "AddLoop", &replayAddLoop,
      [&] {
        JAM_this_ptr(section);
        JAM_in_int(&kind, "kind");
        JAM_in_struct_array(JAM_lookup_struct("Point3d"), count, points, "points");
      },
      [&] {
        need(section, Error::kBadObject, "no section");
        if ((kind != SC_section::kClosed && kind != SC_section::kOpen) || count <= 0 || points == nullptr ||
            !finitePoints(count, points))
          return kBadLoop;
        std::vector<tag_t> curves;
        for (int i = 0; i < count; ++i) {
          const double point[3] = {points[i].x, points[i].y, points[i].z};
          curves.push_back(ES_create_point(point));
        }
        section->add_loop(kind, count, curves.data());
        return 0;
      });
}

int Section_AddLines(SC_section* section, int kind, int count, const JAM_point3d_s* points) {
  return journalled(
      "Section", 0, "AddLines", &replayAddLines,
      [&] {
        JAM_this_ptr(section);
        JAM_in_int(&kind, "kind");
        JAM_in_struct_array(JAM_lookup_struct("Point3d"), count, points, "points");
      },
      [&] {
        need(section, Error::kBadObject, "no section");
        if ((kind != SC_section::kClosed && kind != SC_section::kOpen) || count < 2 || points == nullptr ||
            !finitePoints(count, points))
          return kBadLoop;
        std::vector<tag_t> lines;
        const int ends = kind == SC_section::kClosed ? count : count - 1;
        for (int i = 0; i < ends; ++i) {
          const JAM_point3d_s& a = points[i];
          const JAM_point3d_s& b = points[(i + 1) % count];
          const double from[3] = {a.x, a.y, a.z}, to[3] = {b.x, b.y, b.z};
          lines.push_back(ES_create_line_in_part(nullptr, from, to));
        }
        section->add_loop(kind, static_cast<int>(lines.size()), lines.data());
        return 0;
      });
}

int Expression_set_RightHandSide(EXP_expression* expression, const char* text) {
  return journalled(
      "Expression", 2, "RightHandSide", &replayRightHandSide,
      [&] {
        JAM_this_ptr(expression);
        JAM_in_string(text, "righthandside");
      },
      [&] {
        need(expression, Error::kBadObject, "no expression");
        PART_part* work = PART_ask_work_part();
        return EXP_edit_exp(work != nullptr ? work->OmTag() : 0, expression, text != nullptr ? text : "");
      });
}

int Expression_get_Value(EXP_expression* expression, double* value) {
  return journalled(
      "Expression", 1, "Value", &replayValue,
      [&] {
        JAM_this_ptr(expression);
        JAM_result_double(value, "value");
      },
      [&] {
        *value = 0;
        *value = EXP_ask_value_of_exp(need(expression, Error::kBadObject, "no expression"));
        return 0;
      });
}

int OnPathDimensionBuilder_get_Expression(OnPathDimBuilder* location, tag_t* expression) {
  return journalled(
      "OnPathDimensionBuilder", 1, "Expression", &replayLocationExpression,
      [&] {
        JAM_this_ptr(location);
        JAM_result_tag(classOf("Expression"), expression, "expression");
      },
      [&] {
        *expression = 0;
        *expression = OM::OM_ask_object_tag(
            need(location, Error::kBadObject, "no on-path location")->GetValueExpression());
        return 0;
      });
}

namespace {
int appendToList(tag_t list, tag_t object) {
  auto* objects = need(dynamic_cast<UICOMPJA_list*>(OM::OM_object_of_tag(list)), Error::kBadObject, "no object list");
  OM::Object* item = need(OM::OM_object_of_tag(object), Error::kBadObject, "no object");
  // A script puts in what the list holds: what its builder publishes.
  if (const char* holds = objects->ask_item_class(); holds != nullptr && !IsA(item, holds)) return kOtherClassInList;
  objects->insert(objects->size(), item);
  return 0;
}

class ObjectListJournalled final : public ObjectList_Interface {
 public:
  int Append(tag_t list, tag_t object) override { return ObjectList_Append(list, object); }
};
class ObjectListUnjournalled final : public ObjectList_Interface {
 public:
  int Append(tag_t list, tag_t object) override {
    try {
      return appendToList(list, object);
    } catch (const Error::Exception& e) {
      return e.askCode();
    }
  }
};
ObjectListJournalled objectListJournalled;
ObjectListUnjournalled objectListUnjournalled;
JAM::ClassInitializer objectListInitializer("ObjectList", &objectListJournalled, &objectListUnjournalled);
}  // namespace

int ObjectList_Append(tag_t list, tag_t object) {
  return journalled(
      "ObjectList", 0, "Append", &replayObjectListAppend,
      [&] {
        JAM_this(list);
        JAM_in_tag(classOf("TaggedObject"), &object, "object");
      },
      [&] { return appendToList(list, object); });
}

int ObjectList_FindItem(tag_t list, int index, tag_t* object) {
  return journalled(
      "ObjectList", 0, "FindItem", &replayObjectListFindItem,
      [&] {
        JAM_this(list);
        JAM_in_int(&index, "index");
        JAM_result_tag(classOf("TaggedObject"), object, "object");
      },
      [&] {
        *object = 0;
        auto* objects =
            need(dynamic_cast<UICOMPJA_list*>(OM::OM_object_of_tag(list)), Error::kBadObject, "no object list");
        if (index < 0 || index >= objects->size()) OM::ThrowIndexOutOfRange(index, 0, objects->size());
        *object = OM::OM_ask_object_tag(objects->ask_item(index));
        return 0;
      });
}

// ---- playing --------------------------------------------------------------------------

namespace {

// ---- what the player checks before it calls -------------------------------------

// The host's own journal classes: each with its parent and what makes a live
// object one of it. The player names an object's class, and walks a class up
// to its parents, from this one table, so a class the recorder writes for a
// host object is one the player takes back. Rows without a test are classes
// no object is of by itself. The first row whose test holds names the object:
// a more special class comes before the class it is special to.
template <class T>
bool objectIs(const OM::Object* object) {
  return dynamic_cast<const T*>(object) != nullptr;
}
bool lineIs(const OM::Object* object) {
  return dynamic_cast<const ES_curve*>(object) != nullptr && dynamic_cast<const ES_edge*>(object) == nullptr;
}
struct HostClass {
  const char* name;
  const char* parent;
  bool (*is)(const OM::Object*);
};
constexpr HostClass kHostClasses[] = {
    {"Part", "TaggedObject", &objectIs<PART_part>},
    {"SelectObjectList", "TaggedObject", &objectIs<SELECT_OBJECT_list>},
    {"SelectObject", "TaggedObject", &objectIs<SELECT_OBJECT>},
    {"Section", "TaggedObject", &objectIs<SC_section>},
    {"ScCollector", "TaggedObject", &objectIs<SC_collector>},
    // A builder's list of sub-builders is scripted through the host's list class.
    {"ObjectList", "TaggedObject", &objectIs<UICOMPJA_list>},
    {"Expression", "TaggedObject", &objectIs<EXP_expression>},
    {"Body", "DisplayableObject", &objectIs<ES_solid>},
    // A feature set is a feature of the part to scripts, as the tooling builders publish it.
    {"Features.Feature", nullptr, &objectIs<FSET_feature_set>},
    {"Plane", "DisplayableObject", &objectIs<ES_plane>},
    {"Point", "DisplayableObject", &objectIs<ES_point>},
    {"CoordinateSystem", "DisplayableObject", &objectIs<ES_csys>},
    {"Direction", "DisplayableObject", &objectIs<DIRR_direction>},
    {"Line", "DisplayableObject", &lineIs},
    {"DisplayableObject", "BrenvikObject", nullptr},
    {"BrenvikObject", "TaggedObject", nullptr},
    {"TaggedObjectCollection", "TaggedObject", nullptr},
    // A collection's object is the part itself.
    {"Die.DieCollection", "TaggedObjectCollection", nullptr},
    {"Features.AutomotiveCollection", "TaggedObjectCollection", nullptr},
    {"Tooling.AutoDieCollection", "TaggedObjectCollection", nullptr},
};

// The parent of a journal class: as its property owner was registered, as its
// scripting set-up created it, or, for the host's classes that have neither,
// as the host's table states it. Null at the top.
const char* parentClass(const std::string& name) {
  if (const char* parent = JAM::PropertyMapper::GetParentClassName(name.c_str()); parent != nullptr && *parent != '\0')
    return parent;
  static JAM::Test::TypeView view;
  if (JAM::Test::DescribeClass(name.c_str(), &view) && !view.parent.empty()) return view.parent.c_str();
  for (const HostClass& c : kHostClasses)
    if (name == c.name) return c.parent;
  return nullptr;
}

bool below(std::string name, const std::string& wanted) {
  for (int depth = 0; depth < 64; ++depth) {
    if (name == wanted) return true;
    const char* parent = parentClass(name);
    if (parent == nullptr) return false;
    name = parent;
  }
  return false;
}

}  // namespace

// The journal class an object of the object manager is scripted as: what
// the object is, never what a record says it is.
std::string JournalClassOf(const OM::Object* object) {
  if (auto* builder = dynamic_cast<const JAX_BASE_BUILDER*>(object)) {
    char* name = builder->ask_journal_class_name();
    std::string out = name != nullptr ? name : "Builder";
    SM_free(name);
    return out;
  }
  for (const HostClass& c : kHostClasses)
    if (c.is != nullptr && c.is(object)) return c.name;
  if (auto* frec = dynamic_cast<const FEATURE_RECORD*>(object)) {
    // A feature is published under its parameters' class, in whichever area.
    if (FEATURE_PARMS* parms = frec->ask_parms()) {
      // Both rough-data parameter classes are published as the one feature.
      if (dynamic_cast<const DieEng::CompensateRoughData*>(parms) != nullptr) return "Features.CompensateRoughData";
      // So are the three records of a draw bead.
      if (dynamic_cast<const DIE_DRBD_PARMS*>(parms) != nullptr) return "Die.DrawBead";
      std::string kind = shortClass(parms);
      for (const char* area : {"Die.", "Features.", "Tooling."})
        if (JAM::PropertyMapper::IsRegistered((area + kind).c_str())) return area + kind;
    }
    return "Features.Feature";
  }
  return "TaggedObject";
}

// Whether an object is of the journal class or a class below it. A part is
// also every collection: a collection's object is its part. Every object is
// a "BrenvikObject" and a "TaggedObject", whatever its class publishes.
bool IsA(const OM::Object* object, const std::string& journalClass) {
  if (journalClass == "BrenvikObject" || journalClass == "TaggedObject") return true;
  std::string is = JournalClassOf(object);
  if (below(is, journalClass)) return true;
  // A host builder whose own class publishes no parents is still a builder.
  if (dynamic_cast<const JAX_FEAT_BUILDER*>(object) != nullptr && below("Features.FeatureBuilder", journalClass))
    return true;
  if (dynamic_cast<const JAX_BASE_BUILDER*>(object) != nullptr && below("Builder", journalClass)) return true;
  return is == "Part" && below(journalClass, "TaggedObjectCollection");
}

namespace {

std::string quoted(const char* text) { return text != nullptr ? "\"" + std::string(text) + "\"" : "-"; }
std::string quoted(const std::string& text) { return text.empty() ? "-" : "\"" + text + "\""; }

std::string describe(const ValueSignature& v) {
  return std::string(JAM::DirectionName(v.direction)) + " " + JAM::KindName(v.kind) + " " + quoted(v.type);
}
std::string describe(const JAM::Value& v) {
  return std::string(JAM::DirectionName(v.direction)) + " " + JAM::KindName(v.kind) + " " + quoted(v.type);
}
std::string objectForm(char kind) { return kind == 'p' ? "this ptr" : kind == 't' ? "this tag" : "no object"; }

int structureSize(const std::string& name) {
  const JAM_type_struct_s* s = JAM::Internal::FindStruct(name);
  return s != nullptr ? static_cast<int>(s->components.size()) : 0;
}

struct Refusal {
  int line = 0;
  std::string what;
};

// The record's values against the member's signature; an empty refusal when
// they fit.
Refusal checkValues(const JAM::Record& r, const MemberSignature& signature) {
  if (static_cast<int>(r.values.size()) != signature.count)
    return {r.line, "wrong number of values (expected " + std::to_string(signature.count) + ", found " +
                        std::to_string(r.values.size()) + ")"};
  for (int i = 0; i < signature.count; ++i) {
    const ValueSignature& want = signature.values[i];
    const JAM::Value& v = r.values[static_cast<std::size_t>(i)];
    int line = v.line != 0 ? v.line : r.line;
    std::string type = want.type != nullptr ? want.type : "";
    if (v.direction != want.direction || v.kind != want.kind || v.type != type)
      return {line, "value " + std::to_string(i + 1) + " \"" + v.name + "\" does not fit the member (expected " +
                        describe(want) + ", found " + describe(v) + ")"};
    if (v.direction != JAM::Direction::In || v.isNull) continue;
    if (v.kind == JAM::ValueKind::Struct || v.kind == JAM::ValueKind::StructArray) {
      int size = structureSize(v.type);
      if (size == 0) return {line, "unknown structure (found " + quoted(v.type) + ")"};
      std::size_t n = v.reals.size();
      if (v.kind == JAM::ValueKind::Struct ? n != static_cast<std::size_t>(size) : n % static_cast<std::size_t>(size) != 0)
        return {line, "value " + std::to_string(i + 1) + " \"" + v.name + "\" is not " +
                          (v.kind == JAM::ValueKind::Struct ? "one " : "a whole number of ") + v.type + " (expected " +
                          (v.kind == JAM::ValueKind::Struct ? "" : "a multiple of ") + std::to_string(size) +
                          " numbers, found " + std::to_string(n) + ")"};
    }
  }
  return {};
}

}  // namespace

bool Player::Play(const JAM::Record& recorded, std::size_t index, std::string* error, int* errorLine) {
  std::map<tag_t, tag_t>& objects = played_.objects;  // the journal's tag -> the live object's tag
  auto fail = [&](const Refusal& refusal) {
    // The names in it are the journal's: shown printable, and not without end.
    *error = JAM::ShownText(refusal.what, 1000);
    if (errorLine != nullptr) *errorLine = refusal.line;
    if (refusal.line == 0)
      *error = JAM::ShownText("record " + std::to_string(index + 1) + " (" + recorded.journalClass + " " +
                                  recorded.member + "): " + refusal.what,
                              1000);
    return false;
  };
  // A live object for a journal's tag, of the class the record states.
  auto live = [&](long long tag, const std::string& journalClass, int line, tag_t* out) -> Refusal {
    *out = 0;
    if (tag == 0) return {};
    auto it = objects.find(static_cast<tag_t>(tag));
    if (it == objects.end())
      return {line, "tag " + std::to_string(tag) + " names no object an earlier record made"};
    if (OM::OM_is_deleted_tag(it->second) || OM::OM_object_of_tag(it->second) == nullptr)
      return {line, "the object of tag " + std::to_string(tag) + " is gone"};
    const OM::Object* object = OM::OM_object_of_tag(it->second);
    if (!journalClass.empty() && !IsA(object, journalClass))
      return {line, "tag " + std::to_string(tag) + " is an object of another class (expected \"" + journalClass +
                        "\", found \"" + JournalClassOf(object) + "\")"};
    *out = it->second;
    return {};
  };
  if (recorded.depth != 0) return true;  // made again by the call that holds it
  MemberSignature signature;
  JAM_replay_fn play = Bound(recorded.journalClass, recorded.methodType, recorded.member, &signature, &recorded);
  static const char* const kTypes[] = {"method", "get", "set"};
  if (play == nullptr)
    return fail({recorded.line, std::string("nothing is bound to ") + kTypes[recorded.methodType % 3] + " \"" +
                                    recorded.journalClass + "\" \"" + recorded.member + "\""});
  if (recorded.thisKind != signature.object)
    return fail({recorded.line, "the object is not passed as the member takes it (expected " +
                                    objectForm(signature.object) + ", found " + objectForm(recorded.thisKind) + ")"});
  // The call reads its values from the record's slots: each must be what
  // the member reads there.
  if (Refusal r = checkValues(recorded, signature); !r.what.empty()) return fail(r);

  JAM::Record& call = call_;  // assigned into, so that its room is used again
  call = recorded;
  if (recorded.thisKind != 0) {
    if (recorded.thisTag == 0)
      return fail({recorded.line, "no object (expected the tag of a \"" + recorded.journalClass + "\", found 0)"});
    if (Refusal r = live(recorded.thisTag, recorded.journalClass, recorded.line, &call.thisTag); !r.what.empty())
      return fail(r);
  }
  for (JAM::Value& v : call.values)
    if (v.direction == JAM::Direction::In && (v.kind == JAM::ValueKind::Tag || v.kind == JAM::ValueKind::Ptr)) {
      tag_t tag = 0;
      if (Refusal r = live(v.integer, v.type, v.line != 0 ? v.line : recorded.line, &tag); !r.what.empty())
        return fail(r);
      v.integer = tag;
    }

  std::size_t before = JAM::RecordedCount();
  // A host error the call lets out (its journal class not found, its record
  // not opened) is the call's status, as a script sees it: the record's line
  // reports it, and a record it left open is closed with it.
  const int openBefore = JAM_ask_open_records();
  int status = 0;
  try {
    status = JAM::ReplayWith(call, play);
  } catch (const Error::Exception& e) {
    status = e.askCode() != 0 ? e.askCode() : Error::kStdException;
    while (JAM_ask_open_records() > openBefore) JAM_end_call(status);
  }
  ++played_.records;
  if (JAM::RecordedCount() > before) {
    const std::span<const JAM::Value> made = JAM::RecordedValues(before);
    for (std::size_t i = 0; i < recorded.values.size() && i < made.size(); ++i) {
      const JAM::Value& was = recorded.values[i];
      const JAM::Value& now = made[i];
      if (was.direction == JAM::Direction::In || was.name != now.name) continue;
      if ((was.kind == JAM::ValueKind::Tag || was.kind == JAM::ValueKind::Ptr) && was.integer != 0)
        objects[static_cast<tag_t>(was.integer)] = static_cast<tag_t>(now.integer);
    }
  }
  // A builder a collection's creator made for the script starts from its
  // class's scripting defaults, as the host gives them to every new builder;
  // one made to edit an object starts from what it edits.
  const bool editing = std::any_of(call.values.begin(), call.values.end(), [](const JAM::Value& v) {
    return v.direction == JAM::Direction::In && (v.kind == JAM::ValueKind::Tag || v.kind == JAM::ValueKind::Ptr) &&
           v.integer != 0;
  });
  if (status == 0 && signature.object == 't' && !editing && JAM::Recorded().size() > before) {
    const JAM::Record& made = JAM::Recorded()[before];
    if (!made.values.empty() && made.values.back().direction == JAM::Direction::Result &&
        made.values.back().kind == JAM::ValueKind::Tag) {
      try {
        GiveScriptingDefaults(static_cast<tag_t>(made.values.back().integer));
      } catch (const Error::Exception& e) {
        return fail({recorded.line, "the new builder's scripting defaults failed: " + e.text()});
      }
    }
  }
  if (recorded.state == JAM::RecordState::Closed && status != recorded.status)
    return fail({recorded.line, "the call gave another status (expected " + Error::Describe(recorded.status) +
                                    ", found " + Error::Describe(status) + ")"});
  return true;
}

void GiveScriptingDefaults(tag_t builder) {
  auto* object = dynamic_cast<JAX_BASE_BUILDER*>(OM::OM_object_of_tag(builder));
  if (object == nullptr) return;
  try {
    const std::string journalClass = JournalClassOf(object);
    // The class's scripting set-up registers its defaults function; a creator
    // need not have run it.
    if (JAM::Test::DefaultsFunction(journalClass.c_str()) == nullptr)
      JAM::FileInitializer::Initialize(journalClass.c_str());
    if (JAM_defaults_fn defaults = JAM::Test::DefaultsFunction(journalClass.c_str())) {
      JAM::Internal::ApplyingDefaults applying;
      defaults(builder, true);
    }
  } catch (const Error::Exception&) {
    // A builder that did not get its defaults was not made: the script sees
    // the creation fail and is handed nothing to go on with, and what the
    // builder holds beside its object goes with it.
    try {
      object->destroy();
    } catch (const Error::Exception& e) {
      ERROR_note("a builder whose defaults failed could not be destroyed: %s (%d)", e.text().c_str(), e.askCode());
    }
    throw;
  }
}

bool Play(const JAM::Journal& journal, std::string* error, int* errorLine, PlaySummary* summary) {
  Player player;
  bool played = true;
  for (std::size_t index = 0; played && index < journal.size(); ++index)
    played = player.Play(journal[index], index, error, errorLine);
  if (summary != nullptr) *summary = player.Summary();
  return played;
}

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
