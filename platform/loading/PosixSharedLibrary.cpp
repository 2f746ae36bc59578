#include "platform/loading/SharedLibrary.h"

#include <dlfcn.h>

namespace tarn::platform {

std::unique_ptr<SharedLibrary> SharedLibrary::Open(const std::filesystem::path& path,
                                                   std::string* error) {
    // Local symbols: two conduit libraries loaded side by side must not resolve into each other.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (error) {
            const char* reason = dlerror();
            *error = reason ? reason : "cannot load " + path.string();
        }
        return nullptr;
    }
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle));
}

SharedLibrary::~SharedLibrary() {
    dlclose(handle_);
}

void* SharedLibrary::Symbol(const char* name) const {
    return dlsym(handle_, name);
}

std::filesystem::path ModulePathOf(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || !info.dli_fname) return {};
    std::error_code ignored;
    auto path = std::filesystem::canonical(info.dli_fname, ignored);
    return path.empty() ? std::filesystem::path(info.dli_fname) : path;
}

}  // namespace tarn::platform
