// Text rules of the shared graphics, apart from any system call: the cache
// file name of a server image and the size an image file's header claims.
// The other text rules of the shared utilities are in
// app/core/common/CommonRules.h.
#pragma once

#include <cstddef>
#include <string>

// The relative cache file name of an image URL: prefix + the URL's last path
// segment with the version text put before its first dot ("search.png",
// version 3, prefix "EcpIcons\" -> "EcpIcons\search3.png").  The URL is cut
// at its first "#"; a query (the text after the first "?") goes in after the
// version as "_q" and 8 hexadecimal digits of its hash ("search.png?s=16"
// -> "EcpIcons\search3_q<hash>.png"), so that URLs that differ only in their
// query keep files of their own; a URL without a query keeps its plain name.
// In the segment and the version every character other than A-Z, a-z, 0-9,
// ".", "_" and "-" becomes "_", so a name chosen by the server stays inside
// the prefix's folder and holds no wildcard.  A name with "..", an empty one,
// or a device name (CON, NUL, COM0-9, ...) as its base, is refused: the answer
// is empty.  A URL without "/" after its first character names its whole
// text; a segment without a dot gets the version at its end.
std::wstring CacheFileNameFromUrl(const std::wstring& url, const std::wstring& version, const std::wstring& prefix);

// The width and height the header of a PNG, GIF, BMP, JPEG or icon file
// claims, read from the file's first `count` bytes (a BMP's negative height,
// a top-down picture, counts as its size).  False when the bytes are none of
// these or end before the size.
bool ImageHeaderSize(const unsigned char* bytes, std::size_t count, long long* width, long long* height);
// The largest pictures decoded: each side at most kMaxImageSide pixels and
// at most kMaxImagePixels in all (64 MB of 32-bit pixels).  An image from the
// server or the install folder whose header claims more is refused before it
// is decoded.
constexpr long long kMaxImageSide = 8192;
constexpr long long kMaxImagePixels = 4096LL * 4096;
bool ImageSizeAcceptable(long long width, long long height);
