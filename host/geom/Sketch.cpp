#include "geom/Sketch.hpp"

#include <cmath>
#include <map>
#include <vector>

#include "assy/Assembly.hpp"
#include "geom/Faces.hpp"
#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"

namespace KTX {
namespace {
// Members by sketch; a sketch is a coordinate system entity with an entry here.
std::map<tag_t, std::vector<tag_t>>& sketches() {
  static auto* all = new std::map<tag_t, std::vector<tag_t>>;
  return *all;
}
int displayMode = 2;

const std::vector<tag_t>* membersOf(tag_t sketch) {
  auto it = sketches().find(sketch);
  if (it == sketches().end() || dynamic_cast<ES_csys*>(OM::OM_object_of_tag(sketch)) == nullptr) return nullptr;
  return &it->second;
}
}  // namespace

int ES_read_sketch_geom_members(tag_t sketch, int* count, tag_t** members) {
  Host::Log("ES_read_sketch_geom_members", "tag=" + std::to_string(sketch));
  *count = 0;
  *members = nullptr;
  const std::vector<tag_t>* found = membersOf(sketch);
  if (found == nullptr) return Geometry::kNoEntity;
  if (found->empty()) return 0;
  *members = static_cast<tag_t*>(SM_alloc(found->size() * sizeof(tag_t)));
  if (*members == nullptr) return Geometry::kNoEntity;
  for (std::size_t i = 0; i < found->size(); ++i) (*members)[i] = (*found)[i];
  *count = static_cast<int>(found->size());
  return 0;
}

int ES_ask_sketch_placement(tag_t sketch, double origin[3], double matrix[9]) {
  if (membersOf(sketch) == nullptr) return Geometry::kNoEntity;
  static_cast<ES_csys*>(OM::OM_object_of_tag(sketch))->ask_frame(origin, matrix);
  return 0;
}

int RM_ask_entity_type_and_subtype(tag_t entity, int* type, int* subtype) {
  OM::Object* object = OM::OM_object_of_tag(entity);
  *subtype = 0;
  if (dynamic_cast<ES_edge*>(object) != nullptr) {
    *type = 70;
    *subtype = 3;
  } else if (dynamic_cast<ES_solid*>(object) != nullptr) {
    *type = 70;
  } else if (dynamic_cast<ES_face*>(object) != nullptr) {
    *type = 70;
    *subtype = 2;
  } else if (dynamic_cast<FEATURE_RECORD*>(object) != nullptr) {
    *type = 205;
  } else if (auto* curve = dynamic_cast<ES_curve*>(object)) {
    *type = curve->ask_point_count() == 2 ? 3 : 5;
  }
  else if (dynamic_cast<ES_point*>(object) != nullptr)
    *type = 2;
  else if (dynamic_cast<ES_csys*>(object) != nullptr)
    *type = 45;
  else if (dynamic_cast<ES_plane*>(object) != nullptr)
    *type = 46;
  else if (dynamic_cast<ASSY_instance*>(object) != nullptr)
    *type = 63;
  else
    *type = 0;
  return 0;
}

void DSS_set_suppress_display(int mode) {
  Host::Log("DSS_set_suppress_display", std::to_string(mode));
  displayMode = mode;
}
int DSS_ask_suppress_display() { return displayMode; }

namespace Sketch {
tag_t Make(const double origin[3], const double matrix[9], int count, const tag_t* members) {
  const tag_t sketch = ES_create_csys(origin, matrix);
  if (sketch != 0) sketches()[sketch] = std::vector<tag_t>(members, members + count);
  return sketch;
}
}  // namespace Sketch

}  // namespace KTX
