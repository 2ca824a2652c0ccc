#include "app/core/main/SetupTrustRules.h"

namespace setup_trust {

Verdict Decide(const Signer& own, uint32_t trust, const Signer& setup) {
    using State = Signer::State;
    if (own.state == State::None) return Verdict::RunUnchecked;
    if (own.state != State::Read || own.certificate.empty()) return Verdict::RefuseOwnUnknown;
    if (setup.state == State::None || trust == kNoSignature) return Verdict::RefuseUnsigned;
    if (trust != kTrusted && trust != kUntrustedRoot) return Verdict::RefuseBadSignature;
    if (setup.state != State::Read || setup.certificate.empty()) return Verdict::RefuseBadSignature;
    if (setup.certificate != own.certificate) return Verdict::RefuseOtherSigner;
    return Verdict::Run;
}

}  // namespace setup_trust
