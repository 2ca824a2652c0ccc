// The disk cache of the content panels' window templates: one folder per
// skin under the program's cache directory ("Cache\{key}\") holding the
// template "{key}.xml" and the template's images, kept current against the
// template version the settings announce (recorded per skin as the default
// value of HKCU "Software\Pondrel\<key>").  A panel thread loads its template
// here at start and at every resize; nothing here needs the panel thread.
//
// A new template is downloaded into a temporary file and replaces the cached
// one only when the answer was complete, 2xx and loads as XML; only then is
// the new version recorded, so a failed download keeps the old template and
// version and the next panel tries again.  One skin's check, download and
// replacement run under a named mutex of that skin, so two panels refreshing
// the same stale skin download it once.  A skin key that is not a safe name
// (see templates::IsAcceptedTemplateKey) is logged and its template used
// without the cache.
//
// A panel's template load (at start and at every resize) goes:
//   LoadedTemplate t = LoadTemplate({cacheDir, key, templatesUrl + "?template=ecp&skin=" + skin,
//                                    XmlConfig::GetTemplateVersion(key)});
//   WindowValues v = ReadWindowValues(LookupIn(*t.config), size);   // zoom and edges
// then the element build over *t.config, whose pictures come from
// LoadElementImage(t, reference, templatesUrl + "ecp/").
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/core/config/XmlConfig.h"
#include "app/core/graphics/ImageRoutines.h"
#include "app/panels/templates/ElementStyle.h"
#include "app/panels/templates/TemplateValues.h"

namespace panels {

// How many milliseconds a load has left (a panel's start has a bound);
// empty: no bound.
using TimeLeftFn = std::function<DWORD()>;

// Where one skin's window template comes from and what the settings say of it.
struct TemplateSource {
    std::wstring cacheDir;       // the program's cache directory, ending in "\"
    std::wstring key;            // the panel record's template key (its skin)
    std::wstring url;            // templates URL + "?template=ecp&skin=" + skin
    std::wstring serverVersion;  // XmlConfig::GetTemplateVersion(key)
    // The time the load and the template's pictures have: the wait for a
    // busy skin takes at most half of what is left, each download's send and
    // receive time-out is what is left when it starts, and once nothing is
    // left nothing more is downloaded (the cache gives what it holds).  No
    // bound by default: the full lock wait and the HTTP time-outs.
    TimeLeftFn timeLeft;
};

// How long a panel waits for another panel refreshing the same skin before
// it loads the template without the cache.
constexpr DWORD kTemplateLockWaitMs = 60000;

// A loaded template and where its images go.
struct LoadedTemplate {
    // Never null; when no file loaded, every query answers empty (the reader
    // logged why).
    std::unique_ptr<XmlConfig> config;
    // The server's version differed from the recorded one during this load,
    // or there is no cache: images are downloaded again, never taken from disk.
    bool stale = false;
    // The skin's cache folder ("...\Cache\{key}\"); empty when the template
    // was loaded without the cache.
    std::wstring folder;
    std::wstring key;
    // The source's time, which the pictures' downloads share.
    TimeLeftFn timeLeft;
};

// The cache folder and file of a skin.
std::wstring TemplateFolder(const std::wstring& cacheDir, const std::wstring& key);
std::wstring TemplateFile(const std::wstring& cacheDir, const std::wstring& key);
// The kernel name of the mutex that guards one skin's cache.
std::wstring TemplateMutexName(const std::wstring& key);

// Brings the skin's cached template up to date and loads it.
LoadedTemplate LoadTemplate(const TemplateSource& source, DWORD lockWaitMs = kTemplateLockWaitMs);

// The values of the template that the panel window takes.
struct WindowValues {
    double zoom = 1.0;
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
};
WindowValues ReadWindowValues(const templates::TemplateLookup& read, templates::TemplateSize size);

// Asks the reader for the inner text of a path's first node.
templates::TemplateLookup LookupIn(XmlConfig& config);

// The image an element's template reference names: the reference resolved
// against templateBase (templates URL + "ecp/") and the key, loaded through
// the skin folder's image cache, whose file is the folder + "{key}" + the
// reference with every unsafe file-name character made "_".  Without a cache
// folder the image is downloaded into a temporary file that is deleted
// afterwards.  Downloads keep to the template's time.  Null for an empty
// reference or one that yields no image.
ArgbBitmap LoadElementImage(const LoadedTemplate& loaded, const std::wstring& reference,
                            const std::wstring& templateBase);

}  // namespace panels
