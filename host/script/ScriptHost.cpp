// The host's scripting classes, the bindings and the journal player.
#include "script/ScriptHost.hpp"

#include <cstdio>
#include <map>
#include <tuple>

#include "afl/BodyUtils.hpp"
#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "sel/Selection.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX::Script {
namespace {

// ---- bindings --------------------------------------------------------------------

struct Binding {
  JAM_replay_fn play;
  MemberSignature signature;
  bool host;
};
using Key = std::tuple<std::string, int, std::string>;

std::map<Key, Binding>& bindings() {
  static auto* table = new std::map<Key, Binding>;
  return *table;
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
void replayPartSolid(JAM::Call& c) { c.SetStatus(Part_CreateSolidBody(c.Tag(), argument<tag_t>(c, 0))); }
void replayPartSheet(JAM::Call& c) { c.SetStatus(Part_CreateSheetBody(c.Tag(), argument<tag_t>(c, 0))); }
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
void replayRightHandSide(JAM::Call& c) {
  c.SetStatus(Expression_set_RightHandSide(dynamic_cast<EXP_expression*>(c.Object()), *argument<const char*>(c, 0)));
}
void replayValue(JAM::Call& c) {
  c.SetStatus(Expression_get_Value(dynamic_cast<EXP_expression*>(c.Object()), argument<double>(c, 0)));
}

// What the host's own members' records hold.
using JAM::Direction;
using JAM::ValueKind;
constexpr ValueSignature kWorkPart[] = {{Direction::Result, ValueKind::Tag, "Part"}};
constexpr ValueSignature kDieCollection[] = {{Direction::Result, ValueKind::Tag, "Die.DieCollection"}};
constexpr ValueSignature kBody[] = {{Direction::Result, ValueKind::Tag, "Body"}};
constexpr ValueSignature kCommitted[] = {{Direction::Result, ValueKind::Tag, "TaggedObject"}};
constexpr ValueSignature kPreviewCount[] = {{Direction::Result, ValueKind::Integer, nullptr}};
constexpr ValueSignature kAnObject[] = {{Direction::In, ValueKind::Tag, "TaggedObject"}};
constexpr ValueSignature kLoop[] = {{Direction::In, ValueKind::Integer, nullptr},
                                    {Direction::In, ValueKind::StructArray, "Point3d"}};
constexpr ValueSignature kText[] = {{Direction::In, ValueKind::String, nullptr}};
constexpr ValueSignature kDouble[] = {{Direction::Result, ValueKind::Double, nullptr}};

template <std::size_t N>
constexpr MemberSignature On(char object, const ValueSignature (&values)[N]) {
  return {object, values, static_cast<int>(N)};
}

struct HostBindings {
  HostBindings() {
    bindingHost = true;
    Bind("Session", 1, "WorkPart", &replaySessionWorkPart, On(0, kWorkPart));
    Bind("Part", 1, "DieCollection", &replayPartDieCollection, On('t', kDieCollection));
    Bind("Part", 0, "CreateSolidBody", &replayPartSolid, On('t', kBody));
    Bind("Part", 0, "CreateSheetBody", &replayPartSheet, On('t', kBody));
    Bind("Builder", 0, "Commit", &replayCommit, On('p', kCommitted));
    Bind("Builder", 0, "Preview", &replayPreview, On('p', kPreviewCount));
    Bind("Builder", 0, "Destroy", &replayDestroy, MemberSignature{'p', nullptr, 0});
    Bind("SelectObject", 2, "Value", &replaySelectValue, On('p', kAnObject));
    Bind("SelectObjectList", 0, "Add", &replayListAdd, On('p', kAnObject));
    Bind("Section", 0, "AddLoop", &replayAddLoop, On('p', kLoop));
    Bind("Expression", 2, "RightHandSide", &replayRightHandSide, On('p', kText));
    Bind("Expression", 1, "Value", &replayValue, On('p', kDouble));
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

std::string describeEntity(const DIEDES_GENERIC_ENTITY* e) {
  std::string out;
  switch (e->AskKind()) {
    case DIEDES_GENERIC_ENTITY::kEmpty: return "empty";
    case DIEDES_GENERIC_ENTITY::kTags: out = "tags"; break;
    case DIEDES_GENERIC_ENTITY::kInts: out = "ints"; break;
    case DIEDES_GENERIC_ENTITY::kExpressions: out = "expressions"; break;
    default: return "records " + std::to_string(e->AskCount());
  }
  for (int i = 0; i < e->AskCount(); ++i) {
    switch (e->AskKind()) {
      case DIEDES_GENERIC_ENTITY::kTags: {
        tag_t t = e->AskTag(i);
        out += " " + shortClass(OM::OM_object_of_tag(t)) + " " + std::to_string(t);
        break;
      }
      case DIEDES_GENERIC_ENTITY::kInts: out += " " + std::to_string(e->AskInt(i)); break;
      default: {
        const EXP_expression* x = e->AskExpression(i);
        out += x != nullptr ? " " + real(x->ask_value()) : std::string(" none");
      }
    }
  }
  if (e->AskFlag() != 0) out += " (flag " + std::to_string(e->AskFlag()) + ")";
  return out;
}

void describeFeature(std::string& out, FEATURE_RECORD* frec) {
  out += "feature " + std::to_string(frec->OmTag());
  FEATURE_PARMS* parms = frec->ask_parms();
  out += " " + (parms != nullptr ? shortClass(parms) : std::string("(no parameters)")) + "\n";
  out += "  body " + std::to_string(frec->ask_body_eid()) + "\n";
  out += "  updates " + std::to_string(frec->ask_update_count()) + "\n";
  auto* body = dynamic_cast<DIEDES_GENERIC_BODY_PARMS*>(parms);
  if (body == nullptr) return;
  out += "  distance tolerance " + real(body->GetDistanceTolerance()) + "\n";
  out += "  angle tolerance " + real(body->GetAngleTolerance()) + "\n";
  out += "  algorithm version " + std::to_string(body->GetAlgorithmVersion()) + "\n";
  for (int i = 0; i < body->GetNumEntities(); ++i)
    out += "  entity " + std::to_string(i) + " " + describeEntity(body->GetEntity(i)) + "\n";
  DieAttributesRecord* attributes = body->AskDieAttributes();
  if (attributes != nullptr) {
    if (attributes->title[0] != '\0' || attributes->value[0] != '\0' || attributes->number != 0)
      out += std::string("  die attributes \"") + attributes->title + "\" \"" + attributes->value + "\" " +
             std::to_string(attributes->number) + "\n";
    SM_free(attributes);
  }
}

}  // namespace

void Bind(const char* journalClass, int methodType, const char* member, JAM_replay_fn play,
          const MemberSignature& signature) {
  bindings()[Key{journalClass, methodType, member}] = Binding{play, signature, bindingHost};
}

JAM_replay_fn Bound(const std::string& journalClass, int methodType, const std::string& member,
                    MemberSignature* signature) {
  auto it = bindings().find(Key{journalClass, methodType, member});
  if (it == bindings().end()) return nullptr;
  if (signature != nullptr) *signature = it->second.signature;
  return it->second.play;
}

void UnbindPlugin() {
  for (auto it = bindings().begin(); it != bindings().end();) {
    if (it->second.host)
      ++it;
    else
      it = bindings().erase(it);
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

int Part_get_DieCollection(tag_t part, tag_t* collection) {
  return journalled(
      "Part", 1, "DieCollection", &replayPartDieCollection,
      [&] {
        JAM_this(part);
        JAM_result_tag(classOf("Die.DieCollection"), collection, "diecollection");
      },
      [&] {
        *collection = 0;
        *collection = need(PART_of_tag(part), Error::kBadObject, "no part")->OmTag();
        return 0;
      });
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
        if (feature == nullptr) return b->commit();
        FEATURE_RECORD* frec = feature->get_frec();
        int rc = feature->commit_feature(&frec);
        if (rc == 0 && frec != nullptr) *object = frec->OmTag();
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
        need(selection, Error::kBadObject, "no selection")->set_selected_tag(value);
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
        need(list, Error::kBadObject, "no selection list")->append(object);
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
        if ((kind != SC_section::kClosed && kind != SC_section::kOpen) || count <= 0 || points == nullptr)
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

// ---- playing --------------------------------------------------------------------------

bool Play(const JAM::Journal& journal, std::string* error) {
  std::map<tag_t, tag_t> objects;  // the journal's tag -> the live object's tag
  auto fail = [&](std::size_t index, const JAM::Record& r, const std::string& why) {
    *error = "record " + std::to_string(index + 1) + " (" + r.journalClass + " " + r.member + "): " + why;
    return false;
  };
  for (std::size_t index = 0; index < journal.size(); ++index) {
    const JAM::Record& recorded = journal[index];
    if (recorded.depth != 0) continue;  // made again by the call that holds it
    MemberSignature signature;
    JAM_replay_fn play = Bound(recorded.journalClass, recorded.methodType, recorded.member, &signature);
    if (play == nullptr) return fail(index, recorded, "nothing is bound to this member");
    // The call reads its values from the record's slots: one missing would
    // leave it an address of nothing.
    if (static_cast<int>(recorded.values.size()) != signature.count)
      return fail(index, recorded,
                  "the record holds " + std::to_string(recorded.values.size()) + " values, the member takes " +
                      std::to_string(signature.count));

    JAM::Record live = recorded;
    std::string unknown;
    auto translate = [&](long long tag) -> long long {
      if (tag == 0) return 0;
      auto it = objects.find(static_cast<tag_t>(tag));
      if (it == objects.end()) {
        unknown = std::to_string(tag);
        return 0;
      }
      return it->second;
    };
    if (live.thisKind != 0) live.thisTag = static_cast<tag_t>(translate(recorded.thisTag));
    for (JAM::Value& v : live.values)
      if (v.direction == JAM::Direction::In && (v.kind == JAM::ValueKind::Tag || v.kind == JAM::ValueKind::Ptr))
        v.integer = translate(v.integer);
    if (!unknown.empty()) return fail(index, recorded, "tag " + unknown + " names no object an earlier record made");

    std::size_t before = JAM::Recorded().size();
    int status = JAM::ReplayWith(live, play);
    if (JAM::Recorded().size() > before) {
      const JAM::Record& made = JAM::Recorded()[before];
      for (std::size_t i = 0; i < recorded.values.size() && i < made.values.size(); ++i) {
        const JAM::Value& was = recorded.values[i];
        const JAM::Value& now = made.values[i];
        if (was.direction == JAM::Direction::In || was.name != now.name) continue;
        if ((was.kind == JAM::ValueKind::Tag || was.kind == JAM::ValueKind::Ptr) && was.integer != 0)
          objects[static_cast<tag_t>(was.integer)] = static_cast<tag_t>(now.integer);
      }
    }
    if (recorded.state == JAM::RecordState::Closed && status != recorded.status)
      return fail(index, recorded,
                  "status " + std::to_string(status) + ", the journal says " + std::to_string(recorded.status));
  }
  return true;
}

std::string DescribePart(const PART_part* part) {
  std::string out;
  if (part == nullptr) return "no part\n";
  out += "part " + std::to_string(part->OmTag()) + (part->UnitCode() == 1 ? " inch" : " millimetre") + "\n";
  for (tag_t t : Host::KeptInPart(part)) {
    OM::Object* object = OM::OM_object_of_tag(t);
    if (auto* frec = dynamic_cast<FEATURE_RECORD*>(object)) describeFeature(out, frec);
  }
  for (tag_t t : Host::KeptInPart(part)) {
    auto* body = dynamic_cast<ES_solid*>(OM::OM_object_of_tag(t));
    if (body == nullptr) continue;
    int type = 0;
    const char* kind = "(no kernel body)";
    if (body->ask_kernel_body() != 0 && ZV_BODY_ask_type(body->ask_kernel_body(), &type) == 0)
      kind = type == ZV_BODY_type_sheet_c ? "sheet" : "solid";
    out += "body " + std::to_string(t) + " " + kind + "\n";
  }
  return out;
}

}  // namespace KTX::Script
