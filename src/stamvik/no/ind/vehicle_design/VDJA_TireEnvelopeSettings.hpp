// The tire envelope's settings that write more than one field, made alike
// wherever they are made: by the builder (at its creation, when it reads a
// feature back, when its motion is built), by the reader of the older
// knowledge-rule form and by the scripting bodies of the same names; and the
// limit of an offset, which the builder's validation and the scripting body
// that sets a section's offsets both hold a value to.
#pragma once
#include <string>

#include "VDJA_TireEnvelopeBuilder.hpp"

namespace KTX::VDJA {

// The most an envelope's tire is grown by, in the work part's unit: 1e7 mm,
// beyond which the modeller grows no tire into a sound solid.
struct EnvelopeOffsetReach {
  double largest;
  bool inches;
};
EnvelopeOffsetReach EnvelopeOffsetReachOfWorkPart();
// Raises kOffsetBeyondReach, its words naming the offset (`what`, a phrase
// such as "FrontOffsetValue") and its value, unless the value is a number
// within the reach (an offset below 0 is taken as 0 and passes).
void CheckEnvelopeOffset(const EnvelopeOffsetReach& reach, const std::string& what, double value);

// The offset method; only offsets read from a file use the offset file.
void SetEnvelopeOffsetMethod(TireEnvelopeBuilder* builder, JA_TIRE_ENVELOPE_BUILDER_EnvelopeOffsetMethod value);

// Records the steering joint (first) and the jounce joint by handle and name.
// A tag that is no joint raises the motion library's status, changing nothing.
void SetDriverJoints(TireEnvelopeBuilder* builder, tag_t steerJoint, tag_t jounceJoint);

}  // namespace KTX::VDJA
