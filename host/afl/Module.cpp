#include "afl/Module.hpp"

#include <cstring>
#include <string>

#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "om/HostClass.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX {

int DIEDES_GENERIC_MODULE_PARMS::ThisClassId = 0;
int DieDes::ClampingSlotModule::ThisClassId = 0;

namespace {
struct ModuleClasses {
  ModuleClasses() {
    Host::RegisterHostClass<DIEDES_GENERIC_MODULE_PARMS>(FEATURE_PARMS::OmClassName);
    Host::RegisterHostClass<DieDes::ClampingSlotModule>(OM::TaggedObject::OmClassName);
  }
} moduleClasses;


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
  Host::Log("SetNumDiedesItems", Host::TagArg(this) + " " + std::to_string(count));
  if (items_ == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the module's items");
  OM::OM__log(items_);
  items_->Resize(count);
}

void DIEDES_GENERIC_MODULE_PARMS::SetNthDiedesItems(int index, OM::Object* item) {
  Host::Log("SetNthDiedesItems", Host::TagArg(this) + " " + std::to_string(index) + " " + Host::TagArg(item));
  if (index < 0 || index >= GetNumDiedesItems()) OM::ThrowIndexOutOfRange(index, 0, GetNumDiedesItems());
  OM::OM__log(items_);
  items_->Items()[static_cast<std::size_t>(index)] = OM::OM_ask_object_tag(item);
}

DIEDES_GENERIC_MODULE_PARMS* DIEDES_GENERIC_MODULE_PARMSFactory::Create() {
  Host::Log("DIEDES_GENERIC_MODULE_PARMSFactory::Create");
  return Host::CreateInPart<DIEDES_GENERIC_MODULE_PARMS>(nullptr);
}

void OM_delete_object(OM::Object* object) {
  Host::Log("OM_delete_object", Host::TagArg(object));
  if (auto* tagged = dynamic_cast<OM::TaggedObject*>(object)) tagged->destroy();
}

// ---- node tree --------------------------------------------------------------------------

int DIEDES_NODE_create_nodes(int count, const DIEDES_NODE_init_s* description, DIEDES_GENERIC_BODY_PARMS* parms,
                             const void* attribute, DIEDES_NODE_s** node) {
  Host::Log("DIEDES_NODE_create_nodes", std::to_string(count) + " kind=" +
                                            std::to_string(description == nullptr ? 0 : description->parentKind) +
                                            " " + Host::TagArg(parms));
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
  child->data[0] = newBlock<unsigned char>(kDieDesNodeRecordSize);
  child->data[1] = newBlock<unsigned char>(kDieDesNodeRecordSize);
  parent->children[parent->childCount++] = child;
  if (child->kind == kClampingSlotChildKind) {
    SC_collector* collector = SC_collectorFactory::object(0);
    std::memcpy(static_cast<unsigned char*>(child->data[0]) + kNodeCollectorPlace, &collector, sizeof collector);
  }
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
    if (record != nullptr && node->parent != nullptr && record == node->data[0]) {
      // What a child's first record holds: a location's tag array, and (a
      // clamping slot's child) its collector. The second record is the
      // builder's own, with values of its own at those bytes.
      auto* bytes = static_cast<unsigned char*>(record);
      DieDes::DieDesGenericLocationRecord location;
      std::memcpy(&location, bytes + kNodeLocationPlace, sizeof location);
      SM_free(location.selected);
      if (node->kind == kClampingSlotChildKind) {
        SC_collector* collector = nullptr;
        std::memcpy(&collector, bytes + kNodeCollectorPlace, sizeof collector);
        if (collector != nullptr) collector->destroy();
      }
    }
    SM_free(record);
    record = nullptr;
  }
}

}  // namespace KTX

// ---- the keyway's tool bodies ------------------------------------------------------------

namespace KTX::DieDes {

ClampingSlotModule::ClampingSlotModule(int classId, void* context)
    : OM::TaggedObject(classId, context), children_(new OM::TagVla(this)) {}
ClampingSlotModule::~ClampingSlotModule() { delete children_; }

int ClampingSlotModule::GetNumChildren() const { return children_ == nullptr ? 0 : children_->Length(); }

DIEDES_GENERIC_MODULE_PARMS* ClampingSlotModule::GetChild(int index) const {
  if (index < 0 || index >= GetNumChildren()) OM::ThrowIndexOutOfRange(index, 0, GetNumChildren());
  return dynamic_cast<DIEDES_GENERIC_MODULE_PARMS*>(
      OM::OM_object_of_tag(children_->Items()[static_cast<std::size_t>(index)]));
}

void ClampingSlotModule::ReadChildren(DIEDES_NODE_s* node) const {
  Host::Log("ClampingSlotModule::ReadChildren", Host::TagArg(this) + " children=" + std::to_string(GetNumChildren()));
  if (node == nullptr) return;
  for (int i = 0; i < GetNumChildren(); ++i) {
    DIEDES_NODE_s* child = DIEDES_NODE_create_child(node);
    DIEDES_GENERIC_MODULE_PARMS* stored = GetChild(i);
    auto* location = stored != nullptr && stored->GetNumDiedesItems() >= 2
                         ? dynamic_cast<DieDesGenericLocation*>(stored->GetNthDiedesItems(1))
                         : nullptr;
    if (location == nullptr) continue;
    int count = 0;
    DieDesGenericLocationRecord* records = nullptr;
    location->AskRecords(0, &count, &records);
    if (count >= 1) {
      DieDesGenericLocationRecord record = records[0];
      record.selectedCount = 0;
      record.selected = nullptr;
      std::memcpy(static_cast<unsigned char*>(child->data[0]) + kNodeLocationPlace, &record, sizeof record);
    }
    location->FreeRecords(count, records);
  }
}

void ClampingSlotModule::DestroyChildren() {
  const std::vector<tag_t> children = children_ != nullptr ? children_->Items() : std::vector<tag_t>{};
  for (tag_t t : children) {
    auto* child = dynamic_cast<DIEDES_GENERIC_MODULE_PARMS*>(OM::OM_object_of_tag(t));
    if (child == nullptr) continue;
    for (int i = 0, n = child->GetNumDiedesItems(); i < n; ++i)
      if (DIEDES_GENERIC_ENTITY* item = child->GetNthDiedesItems(i); item != nullptr) item->destroy();
    child->destroy();
  }
}

int ClampingSlotModule::Apply(OM::Object* owner, DIEDES_NODE_s* node, int mode) {
  Host::Log("ClampingSlotModule::Apply", Host::TagArg(this) + " owner=" + std::to_string(OM::OM_ask_object_tag(owner)) +
                                             " mode=" + std::to_string(mode) +
                                             " children=" + std::to_string(DIEDES_NODE_ask_num_children(node)));
  OM::LogForWrite(this);
  OM::OM__log(children_);
  DestroyChildren();
  children_->Items().clear();
  applyMode_ = mode;
  const DIEDES_ENTITY_CONTEXT context{0, owner, {}};
  for (int i = 0; i < DIEDES_NODE_ask_num_children(node); ++i) {
    DIEDES_NODE_s* child = DIEDES_NODE_ask_nth_child(node, i);
    if (DIEDES_NODE_ask_mark(child) == 1) continue;
    DieDesGenericLocationRecord record;
    std::memcpy(&record, static_cast<const unsigned char*>(child->data[0]) + kNodeLocationPlace, sizeof record);
    DIEDES_GENERIC_MODULE_PARMS* module = DIEDES_GENERIC_MODULE_PARMSFactory::Create();
    children_->Items().push_back(OM::OM_ask_object_tag(module));
    module->SetNumDiedesItems(2);
    auto* position = static_cast<DIEDES_GENERIC_ENTITY*>(
        OM::ObjectFactory::CreateObject(DIEDES_GENERIC_ENTITY::ThisClassId, OM::OM_memory_type_persistent, nullptr));
    Host::KeepInPart(nullptr, position);
    module->SetNthDiedesItems(0, position);
    const int index = static_cast<int>(children_->Items().size()) - 1;
    position->SetInts(&context, 1, &index);
    DieDesGenericLocation* location = DieDesGenericLocationFactory::Create();
    module->SetNthDiedesItems(1, location);
    if (int rc = location->StoreRecords(&context, 1, &record); rc != 0) return rc;
  }
  return 0;
}

void ClampingSlotModule::cascade_destroy() {
  DestroyChildren();
  OM::TaggedObject::cascade_destroy();
}

ClampingSlotModule* ClampingSlotModuleFactory::Create() {
  Host::Log("ClampingSlotModuleFactory::Create");
  return Host::CreateInPart<ClampingSlotModule>(nullptr);
}

}  // namespace KTX::DieDes

namespace KTX {

namespace {
ToolBodyCall& toolCall(int which) {
  static auto* calls = new ToolBodyCall[3];
  return calls[which];
}

std::vector<unsigned char> bytes(const void* from, std::size_t size) {
  if (from == nullptr) return {};
  const auto* p = static_cast<const unsigned char*>(from);
  return std::vector<unsigned char>(p, p + size);
}

// The points an entity stands for: a curve's own, any other entity's origin.
std::vector<double> pointsOf(tag_t tag) {
  OM::Object* object = OM::OM_object_of_tag(tag);
  if (const auto* curve = dynamic_cast<const ES_curve*>(object)) return curve->ask_points();
  if (const auto* entity = dynamic_cast<const GEOM_entity*>(object))
    return std::vector<double>(entity->ask_origin(), entity->ask_origin() + 3);
  return {};
}

// The recording fake the three tool-body calls share.
int recordToolCall(int which, const char* name, DIEDES_NODE_s* node, const double tolerances[2], const void* toolData,
                   std::size_t toolDataSize, std::vector<int> codes, int* count, int** tools, int** second) {
  std::string codeText;
  for (int code : codes) codeText += (codeText.empty() ? "" : ",") + std::to_string(code);
  Host::Log(name, "code=" + codeText + " tolerances=" +
                      (tolerances == nullptr ? std::string("null")
                                             : Kernel::RealText(tolerances[0]) + "," + Kernel::RealText(tolerances[1])) +
                      " children=" + std::to_string(DIEDES_NODE_ask_num_children(node)));
  if (count == nullptr || tools == nullptr || second == nullptr) return Parms::kBadRecords;
  *count = 0;
  *tools = nullptr;
  *second = nullptr;
  ToolBodyCall& call = toolCall(which);
  call = ToolBodyCall{};
  call.nullNode = node == nullptr;
  void** data = DIEDES_NODE_ask_appl_data(node);
  call.parentRecord = bytes(data != nullptr ? data[0] : nullptr, kDieDesNodeRecordSize);
  call.parentSecond = bytes(data != nullptr ? data[1] : nullptr, kDieDesNodeRecordSize);
  for (int i = 0; i < DIEDES_NODE_ask_num_children(node); ++i) {
    void** own = DIEDES_NODE_ask_appl_data(DIEDES_NODE_ask_nth_child(node, i));
    call.childFirst.push_back(bytes(own[0], kDieDesNodeRecordSize));
    call.childSecond.push_back(bytes(own[1], kDieDesNodeRecordSize));
  }
  if (!call.childSecond.empty()) call.childRecord = call.childSecond.front();
  call.toolData = bytes(toolData, toolDataSize);
  call.code = codes.empty() ? 0 : codes.front();
  call.codes = std::move(codes);
  if (long long rc = Host::Answer(name, 0); rc != 0) return static_cast<int>(rc);
  const int n = static_cast<int>(Host::Answer(std::string(name) + ".count", 1));
  if (n <= 0) return 0;
  *tools = newBlock<int>(static_cast<std::size_t>(n));
  *second = newBlock<int>(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) (*tools)[i] = Kernel::CreateBody(Kernel::BodyType::Solid);
  *count = n;
  return 0;
}
}  // namespace

const ToolBodyCall& LastKeyToolCall() { return toolCall(0); }
const ToolBodyCall& LastClampSlotToolCall() { return toolCall(1); }
const ToolBodyCall& LastHeelpostToolCall() { return toolCall(2); }

int DIEDES_KEY_parent_create_tool_body(DIEDES_NODE_s* node, const double tolerances[2],
                                       const DIEDES_KEY_tool_data_s* toolData, int code, int* count, int** tools,
                                       int** second) {
  return recordToolCall(0, "DIEDES_KEY_parent_create_tool_body", node, tolerances, toolData,
                        sizeof(DIEDES_KEY_tool_data_s), {code}, count, tools, second);
}

int DIEDES_CLAMPSLOT_parent_create_tool_body(DIEDES_NODE_s* node, const double tolerances[2],
                                             const DIEDES_CLAMPSLOT_tool_data_s* toolData, int code, int secondCode,
                                             int* count, int** tools, int** second) {
  return recordToolCall(1, "DIEDES_CLAMPSLOT_parent_create_tool_body", node, tolerances, toolData,
                        sizeof(DIEDES_CLAMPSLOT_tool_data_s), {code, secondCode}, count, tools, second);
}

int DIEDES_HLPST_parent_create_tool_body(DIEDES_NODE_s* node, const double tolerances[2],
                                         const DIEDES_HLPST_tool_data_s* toolData, int code1, int code2, int code3,
                                         int code4, int* count, int** tools, int** second) {
  return recordToolCall(2, "DIEDES_HLPST_parent_create_tool_body", node, tolerances, toolData,
                        sizeof(DIEDES_HLPST_tool_data_s), {code1, code2, code3, code4}, count, tools, second);
}

int CMP_RT_replace_rm_entities(SC_collector* collector, int first, int count, const tag_t* curves,
                               const void* option) {
  Host::Log("CMP_RT_replace_rm_entities", "collector=" + std::to_string(OM::OM_ask_object_tag(collector)) +
                                              " first=" + std::to_string(first) + " count=" + std::to_string(count) +
                                              (option == nullptr ? " option=null" : " option"));
  if (collector == nullptr) return 0;
  std::vector<tag_t> tags;
  for (int i = 0; i < first && i < collector->ask_count(); ++i) tags.push_back(collector->ask_nth(i));
  for (int i = 0; curves != nullptr && i < count; ++i) tags.push_back(curves[i]);
  collector->set_tags(static_cast<int>(tags.size()), tags.data());
  return 0;
}

void CMP_RT_set_direction(SC_collector* collector, int first, int direction) {
  Host::Log("CMP_RT_set_direction", "collector=" + std::to_string(OM::OM_ask_object_tag(collector)) +
                                        " first=" + std::to_string(first) + " direction=" + std::to_string(direction));
}

int DIEDES_UTILS_copy_curve(tag_t curve, tag_t* copy) {
  Host::Log("DIEDES_UTILS_copy_curve", "tag=" + std::to_string(curve));
  if (copy == nullptr) return Geometry::kNoEntity;
  *copy = 0;
  std::vector<double> points = pointsOf(curve);
  if (points.empty()) return Geometry::kNoEntity;
  if (points.size() == 3) points.insert(points.end(), points.begin(), points.begin() + 3);
  *copy = ES_create_polyline(static_cast<int>(points.size() / 3), points.data());
  return *copy != 0 ? 0 : Geometry::kNoEntity;
}

int DIEDES_UTILS_join_curves(int count, const tag_t* curves, int closure, double tolerance, tag_t* joined) {
  Host::Log("DIEDES_UTILS_join_curves", "count=" + std::to_string(count) + " closure=" + std::to_string(closure) +
                                            " tolerance=" + Kernel::RealText(tolerance));
  if (joined == nullptr) return Geometry::kNoEntity;
  *joined = 0;
  if (long long rc = Host::Answer("DIEDES_UTILS_join_curves", 0); rc != 0) return static_cast<int>(rc);
  std::vector<double> points;
  for (int i = 0; curves != nullptr && i < count; ++i) {
    const std::vector<double> own = pointsOf(curves[i]);
    points.insert(points.end(), own.begin(), own.end());
  }
  if (points.size() < 6) return Geometry::kNoEntity;
  *joined = ES_create_polyline(static_cast<int>(points.size() / 3), points.data());
  return *joined != 0 ? 0 : Geometry::kNoEntity;
}

}  // namespace KTX
