#include "DieDesJA_GenericBodyBuilder.hpp"

#include <cstring>
#include <exception>
#include <optional>
#include <vector>

#include "CommitPath.hpp"
#include "DieDesJA_TemporaryFeaturePreview.hpp"
#include "HeldSelections.hpp"
#include "Messages.hpp"
#include "Support.hpp"
#include "afl/BodyUtils.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "math/Vector.hpp"
#include "om/ObjectManager.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_DEFINE_CLASS(GenericBodyBuilder, "KTX::JAX_FEAT_BUILDER", 0x1001, nullptr,
                        STAMVIK_GENERIC_BODY_BUILDER_ATTRIBUTES)

namespace {
constexpr const char* kSchemaSource = "DieDesJA_GenericBodyBuilder_SchemaRegistrant";
constexpr const char* kSource = "DieDesJA_GenericBodyBuilder";
constexpr const char* kCommitMark = "DieDesJA::GenericBodyBuilder::commit_feature";
using Messages::kAbstractMethod;
using Messages::kNoBaseOrientation;
using Messages::kNoCoordinateSystem;
using Messages::kWrongParms;
}  // namespace

int GenericBodyBuilder::ConvertBuilderDataToFrec(FEATURE_RECORD*) {
  ERROR_raise(kSchemaSource, 31, kAbstractMethod,
              "Attempt to invoke abstract method GenericBodyBuilder::ConvertBuilderDataToFrec on &%p of class %s",
              static_cast<void*>(this), OM::OM_ask_class_name(OmClassId()));
}

int GenericBodyBuilder::ToParms(DIEDES_GENERIC_BODY_PARMS*) {
  ERROR_raise(kSchemaSource, 37, kAbstractMethod,
              "Attempt to invoke abstract method GenericBodyBuilder::ToParms on &%p of class %s",
              static_cast<void*>(this), OM::OM_ask_class_name(OmClassId()));
}

void GenericBodyBuilder::GetSelectedObjects(int*, tag_t**) const {
  ERROR_raise(kSchemaSource, 43, kAbstractMethod,
              "Attempt to invoke abstract method GenericBodyBuilder::GetSelectedObjects on &%p of class %s",
              static_cast<const void*>(this), OM::OM_ask_class_name(OmClassId()));
}

void GenericBodyBuilder::SetAlgorithmVersion(int version) {
  OM::LogForWrite(this);
  m_algorithmVersion = version;
}

// ---- the commit -------------------------------------------------------------------

namespace {
// Each expression entity refers again to the feature's own expression where
// it had one, given the value the builder wrote (a copy the builder keeps);
// a position new to the feature keeps what the builder wrote.
int KeepFeatureExpressions(DIEDES_GENERIC_BODY_PARMS* parms, const std::vector<std::vector<EXP_expression*>>& own) {
  for (int i = 0; i < parms->GetNumEntities() && i < static_cast<int>(own.size()); ++i) {
    DIEDES_GENERIC_ENTITY* entity = parms->GetEntity(i);
    if (entity == nullptr || entity->AskKind() != DIEDES_GENERIC_ENTITY::kExpressions) continue;
    std::vector<EXP_expression*> kept;
    bool changed = false;
    for (int j = 0; j < entity->AskCount(); ++j) {
      EXP_expression* written = entity->AskExpression(j);
      EXP_expression* feature = j < static_cast<int>(own[i].size()) ? own[i][j] : nullptr;
      if (feature == nullptr || written == nullptr || feature == written) {
        kept.push_back(written);
        continue;
      }
      // Only a value given through the builder since it read the feature.
      if (const int rc = Stamvik::WriteCopyInto(feature, written); rc != 0) return rc;
      kept.push_back(feature);
      changed = true;
    }
    if (!changed) continue;
    const DIEDES_ENTITY_CONTEXT context{entity->AskFlag(), OM::OM_object_of_tag(entity->AskOwnerTag()), {}};
    if (const int rc = entity->SetExpressions(&context, static_cast<int>(kept.size()), kept.data()); rc != 0) return rc;
  }
  return 0;
}

// Each tags entity whose first tag was a section of the feature refers to it
// again, given the contents of the section the builder wrote there (a copy
// the builder keeps); an entity the builder emptied stays empty.
int KeepFeatureSections(DIEDES_GENERIC_BODY_PARMS* parms, const std::vector<SC_section*>& own) {
  for (int i = 0; i < parms->GetNumEntities(); ++i) {
    DIEDES_GENERIC_ENTITY* entity = parms->GetEntity(i);
    if (entity == nullptr || entity->AskKind() != DIEDES_GENERIC_ENTITY::kTags || entity->AskCount() < 1) continue;
    auto* written = dynamic_cast<SC_section*>(OM::OM_object_of_tag(entity->AskTag(0)));
    SC_section* feature = i < static_cast<int>(own.size()) ? own[i] : nullptr;
    if (written == nullptr || written == feature) continue;
    if (feature != nullptr) {
      if (const int rc = Stamvik::WriteContents(feature, written); rc != 0) return rc;
    } else {
      // A section the feature lacked: the feature takes a copy of the
      // builder's, which stays the builder's own to go on with.
      feature = Stamvik::CopyOfSection(written, OM::OM_ask_object_tag(CONTEXT_ask_work_part_p()));
      if (feature == nullptr) return kWrongParms;
    }
    std::vector<tag_t> tags;
    for (int j = 0; j < entity->AskCount(); ++j) tags.push_back(entity->AskTag(j));
    tags[0] = feature->ask_tag();
    const DIEDES_ENTITY_CONTEXT context{entity->AskFlag(), OM::OM_object_of_tag(entity->AskOwnerTag()), {}};
    if (const int rc = entity->SetTags(&context, static_cast<int>(tags.size()), tags.data()); rc != 0) return rc;
  }
  return 0;
}

}  // namespace

GenericBodyBuilder::FeatureOwnObjects::FeatureOwnObjects(const DIEDES_GENERIC_BODY_PARMS* parms) {
  for (int i = 0; parms != nullptr && i < parms->GetNumEntities(); ++i) {
    const DIEDES_GENERIC_ENTITY* entity = parms->GetEntity(i);
    std::vector<EXP_expression*>& held = expressions_.emplace_back();
    if (entity != nullptr && entity->AskKind() == DIEDES_GENERIC_ENTITY::kExpressions)
      for (int j = 0; j < entity->AskCount(); ++j) held.push_back(entity->AskExpression(j));
    sections_.push_back(entity != nullptr && entity->AskKind() == DIEDES_GENERIC_ENTITY::kTags && entity->AskCount() > 0
                            ? dynamic_cast<SC_section*>(OM::OM_object_of_tag(entity->AskTag(0)))
                            : nullptr);
  }
}

int GenericBodyBuilder::FeatureOwnObjects::KeepInto(DIEDES_GENERIC_BODY_PARMS* parms) const {
  if (const int rc = KeepFeatureExpressions(parms, expressions_); rc != 0) return rc;
  return KeepFeatureSections(parms, sections_);
}

void GenericBodyBuilder::GoOnWithCopiesOfFields(OM::Object* builder) {
  // The class frame lays a reference field out as the object's address at
  // its row's place. A sub-builder the builder owns, alone or in a list, is
  // its own and goes on with copies too.
  struct Field {
    OM::Object* held;
    const OM::AttributeId* id;
    bool section;
  };
  std::vector<Field> fields;
  std::vector<OM::Object*> subBuilders;
  for (int id = builder->OmClassId(); id != 0;) {
    OM::ClassView view;
    if (!OM::OM_describe_class(id, &view)) break;
    for (const OM::ClassAttributeStruct* row : view.rows) {
      if (row == nullptr || row->referencedClass == nullptr || *row->referencedClass == nullptr) continue;
      auto* held = *reinterpret_cast<OM::Object* const*>(reinterpret_cast<const char*>(builder) + row->fieldPlace);
      if (held == nullptr) continue;
      const bool expression = std::strcmp(*row->referencedClass, EXP_expression::OmClassName) == 0;
      const bool section = std::strcmp(*row->referencedClass, SC_section::OmClassName) == 0;
      if (expression || section) {
        fields.push_back({held, row->attributeId, section});
        continue;
      }
      if (OM::OM_ask_owner(held) != builder) continue;
      if (auto* list = dynamic_cast<UICOMPJA_list*>(held)) {
        for (int i = 0; i < list->size(); ++i)
          if (auto* item = dynamic_cast<JAX_BASE_BUILDER*>(list->ask_item(i))) subBuilders.push_back(item);
      } else if (dynamic_cast<JAX_BASE_BUILDER*>(held) != nullptr) {
        subBuilders.push_back(held);
      }
    }
    id = view.superclassName.empty() ? 0 : OM::OM_ask_class_id(view.superclassName.c_str());
  }
  const tag_t part = OM::OM_ask_object_tag(CONTEXT_ask_work_part_p());
  for (const Field& field : fields) {
    if (!OM::OM_is_kept_alive(field.held)) continue;
    OM::Object* copy = field.section
                           ? static_cast<OM::Object*>(Stamvik::CopyOfSection(static_cast<SC_section*>(field.held), part))
                           : Stamvik::CopyOfExpression(static_cast<EXP_expression*>(field.held), kSource, 85);
    // An owner that asked to be told of the object's changes is told of the copy's.
    auto* observed = dynamic_cast<IChildOfObservable*>(field.held);
    if (auto* told = dynamic_cast<IChildOfObservable*>(copy); observed != nullptr && told != nullptr &&
                                                              observed->ParentHasObservers()) {
      told->SetParentHasObservers(true);
      observed->SetParentHasObservers(false);
    }
    OM::OM_set_pointer(builder, *field.id, copy);
    OM::OM_set_owner(field.held, nullptr);
  }
  for (OM::Object* sub : subBuilders) GoOnWithCopiesOfFields(sub);
}

int GenericBodyBuilder::DieGenericBodyCommitFeature(FEATURE_RECORD** frec, DIEDES_GENERIC_BODY_PARMS* parms,
                                                    tag_t body) {
  if (parms == nullptr) return kWrongParms;

  if (frec != nullptr && *frec != nullptr) {
    FEATURE_RECORD* record = *frec;
    // The feature's own objects, before the builder's data (its copies of
    // them, read back) is written over them.
    const FeatureOwnObjects own(parms);
    // Under a mark of the edit's own: an update that fails takes the
    // feature's values back.
    int error = 0;
    const int mark = UNDO_QD_set_mark(1, nullptr, &error);
    if (error != 0) return error;
    UNDO_QD_set_mark_importance(mark, 0);
    int rc = 0;
    try {
      rc = ConvertBuilderDataToFrec(record);
      if (rc == 0) rc = own.KeepInto(parms);
      if (rc == 0) rc = DIEENG_UpdateMultipleBodyFrec(record);
      if (rc == 0) UPDATE_log_object_to_update(record);
    } catch (...) {
      UNDO_QD_undo_to_mark_no_status(mark, nullptr);
      UNDO_QD_delete_to_mark(mark, nullptr);
      throw;
    }
    if (rc != 0) UNDO_QD_undo_to_mark_no_status(mark, nullptr);
    UNDO_QD_delete_to_mark(mark, nullptr);
    return rc;
  }

  if (int rc = ToParms(parms); rc != 0) return rc;
  const int kernelBody = body != 0 ? ES_solid_ask_solvane_tag(body) : 0;
  FEATURE_RECORD* created = nullptr;
  if (int rc = DIEENG_CreateFrecWithParms(parms, kernelBody, &created); rc != 0) return rc;
  // Success without a record would leave the caller believing a feature exists.
  if (created == nullptr) return kWrongParms;
  if (frec != nullptr) *frec = created;

  if (FMI_invoke_post_update(created) == 0) {
    if (tag_t eid = FREC_ask_body_eid(OM::OM_ask_object_tag(created)); eid != 0) DSS_REGEN_regen_object(eid);
  }
  parms->SetFeatureRecord(created);
  GoOnWithCopiesOfFields(this);
  // Kept open and committed again, the builder updates the feature it made,
  // as one opened on it does: never a second feature.
  set_frec(created);
  return 0;
}

void GenericBodyBuilder::ReadExpressionCopy(const OM::AttributeId& field, const DIEDES_GENERIC_BODY_PARMS* parms,
                                            int entity, int position) {
  OM::OM_set_pointer(this, field,
                     Stamvik::CopyOfExpression(parms->AskEntityExpression(entity, position), "DieDesJA_GenericBodyBuilder",
                                               __LINE__));
}

void GenericBodyBuilder::ReadTargetBody(const DIEDES_GENERIC_BODY_PARMS* parms, SELECT_OBJECT* target) {
  const tag_t body = DIEDES_GENERIC_BODY_PARMS::GetTargetEID(parms);
  if (body == 0 || target == nullptr) return;
  target->set_selected_tag(body);
  Notify(target);
}

void GenericBodyBuilder::ReadFaceAttributes(const DieDes::DieDesAttributeItemParms* parms,
                                            std::initializer_list<DieDes::DieAttributesBuilder*> builders) {
  std::vector<DieAttributesRecord> records(builders.size());
  DieDes::DIEDES_ATTRIBUTE_TABLE table{{}, {0, 1, 2, 3}, static_cast<int>(records.size()), records.data()};
  if (parms->ReadAttributeRecords(&table) != 0) return;
  const DieAttributesRecord* record = records.data();
  for (DieDes::DieAttributesBuilder* builder : builders) {
    const DieAttributesRecord& read = *record++;
    if (builder == nullptr) continue;
    char text[51];
    if (read.title[0] != '\0') {
      STR_snprintf(text, sizeof text, "%.50s", read.title);
      builder->SetFirstText(text);
      builder->SetIntegerValue(read.number);
    }
    if (read.value[0] != '\0') {
      STR_snprintf(text, sizeof text, "%.50s", read.value);
      builder->SetSecondText(text);
    }
  }
}

int GenericBodyBuilder::PreviewFrame(SELECT_OBJECT* csysSelection, tag_t targetCsys,
                                     DieDes::DiePlaneBuilder* baseOrientation, const DieDes::DieDesTarget* targetData,
                                     tag_t* csys, tag_t* createdCsys, double origin[3], double normal[3]) {
  *csys = csysSelection->ask_selected_tag();
  if (*csys == 0) *csys = targetCsys;
  if (*csys == 0) {
    const double zero[3] = {0, 0, 0};
    const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    *csys = *createdCsys = ES_create_csys(zero, identity);
    if (*csys == 0) return kNoCoordinateSystem;
  }
  tag_t plane = 0;
  double matrix[9];
  if (baseOrientation->GetPlaneDefinition(&plane, origin, matrix)) {
    Math::NormalOfMatrix(matrix, normal);
  } else if (targetData != nullptr && targetData->GetOrientationFlag()) {
    targetData->GetBaseOrigin(origin);
    targetData->GetBaseNormal(normal);
  } else {
    return kNoBaseOrientation;
  }
  return 0;
}

void GenericBodyBuilder::HandOutPreviewBodies(const PreviewSource& source, double tolerance, int bodyType, int* copy,
                                              int* toolCount, int** tools, const int* operations, int* outCount,
                                              int** out) {
  if (*copy != 0 && bodyType == ZV_BODY_type_solid_c) {
    for (int operation : {ZV_boolean_unite_c, ZV_boolean_subtract_c, 18210, 18211}) {
      int result = 0;
      DIEDES_UTILS_boolean_bodies(*copy, *toolCount, *tools, operations, operation, nullptr, tolerance,
                                  source.booleanText, &result);
    }
    *out = static_cast<int*>(SM_calloc(1, sizeof(int)));
    if (*out == nullptr) ERROR_raise(source.file, source.line, Error::kNoMemory, "no memory for a body");
    (*out)[0] = *copy;
    *outCount = 1;
    *copy = 0;  // held by the result now
  } else if (*toolCount > 0) {
    *out = *tools;
    *outCount = *toolCount;
    *tools = nullptr;
    *toolCount = 0;
  }
}

EXP_expression* GenericBodyBuilder::NewZeroLength() {
  EXP_expression* value = nullptr;
  EXP_create_sys_exp_with_units_all_errors("0", UNIT_ask_default_unit_obj_for_measure(0), &value);
  return value;
}

SC_section* GenericBodyBuilder::NewSection() const {
  const double distance = TOLER_ask_distance_tol();
  return SC_sectionFactory::object(OM::OM_ask_object_tag(ask_owning_part()), 0.95 * distance, distance,
                                   TOLER_ask_angular_tol());
}

void GenericBodyBuilder::PopulateExtractionTable() const {
  if (DIEDES_UTILS__get_extraction_table() != nullptr) return;
  int count = 0;
  Stamvik::HostBlock<tag_t> tags;
  GetSelectedObjects(&count, tags.out());
  CreateExtractionTable(get_frec(), count, tags.release());
}

void GenericBodyBuilder::CreateExtractionTable(FEATURE_RECORD* frec, int count, tag_t* tags) {
  // The tags are freed also when a host call on the way raises.
  const Stamvik::HostBlock<tag_t> held(tags);
  DIEDES_UTILS_create_extraction_table_map_object();
  DIEDES_UTILS_create_extraction_table(frec, count, tags);
}

GenericBodyBuilder::ExtractionTableScope::~ExtractionTableScope() { DIEDES_UTILS_free_extraction_table(); }

DIEDES_GENERIC_BODY_PARMS* GenericBodyBuilder::ParmsOfRecord(FEATURE_RECORD* frec) {
  return dynamic_cast<DIEDES_GENERIC_BODY_PARMS*>(FREC_ask_parms_of_frec(frec));
}

int GenericBodyBuilder::CommitThroughTable(FEATURE_RECORD** frec, int line,
                                           const std::function<CommitInputs(FEATURE_RECORD* edited)>& choose) {
  // In its turn with the other builders alive on the feature (CommitPath.hpp).
  return Stamvik::CommitInTurn(this, [&] {
    return Stamvik::CommitFeature(frec, kCommitMark, kSource, line, [&] {
      ExtractionTableScope table;
      PopulateExtractionTable();
      const CommitInputs in = choose(get_frec());
      return DieGenericBodyCommitFeature(frec, in.parms, in.body);
    });
  });
}

int GenericBodyBuilder::CommitWithProtocol(FEATURE_RECORD** frec,
                                           DIEDES_GENERIC_BODY_PARMS* (*editParms)(FEATURE_RECORD*),
                                           DIEDES_GENERIC_BODY_PARMS* (*newParms)(), SELECT_OBJECT* target,
                                           bool renotify) {
  const int rc = CommitThroughTable(frec, 395, [&](FEATURE_RECORD* edited) -> CommitInputs {
    if (edited != nullptr) return {editParms != nullptr ? editParms(edited) : ParmsOfRecord(edited), 0};
    return {newParms != nullptr ? newParms() : nullptr, target != nullptr ? target->ask_selected_tag() : 0};
  });
  if (rc != 0 && renotify) Notify(target);
  return rc;
}

int GenericBodyBuilder::PreviewThroughTemporaryFeature(const TemporaryFeaturePreviewNames& names,
                                                       const TemporaryFeatureCalls& feature, SELECT_OBJECT* target,
                                                       DieDes::DieDesTarget* targetData, double distanceTolerance,
                                                       int* count, int** bodies) const {
  // The preview changes nothing of the builder that the host would see; the
  // steps it asks of it are the commit's own.
  class Steps final : public TemporaryFeatureBuilderSteps {
   public:
    Steps(GenericBodyBuilder& builder, SELECT_OBJECT* target, DieDes::DieDesTarget* data, double tolerance)
        : builder_(builder), target_(target), data_(data), tolerance_(tolerance) {}
    int Validate() override { return builder_.validate_nothrow(); }
    void PopulateExtractionTable() override { builder_.PopulateExtractionTable(); }
    int ToParms(DIEDES_GENERIC_BODY_PARMS* parms) override { return builder_.ToParms(parms); }
    PART_part* OwningPart() const override { return builder_.ask_owning_part(); }
    tag_t Target() const override { return target_ != nullptr ? target_->ask_selected_tag() : 0; }
    DieDes::DieDesTarget* BuilderTargetData() const override { return data_; }
    double DistanceTolerance() const override { return tolerance_; }

   private:
    GenericBodyBuilder& builder_;
    SELECT_OBJECT* target_;
    DieDes::DieDesTarget* data_;
    double tolerance_;
  };
  Steps steps(const_cast<GenericBodyBuilder&>(*this), target, targetData, distanceTolerance);
  return CreateBodiesThroughTemporaryFeature(names, steps, feature, count, bodies);
}

int GenericBodyBuilder::CommitUpdatingTarget(FEATURE_RECORD** frec, DieDes::DieDesTarget* targetData,
                                             SELECT_OBJECT* target, DIEDES_GENERIC_BODY_PARMS* (*newParms)()) {
  // Set: the target body must not be marked for update.
  const bool noUpdate = targetData != nullptr && targetData->GetUpdateFlag();
  if (targetData != nullptr) targetData->SetFrecPointer(frec);
  const tag_t body = target != nullptr ? target->ask_selected_tag() : 0;
  const int rc = CommitThroughTable(frec, 440, [&](FEATURE_RECORD* edited) -> CommitInputs {
    if (edited != nullptr) {
      if (!noUpdate) UPDATE_log_entity_to_update(body);
      return {ParmsOfRecord(edited), 0};
    }
    if (!noUpdate && body != 0) {
      UPDATE_log_entity_to_update(body);
      DoUpdate();
    }
    return {newParms(), body};
  });
  if (rc != 0) Notify(target);
  return rc;
}

void GenericBodyBuilder::DoUpdate() {
  // Set inside the guard: a mark that cannot be set is the update's failure too.
  std::optional<Stamvik::UndoMarkScope> mark;
  int failure = 0;
  try {
    mark.emplace(nullptr);
    UPDATE_do_update();
  } catch (const std::exception& e) {
    failure = Error::HandleAsBuilder(e, kSource, 288);
  }
  if (failure == 0 && mark) mark->Commit();
}

// ---- the reaction to the target --------------------------------------------------

template <class Orientation>
void GenericBodyBuilder::ReactToTarget(OM::Object* changed, SELECT_OBJECT* target, DieDes::DieDesTarget* targetData,
                                       Orientation* orientation, EXP_expression* thickness, const char* source,
                                       int line) {
  if (changed == nullptr || changed != target) return;
  try {
    if (targetData == nullptr) return;
    targetData->SetTargetBody(target->ask_selected_tag());
    if (orientation != nullptr) orientation->SetApplIsOverallRequired(!targetData->GetOrientationFlag());
    if (thickness != nullptr && targetData->GetThicknessFlag()) {
      Stamvik::HostBlock<char> text(EXP_format_value(targetData->GetThicknessValue()));
      PART_part* part = ask_owning_part();
      const int rc = EXP_edit_exp(part != nullptr ? part->ask_tag() : 0, thickness, text.get());
      text.reset();
      if (rc == 0) EXP_ask_value_of_exp(thickness);
    }
  } catch (const std::exception& e) {
    Error::HandleAsBuilder(e, source, line != 0 ? line : 315);
  }
}

void GenericBodyBuilder::ReactToTargetChange(OM::Object* changed, SELECT_OBJECT* target,
                                             DieDes::DieDesTarget* targetData, DieDes::DiePlaneBuilder* orientation,
                                             EXP_expression* thickness, const char* source, int line) {
  ReactToTarget(changed, target, targetData, orientation, thickness, source, line);
}

void GenericBodyBuilder::ReactToTargetChange(OM::Object* changed, SELECT_OBJECT* target,
                                             DieDes::DieDesTarget* targetData,
                                             DieDes::DieDirectionBuilder* orientation, EXP_expression* thickness,
                                             const char* source, int line) {
  ReactToTarget(changed, target, targetData, orientation, thickness, source, line);
}

}  // namespace KTX::DieDesJA
