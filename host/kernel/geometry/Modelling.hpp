// The module's side of the kernel's public modelling: what Solids.hpp and
// Wheel.hpp promise, done on the modeller (the kernel's public calls pass
// through to these; see kernel/Modeller.hpp).
#pragma once
#include <vector>

#include "kernel/Modeller.hpp"

namespace KTX::Kernel::Modelling {

int MakeExtrusion(const std::vector<std::vector<double>>& loops, const double direction[3], double start, double end,
                  bool sheet, int* body);
int OffsetLoop(const std::vector<double>& loop, double outward, std::vector<double>* result);
int OffsetSheet(int sheet, double distance, int* result);
int MakeBoxSheet(const double origin[3], const double matrix[9], const double low[3], const double high[3],
                 int* sheet);
int Combine(int target, int tool, bool subtract);
int ChamferEdges(int body, const std::vector<std::vector<double>>& edges, double first, double second,
                 double tolerance, int* chamfered);
int SmoothPoints(const std::vector<double>& points, bool closed, double tolerance, std::vector<double>* samples);
bool PlaneOfBody(int body, double point[3], double normal[3]);
// 1 one valid closed solid, 0 not, -1 the modeller's failure.
int CheckClosedSolid(int body);
std::vector<FaceShape> DescribeFaces(int body);
// False when the body's faces and edges could not be walked (a fault).
bool DescribeEdges(int body, std::vector<std::vector<double>>* edges, std::vector<std::vector<int>>* faceEdges);
int MakeWheelSweep(const std::vector<double>& section, const std::vector<WheelPlace>& places, double offset,
                   int* body, WheelFacets* facets);
void SetWheelUnionsForTests(const std::vector<WheelUnionForTests>& byTurn);
int CrackForTests(int body, WheelUnionForTests how, int* cracked);
int MinimumDistance(int first, int second, double* distance, double onFirst[3], double onSecond[3]);

}  // namespace KTX::Kernel::Modelling
