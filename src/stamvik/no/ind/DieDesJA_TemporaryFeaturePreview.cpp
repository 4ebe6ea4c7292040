#include "DieDesJA_TemporaryFeaturePreview.hpp"

#include <exception>

#include "afl/BodyUtils.hpp"
#include "afl/Module.hpp"
#include "jam/Session.hpp"
#include "kernel/Kernel.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDesJA {

namespace {
JAM::Session_Interface* session() {
  return static_cast<JAM::Session_Interface*>(JAM::ClassInitializer::GetUnjournalledInterface("Session"));
}
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

class ClearanceCalls final : public TemporaryFeatureCalls {
 public:
  DIEDES_GENERIC_BODY_PARMS* Create() const override { return DieDes::ClearanceFactory::Create(); }
  void AttachTargetData(DIEDES_GENERIC_BODY_PARMS* parms, PART_part* part, tag_t target,
                        DieDes::DieDesTarget*) const override {
    auto* clearance = dynamic_cast<DieDes::Clearance*>(parms);
    if (clearance == nullptr) return;
    DieDes::ClearanceTarget* data = DieDes::ClearanceTargetFactory::Create(part);
    if (data == nullptr) return;
    data->SetTargetBody(target);
    clearance->SetTargetData(data);
  }
  DieDes::DieDesTarget* DetachTargetData(DIEDES_GENERIC_BODY_PARMS* parms) const override {
    auto* clearance = dynamic_cast<DieDes::Clearance*>(parms);
    if (clearance == nullptr) return nullptr;
    DieDes::DieDesTarget* old = clearance->GetTargetData();
    clearance->SetTargetData(nullptr);
    return old;
  }
  void CreateBasicBodies(DIEDES_GENERIC_BODY_PARMS* parms, int kernelTarget, int* count, int** operations,
                         int** tools) const override {
    if (auto* clearance = dynamic_cast<DieDes::Clearance*>(parms); clearance != nullptr)
      clearance->CreateBasicBodies(nullptr, 1, kernelTarget, count, operations, tools);
  }
  void DeleteGenericAttributes(DIEDES_GENERIC_BODY_PARMS* parms) const override {
    auto* clearance = dynamic_cast<DieDes::Clearance*>(parms);
    if (clearance == nullptr) return;
    OM::TaggedObject* attributes = clearance->GetGenericAttrPtr();
    clearance->SetGenericAttrPtr(nullptr);
    if (attributes != nullptr) OM_delete_object(attributes);
  }
};

// Lets go of the temporary parameter object and everything it was given.
void releaseTemporary(const TemporaryFeatureCalls& feature, DIEDES_GENERIC_BODY_PARMS* parms) {
  if (DieDes::DieDesTarget* old = feature.DetachTargetData(parms); old != nullptr)
    UPDATE_log_object_to_delete(old);
  for (int i = 0, n = parms->GetNumEntities(); i < n; ++i)
    if (DIEDES_GENERIC_ENTITY* entity = parms->GetEntity(i); entity != nullptr) entity->ReleaseContents(0);
  feature.DeleteGenericAttributes(parms);
  OM_delete_object(parms);
}

}  // namespace

const TemporaryFeatureCalls& ClearanceFeatureCalls() {
  static const ClearanceCalls calls;
  return calls;
}

int CreateBodiesThroughTemporaryFeature(const TemporaryFeaturePreviewNames& names,
                                        TemporaryFeatureBuilderSteps& builder, const TemporaryFeatureCalls& feature,
                                        int* count, int** bodies) {
  const int mark = SetPreviewUndoMark(names.markName);
  int status = 0;
  DIEDES_GENERIC_BODY_PARMS* parms = nullptr;
  int toolCount = 0;
  int* tools = nullptr;
  int* operations = nullptr;
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
        feature.CreateBasicBodies(parms, kernelTarget, &toolCount, &operations, &tools);
        int bodyType = ZV_BODY_type_solid_c;
        if (kernelTarget != 0) {
          DieDesUtilsSolvaneCopy(false, kernelTarget, &copy);
          if (copy != 0) ZV_BODY_ask_type(copy, &bodyType);
        }
        if (copy != 0 && bodyType == ZV_BODY_type_solid_c) {
          int result = 0;
          const double tolerance = builder.DistanceTolerance();
          DIEDES_UTILS_boolean_bodies2(22, &copy, toolCount, tools, operations, ZV_boolean_unite_c, nullptr,
                                       tolerance, names.booleanText, &result);
          DIEDES_UTILS_boolean_bodies2(22, &copy, toolCount, tools, operations, ZV_boolean_subtract_c, nullptr,
                                       tolerance, names.booleanText, &result);
          if (copy != 0) {
            auto* out = static_cast<int*>(SM_calloc(1, sizeof(int)));
            if (out == nullptr) ERROR_raise(names.source, names.catchLine, Error::kNoMemory, "no memory for a body");
            out[0] = copy;
            copy = 0;  // the caller's now: it must not be deleted here as well
            *bodies = out;
            *count = 1;
          }
        } else {
          // A copy that is not a solid is not used, and nobody else would release it.
          DieDesUtilsDeleteBody(copy);
          copy = 0;
          if (toolCount > 0) {
            *count = toolCount;
            *bodies = tools;
            toolCount = 0;
            tools = nullptr;
          }
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
  DieDesUtilsDeleteBodies(&toolCount, &tools);
  SM_free(operations);

  if (status != 0) {
    DieDesUtilsDeleteBody(copy);
    DieDesUtilsDeleteBodies(count, bodies);
    UndoToPreviewMark(mark);
  }
  DeletePreviewUndoMark(mark);
  return status;
}

}  // namespace KTX::DieDesJA
