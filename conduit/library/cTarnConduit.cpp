#include "conduit/library/cTarnConduit.h"

#include "conduit/library/ConduitModule.h"
#include "conduit/sync/SyncDriver.h"
#include "platform/suite/ConduitManager.h"

namespace tarn::conduit {
namespace {

std::atomic<std::uint32_t> gLiveObjects{0};

}  // namespace

using platform::com::HRESULT;

cTarnConduit::cTarnConduit() {
    ++gLiveObjects;
}
cTarnConduit::~cTarnConduit() {
    --gLiveObjects;
}

std::uint32_t cTarnConduit::LiveObjects() {
    return gLiveObjects;
}

std::uint32_t cTarnConduit::AddRef() {
    return ++references_;
}

std::uint32_t cTarnConduit::Release() {
    std::uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
}

template <typename Call>
HRESULT cTarnConduit::Guarded(Call call) {
    try {
        call();
        error_.clear();
        return platform::com::kOk;
    } catch (...) {
        ErrorReport report = DescribeCurrentException();
        error_ = report.description + " (error " + std::to_string(report.number) + ")";
        return platform::com::kFail;
    }
}

HRESULT cTarnConduit::BeginProcess(bool* result) {
    if (!result) return platform::com::kPointer;
    // False in every case: what the user learns of a sync is in the HotSync log.
    *result = false;
    return Guarded([] { Synchronize(TheModuleState()); });
}

HRESULT cTarnConduit::CfgConduit(std::int32_t nCreatorId, std::int32_t, const std::string&,
                                 const std::string&, std::int32_t*, std::int32_t*, std::int32_t*,
                                 std::int32_t*) {
    return Guarded([nCreatorId] {
        ModuleState& state = TheModuleState();
        auto registration =
            state.Platform.ConduitManager().Lookup(static_cast<std::uint32_t>(nCreatorId));
        // Joined as registered: the registration keeps the folder's trailing separator.
        state.ConfigPath = registration.directory + registration.file;
        ShowConfigurationWindow(state);
    });
}

HRESULT cTarnConduit::ConfigureConduit(const std::string&, const std::string&, std::int32_t*,
                                       std::int32_t*) {
    return Guarded([] { ShowConfigurationWindow(TheModuleState()); });
}

HRESULT cTarnConduit::GetConduitInfo(std::int32_t infoType, std::int32_t, std::int32_t,
                                     const std::string&, platform::com::Variant* value) {
    if (!value) return platform::com::kPointer;
    *value = {};
    switch (infoType) {
        case 0:  // conduit name
            value->kind = platform::com::Variant::Kind::Text;
            value->text = "TarnConduit2";
            break;
        case 1:  // MFC version
            value->kind = platform::com::Variant::Kind::Int32;
            value->int32 = 0x10000000;
            break;
        case 2:  // default sync action: synchronise
            value->kind = platform::com::Variant::Kind::Int32;
            value->int32 = 0;
            break;
        case 3:  // conduit version
            value->kind = platform::com::Variant::Kind::Double;
            value->real = 1.0;
            break;
        default:
            break;
    }
    return platform::com::kOk;
}

}  // namespace tarn::conduit
