// Callers reach a scripting interface's operation by its place in the
// declaration (the interface id is operation 0), so every interface declares
// its operations at their places. The places nobody calls are held by
// operations that answer kNotProvided. A declaring header includes this one
// and #undefs the two macros at its end, so this header has no include guard
// of its own: each includer gets the macros afresh.
#ifndef KTX_JAM_NOT_PROVIDED_DEFINED
#define KTX_JAM_NOT_PROVIDED_DEFINED
namespace KTX::JAM {
inline constexpr int kNotProvided = 841001;  // an operation the stand-in does not provide
}
#endif

#define KTX_HOLD_PLACE(n) \
  virtual int Operation##n() { return kNotProvided; }
#define KTX_HOLD_TEN(tens)                                                                                  \
  KTX_HOLD_PLACE(tens##0) KTX_HOLD_PLACE(tens##1) KTX_HOLD_PLACE(tens##2) KTX_HOLD_PLACE(tens##3)           \
  KTX_HOLD_PLACE(tens##4) KTX_HOLD_PLACE(tens##5) KTX_HOLD_PLACE(tens##6) KTX_HOLD_PLACE(tens##7)           \
  KTX_HOLD_PLACE(tens##8) KTX_HOLD_PLACE(tens##9)
