// Bodies of the springback-compensation builder's scripting members that copy
// whole point lists or file names between the builder and the caller.
#include "jax_die_springback_compensation_builder.hpp"

#include "om/ObjectManager.hpp"
#include "sys/Memory.hpp"

using KTX::DieEngJA::SpringbackCompensationBuilder;
using KTX::Math::Point3;

namespace {

using GetCount = int (SpringbackCompensationBuilder::*)() const;
using GetNth = void (SpringbackCompensationBuilder::*)(int, Point3&) const;
using SetCount = void (SpringbackCompensationBuilder::*)(int);
using SetNth = void (SpringbackCompensationBuilder::*)(int, Point3);

int PointsOut(const SpringbackCompensationBuilder* builder, GetCount countOf, GetNth nth, int* count,
              JAM_point3d_s** points) {
  *points = nullptr;
  *count = (builder->*countOf)();
  if (*count < 1) {
    *count = 0;
    return 0;
  }
  auto* out = static_cast<JAM_point3d_s*>(SM_calloc(static_cast<std::size_t>(*count), sizeof(JAM_point3d_s)));
  try {
    for (int i = 0; i < *count; ++i) {
      Point3 p;
      (builder->*nth)(i, p);
      out[i] = {p.X, p.Y, p.Z};
    }
  } catch (...) {
    SM_free(out);
    *count = 0;
    throw;
  }
  *points = out;
  return 0;
}

int PointsIn(SpringbackCompensationBuilder* builder, SetCount setCount, SetNth nth, int count,
             const JAM_point3d_s* points) {
  // A list that cannot be read is refused before anything changes.
  if (count < 0 || (count > 0 && points == nullptr)) KTX::OM::ThrowIndexOutOfRange(count, 0, -1);
  (builder->*setCount)(count);
  for (int i = 0; i < count; ++i) (builder->*nth)(i, Point3{points[i].x, points[i].y, points[i].z});
  return 0;
}

}  // namespace

int JAX_SPRINGBACK_COMPENSATION_BUILDER_get_ProductPointsFile(SpringbackCompensationBuilder* builder, char** fileName) {
  *fileName = SM_string_copy(builder->GetProductPointsFile());
  return 0;
}
int JAX_SPRINGBACK_COMPENSATION_BUILDER_set_ProductPointsFile(SpringbackCompensationBuilder* builder,
                                                              const char* fileName) {
  builder->SetProductPointsFile(fileName);
  return 0;
}
int JAX_SPRINGBACK_COMPENSATION_BUILDER_get_SprungPointsFile(SpringbackCompensationBuilder* builder, char** fileName) {
  *fileName = SM_string_copy(builder->GetSprungPointsFile());
  return 0;
}
int JAX_SPRINGBACK_COMPENSATION_BUILDER_set_SprungPointsFile(SpringbackCompensationBuilder* builder,
                                                             const char* fileName) {
  builder->SetSprungPointsFile(fileName);
  return 0;
}

int JAX_SPRINGBACK_COMPENSATION_BUILDER_GetProductPoints(SpringbackCompensationBuilder* builder, int* count,
                                                         JAM_point3d_s** points) {
  return PointsOut(builder, &SpringbackCompensationBuilder::GetProductPointCount,
                   &SpringbackCompensationBuilder::GetNthProductPoint, count, points);
}
int JAX_SPRINGBACK_COMPENSATION_BUILDER_SetProductPoints(SpringbackCompensationBuilder* builder, int count,
                                                         const JAM_point3d_s* points) {
  return PointsIn(builder, &SpringbackCompensationBuilder::SetProductPointCount,
                  &SpringbackCompensationBuilder::SetNthProductPoint, count, points);
}
int JAX_SPRINGBACK_COMPENSATION_BUILDER_GetSprungPoints(SpringbackCompensationBuilder* builder, int* count,
                                                        JAM_point3d_s** points) {
  return PointsOut(builder, &SpringbackCompensationBuilder::GetSprungPointCount,
                   &SpringbackCompensationBuilder::GetNthSprungPoint, count, points);
}
int JAX_SPRINGBACK_COMPENSATION_BUILDER_SetSprungPoints(SpringbackCompensationBuilder* builder, int count,
                                                        const JAM_point3d_s* points) {
  return PointsIn(builder, &SpringbackCompensationBuilder::SetSprungPointCount,
                  &SpringbackCompensationBuilder::SetNthSprungPoint, count, points);
}
