// TSapphire: the Sapphire II stream cipher and its hash mode, as published by
// its author. The cipher feeds every plaintext and ciphertext byte back into
// its state, so a stream must be decrypted from its first byte on, in order.
#ifndef VX_RULES_SAPPHIRE_H_
#define VX_RULES_SAPPHIRE_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

class TSapphire {
 public:
  // Starts in hash mode; call Initialize to key the cipher.
  TSapphire() { HashInit(); }

  // Keys the cipher with 1..255 key bytes (longer keys use their first 255);
  // an empty key leaves it in hash mode, as the published code does.
  void Initialize(std::string_view key);
  void HashInit();

  uint8_t Encrypt(uint8_t b);
  uint8_t Decrypt(uint8_t b);
  void EncryptInPlace(std::string& data);
  void DecryptInPlace(std::string& data);

  // Ends a hash: `length` digest bytes (at most 255).
  std::string HashFinal(size_t length);

 private:
  uint8_t KeyRand(unsigned limit, std::string_view key, uint8_t* rsum, size_t* keypos);

  std::array<uint8_t, 256> cards_{};
  uint8_t rotor_ = 0, ratchet_ = 0, avalanche_ = 0, last_plain_ = 0, last_cipher_ = 0;
};

// The "Sapphire II-320" digest: the hash mode over `data`, 40 bytes long.
std::string Sapphire320Digest(std::string_view data);

}  // namespace vx

#endif  // VX_RULES_SAPPHIRE_H_
