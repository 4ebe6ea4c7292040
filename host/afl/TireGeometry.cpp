#include "afl/TireGeometry.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "sys/Listing.hpp"
#include "sys/UserMessages.hpp"

namespace KTX::TireGeometry {

std::vector<double> Section(const Tireenv_params_s& block) {
  const int count = std::clamp(block.profilePointCount, 0, Tireenv_params_s::kMaxProfilePoints);
  std::vector<double> points;
  auto add = [&](double x, double r) {
    const std::size_t n = points.size();
    if (n >= 2 && points[n - 2] == x && points[n - 1] == r) return;
    points.push_back(x);
    points.push_back(r);
  };
  for (int i = 0; i < count; ++i) add(block.profilePoints[i][0], block.profilePoints[i][1]);
  if (block.mirrorProfile != 0)
    for (int i = count - 1; i >= 0; --i) add(-block.profilePoints[i][0], block.profilePoints[i][1]);
  // A closed polygon does not repeat its first point.
  while (points.size() >= 4 && points[0] == points[points.size() - 2] && points[1] == points.back())
    points.resize(points.size() - 2);
  return points;
}

std::vector<Kernel::WheelPlace> Places(const Tireenv_params_s& block) {
  std::vector<Kernel::WheelPlace> places;
  for (int i = 0; block.motionLines != nullptr && i < block.motionLineCount; ++i) {
    double p[2][3];
    char extra = 0;
    if (block.motionLines[i] == nullptr ||
        std::sscanf(block.motionLines[i], "%lf %lf %lf %lf %lf %lf %c", &p[0][0], &p[0][1], &p[0][2], &p[1][0],
                    &p[1][1], &p[1][2], &extra) != 6)
      continue;
    const bool firstOut = std::fabs(VD_LOCAL_Y(p[0], block.origin, block.matrix)) >=
                          std::fabs(VD_LOCAL_Y(p[1], block.origin, block.matrix));
    const double* wheel = firstOut ? p[0] : p[1];
    const double* inner = firstOut ? p[1] : p[0];
    Kernel::WheelPlace place{};
    for (int k = 0; k < 3; ++k) {
      place.axis[k] = wheel[k] - inner[k];
      place.centre[k] = wheel[k];
    }
    if (place.axis[0] == 0 && place.axis[1] == 0 && place.axis[2] == 0) continue;
    places.push_back(place);
  }
  return places;
}

namespace {

// The envelope another turn of the facets made: a clearance read off it can
// differ from the same grid made at the first turn by up to the facets'
// height, so the user is told.
void ShowFacetsTurned(const Kernel::WheelFacets& facets) {
  static const char* const kOrdinals[] = {"first", "second", "third"};
  const char* ordinal = facets.turn <= 3 ? kOrdinals[facets.turn - 1] : "next";
  char text[400];
  std::snprintf(text, sizeof text,
                "the tire envelope was built at the %s turn of its facets, each position's facets turned %.1f degrees "
                "about its spindle beyond the one before's (its positions did not unite whole at the first): it may "
                "differ from an envelope built at the first turn by up to a facet's height, %.3f",
                ordinal, facets.degrees, facets.height * Kernel::ScaleFactors().factors[1]);
  Host::ShowWarning(kEnvelopeFacetsTurned, text);
}

// How far the envelope's tire is grown: the largest offset of the block's
// sections, none below 0, when the block applies its offsets. The first
// offset below 0 a section counts is shown: it shrinks nothing.
double Growth(const Tireenv_params_s& block) {
  if (block.applyOffset == 0) return 0;
  bool shown = false;
  // Every method reaches the body through the block's sections (the fixed
  // method's four are made of its six values), and the whole tire is swept,
  // so every section applies. Only the offsets a section counts are its own:
  // a row keeps what an earlier, longer section left beyond them.
  const int sections = std::clamp(block.sectionCount, 0, Tireenv_params_s::kMaxSections);
  double largest = 0;
  for (int i = 0; i < sections; ++i) {
    const int count = std::clamp(block.sectionOffsetCounts[i], 0, Tireenv_params_s::kMaxOffsets);
    for (int j = 0; j < count; ++j) {
      const double offset = block.sectionOffsets[i][j];
      largest = std::max(largest, offset);
      if (offset < 0 && !shown) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "the tire envelope is not shrunk: the offset %g of the section at %g degrees is taken as 0",
                      offset, block.sectionAngles[i]);
        Host::ShowWarning(kEnvelopeOffsetBelowZero, text);
        shown = true;
      }
    }
  }
  return largest;
}

}  // namespace

tag_t MakeBody(const Tireenv_params_s& block, int* status) {
  if (status != nullptr) *status = 0;
  const std::vector<double> section = Section(block);
  std::vector<Kernel::WheelPlace> places = Places(block);
  if (section.size() < 6 || places.empty()) return 0;
  if (block.tireBody != 0) places.erase(places.begin() + 1, places.end());  // the wheel at its first place
  const double offset = block.tireBody == 0 ? Growth(block) : 0;
  // Host lengths to the kernel's.
  const double scale = Kernel::ScaleFactors().factors[0];
  std::vector<double> scaled(section);
  for (double& v : scaled) v *= scale;
  for (Kernel::WheelPlace& place : places)
    for (double& c : place.centre) c *= scale;
  int body = 0;
  Kernel::WheelFacets facets;
  if (const int made = Kernel::MakeWheelSweep(scaled, places, offset * scale, &body, &facets); made != 0) {
    Kernel::RecordError("tire-envelope geometry: the modeller answered " + std::to_string(made));
    // Not the motion's failure: the user is told where and why, and the
    // caller gets a number of its own.
    if (!facets.scratch.folder.empty()) {
      Host::ShowWarning(kEnvelopeScratchUnusable,
                        "the tire envelope could not be made: its scratch file cannot be made or written in the "
                        "temporary folder \"" + facets.scratch.folder + "\": " + facets.scratch.reason);
      if (status != nullptr) *status = kEnvelopeScratchUnusable;
      return 0;
    }
    // There was a section to sweep to the places, and the modeller made
    // nothing of it (a section it refuses, or a solid it cannot make whole):
    // the caller's failure, never a feature without its solid.
    if (status != nullptr) *status = made;
    return 0;
  }
  if (facets.turn > 1) ShowFacetsTurned(facets);
  return ES_solid::MakeOwning(nullptr, body)->OmTag();
}

namespace {

// The kernel body of a model body that holds geometry; 0 otherwise.
int GeometryOf(tag_t object) {
  auto* solid = dynamic_cast<const ES_solid*>(OM::OM_object_of_tag(object));
  return solid != nullptr && Kernel::HasGeometry(solid->ask_kernel_body()) ? solid->ask_kernel_body() : 0;
}

// The tire-envelope feature whose body the object is; null for none.
FEATURE_RECORD* EnvelopeOf(tag_t object, const PART_part* part) {
  for (tag_t t : Host::KeptInPart(part))
    if (auto* frec = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t));
        frec != nullptr && frec->ask_body_eid() == object && TireEnvelope_Is(frec) != 0)
      return frec;
  return nullptr;
}

}  // namespace

namespace {
// A run that measured nothing says so: its listing would otherwise hold no
// line for the set at all.
void ListNothingMeasured(const CLEAR_dataset_record& record) {
  listUIprintf("Clearance \"%s\": nothing measured, no body of a list holds geometry\n", record.name.c_str());
}
}  // namespace

void MeasureClearance(CLEAR_dataset_record& record) {
  record.measured = record.interference = false;
  record.minimumDistance = 0;
  record.closestPosition = -1;
  std::vector<int> fixed;
  for (tag_t object : record.lists[1])
    if (const int body = GeometryOf(object)) fixed.push_back(body);
  if (fixed.empty()) return ListNothingMeasured(record);
  const double toHost = Kernel::ScaleFactors().factors[1];
  double closest = 0;
  int position = -1;
  auto against = [&](int body, int at) {
    for (int other : fixed) {
      double distance = 0;
      if (Kernel::MinimumDistance(body, other, &distance, nullptr, nullptr) != 0) continue;
      if (!record.measured || distance < closest) closest = distance, position = at;
      record.measured = true;
    }
  };
  const PART_part* part = PART_of_tag(record.part);
  for (tag_t object : record.lists[0]) {
    const int body = GeometryOf(object);
    if (body == 0) continue;
    FEATURE_RECORD* feature = part != nullptr ? EnvelopeOf(object, part) : nullptr;
    Tireenv_params_s* block = feature != nullptr ? TireEnvelope_ReadParms(feature) : nullptr;
    const std::vector<Kernel::WheelPlace> places = block != nullptr ? Places(*block) : std::vector<Kernel::WheelPlace>{};
    std::vector<double> section = block != nullptr ? Section(*block) : std::vector<double>{};
    TireEnvelope_FreeApplData(&block);
    if (places.size() < 2 || section.size() < 6) {
      against(body, -1);
      continue;
    }
    // The tire at each position, in kernel units.
    const double scale = Kernel::ScaleFactors().factors[0];
    for (double& v : section) v *= scale;
    for (std::size_t i = 0; i < places.size(); ++i) {
      Kernel::WheelPlace place = places[i];
      for (double& c : place.centre) c *= scale;
      int tire = 0;
      if (Kernel::MakeWheelSweep(section, {place}, 0, &tire) != 0) continue;
      against(tire, static_cast<int>(i));
      Kernel::DeleteBody(tire, "MeasureClearance");
    }
  }
  if (!record.measured) return ListNothingMeasured(record);
  record.minimumDistance = closest * toHost;
  record.closestPosition = position;
  // Closer than the modeller can tell apart: the bodies meet.
  record.interference = closest <= 1e-9;
  std::string line = "Clearance \"" + record.name + "\": ";
  char text[160];
  if (record.interference)
    std::snprintf(text, sizeof text, "interference");
  else
    std::snprintf(text, sizeof text, "minimum distance %.3f", record.minimumDistance);
  line += text;
  if (position >= 0) line += " at motion position " + std::to_string(position + 1);
  if (record.hasDefaultZone && !record.interference && record.minimumDistance < record.defaultZone) {
    std::snprintf(text, sizeof text, ", inside the clearance zone of %g", record.defaultZone);
    line += text;
  }
  listUIprintf("%s\n", line.c_str());
}

namespace {
// A clearance run measures the tire envelope's bodies as this library does.
struct MeasurerRegistration {
  MeasurerRegistration() { Host::SetClearanceMeasurer(&MeasureClearance); }
} measurerRegistration;
}  // namespace

}  // namespace KTX::TireGeometry
