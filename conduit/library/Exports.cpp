// The entry points of the in-process server, with C linkage. Nothing here lets an exception out.
#include <cstring>

#include "conduit/library/cTarnConduit.h"
#include "platform/com/ClientNotify.h"
#include "platform/loading/SharedLibrary.h"
#include "platform/suite/DefaultSuite.h"

#ifdef _WIN32
// Exported by name through TarnConduit2.def.
#define TARN_EXPORT extern "C"
#else
#define TARN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

using tarn::conduit::cTarnConduit;
using tarn::conduit::kProgId;
namespace com = tarn::platform::com;

class ConduitFactory final : public com::IClassFactory {
  public:
    std::uint32_t AddRef() override { return 1; }
    std::uint32_t Release() override { return 1; }  // one static factory for the library's life

    com::HRESULT CreateInstance(const char* interfaceName, void** object) override {
        if (!object) return com::kPointer;
        *object = nullptr;
        if (!interfaceName || std::strcmp(interfaceName, com::kIPDClientNotifyName) != 0)
            return com::kNoInterface;
        try {
            *object = static_cast<com::IPDClientNotify*>(new cTarnConduit());
            return com::kOk;
        } catch (...) {
            return com::kFail;
        }
    }
};

ConduitFactory gFactory;

}  // namespace

TARN_EXPORT com::HRESULT DllGetClassObject(const char* progId, const char* interfaceName,
                                           void** object) {
    if (!object) return com::kPointer;
    *object = nullptr;
    if (!progId || std::strcmp(progId, kProgId) != 0) return com::kClassNotAvailable;
    if (!interfaceName || std::strcmp(interfaceName, "IClassFactory") != 0)
        return com::kNoInterface;
    *object = static_cast<com::IClassFactory*>(&gFactory);
    return com::kOk;
}

TARN_EXPORT com::HRESULT DllCanUnloadNow() {
    return cTarnConduit::LiveObjects() == 0 ? com::kOk : com::kFalse;
}

TARN_EXPORT com::HRESULT DllRegisterServer() {
    try {
        auto self = tarn::platform::ModulePathOf(reinterpret_cast<const void*>(&DllRegisterServer));
        if (self.empty()) return com::kRegisterClassFailed;
        tarn::platform::DefaultComServers()->RegisterServer(kProgId, self);
        return com::kOk;
    } catch (...) {
        return com::kRegisterClassFailed;
    }
}

TARN_EXPORT com::HRESULT DllUnregisterServer() {
    try {
        tarn::platform::DefaultComServers()->UnregisterServer(kProgId);
        return com::kOk;
    } catch (...) {
        return com::kRegisterClassFailed;
    }
}
