#include "rules/sapphire.h"

#include <utility>

namespace vx {

uint8_t TSapphire::KeyRand(unsigned limit, std::string_view key, uint8_t* rsum,
                           size_t* keypos) {
  if (limit == 0) return 0;
  unsigned mask = 1;
  while (mask < limit) mask = (mask << 1) + 1;
  unsigned retry_limiter = 0;
  unsigned u;
  do {
    *rsum = static_cast<uint8_t>(cards_[*rsum] + static_cast<uint8_t>(key[(*keypos)++]));
    if (*keypos >= key.size()) {
      *keypos = 0;
      *rsum = static_cast<uint8_t>(*rsum + key.size());
    }
    u = mask & *rsum;
    if (++retry_limiter > 11) u %= limit;
  } while (u > limit);
  return static_cast<uint8_t>(u);
}

void TSapphire::Initialize(std::string_view key) {
  if (key.size() > 255) key = key.substr(0, 255);
  if (key.empty()) {
    HashInit();
    return;
  }
  for (int i = 0; i < 256; ++i) cards_[i] = static_cast<uint8_t>(i);
  size_t keypos = 0;
  uint8_t rsum = 0;
  for (int i = 255; i >= 0; --i) {
    uint8_t to_swap = KeyRand(static_cast<unsigned>(i), key, &rsum, &keypos);
    std::swap(cards_[i], cards_[to_swap]);
  }
  rotor_ = cards_[1];
  ratchet_ = cards_[3];
  avalanche_ = cards_[5];
  last_plain_ = cards_[7];
  last_cipher_ = cards_[rsum];
}

void TSapphire::HashInit() {
  rotor_ = 1;
  ratchet_ = 3;
  avalanche_ = 5;
  last_plain_ = 7;
  last_cipher_ = 11;
  for (int i = 0; i < 256; ++i) cards_[i] = static_cast<uint8_t>(255 - i);
}

namespace {

// One step of the card shuffle shared by both directions; returns the
// keystream byte that is XORed with the input.
inline uint8_t Step(std::array<uint8_t, 256>& c, uint8_t& rotor, uint8_t& ratchet,
                    uint8_t& avalanche, uint8_t last_plain, uint8_t last_cipher) {
  ratchet = static_cast<uint8_t>(ratchet + c[rotor++]);
  uint8_t swaptemp = c[last_cipher];
  c[last_cipher] = c[ratchet];
  c[ratchet] = c[last_plain];
  c[last_plain] = c[rotor];
  c[rotor] = swaptemp;
  avalanche = static_cast<uint8_t>(avalanche + c[swaptemp]);
  return static_cast<uint8_t>(
      c[static_cast<uint8_t>(c[ratchet] + c[rotor])] ^
      c[c[static_cast<uint8_t>(c[last_plain] + c[last_cipher] + c[avalanche])]]);
}

}  // namespace

uint8_t TSapphire::Encrypt(uint8_t b) {
  uint8_t k = Step(cards_, rotor_, ratchet_, avalanche_, last_plain_, last_cipher_);
  last_cipher_ = static_cast<uint8_t>(b ^ k);
  last_plain_ = b;
  return last_cipher_;
}

uint8_t TSapphire::Decrypt(uint8_t b) {
  uint8_t k = Step(cards_, rotor_, ratchet_, avalanche_, last_plain_, last_cipher_);
  last_plain_ = static_cast<uint8_t>(b ^ k);
  last_cipher_ = b;
  return last_plain_;
}

void TSapphire::EncryptInPlace(std::string& data) {
  for (char& ch : data) ch = static_cast<char>(Encrypt(static_cast<uint8_t>(ch)));
}

void TSapphire::DecryptInPlace(std::string& data) {
  for (char& ch : data) ch = static_cast<char>(Decrypt(static_cast<uint8_t>(ch)));
}

std::string TSapphire::HashFinal(size_t length) {
  if (length > 255) length = 255;
  for (int i = 255; i >= 0; --i) Encrypt(static_cast<uint8_t>(i));
  std::string out(length, '\0');
  for (char& ch : out) ch = static_cast<char>(Encrypt(0));
  return out;
}

std::string Sapphire320Digest(std::string_view data) {
  TSapphire s;
  s.HashInit();
  for (char ch : data) s.Encrypt(static_cast<uint8_t>(ch));
  return s.HashFinal(40);
}

}  // namespace vx
