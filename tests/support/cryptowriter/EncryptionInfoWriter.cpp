#include "EncryptionInfoWriter.h"

#include "db/crypto/Base64.h"
#include "db/crypto/Digest.h"
#include "db/crypto/SchemeConstants.h"

#include <stdexcept>

namespace tabulant::db::crypto {

namespace {

class ByteWriter {
public:
    void U16(std::uint32_t v) { out_.insert(out_.end(), {std::uint8_t(v), std::uint8_t(v >> 8)}); }
    void U32(std::uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void Bytes(std::span<const std::uint8_t> bytes) {
        out_.insert(out_.end(), bytes.begin(), bytes.end());
    }
    std::vector<std::uint8_t>& bytes() { return out_; }

private:
    std::vector<std::uint8_t> out_;
};

std::vector<std::uint8_t> BinaryHeader(const BinaryKeyInfo& key) {
    ByteWriter header;
    header.U32(key.flags);
    header.U32(0); // no extra data
    header.U32(key.algId);
    header.U32(key.algIdHash);
    header.U32(key.keyBits);
    header.U32(key.providerType);
    header.U32(0);
    header.U32(0);
    for (char c : key.provider) header.U16(static_cast<unsigned char>(c));
    header.U16(0);
    return std::move(header.bytes());
}

std::string KeyAttributes(const AgileKeyInfo& key) {
    return "saltSize=\"" + std::to_string(key.salt.size()) + "\" blockSize=\"" +
           std::to_string(key.blockSize) + "\" keyBits=\"" + std::to_string(key.keyBits) +
           "\" hashSize=\"" + std::to_string(key.hashSize) +
           "\" cipherAlgorithm=\"AES\" cipherChaining=\"ChainingModeCBC\" hashAlgorithm=\"" +
           std::string(Digest::Name(key.hash)) + "\" saltValue=\"" + Base64Encode(key.salt) + "\"";
}

} // namespace

std::string WriteAgileXml(const AgileInfo& info) {
    constexpr std::string_view kNs = "http://schemas.microsoft.com/office/2006/";
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
    xml += "<encryption xmlns=\"" + std::string(kNs) + "encryption\" xmlns:p=\"" +
           std::string(kNs) + "keyEncryptor/password\">";
    xml += "<keyData " + KeyAttributes(info.keyData) + "/>";
    xml += "<keyEncryptors><keyEncryptor uri=\"" + std::string(kNs) + "keyEncryptor/password\">";
    xml += "<p:encryptedKey spinCount=\"" + std::to_string(info.spinCount) + "\" " +
           KeyAttributes(info.passwordKey) + " encryptedVerifierHashInput=\"" +
           Base64Encode(info.encryptedVerifierHashInput) + "\" encryptedVerifierHashValue=\"" +
           Base64Encode(info.encryptedVerifierHashValue) + "\" encryptedKeyValue=\"" +
           Base64Encode(info.encryptedKeyValue) + "\"/>";
    xml += "</keyEncryptor></keyEncryptors></encryption>";
    return xml;
}

std::vector<std::uint8_t> WriteEncryptionInfo(const EncryptionInfo& info) {
    ByteWriter w;
    w.U16(info.versionMajor);
    w.U16(info.versionMinor);
    const BinaryKeyInfo& key = info.binary;
    switch (info.scheme) {
    case Scheme::Agile: {
        w.U32(kAgileReserved);
        const std::string xml = WriteAgileXml(info.agile);
        w.Bytes({reinterpret_cast<const std::uint8_t*>(xml.data()), xml.size()});
        break;
    }
    case Scheme::Rc4Md5:
        w.Bytes(key.salt);
        w.Bytes(key.encryptedVerifier);
        w.Bytes(key.encryptedVerifierHash);
        break;
    case Scheme::Rc4CryptoApi:
    case Scheme::StandardAes:
    case Scheme::NonStandardAes: {
        const std::vector<std::uint8_t> header = BinaryHeader(key);
        w.U32(key.flags);
        w.U32(std::uint32_t(header.size()));
        w.Bytes(header);
        w.U32(std::uint32_t(key.salt.size()));
        w.Bytes(key.salt);
        w.Bytes(key.encryptedVerifier);
        w.U32(20); // the SHA-1 verifier hash, whatever its stored (padded) length
        w.Bytes(key.encryptedVerifierHash);
        break;
    }
    case Scheme::None:
    case Scheme::JetPageEncoding:
        throw std::invalid_argument("this scheme has no encryption info");
    }
    std::vector<std::uint8_t> body = std::move(w.bytes());
    if (body.size() > 0xFFFF) throw std::invalid_argument("encryption info too long");
    ByteWriter out;
    out.U16(std::uint32_t(body.size()));
    out.Bytes(body);
    return std::move(out.bytes());
}

} // namespace tabulant::db::crypto
