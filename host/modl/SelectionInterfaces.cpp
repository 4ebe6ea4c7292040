#include "modl/SelectionInterfaces.hpp"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "geom/Geometry.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "sel/Selection.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "tool/ToolingGeometry.hpp"

namespace KTX::JAM {
namespace {

std::string tagsArg(int count, const tag_t* tags) {
  std::string text = "count=" + std::to_string(count) + " [";
  for (int i = 0; tags != nullptr && i < count; ++i) text += (i == 0 ? "" : ",") + std::to_string(tags[i]);
  return text + "]";
}

template <class T>
T* hostObject(tag_t tag) {
  return dynamic_cast<T*>(OM::OM_object_of_tag(tag));
}

class PartCollection final : public PartCollection_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0x9A27C011U; }
  int Work(tag_t* part) override {
    if (part == nullptr) return Error::kBadObject;
    *part = 0;
    if (int rc = RecordInterfaceCall("PartCollection", 1, ""); rc != 0) return rc;
    *part = OM::OM_ask_object_tag(PART_ask_work_part());
    return 0;
  }
  int SetWork(tag_t part) override {
    if (int rc = RecordInterfaceCall("PartCollection", 2, "part=" + std::to_string(part)); rc != 0) return rc;
    auto* found = hostObject<PART_part>(part);
    if (found == nullptr) return Error::kBadObject;
    PART_set_work_part(found);
    return 0;
  }
};

class DirectionCollection final : public DirectionCollection_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xD12EC011U; }
  int CreateDirection(const double origin[3], const double vector[3], int sense, tag_t* direction) override {
    if (direction == nullptr || origin == nullptr || vector == nullptr) return Error::kBadObject;
    *direction = 0;
    const std::string args = "vector=" + std::to_string(vector[0]) + "," + std::to_string(vector[1]) + "," +
                             std::to_string(vector[2]) + " sense=" + std::to_string(sense);
    if (int rc = RecordInterfaceCall("DirectionCollection", 1, args); rc != 0) return rc;
    // An extrusion along no direction is none: refused here, where its vector comes in.
    if (!(std::fabs(vector[0]) + std::fabs(vector[1]) + std::fabs(vector[2]) > 0.0))
      return ModelingFeatureBuilder::kZeroDirection;
    const double s = sense < 0 ? -1.0 : 1.0;
    const double along[3] = {s * vector[0], s * vector[1], s * vector[2]};
    *direction = DIRR_create_doubles(PART_ask_work_part(), 0, origin, along);
    return 0;
  }
};

class SectionCollection final : public SectionCollection_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0x5EC7C011U; }
  int CreateSection(double chaining, double distance, double angle, tag_t* section) override {
    if (section == nullptr) return Error::kBadObject;
    *section = 0;
    const std::string args =
        "chaining=" + std::to_string(chaining) + " distance=" + std::to_string(distance) + " angle=" +
        std::to_string(angle);
    if (int rc = RecordInterfaceCall("SectionCollection", 1, args); rc != 0) return rc;
    *section = SC_sectionFactory::object(0, chaining, distance, angle)->OmTag();
    return 0;
  }
};

class ScRuleFactory final : public ScRuleFactory_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0x5C2F0001U; }
  int CreateRuleCurveDumb(int count, const tag_t* curves, tag_t* rule) override {
    return make(1, SC_section::kCurveRule, count, curves, rule);
  }
  int CreateRuleEdgeDumb(int count, const tag_t* edges, tag_t* rule) override {
    return make(2, SC_section::kEdgeRule, count, edges, rule);
  }
  int CreateRuleBodyDumb(int count, const tag_t* bodies, tag_t* rule) override {
    return make(3, SC_rule::kBodyRule, count, bodies, rule);
  }

 private:
  static int make(int place, int kind, int count, const tag_t* entities, tag_t* rule) {
    if (rule == nullptr) return Error::kBadObject;
    *rule = 0;
    if (int rc = RecordInterfaceCall("ScRuleFactory", place, tagsArg(count, entities)); rc != 0) return rc;
    if (count < 1 || entities == nullptr) return Error::kBadObject;
    *rule = SC_rule::Make(kind, count, entities)->OmTag();
    return 0;
  }
};

class Section final : public Section_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0x5EC70001U; }
  int AddToSection(tag_t section, int count, const tag_t* rules, const double[3], bool chain, bool interpart,
                   bool allowSelfIntersection) override {
    const std::string args = "section=" + std::to_string(section) + " rules " + tagsArg(count, rules) +
                             " options=" + std::to_string(chain) + std::to_string(interpart) +
                             std::to_string(allowSelfIntersection);
    if (int rc = RecordInterfaceCall("Section", 1, args); rc != 0) return rc;
    auto* found = hostObject<SC_section>(section);
    if (found == nullptr || count < 1 || rules == nullptr) return Error::kBadObject;
    std::vector<int> kinds;
    std::vector<SC_input_data*> data;
    int status = 0;
    for (int i = 0; i < count && status == 0; ++i) {
      auto* rule = hostObject<SC_rule>(rules[i]);
      if (rule == nullptr) {
        status = Error::kBadObject;
        break;
      }
      SC_input_data* input = SC_init_input_data(rule->ask_kind());
      for (int k = 0; k < rule->ask_count(); ++k) input->entities.push_back(rule->ask_nth(k));
      data.push_back(input);
      kinds.push_back(rule->ask_kind());
    }
    // The inputs go also when adding them raises.
    try {
      if (status == 0)
        status = found->add_rules(static_cast<int>(kinds.size()), kinds.data(), data.data(), 0, 0, 0, 0, true);
    } catch (...) {
      for (SC_input_data* input : data) SC_free_input_data(input);
      throw;
    }
    for (SC_input_data* input : data) SC_free_input_data(input);
    return status;
  }
};

class RuleRelease final : public RuleRelease_Interface {
 public:
  RuleRelease(const char* name, bool edgesOnly) : name_(name), edgesOnly_(edgesOnly) {}
  unsigned int GetInterfaceId() override { return edgesOnly_ ? 0xED9E0001U : 0x5E1E0001U; }
  int Release(tag_t rule) override {
    if (int rc = RecordInterfaceCall(name_, 1, "rule=" + std::to_string(rule)); rc != 0) return rc;
    auto* found = hostObject<SC_rule>(rule);
    if (found == nullptr || (edgesOnly_ && found->ask_kind() != SC_section::kEdgeRule)) return Error::kBadObject;
    found->destroy();
    return 0;
  }

 private:
  const char* name_;
  bool edgesOnly_;
};

class ScCollector final : public ScCollector_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0x5CC00001U; }
  int ReplaceRules(tag_t collector, int count, const tag_t* rules, bool flag) override {
    const std::string args = "collector=" + std::to_string(collector) + " rules " + tagsArg(count, rules) +
                             " flag=" + std::to_string(flag);
    if (int rc = RecordInterfaceCall("ScCollector", 1, args); rc != 0) return rc;
    auto* found = hostObject<SC_collector>(collector);
    if (found == nullptr || count < 0 || (count > 0 && rules == nullptr)) return Error::kBadObject;
    std::vector<SC_rule*> objects;
    for (int i = 0; i < count; ++i) {
      objects.push_back(hostObject<SC_rule>(rules[i]));
      if (objects.back() == nullptr) return Error::kBadObject;
    }
    found->replace_rules(count, objects.data());
    return 0;
  }
  int RuleKinds(tag_t collector, int* count, int** kinds) override {
    if (count == nullptr || kinds == nullptr) return Error::kBadObject;
    *count = 0;
    *kinds = nullptr;
    if (int rc = RecordInterfaceCall("ScCollector", 2, "collector=" + std::to_string(collector)); rc != 0) return rc;
    auto* found = hostObject<SC_collector>(collector);
    if (found == nullptr) return Error::kBadObject;
    const std::vector<int> all = found->ask_rule_kinds();
    if (all.empty()) return 0;
    *kinds = static_cast<int*>(SM_alloc(all.size() * sizeof(int)));
    if (*kinds == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for %zu rules", all.size());
    std::memcpy(*kinds, all.data(), all.size() * sizeof(int));
    *count = static_cast<int>(all.size());
    return 0;
  }
};

class ScCollectorCollection final : public ScCollectorCollection_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0x5CCC0001U; }
  int CreateCollector(tag_t part, tag_t* collector) override {
    if (collector == nullptr) return Error::kBadObject;
    *collector = 0;
    if (int rc = RecordInterfaceCall("ScCollectorCollection", 1, "part=" + std::to_string(part)); rc != 0) return rc;
    if (part != 0 && hostObject<PART_part>(part) == nullptr) return Error::kBadObject;
    *collector = SC_collectorFactory::object(part)->OmTag();
    return 0;
  }
};

class Body final : public Body_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xB0D90001U; }
  int Faces(tag_t body, int* count, tag_t** faces) override {
    if (count == nullptr || faces == nullptr) return Error::kBadObject;
    *count = 0;
    *faces = nullptr;
    if (int rc = RecordInterfaceCall("Body", 1, "body=" + std::to_string(body)); rc != 0) return rc;
    return ES_body_ask_faces(body, count, faces);
  }
};

PartCollection partsServed;
ClassInitializer partsInitializer("PartCollection", &partsServed, &partsServed);
DirectionCollection directionsServed;
ClassInitializer directionsInitializer("DirectionCollection", &directionsServed, &directionsServed);
SectionCollection sectionsServed;
ClassInitializer sectionsInitializer("SectionCollection", &sectionsServed, &sectionsServed);
ScRuleFactory rulesServed;
ClassInitializer rulesInitializer("ScRuleFactory", &rulesServed, &rulesServed);
Section sectionServed;
ClassInitializer sectionInitializer("Section", &sectionServed, &sectionServed);
RuleRelease intentRuleServed("SelectionIntentRule", false);
ClassInitializer intentRuleInitializer("SelectionIntentRule", &intentRuleServed, &intentRuleServed);
RuleRelease edgeRuleServed("EdgeDumbRule", true);
ClassInitializer edgeRuleInitializer("EdgeDumbRule", &edgeRuleServed, &edgeRuleServed);
ScCollector collectorServed;
ClassInitializer collectorInitializer("ScCollector", &collectorServed, &collectorServed);
ScCollectorCollection collectorsServed;
ClassInitializer collectorsInitializer("ScCollectorCollection", &collectorsServed, &collectorsServed);
Body bodyServed;
ClassInitializer bodyInitializer("Body", &bodyServed, &bodyServed);

}  // namespace
}  // namespace KTX::JAM
