// The automotive-feature library's die-engineering records that builders
// hold by plain pointer; their layout is the library's own.
#pragma once

namespace KTX {

struct DIE_FRMTSK_s;

}  // namespace KTX
