#include "afl/Module.hpp"

#include <string>

#include "om/HostClass.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX {

int DIEDES_GENERIC_MODULE_PARMS::ThisClassId = 0;

namespace {
struct ModuleClasses {
  ModuleClasses() { Host::RegisterHostClass<DIEDES_GENERIC_MODULE_PARMS>(FEATURE_PARMS::OmClassName); }
} moduleClasses;

std::string tagText(const OM::Object* o) { return "tag=" + std::to_string(OM::OM_ask_object_tag(o)); }

template <class T>
T* newBlock(std::size_t count) {
  auto* block = static_cast<T*>(SM_calloc(count, sizeof(T)));
  if (block == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the node tree");
  return block;
}

void freeNode(DIEDES_NODE_s* node) {
  DIEDES_NODE_free_appl_data(node);
  SM_free(node);
}
}  // namespace

// ---- module parameters --------------------------------------------------------------

DIEDES_GENERIC_MODULE_PARMS::DIEDES_GENERIC_MODULE_PARMS(int classId, void* context)
    : FEATURE_PARMS(classId, context), items_(new OM::TagVla(this)) {}

DIEDES_GENERIC_MODULE_PARMS::~DIEDES_GENERIC_MODULE_PARMS() { delete items_; }

int DIEDES_GENERIC_MODULE_PARMS::GetNumDiedesItems() const { return items_ == nullptr ? 0 : items_->Length(); }

DIEDES_GENERIC_ENTITY* DIEDES_GENERIC_MODULE_PARMS::GetNthDiedesItems(int index) const {
  if (index < 0 || index >= GetNumDiedesItems()) OM::ThrowIndexOutOfRange(index, 0, GetNumDiedesItems());
  return dynamic_cast<DIEDES_GENERIC_ENTITY*>(OM::OM_object_of_tag(items_->Items()[static_cast<std::size_t>(index)]));
}

void DIEDES_GENERIC_MODULE_PARMS::SetNumDiedesItems(int count) {
  Host::Log("SetNumDiedesItems", tagText(this) + " " + std::to_string(count));
  if (items_ == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the module's items");
  OM::OM__log(items_);
  items_->Resize(count);
}

void DIEDES_GENERIC_MODULE_PARMS::SetNthDiedesItems(int index, OM::Object* item) {
  Host::Log("SetNthDiedesItems", tagText(this) + " " + std::to_string(index) + " " + tagText(item));
  if (index < 0 || index >= GetNumDiedesItems()) OM::ThrowIndexOutOfRange(index, 0, GetNumDiedesItems());
  OM::OM__log(items_);
  items_->Items()[static_cast<std::size_t>(index)] = OM::OM_ask_object_tag(item);
}

DIEDES_GENERIC_MODULE_PARMS* DIEDES_GENERIC_MODULE_PARMSFactory::Create() {
  Host::Log("DIEDES_GENERIC_MODULE_PARMSFactory::Create");
  return Host::CreateInPart<DIEDES_GENERIC_MODULE_PARMS>(nullptr);
}

void OM_delete_object(OM::Object* object) {
  Host::Log("OM_delete_object", tagText(object));
  if (auto* tagged = dynamic_cast<OM::TaggedObject*>(object)) tagged->destroy();
}

// ---- node tree --------------------------------------------------------------------------

int DIEDES_NODE_create_nodes(int count, const DIEDES_NODE_init_s* description, DIEDES_GENERIC_BODY_PARMS* parms,
                             const void* attribute, DIEDES_NODE_s** node) {
  Host::Log("DIEDES_NODE_create_nodes", std::to_string(count) + " kind=" +
                                            std::to_string(description == nullptr ? 0 : description->parentKind) +
                                            " " + tagText(parms));
  if (node == nullptr) return Parms::kBadRecords;
  *node = nullptr;
  if (count != 1 || description == nullptr) return Parms::kBadRecords;
  auto* parent = newBlock<DIEDES_NODE_s>(1);
  parent->kind = description->parentKind;
  parent->attribute = attribute;
  parent->data[0] = newBlock<unsigned char>(kDieDesNodeRecordSize);
  parent->data[1] = newBlock<unsigned char>(kDieDesNodeRecordSize);
  *node = parent;
  return 0;
}

void** DIEDES_NODE_ask_appl_data(const DIEDES_NODE_s* node) {
  return node == nullptr ? nullptr : const_cast<void**>(node->data);
}

DIEDES_NODE_s* DIEDES_NODE_create_child(DIEDES_NODE_s* parent) {
  Host::Log("DIEDES_NODE_create_child", "children=" + std::to_string(parent == nullptr ? -1 : parent->childCount));
  if (parent == nullptr) return nullptr;
  auto* grown = static_cast<DIEDES_NODE_s**>(
      SM_crealloc(parent->children, static_cast<std::size_t>(parent->childCount + 1) * sizeof(DIEDES_NODE_s*)));
  if (grown == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the node tree");
  parent->children = grown;
  auto* child = newBlock<DIEDES_NODE_s>(1);
  child->parent = parent;
  child->kind = parent->kind - 1;
  // Two records, like its parent: builders fill the second with their own record.
  child->data[0] = SM_calloc(1, kDieDesNodeRecordSize);
  child->data[1] = SM_calloc(1, kDieDesNodeRecordSize);
  parent->children[parent->childCount++] = child;
  return child;
}

int DIEDES_NODE_ask_num_children(const DIEDES_NODE_s* node) { return node == nullptr ? 0 : node->childCount; }

DIEDES_NODE_s* DIEDES_NODE_ask_nth_child(const DIEDES_NODE_s* node, int index) {
  if (index < 0 || index >= DIEDES_NODE_ask_num_children(node))
    OM::ThrowIndexOutOfRange(index, 0, DIEDES_NODE_ask_num_children(node));
  return node->children[index];
}

void DIEDES_NODE_set_mark(DIEDES_NODE_s* node, int mark) {
  if (node != nullptr) node->mark = mark;
}

int DIEDES_NODE_ask_mark(const DIEDES_NODE_s* node) { return node == nullptr ? 0 : node->mark; }

void DIEDES_NODE_free_appl_data(DIEDES_NODE_s* node) {
  Host::Log("DIEDES_NODE_free_appl_data");
  if (node == nullptr) return;
  for (int i = 0; i < node->childCount; ++i) freeNode(node->children[i]);
  SM_free(node->children);
  node->children = nullptr;
  node->childCount = 0;
  for (void*& record : node->data) {
    SM_free(record);
    record = nullptr;
  }
}

}  // namespace KTX
