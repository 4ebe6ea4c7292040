// The host's own scripting classes (session, part, builder, selections,
// sections, expressions, object lists): each journalled as a script's call
// and bound so that a journal holding it plays back.
#include "script/ScriptClasses.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "afl/BodyUtils.hpp"
#include "exp/Expression.hpp"
#include "geom/Curve.hpp"
#include "geom/Faces.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "math/Vector.hpp"
#include "script/Internal.hpp"
#include "script/Player.hpp"
#include "sel/Selection.hpp"
#include "sys/Error.hpp"
#include "upd/Update.hpp"

namespace KTX::Script {
namespace {

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
void replaySetUndoMark(JAM::Call& c) {
  c.SetStatus(Session_SetUndoMark(*argument<const char*>(c, 0), argument<int>(c, 1)));
}
void replayUndoToMark(JAM::Call& c) { c.SetStatus(Session_UndoToMark(*argument<int>(c, 0))); }
void replayDeleteUndoMark(JAM::Call& c) { c.SetStatus(Session_DeleteUndoMark(*argument<int>(c, 0))); }
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
void replaySectionClear(JAM::Call& c) { c.SetStatus(Section_Clear(dynamic_cast<SC_section*>(c.Object()))); }
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
constexpr ValueSignature kMarkSet[] = {{Direction::In, ValueKind::String, nullptr},
                                       {Direction::Result, ValueKind::Integer, nullptr}};
constexpr ValueSignature kMark[] = {{Direction::In, ValueKind::Integer, nullptr}};
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
    BindHost("Session", 1, "WorkPart", &replaySessionWorkPart, On(0, kWorkPart));
    BindHost("Session", 0, "SetUndoMark", &replaySetUndoMark, On(0, kMarkSet));
    BindHost("Session", 0, "UndoToMark", &replayUndoToMark, On(0, kMark));
    BindHost("Session", 0, "DeleteUndoMark", &replayDeleteUndoMark, On(0, kMark));
    BindHost("Part", 1, "DieCollection", &replayPartDieCollection, On('t', kDieCollection));
    BindHost("Part", 1, "AutoDieCollection", &replayPartAutoDieCollection, On('t', kAutoDieCollection));
    BindHost("Part", 1, "AutomotiveCollection", &replayPartAutomotiveCollection, On('t', kAutomotiveCollection));
    BindHost("Part", 0, "CreateSolidBody", &replayPartSolid, On('t', kBody));
    BindHost("Part", 0, "CreateSheetBody", &replayPartSheet, On('t', kBody));
    BindHost("Part", 0, "CreateSheetBody", &replayPartFlatSheet, On('t', kFlatSheet));
    BindHost("Part", 0, "CreateSolidBody", &replayPartBlock, On('t', kFlatSheet));
    BindHost("Part", 0, "CreatePlane", &replayPartPlane, On('t', kPlane));
    BindHost("Part", 0, "CreateLine", &replayPartLine, On('t', kLine));
    BindHost("Part", 0, "CreatePoint", &replayPartPoint, On('t', kPoint));
    BindHost("Part", 0, "CreateDirection", &replayPartDirection, On('t', kDirection));
    BindHost("Part", 0, "CreateCoordinateSystem", &replayPartCsys, On('t', kCsys));
    BindHost("Builder", 0, "Commit", &replayCommit, On('p', kCommitted));
    BindHost("Builder", 0, "Preview", &replayPreview, On('p', kPreviewCount));
    BindHost("Builder", 0, "Destroy", &replayDestroy, MemberSignature{'p', nullptr, 0});
    BindHost("SelectObject", 2, "Value", &replaySelectValue, On('p', kAnObject));
    BindHost("SelectObjectList", 0, "Add", &replayListAdd, On('p', kAnObject));
    BindHost("Section", 0, "AddLoop", &replayAddLoop, On('p', kLoop));
    BindHost("Section", 0, "AddLines", &replayAddLines, On('p', kLoop));
    BindHost("Section", 0, "Clear", &replaySectionClear, MemberSignature{'p', nullptr, 0});
    BindHost("Expression", 2, "RightHandSide", &replayRightHandSide, On('p', kText));
    BindHost("Expression", 1, "Value", &replayValue, On('p', kDouble));
    BindHost("OnPathDimensionBuilder", 1, "Expression", &replayLocationExpression, On('p', kExpression));
    BindHost("ObjectList", 0, "Append", &replayObjectListAppend, On('t', kAnObject));
    BindHost("ObjectList", 0, "FindItem", &replayObjectListFindItem, On('t', kListItem));
  }
};
HostBindings hostBindings;

[[noreturn]] void raise(int code, const char* what) { ERROR_raise("ScriptHost", 0, code, "%s", what); }

template <class T>
T* need(T* object, int code, const char* what) {
  if (object == nullptr) raise(code, what);
  return object;
}

// A member of "Part" that answers one object of the part: its record holds
// the part, what `record` adds and the result; the result is cleared and
// the part looked up before `make` runs on it.
template <class RecordFn, class Make>
int partMember(int methodType, const char* member, JAM_replay_fn replay, const char* resultClass,
               const char* resultName, tag_t part, tag_t* result, RecordFn&& record, Make&& make) {
  return journalled(
      "Part", methodType, member, replay,
      [&] {
        JAM_this(part);
        record();
        JAM_result_tag(classOf(resultClass), result, resultName);
      },
      [&] {
        *result = 0;
        return make(need(PART_of_tag(part), Error::kBadObject, "no part"));
      });
}

// The same for a method that makes its object from "points" ("Point3d" array).
template <class Make>
int partFromPoints(const char* member, JAM_replay_fn replay, const char* resultClass, const char* resultName,
                   tag_t part, int count, const JAM_point3d_s* points, tag_t* result, Make&& make) {
  return partMember(
      0, member, replay, resultClass, resultName, part, result,
      [&] { JAM_in_struct_array(JAM_lookup_struct("Point3d"), count, points, "points"); }, make);
}

// A plain body of the part.
int partBody(const char* member, JAM_replay_fn replay, tag_t part, Kernel::BodyType type, tag_t* body) {
  return partMember(0, member, replay, "Body", "body", part, body, [] {}, [&](PART_part* in) {
    *body = ES_solid::Make(in, Kernel::CreateBody(type))->OmTag();
    return 0;
  });
}

Previewer previewer = nullptr;  // the host dialogs' previews, once they are loaded
CommitFollower commitFollower = nullptr;  // the host dialogs' step after a commit

}  // namespace

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

int Session_SetUndoMark(const char* name, int* mark) {
  return journalled(
      "Session", 0, "SetUndoMark", &replaySetUndoMark,
      [&] {
        JAM_in_string(name, "name");
        JAM_result_int(mark, "mark");
      },
      [&] {
        int error = 0;
        *mark = 0;
        const int made = UNDO_QD_set_mark(1, name, &error);
        if (error == 0) *mark = made;
        return error;
      });
}

int Session_UndoToMark(int mark) {
  return journalled(
      "Session", 0, "UndoToMark", &replayUndoToMark, [&] { JAM_in_int(&mark, "mark"); },
      [&] { return UNDO_QD_undo_to_mark(mark, nullptr); });
}

int Session_DeleteUndoMark(int mark) {
  return journalled(
      "Session", 0, "DeleteUndoMark", &replayDeleteUndoMark, [&] { JAM_in_int(&mark, "mark"); },
      [&] { return UNDO_QD_delete_mark(mark, nullptr); });
}

namespace {
// Each collection of a part is the part itself, known to scripts by the
// collection's class.
int partCollection(tag_t part, const char* member, JAM_replay_fn replay, const char* collectionClass,
                   const char* resultName, tag_t* collection) {
  return partMember(1, member, replay, collectionClass, resultName, part, collection, [] {}, [&](PART_part* in) {
    *collection = in->OmTag();
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
  return partBody("CreateSolidBody", &replayPartSolid, part, Kernel::BodyType::Solid, body);
}

int Part_CreateSheetBody(tag_t part, tag_t* body) {
  return partBody("CreateSheetBody", &replayPartSheet, part, Kernel::BodyType::Sheet, body);
}

int Part_CreateSolidBody(tag_t part, int count, const JAM_point3d_s* points, tag_t* body) {
  return partFromPoints(
      "CreateSolidBody", &replayPartBlock, "Body", "body", part, count, points, body, [&](PART_part* in) {
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
  return partFromPoints(
      "CreateSheetBody", &replayPartFlatSheet, "Body", "body", part, count, points, body, [&](PART_part* in) {
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
        Math::Cross(a, b, n);
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
  double x[3];
  Math::Cross(seed, z, x);
  const double xl = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
  for (double& v : x) v /= xl;
  double y[3];
  Math::Cross(z, x, y);
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
  return partFromPoints(
      member, replay, journalClass, result, part, count, points, entity, [&](PART_part* in) {
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
  return partFromPoints(
      "CreatePlane", &replayPartPlane, "Plane", "plane", part, count, points, plane, [&](PART_part* in) {
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
  return partFromPoints(
      "CreateLine", &replayPartLine, "Line", "line", part, count, points, line, [&](PART_part* in) {
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
        auto* closed = need(dynamic_cast<JAX_BASE_BUILDER*>(builder), kNotABuilder, "no builder");
        const std::size_t logged = Host::DeletionLogLength();
        closed->destroy();
        // What the builder left for the next update goes now, as the
        // host's dialogs let go of it when they close.
        Host::DeleteLoggedSince(logged);
        return 0;
      });
}

namespace {
// A member of a selection that is given one object (argument `argument`,
// by tag): what is selected is in a part, never the part itself.
template <class Selection, class Select>
int selectOne(const char* journalClass, int methodType, const char* member, JAM_replay_fn replay,
              Selection* selection, const char* what, tag_t object, const char* argument, Select&& select) {
  return journalled(
      journalClass, methodType, member, replay,
      [&] {
        JAM_this_ptr(selection);
        JAM_in_tag(classOf("TaggedObject"), &object, argument);
      },
      [&] {
        need(selection, Error::kBadObject, what);
        if (dynamic_cast<PART_part*>(OM::OM_object_of_tag(object)) != nullptr) return kPartSelected;
        select();
        return 0;
      });
}
}  // namespace

int SelectObject_set_Value(SELECT_OBJECT* selection, tag_t value) {
  return selectOne("SelectObject", 2, "Value", &replaySelectValue, selection, "no selection", value, "value",
                   [&] { selection->set_selected_tag(value); });
}

int SelectObjectList_Add(SELECT_OBJECT_list* list, tag_t object) {
  return selectOne("SelectObjectList", 0, "Add", &replayListAdd, list, "no selection list", object, "object",
                   [&] { list->append(object); });
}

namespace {
// A method of "Section" that adds one loop of kind "kind" made from "points"
// ("Point3d" array): at least `fewest` points, or kBadLoop; `curves` makes
// the loop's curves.
template <class Curves>
int addLoop(const char* member, JAM_replay_fn replay, SC_section* section, int kind, int count,
            const JAM_point3d_s* points, int fewest, Curves&& curves) {
  return journalled(
      "Section", 0, member, replay,
      [&] {
        JAM_this_ptr(section);
        JAM_in_int(&kind, "kind");
        JAM_in_struct_array(JAM_lookup_struct("Point3d"), count, points, "points");
      },
      [&] {
        need(section, Error::kBadObject, "no section");
        if ((kind != SC_section::kClosed && kind != SC_section::kOpen) || count < fewest || points == nullptr ||
            !finitePoints(count, points))
          return kBadLoop;
        const std::vector<tag_t> loop = curves();
        section->add_loop(kind, static_cast<int>(loop.size()), loop.data());
        return 0;
      });
}
}  // namespace

int Section_AddLoop(SC_section* section, int kind, int count, const JAM_point3d_s* points) {
  return addLoop("AddLoop", &replayAddLoop, section, kind, count, points, 1, [&] {
    std::vector<tag_t> curves;
    for (int i = 0; i < count; ++i) {
      const double point[3] = {points[i].x, points[i].y, points[i].z};
      curves.push_back(ES_create_point(point));
    }
    return curves;
  });
}

int Section_AddLines(SC_section* section, int kind, int count, const JAM_point3d_s* points) {
  return addLoop("AddLines", &replayAddLines, section, kind, count, points, 2, [&] {
    std::vector<tag_t> lines;
    const int ends = kind == SC_section::kClosed ? count : count - 1;
    for (int i = 0; i < ends; ++i) {
      const JAM_point3d_s& a = points[i];
      const JAM_point3d_s& b = points[(i + 1) % count];
      const double from[3] = {a.x, a.y, a.z}, to[3] = {b.x, b.y, b.z};
      lines.push_back(ES_create_line_in_part(nullptr, from, to));
    }
    return lines;
  });
}

int Section_Clear(SC_section* section) {
  return journalled(
      "Section", 0, "Clear", &replaySectionClear, [&] { JAM_this_ptr(section); },
      [&] {
        need(section, Error::kBadObject, "no section")->remove_all();
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

}  // namespace KTX::Script
