// The setup program's run rule in a table: what this program's signer, the
// signature check's answer and the setup program's signer decide together.
#include <gtest/gtest.h>

#include <cstdint>

#include "app/core/main/SetupTrustRules.h"

namespace {

using namespace setup_trust;
using State = Signer::State;

Signer None() { return Signer{}; }
Signer Unreadable() { return Signer{State::Unreadable, {}}; }
Signer Cert(unsigned char tag) { return Signer{State::Read, {0x30, 0x82, tag, 0x01}}; }

TEST(SetupTrustRules, OnlyOurOwnSignerRunsOnceThisProgramIsSigned) {
    constexpr uint32_t kExpired = 0x800B0101;   // CERT_E_EXPIRED
    constexpr uint32_t kChaining = 0x800B010A;  // CERT_E_CHAINING
    constexpr uint32_t kNoFile = 0x80070002;
    const Signer ours = Cert(1), theirs = Cert(2);
    struct Row {
        Signer own;
        uint32_t trust;
        Signer setup;
        Verdict verdict;
        const char* what;
    } rows[] = {
        {ours, kTrusted, ours, Verdict::Run, "trusted, our signer"},
        {ours, kUntrustedRoot, ours, Verdict::Run, "untrusted root, but our own signer"},
        {ours, kTrusted, theirs, Verdict::RefuseOtherSigner, "trusted, but another signer"},
        {ours, kUntrustedRoot, theirs, Verdict::RefuseOtherSigner, "untrusted root and another signer"},
        {ours, kBadDigest, ours, Verdict::RefuseBadSignature, "our signer, the file changed since"},
        {ours, kBadDigest, theirs, Verdict::RefuseBadSignature, "changed and another signer"},
        {ours, kExpired, ours, Verdict::RefuseBadSignature, "any other answer refuses"},
        {ours, kChaining, ours, Verdict::RefuseBadSignature, "a chain that cannot be built"},
        {ours, kNoFile, ours, Verdict::RefuseBadSignature, "the check could not read the file"},
        {ours, kNoSignature, None(), Verdict::RefuseUnsigned, "an unsigned setup program"},
        {ours, kTrusted, None(), Verdict::RefuseUnsigned, "no signer found, whatever the answer"},
        {ours, kNoSignature, ours, Verdict::RefuseUnsigned, "the check found no signature"},
        {ours, kTrusted, Unreadable(), Verdict::RefuseBadSignature, "a signer that cannot be read"},
        {ours, kTrusted, Signer{State::Read, {}}, Verdict::RefuseBadSignature, "an empty certificate"},
        {Unreadable(), kTrusted, ours, Verdict::RefuseOwnUnknown, "our own signer cannot be read"},
        {Signer{State::Read, {}}, kTrusted, Signer{State::Read, {}}, Verdict::RefuseOwnUnknown,
         "empty certificates are no signer"},
        {None(), kNoSignature, None(), Verdict::RunUnchecked, "a development build runs an unsigned one"},
        {None(), kBadDigest, theirs, Verdict::RunUnchecked, "a development build checks nothing"},
    };
    for (const Row& r : rows) {
        const Verdict v = Decide(r.own, r.trust, r.setup);
        EXPECT_EQ(static_cast<int>(v), static_cast<int>(r.verdict)) << r.what;
        EXPECT_EQ(Runs(v), r.verdict == Verdict::Run || r.verdict == Verdict::RunUnchecked) << r.what;
    }
}

// The certificates are compared whole: one byte apart, or one a prefix of
// the other, is another signer.
TEST(SetupTrustRules, CertificatesAreComparedWhole) {
    const Signer ours{State::Read, {1, 2, 3, 4}};
    const Signer rows[] = {
        {State::Read, {1, 2, 3, 5}},
        {State::Read, {1, 2, 3}},
        {State::Read, {1, 2, 3, 4, 0}},
    };
    for (const Signer& s : rows)
        EXPECT_EQ(static_cast<int>(Decide(ours, kTrusted, s)), static_cast<int>(Verdict::RefuseOtherSigner))
            << s.certificate.size();
    EXPECT_EQ(static_cast<int>(Decide(ours, kTrusted, Signer{State::Read, {1, 2, 3, 4}})),
              static_cast<int>(Verdict::Run));
}

}  // namespace
