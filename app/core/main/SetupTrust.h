// The system's side of the setup program's check (SetupTrustRules.h holds
// the rule): the signature check's answer for a file and the leaf
// certificate of a file's signer.  Neither asks the network.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/core/main/SetupTrustRules.h"

namespace setup_trust {

// The leaf certificate of the file's first signer (CryptQueryObject, the
// message's signer info, the certificate in the message's store).
Signer ReadSigner(const std::wstring& path);

// WinVerifyTrust's answer for the file (open as `file`, at `path`): no
// user interface, no revocation check, nothing fetched.
uint32_t CheckSignature(HANDLE file, const std::wstring& path);

}  // namespace setup_trust
