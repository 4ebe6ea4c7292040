// Operations of the draw punch whose work comes with pipeline steps not built
// yet: each makes nothing, hands back empty results and succeeds, so that the
// pipeline around them runs. An operation leaves this file when it is built.
#include "Tooling_DieDesDrawPunchBuilder.hpp"

namespace KTX::Tooling {

int DieDesDrawPunchBuilder::FeatTrimSolid(int, const tag_t*, tag_t, bool, tag_t*) { return 0; }
int DieDesDrawPunchBuilder::FeatSheetBoundBox(unsigned int, int, const tag_t*, const double*, tag_t*) { return 0; }
int DieDesDrawPunchBuilder::GetTrimToolEids(tag_t, std::vector<int>&) { return 0; }

}  // namespace KTX::Tooling
