// The COM steps of the enhancer load: the settings file's text, each
// enhancer the settings document lists, and the site enhancer lent to them.
// The application object keeps what they make (CPondrelApp::LoadEnhancers,
// app/core/main/AppEnhancers.cpp).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <functional>
#include <memory>
#include <string>

class WatcherNode;
class XmlConfig;
struct ISiteEnhancer;

// The UTF-8 text that settings.xml declares (and the ignore list) as a BSTR;
// an invalid sequence becomes U+FFFD.
BSTR Utf8ToBstr(const char* text, int length);

// Reads the whole file ("File load success"); false, with the system's
// message and "File load FAIL" logged, when it cannot be opened.
bool ReadSettingsFile(const std::wstring& path, std::string& bytes);

// Every active enhancer the settings list: created (only the program's own
// classes), asked for IAction, initialised with the site enhancer, the
// settings text and the ignore list, and handed to keep as it loads.  False
// when any listed enhancer failed (each failure logged); the others load.
bool LoadListedEnhancers(XmlConfig& settings, ISiteEnhancer* site, BSTR settingsText, BSTR ignores,
                         const std::function<void(std::unique_ptr<WatcherNode>)>& keep);

// The site enhancer, set up with its URL, the settings text, the user key
// (none when empty) and the version.  On success its two interfaces go to
// *dispatch and *site; false (reported) when it cannot be made or refuses a
// call of its setup (it is then released, after a Shutdown once set up).
bool MakeSiteEnhancer(const std::wstring& url, const std::wstring& key, const std::wstring& version,
                      BSTR* settingsText, IDispatch** dispatch, ISiteEnhancer** site);
