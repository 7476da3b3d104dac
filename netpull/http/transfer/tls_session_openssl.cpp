// TLS with OpenSSL 3 over memory BIOs: the socket's bytes go into one, the records to send come
// out of the other, and every call returns at once.
#include <openssl/err.h>
#include <openssl/ocsp.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include "netpull/http/transfer/http_transfer.h"
#include "tls_session.h"

namespace netpull::http {
namespace {

struct FreeContext {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};
struct FreeSsl {
    void operator()(SSL* ssl) const { SSL_free(ssl); }
};

constexpr std::size_t kReadBlock = 64 * 1024;
// The smallest elliptic curve taken, as Schannel's side of this client also has it (the
// security level already refuses smaller RSA and DSA keys and SHA-1 signatures).
constexpr int kSmallestCurveBits = 256;

// The checks OpenSSL leaves out, run on each certificate of the verified chain: an elliptic
// key below the floor; and, once a certificate has alternative names, a common name that
// would name the host (OpenSSL reads it when none of them is a DNS name; curl and Windows
// never do).
int CheckLikeCurl(int ok, X509_STORE_CTX* store) {
    if (ok != 1) return ok;
    const int depth = X509_STORE_CTX_get_error_depth(store);
    X509* certificate = X509_STORE_CTX_get_current_cert(store);
    const bool root = depth + 1 == sk_X509_num(X509_STORE_CTX_get0_chain(store));
    const EVP_PKEY* key = X509_get0_pubkey(certificate);
    if (!root && key != nullptr && EVP_PKEY_get_base_id(key) == EVP_PKEY_EC &&
        EVP_PKEY_get_bits(key) < kSmallestCurveBits) {
        X509_STORE_CTX_set_error(
            store, depth == 0 ? X509_V_ERR_EE_KEY_TOO_SMALL : X509_V_ERR_CA_KEY_TOO_SMALL);
        return 0;
    }
    X509_VERIFY_PARAM* check = X509_STORE_CTX_get0_param(store);
    if (depth != 0 || X509_VERIFY_PARAM_get0_host(check, 0) == nullptr) return ok;
    auto* names = static_cast<GENERAL_NAMES*>(
        X509_get_ext_d2i(certificate, NID_subject_alt_name, nullptr, nullptr));
    if (names == nullptr) return ok;
    bool dnsName = false;
    for (int i = 0; i < sk_GENERAL_NAME_num(names); ++i)
        dnsName = dnsName || sk_GENERAL_NAME_value(names, i)->type == GEN_DNS;
    GENERAL_NAMES_free(names);
    if (dnsName) return ok;
    X509_STORE_CTX_set_error(store, X509_V_ERR_HOSTNAME_MISMATCH);
    return 0;
}

// The reason of the last error OpenSSL queued, the most precise, in its own words ("wrong
// version number").
std::string QueuedReason() {
    const unsigned long code = ERR_peek_last_error();
    ERR_clear_error();
    const char* reason = code != 0 ? ERR_reason_error_string(code) : nullptr;
    return reason != nullptr ? reason : "the server ended the connection";
}

// Whether the OCSP response the server stapled says, under its issuer's own signature, that
// the server's certificate is revoked. No staple, or one that cannot be read or verified,
// says nothing: the status is then unknown, which does not fail a download.
bool StapledRevoked(SSL* ssl) {
    const unsigned char* bytes = nullptr;
    const long length = SSL_get_tlsext_status_ocsp_resp(ssl, &bytes);
    STACK_OF(X509)* chain = SSL_get_peer_cert_chain(ssl);
    X509* leaf = SSL_get0_peer_certificate(ssl);
    if (bytes == nullptr || length <= 0 || chain == nullptr || leaf == nullptr) return false;
    std::unique_ptr<OCSP_RESPONSE, decltype(&OCSP_RESPONSE_free)> response(
        d2i_OCSP_RESPONSE(nullptr, &bytes, length), OCSP_RESPONSE_free);
    if (!response || OCSP_response_status(response.get()) != OCSP_RESPONSE_STATUS_SUCCESSFUL)
        return false;
    std::unique_ptr<OCSP_BASICRESP, decltype(&OCSP_BASICRESP_free)> basic(
        OCSP_response_get1_basic(response.get()), OCSP_BASICRESP_free);
    X509_STORE* store = SSL_CTX_get_cert_store(SSL_get_SSL_CTX(ssl));
    if (!basic || OCSP_basic_verify(basic.get(), chain, store, 0) != 1) return false;
    // The issuer is the next certificate of the chain, or an authority of the store.
    X509* issuer = sk_X509_num(chain) > 1 ? sk_X509_value(chain, 1) : nullptr;
    std::unique_ptr<X509_STORE_CTX, decltype(&X509_STORE_CTX_free)> lookup(X509_STORE_CTX_new(),
                                                                           X509_STORE_CTX_free);
    X509* found = nullptr;
    if (issuer == nullptr && lookup && X509_STORE_CTX_init(lookup.get(), store, leaf, chain) == 1 &&
        X509_STORE_CTX_get1_issuer(&found, lookup.get(), leaf) == 1)
        issuer = found;
    std::unique_ptr<OCSP_CERTID, decltype(&OCSP_CERTID_free)> id(
        issuer != nullptr ? OCSP_cert_to_id(nullptr, leaf, issuer) : nullptr, OCSP_CERTID_free);
    if (found != nullptr) X509_free(found);
    int status = V_OCSP_CERTSTATUS_UNKNOWN;
    return id &&
           OCSP_resp_find_status(basic.get(), id.get(), &status, nullptr, nullptr, nullptr,
                                 nullptr) == 1 &&
           status == V_OCSP_CERTSTATUS_REVOKED;
}

class OpenSslSession final : public TlsSession {
  public:
    explicit OpenSslSession(const std::string& hostName) : host_(hostName) {}

    bool Start(std::string& send) override {
        ERR_clear_error();
        context_.reset(SSL_CTX_new(TLS_client_method()));
        if (!context_) return Fail(kTlsHandshakeFailed, "TLS handshake failed: " + QueuedReason());
        SSL_CTX_set_min_proto_version(context_.get(), TLS1_2_VERSION);
        SSL_CTX_set_default_verify_paths(context_.get());
        if (const std::string authority = TestAuthorityFile(); !authority.empty())
            X509_STORE_load_file(SSL_CTX_get_cert_store(context_.get()), authority.c_str());
        SSL_CTX_set_verify(context_.get(), SSL_VERIFY_PEER, CheckLikeCurl);
        // The server's stapled OCSP answer is asked for: a "revoked" ends the handshake.
        SSL_CTX_set_tlsext_status_cb(
            context_.get(), +[](SSL* ssl, void* session) {
                if (!StapledRevoked(ssl)) return 1;
                static_cast<OpenSslSession*>(session)->revoked_ = true;
                return 0;
            });
        SSL_CTX_set_tlsext_status_arg(context_.get(), this);
        ssl_.reset(SSL_new(context_.get()));
        if (!ssl_) return Fail(kTlsHandshakeFailed, "TLS handshake failed: " + QueuedReason());
        input_ = BIO_new(BIO_s_mem());
        output_ = BIO_new(BIO_s_mem());
        SSL_set_bio(ssl_.get(), input_, output_);
        SSL_set_connect_state(ssl_.get());
        SSL_set_tlsext_status_type(ssl_.get(), TLSEXT_STATUSTYPE_ocsp);
        X509_VERIFY_PARAM* check = SSL_get0_param(ssl_.get());
        // An address literal is matched against the certificate's addresses and is not sent
        // as a server name; a name is both.
        if (X509_VERIFY_PARAM_set1_ip_asc(check, HostWithoutBrackets(host_).c_str()) != 1) {
            ERR_clear_error();
            X509_VERIFY_PARAM_set_hostflags(check, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
            SSL_set1_host(ssl_.get(), host_.c_str());
            SSL_set_tlsext_host_name(ssl_.get(), host_.c_str());
        }
        return Handshake(send);
    }

    bool Receive(std::string_view bytes, std::string& plain, std::string& send) override {
        if (Failed().number != 0) return false;
        if (!bytes.empty() && BIO_write(input_, bytes.data(), static_cast<int>(bytes.size())) <= 0)
            return Fail(kTlsConnectionFailed, "TLS connection failed: out of memory");
        if (!established_ && !Handshake(send)) return false;
        if (!established_) return true;
        while (!peerClosed_) {
            std::size_t read = 0;
            const int result = SSL_read_ex(ssl_.get(), block_.get(), kReadBlock, &read);
            if (result == 1) {
                plain.append(block_.get(), read);
                continue;
            }
            const int error = SSL_get_error(ssl_.get(), result);
            if (error == SSL_ERROR_WANT_READ) break;
            if (error == SSL_ERROR_ZERO_RETURN) {
                peerClosed_ = true;
                break;
            }
            Drain(send);
            return Fail(kTlsConnectionFailed, "TLS connection failed: " + QueuedReason());
        }
        Drain(send);
        return true;
    }

    bool Encrypt(std::string_view plain, std::string& send) override {
        if (Failed().number != 0) return false;
        std::size_t written = 0;
        if (SSL_write_ex(ssl_.get(), plain.data(), plain.size(), &written) != 1)
            return Fail(kTlsConnectionFailed, "TLS connection failed: " + QueuedReason());
        Drain(send);
        return true;
    }

    bool Established() const override { return established_; }
    bool PeerClosed() const override { return peerClosed_; }

  private:
    bool Handshake(std::string& send) {
        const int result = SSL_do_handshake(ssl_.get());
        Drain(send);
        if (result == 1) {
            established_ = true;
            return true;
        }
        if (SSL_get_error(ssl_.get(), result) == SSL_ERROR_WANT_READ) return true;
        if (revoked_) {
            ERR_clear_error();
            return Fail(kCertificateUntrusted, "certificate not trusted: certificate revoked");
        }
        const long verdict = SSL_get_verify_result(ssl_.get());
        if (verdict != X509_V_OK) return CertificateFailure(verdict);
        return Fail(kTlsHandshakeFailed, "TLS handshake failed: " + QueuedReason());
    }

    bool CertificateFailure(long verdict) {
        ERR_clear_error();
        switch (verdict) {
            case X509_V_ERR_CERT_HAS_EXPIRED:
                return Fail(kCertificateExpired, "certificate expired");
            case X509_V_ERR_CERT_NOT_YET_VALID:
                return Fail(kCertificateExpired, "certificate not yet valid");
            case X509_V_ERR_HOSTNAME_MISMATCH:
            case X509_V_ERR_IP_ADDRESS_MISMATCH:
                return Fail(kCertificateWrongHost, "certificate is not for " + host_);
            default:
                return Fail(kCertificateUntrusted, std::string("certificate not trusted: ") +
                                                       X509_verify_cert_error_string(verdict));
        }
    }

    void Drain(std::string& send) {
        char* data = nullptr;
        const long pending = BIO_get_mem_data(output_, &data);
        if (pending <= 0) return;
        send.append(data, static_cast<std::size_t>(pending));
        (void)BIO_reset(output_);
    }

    std::string host_;
    std::unique_ptr<SSL_CTX, FreeContext> context_;
    std::unique_ptr<SSL, FreeSsl> ssl_;
    BIO* input_ = nullptr;   // owned by ssl_
    BIO* output_ = nullptr;  // owned by ssl_
    // Decrypted records land here first: one block for the session, not one per arrival.
    std::unique_ptr<char[]> block_ = std::make_unique<char[]>(kReadBlock);
    bool established_ = false;
    bool peerClosed_ = false;
    bool revoked_ = false;  // the stapled OCSP answer said so
};

}  // namespace

std::unique_ptr<TlsSession> TlsSession::Create(const std::string& hostName) {
    return std::make_unique<OpenSslSession>(hostName);
}

}  // namespace netpull::http
