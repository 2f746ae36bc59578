#pragma once

#include <cstdint>
#include <string>

// The contract between the sync host and a conduit library, shaped like the in-process COM
// server the HotSync manager loads: C entry points that hand out a class factory, reference
// counted objects, and results as status codes. Nothing crosses it as an exception; a failed
// call returns a failure status and leaves its reason in ErrorDescription().
namespace tarn::platform::com {

using HRESULT = std::int32_t;

inline constexpr HRESULT kOk = 0;
inline constexpr HRESULT kFalse = 1;
inline constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT kNoInterface = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT kPointer = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT kClassNotAvailable = static_cast<HRESULT>(0x80040111u);
inline constexpr HRESULT kRegisterClassFailed = static_cast<HRESULT>(0x80040201u);

inline bool Succeeded(HRESULT status) {
    return status >= 0;
}

// A dynamically typed answer: nothing, a text, a 32-bit number or a double.
struct Variant {
    enum class Kind { Empty, Text, Int32, Double };
    Kind kind = Kind::Empty;
    std::string text;
    std::int32_t int32 = 0;
    double real = 0;
};

class IUnknownLike {
  public:
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

  protected:
    virtual ~IUnknownLike() = default;
};

// What the HotSync manager calls on a conduit.
class IPDClientNotify : public IUnknownLike {
  public:
    virtual HRESULT BeginProcess(bool* result) = 0;
    virtual HRESULT CfgConduit(std::int32_t nCreatorId, std::int32_t nUserId,
                               const std::string& bstrUserName, const std::string& bstrPathName,
                               std::int32_t* nSyncPerm, std::int32_t* nSyncTemp,
                               std::int32_t* nSyncNew, std::int32_t* nSyncPref) = 0;
    virtual HRESULT ConfigureConduit(const std::string& pPathName, const std::string& pRegistry,
                                     std::int32_t* nSyncPref, std::int32_t* nSyncType) = 0;
    virtual HRESULT GetConduitInfo(std::int32_t infoType, std::int32_t dwCreatorId,
                                   std::int32_t dwUserId, const std::string& bstrUserName,
                                   Variant* value) = 0;
    // Why the last call on this object failed (the error information of a failed COM call).
    virtual std::string ErrorDescription() = 0;
};

class IClassFactory : public IUnknownLike {
  public:
    // Creates an object of the factory's class answering the named interface.
    virtual HRESULT CreateInstance(const char* interfaceName, void** object) = 0;
};

inline constexpr char kIPDClientNotifyName[] = "IPDClientNotify";

// The entry points a conduit library exports with C linkage.
using DllGetClassObjectFunction = HRESULT (*)(const char* progId, const char* interfaceName,
                                              void** object);
using DllRegisterServerFunction = HRESULT (*)();
using DllUnregisterServerFunction = HRESULT (*)();
using DllCanUnloadNowFunction = HRESULT (*)();

}  // namespace tarn::platform::com
