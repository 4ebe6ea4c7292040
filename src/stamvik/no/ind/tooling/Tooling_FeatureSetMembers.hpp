// The rule every build step of the two tooling pipelines (draw punch, draw
// die) follows for the features of the tooling feature set it rebuilds: a
// role is found by its title when editing; a feature that was not found is
// new, goes into the set of made features, is placed before (mode 1) or after
// (mode 2) a reference feature when editing (or always, when asked) and gets
// its role title, so that the next edit finds it instead of making another;
// a role no longer needed is retired into the set the commit deletes.
#pragma once
#include <exception>

#include "Tooling_DieDesBuildSupport.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"

namespace KTX::Tooling {

class FeatureSetMembers {
 public:
  // `operations` makes and finds the features; `featureSet` is the set being
  // edited (0 while creating); `made` and `toDelete` live during the commit
  // only (either may be null outside it).
  FeatureSetMembers(DieDesDrawPunchBuilder* operations, tag_t featureSet, OM::Set* made, OM::Set* toDelete)
      : operations_(operations), featureSet_(featureSet), made_(made), toDelete_(toDelete) {}

  bool Editing() const { return featureSet_ != 0; }
  bool Find(const char* title, tag_t* feature) const;
  void Keep(bool found, tag_t feature, const char* title, tag_t reference = 0, int mode = 0,
            bool placeWhenCreating = false) const;
  void Place(tag_t feature, tag_t reference, int mode) const;
  // The feature goes at the end of the commit; a tag that was not found is left alone.
  void Retire(bool found, tag_t feature) const;
  // Smooths the curve when the trial extrusion finds it rough, keeping the
  // smoothing member placed by (reference, mode); otherwise retires it.
  // Returns the smoothing's status, or `status` when none ran.
  int SmoothWhenRough(tag_t* curve, const char* title, tag_t reference, int mode, const double direction[3],
                      int status) const;

 private:
  DieDesDrawPunchBuilder* operations_;
  tag_t featureSet_;
  OM::Set* made_;
  OM::Set* toDelete_;
};

// The base plane's direction, the extrusion and check direction of both tools;
// the plane query's failure (no plane, or an object that is none) is raised
// with its status at the source's line.
void PlaneDirection(const char* source, int line, tag_t plane, double direction[3]);

// A build step's end: its failure raises its message (number, text) at the
// source's line, which ends the build; its success shows its text.
void ReportStep(const char* source, int status, int line, int number, const char* failure, const char* success);

// Runs a build on the build layer. The user's work layer comes back on every
// path, a failed step's included, and the object `*moved` (0 for none) goes
// to it. A raised error is recorded at the handler's line and its message
// number becomes the result.
template <class Build>
int BuildOnLayer(const char* source, int handlerLine, const tag_t* moved, Build build) {
  JAM::LayerManager_Interface* layers = Support::layerManager();
  const tag_t work = Support::workPartTag();
  int savedLayer = 1;
  layers->AskWorkLayer(work, &savedLayer);
  layers->SetWorkLayer(work, Support::kBuildLayer);
  int status = 0;
  try {
    build();
  } catch (const std::exception& e) {
    status = Error::HandleAsBuilder(e, source, handlerLine);
  }
  layers->SetWorkLayer(work, savedLayer);
  layers->MoveToLayer(work, savedLayer, 1, moved);
  return status;
}

}  // namespace KTX::Tooling
