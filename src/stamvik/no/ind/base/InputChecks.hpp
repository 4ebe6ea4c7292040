// What no builder is committed with, checked alike for every builder class:
// an enumeration value that names no member of its enumeration, and a
// selected object that cannot serve as an input at all (gone since it was
// selected, a builder rather than a model object, or the very feature the
// builder edits). Each class's check is made from its published description
// (its enumerations, its selections, its sub-builders) and registered when
// the class's scripting unit loads; a builder's validation asks for it by
// the builder's class.
#pragma once
#include "StamvikExport.hpp"
#include "feat/Builder.hpp"
#include "om/ObjectManager.hpp"

namespace KTX::Stamvik {

// The numbers a class refuses its inputs with (its catalogue's).
struct InputRefusals {
  int unknownMember;  // an enumeration value past its members, or below 0
  int objectGone;     // a selection holds an object deleted since it was selected
  int notAModelObject;  // a selection holds a builder
  int ownFeature;     // a selection holds the feature the builder edits
};

// A class's check of one object of the class (the builder validated, or one
// of its sub-builders): 0, or the number of the first refusal.
using InputCheck = int (*)(const JAX_BASE_BUILDER* validated, OM::Object* object, int depth);

// Registers the check of the class whose id `classId` holds (read when
// asked, so a class registered with the object manager later is found).
STAMVIK_API void RegisterInputCheck(const int* classId, InputCheck check);

// The check of the builder's class run on the builder: 0 when its class has
// none. Every builder's validation asks it first.
STAMVIK_API int CheckInputs(const JAX_BASE_BUILDER* builder);

// What a builder holds as a member: a selection (one object or a list), a
// collector, a list of sub-builders or a sub-builder, checked as an input of
// `validated`; anything else passes.
STAMVIK_API int CheckHeld(const JAX_BASE_BUILDER* validated, OM::Object* held, const InputRefusals& refusals,
                          int depth);

}  // namespace KTX::Stamvik
