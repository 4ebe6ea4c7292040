// What the vehicle-design library offers the occupant manikin besides its
// knowledge rules: the vehicle-design defaults file, the general default
// values of a seating package, unit conversion of fixed millimetre values,
// the size-file error report, the host's error dialog and the point
// parameter objects a manikin's design points are selected with.
#pragma once
#include <string>
#include <vector>

#include "Export.hpp"

namespace KTX {

// Reads a value of the vehicle-design defaults file by name (the stand-in
// keeps the file as a table that tests set; `file` null means the site's
// file). Type 0 asks a text: it is copied into `value` (a char buffer), cut to
// `capacity` - 1 characters. Type 1 asks an integer (`value` an int), type 2 a
// double (`value` a double); the capacity is not read for them. 0 when found;
// 1 when not found (an empty text; a number is left as it was); 2 when the
// setting is not a whole number of the kind asked (left as it was).
KTX_HOST_API int VD_DEFFILE_read_value(const char* file, const char* name, int type, void* value, int capacity);

// The general defaults of a seating package, in the work part's unit
// (lengths) and degrees.
struct VD_general_default_value_t {
  double aHPToSWCLength;
  double aHPToSWCHeight;
  double wheelDiameter;
  double wheelAngle;
};
KTX_HOST_API void VD_read_general_default_value(VD_general_default_value_t* values);

// A length given in millimetres, in the work part's unit (divided by 25.4 in
// a part of unit code 1).
KTX_HOST_API double vd_convert_unit(double millimetres);
// The unit vector of a 2-vector: 0, or 1 when its length is below the
// tolerance (then `unit` is (0, 0)). `length` may be null.
KTX_HOST_API int VEC2_unitize(const double vector[2], double tolerance, double* length, double unit[2]);

// Recorded only: a size-file error report (what failed and its code).
KTX_HOST_API void VD__output_default_error(const char* text, int code);
// Recorded only: the host's error dialog with its title and lines.
KTX_HOST_API void mtErrorDialog(const char* title, int lineCount, const char* const* lines);
// Recorded only: deletes a point parameter object.
KTX_HOST_API void PRIMITIVE_delete_so_point_parms(unsigned int point);

namespace VD {
KTX_HOST_API void SetDefaultsFileValue(const std::string& name, const std::string& text);
KTX_HOST_API void ClearDefaultsFile();
// Millimetres and degrees; converted to the work part's unit when read.
KTX_HOST_API void SetGeneralDefaults(const VD_general_default_value_t& millimetres);
KTX_HOST_API void ResetGeneralDefaults();

struct ErrorDialog {
  std::string title;
  std::vector<std::string> lines;
};
KTX_HOST_API const std::vector<ErrorDialog>& ErrorDialogs();
KTX_HOST_API void ClearErrorDialogs();
}  // namespace VD

}  // namespace KTX
