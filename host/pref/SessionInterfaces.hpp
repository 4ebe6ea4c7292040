// Two of the host's scripting interfaces with state of their own, fetched by
// class name through KTX::JAM::ClassInitializer: "Preferences.SessionModeling"
// (session-wide logical modelling settings) and "Layer.LayerManager" (a
// part's work layer and the layers of its objects). The journalled and
// unjournalled forms behave alike; each call that changes something is
// written to the host's call log.
#pragma once
#include "jam/InterfacePlaces.hpp"
#include "jam/Jam.hpp"
#include "om/ObjectManager.hpp"

namespace KTX::JAM {

inline constexpr int kBadLayer = 841002;  // a layer outside 1 to 256

// Six logical settings, each read by its getter and written by the setter
// after it (operations 79 to 90). All start true; they last for the session.
class KTX_HOST_API SessionModeling_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  KTX_HOLD_PLACE(1) KTX_HOLD_PLACE(2) KTX_HOLD_PLACE(3) KTX_HOLD_PLACE(4) KTX_HOLD_PLACE(5)
  KTX_HOLD_PLACE(6) KTX_HOLD_PLACE(7) KTX_HOLD_PLACE(8) KTX_HOLD_PLACE(9)
  KTX_HOLD_TEN(1) KTX_HOLD_TEN(2) KTX_HOLD_TEN(3) KTX_HOLD_TEN(4) KTX_HOLD_TEN(5) KTX_HOLD_TEN(6)
  KTX_HOLD_PLACE(70) KTX_HOLD_PLACE(71) KTX_HOLD_PLACE(72) KTX_HOLD_PLACE(73) KTX_HOLD_PLACE(74)
  KTX_HOLD_PLACE(75) KTX_HOLD_PLACE(76) KTX_HOLD_PLACE(77) KTX_HOLD_PLACE(78)
  virtual int GetLogical79(bool* value) = 0;  // 79
  virtual int SetLogical80(bool value) = 0;   // 80: the setting read by 79
  virtual int GetLogical81(bool* value) = 0;
  virtual int SetLogical82(bool value) = 0;
  virtual int GetLogical83(bool* value) = 0;
  virtual int SetLogical84(bool value) = 0;
  virtual int GetLogical85(bool* value) = 0;
  virtual int SetLogical86(bool value) = 0;
  virtual int GetLogical87(bool* value) = 0;
  virtual int SetLogical88(bool value) = 0;
  virtual int GetLogical89(bool* value) = 0;
  virtual int SetLogical90(bool value) = 0;

 protected:
  SessionModeling_Interface() = default;
  ~SessionModeling_Interface() = default;
};

// A part's work layer (1 until set) and the layer each object was moved to.
// A part tag of 0 is the work part; another object than a part gives the
// bad-object error, a layer outside 1 to 256 kBadLayer, and neither changes
// anything.
class KTX_HOST_API LayerManager_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  virtual int SetWorkLayer(tag_t part, int layer) = 0;     // 1
  virtual int AskWorkLayer(tag_t part, int* layer) = 0;    // 2
  KTX_HOLD_PLACE(3) KTX_HOLD_PLACE(4) KTX_HOLD_PLACE(5) KTX_HOLD_PLACE(6) KTX_HOLD_PLACE(7)
  KTX_HOLD_PLACE(8) KTX_HOLD_PLACE(9) KTX_HOLD_PLACE(10)
  // 11: moves the count objects to the layer (0 entries are passed over); an
  // object that is not alive gives the bad-object error and nothing moves.
  virtual int MoveToLayer(tag_t part, int layer, int count, const tag_t* objects) = 0;

 protected:
  LayerManager_Interface() = default;
  ~LayerManager_Interface() = default;
};

}  // namespace KTX::JAM

#undef KTX_HOLD_TEN
#undef KTX_HOLD_PLACE

namespace KTX::Host {
// The layer an object was moved to through "Layer.LayerManager"; 0 when none.
KTX_HOST_API int ObjectLayer(tag_t object);
// Puts the six session settings back to true and forgets work layers and
// object layers (for tests).
KTX_HOST_API void ResetSessionInterfaces();
}  // namespace KTX::Host
