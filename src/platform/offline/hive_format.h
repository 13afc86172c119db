// The layout of a registry hive file ("regf"), written once for the reader
// (hive_file.cc), the writers (hive_writer.cc) and the tests that damage
// hives on purpose.
//
// A hive is a 4 KiB base block followed by bins; bins hold cells. Offsets of
// base-block and bin fields count from the start of the block or bin. Cell
// fields count from the start of the cell, its 4-byte size field included.
// A cell offset stored anywhere in the file counts from the first bin.
#ifndef VX_PLATFORM_OFFLINE_HIVE_FORMAT_H_
#define VX_PLATFORM_OFFLINE_HIVE_FORMAT_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/byte_reader.h"

namespace vx::regf {

// ---- Base block
inline constexpr std::string_view kSignature = "regf";
inline constexpr size_t kBaseBlockSize = 0x1000;     // the base block fills the first 4 KiB
inline constexpr size_t kPrimarySequence = 0x04;     // raised before a write
inline constexpr size_t kSecondarySequence = 0x08;   // set equal to the primary after it
inline constexpr size_t kTimestamp = 0x0C;           // FILETIME of the last write
inline constexpr size_t kMajorVersion = 0x14;        // 1 for every hive this reads
inline constexpr size_t kMinorVersion = 0x18;        // 3 to 6
inline constexpr size_t kFileType = 0x1C;            // 0: the primary file, not a log
inline constexpr size_t kFileFormat = 0x20;          // 1: direct memory load
inline constexpr size_t kRootCell = 0x24;            // the root key's cell offset
inline constexpr size_t kHiveBinsSize = 0x28;        // the bins' total size in bytes
inline constexpr size_t kClustering = 0x2C;          // clustering factor, 1
inline constexpr size_t kChecksum = 0x1FC;           // XOR of the 127 double words before it
inline constexpr uint32_t kSupportedMajorVersion = 1;

// ---- Bins
inline constexpr size_t kFirstBin = 0x1000;          // where the first bin starts; cell offsets count from here
inline constexpr std::string_view kBinSignature = "hbin";
inline constexpr size_t kBinOffset = 0x04;           // the bin's own offset from the first bin
inline constexpr size_t kBinSize = 0x08;             // the bin's size, whole kBinPage pages
inline constexpr size_t kBinHeaderSize = 0x20;       // the first cell follows
inline constexpr size_t kBinPage = 0x1000;           // bins come in whole 4 KiB pages

// ---- Cells
inline constexpr size_t kCellSize = 0x00;            // int32: negative for a used cell, positive for a free one
inline constexpr size_t kCellSizeBytes = 4;          // the size field; the payload follows it
inline constexpr size_t kCellType = 0x04;            // two letters naming the cell ("nk", "vk", "lh", ...)
inline constexpr size_t kCellAlignment = 8;          // cell sizes are multiples of 8
inline constexpr uint32_t kNoCell = 0xFFFFFFFFu;     // an offset field that points nowhere

// ---- Key node ("nk")
inline constexpr std::string_view kKeyType = "nk";
inline constexpr size_t kKeyFlags = 0x06;            // uint16, the kKey* flags below
inline constexpr size_t kKeyTimestamp = 0x08;        // FILETIME of the last write
inline constexpr size_t kKeyParent = 0x14;           // the parent key's cell
inline constexpr size_t kKeySubkeyCount = 0x18;      // stable subkeys
inline constexpr size_t kKeyVolatileSubkeyCount = 0x1C;
inline constexpr size_t kKeySubkeyList = 0x20;       // cell of an lf/lh/li/ri list, or kNoCell
inline constexpr size_t kKeyVolatileSubkeyList = 0x24;
inline constexpr size_t kKeyValueCount = 0x28;
inline constexpr size_t kKeyValueList = 0x2C;        // cell of the value offsets, or kNoCell
inline constexpr size_t kKeySecurity = 0x30;         // the "sk" cell
inline constexpr size_t kKeyClassName = 0x34;        // cell of the class name, or kNoCell
inline constexpr size_t kKeyMaxSubkeyName = 0x38;    // longest subkey name, in UTF-16 bytes
inline constexpr size_t kKeyMaxClassName = 0x3C;
inline constexpr size_t kKeyMaxValueName = 0x40;     // longest value name, in UTF-16 bytes
inline constexpr size_t kKeyMaxValueData = 0x44;     // largest value data
inline constexpr size_t kKeyNameLength = 0x4C;       // uint16, the name's length in bytes
inline constexpr size_t kKeyClassLength = 0x4E;      // uint16
inline constexpr size_t kKeyName = 0x50;             // the name, Latin-1 or UTF-16LE
inline constexpr uint16_t kKeyHiveEntry = 0x0004;    // the hive's root key
inline constexpr uint16_t kKeyNoDelete = 0x0008;     // cannot be deleted
inline constexpr uint16_t kKeyCompressedName = 0x0020;  // the name is Latin-1, one byte a character

// ---- Value ("vk")
inline constexpr std::string_view kValueType = "vk";
inline constexpr size_t kValueNameLength = 0x06;     // uint16, in bytes; 0 for the default value
inline constexpr size_t kValueDataSize = 0x08;       // with kValueDataInline for data of 4 bytes or less
inline constexpr size_t kValueData = 0x0C;           // the data cell, or the data itself when inline
inline constexpr size_t kValueDataType = 0x10;       // the registry type (REG_SZ, ...)
inline constexpr size_t kValueFlags = 0x14;          // uint16, kValueCompressedName
inline constexpr size_t kValueName = 0x18;
inline constexpr uint32_t kValueDataInline = 0x80000000u;
inline constexpr uint16_t kValueCompressedName = 0x0001;
inline constexpr size_t kValueListEntries = 0x04;    // a value list is bare uint32 cell offsets after the size

// ---- Subkey lists ("lf", "lh": offset and hash; "li": offsets; "ri": offsets of lists)
inline constexpr std::string_view kFastLeafType = "lf";
inline constexpr std::string_view kHashLeafType = "lh";
inline constexpr std::string_view kIndexLeafType = "li";
inline constexpr std::string_view kIndexRootType = "ri";
inline constexpr size_t kListCount = 0x06;           // uint16, the number of entries
inline constexpr size_t kListEntries = 0x08;         // the first entry
inline constexpr size_t kLeafEntryBytes = 8;         // lf and lh entries: cell offset, name hash
inline constexpr size_t kIndexEntryBytes = 4;        // li and ri entries: cell offset

// ---- Security ("sk")
inline constexpr std::string_view kSecurityType = "sk";
inline constexpr size_t kSecurityPrevious = 0x08;    // the ring of security cells
inline constexpr size_t kSecurityNext = 0x0C;
inline constexpr size_t kSecurityReferences = 0x10;  // how many keys use it
inline constexpr size_t kSecurityDescriptorSize = 0x14;
inline constexpr size_t kSecurityDescriptor = 0x18;  // a self-relative security descriptor

// ---- Limits the reader and the writers keep
inline constexpr int kMaxIndexRootDepth = 1;          // an ri names leaves; a deeper ri is damage
inline constexpr size_t kSubkeysPerLeaf = 1000;       // subkeys the compact writer puts in one leaf
inline constexpr size_t kMaxWriteDepth = 512;         // nesting of keys the writers write

// The checksum of a base block: the XOR of the double words before kChecksum;
// false when `base_block` is too short to hold them.
inline bool BaseBlockChecksum(std::string_view base_block, uint32_t* sum) {
  TByteReader r(base_block);
  uint32_t out = 0;
  for (size_t at = 0; at < kChecksum; at += 4) {
    uint32_t word = 0;
    if (!r.U32At(at, &word)) return false;
    out ^= word;
  }
  *sum = out;
  return true;
}

}  // namespace vx::regf

#endif  // VX_PLATFORM_OFFLINE_HIVE_FORMAT_H_
