#include "hotsync/ConduitLoader.h"

#include <cstdio>

#include "platform/suite/DefaultSuite.h"

namespace tarn::hotsync {

namespace com = platform::com;

namespace {

std::string StatusText(com::HRESULT status) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(status));
    return text;
}

}  // namespace

std::unique_ptr<LoadedConduit> LoadConduit(const std::string& comClass, std::string& error) {
    std::optional<std::filesystem::path> path;
    try {
        path = platform::DefaultComServers()->Resolve(comClass);
    } catch (const std::exception& e) {
        error = "the class registrations cannot be read: " + std::string(e.what());
        return nullptr;
    }
    if (!path) {
        error = "the class " + comClass + " is not registered (run: hotsync regsvr LIBRARY)";
        return nullptr;
    }
    std::string loadError;
    auto library = platform::SharedLibrary::Open(*path, &loadError);
    if (!library) {
        error = "cannot load " + path->string() + ": " + loadError;
        return nullptr;
    }
    auto getClassObject = library->Get<com::DllGetClassObjectFunction>("DllGetClassObject");
    if (!getClassObject) {
        error = path->string() + " is not a conduit library (no DllGetClassObject)";
        return nullptr;
    }
    void* factoryPointer = nullptr;
    com::HRESULT status = getClassObject(comClass.c_str(), "IClassFactory", &factoryPointer);
    if (!com::Succeeded(status) || !factoryPointer) {
        error = path->string() + " does not serve the class " + comClass + " (" +
                StatusText(status) + ")";
        return nullptr;
    }
    auto* factory = static_cast<com::IClassFactory*>(factoryPointer);
    void* objectPointer = nullptr;
    status = factory->CreateInstance(com::kIPDClientNotifyName, &objectPointer);
    factory->Release();
    if (!com::Succeeded(status) || !objectPointer) {
        error = "cannot create " + comClass + " (" + StatusText(status) + ")";
        return nullptr;
    }
    return std::make_unique<LoadedConduit>(std::move(library),
                                           static_cast<com::IPDClientNotify*>(objectPointer));
}

}  // namespace tarn::hotsync
