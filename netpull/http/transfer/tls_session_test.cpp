// The OpenSSL session against an OpenSSL server in memory, with certificates made here: bytes
// cut at every boundary, close_notify, a damaged record, and each verdict on the certificate.
#include <gtest/gtest.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "netpull/http/transfer/http_transfer.h"
#include "tls_session.h"

namespace netpull::http {
namespace {

constexpr long kDay = 24 * 3600;

struct Issued {
    std::shared_ptr<EVP_PKEY> key;
    std::shared_ptr<X509> certificate;
};

// A certificate valid from `from` to `until` seconds from now, signed by `issuer` (or by itself).
Issued Issue(const char* name, const char* altNames, long from, long until,
             const Issued* issuer = nullptr) {
    Issued made{std::shared_ptr<EVP_PKEY>(EVP_EC_gen("P-256"), EVP_PKEY_free),
                std::shared_ptr<X509>(X509_new(), X509_free)};
    X509* certificate = made.certificate.get();
    X509_set_version(certificate, 2);
    static long serial = 1;
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), serial++);
    X509_gmtime_adj(X509_getm_notBefore(certificate), from);
    X509_gmtime_adj(X509_getm_notAfter(certificate), until);
    X509_set_pubkey(certificate, made.key.get());
    X509_NAME_add_entry_by_txt(X509_get_subject_name(certificate), "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(name), -1, -1, 0);
    X509* signer = issuer ? issuer->certificate.get() : certificate;
    X509_set_issuer_name(certificate, X509_get_subject_name(signer));
    X509V3_CTX context;
    X509V3_set_ctx(&context, signer, certificate, nullptr, nullptr, 0);
    const auto extend = [&](int nid, const char* value) {
        X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
        X509_add_ext(certificate, extension, -1);
        X509_EXTENSION_free(extension);
    };
    extend(NID_basic_constraints, altNames ? "CA:FALSE" : "critical,CA:TRUE");
    if (altNames) extend(NID_subject_alt_name, altNames);
    X509_sign(certificate, issuer ? issuer->key.get() : made.key.get(), EVP_sha256());
    return made;
}

// The server's side, in memory: what the client sends goes in, what the server sends comes out.
class MemoryServer {
  public:
    explicit MemoryServer(const Issued& identity) {
        SSL_use_certificate(ssl_.get(), identity.certificate.get());
        SSL_use_PrivateKey(ssl_.get(), identity.key.get());
        SSL_set_bio(ssl_.get(), input_, output_);
        SSL_set_accept_state(ssl_.get());
    }
    // Takes the client's bytes and returns the server's answer; `received` gathers the request.
    std::string Exchange(const std::string& bytes) {
        BIO_write(input_, bytes.data(), static_cast<int>(bytes.size()));
        if (!SSL_is_init_finished(ssl_.get())) SSL_do_handshake(ssl_.get());
        char block[4096];
        std::size_t read = 0;
        while (SSL_is_init_finished(ssl_.get()) &&
               SSL_read_ex(ssl_.get(), block, sizeof block, &read))
            received.append(block, read);
        return Drain();
    }
    std::string Send(const std::string& plain) {
        std::size_t written = 0;
        SSL_write_ex(ssl_.get(), plain.data(), plain.size(), &written);
        return Drain();
    }
    std::string Close() {
        SSL_shutdown(ssl_.get());
        return Drain();
    }
    std::string received;

  private:
    std::string Drain() {
        char* data = nullptr;
        const long pending = BIO_get_mem_data(output_, &data);
        std::string out(data, static_cast<std::size_t>(std::max(pending, 0L)));
        (void)BIO_reset(output_);
        return out;
    }
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context_{SSL_CTX_new(TLS_server_method()),
                                                               SSL_CTX_free};
    std::unique_ptr<SSL, decltype(&SSL_free)> ssl_{SSL_new(context_.get()), SSL_free};
    BIO* input_ = BIO_new(BIO_s_mem());
    BIO* output_ = BIO_new(BIO_s_mem());
};

class TlsSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        authorityFile =
            (std::filesystem::temp_directory_path() / "netpull-tls-authority.pem").string();
        FILE* file = std::fopen(authorityFile.c_str(), "w");
        PEM_write_X509(file, authority.certificate.get());
        std::fclose(file);
        setenv("NETPULL_TEST_AUTHORITY", authorityFile.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("NETPULL_TEST_AUTHORITY");
        std::filesystem::remove(authorityFile);
    }
    // Runs the handshake, handing the client the server's bytes `piece` at a time; true once
    // the session is established, false once it has failed.
    bool Handshake(TlsSession& client, MemoryServer& server, std::size_t piece = 1 << 20) {
        std::string toServer;
        if (!client.Start(toServer)) return false;
        for (int round = 0; round < 10 && !client.Established(); ++round) {
            const std::string answer = server.Exchange(std::exchange(toServer, {}));
            if (!Feed(client, answer, piece, toServer)) return false;
        }
        // What the server sends once it is done (TLS 1.3 session tickets) comes with the next
        // bytes of each test.
        afterHandshake = server.Exchange(toServer);
        return client.Established();
    }
    bool Feed(TlsSession& client, const std::string& bytes, std::size_t piece, std::string& send) {
        for (std::size_t at = 0; at < bytes.size(); at += piece)
            if (!client.Receive(std::string_view(bytes).substr(at, piece), plain, send))
                return false;
        return true;
    }

    Issued authority = Issue("Test Authority", nullptr, -kDay, kDay);
    Issued loopback = Issue("localhost", "DNS:localhost,IP:127.0.0.1", -kDay, kDay, &authority);
    std::string authorityFile;
    std::string afterHandshake;
    std::string plain;
};

TEST_F(TlsSessionTest, BytesCutAtEveryBoundaryComeThroughWhole) {
    MemoryServer server(loopback);
    const auto client = TlsSession::Create("localhost");
    ASSERT_TRUE(Handshake(*client, server, 1)) << client->Failed().description;
    std::string toServer;
    ASSERT_TRUE(client->Encrypt("GET / HTTP/1.1\r\n\r\n", toServer));
    server.Exchange(toServer);
    EXPECT_EQ(server.received, "GET / HTTP/1.1\r\n\r\n");
    std::string body;
    for (int i = 0; i < 3000; ++i) body += static_cast<char>(i * 7);
    std::string records = afterHandshake + server.Send(body);
    records += server.Close();
    ASSERT_TRUE(Feed(*client, records, 1, toServer)) << client->Failed().description;
    EXPECT_EQ(plain, body);
    EXPECT_TRUE(client->PeerClosed());
}

TEST_F(TlsSessionTest, ADamagedRecordEndsTheSession) {
    MemoryServer server(loopback);
    const auto client = TlsSession::Create("127.0.0.1");
    ASSERT_TRUE(Handshake(*client, server)) << client->Failed().description;
    std::string record = afterHandshake + server.Send("response");
    record[record.size() - 3] ^= 0x40;
    std::string toServer;
    EXPECT_FALSE(Feed(*client, record, record.size(), toServer));
    EXPECT_EQ(client->Failed().number, kTlsConnectionFailed);
    EXPECT_TRUE(client->Failed().description.starts_with("TLS connection failed: "));
    EXPECT_EQ(plain, "");
}

TEST_F(TlsSessionTest, EachCertificateFaultHasItsVerdict) {
    const Issued stranger = Issue("Stranger", nullptr, -kDay, kDay);
    const struct {
        const char* host;
        Issued identity;
        std::int32_t number;
        std::string description;
    } cases[] = {
        {"other.example", loopback, kCertificateWrongHost, "certificate is not for other.example"},
        {"127.0.0.2", loopback, kCertificateWrongHost, "certificate is not for 127.0.0.2"},
        {"localhost", Issue("localhost", "DNS:localhost", -2 * kDay, -kDay, &authority),
         kCertificateExpired, "certificate expired"},
        {"localhost", Issue("localhost", "DNS:localhost", kDay, 2 * kDay, &authority),
         kCertificateExpired, "certificate not yet valid"},
        {"localhost", Issue("localhost", "DNS:localhost", -kDay, kDay), kCertificateUntrusted,
         "certificate not trusted: self-signed certificate"},
        {"localhost", Issue("localhost", "DNS:localhost", -kDay, kDay, &stranger),
         kCertificateUntrusted, "certificate not trusted: unable to get local issuer certificate"},
        {"localhost", Issue("*.localhost", "DNS:*.localhost", -kDay, kDay, &authority),
         kCertificateWrongHost, "certificate is not for localhost"},
    };
    for (const auto& trial : cases) {
        MemoryServer server(trial.identity);
        const auto client = TlsSession::Create(trial.host);
        plain.clear();
        EXPECT_FALSE(Handshake(*client, server)) << trial.description;
        EXPECT_EQ(client->Failed().number, trial.number) << trial.description;
        EXPECT_EQ(client->Failed().description, trial.description);
        EXPECT_FALSE(client->Established());
    }
}

TEST_F(TlsSessionTest, AnAnswerThatIsNotTlsFailsTheHandshake) {
    const auto client = TlsSession::Create("localhost");
    std::string toServer;
    ASSERT_TRUE(client->Start(toServer));
    EXPECT_EQ(toServer.front(), '\x16');
    EXPECT_FALSE(client->Receive("HTTP/1.1 400 Bad Request\r\n\r\n", plain, toServer));
    EXPECT_EQ(client->Failed().number, kTlsHandshakeFailed);
    EXPECT_TRUE(client->Failed().description.starts_with("TLS handshake failed: "));
    EXPECT_FALSE(client->Receive("more", plain, toServer)) << "a failed session stays failed";
}

}  // namespace
}  // namespace netpull::http
