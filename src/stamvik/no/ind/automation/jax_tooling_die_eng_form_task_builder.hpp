// The form-task builder's detail texts as a script reads and writes them: a
// count and an array of host texts.
#pragma once
#include "Tooling_DieEngFormTaskBuilder.hpp"
#include "sys/Text.hpp"

// The array and every text in it are the caller's (the array even for no texts).
int JAX_DIE_ENG_FORM_TASK_BUILDER_GetDetails(KTX::Tooling::DieEngFormTaskBuilder* builder, int* count, TEXT_s*** texts);
// Replaces the details with copies of the texts; the caller keeps its array.
int JAX_DIE_ENG_FORM_TASK_BUILDER_SetDetails(KTX::Tooling::DieEngFormTaskBuilder* builder, int count, const TEXT_s** texts);
