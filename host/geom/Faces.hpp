// Faces of model bodies and the references through which a selection holds
// a face, and the user attributes any object can carry by title.
#pragma once
#include <string>
#include <vector>

#include "geom/Geometry.hpp"
#include "sys/UString.hpp"

namespace KTX {

// A face of a model body (its frame is the body's, at the face) and its
// edges. A face of a body that holds a live kernel body is a kernel face of
// it too (attached as model bodies are).
class KTX_HOST_API ES_face : public GEOM_entity {
  KTX_HOST_OBJECT(ES_face, "KTX::ES_face")
 public:
  tag_t ask_body() const { return body_; }
  // The edges bounding the face, in the order added.
  const std::vector<tag_t>& ask_edges() const;
  // Adds an edge (logged for undo); one the face has already is not added twice.
  void add_edge(tag_t edge);
  // Forgets the kernel face it stood for.
  void cascade_destroy() override;

 protected:
  ES_face(int classId, void* context);
  ~ES_face() override;

 private:
  friend KTX_HOST_API tag_t ES_create_face(tag_t body);
  friend tag_t ES_create_face_of_kernel_face(tag_t body, int kernelFace);
  tag_t body_;
  OM::TagVla* edges_;
};

// What a face reference of the modelling interfaces names: a model face.
class KTX_HOST_API FACE_REFERENCE : public OM::TaggedObject {
  KTX_HOST_OBJECT(FACE_REFERENCE, "KTX::FACE_REFERENCE")
 public:
  tag_t ask_face() const { return face_; }

 protected:
  FACE_REFERENCE(int classId, void* context) : OM::TaggedObject(classId, context) {}

 private:
  friend KTX_HOST_API FACE_REFERENCE* FREF_find_fref_of_face(int kernelFace);
  tag_t face_;
};

// What a selection holds for a face: a reference to it.
class KTX_HOST_API FREF_reference : public OM::TaggedObject {
  KTX_HOST_OBJECT(FREF_reference, "KTX::FREF_reference")
 public:
  tag_t ask_face() const { return face_; }

 protected:
  FREF_reference(int classId, void* context) : OM::TaggedObject(classId, context) {}

 private:
  friend KTX_HOST_API tag_t FREF_create(tag_t face);
  tag_t face_;
};

// A new face of the body (0 when the body is no model body) and a new
// reference to a face, both in the work part.
KTX_HOST_API tag_t ES_create_face(tag_t body);
KTX_HOST_API tag_t FREF_create(tag_t face);
// A face's frame as MODL_ask_face_props reads it: its origin, two rows that
// span the face and, third, its normal.
struct FaceFrame {
  double origin[3];
  double matrix[9];
};
// The closed polygons (x, y, z triples, the closing point not repeated) that
// bound a face in its plane: the largest the outer one, the others holes.
using FaceBoundaryLoops = std::vector<std::vector<double>>;
// A feature's body in the part (null: the work part): a model body owning a
// new kernel body (a sheet, or a solid), with one kernel face and one face
// per frame, in order, each face holding its kernel face
// (ES_solid_ask_solvane_tag). Each face is bounded by its boundary (none
// given, or empty: the parallelogram its frame's first two rows span from its
// origin), and the body has the edges of its faces sewn together: faces whose
// boundaries run along one segment share its edge (ES_face_ask_edges), an
// edge of the body (ES_edge, in the body's part, gone with the body). Logged
// with the count of faces.
KTX_HOST_API tag_t ES_create_body_with_faces(PART_part* part, bool sheet, const std::vector<FaceFrame>& faces,
                                             const std::vector<FaceBoundaryLoops>& boundaries = {});
// A feature's update: the body keeps its tag and kernel body, its faces and
// edges (and their kernel faces) are destroyed, and it gets new ones as
// ES_create_body_with_faces makes them. False (nothing changed) for a tag
// that is no body. Logged with the count of faces.
KTX_HOST_API bool ES_body_remake_faces(tag_t body, const std::vector<FaceFrame>& faces,
                                       const std::vector<FaceBoundaryLoops>& boundaries = {});
// A feature's body made from a kernel body that holds geometry: a model body
// (in the part; null: the work part) owning it, with one model face for each
// of the geometry's faces, in the kernel's order, framed as that face
// (KTX::Kernel::DescribeFaces, in host units) and holding its kernel face, and
// the geometry's edges. Logged with the count of faces.
KTX_HOST_API tag_t ES_create_body_of_geometry(PART_part* part, int kernelBody);
// After the geometry of the body's kernel body changed: its faces and edges
// are destroyed and made again from the geometry. False (nothing changed)
// for a tag that is no body or a body whose kernel body has no geometry.
// Logged.
KTX_HOST_API bool ES_body_follow_geometry(tag_t body);
// The face a reference names; 0 for anything else.
KTX_HOST_API tag_t FREF_ask_qd_eid(tag_t reference);
// The body of a face; 0 for anything else.
KTX_HOST_API tag_t ES_solid_ask_body(tag_t face);
// The edges of a face: a new array (SM_alloc; null when none). 0, or
// Geometry::kNoEntity for a tag that is no face. Logged.
KTX_HOST_API int ES_face_ask_edges(tag_t face, int* count, tag_t** edges);
// The edge bounds the face too (two faces that share an edge both list it);
// a test hook besides the edges a body is made with.
KTX_HOST_API void ES_face_add_edge(tag_t face, tag_t edge);
// The model object a kernel entity stands for: a kernel body its model body,
// a kernel face its model face; 0 when there is none (or it is gone).
KTX_HOST_API tag_t ES_ask_eid_of_kernel_entity(int entity);
// The reference of the model face that stands for the kernel face, made in
// the face's part on the first ask and given again while it lives (the part
// keeps it); null when no model face stands for the kernel face. Logged.
KTX_HOST_API FACE_REFERENCE* FREF_find_fref_of_face(int kernelFace);

// ---- user attributes ----------------------------------------------------------------
// Real and string attributes by title on any live object, kept with the
// object's part so that undo restores them. Setting replaces an attribute of
// that title (of either kind); an unknown object raises the bad-object error.
KTX_HOST_API void ATTR_set_real(tag_t object, const char* title, double value);
KTX_HOST_API void ATTR_set_string(tag_t object, const char* title, const char* text);
// False when the object has no attribute of that title and kind.
KTX_HOST_API bool ATTR_ask_real(tag_t object, const char* title, double* value);
// A new copy (SM_alloc) of the text; null when there is none of that title.
KTX_HOST_API char* ATTR_ask_string(tag_t object, const char* title);
// Integer attributes, visible or hidden (the tooling's role titles are hidden).
KTX_HOST_API void ATTR_set_int(tag_t object, const char* title, int value, bool hidden);
// False when the object has no integer attribute of that title.
KTX_HOST_API bool ATTR_ask_int(tag_t object, const char* title, int* value, bool* hidden);
// The titles of the object's user attributes of every kind, in the order set.
KTX_HOST_API std::vector<std::string> ATTR_ask_titles(tag_t object);
// The text read as a number (0 for none).
KTX_HOST_API double TEXT_atof(const char* text);

}  // namespace KTX

namespace KTX::Attr {
// What a user attribute is: its title, its type (3: an integer; the only type
// kept through this interface) and whether the user sees it.
struct UserAttributeDescriptor {
  UString title;
  int type = 3;
  bool hidden = false;
};
struct UserAttributeValue {
  int integer = 0;
};
// Sets (replaces) the object's attribute of the descriptor's title. False,
// with nothing set, for an object that is not alive, an empty title or a type
// other than 3.
KTX_HOST_API bool SetUserAttribute(tag_t object, const UserAttributeDescriptor& descriptor,
                                   const UserAttributeValue& value);
// Whether the object carries an attribute of that title, of any kind, hidden
// or not; an integer one gives its value.
KTX_HOST_API bool GetUserAttribute(tag_t object, const UString& title, UserAttributeValue* value);
}  // namespace KTX::Attr
