// Model bodies whose faces and edges are those of their kernel body's
// geometry (the tooling features' real solids and sheets).
#include <string>
#include <vector>

#include "geom/Faces.hpp"
#include "kernel/Kernel.hpp"
#include "kernel/Solids.hpp"
#include "om/HostClass.hpp"
#include "sys/CallLog.hpp"

namespace KTX {

tag_t ES_create_face_of_kernel_face(tag_t body, int kernelFace) {
  auto* face = Host::CreateInPart<ES_face>(PART_ask_part_of_object(body));
  face->body_ = body;
  Kernel::AttachModelBody(face->OmTag(), kernelFace);
  return face->OmTag();
}

namespace {

std::vector<int> kernelFacesOf(int kernelBody) {
  int count = 0;
  int* faces = nullptr;
  std::vector<int> out;
  if (ZV_BODY_ask_faces(kernelBody, &count, &faces) != 0) return out;
  out.assign(faces, faces + count);
  SM_free(faces);
  return out;
}

// The faces and edges of the body from its kernel body's geometry.
void facesFromGeometry(tag_t body, int kernelBody) {
  const double toHost = Kernel::ScaleFactors().factors[1];
  const std::vector<Kernel::FaceShape> shapes = Kernel::DescribeFaces(kernelBody);
  const std::vector<int> kernelFaces = kernelFacesOf(kernelBody);
  std::vector<ES_face*> made;
  for (std::size_t i = 0; i < shapes.size() && i < kernelFaces.size(); ++i) {
    double origin[3], matrix[9];
    for (int k = 0; k < 3; ++k) origin[k] = shapes[i].origin[k] * toHost;
    for (int k = 0; k < 6; ++k) matrix[k] = shapes[i].matrix[k] * toHost;
    for (int k = 6; k < 9; ++k) matrix[k] = shapes[i].matrix[k];
    auto* face = dynamic_cast<ES_face*>(OM::OM_object_of_tag(ES_create_face_of_kernel_face(body, kernelFaces[i])));
    face->set_frame(origin, matrix);
    made.push_back(face);
  }
  std::vector<std::vector<double>> edges;
  std::vector<std::vector<int>> faceEdges;
  Kernel::DescribeEdges(kernelBody, &edges, &faceEdges);
  PART_part* owner = PART_ask_part_of_object(body);
  std::vector<tag_t> made_edges;
  for (std::vector<double>& points : edges) {
    for (double& v : points) v *= toHost;
    made_edges.push_back(ES_create_edge_in_part(owner, body, static_cast<int>(points.size() / 3), points.data()));
  }
  for (std::size_t i = 0; i < made.size() && i < faceEdges.size(); ++i)
    for (int edge : faceEdges[i]) made[i]->add_edge(made_edges[static_cast<std::size_t>(edge)]);
}

}  // namespace

tag_t ES_create_body_of_geometry(PART_part* part, int kernelBody) {
  Host::Log("ES_create_body_of_geometry", "kernel=" + std::to_string(kernelBody));
  tag_t body = 0;
  try {
    body = ES_solid::MakeOwning(part, kernelBody)->OmTag();
  } catch (...) {
    Kernel::DeleteBody(kernelBody, "ES_create_body_of_geometry");
    throw;
  }
  facesFromGeometry(body, kernelBody);
  return body;
}

bool ES_body_follow_geometry(tag_t body) {
  Host::Log("ES_body_follow_geometry", "body=" + std::to_string(body));
  const auto* solid = dynamic_cast<ES_solid*>(OM::OM_object_of_tag(body));
  if (solid == nullptr || !Kernel::HasGeometry(solid->ask_kernel_body())) return false;
  std::vector<tag_t> old;
  for (tag_t t : Host::KeptInPart(PART_ask_part_of_object(body))) {
    const auto* face = dynamic_cast<ES_face*>(OM::OM_object_of_tag(t));
    const auto* edge = dynamic_cast<ES_edge*>(OM::OM_object_of_tag(t));
    if ((face != nullptr && face->ask_body() == body) || (edge != nullptr && edge->ask_body() == body)) old.push_back(t);
  }
  for (tag_t t : old)
    if (auto* object = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(t))) object->destroy();
  facesFromGeometry(body, solid->ask_kernel_body());
  return true;
}

}  // namespace KTX
