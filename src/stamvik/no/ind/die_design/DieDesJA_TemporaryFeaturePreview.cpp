#include "DieDesJA_TemporaryFeaturePreview.hpp"

#include <exception>

#include "Support.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/Module.hpp"
#include "jam/Session.hpp"
#include "kernel/Kernel.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDesJA {

namespace {
JAM::Session_Interface* session() { return Stamvik::UnjournalledInterface<JAM::Session_Interface>("Session"); }
}  // namespace

int SetPreviewUndoMark(const char* name) {
  JAM::Session_Interface* s = session();
  if (s == nullptr) return 0;
  int mark = 0;
  if (s->SessionSetUndoMark(1, name, &mark) != 0) return 0;
  return mark;
}

void UndoToPreviewMark(int mark) {
  if (JAM::Session_Interface* s = session(); s != nullptr && mark != 0) s->SessionUndoToMark(mark, nullptr);
}

void DeletePreviewUndoMark(int mark) {
  if (JAM::Session_Interface* s = session(); s != nullptr && mark != 0) s->SessionDeleteUndoMark(mark, nullptr, 0);
}

void TemporaryFeatureCalls::DeleteGenericAttributes(DIEDES_GENERIC_BODY_PARMS*) const {}

namespace {

// The features of the host's tool-body class differ only in their factory,
// in whether the temporary object gets a new target of its own or a copy of
// the builder's, and in whether it has a generic attribute part to let go of.
class ToolBodyCalls final : public TemporaryFeatureCalls {
 public:
  using Factory = DIEDES_GENERIC_BODY_PARMS* (*)();
  using TargetFor = DieDes::DieDesTarget* (*)(PART_part* part, tag_t target, DieDes::DieDesTarget* builders);
  ToolBodyCalls(Factory factory, TargetFor targetFor, bool attributes)
      : factory_(factory), targetFor_(targetFor), attributes_(attributes) {}

  DIEDES_GENERIC_BODY_PARMS* Create() const override { return factory_(); }
  void AttachTargetData(DIEDES_GENERIC_BODY_PARMS* parms, PART_part* part, tag_t target,
                        DieDes::DieDesTarget* builders) const override {
    auto* feature = dynamic_cast<DieDes::ToolBodyFeature*>(parms);
    if (feature == nullptr) return;
    DieDes::DieDesTarget* data = targetFor_(part, target, builders);
    if (data == nullptr) return;
    // Ours until the feature holds it: no undo takes it back without a mark.
    Stamvik::OnEveryExit deleteData("OM_delete_object", [data] { OM_delete_object(data); });
    feature->SetTargetData(data);
    deleteData.Dismiss();
  }
  DieDes::DieDesTarget* DetachTargetData(DIEDES_GENERIC_BODY_PARMS* parms) const override {
    auto* feature = dynamic_cast<DieDes::ToolBodyFeature*>(parms);
    if (feature == nullptr) return nullptr;
    DieDes::DieDesTarget* old = feature->GetTargetData();
    if (old == nullptr) return nullptr;
    // Taken from the feature however the clearing ends: a clearing that
    // raises leaves it logged for deletion, as the caller would.
    try {
      feature->SetTargetData(nullptr);
    } catch (...) {
      Stamvik::RunNoted("UPDATE_log_object_to_delete", [old] { UPDATE_log_object_to_delete(old); });
      throw;
    }
    return old;
  }
  void CreateBasicBodies(DIEDES_GENERIC_BODY_PARMS* parms, int kernelTarget, int* count, int** operations,
                         int** tools) const override {
    if (auto* feature = dynamic_cast<DieDes::ToolBodyFeature*>(parms); feature != nullptr)
      feature->CreateBasicBodies(nullptr, 1, kernelTarget, count, operations, tools);
  }
  void DeleteGenericAttributes(DIEDES_GENERIC_BODY_PARMS* parms) const override {
    auto* feature = dynamic_cast<DieDes::ToolBodyFeature*>(parms);
    if (!attributes_ || feature == nullptr) return;
    OM::TaggedObject* attributes = feature->GetGenericAttrPtr();
    if (attributes == nullptr) return;
    const Stamvik::OnEveryExit deleteAttributes("OM_delete_object", [attributes] { OM_delete_object(attributes); });
    feature->SetGenericAttrPtr(nullptr);
  }

 private:
  Factory factory_;
  TargetFor targetFor_;
  bool attributes_;
};

// A new target of the feature's own class, told the target body.
template <class Target, class TargetFactory>
DieDes::DieDesTarget* newTarget(PART_part* part, tag_t target, DieDes::DieDesTarget*) {
  Target* data = TargetFactory::Create(part);
  if (data == nullptr) return nullptr;
  Stamvik::OnEveryExit deleteData("OM_delete_object", [data] { OM_delete_object(data); });
  data->SetTargetBody(target);
  deleteData.Dismiss();
  return data;
}

// A copy of the builder's own target data.
template <class Target, class TargetFactory>
DieDes::DieDesTarget* copiedTarget(PART_part* part, tag_t, DieDes::DieDesTarget* builders) {
  return TargetFactory::CreateCopy(part, dynamic_cast<const Target*>(builders));
}

template <class Factory>
DIEDES_GENERIC_BODY_PARMS* make() {
  return Factory::Create();
}

// Lets go of the temporary parameter object and everything it was given.
// Each step runs whatever the one before did (the object goes last, also
// when a step raised); the first error raised goes on once all have run.
void releaseTemporary(const TemporaryFeatureCalls& feature, DIEDES_GENERIC_BODY_PARMS* parms) {
  std::exception_ptr first;
  auto step = [&first](auto&& run) {
    try {
      run();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  };
  step([&] {
    if (DieDes::DieDesTarget* old = feature.DetachTargetData(parms); old != nullptr) UPDATE_log_object_to_delete(old);
  });
  for (int i = 0, n = parms->GetNumEntities(); i < n; ++i)
    step([&] {
      if (DIEDES_GENERIC_ENTITY* entity = parms->GetEntity(i); entity != nullptr) entity->ReleaseContents(0);
    });
  step([&] { feature.DeleteGenericAttributes(parms); });
  OM_delete_object(parms);
  if (first) std::rethrow_exception(first);
}

}  // namespace

const TemporaryFeatureCalls& ClearanceFeatureCalls() {
  static const ToolBodyCalls calls(&make<DieDes::ClearanceFactory>,
                                   &newTarget<DieDes::ClearanceTarget, DieDes::ClearanceTargetFactory>, true);
  return calls;
}

const TemporaryFeatureCalls& FingerClearanceNotchFeatureCalls() {
  static const ToolBodyCalls calls(
      &make<DieDes::FingerClearanceNotchFactory>,
      &newTarget<DieDes::FingerClearanceNotchTarget, DieDes::FingerClearanceNotchTargetFactory>, true);
  return calls;
}

const TemporaryFeatureCalls& HandlingCoreFeatureCalls() {
  static const ToolBodyCalls calls(&make<DieDes::HandlingCoreFactory>,
                                   &copiedTarget<DieDes::HandlingCoreTarget, DieDes::HandlingCoreTargetFactory>,
                                   false);
  return calls;
}

const TemporaryFeatureCalls& MachineReliefFeatureCalls() {
  static const ToolBodyCalls calls(&make<DieDes::MachineReliefFactory>,
                                   &copiedTarget<DieDes::MachineReliefTarget, DieDes::MachineReliefTargetFactory>,
                                   false);
  return calls;
}

int CreateBodiesThroughTemporaryFeature(const TemporaryFeaturePreviewNames& names,
                                        TemporaryFeatureBuilderSteps& builder, const TemporaryFeatureCalls& feature,
                                        int* count, int** bodies) {
  Stamvik::UndoMarkScope mark = PreviewUndoMarkScope(names.markName);
  int status = 0;
  DIEDES_GENERIC_BODY_PARMS* parms = nullptr;
  Stamvik::BodyArray tools;
  Stamvik::HostBlock<int> operations;
  Stamvik::BodyArray out;
  int copy = 0;

  try {
    if (int rc = builder.Validate(); rc != 0) ERROR_raise(names.source, names.raiseLine, rc, "Cannot create bodies");
    builder.PopulateExtractionTable();
    parms = feature.Create();
    if (parms != nullptr) {
      status = builder.ToParms(parms);
      const tag_t target = builder.Target();
      if (target != 0) feature.AttachTargetData(parms, builder.OwningPart(), target, builder.BuilderTargetData());
      if (status == 0) {
        const int kernelTarget = target != 0 ? ES_solid_ask_solvane_tag(target) : 0;
        feature.CreateBasicBodies(parms, kernelTarget, tools.count(), operations.out(), tools.bodies());
        int bodyType = ZV_BODY_type_solid_c;
        if (kernelTarget != 0) {
          DieDesUtilsSolvaneCopy(false, kernelTarget, &copy);
          if (copy != 0) ZV_BODY_ask_type(copy, &bodyType);
        }
        if (copy != 0 && bodyType == ZV_BODY_type_solid_c) {
          int result = 0;
          const double tolerance = builder.DistanceTolerance();
          DIEDES_UTILS_boolean_bodies2(22, &copy, tools.size(), tools.data(), operations.get(), ZV_boolean_unite_c,
                                       nullptr, tolerance, names.booleanText, &result);
          DIEDES_UTILS_boolean_bodies2(22, &copy, tools.size(), tools.data(), operations.get(), ZV_boolean_subtract_c,
                                       nullptr, tolerance, names.booleanText, &result);
          if (copy != 0) {
            *out.bodies() = static_cast<int*>(SM_calloc(1, sizeof(int)));
            if (out.data() == nullptr)
              ERROR_raise(names.source, names.catchLine, Error::kNoMemory, "no memory for a body");
            out.data()[0] = copy;
            *out.count() = 1;
            copy = 0;  // held by the result now: it must not be deleted here as well
          }
        } else {
          // A copy that is not a solid is not used, and nobody else would release it.
          DieDesUtilsDeleteBody(copy);
          copy = 0;
          if (tools.size() > 0) tools.HandOver(out);
        }
      }
    }
  } catch (const std::exception& e) {
    status = Error::HandleAsBuilder(e, names.source, names.catchLine);
  }

  try {
    DIEDES_UTILS_free_extraction_table();
    if (parms != nullptr) releaseTemporary(feature, parms);
  } catch (const std::exception& e) {
    const int rc = Error::HandleAsBuilder(e, names.source, names.catchLine);
    if (status == 0) status = rc;
  }
  tools.Delete();
  operations.reset();

  if (status != 0) {
    // Nothing is handed over from a failed preview; the model goes back to the mark.
    DieDesUtilsDeleteBody(copy);
    out.Delete();
  } else {
    if (out.data() != nullptr) out.HandOver(count, bodies);
    mark.Commit();
  }
  return status;
}

}  // namespace KTX::DieDesJA
