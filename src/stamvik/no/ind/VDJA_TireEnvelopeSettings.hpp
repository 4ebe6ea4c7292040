// The tire envelope's settings that write more than one field, made alike
// wherever they are made: by the builder (at its creation, when it reads a
// feature back, when its motion is built), by the reader of the older
// knowledge-rule form and by the scripting bodies of the same names.
#pragma once
#include "VDJA_TireEnvelopeBuilder.hpp"

namespace KTX::VDJA {

// The offset method; only offsets read from a file use the offset file.
void SetEnvelopeOffsetMethod(TireEnvelopeBuilder* builder, JA_TIRE_ENVELOPE_BUILDER_EnvelopeOffsetMethod value);

// Records the steering joint (first) and the jounce joint by handle and name.
// A tag that is no joint raises the motion library's status, changing nothing.
void SetDriverJoints(TireEnvelopeBuilder* builder, tag_t steerJoint, tag_t jounceJoint);

}  // namespace KTX::VDJA
