#pragma once

#include <memory>
#include <string>

#include "platform/com/ClientNotify.h"
#include "platform/loading/SharedLibrary.h"

namespace tarn::hotsync {

// A conduit object of a loaded library, released (and the library unloaded) on destruction.
class LoadedConduit {
  public:
    LoadedConduit(std::unique_ptr<platform::SharedLibrary> library,
                  platform::com::IPDClientNotify* object)
        : library_(std::move(library)), object_(object) {}
    ~LoadedConduit() {
        if (object_) object_->Release();
    }
    LoadedConduit(const LoadedConduit&) = delete;
    LoadedConduit& operator=(const LoadedConduit&) = delete;

    platform::com::IPDClientNotify& operator*() const { return *object_; }
    platform::com::IPDClientNotify* operator->() const { return object_; }

  private:
    std::unique_ptr<platform::SharedLibrary> library_;  // outlives the object: declared first
    platform::com::IPDClientNotify* object_;
};

// Resolves a COM class to its registered library, loads it and creates an object, as the
// HotSync manager does. Null with the reason in `error` when any step fails.
std::unique_ptr<LoadedConduit> LoadConduit(const std::string& comClass, std::string& error);

}  // namespace tarn::hotsync
