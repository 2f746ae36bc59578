#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace tarn::platform {

// A library loaded into this process for as long as the object lives.
class SharedLibrary {
  public:
    // Null (and the loader's reason in `error`) when the file cannot be loaded.
    static std::unique_ptr<SharedLibrary> Open(const std::filesystem::path& path,
                                               std::string* error = nullptr);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The address of an exported symbol, or null.
    void* Symbol(const char* name) const;
    template <typename Function>
    Function Get(const char* name) const {
        return reinterpret_cast<Function>(Symbol(name));
    }

  private:
    explicit SharedLibrary(void* handle) : handle_(handle) {}
    void* handle_;
};

// The file of the loaded module (program or library) that holds `address`.
std::filesystem::path ModulePathOf(const void* address);

}  // namespace tarn::platform
