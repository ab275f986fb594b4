// Wire constants shared by the library, the unit emulator and the tests: driver control codes,
// the request frame, request codes and unit status codes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zelproto {

// Request and response areas, and the frame inside them.
inline constexpr std::size_t kAreaSize = 260;
inline constexpr std::size_t kHeaderSize = 3;
inline constexpr std::size_t kMaxPayload = 255;
inline constexpr std::size_t kDataOffset = 3;
inline constexpr std::size_t kMaxResponseData = kAreaSize - kDataOffset;  // 257
inline constexpr std::uint8_t kLead = 0x3A;                               // ':'
inline constexpr std::size_t kStatusOffset = 1;

// Driver control codes. NT family: device type 0x22, buffered, any access.
inline constexpr std::uint32_t kNtRequest = 0x222004;
inline constexpr std::uint32_t kNtProbe = 0x222008;
// Windows 95 family (device ZELVXD).
inline constexpr std::uint32_t kVxdRequest = 0x1000;
inline constexpr std::uint32_t kVxdProbe = 0x1001;
inline constexpr std::uint32_t kVxdSelectPort = 0x1002;

// CreateFileA desired access masks.
inline constexpr std::uint32_t kAccessReadWrite = 0xC0000000u;
inline constexpr std::uint32_t kAccessNone = 0;

inline constexpr std::uint32_t kPlatformNt = 2;

inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 3;

namespace code {
inline constexpr std::uint8_t Memory = 1;
inline constexpr std::uint8_t ReadDirect = 2;
inline constexpr std::uint8_t DefineChannel = 3;
inline constexpr std::uint8_t ReadChannel = 4;
inline constexpr std::uint8_t ClearAllChannels = 5;
inline constexpr std::uint8_t ClearChannel = 6;
inline constexpr std::uint8_t StartScan = 7;
inline constexpr std::uint8_t StopScan = 8;
inline constexpr std::uint8_t ResetMM = 9;
inline constexpr std::uint8_t SetScanTime = 10;
inline constexpr std::uint8_t ReadLvdt = 11;
inline constexpr std::uint8_t ReadAnalog = 12;
inline constexpr std::uint8_t ReadFormula = 13;
inline constexpr std::uint8_t SetTfsv = 21;
inline constexpr std::uint8_t ReadTfsv = 22;
inline constexpr std::uint8_t SetAfsv = 23;
inline constexpr std::uint8_t ReadAfsv = 24;
inline constexpr std::uint8_t SetLvdtGain = 25;
inline constexpr std::uint8_t ReadLvdtGain = 26;
inline constexpr std::uint8_t SetLvdtFine = 27;
inline constexpr std::uint8_t ReadLvdtFine = 28;
inline constexpr std::uint8_t SetTzero = 32;
inline constexpr std::uint8_t ReadTzero = 33;
inline constexpr std::uint8_t SetLvdtNull = 34;
inline constexpr std::uint8_t ReadLvdtNull = 35;
inline constexpr std::uint8_t SetAzero = 42;
inline constexpr std::uint8_t ReadAzero = 43;
inline constexpr std::uint8_t SetCzero = 52;
inline constexpr std::uint8_t ReadCzero = 53;
inline constexpr std::uint8_t SetCscale = 54;
inline constexpr std::uint8_t ReadCscale = 55;
inline constexpr std::uint8_t SetFpIn = 80;
inline constexpr std::uint8_t SetFpOut = 81;
inline constexpr std::uint8_t SetMuxTime = 82;
inline constexpr std::uint8_t SetFpPrec = 83;
inline constexpr std::uint8_t GetFpIn = 84;
inline constexpr std::uint8_t GetFpOut = 85;
inline constexpr std::uint8_t GetFpPrec = 87;
inline constexpr std::uint8_t SetAdcAvg = 90;
inline constexpr std::uint8_t SetRunAvg = 91;
inline constexpr std::uint8_t SaveCalibration = 92;
inline constexpr std::uint8_t GetSaveStatus = 93;
}  // namespace code

namespace status {
inline constexpr std::uint8_t Ok = 0;
inline constexpr std::uint8_t BadChannel = 10;
inline constexpr std::uint8_t BadFormula = 12;
inline constexpr std::uint8_t BadFormula2 = 13;
inline constexpr std::uint8_t TableFull = 14;
inline constexpr std::uint8_t BadProbe = 15;
inline constexpr std::uint8_t BadFormula3 = 16;
inline constexpr std::uint8_t BadNumber = 17;
inline constexpr std::uint8_t BadSymbol = 18;
inline constexpr std::uint8_t TooComplex = 19;
inline constexpr std::uint8_t Circular = 20;
inline constexpr std::uint8_t MemoryFull = 21;
inline constexpr std::uint8_t BadFormula4 = 22;
inline constexpr std::uint8_t BadSet = 23;
inline constexpr std::uint8_t NotCommunicating = 255;
}  // namespace status

// Little-endian helpers for frames and the socket driver protocol.
inline void putU16(std::uint8_t *p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void putU32(std::uint8_t *p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}
inline std::uint16_t getU16(const std::uint8_t *p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t getU32(const std::uint8_t *p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace zelproto
