// The model update: what is logged for update and for deletion, and the
// update that brings the logged features up to date and deletes the logged
// objects. Display regeneration.
#pragma once
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
KTX_HOST_API void DSS_REGEN_regen_object(tag_t object);

namespace Host {
// What is logged and not yet updated (tags of objects still alive).
KTX_HOST_API std::vector<tag_t> LoggedForUpdate();
KTX_HOST_API std::vector<tag_t> LoggedForDeletion();
KTX_HOST_API void ClearUpdateLogs();
}  // namespace Host

}  // namespace KTX
