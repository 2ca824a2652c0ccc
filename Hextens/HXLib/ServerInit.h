// Whether the server's settings document lets one enhancer send page
// context.  Portable: no Win32 call.
#pragma once

#include "Hextens/HXLib/CharClass.h"

namespace hxcore {

// The key an enhancer record's id is compared with: the configured id
// without its first character (the opening brace), at most 36 characters.
String EnhancerKey(const Char* configuredId);

// True when init/user/send_context is "true" and the first
// init/enhancers/app/enhancer whose id equals the key has send_context
// "true" (values and names ignoring case).  A document that does not parse
// or lacks an element on the way gives false.  Allocation failures throw.
bool ReadSendContext(const Char* xml, const Char* configuredId);

}  // namespace hxcore
