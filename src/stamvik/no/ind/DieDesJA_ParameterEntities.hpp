// How the die-design body builders write their inputs into the entities of
// their feature's parameter object and read them back when a feature is
// edited: the steps every builder takes in the same way. Each builder
// decides which entity holds which input.
#pragma once
#include <span>

#include "DieDesJA_DieLocationBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "Messages.hpp"
#include "StamvikExport.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/Parms.hpp"
#include "sel/Selection.hpp"
#include "sys/Error.hpp"

namespace KTX::DieDesJA {

// The context an entity is handed with each write: the flag and the
// parameter object's owner.
STAMVIK_API DIEDES_ENTITY_CONTEXT EntityContext(const DIEDES_GENERIC_BODY_PARMS* parms, int flag);

// How many entities a builder takes: its own number, or fewer when the
// parameter object holds fewer.
STAMVIK_API int EntitiesToUse(const DIEDES_GENERIC_BODY_PARMS* parms, int wanted);

// The entity at the index for reading; null when the parameter object holds
// fewer entities, so that the entity is skipped.
STAMVIK_API DIEDES_GENERIC_ENTITY* EntityToRead(const DIEDES_GENERIC_BODY_PARMS* parms, int index);

// ---- writing (0 or the entity's message number; an index past the end of
// the entity list raises the host's index error) -------------------------------------------

STAMVIK_API int WriteTagsEntity(DIEDES_GENERIC_BODY_PARMS* parms, int index, int flag, int count,
                                const tag_t* tags);
STAMVIK_API int WriteIntsEntity(DIEDES_GENERIC_BODY_PARMS* parms, int index, int flag, int count,
                                const int* values);
STAMVIK_API int WriteExpressionsEntity(DIEDES_GENERIC_BODY_PARMS* parms, int index, int flag, int count,
                                       EXP_expression* const* expressions);
// A section that exists and holds curves is written as its tag and mapped
// through the host's extraction table map when there is one; otherwise count 0.
STAMVIK_API int WriteSectionEntity(DIEDES_GENERIC_BODY_PARMS* parms, int index, int flag, SC_section* section);
// The list's tags in order with flag 1; an empty list as count 0 with flag 0.
STAMVIK_API int WriteSelectionListEntity(DIEDES_GENERIC_BODY_PARMS* parms, int index, const TagListObject* list);
// Sub-builders write their own records; an entity of another class is
// handed over as none (the sub-builder raises its error).
STAMVIK_API int WritePlaneEntity(DIEDES_GENERIC_BODY_PARMS* parms, int index, const DieDes::DiePlaneBuilder* plane);
STAMVIK_API int WriteDirectionEntity(DIEDES_GENERIC_BODY_PARMS* parms, int index,
                                     const DieDes::DieDirectionBuilder* direction);
STAMVIK_API int WriteLocationEntity(DIEDES_GENERIC_BODY_PARMS* parms, int index, const DieLocationBuilder* location);
// The die attributes, written after every entity and the tolerances; its
// result is the result of the builder's ToParms.
STAMVIK_API int WriteDieAttributes(DIEDES_GENERIC_BODY_PARMS* parms,
                                   const DieDes::DieAttributesBuilder* attributes);
// The same for one record part of an object that holds several, with the
// owner the write is made for.
STAMVIK_API int WriteDieAttributesRecord(DieAttributesPart part, OM::Object* owner,
                                         const DieDes::DieAttributesBuilder* attributes);
// The records an attribute item read, one a sub-builder in the item's order,
// renewed before the item applies them: a record that had a title keeps it as
// its previous title, and takes its sub-builder's texts and integer (no
// sub-builder: no texts, the integer as it was).
STAMVIK_API void FillDieAttributesRecords(DieAttributesRecord* records,
                                          std::span<const DieDes::DieAttributesBuilder* const> builders);

// ---- reading back ---------------------------------------------------------------------

using Messages::kNoDatabaseParms;

// The record's parameters as the builder's feature class; raises 670156
// "Feature has no database parameters." (from the builder's source) when
// there are none of that class.
template <class FeatureParms>
FeatureParms* FeatureParmsOrRaise(const FEATURE_RECORD* frec, const char* source, int line) {
  auto* parms = dynamic_cast<FeatureParms*>(frec != nullptr ? FREC_ask_parms_of_frec(frec) : nullptr);
  if (parms == nullptr) ERROR_raise(source, line, kNoDatabaseParms, "Feature has no database parameters.");
  return parms;
}

// The same, telling apart a record without parameters ("Feature has no
// database parameters.") from one whose parameters are of another class
// (the builder's own text, also 670156).
template <class FeatureParms>
FeatureParms* FeatureParmsOfClassOrRaise(const FEATURE_RECORD* frec, const char* source, int line,
                                        const char* wrongClass) {
  FEATURE_PARMS* any = frec != nullptr ? FREC_ask_parms_of_frec(frec) : nullptr;
  if (any == nullptr) ERROR_raise(source, line, kNoDatabaseParms, "Feature has no database parameters.");
  auto* parms = dynamic_cast<FeatureParms*>(any);
  if (parms == nullptr) ERROR_raise(source, line, kNoDatabaseParms, "%s", wrongClass);
  return parms;
}

// Adds the entity's tags to the list when it holds at least one and the
// first is not 0.
STAMVIK_API void ReadSelectionListEntity(const DIEDES_GENERIC_BODY_PARMS* parms, int index, TagListObject* list);

// Replaces the builder's section (held under the attribute) by a copy of the
// entity's: the current one, when there is one, is let go and logged for
// deletion; a copy of the section the entity's first tag names becomes the
// builder's, or, when it names none, a new empty section in the part (with
// the parameters' tolerances), which the entity does not name until a
// commit writes it (CommitPath.hpp). Gives the section the builder now
// holds; a missing entity changes nothing.
STAMVIK_API SC_section* ReadSectionEntity(OM::Object* builder, const OM::AttributeId& attribute,
                                          SC_section* current, DIEDES_GENERIC_BODY_PARMS* parms, int index,
                                          int flag, PART_part* part);

STAMVIK_API void ReadPlaneEntity(const DIEDES_GENERIC_BODY_PARMS* parms, int index, DieDes::DiePlaneBuilder* plane);
STAMVIK_API void ReadDirectionEntity(const DIEDES_GENERIC_BODY_PARMS* parms, int index,
                                     DieDes::DieDirectionBuilder* direction);
STAMVIK_API void ReadLocationEntity(const DIEDES_GENERIC_BODY_PARMS* parms, int index, DieLocationBuilder* location);

// The stored die attributes into the sub-builder: a title (with the integer)
// and a value text, each only when the record holds one.
STAMVIK_API void ReadDieAttributes(const DIEDES_GENERIC_BODY_PARMS* parms, DieDes::DieAttributesBuilder* attributes);
// The same from a record the caller holds (null: nothing).
STAMVIK_API void ReadDieAttributesRecord(const DieAttributesRecord* record, DieDes::DieAttributesBuilder* attributes);

}  // namespace KTX::DieDesJA
