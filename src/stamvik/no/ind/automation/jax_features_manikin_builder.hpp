// The scripting members of the manikin builder whose bodies do more than get
// or set one field: the size name as a host text and the size file.
#pragma once
#include "VDJA_ManikinBuilder.hpp"
#include "sys/Text.hpp"

// A new host text the caller frees.
int JAX_MANIKIN_BUILDER_get_CurrentManikinSize(KTX::VDJA::ManikinBuilder* builder, TEXT_s** size);
int JAX_MANIKIN_BUILDER_set_CurrentManikinSize(KTX::VDJA::ManikinBuilder* builder, TEXT_s* size);
int JAX_MANIKIN_BUILDER_SaveToFile(KTX::VDJA::ManikinBuilder* builder, const char* fileName);
int JAX_MANIKIN_BUILDER_OpenFromFile(KTX::VDJA::ManikinBuilder* builder, const char* fileName);
