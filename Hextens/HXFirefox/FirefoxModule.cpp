#include "FirefoxModule.h"

#include <cstring>

#include "hosts/HostWindowClasses.h"
#include "log/Logger.h"

const wchar_t kModuleName[] = L"HXFirefox";

namespace {
// CLSID of FirefoxEnhancer {B5BDB5FF-5288-4423-A77D-6418C864F6F6}.
const GUID kFirefoxEnhancerClsid = {0xb5bdb5ff, 0x5288, 0x4423, {0xa7, 0x7d, 0x64, 0x18, 0xc8, 0x64, 0xf6, 0xf6}};
}  // namespace

FirefoxModule& Module() {
    static FirefoxModule module;
    return module;
}

UtilityLib& Utility() {
    static UtilityLib utility;
    return utility;
}

bool IsFirefoxWindow(HWND window) {
    if (!window) return false;
    wchar_t name[260] = L"";
    if (!::GetClassNameW(window, name, 260)) return false;
    return std::wcscmp(name, host_class::kFirefoxFrame) == 0;
}

bool FirefoxInForeground() {
    HWND foreground = ::GetForegroundWindow();
    return foreground && IsFirefoxWindow(::GetAncestor(foreground, GA_ROOTOWNER));
}

namespace {

void DropLogger() {
    Utility().SetLogger(nullptr);  // HXLib lets go first
    delete g_pLogger;
    g_pLogger = nullptr;
}

}  // namespace

void InitEnhancer() {
    FirefoxModule& m = Module();
    // What an earlier Init left open is closed before anything new is made.
    DropLogger();
    m.enhancerAlive.reset();
    m.extensionAlive.reset();
    m.hotSpotLock.reset();
    m.selectionLock.reset();

    g_pLogger = Logger::Open();
    if (g_pLogger) g_pLogger->LogVersion(kModuleName);
    Utility().SetLogger(g_pLogger);

    tagCONFIG config{};
    ::StringFromGUID2(kFirefoxEnhancerClsid, config.id, 49);
    wcsncpy(config.name, kModuleName, 49);
    config.flag = false;
    Utility().SetConfiguration(&config);
    m.config = Utility().GetConfiguration();

    m.domain[0] = m.title[0] = 0;
    m.selectionCopy->text[0] = 0;
    m.hotSpotCopy->texts[0] = m.hotSpotCopy->hrefs[0] = m.hotSpotCopy->ids[0] = 0;
    std::memset(m.selectionCopy->rectCounts, 0, sizeof m.selectionCopy->rectCounts);
    std::memset(m.selectionCopy->rects, 0, sizeof m.selectionCopy->rects);
    std::memset(m.hotSpotCopy->rects, 0, sizeof m.hotSpotCopy->rects);
    m.selectionCopy->rectTotal = 0;

    // One channel per process, laid out afresh at every Init.
    if (m.channel) m.channel->Reinitialise();
    else m.channel = ffchannel::CreateFirefoxChannel();
    m.channelInUse = m.channel != nullptr;
    if (m.channel) m.channel->MarkInitialised();
    else LogMessage(L"(%s) The channel to the extension could not be created", kModuleName);

    m.enhancerAlive.reset(::CreateEventW(nullptr, TRUE, FALSE, ffchannel::kEnhancerAliveName));
    m.extensionAlive.reset(::CreateEventW(nullptr, TRUE, FALSE, ffchannel::kExtensionAliveName));
    if (m.enhancerAlive) ::SetEvent(m.enhancerAlive.get());

    m.hotSpotLock.reset(::CreateMutexW(nullptr, FALSE, nullptr));
    m.selectionLock.reset(::CreateMutexW(nullptr, FALSE, nullptr));
}

void ReleaseEnhancer() {
    FirefoxModule& m = Module();
    m.extensionAlive.reset();
    if (m.enhancerAlive) ::ResetEvent(m.enhancerAlive.get());
    m.enhancerAlive.reset();
    if (m.channelInUse) {
        m.channel->MarkAbsent();
        m.channelInUse = false;
    }
    m.hotSpotLock.reset();
    m.selectionLock.reset();
    if (g_pLogger) {
        LogMessage(L"(%s) Unloading", kModuleName);
        DropLogger();
    }
}

void ReleaseAtProcessExit() {
    FirefoxModule& m = Module();
    if (m.enhancerAlive) ::ResetEvent(m.enhancerAlive.get());
    m.enhancerAlive.reset();
    m.extensionAlive.reset();
    if (m.channelInUse) {
        m.channel->MarkAbsentWithoutWaiting();
        m.channelInUse = false;
    }
    m.hotSpotLock.reset();
    m.selectionLock.reset();
}
