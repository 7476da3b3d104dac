// TLS with Schannel through SSPI on the buffers the transfer hands over, so no call blocks; the
// server's certificate checked with the system's chain engine and the SSL policy.
#define SECURITY_WIN32
// CERT_CHAIN_PARA with its time limit for fetching revocation lists and answers.
#define CERT_CHAIN_PARA_HAS_EXTRA_FIELDS
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

// SCH_CREDENTIALS and TLS_PARAMETERS, with the UNICODE_STRING they use.
#define SCHANNEL_USE_BLACKLISTS
#include <subauth.h>

#include <schannel.h>
#include <security.h>
#include <wincrypt.h>
#include <wininet.h>  // the SSL policy's SECURITY_FLAG_IGNORE_* checks

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

#include "netpull/http/transfer/http_transfer.h"
#include "tls_session.h"
#include "wide_text.h"

namespace netpull::http {
namespace {

constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                                ISC_REQ_CONFIDENTIALITY | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                                ISC_REQ_EXTENDED_ERROR;

constexpr std::size_t kLargestPending = 1 << 20;
// The chain engine fetches the leaf's revocation list or OCSP answer while the handshake waits:
// at most this long in all, after which its status is unknown and does not fail the download.
constexpr DWORD kRevocationFetchMs = 5000;
// The content types that TLS 1.2 records show in the clear.
constexpr char kAlertRecord = 21;
constexpr char kApplicationRecord = 23;
constexpr std::size_t kRecordHeader = 5;

std::string StatusText(SECURITY_STATUS status) {
    switch (status) {
        case SEC_E_ILLEGAL_MESSAGE:
        case SEC_E_INVALID_TOKEN:
            return "the server's answer is not TLS";
        case SEC_E_ALGORITHM_MISMATCH:
            return "no protocol version or cipher in common with the server";
        case SEC_E_UNSUPPORTED_FUNCTION:
            return "protocol version not supported";
        case SEC_E_DECRYPT_FAILURE:
        case SEC_E_MESSAGE_ALTERED:
            return "a record did not decrypt";
        default: {
            char text[48];
            std::snprintf(text, sizeof text, "security error 0x%08lX",
                          static_cast<unsigned long>(status));
            return text;
        }
    }
}

struct FreeCertificate {
    void operator()(PCCERT_CONTEXT certificate) const { CertFreeCertificateContext(certificate); }
};
using Certificate = std::unique_ptr<const CERT_CONTEXT, FreeCertificate>;

// The certificate in the PEM file of the test authority, if one is named.
Certificate TestAuthority() {
    const std::string file = TestAuthorityFile();
    if (file.empty()) return nullptr;
    std::ifstream input(file, std::ios::binary);
    const std::string pem{std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>()};
    DWORD size = 0;
    if (!CryptStringToBinaryA(pem.data(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                              nullptr, &size, nullptr, nullptr))
        return nullptr;
    std::vector<BYTE> der(size);
    if (!CryptStringToBinaryA(pem.data(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                              der.data(), &size, nullptr, nullptr))
        return nullptr;
    return Certificate(CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), size));
}

// The bytes of an IPv4 or IPv6 address literal; empty for a name.
std::vector<BYTE> AddressOf(const std::string& host) {
    BYTE address[16];
    if (InetPtonA(AF_INET, host.c_str(), address) == 1) return {address, address + 4};
    if (InetPtonA(AF_INET6, host.c_str(), address) == 1) return {address, address + 16};
    return {};
}

// Whether the address is among the certificate's subject alternative names.
bool CertificateNamesAddress(PCCERT_CONTEXT certificate, const std::vector<BYTE>& address) {
    const CERT_EXTENSION* extension =
        CertFindExtension(szOID_SUBJECT_ALT_NAME2, certificate->pCertInfo->cExtension,
                          certificate->pCertInfo->rgExtension);
    if (extension == nullptr) return false;
    CERT_ALT_NAME_INFO* names = nullptr;
    DWORD size = 0;
    if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData,
                             extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &names,
                             &size))
        return false;
    bool found = false;
    for (DWORD i = 0; i < names->cAltEntry && !found; ++i) {
        const CERT_ALT_NAME_ENTRY& entry = names->rgAltEntry[i];
        found = entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS &&
                entry.IPAddress.cbData == address.size() &&
                std::memcmp(entry.IPAddress.pbData, address.data(), address.size()) == 0;
    }
    LocalFree(names);
    return found;
}

class SchannelSession final : public TlsSession {
  public:
    explicit SchannelSession(const std::string& hostName)
        : host_(HostWithoutBrackets(hostName)), target_(Wide(host_)), address_(AddressOf(host_)) {}

    ~SchannelSession() override {
        if (haveContext_) DeleteSecurityContext(&context_);
        if (haveCredentials_) FreeCredentialsHandle(&credentials_);
    }

    bool Start(std::string& send) override {
        const SECURITY_STATUS status = AcquireCredentials();
        if (status != SEC_E_OK)
            return Fail(kTlsHandshakeFailed, "TLS handshake failed: " + StatusText(status));
        haveCredentials_ = true;
        return Handshake(send);
    }

    bool Receive(std::string_view bytes, std::string& plain, std::string& send) override {
        if (Failed().number != 0) return false;
        incoming_.append(bytes);
        // Far more than a handshake or a record takes: a server that never completes one.
        if (incoming_.size() > kLargestPending)
            return Fail(kTlsConnectionFailed, "TLS connection failed: a record too large");
        if (renegotiating_) return Renegotiate(plain, send);
        if (!established_ && !Handshake(send)) return false;
        if (!established_) return true;
        return Decrypt(plain, send);
    }

    bool Encrypt(std::string_view plain, std::string& send) override {
        if (Failed().number != 0) return false;
        while (!plain.empty()) {
            const std::size_t part = std::min<std::size_t>(plain.size(), sizes_.cbMaximumMessage);
            std::string record(sizes_.cbHeader + part + sizes_.cbTrailer, '\0');
            std::memcpy(record.data() + sizes_.cbHeader, plain.data(), part);
            SecBuffer buffers[4] = {
                {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
                {static_cast<unsigned long>(part), SECBUFFER_DATA, record.data() + sizes_.cbHeader},
                {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER,
                 record.data() + sizes_.cbHeader + part},
                {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc description{SECBUFFER_VERSION, 4, buffers};
            const SECURITY_STATUS status = EncryptMessage(&context_, 0, &description, 0);
            if (status != SEC_E_OK)
                return Fail(kTlsConnectionFailed, "TLS connection failed: " + StatusText(status));
            record.resize(buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
            send += record;
            plain.remove_prefix(part);
        }
        return true;
    }

    bool Established() const override { return established_; }
    bool PeerClosed() const override { return peerClosed_; }

  private:
    // TLS 1.2 and 1.3 where the system knows SCH_CREDENTIALS (which TLS 1.3 needs); else the
    // older SCHANNEL_CRED, with TLS 1.3 or, where that is refused, TLS 1.2 alone.
    SECURITY_STATUS AcquireCredentials() {
        constexpr DWORD kFlags =
            SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
        const auto acquire = [this](void* settings) {
            return AcquireCredentialsHandleW(nullptr, const_cast<LPWSTR>(UNISP_NAME_W),
                                             SECPKG_CRED_OUTBOUND, nullptr, settings, nullptr,
                                             nullptr, &credentials_, nullptr);
        };
        TLS_PARAMETERS versions{};
        versions.grbitDisabledProtocols = SP_PROT_SSL2_CLIENT | SP_PROT_SSL3_CLIENT |
                                          SP_PROT_TLS1_0_CLIENT | SP_PROT_TLS1_1_CLIENT;
        SCH_CREDENTIALS current{};
        current.dwVersion = SCH_CREDENTIALS_VERSION;
        current.dwFlags = kFlags;
        current.cTlsParameters = 1;
        current.pTlsParameters = &versions;
        SECURITY_STATUS status = acquire(&current);
        if (status == SEC_E_OK) return status;
        SCHANNEL_CRED older{};
        older.dwVersion = SCHANNEL_CRED_VERSION;
        older.dwFlags = kFlags;
        for (const DWORD protocols :
             {DWORD{SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT}, DWORD{SP_PROT_TLS1_2_CLIENT}}) {
            older.grbitEnabledProtocols = protocols;
            status = acquire(&older);
            if (status == SEC_E_OK) break;
        }
        return status;
    }

    // One or more steps of the handshake on the bytes received so far.
    bool Handshake(std::string& send) {
        // A record starts with its type (20 to 23) and major version 3; Schannel would wait
        // for the rest of a "record" that a plain HTTP answer seems to announce.
        const auto byte = [this](std::size_t at) {
            return static_cast<unsigned char>(incoming_[at]);
        };
        if ((!incoming_.empty() && (byte(0) < 20 || byte(0) > 23)) ||
            (incoming_.size() > 1 && byte(1) != 3))
            return FailHandshake(StatusText(SEC_E_ILLEGAL_MESSAGE));
        for (;;) {
            SecBuffer input[2] = {
                {static_cast<unsigned long>(incoming_.size()), SECBUFFER_TOKEN, incoming_.data()},
                {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc inputDescription{SECBUFFER_VERSION, 2, input};
            SecBuffer output[1] = {{0, SECBUFFER_TOKEN, nullptr}};
            SecBufferDesc outputDescription{SECBUFFER_VERSION, 1, output};
            unsigned long attributes = 0;
            const SECURITY_STATUS status = InitializeSecurityContextW(
                &credentials_, haveContext_ ? &context_ : nullptr,
                address_.empty() ? target_.data() : nullptr, kContextFlags, 0, 0,
                haveContext_ ? &inputDescription : nullptr, 0, haveContext_ ? nullptr : &context_,
                &outputDescription, &attributes, nullptr);
            if (!haveContext_ && (status == SEC_I_CONTINUE_NEEDED || status == SEC_E_OK))
                haveContext_ = true;
            if (output[0].pvBuffer != nullptr) {
                send.append(static_cast<const char*>(output[0].pvBuffer), output[0].cbBuffer);
                FreeContextBuffer(output[0].pvBuffer);
            }
            if (status == SEC_E_INCOMPLETE_MESSAGE) return true;
            // What the step did not use stays for the next one, or for the first records.
            if (input[1].BufferType == SECBUFFER_EXTRA && input[1].cbBuffer > 0)
                incoming_.erase(0, incoming_.size() - input[1].cbBuffer);
            else if (status != SEC_I_INCOMPLETE_CREDENTIALS)
                incoming_.clear();
            if (status == SEC_E_OK) return HandshakeDone();
            // A server that asks for a client certificate gets none, once.
            if (status == SEC_I_INCOMPLETE_CREDENTIALS && !declinedCertificate_) {
                declinedCertificate_ = true;
                continue;
            }
            if (status != SEC_I_CONTINUE_NEEDED) return FailHandshake(StatusText(status));
            if (incoming_.empty()) return true;
        }
    }

    bool HandshakeDone() {
        const SECURITY_STATUS status =
            QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_);
        if (status != SEC_E_OK) return FailHandshake(StatusText(status));
        // Some systems take the versions asked for as a wish: an older one is refused here.
        SecPkgContext_ConnectionInfo connection{};
        if (QueryContextAttributesW(&context_, SECPKG_ATTR_CONNECTION_INFO, &connection) !=
                SEC_E_OK ||
            (connection.dwProtocol & (SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT)) == 0)
            return FailHandshake("the server offers neither TLS 1.2 nor TLS 1.3");
        tls13_ = (connection.dwProtocol & SP_PROT_TLS1_3_CLIENT) != 0;
        // Every handshake's certificate is checked, a renegotiation's too.
        if (!certificateChecked_ && !CheckCertificate()) return false;
        certificateChecked_ = true;
        established_ = true;
        renegotiating_ = false;
        return true;
    }

    // The chain is built with the test authority among the certificates the server sent, so
    // that a chain ending at it can be told from one ending at an unknown root.
    bool CheckCertificate() {
        PCCERT_CONTEXT received = nullptr;
        if (QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &received) !=
                SEC_E_OK ||
            received == nullptr)
            return Fail(kCertificateUntrusted, "certificate not trusted: the server sent none");
        const Certificate certificate(received);
        const Certificate authority = TestAuthority();
        HCERTSTORE extra = certificate->hCertStore;
        HCERTSTORE collection = nullptr;
        if (authority) {
            collection = CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, 0, nullptr);
            HCERTSTORE memory = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
            CertAddCertificateContextToStore(memory, authority.get(), CERT_STORE_ADD_ALWAYS,
                                             nullptr);
            CertAddStoreToCollection(collection, memory, 0, 0);
            CertAddStoreToCollection(collection, certificate->hCertStore, 0, 0);
            CertCloseStore(memory, 0);
            extra = collection;
        }
        CERT_CHAIN_PARA chainSettings{};
        chainSettings.cbSize = sizeof chainSettings;
        LPSTR serverUse = const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH);
        chainSettings.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
        chainSettings.RequestedUsage.Usage.cUsageIdentifier = 1;
        chainSettings.RequestedUsage.Usage.rgpszUsageIdentifier = &serverUse;
        chainSettings.dwUrlRetrievalTimeout = kRevocationFetchMs;
        PCCERT_CHAIN_CONTEXT chain = nullptr;
        const BOOL built = CertGetCertificateChain(
            nullptr, certificate.get(), nullptr, extra, &chainSettings,
            CERT_CHAIN_REVOCATION_CHECK_END_CERT | CERT_CHAIN_REVOCATION_ACCUMULATIVE_TIMEOUT,
            nullptr, &chain);
        if (collection != nullptr) CertCloseStore(collection, 0);
        if (!built || chain == nullptr)
            return Fail(kCertificateUntrusted, "certificate not trusted: no chain could be built");
        const bool verdict = Judge(chain, certificate.get(), authority.get());
        CertFreeCertificateChain(chain);
        return verdict;
    }

    bool Judge(PCCERT_CHAIN_CONTEXT chain, PCCERT_CONTEXT certificate, PCCERT_CONTEXT authority) {
        const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
        const CERT_CHAIN_ELEMENT* root = simple->rgpElement[simple->cElement - 1];
        // The test authority itself, byte for byte: another root may copy its name and
        // serial number.
        const PCCERT_CONTEXT top = root->pCertContext;
        const bool rootIsTestAuthority =
            authority != nullptr && simple->cElement > 1 &&
            top->cbCertEncoded == authority->cbCertEncoded &&
            std::equal(top->pbCertEncoded, top->pbCertEncoded + top->cbCertEncoded,
                       authority->pbCertEncoded);
        // The chain's own verdict first: the policy of some systems passes a partial chain.
        const DWORD chainErrors = chain->TrustStatus.dwErrorStatus;
        if (chainErrors & CERT_TRUST_IS_PARTIAL_CHAIN) return FailMissingIssuer();
        if ((chainErrors & CERT_TRUST_IS_UNTRUSTED_ROOT) && !rootIsTestAuthority)
            return FailUntrustedRoot(simple->cElement);
        if (!AboveTheFloor(simple) || !IssuedByAuthorities(simple)) return false;
        if (chainErrors & CERT_TRUST_IS_NOT_VALID_FOR_USAGE) return FailPurpose();
        if (chainErrors & CERT_TRUST_IS_NOT_SIGNATURE_VALID)
            return Fail(kCertificateUntrusted,
                        "certificate not trusted: certificate signature failure");
        // A leaf whose issuer says it is revoked fails; one whose status cannot be learned
        // (no list or answer named, none reachable in time) does not, and the policy below
        // leaves revocation to this check.
        if (simple->rgpElement[0]->TrustStatus.dwErrorStatus & CERT_TRUST_IS_REVOKED)
            return Fail(kCertificateUntrusted, "certificate not trusted: certificate revoked");
        const bool address = !address_.empty();
        if (address && !CertificateNamesAddress(certificate, address_))
            return Fail(kCertificateWrongHost, "certificate is not for " + host_);
        SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
        ssl.cbSize = sizeof ssl;
        ssl.dwAuthType = AUTHTYPE_SERVER;
        ssl.pwszServerName = address ? nullptr : target_.data();
        ssl.fdwChecks = (rootIsTestAuthority ? SECURITY_FLAG_IGNORE_UNKNOWN_CA : 0) |
                        (address ? SECURITY_FLAG_IGNORE_CERT_CN_INVALID : 0) |
                        SECURITY_FLAG_IGNORE_REVOCATION;
        CERT_CHAIN_POLICY_PARA policy{};
        policy.cbSize = sizeof policy;
        policy.dwFlags = CERT_CHAIN_POLICY_IGNORE_ALL_REV_UNKNOWN_FLAGS;
        policy.pvExtraPolicyPara = &ssl;
        CERT_CHAIN_POLICY_STATUS result{};
        result.cbSize = sizeof result;
        if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &result))
            return Fail(kCertificateUntrusted, "certificate not trusted: the policy check failed");
        switch (static_cast<HRESULT>(result.dwError)) {
            case S_OK:
                return true;
            case CERT_E_EXPIRED:
                return CertVerifyTimeValidity(nullptr, certificate->pCertInfo) < 0
                           ? Fail(kCertificateExpired, "certificate not yet valid")
                           : Fail(kCertificateExpired, "certificate expired");
            case CERT_E_CN_NO_MATCH:
                return Fail(kCertificateWrongHost, "certificate is not for " + host_);
            case CERT_E_UNTRUSTEDROOT:
                return FailUntrustedRoot(simple->cElement);
            case CERT_E_CHAINING:
                return FailMissingIssuer();
            case CERT_E_WRONG_USAGE:
            case CERT_E_PURPOSE:
                return FailPurpose();
            case CERT_E_ROLE:
            case TRUST_E_BASIC_CONSTRAINTS:
                return FailNotAuthority();
            case TRUST_E_CERT_SIGNATURE:
                return Fail(kCertificateUntrusted,
                            "certificate not trusted: certificate signature failure");
            case CERT_E_PATHLENCONST:
                return Fail(kCertificateUntrusted,
                            "certificate not trusted: path length constraint exceeded");
            case CERT_E_CRITICAL:
                return Fail(kCertificateUntrusted,
                            "certificate not trusted: unhandled critical extension");
            default:
                return Fail(kCertificateUntrusted,
                            "certificate not trusted: " +
                                StatusText(static_cast<SECURITY_STATUS>(result.dwError)));
        }
    }

    // The floor OpenSSL's default security level sets, with OpenSSL's words: RSA and DSA keys
    // of 2048 bits or more, elliptic curves of 256 bits or more, and no MD5 or SHA-1
    // signature below the root.
    bool AboveTheFloor(const CERT_SIMPLE_CHAIN* simple) {
        static constexpr std::array<const char*, 6> kWeakSignatures = {
            szOID_RSA_MD5RSA,   szOID_RSA_SHA1RSA,      szOID_ECDSA_SHA1,
            szOID_X957_SHA1DSA, "1.2.840.113549.1.1.2", szOID_OIWSEC_sha1RSASign};
        for (DWORD i = 0; i + 1 < simple->cElement; ++i) {
            const CERT_INFO* info = simple->rgpElement[i]->pCertContext->pCertInfo;
            const std::string_view keyKind = info->SubjectPublicKeyInfo.Algorithm.pszObjId;
            const DWORD bits = CertGetPublicKeyLength(
                X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
                const_cast<PCERT_PUBLIC_KEY_INFO>(&info->SubjectPublicKeyInfo));
            const bool elliptic = keyKind == szOID_ECC_PUBLIC_KEY;
            const bool weakKey = (keyKind == szOID_RSA_RSA || keyKind == szOID_X957_DSA)
                                     ? bits < 2048
                                     : elliptic && bits < 256;
            if (weakKey)
                return Fail(kCertificateUntrusted,
                            i == 0 ? "certificate not trusted: EE certificate key too weak"
                                   : "certificate not trusted: CA certificate key too weak");
            const std::string_view signature = info->SignatureAlgorithm.pszObjId;
            if (std::find(kWeakSignatures.begin(), kWeakSignatures.end(), signature) !=
                kWeakSignatures.end())
                return Fail(kCertificateUntrusted,
                            "certificate not trusted: CA signature digest algorithm too weak");
        }
        return true;
    }

    // Every certificate that signs another is an authority (basic constraints, CA true); a
    // root without the extension is an old one, taken as OpenSSL takes it.
    bool IssuedByAuthorities(const CERT_SIMPLE_CHAIN* simple) {
        for (DWORD i = 1; i < simple->cElement; ++i) {
            const CERT_INFO* info = simple->rgpElement[i]->pCertContext->pCertInfo;
            const CERT_EXTENSION* extension =
                CertFindExtension(szOID_BASIC_CONSTRAINTS2, info->cExtension, info->rgExtension);
            if (extension == nullptr) {
                if (i + 1 == simple->cElement) continue;
                return FailNotAuthority();
            }
            CERT_BASIC_CONSTRAINTS2_INFO constraints{};
            DWORD size = sizeof constraints;
            if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_BASIC_CONSTRAINTS2,
                                     extension->Value.pbData, extension->Value.cbData, 0, nullptr,
                                     &constraints, &size) ||
                !constraints.fCA)
                return FailNotAuthority();
        }
        return true;
    }
    bool FailNotAuthority() {
        return Fail(kCertificateUntrusted, "certificate not trusted: invalid CA certificate");
    }
    bool FailPurpose() {
        return Fail(kCertificateUntrusted,
                    "certificate not trusted: unsuitable certificate purpose");
    }

    // In the words OpenSSL uses for the same verdicts, so that both builds say the same.
    bool FailUntrustedRoot(DWORD chainLength) {
        return Fail(kCertificateUntrusted,
                    chainLength == 1
                        ? "certificate not trusted: self-signed certificate"
                        : "certificate not trusted: self-signed certificate in certificate chain");
    }
    bool FailMissingIssuer() {
        return Fail(kCertificateUntrusted,
                    "certificate not trusted: unable to get local issuer certificate");
    }

    // Decrypts the whole records received so far; a part of a record waits for the rest.
    bool Decrypt(std::string& plain, std::string& send) {
        std::size_t consumed = 0;
        while (consumed < incoming_.size() && !peerClosed_) {
            SecBuffer buffers[4] = {{static_cast<unsigned long>(incoming_.size() - consumed),
                                     SECBUFFER_DATA, incoming_.data() + consumed},
                                    {0, SECBUFFER_EMPTY, nullptr},
                                    {0, SECBUFFER_EMPTY, nullptr},
                                    {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc description{SECBUFFER_VERSION, 4, buffers};
            const bool alert = incoming_[consumed] == kAlertRecord;
            const SECURITY_STATUS status = DecryptMessage(&context_, &description, 0, nullptr);
            if (status == SEC_E_INCOMPLETE_MESSAGE) break;
            if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE &&
                status != SEC_I_CONTEXT_EXPIRED)
                return Fail(kTlsConnectionFailed, "TLS connection failed: " + StatusText(status));
            std::size_t next = incoming_.size();
            std::size_t decrypted = 0;
            for (const SecBuffer& buffer : buffers) {
                if (buffer.BufferType == SECBUFFER_DATA) {
                    plain.append(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
                    decrypted += buffer.cbBuffer;
                }
                if (buffer.BufferType == SECBUFFER_EXTRA) next = incoming_.size() - buffer.cbBuffer;
            }
            consumed = next;
            // Schannel reports the server's close_notify as SEC_I_CONTEXT_EXPIRED; Wine's, as
            // an alert record that decrypts to nothing. No other alert leaves a TLS 1.2
            // connection open that a client did not renegotiate.
            if (status == SEC_I_CONTEXT_EXPIRED || (status == SEC_E_OK && alert && decrypted == 0))
                peerClosed_ = true;
            if (status == SEC_I_RENEGOTIATE) {
                incoming_.erase(0, consumed);
                consumed = 0;
                established_ = false;
                if (tls13_) {
                    // A TLS 1.3 session ticket or key update: the handshake takes it and the
                    // records after it, under the same certificate.
                    if (!Handshake(send)) return false;
                    if (!established_) return true;
                    continue;
                }
                // A TLS 1.2 renegotiation: a new handshake, whose certificate is checked too,
                // takes the handshake records; application records meanwhile are decrypted.
                renegotiating_ = true;
                certificateChecked_ = false;
                return Renegotiate(plain, send);
            }
        }
        incoming_.erase(0, consumed);
        return true;
    }

    // A handshake that fails once the response has begun (a renegotiation) fails the
    // connection.
    bool FailHandshake(const std::string& reason) {
        return renegotiating_ ? Fail(kTlsConnectionFailed, "TLS connection failed: " + reason)
                              : Fail(kTlsHandshakeFailed, "TLS handshake failed: " + reason);
    }

    // Hands the handshake records to the handshake, and decrypts the application records that
    // come between them under the keys still in use, as Schannel documents it.
    bool Renegotiate(std::string& plain, std::string& send) {
        if (incoming_.empty()) return Handshake(send);
        while (renegotiating_ && !incoming_.empty()) {
            const std::size_t handshakeEnd = HandshakeRecordsEnd();
            if (handshakeEnd == 0) {
                // Records under the current keys, up to the next handshake record.
                std::size_t end = 0;
                while (end < incoming_.size() && UnderCurrentKeys(incoming_[end])) {
                    const std::size_t next = RecordEnd(end);
                    if (next == 0) break;
                    end = next;
                }
                if (end == 0) return true;  // a part of a record waits for the rest
                std::string after = incoming_.substr(end);
                incoming_.resize(end);
                established_ = true;  // the current keys decrypt these
                const bool decrypted = Decrypt(plain, send);
                established_ = false;
                incoming_ += after;
                if (!decrypted) return false;
                continue;
            }
            std::string after = incoming_.substr(handshakeEnd);
            incoming_.resize(handshakeEnd);
            const bool stepped = Handshake(send);
            incoming_ += after;
            if (!stepped) return false;
            if (!after.empty() && !established_ && incoming_.size() > after.size()) return true;
        }
        if (!renegotiating_ && !incoming_.empty()) return Decrypt(plain, send);
        return true;
    }

    // Application data and alerts (close_notify among them) that come during a new handshake
    // are decrypted; its own records go to the handshake.
    static bool UnderCurrentKeys(char type) {
        return type == kApplicationRecord || type == kAlertRecord;
    }

    // Where the whole record that starts at the given place ends, 0 while it is not whole.
    std::size_t RecordEnd(std::size_t start) const {
        if (incoming_.size() < start + kRecordHeader) return 0;
        const std::size_t length = static_cast<unsigned char>(incoming_[start + 3]) << 8 |
                                   static_cast<unsigned char>(incoming_[start + 4]);
        const std::size_t end = start + kRecordHeader + length;
        return end <= incoming_.size() ? end : 0;
    }
    // Where the handshake records before the first record under the current keys end (the
    // whole buffer when there is none).
    std::size_t HandshakeRecordsEnd() const {
        std::size_t at = 0;
        while (at < incoming_.size() && !UnderCurrentKeys(incoming_[at])) {
            const std::size_t next = RecordEnd(at);
            if (next == 0) return incoming_.size();
            at = next;
        }
        return at;
    }

    std::string host_;
    std::wstring target_;
    std::vector<BYTE> address_;  // the host's address when it is a literal: no SNI, IP names
    CredHandle credentials_{};
    bool haveCredentials_ = false;
    CtxtHandle context_{};
    bool haveContext_ = false;
    SecPkgContext_StreamSizes sizes_{};
    std::string incoming_;  // received bytes not yet taken by the handshake or a record
    bool certificateChecked_ = false;
    bool declinedCertificate_ = false;
    bool established_ = false;
    bool renegotiating_ = false;
    bool tls13_ = false;
    bool peerClosed_ = false;
};

}  // namespace

std::unique_ptr<TlsSession> TlsSession::Create(const std::string& hostName) {
    return std::make_unique<SchannelSession>(hostName);
}

}  // namespace netpull::http
