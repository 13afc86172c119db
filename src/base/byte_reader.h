// TByteReader: little-endian reads of untrusted bytes (hives, shortcuts,
// executables), for every binary format the program parses.
//
// A reader looks only at the bytes it was given. Every read says whether it
// stayed inside them: on failure it returns false (or an empty view) and
// leaves its output and the cursor as they were. Offsets and counts are
// 64-bit and are checked without forming offset + count, so no number taken
// from a file can make a check wrap around.
//
// Two ways to read, on the same bytes: random access by offset (U32At) and a
// cursor that moves forward (ReadU32). A sub-reader covers a range of its
// parent, with offsets counted from the start of that range, so a structure's
// fields are read at the offsets its format gives and cannot stray out of it.
#ifndef VX_BASE_BYTE_READER_H_
#define VX_BASE_BYTE_READER_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vx {

class TByteReader {
 public:
  TByteReader() = default;
  explicit TByteReader(std::string_view bytes) : bytes_(bytes) {}

  std::string_view Bytes() const { return bytes_; }
  uint64_t Size() const { return bytes_.size(); }
  // Whether [offset, offset + count) lies inside the bytes.
  bool Has(uint64_t offset, uint64_t count) const {
    return offset <= bytes_.size() && count <= bytes_.size() - offset;
  }

  // ---- Random access (the cursor does not move)
  bool U8At(uint64_t offset, uint8_t* v) const { return FixedAt(offset, v); }
  bool U16At(uint64_t offset, uint16_t* v) const { return FixedAt(offset, v); }
  bool U32At(uint64_t offset, uint32_t* v) const { return FixedAt(offset, v); }
  bool U64At(uint64_t offset, uint64_t* v) const { return FixedAt(offset, v); }
  bool BytesAt(uint64_t offset, uint64_t count, std::string_view* out) const {
    if (!Has(offset, count)) return false;
    *out = bytes_.substr(static_cast<size_t>(offset), static_cast<size_t>(count));
    return true;
  }
  // Whether the bytes at `offset` are `expected` (a signature).
  bool MatchAt(uint64_t offset, std::string_view expected) const {
    std::string_view found;
    return BytesAt(offset, expected.size(), &found) && found == expected;
  }
  // A reader over [offset, offset + count), its cursor at its start.
  bool SubAt(uint64_t offset, uint64_t count, TByteReader* out) const {
    std::string_view bytes;
    if (!BytesAt(offset, count, &bytes)) return false;
    *out = TByteReader(bytes);
    return true;
  }
  // The bytes from `offset` up to the first zero byte (not included), or to
  // the end when there is none; empty when `offset` is outside.
  std::string_view String8At(uint64_t offset) const {
    if (offset >= bytes_.size()) return {};
    std::string_view rest = bytes_.substr(static_cast<size_t>(offset));
    return rest.substr(0, rest.find('\0'));
  }
  // The same for UTF-16LE: whole code units from `offset` up to the first
  // zero unit (not included), or to the last whole unit before the end.
  std::string_view String16At(uint64_t offset) const {
    if (offset >= bytes_.size()) return {};
    std::string_view rest = bytes_.substr(static_cast<size_t>(offset));
    size_t i = 0;
    while (i + 1 < rest.size() && (rest[i] != '\0' || rest[i + 1] != '\0')) i += 2;
    return rest.substr(0, i);
  }

  // ---- Cursor
  uint64_t Position() const { return position_; }
  uint64_t Remaining() const { return bytes_.size() - position_; }
  bool AtEnd() const { return position_ == bytes_.size(); }
  // False (the cursor unmoved) beyond the end; the end itself is allowed.
  bool Seek(uint64_t position) {
    if (position > bytes_.size()) return false;
    position_ = static_cast<size_t>(position);
    return true;
  }
  bool Skip(uint64_t count) { return count <= Remaining() && Seek(position_ + count); }
  // Moves to the next multiple of `alignment` counted from the start of the
  // bytes; false beyond the end (and for an alignment of 0).
  bool Align(uint64_t alignment) {
    if (alignment == 0) return false;
    uint64_t padding = (alignment - position_ % alignment) % alignment;
    return Skip(padding);
  }
  bool ReadU8(uint8_t* v) { return Advance(U8At(position_, v), 1); }
  bool ReadU16(uint16_t* v) { return Advance(U16At(position_, v), 2); }
  bool ReadU32(uint32_t* v) { return Advance(U32At(position_, v), 4); }
  bool ReadU64(uint64_t* v) { return Advance(U64At(position_, v), 8); }
  bool ReadBytes(uint64_t count, std::string_view* out) {
    return Advance(BytesAt(position_, count, out), count);
  }
  bool ReadSub(uint64_t count, TByteReader* out) { return Advance(SubAt(position_, count, out), count); }

 private:
  template <typename T>
  bool FixedAt(uint64_t offset, T* v) const {
    if (!Has(offset, sizeof(T))) return false;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes_.data()) + offset;
    T out = 0;
    for (size_t k = sizeof(T); k-- > 0;) out = static_cast<T>((out << 8) | p[k]);
    *v = out;
    return true;
  }
  bool Advance(bool read, uint64_t count) {
    if (read) position_ += static_cast<size_t>(count);
    return read;
  }

  std::string_view bytes_;
  size_t position_ = 0;
};

}  // namespace vx

#endif  // VX_BASE_BYTE_READER_H_
