#include "jax_features_tire_envelope_builder.hpp"

#include <memory>
#include <string>

#include "om/ObjectManager.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "vd/Motion.hpp"

using namespace KTX;
using namespace KTX::VDJA;

namespace {

constexpr const char* kSource = "jax_features_tire_envelope_builder";

struct Named {
  std::string handle;
  std::string name;
};

// Both joints are read before the builder changes, so a tag that is no joint
// leaves the recorded pair as it was.
Named NamedJoint(tag_t joint) {
  KMC_mech_joint_t record{};
  if (const int code = KMC_get_joint(joint, &record); code != 0) ERROR_raise(kSource, __LINE__, code, "%s", "");
  const std::unique_ptr<TEXT_s, void (*)(TEXT_s*)> name(record.name, TEXT_free);
  const std::unique_ptr<char, void (*)(void*)> handle(OM::TAG_ask_handle_of_tag(joint), SM_free);
  return {handle ? handle.get() : "", name ? TEXT_ask_utf8(name.get()) : ""};
}

}  // namespace

int JAX_TIRE_ENVELOPE_BUILDER_set_EnvelopeOffset(TireEnvelopeBuilder* builder,
                                                 JA_TIRE_ENVELOPE_BUILDER_EnvelopeOffsetMethod value) {
  builder->SetEnvelopeOffset(value);
  builder->SetUseOffsetFile(value == FromOffsetFile);
  return 0;
}

int JAX_TIRE_ENVELOPE_BUILDER_SetDriverJoints(TireEnvelopeBuilder* builder, tag_t steerJoint, tag_t jounceJoint) {
  const Named steer = NamedJoint(steerJoint), jounce = NamedJoint(jounceJoint);
  builder->SetJointTagHandleLength(2);
  builder->SetJointTagHandle(0, steer.handle.c_str());
  builder->SetJointTagHandle(1, jounce.handle.c_str());
  builder->SetSteeringJointName(steer.name.c_str());
  builder->SetJouceJointName(jounce.name.c_str());
  return 0;
}
