#include "geom/Faces.hpp"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "kernel/Kernel.hpp"
#include "om/HostClass.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX {

int ES_face::ThisClassId = 0;
int FREF_reference::ThisClassId = 0;
int FACE_REFERENCE::ThisClassId = 0;

namespace {

// The attributes of one object: entries "kind title\0value" (kind 'r' a real
// written as its bytes, 's' a text, 'i' an integer's bytes then 'h' hidden or
// 'v' visible), held by an object of the part so that
// the object manager's undo restores them.
class ATTR_holder : public OM::TaggedObject {
  KTX_HOST_OBJECT(ATTR_holder, "KTX::ATTR_holder")
 public:
  OM::StringVla* Entries() const { return entries_; }

 protected:
  ATTR_holder(int classId, void* context) : OM::TaggedObject(classId, context), entries_(new OM::StringVla(this)) {}
  ~ATTR_holder() override { delete entries_; }

 private:
  OM::StringVla* entries_;
};
int ATTR_holder::ThisClassId = 0;

struct FaceClasses {
  FaceClasses() {
    Host::RegisterHostClass<ES_face>(OM::TaggedObject::OmClassName);
    Host::RegisterHostClass<FREF_reference>(OM::TaggedObject::OmClassName);
    Host::RegisterHostClass<FACE_REFERENCE>(OM::TaggedObject::OmClassName);
    Host::RegisterHostClass<ATTR_holder>(OM::TaggedObject::OmClassName);
  }
} faceClasses;

// Object tag -> holder tag; a holder undone away reads as none.
std::unordered_map<tag_t, tag_t>& holders() {
  static auto* map = new std::unordered_map<tag_t, tag_t>;
  return *map;
}

ATTR_holder* holderOf(tag_t object, bool make) {
  if (OM::OM_object_of_tag(object) == nullptr)
    ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "tag %u is no object for an attribute", object);
  auto it = holders().find(object);
  if (it != holders().end())
    if (auto* held = dynamic_cast<ATTR_holder*>(OM::OM_object_of_tag(it->second))) return held;
  if (!make) return nullptr;
  auto* made = Host::CreateInPart<ATTR_holder>(PART_ask_part_of_object(object));
  holders()[object] = made->OmTag();
  return made;
}

std::string keyOf(char kind, const char* title) { return std::string(1, kind) + (title != nullptr ? title : "") + '\0'; }

void set(tag_t object, char kind, const char* title, const std::string& value) {
  ATTR_holder* holder = holderOf(object, true);
  OM::OM__log(holder->Entries());
  std::vector<std::string>& entries = holder->Entries()->Items();
  for (char k : {'r', 's', 'i'}) {
    const std::string key = keyOf(k, title);
    for (std::size_t i = entries.size(); i-- > 0;)
      if (entries[i].compare(0, key.size(), key) == 0) entries.erase(entries.begin() + static_cast<long>(i));
  }
  entries.push_back(keyOf(kind, title) + value);
}

const std::string* find(tag_t object, char kind, const char* title) {
  const ATTR_holder* holder = holderOf(object, false);
  if (holder == nullptr) return nullptr;
  const std::string key = keyOf(kind, title);
  for (const std::string& entry : holder->Entries()->Items())
    if (entry.compare(0, key.size(), key) == 0) return &entry;
  return nullptr;
}

// Kernel face -> its reference. Kernel tags are never reused, so an entry
// can only go stale: a reference undone away reads as none.
std::unordered_map<int, tag_t>& faceReferences() {
  static auto* map = new std::unordered_map<int, tag_t>;
  return *map;
}

ES_face* faceOf(tag_t face) { return dynamic_cast<ES_face*>(OM::OM_object_of_tag(face)); }

// Ends of two faces' boundaries closer than this (host units) are one point:
// what the arithmetic of one body maker leaves between faces that meet.
constexpr double kSameEdge = 1.0e-6;

}  // namespace

ES_face::ES_face(int classId, void* context) : GEOM_entity(classId, context), edges_(new OM::TagVla(this)) {}
ES_face::~ES_face() { delete edges_; }

const std::vector<tag_t>& ES_face::ask_edges() const { return edges_->Items(); }

void ES_face::add_edge(tag_t edge) {
  std::vector<tag_t>& items = edges_->Items();
  if (edge == 0 || std::find(items.begin(), items.end(), edge) != items.end()) return;
  OM::OM__log(edges_);
  edges_->Items().push_back(edge);
}

void ES_face::cascade_destroy() {
  Kernel::DetachModelBody(OmTag());
  GEOM_entity::cascade_destroy();
}

tag_t ES_create_face(tag_t body) {
  Host::Log("ES_create_face", "body=" + std::to_string(body));
  auto* solid = dynamic_cast<ES_solid*>(OM::OM_object_of_tag(body));
  if (solid == nullptr) return 0;
  auto* face = Host::CreateInPart<ES_face>(PART_ask_part_of_object(body));
  face->body_ = body;
  // A face of a body the kernel holds is a kernel face too, so that the
  // kernel's face queries and the host's lookup from kernel entities meet.
  if (const int kernelFace = Kernel::AddFace(solid->ask_kernel_body()); kernelFace != 0)
    Kernel::AttachModelBody(face->OmTag(), kernelFace);
  return face->OmTag();
}

int ES_face_ask_edges(tag_t face, int* count, tag_t** edges) {
  Host::Log("ES_face_ask_edges", "tag=" + std::to_string(face));
  *count = 0;
  *edges = nullptr;
  const ES_face* f = faceOf(face);
  if (f == nullptr) return Geometry::kNoEntity;
  const std::vector<tag_t>& items = f->ask_edges();
  if (items.empty()) return 0;
  *edges = static_cast<tag_t*>(SM_alloc(items.size() * sizeof(tag_t)));
  if (*edges == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for %zu edges", items.size());
  std::copy(items.begin(), items.end(), *edges);
  *count = static_cast<int>(items.size());
  return 0;
}

void ES_face_add_edge(tag_t face, tag_t edge) {
  if (ES_face* f = faceOf(face)) f->add_edge(edge);
}

tag_t ES_ask_eid_of_kernel_entity(int entity) {
  if (const tag_t body = ES_solid_of_kernel_body(entity); body != 0) return body;
  const tag_t object = Kernel::ModelObjectOf(entity);
  return OM::OM_object_of_tag(object) != nullptr ? object : 0;
}

FACE_REFERENCE* FREF_find_fref_of_face(int kernelFace) {
  Host::Log("FREF_find_fref_of_face", "face=" + std::to_string(kernelFace));
  auto it = faceReferences().find(kernelFace);
  if (it != faceReferences().end())
    if (auto* kept = dynamic_cast<FACE_REFERENCE*>(OM::OM_object_of_tag(it->second))) return kept;
  const tag_t face = ES_ask_eid_of_kernel_entity(kernelFace);
  if (faceOf(face) == nullptr) return nullptr;
  auto* reference = Host::CreateInPart<FACE_REFERENCE>(PART_ask_part_of_object(face));
  reference->face_ = face;
  faceReferences()[kernelFace] = reference->OmTag();
  return reference;
}

namespace {

// Gives the body one face per frame and the edges of those faces sewn
// together (see ES_create_body_with_faces).
void makeFaces(tag_t body, const std::vector<FaceFrame>& faces, const std::vector<FaceBoundaryLoops>& boundaries) {
  std::vector<Kernel::FaceBoundary> bounded(faces.size());
  std::vector<ES_face*> made;
  for (std::size_t i = 0; i < faces.size(); ++i) {
    const FaceFrame& frame = faces[i];
    made.push_back(dynamic_cast<ES_face*>(OM::OM_object_of_tag(ES_create_face(body))));
    made.back()->set_frame(frame.origin, frame.matrix);
    Kernel::FaceBoundary& b = bounded[i];
    std::copy(frame.origin, frame.origin + 3, b.point);
    std::copy(frame.matrix + 6, frame.matrix + 9, b.normal);
    if (i < boundaries.size() && !boundaries[i].empty()) {
      b.polygons = boundaries[i];
      continue;
    }
    std::vector<double> corners;
    for (const int corner : {0, 1, 3, 2})
      for (int k = 0; k < 3; ++k)
        corners.push_back(frame.origin[k] + (corner & 1) * frame.matrix[k] + (corner >> 1) * frame.matrix[3 + k]);
    b.polygons.push_back(std::move(corners));
  }
  // Faces the modeller finds meeting along a segment share its edge.
  std::vector<std::vector<int>> faceEdges;
  std::vector<std::vector<double>> ends;
  Kernel::SewnEdges(bounded, kSameEdge, &faceEdges, &ends);
  PART_part* owner = PART_ask_part_of_object(body);
  std::vector<tag_t> edges;
  for (const std::vector<double>& e : ends) edges.push_back(ES_create_edge_in_part(owner, body, 2, e.data()));
  for (std::size_t i = 0; i < made.size(); ++i)
    for (int edge : faceEdges[i]) made[i]->add_edge(edges[static_cast<std::size_t>(edge)]);
}

}  // namespace

tag_t ES_create_body_with_faces(PART_part* part, bool sheet, const std::vector<FaceFrame>& faces,
                                const std::vector<FaceBoundaryLoops>& boundaries) {
  Host::Log("ES_create_body_with_faces", std::string(sheet ? "sheet" : "solid") + " faces=" + std::to_string(faces.size()));
  const int kernelBody = Kernel::CreateBody(sheet ? Kernel::BodyType::Sheet : Kernel::BodyType::Solid);
  tag_t body = 0;
  try {
    body = ES_solid::MakeOwning(part, kernelBody)->OmTag();
  } catch (...) {
    Kernel::DeleteBody(kernelBody, "ES_create_body_with_faces");
    throw;
  }
  makeFaces(body, faces, boundaries);
  return body;
}

bool ES_body_remake_faces(tag_t body, const std::vector<FaceFrame>& faces,
                          const std::vector<FaceBoundaryLoops>& boundaries) {
  Host::Log("ES_body_remake_faces", "body=" + std::to_string(body) + " faces=" + std::to_string(faces.size()));
  if (dynamic_cast<ES_solid*>(OM::OM_object_of_tag(body)) == nullptr) return false;
  std::vector<tag_t> old;
  for (tag_t t : Host::KeptInPart(PART_ask_part_of_object(body))) {
    const ES_face* face = faceOf(t);
    const auto* edge = dynamic_cast<ES_edge*>(OM::OM_object_of_tag(t));
    if ((face != nullptr && face->ask_body() == body) || (edge != nullptr && edge->ask_body() == body)) old.push_back(t);
  }
  for (tag_t t : old) {
    // A face's kernel face goes with it, so the kernel body lists only the new ones.
    if (faceOf(t) != nullptr) Kernel::RemoveFace(Kernel::DetachModelBody(t));
    if (auto* object = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(t))) object->destroy();
  }
  makeFaces(body, faces, boundaries);
  return true;
}

tag_t FREF_create(tag_t face) {
  auto* reference = Host::CreateInPart<FREF_reference>(PART_ask_part_of_object(face));
  reference->face_ = face;
  return reference->OmTag();
}

tag_t FREF_ask_qd_eid(tag_t reference) {
  Host::Log("FREF_ask_qd_eid", "tag=" + std::to_string(reference));
  auto* r = dynamic_cast<FREF_reference*>(OM::OM_object_of_tag(reference));
  return r == nullptr ? 0 : r->ask_face();
}

tag_t ES_solid_ask_body(tag_t face) {
  Host::Log("ES_solid_ask_body", "tag=" + std::to_string(face));
  auto* f = dynamic_cast<ES_face*>(OM::OM_object_of_tag(face));
  return f == nullptr ? 0 : f->ask_body();
}

void ATTR_set_real(tag_t object, const char* title, double value) {
  Host::Log("ATTR_set_real", "tag=" + std::to_string(object) + " " + (title != nullptr ? title : ""));
  set(object, 'r', title, std::string(reinterpret_cast<const char*>(&value), sizeof value));
}

void ATTR_set_string(tag_t object, const char* title, const char* text) {
  Host::Log("ATTR_set_string", "tag=" + std::to_string(object) + " " + (title != nullptr ? title : ""));
  set(object, 's', title, text != nullptr ? text : "");
}

bool ATTR_ask_real(tag_t object, const char* title, double* value) {
  if (Host::Logging())
    Host::Log("ATTR_ask_real", "tag=" + std::to_string(object) + " " + (title != nullptr ? title : ""));
  const std::string* entry = find(object, 'r', title);
  if (entry == nullptr) return false;
  const std::size_t at = keyOf('r', title).size();
  double read = 0;
  std::copy(entry->begin() + static_cast<long>(at), entry->end(), reinterpret_cast<char*>(&read));
  if (value != nullptr) *value = read;
  return true;
}

char* ATTR_ask_string(tag_t object, const char* title) {
  if (Host::Logging())
    Host::Log("ATTR_ask_string", "tag=" + std::to_string(object) + " " + (title != nullptr ? title : ""));
  const std::string* entry = find(object, 's', title);
  if (entry == nullptr) return nullptr;
  return SM_string_copy(entry->c_str() + keyOf('s', title).size());
}

void ATTR_set_int(tag_t object, const char* title, int value, bool hidden) {
  Host::Log("ATTR_set_int", "tag=" + std::to_string(object) + " " + (title != nullptr ? title : "") +
                                (hidden ? " hidden" : ""));
  std::string bytes(reinterpret_cast<const char*>(&value), sizeof value);
  set(object, 'i', title, bytes + (hidden ? 'h' : 'v'));
}

bool ATTR_ask_int(tag_t object, const char* title, int* value, bool* hidden) {
  if (Host::Logging())
    Host::Log("ATTR_ask_int", "tag=" + std::to_string(object) + " " + (title != nullptr ? title : ""));
  const std::string* entry = find(object, 'i', title);
  if (entry == nullptr) return false;
  const std::size_t at = keyOf('i', title).size();
  int read = 0;
  std::copy(entry->begin() + static_cast<long>(at), entry->begin() + static_cast<long>(at + sizeof read),
            reinterpret_cast<char*>(&read));
  if (value != nullptr) *value = read;
  if (hidden != nullptr) *hidden = entry->back() == 'h';
  return true;
}

std::vector<std::string> ATTR_ask_titles(tag_t object) {
  std::vector<std::string> titles;
  const ATTR_holder* holder = holderOf(object, false);
  if (holder == nullptr) return titles;
  // An entry is its kind, its title and a terminating zero, then the value.
  for (const std::string& entry : holder->Entries()->Items()) titles.emplace_back(entry.c_str() + 1);
  return titles;
}

double TEXT_atof(const char* text) { return text == nullptr ? 0.0 : std::strtod(text, nullptr); }

}  // namespace KTX

namespace KTX::Attr {
bool SetUserAttribute(tag_t object, const UserAttributeDescriptor& descriptor, const UserAttributeValue& value) {
  if (descriptor.type != 3 || descriptor.title.empty() || OM::OM_object_of_tag(object) == nullptr) return false;
  ATTR_set_int(object, descriptor.title.utf8_str(), value.integer, descriptor.hidden);
  return true;
}
bool GetUserAttribute(tag_t object, const UString& title, UserAttributeValue* value) {
  int integer = 0;
  if (ATTR_ask_int(object, title.utf8_str(), &integer, nullptr)) {
    if (value != nullptr) value->integer = integer;
    return true;
  }
  double real = 0.0;
  if (ATTR_ask_real(object, title.utf8_str(), &real)) return true;
  char* text = ATTR_ask_string(object, title.utf8_str());
  const bool found = text != nullptr;
  SM_free(text);
  return found;
}
}  // namespace KTX::Attr
