// Whether a downloaded setup program may be run, apart from Win32: the rule
// over what the system's signature check answered for the setup program and
// the leaf certificates of its signer and of this program's own signer.
// No Win32 call (built and tested natively too); SetupTrust.h reads the
// answers.
#pragma once

#include <cstdint>
#include <vector>

namespace setup_trust {

// Answers of the system's signature check (WinVerifyTrust) the rule tells
// apart; any other answer refuses the file.
constexpr uint32_t kTrusted = 0;
constexpr uint32_t kUntrustedRoot = 0x800B0109;  // CERT_E_UNTRUSTEDROOT: a chain to a root the system does not trust
constexpr uint32_t kNoSignature = 0x800B0100;    // TRUST_E_NOSIGNATURE
constexpr uint32_t kBadDigest = 0x80096010;      // TRUST_E_BAD_DIGEST: the file changed after it was signed

// The signer of a file, as far as it could be read.
struct Signer {
    enum class State {
        None,        // the file carries no signature
        Read,        // the leaf certificate of its (first) signer is in `certificate`
        Unreadable,  // the file or its signature could not be read
    };
    State state = State::None;
    std::vector<unsigned char> certificate;  // the leaf certificate's encoded bytes
};

enum class Verdict {
    Run,                 // signed by this program's own signer and not changed since
    RunUnchecked,        // this program carries no signature (a development build): run, with a warning
    RefuseOwnUnknown,    // this program's own signer could not be read
    RefuseUnsigned,      // the setup program carries no signature
    RefuseBadSignature,  // its signature does not hold (changed since it was signed, or unreadable)
    RefuseOtherSigner,   // signed, but not by this program's own signer
};

// The rule.  own: this program's signer; trust: the signature check's answer
// for the setup program; setup: the setup program's signer.  The signer
// carries the weight: an answer of an untrusted root (a test certificate, or
// a root the machine lacks) is taken only from this program's own signer, as
// a trusted answer is; an unsigned program runs whatever it is given.
Verdict Decide(const Signer& own, uint32_t trust, const Signer& setup);

inline bool Runs(Verdict v) { return v == Verdict::Run || v == Verdict::RunUnchecked; }

}  // namespace setup_trust
