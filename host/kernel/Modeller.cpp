// Loading the geometry module, and the kernel's public modelling passed
// through to it. A call on bodies answers without the module while it is not
// loaded: no body holds geometry then, and the module would answer as for a
// body without it.
#include "kernel/Modeller.hpp"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "sys/Trusted.hpp"

namespace KTX::Kernel {
namespace {

struct Loaded {
  bool tried = false;
  Modeller* modeller = nullptr;
};

Loaded& loaded() {
  static Loaded once;
  return once;
}

// Beside the library this function is in, unless KTX_GEOMETRY_MODULE names
// the file.
std::string modulePath() {
  if (const char* named = std::getenv("KTX_GEOMETRY_MODULE"); named != nullptr && *named != '\0') return named;
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&modulePath), &info) != 0 && info.dli_fname != nullptr) {
    const std::string library = info.dli_fname;
    if (const auto slash = library.rfind('/'); slash != std::string::npos)
      return library.substr(0, slash + 1) + kModuleFile;
  }
  return kModuleFile;
}

Modeller* load(std::string* why) {
  // Checked as the plug-in is: whoever could change it would run code as the user.
  const std::string path = modulePath();
  std::string refused;
  void* module = Files::LoadTrustedLibrary(path, &refused);
  if (module == nullptr) {
    *why = "cannot load the geometry module " + path + ": " + refused;
    return nullptr;
  }
  auto entry = reinterpret_cast<ModellerEntry>(dlsym(module, kModellerEntry));
  Modeller* modeller = entry != nullptr ? entry(&KernelBodies(), kModellerVersion) : nullptr;
  if (modeller == nullptr) {
    *why = "the geometry module " + path + " is not one this host can use (no " + kModellerEntry + " of version " +
           std::to_string(kModellerVersion) + ")";
    dlclose(module);
  }
  // A loaded module stays: the shapes it made are freed by its own code.
  return modeller;
}

}  // namespace

Modeller* LoadModeller() {
  Loaded& once = loaded();
  if (!once.tried) {
    once.tried = true;
    std::string why;
    once.modeller = load(&why);
    if (once.modeller == nullptr) {
      std::fprintf(stderr, "ktx: %s\n", why.c_str());
      RecordError(why);
    }
  }
  return once.modeller;
}

Modeller& LoadedModeller() {
  Modeller* modeller = LoadModeller();
  // Only the module makes shapes: a shape at hand means it is loaded.
  if (modeller == nullptr) std::abort();
  return *modeller;
}

bool ModellerLoaded() { return loaded().modeller != nullptr; }
bool GeometryLoaded() { return ModellerLoaded(); }

// ---- the public modelling (Solids.hpp, Wheel.hpp) ----------------------------

int MakeExtrusion(const std::vector<std::vector<double>>& loops, const double direction[3], double start, double end,
                  bool sheet, int* body) {
  Modeller* modeller = LoadModeller();
  if (modeller == nullptr) {
    if (body != nullptr) *body = 0;
    return ZV_ERROR_geometry;
  }
  return modeller->MakeExtrusion(loops, direction, start, end, sheet, body);
}

int OffsetLoop(const std::vector<double>& loop, double outward, std::vector<double>* result) {
  Modeller* modeller = LoadModeller();
  return modeller == nullptr ? ZV_ERROR_geometry : modeller->OffsetLoop(loop, outward, result);
}

int OffsetSheet(int sheet, double distance, int* result) {
  if (!ModellerLoaded()) {
    if (result != nullptr) *result = 0;
    return ZV_ERROR_bad_value;  // no sheet holds geometry
  }
  return LoadedModeller().OffsetSheet(sheet, distance, result);
}

int MakeBoxSheet(const double origin[3], const double matrix[9], const double low[3], const double high[3],
                 int* sheet) {
  Modeller* modeller = LoadModeller();
  if (modeller == nullptr) {
    if (sheet != nullptr) *sheet = 0;
    return ZV_ERROR_geometry;
  }
  return modeller->MakeBoxSheet(origin, matrix, low, high, sheet);
}

int Combine(int target, int tool, bool subtract) {
  if (!ModellerLoaded()) return ZV_ERROR_bad_value;
  return LoadedModeller().Combine(target, tool, subtract);
}

int ChamferEdges(int body, const std::vector<std::vector<double>>& edges, double first, double second,
                 double tolerance, int* chamfered) {
  if (!ModellerLoaded()) {
    if (chamfered != nullptr) *chamfered = 0;
    return ZV_ERROR_bad_value;
  }
  return LoadedModeller().ChamferEdges(body, edges, first, second, tolerance, chamfered);
}

int SmoothPoints(const std::vector<double>& points, bool closed, double tolerance, std::vector<double>* samples) {
  Modeller* modeller = LoadModeller();
  return modeller == nullptr ? ZV_ERROR_geometry : modeller->SmoothPoints(points, closed, tolerance, samples);
}

bool PlaneOfBody(int body, double point[3], double normal[3]) {
  return ModellerLoaded() && LoadedModeller().PlaneOfBody(body, point, normal);
}

bool IsClosedSolid(int body) { return ModellerLoaded() && LoadedModeller().CheckClosedSolid(body) == 1; }

std::vector<FaceShape> DescribeFaces(int body) {
  return ModellerLoaded() ? LoadedModeller().DescribeFaces(body) : std::vector<FaceShape>{};
}

void DescribeEdges(int body, std::vector<std::vector<double>>* edges, std::vector<std::vector<int>>* faceEdges) {
  if (ModellerLoaded() && LoadedModeller().DescribeEdges(body, edges, faceEdges)) return;
  edges->clear();
  faceEdges->clear();
}

int MakeWheelSweep(const std::vector<double>& section, const std::vector<WheelPlace>& places, double offset,
                   int* body, WheelFacets* facets) {
  if (facets != nullptr) *facets = WheelFacets{};
  Modeller* modeller = LoadModeller();
  if (modeller == nullptr) {
    if (body != nullptr) *body = 0;
    return ZV_ERROR_geometry;
  }
  return modeller->MakeWheelSweep(section, places, offset, body, facets);
}

void SetWheelUnionsForTests(const std::vector<WheelUnionForTests>& byTurn) {
  if (Modeller* modeller = LoadModeller(); modeller != nullptr) modeller->SetWheelUnionsForTests(byTurn);
}

int CrackForTests(int body, WheelUnionForTests how, int* cracked) {
  if (cracked != nullptr) *cracked = 0;
  if (!ModellerLoaded() || cracked == nullptr) return ZV_ERROR_bad_value;  // no body holds geometry
  return LoadedModeller().CrackForTests(body, how, cracked);
}

int MinimumDistance(int first, int second, double* distance, double onFirst[3], double onSecond[3]) {
  if (!ModellerLoaded()) return ZV_ERROR_bad_tag;  // neither holds geometry
  return LoadedModeller().MinimumDistance(first, second, distance, onFirst, onSecond);
}

}  // namespace KTX::Kernel
