// tarn-typelib-check FILE: loads a type library as Windows programs do (LoadTypeLibEx, without
// registering it) and prints its version and the conduit class with its interface, one per
// line. Exit 0 when all of them are there, 1 otherwise. Used by the wine tests.
#include <windows.h>
// After windows.h, which leaves the OLE declarations out of lean builds.
#include <ole2.h>

#include <cstdio>

namespace {

// {6F1C2A40-7B3E-4D8A-9C51-2E7D4B9A0C12}, the class "TarnConduit2.cTarnConduit".
constexpr GUID kConduitClass = {
    0x6F1C2A40, 0x7B3E, 0x4D8A, {0x9C, 0x51, 0x2E, 0x7D, 0x4B, 0x9A, 0x0C, 0x12}};

void PrintName(ITypeInfo* info, const char* what) {
    BSTR name = nullptr;
    if (SUCCEEDED(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr))) {
        std::printf("%s %ls\n", what, name);
        SysFreeString(name);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarn-typelib-check FILE\n");
        return 2;
    }
    ITypeLib* library = nullptr;
    HRESULT status = LoadTypeLibEx(argv[1], REGKIND_NONE, &library);
    if (FAILED(status)) {
        std::fprintf(stderr, "cannot load the type library: 0x%08lX\n", status);
        return 1;
    }
    int exitCode = 1;
    TLIBATTR* attributes = nullptr;
    if (SUCCEEDED(library->GetLibAttr(&attributes))) {
        std::printf("version %u.%u\n", attributes->wMajorVerNum, attributes->wMinorVerNum);
        library->ReleaseTLibAttr(attributes);
    }
    ITypeInfo* conduit = nullptr;
    if (SUCCEEDED(library->GetTypeInfoOfGuid(kConduitClass, &conduit))) {
        PrintName(conduit, "class");
        HREFTYPE reference = 0;
        ITypeInfo* notify = nullptr;
        if (SUCCEEDED(conduit->GetRefTypeOfImplType(0, &reference)) &&
            SUCCEEDED(conduit->GetRefTypeInfo(reference, &notify))) {
            PrintName(notify, "interface");
            notify->Release();
            exitCode = 0;
        }
        conduit->Release();
    }
    library->Release();
    return exitCode;
}
