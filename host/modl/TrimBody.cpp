#include "modl/TrimBody.hpp"

#include <cmath>
#include <map>
#include <string>

#include "geom/Faces.hpp"
#include "kernel/Kernel.hpp"
#include "om/UndoneMap.hpp"
#include "modl/FeatureGeometry.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "sel/Selection.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX {

int FaceSetSelectionData::ThisClassId = 0;
int FacePlaneToolBuilder::ThisClassId = 0;
int TrimBody2Builder::ThisClassId = 0;

namespace {

struct Registration {
  Registration() {
    const char* tagged = OM::TaggedObject::OmClassName;
    Host::RegisterHostClass<FaceSetSelectionData>(tagged);
    Host::RegisterHostClass<FacePlaneToolBuilder>(tagged);
    Host::RegisterHostClass<TrimBody2Builder>(JAX_FEAT_BUILDER::OmClassName);
  }
} registration;

// Part of the model, as a feature's parameters are: undo puts it back.
OM::UndoneMap<tag_t, TrimValues>& trimValues() { return OM::UndoneMap<tag_t, TrimValues>::Made(); }

template <class T>
T* hostObject(tag_t tag) {
  return dynamic_cast<T*>(OM::OM_object_of_tag(tag));
}

}  // namespace

void FaceSetSelectionData::set_flag(unsigned char flag) {
  OM::LogForWrite(this);
  flag_ = flag;
}

FaceSetSelectionData* FaceSetSelectionDataFactory::Create(PART_part* part) {
  Host::Log("FaceSetSelectionDataFactory::Create");
  auto* selection = Host::CreateInPart<FaceSetSelectionData>(part);
  selection->flag_ = 1;
  return selection;
}

void FacePlaneToolBuilder::SetToolOption(int option) {
  Host::Log("FacePlaneToolBuilder::SetToolOption", std::to_string(option));
  OM::LogForWrite(this);
  option_ = option;
}

void FacePlaneToolBuilder::SetToolPlane(tag_t plane) {
  Host::Log("FacePlaneToolBuilder::SetToolPlane", "plane=" + std::to_string(plane));
  OM::LogForWrite(this);
  plane_ = plane;
}

FaceSetSelectionData* FacePlaneToolBuilder::ask_face_selection() const {
  return hostObject<FaceSetSelectionData>(selection_);
}

void FacePlaneToolBuilder::SetToolFaces(FaceSetSelectionData* selection, tag_t collector) {
  Host::Log("FacePlaneToolBuilder::SetToolFaces", "collector=" + std::to_string(collector));
  if (selection == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "no face selection");
  OM::LogForWrite(selection);
  selection->collector_ = collector;
  OM::LogForWrite(this);
  selection_ = selection->OmTag();
}

void FacePlaneToolBuilder::cascade_destroy() {
  if (FaceSetSelectionData* selection = ask_face_selection()) selection->destroy();
  OM::TaggedObject::cascade_destroy();
}

TrimBody2Builder* TrimBody2Builder::Make(FEATURE_RECORD* feature) {
  auto* builder = Host::CreateHostObject<TrimBody2Builder>();
  builder->init_object(PART_ask_cm_part_of_part_p(CONTEXT_ask_work_part()), feature);
  TrimValues values;
  if (feature != nullptr) Host::AskTrimValues(feature->OmTag(), &values);
  auto* tool = Host::CreateInPart<FacePlaneToolBuilder>(nullptr);
  tool->option_ = values.toolOption;
  tool->plane_ = values.plane;
  builder->targets_ = values.targets;
  builder->tool_ = tool->OmTag();
  builder->reverse_ = values.reverse;
  return builder;
}

char* TrimBody2Builder::ask_journal_class_name() const { return SM_string_copy("Features.TrimBody2Builder"); }

FacePlaneToolBuilder* TrimBody2Builder::ask_tool() const { return hostObject<FacePlaneToolBuilder>(tool_); }

void TrimBody2Builder::set_targets(tag_t collector) {
  OM::LogForWrite(this);
  targets_ = collector;
}
void TrimBody2Builder::set_reverse(bool reverse) {
  OM::LogForWrite(this);
  reverse_ = reverse;
}
void TrimBody2Builder::set_tolerance(double tolerance) {
  OM::LogForWrite(this);
  tolerance_ = tolerance;
}

namespace {
// The plane a trim cuts by (host units, unit normal); false for none.
bool toolPlane(const TrimValues& values, double point[3], double normal[3]) {
  tag_t entity = values.toolOption == 1 ? values.plane : 0;
  if (values.toolOption != 1)
    if (const auto* faces = dynamic_cast<SC_collector*>(OM::OM_object_of_tag(values.faces)); faces != nullptr && faces->ask_count() > 0)
      entity = faces->ask_nth(0);
  const auto* found = dynamic_cast<GEOM_entity*>(OM::OM_object_of_tag(entity));
  // A tool face may be given as its kernel face.
  if (found == nullptr) found = dynamic_cast<GEOM_entity*>(OM::OM_object_of_tag(ES_ask_eid_of_kernel_entity(static_cast<int>(entity))));
  if (found == nullptr) return false;
  // Faces cut only as the real faces of a body with geometry.
  if (const auto* face = dynamic_cast<const ES_face*>(found)) {
    const auto* body = dynamic_cast<const ES_solid*>(OM::OM_object_of_tag(face->ask_body()));
    if (body == nullptr || !Kernel::HasGeometry(body->ask_kernel_body())) return false;
  }
  double origin[3], matrix[9];
  found->ask_frame(origin, matrix);
  const double length = std::sqrt(matrix[6] * matrix[6] + matrix[7] * matrix[7] + matrix[8] * matrix[8]);
  if (!(length > 0)) return false;
  for (int k = 0; k < 3; ++k) {
    point[k] = origin[k];
    normal[k] = matrix[6 + k] / length;
  }
  return true;
}
}  // namespace

int TrimBody2Builder::commit_feature(FEATURE_RECORD** frec) {
  Host::Log("TrimBody2Builder::commit_feature", "tag=" + std::to_string(OmTag()));
  if (long long code = Host::Answer("TrimBody2Builder.commit", 0); code != 0) return static_cast<int>(code);
  FEATURE_RECORD* record = get_frec();
  if (record == nullptr) {
    record = FEATURE_RECORD::Create(ask_owning_part(), nullptr);
    set_frec(record);
  }
  TrimValues values;
  values.targets = targets_;
  values.reverse = reverse_;
  if (FacePlaneToolBuilder* tool = ask_tool()) {
    values.toolOption = tool->ask_tool_option();
    values.plane = tool->ask_tool_plane();
    if (FaceSetSelectionData* selection = tool->ask_face_selection()) values.faces = selection->ask_collector();
  }
  trimValues().Set(record->OmTag(), values);
  // The trim changes the first target body: that body is the feature's.
  auto* targets = hostObject<SC_collector>(targets_);
  if (targets != nullptr && targets->ask_count() > 0) record->set_body_eid(targets->ask_nth(0));
  // A target with geometry is cut by the tool's plane: the plane entity's, or
  // that of the first tool face.
  double point[3], normal[3];
  if (targets != nullptr && toolPlane(values, point, normal))
    for (int i = 0; i < targets->ask_count(); ++i)
      if (int status = TrimBodyGeometry(targets->ask_nth(i), point, normal, reverse_); status != 0) return status;
  if (frec != nullptr) *frec = record;
  return 0;
}

void TrimBody2Builder::cascade_destroy() {
  if (FacePlaneToolBuilder* tool = ask_tool()) tool->destroy();
  JAX_FEAT_BUILDER::cascade_destroy();
}

tag_t TRIM_create_tool_face_collector(int count, const int* faces) {
  Host::Log("TRIM_create_tool_face_collector", "count=" + std::to_string(count));
  SC_collector* collector = SC_collectorFactory::object(0);
  for (int i = 0; faces != nullptr && i < count; ++i) collector->append(static_cast<tag_t>(faces[i]));
  return collector->OmTag();
}

namespace JAM {
namespace {

template <class Get>
int ask(int place, tag_t builder, tag_t* out, Get get) {
  if (out == nullptr) return Error::kBadObject;
  *out = 0;
  if (int rc = RecordInterfaceCall("Features.TrimBody2Builder", place, "builder=" + std::to_string(builder)); rc != 0)
    return rc;
  auto* found = hostObject<TrimBody2Builder>(builder);
  if (found == nullptr) return Error::kBadObject;
  *out = get(*found);
  return 0;
}

template <class Change>
int change(int place, tag_t builder, const std::string& args, Change apply) {
  if (int rc = RecordInterfaceCall("Features.TrimBody2Builder", place, "builder=" + std::to_string(builder) + " " + args);
      rc != 0)
    return rc;
  auto* found = hostObject<TrimBody2Builder>(builder);
  if (found == nullptr) return Error::kBadObject;
  apply(*found);
  return 0;
}

class TrimBody2Builder final : public TrimBody2Builder_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0x7219B0D2U; }
  int Targets(tag_t builder, tag_t* collector) override {
    return ask(1, builder, collector, [](KTX::TrimBody2Builder& b) { return b.ask_targets(); });
  }
  int SetTargets(tag_t builder, tag_t collector) override {
    if (collector != 0 && hostObject<SC_collector>(collector) == nullptr) return Error::kBadObject;
    return change(2, builder, "collector=" + std::to_string(collector),
                  [&](KTX::TrimBody2Builder& b) { b.set_targets(collector); });
  }
  int BooleanTool(tag_t builder, tag_t* tool) override {
    return ask(3, builder, tool, [](KTX::TrimBody2Builder& b) { return OM::OM_ask_object_tag(b.ask_tool()); });
  }
  int SetTolerance(tag_t builder, double tolerance) override {
    return change(4, builder, "tolerance=" + std::to_string(tolerance),
                  [&](KTX::TrimBody2Builder& b) { b.set_tolerance(tolerance); });
  }
  int SetReverse(tag_t builder, bool reverse) override {
    return change(5, builder, "reverse=" + std::to_string(reverse),
                  [&](KTX::TrimBody2Builder& b) { b.set_reverse(reverse); });
  }
};

TrimBody2Builder trimServed;
ClassInitializer trimInitializer("Features.TrimBody2Builder", &trimServed, &trimServed);

}  // namespace
}  // namespace JAM

namespace Host {
bool AskTrimValues(tag_t feature, TrimValues* values) {
  const TrimValues* kept = trimValues().Find(feature);
  if (kept == nullptr) return false;
  *values = *kept;
  return true;
}
void ForgetTrimValues() { trimValues().Clear(); }
}  // namespace Host

}  // namespace KTX
