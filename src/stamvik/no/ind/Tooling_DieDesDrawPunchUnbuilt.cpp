// Operations of the draw punch whose work comes with pipeline steps not built
// yet: each makes nothing, hands back empty results and succeeds, so that the
// pipeline around them runs. An operation leaves this file when it is built.
#include "Tooling_DieDesDrawPunchBuilder.hpp"

namespace KTX::Tooling {

double DieDesDrawPunchBuilder::AskMaximumDist(tag_t, tag_t) { return 0.0; }
double DieDesDrawPunchBuilder::AskMinimumDist(tag_t, tag_t) { return 0.0; }
bool DieDesDrawPunchBuilder::Is2DCurve(tag_t) { return false; }
int DieDesDrawPunchBuilder::FeatSmoothPunchProfile(tag_t, tag_t*, tag_t*) { return 0; }
int DieDesDrawPunchBuilder::ConvertCurvesToSCsection(int, const tag_t*, int, const tag_t*, SC_section**) { return 0; }
int DieDesDrawPunchBuilder::ConvertVectorCurvesToSCsection(const std::vector<tag_t>&, const std::vector<tag_t>&,
                                                           SC_section**) {
  return 0;
}
int DieDesDrawPunchBuilder::FeatRoughOffset(tag_t, tag_t, double, double, double, tag_t*) { return 0; }
int DieDesDrawPunchBuilder::FeatExtrude(tag_t, int, const tag_t*, int, const double[3], const char*, const char*,
                                        bool, const char*, const char*, bool, const char*, bool, int, tag_t, bool,
                                        tag_t, bool, tag_t, tag_t*) {
  return 0;
}
int DieDesDrawPunchBuilder::FeatTrimSolid(int, const tag_t*, tag_t, bool, tag_t*) { return 0; }
int DieDesDrawPunchBuilder::ClassifyCurvesEdges(const tag_t*, int, std::vector<tag_t>&, std::vector<tag_t>&) {
  return 0;
}
int DieDesDrawPunchBuilder::FeatProjectCurve(const tag_t*, int, tag_t, tag_t*, tag_t*) { return 0; }
int DieDesDrawPunchBuilder::FeatOffsetCurve(tag_t, double, tag_t*, tag_t*) { return 0; }
int DieDesDrawPunchBuilder::FeatJoinCurve(const std::vector<tag_t>&, const std::vector<tag_t>&, tag_t*, tag_t*) {
  return 0;
}
tag_t DieDesDrawPunchBuilder::GetFeatFirstBody(tag_t) { return 0; }
bool DieDesDrawPunchBuilder::GetSheetTrimDirection(tag_t) { return true; }
int DieDesDrawPunchBuilder::FeatSheetBoundBox(unsigned int, int, const tag_t*, const double*, tag_t*) { return 0; }
void DieDesDrawPunchBuilder::AskFaceReference(int, const tag_t*, FACE_REFERENCE***, tag_t**) {}
bool DieDesDrawPunchBuilder::FindFeatureInSetByAttrTitle(tag_t, const UString&, tag_t* feature) {
  if (feature != nullptr) *feature = 0;
  return false;
}
int DieDesDrawPunchBuilder::RemoveAllRules(SC_section*) { return 0; }
int DieDesDrawPunchBuilder::AskSCEntities(tag_t, int* count, tag_t** tags) {
  if (count != nullptr) *count = 0;
  if (tags != nullptr) *tags = nullptr;
  return -1;
}
void DieDesDrawPunchBuilder::GetAllTypedBodies(tag_t, int, int*, tag_t**) {}
int DieDesDrawPunchBuilder::ProcessInputCurves(SELECT_OBJECT_list*, tag_t, const UString&, OM::Set*, const UString&,
                                               OM::Set*, tag_t* curveOut) {
  if (curveOut != nullptr) *curveOut = 0;
  return 0;
}
bool DieDesDrawPunchBuilder::CheckCurveSmooth(tag_t, const double[3]) { return false; }
bool DieDesDrawPunchBuilder::GetSheetTrimDirectionWithVector(tag_t, const Math::Vector3&) { return true; }
int DieDesDrawPunchBuilder::DeleteFeaturesInOMSet(OM::Set*) { return 0; }
int DieDesDrawPunchBuilder::InsertFeatureIntoOMSetToDelete(bool, tag_t*, OM::Set*) { return 0; }
int DieDesDrawPunchBuilder::AddPMILabelToOneTopFace(tag_t, const char*) { return 0; }
int DieDesDrawPunchBuilder::FeatChamfer(int, const tag_t*, int, double, double, double, int, bool, bool, tag_t*) {
  return 0;
}
tag_t DieDesDrawPunchBuilder::CreateDumbEdgeCollector(int, const tag_t*) { return 0; }
int DieDesDrawPunchBuilder::GetTrimToolEids(tag_t, std::vector<int>&) { return 0; }
int DieDesDrawPunchBuilder::ClassifyMachiningFaces(tag_t) { return 0; }
int DieDesDrawPunchBuilder::GetBeltChamferEdges(tag_t, tag_t, std::vector<tag_t>*) { return 0; }
double DieDesDrawPunchBuilder::GetBaseThicknessFromStressFeature(tag_t) { return 0.0; }
int DieDesDrawPunchBuilder::GetCurveOriginalSelection(tag_t, SELECT_OBJECT_list*, const UString&) { return 0; }
int DieDesDrawPunchBuilder::ConvertFrecToCurvePlane(tag_t) { return 0; }
int DieDesDrawPunchBuilder::ConvertFrecToReliefDist(tag_t) { return 0; }
int DieDesDrawPunchBuilder::ConvertFrecToWallThickness(tag_t) { return 0; }
int DieDesDrawPunchBuilder::ConvertFrecToBaseThicknessWidth(tag_t) { return 0; }

}  // namespace KTX::Tooling
