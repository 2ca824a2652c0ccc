// The images of panel records and server icons, through the image cache
// under the install directory's "Images" folder, with the product icon as
// the fallback.
#pragma once

#include <string>

#include "app/core/graphics/ImageRoutines.h"

// A panel's banner "Images\EcpBanners\<name>.<ext>" (png, bmp, ico, gif, jpg
// tried in this order) at 150 x 50; the product icon at its own size when
// none loads.  A name with characters other than letters, digits, ".", "_"
// and "-", or with "..", is not looked up.
ArgbBitmap FindEcpBannerImage(const std::wstring& installDir, const std::wstring& name);
// A small application image: url cached as installDir + "Images\" +
// fileName, at 16 x 16; the product icon when that fails or the name is empty.
ArgbBitmap LoadAppImage(const std::wstring& installDir, const std::wstring& url, const std::wstring& fileName);
// A panel's icon through the cache ("EcpIcons\" + the cache name of its icon
// URL and version, under the "Images" folder of the panel's install
// directory), at 16 x 16; the product icon of installDir when that fails.
// For a panel record: app/core/config/EcpIcon.h.
ArgbBitmap LoadEcpIcon(const std::wstring& installDir, const std::wstring& iconUrl, const std::wstring& version,
                       const std::wstring& ecpInstallDir);
// An item icon from a URL: cached as cacheDir + the cache name of the URL's
// last segment (CacheFileNameFromUrl without version or prefix), at 16 x 16,
// the cached copy used when there is one; the product icon when that fails
// or the URL gives no cache name (no cache folder: nothing is downloaded).
ArgbBitmap LoadCachedIcon(const std::wstring& installDir, const std::wstring& cacheDir, const std::wstring& url);
