// Geometry entities of a part (points, planes, coordinate systems, direction
// entities and bodies), the work coordinate system, and the die-design
// library's evaluation of generic planes, directions and locations.
#pragma once
#include <vector>

#include "feat/Builder.hpp"
#include "sys/Memory.hpp"

namespace KTX {

// What every entity holds: a frame (origin and row-order matrix; the third
// row is a plane's normal, a coordinate system's Z axis and a direction's
// direction), its sleep state, and for a body the kernel body.
class KTX_HOST_API GEOM_entity : public OM::TaggedObject {
 public:
  void ask_frame(double origin[3], double matrix[9]) const;
  void set_frame(const double origin[3], const double matrix[9]);
  const double* ask_origin() const { return origin_; }
  // The third row of the matrix.
  void ask_direction(double direction[3]) const;
  bool ask_sleeping() const { return sleeping_; }
  void set_sleeping(bool sleeping);
  // The layer the entity lies on; a new entity lies on layer 1.
  int ask_layer() const { return layer_ == 0 ? 1 : layer_; }
  void set_layer(int layer);

 protected:
  GEOM_entity(int classId, void* context) : OM::TaggedObject(classId, context) {}

 private:
  double origin_[3];
  double matrix_[9];
  bool sleeping_;
  int layer_;
};

#define KTX_GEOM_ENTITY(Class)                                            \
  class KTX_HOST_API Class : public GEOM_entity {                         \
    KTX_HOST_OBJECT(Class, "KTX::" #Class)                                \
   protected:                                                             \
    Class(int classId, void* context) : GEOM_entity(classId, context) {}  \
  };
KTX_GEOM_ENTITY(ES_point)
KTX_GEOM_ENTITY(ES_plane)
KTX_GEOM_ENTITY(ES_csys)
KTX_GEOM_ENTITY(DIRR_direction)
#undef KTX_GEOM_ENTITY

// A curve: a polyline through its points, in order. Its frame's origin is
// its first point; a line's (two points) third row is its direction, so a
// direction taken from a line runs along it.
class KTX_HOST_API ES_curve : public GEOM_entity {
  KTX_HOST_OBJECT(ES_curve, "KTX::ES_curve")
 public:
  int ask_point_count() const;
  // The points as x, y, z triples.
  std::vector<double> ask_points() const;
  // Replaces the points (logged for undo); fewer than two points, or one that
  // is not finite, leave the curve as it is.
  void set_points(const std::vector<double>& points);

 protected:
  ES_curve(int classId, void* context);
  ~ES_curve() override;

 private:
  friend KTX_HOST_API tag_t ES_create_polyline_in_part(PART_part* part, int count, const double* points);
  OM::DoubleVla* points_;
};

// An edge of a solid: a curve that a body owns (entity type 70, subtype 3).
class KTX_HOST_API ES_edge : public ES_curve {
  KTX_HOST_OBJECT(ES_edge, "KTX::ES_edge")
 public:
  tag_t ask_body() const { return body_; }

 protected:
  ES_edge(int classId, void* context) : ES_curve(classId, context) {}

 private:
  friend KTX_HOST_API tag_t ES_create_edge_in_part(PART_part* part, tag_t body, int count, const double* points);
  tag_t body_;
};
// Test hook: a new edge of the body (any tag, 0 included) through `count`
// points, in the work part; 0 for fewer than two points.
KTX_HOST_API tag_t ES_create_edge(tag_t body, int count, const double* points);
// The same in the given part (null: the work part), not logged: how a body
// maker gives its body its edges.
KTX_HOST_API tag_t ES_create_edge_in_part(PART_part* part, tag_t body, int count, const double* points);

// A model body and the kernel body it holds (the kernel's model-body
// attachment, so ES_solid_ask_solvane_tag answers with it).
class KTX_HOST_API ES_solid : public GEOM_entity {
  KTX_HOST_OBJECT(ES_solid, "KTX::ES_solid")
 public:
  int ask_kernel_body() const { return kernelBody_; }
  static ES_solid* Make(PART_part* part, int kernelBody);
  // A body that owns its kernel body: the kernel body is deleted when the
  // model body is freed for good (not when an undo may still revive it), as a
  // feature's body goes with the feature.
  static ES_solid* MakeOwning(PART_part* part, int kernelBody);
  // Gives the kernel body back to the kernel.
  void cascade_destroy() override;

 protected:
  ES_solid(int classId, void* context) : GEOM_entity(classId, context) {}
  ~ES_solid() override;

 private:
  int kernelBody_;
  bool ownsKernelBody_;
};

// When the model is updated for an entity made on the way: the callers pass
// 0 or 1; the stand-in records it only.
enum SO_update_option_t : int {};

// ---- making entities (in the work part; 0 when there is none) ----------------
// Each may be scripted to fail: the answer "<name>.fail" not 0 gives tag 0.
// A point, origin or frame that is not finite (NaN, infinite) gives tag 0 too.
KTX_HOST_API tag_t ES_create_point(const double point[3]);
KTX_HOST_API tag_t ES_create_plane(const double origin[3], const double matrix[9]);
KTX_HOST_API tag_t ES_create_csys(const double origin[3], const double matrix[9]);
// A curve through `count` points (x, y, z triples); 0 for fewer than two.
KTX_HOST_API tag_t ES_create_polyline(int count, const double* points);
// The same in the given part (null: the work part).
KTX_HOST_API tag_t ES_create_polyline_in_part(PART_part* part, int count, const double* points);

// ---- curve evaluation -------------------------------------------------------------
// An evaluator of a curve's geometry: a copy of its points, counted memory.
struct KTX_HOST_API EVC_curve : Memory::CppMemory {
  std::vector<double> points;  // x, y, z triples
};
// A new evaluator of the curve (freed with evcrvf): 0, or kNoEntity when the
// tag is no curve (the evaluator stays null).
KTX_HOST_API int evcrvu(tag_t curve, EVC_curve** evaluator);
// Whether the curve's ends meet within the distance tolerance (the angle
// tolerance and the option are recorded only). False without an evaluator.
KTX_HOST_API bool DIE_ADD_curve_is_closed(const EVC_curve* evaluator, double distanceTolerance,
                                          double angleTolerance, int option);
// Frees an evaluator; null does nothing.
KTX_HOST_API void evcrvf(EVC_curve* evaluator);
// A new curve in the work part through the geometry's points (the tolerance
// is recorded only); 0 for no geometry or fewer than two points. Logged.
KTX_HOST_API tag_t DIE_ADD_ask_tag_from_curve_geom(const EVC_curve* geometry, double tolerance);
// The entity's type: 45 a curve, 2 a point, 196 a coordinate system, 0
// another object. 0, or kNoEntity (type 0) for a tag that is no object. Logged.
KTX_HOST_API int RM_ask_entity_type(tag_t entity, int* type);
// A direction entity in the part through the point along the direction (normalised).
KTX_HOST_API tag_t DIRR_create_doubles(PART_part* part, int updateOption, const double point[3],
                                       const double direction[3]);
KTX_HOST_API bool DIRR_is_dirr(tag_t tag);
KTX_HOST_API void DIRR_set_direction(tag_t dirr, const double direction[3]);
// A model body (in the work part) for a kernel body.
KTX_HOST_API tag_t ES_create_solid(int kernelBody);
// The model body of a kernel body; 0 when there is none.
KTX_HOST_API tag_t ES_solid_of_kernel_body(int kernelBody);
KTX_HOST_API void RM_set_sleep_state(tag_t entity, int sleep);

// ---- the work coordinate system (of the work part; absolute without one) ------
KTX_HOST_API void WCS_ask_origin(double origin[3]);
KTX_HOST_API void WCS_ask_matrix(double matrix[9]);
KTX_HOST_API void WCS_set(const double origin[3], const double matrix[9]);
// The work coordinate system as an entity: a coordinate system in the work
// part at the system's frame, made on the first ask and given again while it
// lives (0 without a work part).
KTX_HOST_API tag_t WCS_ask_tag();

// ---- the die-design library's evaluation ----------------------------------------
//
// Plane (type 0 selection, 1 plane entity, 2 coordinate system): a selected
// plane, coordinate system or direction entity, or the specified plane
// entity, gives its own tag and frame; a coordinate system gives tag 0 and the
// stored frame. Reversed, the frame's Y and Z rows are negated. False (tag 0,
// outputs untouched) when the object is missing or no such entity.
// Scripted: "DieDes_DieGenericPlane_GetTagAndDefinition.fail" not 0 gives false.
KTX_HOST_API bool DieDes_DieGenericPlane_GetTagAndDefinition(int type, tag_t selected, tag_t specified, bool reverse,
                                                             const double origin[3], const double matrix[9],
                                                             tag_t* tag, double outOrigin[3], double outMatrix[9],
                                                             double* outVector);
// Direction (type 0 selection, 1 coordinate system, 2 direction entity): as
// the plane, with the direction entity in the place of the plane entity.
KTX_HOST_API bool DieDes_DieGenericDirection_GetTagAndDefinition(int type, tag_t selected, tag_t vector, bool reverse,
                                                                 const double origin[3], const double matrix[9],
                                                                 tag_t* tag, double outOrigin[3],
                                                                 double outMatrix[9], double* outVector);
// Location (type 0 selection, 1 point, 2 coordinate system, 3 direction,
// 4 plane): the entity of the type gives its frame, and its tag unless it is
// asleep (defined only, not yet in the model: tag 0); a coordinate system gives
// tag 0 and the stored frame. False when the entity of the type is missing.
KTX_HOST_API bool DieDes_DieGenericLocation_GetTagAndDefinition(int type, tag_t selected, tag_t point, tag_t vector,
                                                                tag_t plane, const double origin[3],
                                                                const double matrix[9], int mode, tag_t* tag,
                                                                double outPoint[3], double outMatrix[9],
                                                                double outDirection[3]);
// ---- coordinate systems and vectors ------------------------------------------------
// The origin of a coordinate system (any entity: its frame's origin): 0, or kNoEntity.
KTX_HOST_API int ES_ask_csys_origin(tag_t csys, double origin[3]);
// The coordinates of a point entity: 0, or kNoEntity (also for another entity).
KTX_HOST_API int ES_ask_coordinates_of_point(tag_t point, double coordinates[3]);
// The matrix of an entity: its tag names the matrix, whose nine elements (row
// order) ES_ask_elements_of_matrix gives. 0, or kNoEntity.
KTX_HOST_API int ES_ask_matrix_tag_of_entity(tag_t entity, tag_t* matrix);
KTX_HOST_API int ES_ask_elements_of_matrix(tag_t matrix, double elements[9]);
// `unit` := v / |v| and *magnitude := |v|; a vector not longer than the
// tolerance gives the zero vector (and its magnitude).
KTX_HOST_API void VEC3_unitize(const double v[3], double tolerance, double* magnitude, double unit[3]);
// The keyway's direction and side for a location type (0 +X, 1 -X, 2 +Y,
// 3 -Y of the frame's rows X, Y, Z): the direction is that axis made
// perpendicular to the base normal and unit; the side is the base normal
// crossed with the direction. Another type gives +X. Logged.
KTX_HOST_API void DIEDES_KEY_derive_dirs(int location, const double baseNormal[3], const double frame[9],
                                         double direction[3], double side[3]);

// ---- intersections -------------------------------------------------------------------
// One point where a plane meets a curve (kind 0).
struct INT_info {
  int kind;
  double point[3];
};
// The points where the plane through `point` with normal `normal` meets the
// curve's polyline (ends within the tolerance of the plane count), in the
// curve's order: a new array (SM_alloc, freed with INT_free_info; null when
// none). 0, or kNoEntity when the object is no curve.
KTX_HOST_API int INT_plane_object(const double point[3], const double normal[3], tag_t object, double tolerance,
                                  int* count, INT_info** infos);
KTX_HOST_API void INT_free_info(int count, INT_info* infos);

// The origin and direction of an entity: 0, or kNoEntity.
KTX_HOST_API int DIEDES_UTILS__get_pt_and_dir(tag_t entity, double point[3], double direction[3]);

// ---- entities of a part by type, their names and attributes ---------------------
// Object types: 2 points, 45 curves, 70 bodies with their faces and edges,
// 196 coordinate systems. The first
// entity of the type that the part keeps (in the order made), and the next
// one after `entity`; 0 when there is none. Logged.
KTX_HOST_API tag_t RM_cycle_entities_by_type(const PART_part* part, int type);
KTX_HOST_API tag_t RM_next_entity_of_type(const PART_part* part, int type, tag_t entity);
// The part whose entities are cycled (the stand-in has one part per part).
KTX_HOST_API PART_part* PART_ask_rm_part_of_part(PART_part* part);
// Test hooks: an entity's name, and one attribute (title, value, hidden or
// not). Kept by the host beside the entity, not undone.
KTX_HOST_API void SetEntityName(tag_t entity, const char* name);
KTX_HOST_API void SetEntityAttribute(tag_t entity, const char* title, const char* value, bool hidden);
// Whether the entity carries the name (when one is given: ASCII case
// ignored), or else the attribute of that title and value (when both are
// given; a hidden attribute only with allowHidden). The attribute type is
// recorded only. Logged.
KTX_HOST_API bool DieDesUtilsHasAttribute(tag_t entity, int attributeType, bool allowHidden, const char* name,
                                          const char* title, const char* value);

// ---- copying onto the work layer ---------------------------------------------------
// Between a begin and an end, each copy is a new entity of the same kind and
// frame (a curve with its points) on the layer (-1: the work layer, 1 in the
// stand-in); 0 for no entity. Logged.
KTX_HOST_API void ES_begin_copy_to_layer();
KTX_HOST_API tag_t ES_copy_entity_onto_layer(tag_t entity, int layer);
KTX_HOST_API void ES_end_copy_to_layer_normal();
KTX_HOST_API void ES_end_copy_to_layer_upon_error();

namespace Geometry {
enum Message : int {
  kNoEntity = 840201,  // the tag is no geometry entity
};
}  // namespace Geometry

}  // namespace KTX
