#include "DieDesJA_DieLocationsBuilder.hpp"

#include <cstring>
#include <exception>
#include <vector>

#include "DieDes_FrameInput.hpp"
#include "Messages.hpp"
#include "OnEveryExit.hpp"
#include "Support.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(DieLocationsBuilder)
STAMVIK_OM_DEFINE_CLASS(DieLocationsBuilder, "KTX::JAX_BASE_BUILDER", 0x1000, &GetDieLocationsBuilderInstanceSize,
                        STAMVIK_DIE_LOCATIONS_BUILDER_ATTRIBUTES)

DieLocationsBuilder* DieLocationsBuilderFactory::Create(PART_part* part, bool selectLocation, bool newPoint,
                                                        bool newCoordinateSystem, bool newVector, bool newPlane,
                                                        bool isOverallRequired, bool allowMultiple) {
  return Frame::CreateAndInit<DieLocationsBuilder>(DieLocationsBuilderClassId, [&](DieLocationsBuilder* made) {
    made->InitCreate(part, selectLocation, newPoint, newCoordinateSystem, newVector, newPlane, isOverallRequired,
                     allowMultiple);
  });
}

void DieLocationsBuilder::InitCreate(PART_part* part, bool selectLocation, bool newPoint, bool newCoordinateSystem,
                                     bool newVector, bool newPlane, bool isOverallRequired, bool allowMultiple) {
  init_object(part);
  const bool allow[kAllowOptionCount] = {selectLocation, newPoint, newCoordinateSystem, newVector, newPlane};
  for (int i = 0; i < kAllowOptionCount; ++i) SetAllowOptionsItem(i, allow[i]);
  SetApplIsOverallRequired(isOverallRequired);
  SetApplScopeLocation(1);
  SetAllowMultiple(allowMultiple);
  UICOMPJA_list* list = UICOMPJA_listFactory::object(PART_ask_cm_part_of_part_p(ask_owning_part()));
  OM::OM_set_pointer(this, m_listAttId, list);
  // The list holds the items for the builder: they go with it.
  list->set_owns_items(true);
  list->set_item_class("Die.DieLocationBuilder");
}

char* DieLocationsBuilder::ask_journal_class_name() const { return SM_string_copy("Die.DieLocationsBuilder"); }

namespace {
constexpr const char* kSource = "DieDesJA_DieLocationsBuilder";
using Messages::kBadLocation;
using Messages::kNoDatabaseParms;
// The line under which an error while reading a list is recorded.
constexpr int kReadErrorLine = 144;
// The bytes of a child's data record that come from the parent's template,
// and the place of the child's int that starts 0.
constexpr std::size_t kTemplateFirst = 24;
constexpr std::size_t kTemplateEnd = 184;
constexpr std::size_t kChildIntPlace = 176;

using DieDes::DieDesGenericLocation;

template <class T>
T* AllocateArray(int count) {
  if (count <= 0) return nullptr;
  auto* block = static_cast<T*>(SM_calloc(static_cast<std::size_t>(count), sizeof(T)));
  if (block == nullptr) ERROR_raise(kSource, 63, Error::kNoMemory, "no memory for %d entries", count);
  return block;
}

// Appends n entries to a host-allocated array of `have` entries.
template <class T>
void AppendArray(T** array, int have, const T* more, int n) {
  if (array == nullptr || n <= 0) return;
  auto* grown = static_cast<T*>(SM_crealloc(*array, sizeof(T) * static_cast<std::size_t>(have + n)));
  if (grown == nullptr) ERROR_raise(kSource, 72, Error::kNoMemory, "no memory for %d entries", have + n);
  std::memcpy(grown + have, more, sizeof(T) * static_cast<std::size_t>(n));
  *array = grown;
}

// Takes the module's items from `first` on out of the list: each lets go of
// what it holds for the feature and is deleted.
void RemoveModuleItems(DIEDES_GENERIC_MODULE_PARMS* parms, int first, FEATURE_RECORD* frec) {
  for (int i = parms->GetNumDiedesItems() - 1; i >= first; --i) {
    DIEDES_GENERIC_ENTITY* item = parms->GetNthDiedesItems(i);
    if (item == nullptr) continue;
    parms->SetNthDiedesItems(i, nullptr);
    if (auto* location = dynamic_cast<DieDesGenericLocation*>(item)) location->Release(frec);
    OM_delete_object(item);
  }
}
}  // namespace

DieLocationBuilder* DieLocationsBuilder::ItemAt(int index) const {
  return m_list != nullptr ? dynamic_cast<DieLocationBuilder*>(m_list->ask_item(index)) : nullptr;
}

DieLocationBuilder* DieLocationsBuilder::NewItem() const {
  DieLocationBuilder* item = DieLocationBuilderFactory::CreateItem(
      CONTEXT_ask_work_part(), m_allowOptions[0], m_allowOptions[1], m_allowOptions[2], m_allowOptions[3],
      m_allowOptions[4], m_applIsOverallRequired);
  item->SetApplScopeLocation(m_applScopeLocation);
  return item;
}

int DieLocationsBuilder::validate_nothrow() {
  const int size = m_list != nullptr ? m_list->size() : 0;
  for (int i = 0; i < size; ++i) {
    DieLocationBuilder* item = ItemAt(i);
    // The owner reports one message for the list, whatever the item's own.
    if (item != nullptr && item->validate_nothrow() != 0) return kBadLocation;
  }
  return 0;
}

void DieLocationsBuilder::FromParms(DieDesGenericLocation** parms, int n) {
  if (parms == nullptr) ERROR_raise(kSource, 113, kNoDatabaseParms, "Die Generic Location parms are NULL.");
  for (int i = 0; i < n; ++i) {
    if (parms[i] == nullptr || !OM::OM_is_subclass(parms[i]->OmClassId(), DieDesGenericLocation::ThisClassId))
      ERROR_raise(kSource, 116, kNoDatabaseParms, "Parms are not for a Die Generic Location.");
  }
  if (n < 1) return;
  const Stamvik::HostBlock<OM::Object*> items(AllocateArray<OM::Object*>(n));
  int made = 0;
  try {
    for (int i = 0; i < n; ++i) {
      DieLocationBuilder* item = NewItem();
      items[made++] = item;
      item->FromParms(parms[i]);
    }
    m_list->append_items(n, items.get());
  } catch (const std::exception& e) {
    // Nothing else holds the items made so far: they would outlive the list.
    for (int i = 0; i < made; ++i) static_cast<DieLocationBuilder*>(items[i])->destroy();
    const Error::Exception error = Error::Severe::Convert(e);
    ERROR_raise(kSource, kReadErrorLine, error.askCode(), "%s", error.text().c_str());
  }
}

int DieLocationsBuilder::ToParmsClampingSlot(DIEDES_NODE_s* node, int n) const {
  if (node == nullptr) return kNoDatabaseParms;
  void** data = DIEDES_NODE_ask_appl_data(node);
  const char* templateRecord = data != nullptr ? static_cast<const char*>(data[1]) : nullptr;
  const int children = DIEDES_NODE_ask_num_children(node);
  for (int i = n < 0 ? 0 : n; i < children; ++i) DIEDES_NODE_set_mark(DIEDES_NODE_ask_nth_child(node, i), 1);

  int result = 0;
  int out = 0;
  const int size = m_list != nullptr ? m_list->size() : 0;
  for (int i = 0; i < size; ++i) {
    DieLocationBuilder* item = ItemAt(i);
    if (item == nullptr) continue;
    DIEDES_NODE_s* child = out < DIEDES_NODE_ask_num_children(node) ? DIEDES_NODE_ask_nth_child(node, out)
                                                                     : DIEDES_NODE_create_child(node);
    char* record = static_cast<char*>(DIEDES_NODE_ask_appl_data(child)[0]);
    if (templateRecord != nullptr)
      std::memcpy(record + kTemplateFirst, templateRecord + kTemplateFirst, kTemplateEnd - kTemplateFirst);
    const int zero = 0;
    std::memcpy(record + kChildIntPlace, &zero, sizeof zero);
    const int status = item->ToParms2(record);
    if (status == 0) {
      ++out;
    } else {
      DIEDES_NODE_set_mark(child, 1);
      if (result == 0) result = status;
    }
  }
  return result;
}

bool DieLocationsBuilder::GetLocation(int* count, tag_t** tags, Math::Point3** points) const {
  if (count != nullptr) *count = 0;
  if (tags != nullptr) *tags = nullptr;
  if (points != nullptr) *points = nullptr;
  int total = 0;
  const int size = m_list != nullptr ? m_list->size() : 0;
  for (int i = 0; i < size; ++i) {
    DieLocationBuilder* item = ItemAt(i);
    if (item == nullptr) continue;
    int itemCount = 0;
    Stamvik::HostBlock<tag_t> itemTags;
    Stamvik::HostBlock<Math::Point3> itemPoints;
    item->GetLocation(&itemCount, tags != nullptr ? itemTags.out() : nullptr,
                      points != nullptr ? itemPoints.out() : nullptr);
    AppendArray(tags, total, itemTags.get(), itemCount);
    AppendArray(points, total, itemPoints.get(), itemCount);
    total += itemCount;
  }
  if (count != nullptr) *count = total;
  return false;
}

int DieLocationsBuilder::GetOutputTags(SO_update_option_t option, int* count, tag_t** tags, bool** created) const {
  if (count != nullptr) *count = 0;
  if (tags != nullptr) *tags = nullptr;
  if (created != nullptr) *created = nullptr;
  const int size = m_list != nullptr ? m_list->size() : 0;
  // Filled here and handed over at the end: a host error on the way frees
  // the arrays and lets go of the objects made for them.
  Stamvik::HostBlock<tag_t> outTags;
  Stamvik::HostBlock<bool> outCreated;
  std::vector<tag_t> madeHere;
  auto letGo = [](tag_t made) {
    // Nobody will reference it: it must not stay in the model.
    Stamvik::RunNoted("RM_set_sleep_state", [made] { RM_set_sleep_state(made, 1); });
    UPDATE_log_entity_to_delete(made);
  };
  int status = 0;
  int total = 0;
  try {
    if (size > 0 && tags != nullptr) {
      outTags.reset(AllocateArray<tag_t>(size));
      outCreated.reset(AllocateArray<bool>(size));
    }
    for (int i = 0; i < size && status == 0; ++i) {
      DieLocationBuilder* item = ItemAt(i);
      if (item == nullptr) continue;
      bool made = false;
      const tag_t tag = item->GetOutputTag(option, &made, &status);
      if (tag == 0 || status != 0) continue;
      if (outTags) {
        outTags[total] = tag;
        outCreated[total] = made;
        if (made) madeHere.push_back(tag);
      } else if (made) {
        letGo(tag);
      }
      ++total;
    }
  } catch (...) {
    for (tag_t made : madeHere) letGo(made);
    throw;
  }
  if (tags != nullptr) *tags = outTags.release();
  if (created != nullptr) *created = outCreated.release();
  if (count != nullptr) *count = total;
  return status;
}

int DieLocationsBuilder::ToParmsSingle(DieDesGenericLocation* parms, FEATURE_RECORD* frec) const {
  if (m_list == nullptr || m_list->size() != 1) return 0;
  DieLocationBuilder* item = ItemAt(0);
  return item != nullptr ? item->ToParms(parms, frec) : 0;
}

int DieLocationsBuilder::ToParmsParentModule(DIEDES_GENERIC_MODULE_PARMS* parms, FEATURE_RECORD* frec) const {
  if (parms == nullptr) ERROR_raise(kSource, 257, kNoDatabaseParms, "Die Generic Location parms are NULL.");
  const int size = m_list != nullptr ? m_list->size() : 0;
  int items = 0;
  for (int i = 0; i < size; ++i)
    if (m_list->ask_item(i) != nullptr) ++items;
  RemoveModuleItems(parms, items, frec);
  parms->SetNumDiedesItems(items);

  int result = 0;
  int out = 0;
  for (int i = 0; i < size; ++i) {
    DieLocationBuilder* item = ItemAt(i);
    if (item == nullptr) continue;
    auto* location = dynamic_cast<DieDesGenericLocation*>(parms->GetNthDiedesItems(out));
    if (location == nullptr) {
      location = DieDes::DieDesGenericLocationFactory::Create();
      parms->SetNthDiedesItems(out, location);
    }
    // A failing item leaves its slot to the next one.
    const int status = item->ToParms(location, frec);
    if (status == 0)
      ++out;
    else if (result == 0)
      result = status;
  }
  // The module holds exactly the items written.
  RemoveModuleItems(parms, out, frec);
  parms->SetNumDiedesItems(out);
  return result;
}

void DieLocationsBuilder::AddUserLocation(tag_t tag) {
  if (tag == 0 || m_list == nullptr) return;
  const int size = m_list->size();
  for (int i = 0; i < size; ++i) {
    DieLocationBuilder* item = ItemAt(i);
    if (item != nullptr && item->HoldsTag(tag)) return;
  }
  DieLocationBuilder* item = NewItem();
  item->AddUserLocation(tag);
  OM::Object* entry = item;
  m_list->append_items(1, &entry);
}

void DieLocationsBuilder::GetSelectedObjects(int* count, tag_t** tags) const {
  if (count == nullptr) return;
  const int size = m_list != nullptr ? m_list->size() : 0;
  for (int i = 0; i < size; ++i)
    if (DieLocationBuilder* item = ItemAt(i)) item->GetSelectedObjects(count, tags);
}

bool DieLocationsBuilder::GetAllowOptionsItem(int index) const {
  DieDes::CheckAllowOptionIndex(index, kAllowOptionCount);
  return m_allowOptions[index];
}
void DieLocationsBuilder::SetAllowOptionsItem(int index, bool allow) {
  DieDes::CheckAllowOptionIndex(index, kAllowOptionCount);
  OM::LogForWrite(this);
  m_allowOptions[index] = allow;
}
void DieLocationsBuilder::SetApplIsOverallRequired(bool required) {
  OM::LogForWrite(this);
  m_applIsOverallRequired = required;
}
void DieLocationsBuilder::SetApplScopeLocation(int scope) {
  OM::LogForWrite(this);
  m_applScopeLocation = scope;
}
void DieLocationsBuilder::SetAllowMultiple(bool allow) {
  OM::LogForWrite(this);
  m_allowMultiple = allow;
}

}  // namespace KTX::DieDesJA
