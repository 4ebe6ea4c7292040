#include "modl/ModelingInterfaces.hpp"

#include <map>

#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "modl/CurveBuilders.hpp"
#include "om/HostClass.hpp"
#include "sel/Selection.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX {
namespace {

std::map<tag_t, ExtrudeValues>& extrudeValues() {
  static auto* values = new std::map<tag_t, ExtrudeValues>;
  return *values;
}
std::map<tag_t, ChamferValues>& chamferValues() {
  static auto* values = new std::map<tag_t, ChamferValues>;
  return *values;
}

tag_t makeExpression(const std::string& text) {
  double value = 0.0;
  if (!EXP_parse_number(text.c_str(), &value)) value = 0.0;
  return EXP_expression::Make(CONTEXT_ask_work_part_p(), text.c_str(), value, nullptr)->OmTag();
}

std::string expressionText(tag_t tag) {
  auto* expression = dynamic_cast<EXP_expression*>(OM::OM_object_of_tag(tag));
  return expression != nullptr ? expression->ask_text() : "";
}

template <class T>
T* hostObject(tag_t tag) {
  return dynamic_cast<T*>(OM::OM_object_of_tag(tag));
}

void destroyTag(tag_t tag) {
  if (auto* object = hostObject<OM::TaggedObject>(tag)) object->destroy();
}

tag_t makeExtend(int type, const std::string& value, tag_t object) {
  auto* extend = Host::CreateHostObject<GeometricExtend>();
  extend->type = type;
  extend->value = makeExpression(value);
  extend->object = object;
  return extend->OmTag();
}

void destroyExtend(tag_t tag) {
  if (auto* extend = hostObject<GeometricExtend>(tag)) destroyTag(extend->value);
  destroyTag(tag);
}

}  // namespace

ModelingFeatureBuilder* ModelingFeatureBuilder::Make(int kind, tag_t feature) {
  auto* builder = Host::CreateHostObject<ModelingFeatureBuilder>();
  builder->init_object(CONTEXT_ask_work_part_p());
  builder->kind_ = kind;
  builder->feature_ = feature;
  builder->limits_ = builder->offset_ = builder->firstOffset_ = builder->secondOffset_ = builder->angle_ = 0;
  if (kind == kExtrude) {
    ExtrudeValues values;
    Host::AskExtrudeValues(feature, &values);
    auto* limits = Host::CreateHostObject<GeometricLimits>();
    limits->start = makeExtend(values.startType, values.startValue, values.startObject);
    limits->end = makeExtend(values.endType, values.endValue, values.endObject);
    builder->limits_ = limits->OmTag();
    auto* offset = Host::CreateHostObject<GeometricFeatureOffset>();
    offset->option = values.offsetOption;
    offset->start = makeExpression(values.startOffset);
    offset->end = makeExpression(values.endOffset);
    builder->offset_ = offset->OmTag();
  } else {
    ChamferValues values;
    Host::AskChamferValues(feature, &values);
    builder->firstOffset_ = makeExpression(values.firstOffset);
    builder->secondOffset_ = makeExpression(values.secondOffset);
    builder->angle_ = makeExpression(values.angle);
  }
  return builder;
}

char* ModelingFeatureBuilder::ask_journal_class_name() const {
  return SM_string_copy(kind_ == kExtrude ? "Features.ExtrudeBuilder" : "Features.ChamferBuilder");
}

int ModelingFeatureBuilder::commit() {
  if (feature_ == 0 || OM::OM_object_of_tag(feature_) == nullptr) {
    OM::LogForWrite(this);
    feature_ = FEATURE_RECORD::Create(ask_owning_part(), nullptr)->OmTag();
  }
  if (kind_ == kExtrude) {
    ExtrudeValues values;
    if (auto* limits = hostObject<GeometricLimits>(limits_)) {
      if (auto* start = hostObject<GeometricExtend>(limits->start)) {
        values.startType = start->type;
        values.startValue = expressionText(start->value);
        values.startObject = start->object;
      }
      if (auto* end = hostObject<GeometricExtend>(limits->end)) {
        values.endType = end->type;
        values.endValue = expressionText(end->value);
        values.endObject = end->object;
      }
    }
    if (auto* offset = hostObject<GeometricFeatureOffset>(offset_)) {
      values.offsetOption = offset->option;
      values.startOffset = expressionText(offset->start);
      values.endOffset = expressionText(offset->end);
    }
    Host::SetExtrudeValues(feature_, values);
  } else {
    Host::SetChamferValues(feature_, {expressionText(firstOffset_), expressionText(secondOffset_),
                                      expressionText(angle_)});
  }
  return 0;
}

void ModelingFeatureBuilder::cascade_destroy() {
  if (auto* limits = hostObject<GeometricLimits>(limits_)) {
    destroyExtend(limits->start);
    destroyExtend(limits->end);
  }
  destroyTag(limits_);
  if (auto* offset = hostObject<GeometricFeatureOffset>(offset_)) {
    destroyTag(offset->start);
    destroyTag(offset->end);
  }
  destroyTag(offset_);
  destroyTag(firstOffset_);
  destroyTag(secondOffset_);
  destroyTag(angle_);
  JAX_BUILDER::cascade_destroy();
}

int ModelingFeatureBuilder::ThisClassId = 0;
int GeometricLimits::ThisClassId = 0;
int GeometricExtend::ThisClassId = 0;
int GeometricFeatureOffset::ThisClassId = 0;

namespace JAM {
namespace {

// Records the call; a scripted answer "<interface>.<place>" is its failure.
int record(const char* interface, int place, const std::string& args) {
  const std::string key = std::string(interface) + "." + std::to_string(place);
  if (Host::Logging()) Host::Log(interface, "operation=" + std::to_string(place) + " " + args);
  return static_cast<int>(Host::Answer(key, 0));
}

std::string tagArg(const char* name, tag_t tag) { return std::string(name) + "=" + std::to_string(tag); }

int makeBuilder(const char* interface, int place, int kind, tag_t feature, tag_t* builder) {
  if (builder == nullptr) return Error::kBadObject;
  *builder = 0;
  if (int rc = record(interface, place, tagArg("feature", feature)); rc != 0) return rc;
  if (feature != 0 && hostObject<FEATURE_RECORD>(feature) == nullptr) return Error::kBadObject;
  *builder = ModelingFeatureBuilder::Make(kind, feature)->OmTag();
  return 0;
}

class FeatureCollection final : public FeatureCollection_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xFEA7C011U; }
  int CreateChamferBuilder(tag_t feature, tag_t* builder) override {
    return makeBuilder("Features.FeatureCollection", 3, ModelingFeatureBuilder::kChamfer, feature, builder);
  }
  int CreateExtrudeBuilder(tag_t feature, tag_t* builder) override {
    return makeBuilder("Features.FeatureCollection", 5, ModelingFeatureBuilder::kExtrude, feature, builder);
  }
  int PlaceFeatures(tag_t part, const tag_t* features, int count, tag_t reference, int mode) override {
    std::string args = tagArg("part", part) + " count=" + std::to_string(count);
    for (int i = 0; features != nullptr && i < count; ++i) args += " " + tagArg("feature", features[i]);
    args += " " + tagArg("reference", reference) + " mode=" + std::to_string(mode);
    if (int rc = record("Features.FeatureCollection", 141, args); rc != 0) return rc;
    if (count < 1 || features == nullptr || (mode != 1 && mode != 2)) return Error::kBadObject;
    if (hostObject<FEATURE_RECORD>(reference) == nullptr) return Error::kBadObject;
    for (int i = 0; i < count; ++i)
      if (hostObject<FEATURE_RECORD>(features[i]) == nullptr) return Error::kBadObject;
    return 0;
  }
};

// Asks a tag-valued part of an object of class T.
template <class T, class Get>
int askPart(const char* interface, int place, tag_t object, tag_t* out, Get get) {
  if (out == nullptr) return Error::kBadObject;
  *out = 0;
  if (int rc = record(interface, place, tagArg("object", object)); rc != 0) return rc;
  T* found = hostObject<T>(object);
  if (found == nullptr) return Error::kBadObject;
  *out = get(*found);
  return 0;
}

class ExtrudeBuilder final : public ExtrudeBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xE7C0DE01U; }
  int FeatureOffset(tag_t builder, tag_t* offset) override {
    return askPart<ModelingFeatureBuilder>("Features.ExtrudeBuilder", 15, builder, offset,
                                           [](ModelingFeatureBuilder& b) { return b.ask_feature_offset(); });
  }
  int Limits(tag_t builder, tag_t* limits) override {
    return askPart<ModelingFeatureBuilder>("Features.ExtrudeBuilder", 16, builder, limits,
                                           [](ModelingFeatureBuilder& b) { return b.ask_limits(); });
  }
};

class Limits final : public Limits_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0x11A175U; }
  int StartExtend(tag_t limits, tag_t* extend) override {
    return askPart<GeometricLimits>("GeometricUtilities.Limits", 3, limits, extend,
                                    [](GeometricLimits& l) { return l.start; });
  }
  int EndExtend(tag_t limits, tag_t* extend) override {
    return askPart<GeometricLimits>("GeometricUtilities.Limits", 4, limits, extend,
                                    [](GeometricLimits& l) { return l.end; });
  }
};

class Extend final : public Extend_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xE7E4D00U; }
  int Value(tag_t extend, tag_t* expression) override {
    return askPart<GeometricExtend>("GeometricUtilities.Extend", 5, extend, expression,
                                    [](GeometricExtend& e) { return e.value; });
  }
  int TrimmingObject(tag_t extend, tag_t* object) override {
    return askPart<GeometricExtend>("GeometricUtilities.Extend", 6, extend, object,
                                    [](GeometricExtend& e) { return e.object; });
  }
};

class FeatureOffset final : public FeatureOffset_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xF0FF5E7U; }
  int StartOffset(tag_t offset, tag_t* expression) override {
    return askPart<GeometricFeatureOffset>("GeometricUtilities.FeatureOffset", 3, offset, expression,
                                           [](GeometricFeatureOffset& o) { return o.start; });
  }
  int EndOffset(tag_t offset, tag_t* expression) override {
    return askPart<GeometricFeatureOffset>("GeometricUtilities.FeatureOffset", 4, offset, expression,
                                           [](GeometricFeatureOffset& o) { return o.end; });
  }
};

// Hands back a copy of a text, or the bad-object error when there is none.
int textOut(const char* interface, int place, tag_t object, tag_t expression, char** text) {
  if (text == nullptr) return Error::kBadObject;
  *text = nullptr;
  if (int rc = record(interface, place, tagArg("object", object)); rc != 0) return rc;
  auto* found = hostObject<EXP_expression>(expression);
  if (found == nullptr) return Error::kBadObject;
  *text = SM_string_copy(found->ask_text());
  return 0;
}

class Expression final : public Expression_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xE4B7E55U; }
  int Text(tag_t expression, char** text) override { return textOut("Expression", 3, expression, expression, text); }
};

class ChamferBuilder final : public ChamferBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xC4A3FE7U; }
  int FirstOffset(tag_t builder, char** text) override {
    return textOut("Features.ChamferBuilder", 1, builder, chamferPart(builder, true), text);
  }
  int SecondOffset(tag_t builder, char** text) override {
    return textOut("Features.ChamferBuilder", 2, builder, chamferPart(builder, false), text);
  }

 private:
  static tag_t chamferPart(tag_t builder, bool first) {
    auto* found = hostObject<ModelingFeatureBuilder>(builder);
    if (found == nullptr || found->ask_kind() != ModelingFeatureBuilder::kChamfer) return 0;
    return first ? found->ask_first_offset() : found->ask_second_offset();
  }
};

// Commits a builder; a feature builder hands back its feature.
int commitBuilder(tag_t builder, tag_t* object) {
  auto* found = hostObject<JAX_BASE_BUILDER>(builder);
  if (found == nullptr) return Error::kBadObject;
  if (auto* modelling = dynamic_cast<ModelingFeatureBuilder*>(found)) {
    int rc = modelling->commit();
    *object = rc == 0 ? modelling->ask_feature() : 0;
    return rc;
  }
  if (auto* feature = dynamic_cast<JAX_FEAT_BUILDER*>(found)) {
    FEATURE_RECORD* made = nullptr;
    int rc = feature->commit_feature(&made);
    // A builder that edits its feature need not hand it back: it is still the one committed.
    if (made == nullptr) made = feature->get_frec();
    *object = rc == 0 && made != nullptr ? made->OmTag() : 0;
    return rc;
  }
  return found->commit();
}

class FeatureBuilder final : public FeatureBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xFEA7B1DU; }
  int CommitFeature(tag_t builder, tag_t* feature) override {
    if (feature == nullptr) return Error::kBadObject;
    *feature = 0;
    if (int rc = record("Features.FeatureBuilder", 1, tagArg("builder", builder)); rc != 0) return rc;
    return commitBuilder(builder, feature);
  }
};

class Builder final : public Builder_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xB1D0001U; }
  int Commit(tag_t builder, tag_t* object) override {
    if (object == nullptr) return Error::kBadObject;
    *object = 0;
    if (int rc = record("Builder", 1, tagArg("builder", builder)); rc != 0) return rc;
    return commitBuilder(builder, object);
  }
  int Destroy(tag_t builder) override {
    if (int rc = record("Builder", 2, tagArg("builder", builder)); rc != 0) return rc;
    auto* found = hostObject<JAX_BASE_BUILDER>(builder);
    if (found == nullptr) return Error::kBadObject;
    found->destroy();
    return 0;
  }
};

class Feature final : public Feature_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xFEA70001U; }
  int Operation13(tag_t feature) override {
    if (int rc = record("Features.Feature", 13, tagArg("feature", feature)); rc != 0) return rc;
    return hostObject<FEATURE_RECORD>(feature) != nullptr ? 0 : Error::kBadObject;
  }
};

class IPlane final : public IPlane_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0x1F1A4E05U; }
  int Normal(tag_t plane, double* x, double* y, double* z) override {
    if (x == nullptr || y == nullptr || z == nullptr) return Error::kBadObject;
    if (int rc = record("IPlane", 5, tagArg("plane", plane)); rc != 0) return rc;
    auto* found = hostObject<ES_plane>(plane);
    if (found == nullptr) return Error::kBadObject;
    double normal[3];
    found->ask_direction(normal);
    *x = normal[0];
    *y = normal[1];
    *z = normal[2];
    return 0;
  }
};

// One object serves both forms: nothing here is journalled.
FeatureCollection collectionServed;
ClassInitializer collectionInitializer("Features.FeatureCollection", &collectionServed, &collectionServed);
ExtrudeBuilder extrudeServed;
ClassInitializer extrudeInitializer("Features.ExtrudeBuilder", &extrudeServed, &extrudeServed);
ChamferBuilder chamferServed;
ClassInitializer chamferInitializer("Features.ChamferBuilder", &chamferServed, &chamferServed);
FeatureBuilder featureBuilderServed;
ClassInitializer featureBuilderInitializer("Features.FeatureBuilder", &featureBuilderServed, &featureBuilderServed);
Feature featureServed;
ClassInitializer featureInitializer("Features.Feature", &featureServed, &featureServed);
Builder builderServed;
ClassInitializer builderInitializer("Builder", &builderServed, &builderServed);
Expression expressionServed;
ClassInitializer expressionInitializer("Expression", &expressionServed, &expressionServed);
Limits limitsServed;
ClassInitializer limitsInitializer("GeometricUtilities.Limits", &limitsServed, &limitsServed);
Extend extendServed;
ClassInitializer extendInitializer("GeometricUtilities.Extend", &extendServed, &extendServed);
IPlane planeServed;
ClassInitializer planeInitializer("IPlane", &planeServed, &planeServed);
FeatureOffset offsetServed;
ClassInitializer offsetInitializer("GeometricUtilities.FeatureOffset", &offsetServed, &offsetServed);

}  // namespace
}  // namespace JAM
}  // namespace KTX

namespace KTX {
tag_t FREC_find_child_frec_of_so(tag_t entity) {
  Host::Log("FREC_find_child_frec_of_so", std::to_string(entity));
  PART_part* work = CONTEXT_ask_work_part_p();
  if (entity == 0 || work == nullptr) return 0;
  tag_t frec = 0;
  for (ES_cycle_frecs(work->OmTag(), &frec); frec != 0; ES_cycle_frecs(work->OmTag(), &frec)) {
    auto* record = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(frec));
    auto* parms = record != nullptr ? dynamic_cast<CRV_feature_parms*>(record->ask_parms()) : nullptr;
    if (parms == nullptr) continue;
    for (tag_t curve : parms->ask_curves())
      if (curve == entity) return frec;
  }
  return 0;
}
}  // namespace KTX

namespace KTX::Host {
void SetExtrudeValues(tag_t feature, const ExtrudeValues& values) { extrudeValues()[feature] = values; }
bool AskExtrudeValues(tag_t feature, ExtrudeValues* values) {
  auto it = extrudeValues().find(feature);
  if (it == extrudeValues().end()) return false;
  *values = it->second;
  return true;
}
void SetChamferValues(tag_t feature, const ChamferValues& values) { chamferValues()[feature] = values; }
bool AskChamferValues(tag_t feature, ChamferValues* values) {
  auto it = chamferValues().find(feature);
  if (it == chamferValues().end()) return false;
  *values = it->second;
  return true;
}
void ForgetModelingValues() {
  extrudeValues().clear();
  chamferValues().clear();
}
}  // namespace KTX::Host
