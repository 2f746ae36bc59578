#pragma once

#include <atomic>
#include <string>

#include "platform/com/ClientNotify.h"

namespace tarn::conduit {

inline constexpr char kProgId[] = "TarnConduit2.cTarnConduit";

// The class the HotSync manager creates for every conduit built with the builder. It holds
// nothing: what tells one conduit from another is the description file its registration names.
class cTarnConduit final : public platform::com::IPDClientNotify {
  public:
    cTarnConduit();

    std::uint32_t AddRef() override;
    std::uint32_t Release() override;

    platform::com::HRESULT BeginProcess(bool* result) override;
    platform::com::HRESULT CfgConduit(std::int32_t nCreatorId, std::int32_t nUserId,
                                      const std::string& bstrUserName,
                                      const std::string& bstrPathName, std::int32_t* nSyncPerm,
                                      std::int32_t* nSyncTemp, std::int32_t* nSyncNew,
                                      std::int32_t* nSyncPref) override;
    platform::com::HRESULT ConfigureConduit(const std::string& pPathName,
                                            const std::string& pRegistry, std::int32_t* nSyncPref,
                                            std::int32_t* nSyncType) override;
    platform::com::HRESULT GetConduitInfo(std::int32_t infoType, std::int32_t dwCreatorId,
                                          std::int32_t dwUserId, const std::string& bstrUserName,
                                          platform::com::Variant* value) override;
    std::string ErrorDescription() override { return error_; }

    // Objects alive in this process, for DllCanUnloadNow.
    static std::uint32_t LiveObjects();

  private:
    ~cTarnConduit() override;
    // Runs `call`, turning any error into a failure status with its description.
    template <typename Call>
    platform::com::HRESULT Guarded(Call call);

    std::atomic<std::uint32_t> references_{1};
    std::string error_;
};

}  // namespace tarn::conduit
