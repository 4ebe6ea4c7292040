// The stand-in's scripting side: the host's own scripting classes that a
// script needs around the plug-in's classes, the table of bindings through
// which the stand-in plays a recorded call (one entry per scripting member,
// journal class, call type and member), and the player of journals.
//
// Every host scripting call below is journalled like the plug-in's: it opens
// a record, records its object and arguments, runs and closes the record with
// its status, so a journal recorded while a script runs holds the host's
// calls and the plug-in's in the order they ran. Each is also bound, so a
// journal that holds them plays back.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "feat/Builder.hpp"
#include "jam/Journal.hpp"

namespace KTX {
class SELECT_OBJECT;
class SELECT_OBJECT_list;
class SC_section;
class EXP_expression;
class OnPathDimBuilder;
}  // namespace KTX

namespace KTX::Script {

// ---- bindings --------------------------------------------------------------------
// What a record of a member holds, as the member's description states it:
// how the object is passed and each value in declaration order (an array and
// its count are one value). The player checks a record against it before
// the call reads a single slot.
struct ValueSignature {
  JAM::Direction direction;
  JAM::ValueKind kind;
  const char* type;  // class, template class, enumeration or structure; null for a plain value
  const char* name = nullptr;  // a method argument's journal name, where forms of one member differ by it
};
struct MemberSignature {
  char object = 0;  // 'p' the object by pointer, 't' by tag, 0 none
  const ValueSignature* values = nullptr;
  int count = 0;
};

// A binding plays one scripting member from a call record (the record's
// object, one slot per recorded value, a status), by calling what a script
// calls: an exported scripting call of the plug-in, or a host scripting call.
KTX_HOST_API void Bind(const char* journalClass, int methodType, const char* member, JAM_replay_fn play,
                       const MemberSignature& signature);
// Null when nothing is bound to the member; *signature (when asked) what its
// records hold.
// An overloaded member has one binding per form; the record, when given,
// chooses the form whose arguments' names it holds (else the first is taken).
KTX_HOST_API JAM_replay_fn Bound(const std::string& journalClass, int methodType, const std::string& member,
                                 MemberSignature* signature = nullptr, const JAM::Record* record = nullptr);
// Forgets the plug-in's bindings (the host's own stay): the plug-in is going.
KTX_HOST_API void UnbindPlugin();

// ---- the host's scripting classes ---------------------------------------------------
// "Session": get WorkPart (result "workpart", class "Part").
KTX_HOST_API int Session_get_WorkPart(tag_t* part);
// "Part", by tag: get DieCollection (the part itself: the die collection's
// object is its part), methods CreateSolidBody and CreateSheetBody (a new
// plain body in the part, result "body", class "Body").
KTX_HOST_API int Part_get_DieCollection(tag_t part, tag_t* collection);
// The tooling builders' collection: the part itself, as for the die collection.
KTX_HOST_API int Part_get_AutoDieCollection(tag_t part, tag_t* collection);
// The vehicle-design builders' collection: the part itself too.
KTX_HOST_API int Part_get_AutomotiveCollection(tag_t part, tag_t* collection);
KTX_HOST_API int Part_CreateSolidBody(tag_t part, tag_t* body);
KTX_HOST_API int Part_CreateSheetBody(tag_t part, tag_t* body);
// "Part", by tag: CreateSheetBody with "points" ("Point3d" array): a flat
// sheet of one face at the first point, spanning the sides to the second and
// the third (its normal the first side crossed with the second). Exactly
// three points on no line, else kBadLoop.
KTX_HOST_API int Part_CreateSheetBody(tag_t part, int count, const JAM_point3d_s* points, tag_t* body);
// "Part", by tag: CreateSolidBody with "points" ("Point3d" array): a box
// solid of the part between two opposite corners, its sides along the
// axes. Exactly two points whose box has volume, else kBadLoop.
KTX_HOST_API int Part_CreateSolidBody(tag_t part, int count, const JAM_point3d_s* points, tag_t* body);
// "Part", by tag: methods CreatePlane (a plane entity in the part through the
// first of "points" with the second as its normal, result "plane", class
// "Plane") and CreateLine (a line in the part from the first of "points" to
// the second, result "line", class "Line"). Exactly two points, else kBadLoop.
KTX_HOST_API int Part_CreatePlane(tag_t part, int count, const JAM_point3d_s* points, tag_t* plane);
KTX_HOST_API int Part_CreateLine(tag_t part, int count, const JAM_point3d_s* points, tag_t* line);
// "Part", by tag: methods CreatePoint (a point entity at the one of "points",
// result "point", class "Point"), CreateDirection (a direction entity through
// the first of "points" along the second, result "direction", class
// "Direction") and CreateCoordinateSystem (a coordinate system at the first
// with the second as its Z axis, result "csys", class "CoordinateSystem").
// Points that are not finite, a zero direction or another count: kBadLoop.
KTX_HOST_API int Part_CreatePoint(tag_t part, int count, const JAM_point3d_s* points, tag_t* point);
KTX_HOST_API int Part_CreateDirection(tag_t part, int count, const JAM_point3d_s* points, tag_t* direction);
KTX_HOST_API int Part_CreateCoordinateSystem(tag_t part, int count, const JAM_point3d_s* points, tag_t* csys);
// "Builder", by pointer: Commit validates the builder and commits it (result
// "object": the feature a feature builder made or edited, else 0); Preview
// has the builder make its preview bodies and lets them go again (result
// "count": how many it made; kNoPreview for a class without a preview);
// Destroy destroys the builder.
KTX_HOST_API int Builder_Commit(OM::Object* builder, tag_t* object);
// Preview runs a builder class's own preview through the host's dialogs:
// the previewer answers 1 when the builder's class has a preview (it ran it,
// its status in *status, the bodies it handed over in *count and *bodies),
// 0 when it has none. Without a previewer no class has a preview.
using Previewer = int (*)(const OM::Object* builder, int* count, int** bodies, int* status);
KTX_HOST_API void SetPreviewer(Previewer previewer);
KTX_HOST_API int Builder_Preview(OM::Object* builder, int* count);
// What the host's dialogs do once a builder has committed (a dialog's option
// to list its inputs): run after every commit that succeeds; none until set.
using CommitFollower = void (*)(OM::Object* builder);
KTX_HOST_API void SetCommitFollower(CommitFollower follower);
KTX_HOST_API int Builder_Destroy(OM::Object* builder);
// "SelectObject": set Value (the selected object, by tag).
KTX_HOST_API int SelectObject_set_Value(SELECT_OBJECT* selection, tag_t value);
// "SelectObjectList": method Add (one object, argument "object").
KTX_HOST_API int SelectObjectList_Add(SELECT_OBJECT_list* list, tag_t object);
// "Section": method AddLoop: a loop of kind "kind" (0 closed, 1 open) through
// the points "points" ("Point3d" array), one new point curve per point.
KTX_HOST_API int Section_AddLoop(SC_section* section, int kind, int count, const JAM_point3d_s* points);
// "Section": method AddLines: one loop of kind "kind" made of straight lines
// from each point of "points" to the next (a closed loop also from the last
// back to the first): at least two points, or kBadLoop.
KTX_HOST_API int Section_AddLines(SC_section* section, int kind, int count, const JAM_point3d_s* points);
// "Expression": set RightHandSide (the text, "righthandside"); get Value.
KTX_HOST_API int Expression_set_RightHandSide(EXP_expression* expression, const char* text);
KTX_HOST_API int Expression_get_Value(EXP_expression* expression, double* value);

// "OnPathDimensionBuilder": get Expression (the location's value expression,
// result "expression", class "Expression").
KTX_HOST_API int OnPathDimensionBuilder_get_Expression(OnPathDimBuilder* location, tag_t* expression);
// "ObjectList", by the list's tag: method Append (argument "object"): puts
// the object at the end of the list, which runs the list's insert callback.
KTX_HOST_API int ObjectList_Append(tag_t list, tag_t object);
// "ObjectList", by the list's tag: method FindItem (argument "index", result
// "object"): the object at the index (0 for an empty entry); the index error
// outside the list.
KTX_HOST_API int ObjectList_FindItem(tag_t list, int index, tag_t* object);

// The host's "ObjectList" automation interface, fetched by class name through
// KTX::JAM::ClassInitializer: the journalled form records the call as a
// script's ObjectList_Append does, the unjournalled form only runs it.
class KTX_HOST_API ObjectList_Interface : public JAM::IJAInterface {
 public:
  virtual int Append(tag_t list, tag_t object) = 0;

 protected:
  ObjectList_Interface() = default;
  ~ObjectList_Interface() = default;
};

// Message numbers of the scripting side.
inline constexpr int kNoPreview = 840801;     // the builder's class has no preview
inline constexpr int kNotABuilder = 840802;   // the object is no builder
inline constexpr int kBadLoop = 840803;       // a loop kind other than 0 or 1, or no points
inline constexpr int kOtherClassInList = 840804;  // ObjectList Append: not of the class the list holds
inline constexpr int kPartSelected = 840807;      // a selection given the part itself

// Gives a builder made for a script its class's scripting defaults: the
// defaults function the class registered (its scripting set-up run first when
// it has not run), told to apply them, the values written by name into the
// builder (JAM_set_named_attribute_value). The player gives them to every
// builder a creator makes given no object to edit. A tag that is no builder,
// or a class without defaults, is left as it is; what the function raises
// passes on.
KTX_HOST_API void GiveScriptingDefaults(tag_t builder);

// ---- playing ------------------------------------------------------------------------
// Plays the journal's outermost records in order through their bindings.
// The objects a journal names are its own tags: each result that is an
// object (a tag or a pointer) maps the tag the journal recorded to the tag of
// the object the played call made, and each later record's object and tag
// arguments are read through that map (0 stays 0).
//
// Each record is checked before it is played, and a record that fails a
// check is not played: its member must be bound; its object passed as the
// member takes it (by pointer, by tag, or none); its values those of the
// member's signature (direction, kind, class, enumeration or structure, a
// structure of its own size, a structure array of a whole number of them);
// its object and its tag arguments objects a record made, still alive, of
// the class they are recorded as or a class below it (what the object is,
// not what the record says). A record closed with a status other than the
// one the call gives stops the play after it ran; records left open or
// failed are played without that check. A stop gives false, the reason in
// *error ("what is wrong (expected ..., found ...)") and its line in the
// journal text in *errorLine (0, and the record named in *error, when the
// journal was not read from text). What was played before stays played.
struct PlaySummary {
  int records = 0;                  // outermost records played
  std::map<tag_t, tag_t> objects;   // the journal's tag -> the live object's
};
KTX_HOST_API bool Play(const JAM::Journal& journal, std::string* error, int* errorLine = nullptr,
                       PlaySummary* summary = nullptr);

// The journal class a live object is scripted as (what the object is: a
// builder's own class, a host entity's, a feature's parameters' class), and
// whether it is of `journalClass` or a class below it: the check the player
// makes of every object a record passes.
KTX_HOST_API std::string JournalClassOf(const OM::Object* object);
KTX_HOST_API bool IsA(const OM::Object* object, const std::string& journalClass);

// The same a record at a time, for a journal read as a stream: Play gives
// what Play above gives for the record at `index` of the journal (a nested
// record is skipped), and the summary counts what was played so far.
class KTX_HOST_API Player {
 public:
  bool Play(const JAM::Record& record, std::size_t index, std::string* error, int* errorLine = nullptr);
  const PlaySummary& Summary() const { return played_; }

 private:
  PlaySummary played_;
  JAM::Record call_;  // the record played, its objects the live ones
};

// What the part holds, as text: its features (class, body, parameters:
// entities with their values, tolerances, die attributes, updates) and its
// bodies, in the order they were made, each by the host's tag; a body with
// geometry also with its volume and its box along the world axes, in host
// units ("volume V mm3 box X0 Y0 Z0 X1 Y1 Z1 mm").
KTX_HOST_API std::string DescribePart(const PART_part* part);
// The same as a report of a play: each object also by the tag the journal
// gave it ("1024 (journal 31)"), each entity's values after its kind, then
// the number of bodies and a summary line (records played, features, bodies
// alive, status).
KTX_HOST_API std::string ReportPart(const PART_part* part, const PlaySummary& played);
// The kernel bodies with geometry of the part's bodies, in the order made.
KTX_HOST_API std::vector<int> GeometryBodies(const PART_part* part);

}  // namespace KTX::Script
