#include "app/core/main/SetupTrust.h"

#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>

#include <memory>

namespace setup_trust {

namespace {

struct StoreCloser {
    void operator()(void* store) const { ::CertCloseStore(static_cast<HCERTSTORE>(store), 0); }
};
struct MessageCloser {
    void operator()(void* message) const { ::CryptMsgClose(static_cast<HCRYPTMSG>(message)); }
};
struct CertificateFreer {
    void operator()(const CERT_CONTEXT* c) const { ::CertFreeCertificateContext(c); }
};

}  // namespace

Signer ReadSigner(const std::wstring& path) {
    Signer signer;
    HCERTSTORE rawStore = nullptr;
    HCRYPTMSG rawMessage = nullptr;
    DWORD encoding = 0, content = 0, format = 0;
    if (!::CryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                            CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, &content, &format, &rawStore, &rawMessage,
                            nullptr)) {
        const DWORD error = ::GetLastError();
        signer.state = static_cast<HRESULT>(error) == CRYPT_E_NO_MATCH ? Signer::State::None
                                                                       : Signer::State::Unreadable;
        return signer;
    }
    std::unique_ptr<void, StoreCloser> store(rawStore);
    std::unique_ptr<void, MessageCloser> message(rawMessage);
    signer.state = Signer::State::Unreadable;
    DWORD size = 0;
    if (!::CryptMsgGetParam(rawMessage, CMSG_SIGNER_CERT_INFO_PARAM, 0, nullptr, &size) || size == 0) return signer;
    std::unique_ptr<BYTE[]> info(new BYTE[size]);
    if (!::CryptMsgGetParam(rawMessage, CMSG_SIGNER_CERT_INFO_PARAM, 0, info.get(), &size)) return signer;
    std::unique_ptr<const CERT_CONTEXT, CertificateFreer> leaf(
        ::CertFindCertificateInStore(rawStore, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0, CERT_FIND_SUBJECT_CERT,
                                     info.get(), nullptr));
    if (!leaf || !leaf->pbCertEncoded || leaf->cbCertEncoded == 0) return signer;
    signer.certificate.assign(leaf->pbCertEncoded, leaf->pbCertEncoded + leaf->cbCertEncoded);
    signer.state = Signer::State::Read;
    return signer;
}

uint32_t CheckSignature(HANDLE file, const std::wstring& path) {
    WINTRUST_FILE_INFO fileInfo{};
    fileInfo.cbStruct = sizeof fileInfo;
    fileInfo.pcwszFilePath = path.c_str();
    fileInfo.hFile = file;
    WINTRUST_DATA data{};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_NONE;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG answer = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return static_cast<uint32_t>(answer);
}

}  // namespace setup_trust
