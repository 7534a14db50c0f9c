// The host's unique identity, kept in the shared store. The agent stand-in
// generates a requested identity when it starts (productsim/store/identity.h).
#include <cstring>

#include "handles.h"
#include "store_file.h"
#include "tvpmapi.h"

using tvpmapi::Guarded;
using namespace tvsim;

extern "C" {

INT32 TVPMAPI_CALL QmUIDGetMethod(INT32* method) {
  return Guarded([&] {
    if (!method) return kErrInvalidArgument;
    StoreImage image;
    int32_t r = LoadStore(&image);
    if (r == kOk) *method = image.identity.method;
    return r;
  });
}

INT32 TVPMAPI_CALL QmUIDSetMethod(INT32 method) {
  return Guarded([&] {
    return UpdateStore([&](StoreImage& image) {
      image.identity.method = method;
      return kOk;
    });
  });
}

INT32 TVPMAPI_CALL QmpCreateUID(INT32 operation) {
  return Guarded([&] {
    if (operation != 1) return kErrInvalidArgument;
    return UpdateStore([&](StoreImage& image) {
      image.identity.operation = 1;
      return kOk;
    });
  });
}

INT32 TVPMAPI_CALL QmpGetUIDOperation(INT32* operation) {
  return Guarded([&] {
    if (!operation) return kErrInvalidArgument;
    StoreImage image;
    int32_t r = LoadStore(&image);
    if (r == kOk) *operation = image.identity.operation;
    return r;
  });
}

// *size: in, the buffer's size in bytes; out, the identity's length without
// the NUL (or, when the buffer is too small, the bytes needed).
INT32 TVPMAPI_CALL QmpGetUIDA(INT32 index, char* buffer, INT32* size) {
  return Guarded([&] {
    if (index != 0 || !buffer || !size || *size <= 0) return kErrInvalidArgument;
    StoreImage image;
    int32_t r = LoadStore(&image);
    if (r != kOk) return r;
    const std::string& value = image.identity.value;
    if (value.empty()) return kErrNoIdentity;
    if (value.size() + 1 > static_cast<size_t>(*size)) {
      *size = static_cast<INT32>(value.size() + 1);
      return kErrBufferTooSmall;
    }
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    *size = static_cast<INT32>(value.size());
    return kOk;
  });
}

}  // extern "C"
