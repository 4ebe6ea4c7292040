#include "VDJA_TireEnvelopeSettings.hpp"

#include <memory>
#include <string>

#include "Support.hpp"
#include "feat/Builder.hpp"
#include "om/ObjectManager.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "vd/Motion.hpp"

namespace KTX::VDJA {
namespace {

// The scripting bodies' source: their errors are named by it, whoever sets.
constexpr const char* kSource = "jax_features_tire_envelope_builder";

struct Named {
  std::string handle;
  std::string name;
};

// Both joints are read before the builder changes, so a tag that is no joint
// leaves the recorded pair as it was.
Named NamedJoint(tag_t joint) {
  KMC_mech_joint_t record{};
  if (const int code = KMC_get_joint(joint, &record); code != 0) ERROR_raise(kSource, 32, code, "%s", "");
  const std::unique_ptr<TEXT_s, void (*)(TEXT_s*)> name(record.name, TEXT_free);
  const Stamvik::HostBlock<char> handle(OM::TAG_ask_handle_of_tag(joint));
  return {handle ? handle.get() : "", name ? TEXT_ask_utf8(name.get()) : ""};
}

}  // namespace

double LargestEnvelopeOffset() {
  constexpr double kLargestMillimetres = 1e7;
  return PART_ask_units(CONTEXT_ask_work_part()) == 1 ? kLargestMillimetres / 25.4 : kLargestMillimetres;
}

void CheckEnvelopeOffset(const std::string& what, double value) {
  const double largest = LargestEnvelopeOffset();
  if (value <= largest) return;
  const bool inches = PART_ask_units(CONTEXT_ask_work_part()) == 1;
  ERROR_raise(kSource, 60, Messages::kOffsetBeyondReach,
              "The tire envelope's offset %s is %g, more than the most its tire can be grown by, %g %s: no envelope "
              "can be made of it.",
              what.c_str(), value, largest, inches ? "in" : "mm");
}

void SetEnvelopeOffsetMethod(TireEnvelopeBuilder* builder, JA_TIRE_ENVELOPE_BUILDER_EnvelopeOffsetMethod value) {
  builder->SetEnvelopeOffset(value);
  builder->SetUseOffsetFile(value == FromOffsetFile);
}

void SetDriverJoints(TireEnvelopeBuilder* builder, tag_t steerJoint, tag_t jounceJoint) {
  const Named steer = NamedJoint(steerJoint), jounce = NamedJoint(jounceJoint);
  builder->SetJointTagHandleLength(2);
  builder->SetJointTagHandle(0, steer.handle.c_str());
  builder->SetJointTagHandle(1, jounce.handle.c_str());
  builder->SetSteeringJointName(steer.name.c_str());
  builder->SetJouceJointName(jounce.name.c_str());
}

}  // namespace KTX::VDJA
