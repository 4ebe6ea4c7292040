// The die plane and the die direction are one machine under two sets of
// names: a selection, one entity, a reverse flag and a coordinate system,
// exchanged with the die-design library as the same 120-byte record. The
// steps they share are written once here; each builder names its own parts
// in a FrameInputTraits specialisation in its source file.
#pragma once
#include <cstddef>
#include <cstring>

#include "DieDesJA_SelectedTags.hpp"
#include "Messages.hpp"
#include "Support.hpp"
#include "afl/Parms.hpp"
#include "om/ObjectManager.hpp"
#include "sel/Selection.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDes {

// The record the die-design library keeps, byte for byte (the direction's is
// the plane's, with the direction entity in the place of the plane entity).
static_assert(sizeof(DieDesGenericPlaneRecord) == 120);
static_assert(offsetof(DieDesGenericPlaneRecord, type) == 0);
static_assert(offsetof(DieDesGenericPlaneRecord, selectedObject) == 4);
static_assert(offsetof(DieDesGenericPlaneRecord, selection) == 8);
static_assert(offsetof(DieDesGenericPlaneRecord, entity) == 12);
static_assert(offsetof(DieDesGenericPlaneRecord, reverse) == 16);
static_assert(offsetof(DieDesGenericPlaneRecord, zero) == 17);
static_assert(offsetof(DieDesGenericPlaneRecord, origin) == 24);
static_assert(offsetof(DieDesGenericPlaneRecord, matrix) == 48);
static_assert(sizeof(DieDesGenericDirectionRecord) == 120);

// An option index outside 0 to count-1 raises the object manager's range
// error before anything is read or written.
inline void CheckAllowOptionIndex(int index, int count) {
  if (index < 0 || index >= count) OM::ThrowIndexOutOfRange(index, 0, count);
}

// What a builder tells the shared steps about itself:
//   Parms, Record, Type;
//   kSource, kParmsNull, kParmsWrong (the texts of error 670156);
//   kSelectionType, kEntityType (the types validated by selection and by entity);
//   Selection(builder), SelectionAttribute(), Entity(builder), SetEntity(builder, tag).
template <class Builder>
struct FrameInputTraits;

template <class Builder>
class FrameInput {
  using Traits = FrameInputTraits<Builder>;
  using Parms = typename Traits::Parms;
  using Record = typename Traits::Record;

 public:
  static void CheckParms(const Parms* parms, int line) {
    if (parms == nullptr) ERROR_raise(Traits::kSource, line, Messages::kNoDatabaseParms, "%s", Traits::kParmsNull);
    if (!OM::OM_is_subclass(parms->OmClassId(), Parms::ThisClassId))
      ERROR_raise(Traits::kSource, line, Messages::kNoDatabaseParms, "%s", Traits::kParmsWrong);
  }

  // 0, or 1 (nothing selected) or 2 (no entity) while the input is required.
  static int Validate(const Builder& builder) {
    if (!builder.GetApplIsOverallRequired()) return 0;
    const int type = builder.GetInputType();
    if (type == Traits::kSelectionType) {
      const SELECT_OBJECT* selection = Traits::Selection(builder);
      return selection == nullptr || !selection->has_selection() ? 1 : 0;
    }
    if (type == Traits::kEntityType) return Traits::Entity(builder) == 0 ? 2 : 0;
    return 0;
  }

  static int ToParms(const Builder& builder, Parms* parms, FEATURE_RECORD* frec, int line) {
    CheckParms(parms, line);
    Record record;
    std::memset(&record, 0, sizeof record);
    record.type = builder.GetInputType();
    // Both selection tags, or neither: only a selection that holds an object counts.
    if (const SELECT_OBJECT* selection = Traits::Selection(builder);
        selection != nullptr && selection->has_selection()) {
      record.selectedObject = selection->ask_selected_tag();
      record.selection = selection->ask_tag();
    }
    record.entity = Traits::Entity(builder);
    record.reverse = builder.GetReverseSourceDirection();
    builder.GetCoordinateSystemOrigin(record.origin);
    builder.GetCoordinateSystemMatrix(record.matrix);
    DIEDES_ENTITY_CONTEXT context{};
    context.flag = 0;
    context.owner = frec;
    return parms->StoreRecords(&context, 1, &record);
  }

  // Only a single record is read back; the records are freed whatever happens.
  static void FromParms(Builder& builder, Parms* parms, int line) {
    CheckParms(parms, line);
    int count = 0;
    Stamvik::HostBlock<Record> records;
    parms->AskRecords(0, &count, records.out());
    if (count == 1 && records) {
      const Record& record = records[0];
      builder.SetInputType(static_cast<typename Traits::Type>(record.type));
      if (SELECT_OBJECT* selection = Traits::Selection(builder); record.selectedObject != 0 && selection != nullptr)
        selection->set_selected_tag(record.selectedObject);
      const tag_t before = Traits::Entity(builder);
      Traits::SetEntity(builder, record.entity);
      if (before != 0 && before != record.entity) DeleteUnheld(before);
      builder.SetReverseSourceDirection(record.reverse);
      builder.SetCoordinateSystemOrigin(record.origin);
      builder.SetCoordinateSystemMatrix(record.matrix);
    }
  }

  // Appends the selected object and then the entity to the caller's list.
  static void GetSelectedObjects(const Builder& builder, int* count, tag_t** tags) {
    if (count == nullptr) return;
    const SELECT_OBJECT* selection = Traits::Selection(builder);
    DieDesJA::AppendSelectedTag(count, tags, selection != nullptr ? selection->ask_selected_tag() : 0);
    DieDesJA::AppendSelectedTag(count, tags, Traits::Entity(builder));
  }

  // An entity the builder no longer names (the one a new direction builder
  // makes for itself, given up for the feature's) goes at once, unless a
  // feature holds it: a builder opened on a feature and let go makes no
  // update that would delete it later.
  static void DeleteUnheld(tag_t entity) {
    auto* object = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(entity));
    if (object != nullptr && !OM::OM_is_kept_alive(object)) object->destroy();
  }

  // The selection and the entity go with the builder.
  static void ReleaseInputs(Builder& builder) {
    if (SELECT_OBJECT* selection = Traits::Selection(builder); selection != nullptr) {
      OM::OM_set_pointer(&builder, Traits::SelectionAttribute(), nullptr);
      UPDATE_log_object_to_delete(selection);
    }
    if (const tag_t entity = Traits::Entity(builder); entity != 0) {
      // An entity deleted (or never known) before the builder goes leaves only
      // the tag to clear: destruction must not stop half way.
      OM::Object* object = OM::OM_object_of_tag(entity);
      Traits::SetEntity(builder, 0);
      if (object != nullptr) UPDATE_log_object_to_delete(object);
    }
  }
};

}  // namespace KTX::DieDes
