// The request exports: each packs its payload into the request area, makes one driver call (or
// answers itself in demonstration mode) and copies its outputs from the response area.
#include <cstring>

#include "messages.h"
#include "request_table.h"
#include "session.h"

namespace zelcomm {
namespace {

using zelproto::kAreaSize;
using zelproto::kDataOffset;
namespace code = zelproto::code;

constexpr std::size_t kMaxFormulaLength = zelproto::kMaxPayload - 2;  // channel byte, zero byte
constexpr std::int32_t kMaxDirectCopyCount = zelproto::kMaxResponseData / 2;

std::uint8_t *payload() {
    return session.request + kDataOffset;
}
std::uint8_t *data() {
    return session.response + kDataOffset;
}

std::uint8_t lowByte(std::int32_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}
std::uint16_t lowWord(std::int32_t value) {
    return static_cast<std::uint16_t>(value & 0xFFFF);
}

// What the library answers itself in demonstration mode.
void writeDemoAnswer(std::uint8_t requestCode) {
    const zelproto::RequestRow *row = zelproto::findRequest(requestCode);
    const zelproto::DemoAnswer answer = row != nullptr ? row->demo : zelproto::kDemoCleared;
    std::memset(data(), 0, answer.length);
    if (!answer.text.empty()) {  // an empty view may hold no pointer at all
        std::memcpy(data(), answer.text.data(), answer.text.size());
    }
}

// Sends the payload already in the request area and returns the status. Requests without a
// payload of their own still send `length` bytes: whatever the last request left there.
std::int32_t request(std::uint8_t requestCode, std::uint8_t length) {
    if (!session.demo) {
        session.request[0] = zelproto::kLead;
        session.request[1] = requestCode;
        session.request[2] = length;
        const bool ok = driverCall(requestControlCode(), session.request,
                                   zelproto::kHeaderSize + length, session.response, kAreaSize);
        session.lastCallSucceeded = ok ? 1 : 0;
        if (!ok) {
            reportStatus(ZEL_NOT_COMMUNICATING);  // enters demonstration mode
        }
    }
    if (session.demo) {
        writeDemoAnswer(requestCode);
        return 0;
    }
    std::int32_t status = session.response[zelproto::kStatusOffset];
    if (status == zelproto::status::Ok) {
        return 0;
    }
    if (status == zelproto::status::NotCommunicating) {
        status = ZEL_NOT_COMMUNICATING;
    }
    reportStatus(status);
    return status;
}

// The table's row of a request the library sends; a code without a row does not compile.
template <std::uint8_t Code>
constexpr const zelproto::RequestRow &rowOf() {
    static_assert(zelproto::knownRequest(Code), "request without a row");
    return zelproto::kRequests[zelproto::requestIndex(Code)];
}

// Sends a request of fixed payload length. The caller has packed `Packed` bytes, which must be
// the whole payload; with none packed, the request sends what the last one left there.
template <std::uint8_t Code, int Packed = 0>
std::int32_t sendRequest() {
    constexpr int length = rowOf<Code>().payload;
    static_assert(length != zelproto::kVaries, "the payload length varies: use request()");
    static_assert(Packed == 0 || Packed == length, "the payload packed is not the table's");
    return request(Code, static_cast<std::uint8_t>(length));
}

// Outputs copied from the answer must be as long as the answer.
template <std::uint8_t Code, std::size_t Bytes>
constexpr void checkAnswer() {
    static_assert(rowOf<Code>().answer == static_cast<int>(Bytes), "the answer is not the table's");
}

std::int32_t refuse(std::int32_t status, const char *text) {
    reportRefusal(text);
    return status;
}

std::int32_t refuseNull() {
    return refuse(ZEL_REFUSED_NULL, "Missing argument");
}

// A request whose payload is one number byte (channel, probe or input).
template <std::uint8_t Code>
std::int32_t numberRequest(std::int32_t number) {
    payload()[0] = lowByte(number);
    return sendRequest<Code, 1>();
}

template <std::uint8_t Code>
std::int32_t wordRequest(std::int32_t value) {
    zelproto::putU16(payload(), lowWord(value));
    return sendRequest<Code, 2>();
}

template <std::uint8_t Code>
std::int32_t readSingle(std::int32_t number, float *value) {
    checkAnswer<Code, sizeof *value>();
    const std::int32_t status = numberRequest<Code>(number);
    if (status == 0 && value != nullptr) {
        std::memcpy(value, data(), sizeof *value);
    }
    return status;
}

template <std::uint8_t Code>
std::int32_t writeSingle(std::int32_t number, const float *value) {
    if (value == nullptr) {
        return refuseNull();
    }
    payload()[0] = lowByte(number);
    std::memcpy(payload() + 1, value, sizeof *value);
    return sendRequest<Code, 1 + sizeof *value>();
}

template <std::uint8_t Code>
std::int32_t readWord(std::int32_t number, std::int16_t *value) {
    checkAnswer<Code, 2>();
    const std::int32_t status = numberRequest<Code>(number);
    if (value != nullptr) {
        *value = static_cast<std::int16_t>(zelproto::getU16(data()));
    }
    return status;
}

template <std::uint8_t Code>
std::int32_t readByte(std::int16_t *value) {
    checkAnswer<Code, 1>();
    const std::int32_t status = sendRequest<Code>();
    if (value != nullptr) {
        *value = static_cast<std::int16_t>(data()[0]);
    }
    return status;
}

template <std::uint8_t Code>
std::int32_t numberWordRequest(std::int32_t number, std::int32_t word) {
    payload()[0] = lowByte(number);
    zelproto::putU16(payload() + 1, lowWord(word));
    return sendRequest<Code, 3>();
}

// Request 2 with `count` list bytes. The list must fit the payload and its answer the area:
// anything else is refused before the request area is touched.
bool fitsDirectRead(std::int32_t count, const std::uint8_t *list, std::int32_t maxCount,
                    std::int32_t *refusal) {
    if (count < 0 || count > maxCount) {
        *refusal = refuse(ZEL_REFUSED_TOO_LONG, "Request too long");
        return false;
    }
    if (list == nullptr && count > 0) {
        *refusal = refuseNull();
        return false;
    }
    return true;
}

std::int32_t readDirect(std::int32_t count, const std::uint8_t *list) {
    if (count > 0) {
        std::memcpy(payload(), list, static_cast<std::size_t>(count));
    }
    return request(code::ReadDirect, static_cast<std::uint8_t>(count));
}

}  // namespace
}  // namespace zelcomm

using zelcomm::session;
namespace code = zelproto::code;

extern "C" {

ZEL_EXPORT int32_t ZELAPI ZelMemory(int32_t first, int32_t second, uint8_t **data) {
    uint8_t *p = zelcomm::payload();
    p[0] = 0;
    zelproto::putU16(p + 1, zelcomm::lowWord(second));
    zelproto::putU16(p + 3, zelcomm::lowWord(first));
    if (data != nullptr) {
        *data = zelcomm::data();
    }
    return zelcomm::sendRequest<code::Memory, 5>();
}

ZEL_EXPORT int32_t ZELAPI ZelReadDirect(int32_t count, const uint8_t *list, uint8_t **data) {
    int32_t refusal = 0;
    if (!zelcomm::fitsDirectRead(count, list, static_cast<int32_t>(zelproto::kMaxPayload),
                                 &refusal)) {
        return refusal;
    }
    const int32_t status = zelcomm::readDirect(count, list);
    if (data != nullptr) {
        *data = zelcomm::data();
    }
    return status;
}

ZEL_EXPORT int32_t ZELAPI ZelReadDirectCopy(int32_t count, const uint8_t *list, void *destination) {
    int32_t refusal = 0;
    if (!zelcomm::fitsDirectRead(count, list, zelcomm::kMaxDirectCopyCount, &refusal)) {
        return refusal;
    }
    const int32_t status = zelcomm::readDirect(count, list);
    if (destination != nullptr) {
        std::memcpy(destination, zelcomm::data(), 2 * static_cast<std::size_t>(count));
    }
    return status;
}

ZEL_EXPORT int32_t ZELAPI ZelDefineChannel(int32_t channel, const char *formula) {
    const std::size_t length = formula != nullptr ? std::strlen(formula) : 0;
    if (length == 0) {
        return zelcomm::numberRequest<code::ClearChannel>(channel);
    }
    if (length > zelcomm::kMaxFormulaLength) {
        return zelcomm::refuse(ZEL_REFUSED_TOO_LONG, "Formula too long");
    }
    uint8_t *p = zelcomm::payload();
    p[0] = zelcomm::lowByte(channel);
    std::memcpy(p + 1, formula, length + 1);
    return zelcomm::request(code::DefineChannel, static_cast<uint8_t>(length + 2));
}

ZEL_EXPORT int32_t ZELAPI ZelReadChannel(int32_t channel, float *value) {
    return zelcomm::readSingle<code::ReadChannel>(channel, value);
}

ZEL_EXPORT int32_t ZELAPI ZelClearAllChannels(void) {
    return zelcomm::sendRequest<code::ClearAllChannels>();
}

ZEL_EXPORT int32_t ZELAPI ZelClearChannel(int32_t channel) {
    return zelcomm::numberRequest<code::ClearChannel>(channel);
}

ZEL_EXPORT int32_t ZELAPI ZelStartScan(void) {
    return zelcomm::sendRequest<code::StartScan>();
}

ZEL_EXPORT int32_t ZELAPI ZelStopScan(void) {
    return zelcomm::sendRequest<code::StopScan>();
}

ZEL_EXPORT int32_t ZELAPI ZelResetMM(void) {
    return zelcomm::sendRequest<code::ResetMM>();
}

ZEL_EXPORT int32_t ZELAPI ZelSetScanTime(int32_t time) {
    return zelcomm::wordRequest<code::SetScanTime>(time);
}

ZEL_EXPORT int32_t ZELAPI ZelReadLvdt(int32_t probe, float *value) {
    return zelcomm::readSingle<code::ReadLvdt>(probe, value);
}

ZEL_EXPORT int32_t ZELAPI ZelReadAnalog(int32_t input, float *value) {
    return zelcomm::readSingle<code::ReadAnalog>(input, value);
}

ZEL_EXPORT int32_t ZELAPI ZelReadFormula(int32_t channel, char **text) {
    const int32_t status = zelcomm::numberRequest<code::ReadFormula>(channel);
    if (status == 0 && text != nullptr) {
        *text = reinterpret_cast<char *>(zelcomm::data());
    }
    return status;
}

ZEL_EXPORT int32_t ZELAPI ZelSetTfsv(int32_t probe, float *value) {
    return zelcomm::writeSingle<code::SetTfsv>(probe, value);
}

ZEL_EXPORT int32_t ZELAPI ZelReadTfsv(int32_t probe, float *value) {
    return zelcomm::readSingle<code::ReadTfsv>(probe, value);
}

ZEL_EXPORT int32_t ZELAPI ZelSetAfsv(int32_t input, float *value) {
    return zelcomm::writeSingle<code::SetAfsv>(input, value);
}

ZEL_EXPORT int32_t ZELAPI ZelReadAfsv(int32_t input, float *value) {
    return zelcomm::readSingle<code::ReadAfsv>(input, value);
}

ZEL_EXPORT int32_t ZELAPI ZelSetLvdtGain(int32_t probe, int32_t coarse, int32_t ri) {
    uint8_t *p = zelcomm::payload();
    p[0] = zelcomm::lowByte(probe);
    p[1] = zelcomm::lowByte(coarse);
    p[2] = zelcomm::lowByte(ri);
    return zelcomm::sendRequest<code::SetLvdtGain, 3>();
}

ZEL_EXPORT int32_t ZELAPI ZelReadLvdtGain(int32_t probe, uint8_t *coarse, uint8_t *ri) {
    zelcomm::checkAnswer<code::ReadLvdtGain, 2>();
    const int32_t status = zelcomm::numberRequest<code::ReadLvdtGain>(probe);
    if (coarse != nullptr) {
        *coarse = zelcomm::data()[0];
    }
    if (ri != nullptr) {
        *ri = zelcomm::data()[1];
    }
    return status;
}

ZEL_EXPORT int32_t ZELAPI ZelSetLvdtFine(int32_t probe, int32_t fine) {
    return zelcomm::numberWordRequest<code::SetLvdtFine>(probe, fine);
}

ZEL_EXPORT int32_t ZELAPI ZelReadLvdtFine(int32_t probe, int16_t *fine) {
    return zelcomm::readWord<code::ReadLvdtFine>(probe, fine);
}

ZEL_EXPORT int32_t ZELAPI ZelSetTzero(int32_t probe, float *value) {
    return zelcomm::writeSingle<code::SetTzero>(probe, value);
}

ZEL_EXPORT int32_t ZELAPI ZelReadTzero(int32_t probe, float *value) {
    return zelcomm::readSingle<code::ReadTzero>(probe, value);
}

ZEL_EXPORT int32_t ZELAPI ZelSetLvdtNull(int32_t probe, int32_t null) {
    return zelcomm::numberWordRequest<code::SetLvdtNull>(probe, null);
}

ZEL_EXPORT int32_t ZELAPI ZelReadLvdtNull(int32_t probe, int16_t *null) {
    return zelcomm::readWord<code::ReadLvdtNull>(probe, null);
}

ZEL_EXPORT int32_t ZELAPI ZelSetAzero(int32_t input, float *value) {
    return zelcomm::writeSingle<code::SetAzero>(input, value);
}

ZEL_EXPORT int32_t ZELAPI ZelReadAzero(int32_t input, float *value) {
    return zelcomm::readSingle<code::ReadAzero>(input, value);
}

ZEL_EXPORT int32_t ZELAPI ZelSetCzero(int32_t channel, float *value) {
    return zelcomm::writeSingle<code::SetCzero>(channel, value);
}

ZEL_EXPORT int32_t ZELAPI ZelReadCzero(int32_t channel, float *value) {
    return zelcomm::readSingle<code::ReadCzero>(channel, value);
}

ZEL_EXPORT int32_t ZELAPI ZelSetCscale(int32_t channel, float *value) {
    return zelcomm::writeSingle<code::SetCscale>(channel, value);
}

ZEL_EXPORT int32_t ZELAPI ZelReadCscale(int32_t channel, float *value) {
    return zelcomm::readSingle<code::ReadCscale>(channel, value);
}

ZEL_EXPORT int32_t ZELAPI ZelSetFpIn(int32_t value) {
    return zelcomm::numberRequest<code::SetFpIn>(value);
}

ZEL_EXPORT int32_t ZELAPI ZelSetFpOut(int32_t value) {
    return zelcomm::numberRequest<code::SetFpOut>(value);
}

ZEL_EXPORT int32_t ZELAPI ZelSetFpPrec(int32_t value) {
    return zelcomm::numberRequest<code::SetFpPrec>(value);
}

ZEL_EXPORT int32_t ZELAPI ZelSet_muxTime(int32_t time) {
    return zelcomm::wordRequest<code::SetMuxTime>(time);
}

ZEL_EXPORT int32_t ZELAPI ZelGetFpIn(int16_t *value) {
    return zelcomm::readByte<code::GetFpIn>(value);
}

ZEL_EXPORT int32_t ZELAPI ZelGetFpOut(int16_t *value) {
    return zelcomm::readByte<code::GetFpOut>(value);
}

ZEL_EXPORT int32_t ZELAPI ZelGetFpPrec(int16_t *value) {
    return zelcomm::readByte<code::GetFpPrec>(value);
}

ZEL_EXPORT int32_t ZELAPI ZelSetAdcAvg(int32_t count) {
    return zelcomm::wordRequest<code::SetAdcAvg>(count);
}

ZEL_EXPORT int32_t ZELAPI ZelSetRunAvg(int32_t count) {
    return zelcomm::wordRequest<code::SetRunAvg>(count);
}

ZEL_EXPORT int32_t ZELAPI ZelSaveCalibration(int16_t *result) {
    zelcomm::payload()[0] = 0;
    return zelcomm::readByte<code::SaveCalibration>(result);
}

ZEL_EXPORT int32_t ZELAPI ZelGetSaveStatus(int16_t *done, int16_t *error) {
    zelcomm::payload()[0] = 0;
    zelcomm::checkAnswer<code::GetSaveStatus, 2>();
    const int32_t status = zelcomm::sendRequest<code::GetSaveStatus, 1>();
    if (done != nullptr) {
        *done = static_cast<int16_t>(zelcomm::data()[0]);
    }
    if (error != nullptr) {
        *error = static_cast<int16_t>(zelcomm::data()[1]);
    }
    return status;
}

}  // extern "C"
