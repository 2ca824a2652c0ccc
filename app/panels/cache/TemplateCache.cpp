#include "app/panels/cache/TemplateCache.h"

#include <cwctype>
#include <utility>

#include "app/core/common/SharedUtilities.h"
#include "app/core/config/RegistryValues.h"
#include "app/core/net/HttpRoutines.h"
#include "fx/Handle.h"
#include "fx/UiThread.h"
#include "log/PondrelLog.h"

namespace panels {
namespace {

// Holds the named mutex of one skin from construction (bounded wait) to
// destruction.  Sent messages are dispatched while waiting, so a thread that
// sends to a panel window is never stuck behind a download.
class SkinLock {
public:
    SkinLock(const std::wstring& name, DWORD waitMs) {
        mutex_.reset(::CreateMutexW(nullptr, FALSE, name.c_str()));
        if (!mutex_) {
            LogWithPrefix(L"Template cache: no mutex %s", name.c_str());
            return;
        }
        const DWORD r = fx::WaitDispatchingSent(mutex_.get(), waitMs);
        if (r == WAIT_ABANDONED) LogWithPrefix(L"Template cache: a panel ended holding %s", name.c_str());
        held_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    }
    ~SkinLock() {
        if (held_) ::ReleaseMutex(mutex_.get());
    }
    SkinLock(const SkinLock&) = delete;
    SkinLock& operator=(const SkinLock&) = delete;

    bool Held() const { return held_; }

private:
    fx::UniqueHandle mutex_;
    bool held_ = false;
};

// What a load has left now (INFINITE without a bound).
DWORD Left(const TimeLeftFn& timeLeft) { return timeLeft ? timeLeft() : INFINITE; }

// Downloads url into path within what the load has left: false, logged, when
// nothing is left.
bool DownloadWithin(const TimeLeftFn& timeLeft, const std::wstring& url, const std::wstring& path) {
    const DWORD left = Left(timeLeft);
    if (left == 0) {
        LogWithPrefix(L"Template download skipped, the panel's time for it is up: %s", url.c_str());
        return false;
    }
    GetFileOptions options;
    if (left != INFINITE) options.ioTimeoutMs = left;
    return HttpGetToFile(url, path, options);
}

// Downloads url into the temporary file and loads it: null when the download
// failed (not 2xx, incomplete, no answer, no time left), a reader that did
// not load when the body is not XML.
std::unique_ptr<XmlConfig> DownloadTemplate(const std::wstring& url, const TempFile& temp, const TimeLeftFn& timeLeft) {
    if (temp.path().empty()) {
        LogWithPrefix(L"Template download: no temporary file for %s", url.c_str());
        return nullptr;
    }
    if (!DownloadWithin(timeLeft, url, temp.path())) {
        LogWithPrefix(L"Template download failed: %s", url.c_str());
        return nullptr;
    }
    auto config = std::make_unique<XmlConfig>(temp.path().c_str());
    if (config->IsLoaded())
        config->SetSource(url.c_str());
    else
        LogWithPrefix(L"Template download is not XML: %s", url.c_str());
    return config;
}

// A new temporary file in the system's temporary folder; empty when none.
std::wstring NewSystemTempFile(const wchar_t* prefix) {
    wchar_t dir[MAX_PATH];
    const DWORD n = ::GetTempPathW(MAX_PATH, dir);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    return NewTempFileIn(dir, prefix);
}

// The template downloaded for this load only: no folder, no version.
LoadedTemplate LoadUncached(const TemplateSource& source) {
    LoadedTemplate loaded;
    loaded.key = source.key;
    loaded.stale = true;
    loaded.timeLeft = source.timeLeft;
    TempFile temp(NewSystemTempFile(L"tpl"));
    loaded.config = DownloadTemplate(source.url, temp, source.timeLeft);
    // A reader of nothing answers every query empty: a panel without elements.
    if (!loaded.config) loaded.config = std::make_unique<XmlConfig>(L"");
    return loaded;
}

}  // namespace

std::wstring TemplateFolder(const std::wstring& cacheDir, const std::wstring& key) {
    return cacheDir + L"{" + key + L"}\\";
}

std::wstring TemplateFile(const std::wstring& cacheDir, const std::wstring& key) {
    return TemplateFolder(cacheDir, key) + L"{" + key + L"}.xml";
}

std::wstring TemplateMutexName(const std::wstring& key) {
    // Folder and registry names ignore case: so does the lock.
    std::wstring lower = key;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    return L"PondrelTemplateCache-" + lower;
}

LoadedTemplate LoadTemplate(const TemplateSource& source, DWORD lockWaitMs) {
    if (!templates::IsAcceptedTemplateKey(source.key)) {
        LogWithPrefix(L"Template key refused, loading without the cache: \"%s\"", source.key.c_str());
        return LoadUncached(source);
    }
    const std::wstring folder = TemplateFolder(source.cacheDir, source.key);
    const std::wstring file = TemplateFile(source.cacheDir, source.key);
    if (!EnsureDirectory(folder)) {
        LogWithPrefix(L"Template cache: cannot create %s", folder.c_str());
        return LoadUncached(source);
    }

    // A busy skin leaves half the time for a download of this panel's own.
    const DWORD left = Left(source.timeLeft);
    if (left != INFINITE && left / 2 < lockWaitMs) lockWaitMs = left / 2;
    SkinLock lock(TemplateMutexName(source.key), lockWaitMs);
    if (!lock.Held()) {
        LogWithPrefix(L"Template cache busy, loading without the cache: %s", source.key.c_str());
        return LoadUncached(source);
    }

    LoadedTemplate loaded;
    loaded.key = source.key;
    loaded.folder = folder;
    loaded.timeLeft = source.timeLeft;
    std::wstring localVersion;
    ReadRegistryValueLocked(source.key.c_str(), localVersion);
    loaded.stale = localVersion != source.serverVersion;

    if (loaded.stale || !FileExists(file)) {
        TempFile temp(NewTempFileIn(source.cacheDir, L"tpl"));
        std::unique_ptr<XmlConfig> fresh = DownloadTemplate(source.url, temp, source.timeLeft);
        if (fresh && fresh->IsLoaded()) {
            // A new version takes the old version's images with it.
            const std::wstring folderName = source.cacheDir + L"{" + source.key + L"}";
            if (loaded.stale && FileExists(folderName)) RemoveDirectoryTree(folderName, false);
            DWORD error = 0;
            if (temp.MoveTo(file, &error)) {
                if (loaded.stale) WriteRegistryValueLocked(source.serverVersion.c_str(), source.key.c_str());
            } else {
                LogWithPrefix(L"Template cache: cannot replace %s", file.c_str());
            }
            loaded.config = std::move(fresh);
            return loaded;
        }
        // The old template (if any) and its version stay; the next panel retries.
    }
    loaded.config = std::make_unique<XmlConfig>(file.c_str());
    return loaded;
}

WindowValues ReadWindowValues(const templates::TemplateLookup& read, templates::TemplateSize size) {
    WindowValues values;
    values.zoom = templates::ReadZoom(read(L"/window/style/zoom"));
    values.top = templates::ReadNumber(read(L"/window/edges/top"), size).integer;
    values.left = templates::ReadNumber(read(L"/window/edges/left"), size).integer;
    values.bottom = templates::ReadNumber(read(L"/window/edges/bottom"), size).integer;
    values.right = templates::ReadNumber(read(L"/window/edges/right"), size).integer;
    return values;
}

templates::TemplateLookup LookupIn(XmlConfig& config) {
    return [&config](const std::wstring& path) { return config.GetText(path); };
}

ArgbBitmap LoadElementImage(const LoadedTemplate& loaded, const std::wstring& reference,
                            const std::wstring& templateBase) {
    if (reference.empty()) return nullptr;
    const std::wstring url = templates::ExpandPlaceholders(reference, templateBase, loaded.key);
    if (loaded.folder.empty()) {
        TempFile temp(NewSystemTempFile(L"tpi"));
        if (temp.path().empty()) return nullptr;
        DownloadWithin(loaded.timeLeft, url, temp.path());
        return LoadImageFile(temp.path(), 0, 0);
    }
    const std::wstring path = loaded.folder + L"{" + loaded.key + L"}" + templates::ImageCacheSuffix(reference);
    if (loaded.stale || !FileExists(path)) DownloadWithin(loaded.timeLeft, url, path);
    return LoadImageFile(path, 0, 0);
}

}  // namespace panels
