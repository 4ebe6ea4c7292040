#include "VDJA_TireEnvelopeSettings.hpp"

#include <charconv>
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

EnvelopeOffsetReach EnvelopeOffsetReachOfWorkPart() {
  constexpr double kLargestMillimetres = 1e7;
  const bool inches = PART_ask_units(CONTEXT_ask_work_part()) == 1;
  return {inches ? kLargestMillimetres / 25.4 : kLargestMillimetres, inches};
}

void CheckEnvelopeOffset(const EnvelopeOffsetReach& reach, const std::string& what, double value) {
  if (value <= reach.largest) return;
  // In the fewest digits that read back as each: one just past the most
  // does not read as the most.
  const auto shown = [](double v) {
    char text[40];
    *std::to_chars(text, text + sizeof text - 1, v).ptr = '\0';
    return std::string(text);
  };
  ERROR_raise(kSource, 60, Messages::kOffsetBeyondReach,
              "The tire envelope's offset %s is %s, more than the most its tire can be grown by, %s %s: no envelope "
              "can be made of it.",
              what.c_str(), shown(value).c_str(), shown(reach.largest).c_str(), reach.inches ? "in" : "mm");
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
