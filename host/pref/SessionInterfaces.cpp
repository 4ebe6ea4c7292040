#include "pref/SessionInterfaces.hpp"

#include <array>
#include <map>
#include <string>

#include "feat/Builder.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"

namespace KTX::JAM {
namespace {

// Indexed by the getter's place: 79 -> 0, 81 -> 1, ... 89 -> 5.
std::array<bool, 6>& settings() {
  static std::array<bool, 6> values{true, true, true, true, true, true};
  return values;
}

int getLogical(int place, bool* value) {
  if (value == nullptr) return Error::kBadObject;
  *value = settings()[static_cast<std::size_t>((place - 79) / 2)];
  return 0;
}
int setLogical(int place, bool value) {
  Host::Log("SessionModeling", "operation=" + std::to_string(place) + " value=" + (value ? "true" : "false"));
  settings()[static_cast<std::size_t>((place - 80) / 2)] = value;
  return 0;
}

class SessionModeling final : public SessionModeling_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0x5E55100DU; }
  int GetLogical79(bool* value) override { return getLogical(79, value); }
  int SetLogical80(bool value) override { return setLogical(80, value); }
  int GetLogical81(bool* value) override { return getLogical(81, value); }
  int SetLogical82(bool value) override { return setLogical(82, value); }
  int GetLogical83(bool* value) override { return getLogical(83, value); }
  int SetLogical84(bool value) override { return setLogical(84, value); }
  int GetLogical85(bool* value) override { return getLogical(85, value); }
  int SetLogical86(bool value) override { return setLogical(86, value); }
  int GetLogical87(bool* value) override { return getLogical(87, value); }
  int SetLogical88(bool value) override { return setLogical(88, value); }
  int GetLogical89(bool* value) override { return getLogical(89, value); }
  int SetLogical90(bool value) override { return setLogical(90, value); }
};

std::map<tag_t, int>& workLayers() {
  static std::map<tag_t, int>* layers = new std::map<tag_t, int>;
  return *layers;
}
std::map<tag_t, int>& objectLayers() {
  static std::map<tag_t, int>* layers = new std::map<tag_t, int>;
  return *layers;
}

// The part's tag, or the error of a tag that names no part.
int partTag(tag_t part, tag_t* tag) {
  try {
    PART_part* found = PART_of_tag(part);
    if (found == nullptr) return Error::kBadObject;
    *tag = found->OmTag();
    return 0;
  } catch (const Error::Exception& e) {
    return e.askCode();
  }
}

bool validLayer(int layer) { return layer >= 1 && layer <= 256; }

class LayerManager final : public LayerManager_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0x1A7E4000U; }
  int SetWorkLayer(tag_t part, int layer) override {
    Host::Log("LayerManagerSetWorkLayer", "part=" + std::to_string(part) + " layer=" + std::to_string(layer));
    tag_t tag = 0;
    if (int rc = partTag(part, &tag); rc != 0) return rc;
    if (!validLayer(layer)) return kBadLayer;
    workLayers()[tag] = layer;
    return 0;
  }
  int AskWorkLayer(tag_t part, int* layer) override {
    tag_t tag = 0;
    if (layer == nullptr) return Error::kBadObject;
    if (int rc = partTag(part, &tag); rc != 0) return rc;
    auto it = workLayers().find(tag);
    *layer = it != workLayers().end() ? it->second : 1;
    return 0;
  }
  int MoveToLayer(tag_t part, int layer, int count, const tag_t* objects) override {
    if (Host::Logging()) {
      std::string moved;
      for (int i = 0; objects != nullptr && i < count; ++i) moved += " " + std::to_string(objects[i]);
      Host::Log("LayerManagerMoveToLayer", "part=" + std::to_string(part) + " layer=" + std::to_string(layer) +
                                               " count=" + std::to_string(count) + moved);
    }
    tag_t tag = 0;
    if (int rc = partTag(part, &tag); rc != 0) return rc;
    if (!validLayer(layer)) return kBadLayer;
    if (count < 0 || (count > 0 && objects == nullptr)) return Error::kBadObject;
    for (int i = 0; i < count; ++i)
      if (objects[i] != 0 && OM::OM_object_of_tag(objects[i]) == nullptr) return Error::kBadObject;
    for (int i = 0; i < count; ++i)
      if (objects[i] != 0) objectLayers()[objects[i]] = layer;
    return 0;
  }
};

SessionModeling modelingJournalled;
SessionModeling modelingUnjournalled;
ClassInitializer modelingInitializer("Preferences.SessionModeling", &modelingJournalled, &modelingUnjournalled);
LayerManager layersJournalled;
LayerManager layersUnjournalled;
ClassInitializer layersInitializer("Layer.LayerManager", &layersJournalled, &layersUnjournalled);

}  // namespace
}  // namespace KTX::JAM

namespace KTX::Host {
int ObjectLayer(tag_t object) {
  auto it = JAM::objectLayers().find(object);
  return it != JAM::objectLayers().end() ? it->second : 0;
}
void ResetSessionInterfaces() {
  JAM::settings().fill(true);
  JAM::workLayers().clear();
  JAM::objectLayers().clear();
}
}  // namespace KTX::Host
