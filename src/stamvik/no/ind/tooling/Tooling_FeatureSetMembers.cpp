#include "Tooling_FeatureSetMembers.hpp"

#include "Tooling_DieDesBuildSupport.hpp"
#include "modl/ModelingInterfaces.hpp"

namespace KTX::Tooling {

using namespace Support;

void ReportStep(const char* source, int status, int line, int number, const char* failure, const char* success) {
  if (status != 0) ERROR_raise(source, line, number, "%s", failure);
  mtStatusAreaImmediate(success);
}

void PlaneDirection(const char* source, int line, tag_t plane, double direction[3]) {
  direction[0] = direction[1] = direction[2] = 0.0;
  // What is no plane gives no direction to extrude or check along.
  if (const int status = Stamvik::UnjournalledInterface<JAM::IPlane_Interface>("IPlane")->Normal(
          plane, &direction[0], &direction[1], &direction[2]);
      status != 0)
    ERROR_raise(source, line, status, "The base plane gives no direction.");
}

bool FeatureSetMembers::Find(const char* title, tag_t* feature) const {
  *feature = 0;
  return featureSet_ != 0 && operations_->FindFeatureInSetByAttrTitle(featureSet_, title, feature);
}

void FeatureSetMembers::Place(tag_t feature, tag_t reference, int mode) const {
  Stamvik::UnjournalledInterface<JAM::FeatureCollection_Interface>("Features.FeatureCollection")
      ->PlaceFeatures(workPartTag(), &feature, 1, reference, mode);
}

void FeatureSetMembers::Keep(bool found, tag_t feature, const char* title, tag_t reference, int mode,
                             bool placeWhenCreating) const {
  if (feature == 0 || found) return;
  if (made_ != nullptr) OM_insert_into_set(made_, feature);
  if (reference != 0 && mode != 0 && (featureSet_ != 0 || placeWhenCreating)) Place(feature, reference, mode);
  operations_->AddHideIntAttr(feature, title);
}

void FeatureSetMembers::Retire(bool found, tag_t feature) const {
  operations_->InsertFeatureIntoOMSetToDelete(found, &feature, toDelete_);
}

int FeatureSetMembers::SmoothWhenRough(tag_t* curve, const char* title, tag_t reference, int mode,
                                       const double direction[3], int status) const {
  tag_t smoothing = 0;
  const bool found = Find(title, &smoothing);
  if (*curve == 0 || !operations_->CheckCurveSmooth(*curve, direction)) {
    Retire(found, smoothing);
    return status;
  }
  status = operations_->FeatSmoothPunchProfile(*curve, curve, &smoothing);
  if (status == 0) {
    Keep(found, smoothing, title, reference, mode);
    finishFeature(smoothing);
  }
  return status;
}

}  // namespace KTX::Tooling
