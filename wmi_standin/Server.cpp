// The stand-in as an in-process COM server: its class factory makes locators that serve the
// simulated network and this computer.
#include <windows.h>
// The other Windows headers build on windows.h.
#include <olectl.h>

#include <atomic>
#include <new>
#include <string>

#include "platform/ComLastChance.h"
#include "wmi_standin/Standin.h"

namespace {

using brisklow::ComLastChance;
using brisklow::wmi_standin::ModuleCallLog;

HMODULE g_module = nullptr;
// Factories handed out and LockServer calls: while any is left the DLL must stay loaded.
std::atomic<long> g_holds{0};

class LocatorFactory final : public IClassFactory {
  public:
    LocatorFactory() { ++g_holds; }
    LocatorFactory(const LocatorFactory&) = delete;
    LocatorFactory& operator=(const LocatorFactory&) = delete;
    ~LocatorFactory() { --g_holds; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return ComLastChance([&] {
            namespace standin = brisklow::wmi_standin;
            // The log is chosen per locator, so that a test can point each scan at its own file.
            ModuleCallLog()->UseFile(standin::PathFromEnvironment(standin::kLogVariable));
            auto fake = std::make_shared<brisklow::wmi_doubles::FakeWmi>(
                brisklow::wmi_doubles::Scenario{}, ModuleCallLog());
            fake->connector = standin::Connect;
            return brisklow::wmi_doubles::CreateLocatorDouble(fake, iid, object);
        });
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            ++g_holds;
        } else {
            --g_holds;
        }
        return S_OK;
    }

  private:
    std::atomic<ULONG> references_{1};
};

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID* object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (classId != brisklow::wmi_standin::kLocatorClassId) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new (std::nothrow) LocatorFactory();
    if (!factory) return E_OUTOFMEMORY;
    const HRESULT result = factory->QueryInterface(iid, object);
    factory->Release();
    return result;
}

STDAPI DllCanUnloadNow() {
    return ComLastChance(
        [] { return g_holds.load() == 0 && ModuleCallLog()->LiveObjects() == 0 ? S_OK : S_FALSE; });
}

STDAPI DllRegisterServer() {
    return ComLastChance([] {
        const std::wstring path = ModulePath();
        if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
        return brisklow::wmi_standin::RegisterLocator(path);
    });
}

STDAPI DllUnregisterServer() {
    return ComLastChance([] { return brisklow::wmi_standin::UnregisterLocator(); });
}
