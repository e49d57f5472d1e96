#include "AgileXml.h"

#include "Base64.h"
#include "CryptoErrors.h"

#include <charconv>
#include <map>
#include <optional>

namespace tabulant::db::crypto {

namespace {

using Attributes = std::map<std::string, std::string, std::less<>>;

// The largest spin count the format allows; more would only be a damaged file keeping us busy.
constexpr std::uint32_t kMaxSpinCount = 10'000'000;

std::string_view LocalName(std::string_view name) {
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads the attributes of the start tag whose name ends at `pos`; false when the tag is cut off.
bool ReadAttributes(std::string_view xml, std::size_t& pos, Attributes& out) {
    for (;;) {
        while (pos < xml.size() && IsSpace(xml[pos])) ++pos;
        if (pos >= xml.size()) return false;
        if (xml[pos] == '>') return true;
        if (xml[pos] == '/') return pos + 1 < xml.size() && xml[pos + 1] == '>';
        const std::size_t eq = xml.find('=', pos);
        if (eq == std::string_view::npos || eq + 1 >= xml.size()) return false;
        std::string_view name = xml.substr(pos, eq - pos);
        while (!name.empty() && IsSpace(name.back())) name.remove_suffix(1);
        const char quote = xml[eq + 1];
        if (quote != '"' && quote != '\'') return false;
        const std::size_t end = xml.find(quote, eq + 2);
        if (end == std::string_view::npos) return false;
        out.emplace(std::string(name), std::string(xml.substr(eq + 2, end - eq - 2)));
        pos = end + 1;
    }
}

// The attributes of the keyData element and of the password key encryptor (the encryptedKey
// element that carries a spin count; a certificate encryptor has none).
struct Elements {
    std::optional<Attributes> keyData;
    std::optional<Attributes> passwordKey;
    bool certificateKey = false;
};

Elements FindElements(std::string_view xml) {
    Elements found;
    std::size_t pos = 0;
    while ((pos = xml.find('<', pos)) != std::string_view::npos) {
        ++pos;
        if (pos >= xml.size() || xml[pos] == '/' || xml[pos] == '?' || xml[pos] == '!') continue;
        const std::size_t nameEnd = xml.find_first_of(" \t\r\n/>", pos);
        if (nameEnd == std::string_view::npos) ThrowDamaged("the XML descriptor is cut off");
        const std::string_view name = LocalName(xml.substr(pos, nameEnd - pos));
        pos = nameEnd;
        Attributes attributes;
        if (!ReadAttributes(xml, pos, attributes)) ThrowDamaged("the XML descriptor is cut off");
        if (name == "keyData" && !found.keyData)
            found.keyData = std::move(attributes);
        else if (name == "encryptedKey" && attributes.contains("spinCount") && !found.passwordKey)
            found.passwordKey = std::move(attributes);
        else if (name == "encryptedKey")
            found.certificateKey = true;
    }
    return found;
}

const std::string& Get(const Attributes& a, std::string_view name) {
    const auto it = a.find(name);
    if (it == a.end()) ThrowDamaged("the XML descriptor has no " + std::string(name));
    return it->second;
}

std::uint32_t Number(const Attributes& a, std::string_view name) {
    const std::string& text = Get(a, name);
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        ThrowDamaged(std::string(name) + " is not a number");
    return value;
}

std::vector<std::uint8_t> Binary(const Attributes& a, std::string_view name) {
    auto bytes = Base64Decode(Get(a, name));
    if (!bytes) ThrowDamaged(std::string(name) + " is not base64");
    return std::move(*bytes);
}

AgileKeyInfo KeyInfo(const Attributes& a) {
    const std::string& cipher = Get(a, "cipherAlgorithm");
    if (cipher != "AES") ThrowUnsupported("agile, cipher " + cipher);
    const std::string& chaining = Get(a, "cipherChaining");
    if (chaining != "ChainingModeCBC") ThrowUnsupported("agile, " + chaining);
    const std::string& hashName = Get(a, "hashAlgorithm");
    const auto hash = Digest::FromName(hashName);
    if (!hash) ThrowUnsupported("agile, hash " + hashName);

    AgileKeyInfo key;
    key.hash = *hash;
    key.keyBits = Number(a, "keyBits");
    key.blockSize = Number(a, "blockSize");
    key.hashSize = Number(a, "hashSize");
    key.salt = Binary(a, "saltValue");
    if (key.keyBits != 128 && key.keyBits != 192 && key.keyBits != 256)
        ThrowUnsupported("agile, AES with a " + std::to_string(key.keyBits) + "-bit key");
    if (key.blockSize != 16) ThrowDamaged("AES block size " + std::to_string(key.blockSize));
    if (key.hashSize != Digest::Size(key.hash))
        ThrowDamaged("hash size " + std::to_string(key.hashSize) + " for " + hashName);
    if (key.salt.empty() || key.salt.size() != Number(a, "saltSize"))
        ThrowDamaged("salt size does not match the salt");
    return key;
}

std::vector<std::uint8_t> Encrypted(const Attributes& a, std::string_view name,
                                    std::size_t atLeast) {
    std::vector<std::uint8_t> bytes = Binary(a, name);
    if (bytes.size() < atLeast || bytes.size() % 16 != 0)
        ThrowDamaged(std::string(name) + " has " + std::to_string(bytes.size()) + " bytes");
    return bytes;
}

} // namespace

AgileInfo ParseAgileXml(std::string_view xml) {
    const Elements elements = FindElements(xml);
    if (!elements.keyData) ThrowDamaged("the XML descriptor has no keyData");
    if (!elements.passwordKey) {
        if (elements.certificateKey) ThrowUnsupported("agile with a certificate key only");
        ThrowDamaged("the XML descriptor has no password key");
    }
    AgileInfo info;
    info.keyData = KeyInfo(*elements.keyData);
    const Attributes& p = *elements.passwordKey;
    info.passwordKey = KeyInfo(p);
    info.spinCount = Number(p, "spinCount");
    if (info.spinCount > kMaxSpinCount)
        ThrowDamaged("spin count " + std::to_string(info.spinCount));
    info.encryptedVerifierHashInput = Encrypted(p, "encryptedVerifierHashInput", 16);
    info.encryptedVerifierHashValue =
        Encrypted(p, "encryptedVerifierHashValue", info.passwordKey.hashSize);
    info.encryptedKeyValue = Encrypted(p, "encryptedKeyValue", info.keyData.keyBits / 8);
    return info;
}

} // namespace tabulant::db::crypto
