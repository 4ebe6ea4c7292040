// The model update: what is logged for update and for deletion, and the
// update that brings the logged features up to date and deletes the logged
// objects. Display regeneration.
#pragma once
#include <cstddef>
#include <vector>

#include "feat/Builder.hpp"

namespace KTX {

KTX_HOST_API void UPDATE_log_object_to_update(OM::Object* object);
KTX_HOST_API void UPDATE_log_entity_to_update(tag_t entity);
KTX_HOST_API bool UPDATE_is_object_logged(const OM::Object* object);
KTX_HOST_API void UPDATE_log_object_to_delete(OM::Object* object);
KTX_HOST_API void UPDATE_log_entity_to_delete(tag_t entity);
// Deletes the objects logged for deletion, counts an update on every logged
// feature record and forgets both logs. Scripted: the answer
// "UPDATE_do_update.error" not 0 raises that message number once the work is done.
KTX_HOST_API void UPDATE_do_update();
// The same update without messages to the user; logged with the display
// suppression level it runs at.
KTX_HOST_API void UPDATE_do_update_no_message();
KTX_HOST_API void DSS_REGEN_regen_object(tag_t object);
// Called with its own name by an operation that is about to change the model
// through an update: the stand-in records it only.
KTX_HOST_API void JAUTL_UPDATE__ensure_update_protected(const char* caller);

// Why a feature is suppressed, one question a reason: scripted per record,
// the answer "SUP_is_<reason>.<record tag>" not 0 says yes (reasons:
// manual_suppressed_frec, frec_suppressed_by_exp,
// propagation_suppressed_frec, update_failure_suppressed_frec,
// dependency_suppressed_frec). Logged.
KTX_HOST_API bool SUP_is_manual_suppressed_frec(const FEATURE_RECORD* frec);
KTX_HOST_API bool SUP_is_frec_suppressed_by_exp(const FEATURE_RECORD* frec);
KTX_HOST_API bool SUP_is_propagation_suppressed_frec(const FEATURE_RECORD* frec);
KTX_HOST_API bool SUP_is_update_failure_suppressed_frec(const FEATURE_RECORD* frec);
KTX_HOST_API bool SUP_is_dependency_suppressed_frec(const FEATURE_RECORD* frec);

namespace Host {
// What is logged and not yet updated (tags of objects still alive).
KTX_HOST_API std::vector<tag_t> LoggedForUpdate();
KTX_HOST_API std::vector<tag_t> LoggedForDeletion();
KTX_HOST_API void ClearUpdateLogs();
// How many objects are logged for deletion; and the deletion, as the update
// makes it, of those logged after the first `length`, which leave the log.
// What closes a builder for a script deletes at once what the builder's
// destroy logged, so that a session that opens and drops builders by the
// thousand does not keep what each left for the next update.
KTX_HOST_API std::size_t DeletionLogLength();
KTX_HOST_API void DeleteLoggedSince(std::size_t length);
// How the update deletes a feature logged for deletion, with its parameters
// and its body: the tooling library registers its deleter when it loads
// (without one only the record goes, as any other object logged does).
using FeatureDeleter = void (*)(tag_t feature);
KTX_HOST_API void SetFeatureDeleter(FeatureDeleter deleter);
}  // namespace Host

}  // namespace KTX
