// The host's own scripting classes that a script needs around the plug-in's
// classes.
//
// Every host scripting call below is journalled like the plug-in's: it opens
// a record, records its object and arguments, runs and closes the record with
// its status, so a journal recorded while a script runs holds the host's
// calls and the plug-in's in the order they ran. Each is also bound, so a
// journal that holds them plays back.
#pragma once
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

// ---- the host's scripting classes ---------------------------------------------------
// "Session": get WorkPart (result "workpart", class "Part").
KTX_HOST_API int Session_get_WorkPart(tag_t* part);
// "Session": methods SetUndoMark (a visible undo mark named "name", or
// unnamed for null; result "mark"), UndoToMark and DeleteUndoMark (in
// "mark"): the object manager's undo marks, as a script sets, undoes to and
// deletes them. A mark not set, or gone with an undo, gives the bad-object
// error.
KTX_HOST_API int Session_SetUndoMark(const char* name, int* mark);
KTX_HOST_API int Session_UndoToMark(int mark);
KTX_HOST_API int Session_DeleteUndoMark(int mark);
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
// "Section": method Clear: empties the section (its rules, as an edit reads
// a profile back into it, and its loops), so that a loop added after it is
// the section's only one.
KTX_HOST_API int Section_Clear(SC_section* section);
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

}  // namespace KTX::Script
