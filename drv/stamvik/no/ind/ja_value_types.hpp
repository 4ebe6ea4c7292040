// The value types that many published classes share, named as their Parts'
// member tables name them.
#pragma once
#include "ja_engine.hpp"
#include "sel/Selection.hpp"

namespace KTX::JA::Types {

using Logical = ::KTX::JA::Logical;
using Integer = ::KTX::JA::Integer;
using Double = ::KTX::JA::Double;
using String = ::KTX::JA::String;
using Text = ::KTX::JA::Text;
using DoubleArray = ::KTX::JA::DoubleArray;

using Expression = Object<::KTX::EXP_expression, "Expression">;
using Section = Object<::KTX::SC_section, "Section">;
using ScCollector = Object<::KTX::SC_collector, "ScCollector">;

using SelectBrenvikObject = TemplateObject<::KTX::SELECT_OBJECT, "SelectBrenvikObject", "SelectObject", "BrenvikObject">;
using SelectBrenvikObjectList =
    TemplateObject<::KTX::SELECT_OBJECT_list, "SelectBrenvikObjectList", "SelectObjectList", "BrenvikObject">;
using SelectBody = TemplateObject<::KTX::SELECT_OBJECT, "SelectBody", "SelectObject", "Body">;
using SelectBodyList = TemplateObject<::KTX::SELECT_OBJECT_list, "SelectBodyList", "SelectObjectList", "Body">;
using SelectCartesianCoordinateSystem =
    TemplateObject<::KTX::SELECT_OBJECT, "SelectCartesianCoordinateSystem", "SelectObject", "CartesianCoordinateSystem">;

// The host's point and orientation structures.
inline constexpr const char* kPoint3dComponents[] = {"X", "Y", "Z"};
inline constexpr const char* kMatrix3x3Components[] = {"Xx", "Xy", "Xz", "Yx", "Yy", "Yz", "Zx", "Zy", "Zz"};
using Point3d = Struct<JAM_point3d_s, "Point3d", kPoint3dComponents>;
using Matrix3x3 = Struct<JAM_matrix3x3_s, "Matrix3x3", kMatrix3x3Components>;

}  // namespace KTX::JA::Types
