// The unit's answers to request frames.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "protocol.h"
#include "request_table.h"
#include "unit.h"

namespace zelunit {

namespace {

namespace code = zelproto::code;
namespace st = zelproto::status;

float getFloat(const std::uint8_t *p) {
    return std::bit_cast<float>(zelproto::getU32(p));
}
void putFloat(std::uint8_t *p, double value) {
    zelproto::putU32(p, std::bit_cast<std::uint32_t>(static_cast<float>(value)));
}
std::int16_t getI16(const std::uint8_t *p) {
    return static_cast<std::int16_t>(zelproto::getU16(p));
}

}  // namespace

std::size_t Unit::handleRequest(const std::uint8_t *frame, std::size_t length, std::uint8_t *out,
                                std::size_t outSize, double seconds) {
    std::uint8_t area[zelproto::kAreaSize] = {};
    area[0] = zelproto::kLead;
    std::size_t dataLength = 0;
    std::uint8_t status = st::Ok;
    if (frame == nullptr || length < zelproto::kHeaderSize || frame[0] != zelproto::kLead) {
        status = unitstatus::BadFrame;
    } else if (frame[2] != length - zelproto::kHeaderSize) {
        status = unitstatus::BadLength;
    } else {
        status = dispatch(frame[1], frame + zelproto::kHeaderSize, frame[2],
                          area + zelproto::kDataOffset, &dataLength, seconds);
    }
    if (status != st::Ok) {
        // An error answer carries no data.
        std::memset(area + zelproto::kDataOffset, 0, zelproto::kMaxResponseData);
        dataLength = 0;
    }
    area[zelproto::kStatusOffset] = status;
    area[2] = static_cast<std::uint8_t>(std::min<std::size_t>(dataLength, 255));
    const std::size_t written = std::min(outSize, zelproto::kAreaSize);
    if (out != nullptr) {
        std::memcpy(out, area, written);
    }
    return out != nullptr ? written : 0;
}

std::uint8_t Unit::dispatch(std::uint8_t request, const std::uint8_t *p, std::size_t length,
                            std::uint8_t *data, std::size_t *dataLength, double seconds) {
    const zelproto::RequestRow *row = zelproto::findRequest(request);
    if (row == nullptr) {
        return unitstatus::UnknownRequest;
    }
    if (row->payload != zelproto::kVaries && length != static_cast<std::size_t>(row->payload)) {
        return unitstatus::BadLength;
    }
    const int n = length > 0 ? p[0] : 0;  // channel, probe or input number where one is sent
    auto reply = [&](std::size_t bytes) {
        *dataLength = bytes;
        return st::Ok;
    };
    // Answers of a fixed size take it from the table.
    auto replyFixed = [&] { return reply(static_cast<std::size_t>(row->answer)); };
    auto probeRead = [&](double value) {
        if (!inputs_.hasProbe(n)) {
            return st::BadProbe;
        }
        putFloat(data, value);
        return replyFixed();
    };

    switch (request) {
        case code::Memory: {
            if (p[0] != 0) {
                return unitstatus::BadValue;
            }
            const std::size_t count = zelproto::getU16(p + 1);
            if (count > zelproto::kMaxResponseData) {
                return unitstatus::BadLength;
            }
            std::uint8_t image[256] = {};
            memoryImage(image, sizeof image);
            const std::size_t address = zelproto::getU16(p + 3);
            for (std::size_t i = 0; i < count; ++i) {
                data[i] = address + i < sizeof image ? image[address + i] : 0;
            }
            return reply(count);
        }
        case code::ReadDirect: {
            if (length > kMaxDirectEntries) {
                return unitstatus::BadLength;
            }
            for (std::size_t i = 0; i < length; ++i) {
                const int entry = p[i];
                std::int16_t count = 0;
                if (inputs_.hasProbe(entry)) {
                    count = inputs_.probeCount(entry);
                } else if (entry > kDirectAnalogBase &&
                           inputs_.hasAnalog(entry - kDirectAnalogBase)) {
                    count = inputs_.analogCount(entry - kDirectAnalogBase);
                } else {
                    return st::BadProbe;
                }
                zelproto::putU16(data + 2 * i, static_cast<std::uint16_t>(count));
            }
            return reply(2 * length);
        }
        case code::DefineChannel: {
            // Channel, the text and its zero byte, which must be the last payload byte.
            if (length < 2 || p[length - 1] != 0 || std::memchr(p + 1, 0, length - 2) != nullptr) {
                return unitstatus::BadLength;
            }
            return channels_.define(
                n, std::string_view(reinterpret_cast<const char *>(p + 1), length - 2));
        }
        case code::ReadChannel:
            if (!channels_.hasChannel(n)) {
                return st::BadChannel;
            }
            putFloat(data, channels_.value(n));
            return replyFixed();
        case code::ClearAllChannels:
            channels_.clearAll();
            return st::Ok;
        case code::ClearChannel:
            return channels_.clear(n);
        case code::StartScan:
            scanning_ = true;
            return st::Ok;
        case code::StopScan:
            scanning_ = false;
            return st::Ok;
        case code::ResetMM:
            channels_.resetMinMax();
            return st::Ok;
        case code::SetScanTime: {
            const int time = zelproto::getU16(p);
            if (time < 1) {
                return unitstatus::BadValue;
            }
            scanTime_ = time;
            return st::Ok;
        }
        case code::ReadLvdt:
            return probeRead(inputs_.hasProbe(n) ? inputs_.probeReading(n) : 0.0);
        case code::ReadAnalog:
            if (!inputs_.hasAnalog(n)) {
                return st::BadProbe;
            }
            putFloat(data, inputs_.analogReading(n));
            return replyFixed();
        case code::ReadFormula: {
            if (!channels_.hasChannel(n)) {
                return st::BadChannel;
            }
            const std::string &text = channels_.formulaText(n);
            std::memcpy(data, text.data(), text.size());
            data[text.size()] = 0;
            return reply(text.size() + 1);
        }
        case code::SetTfsv:
        case code::SetTzero:
        case code::SetAfsv:
        case code::SetAzero:
        case code::SetCzero:
        case code::SetCscale: {
            const float value = getFloat(p + 1);
            const bool analog = request == code::SetAfsv || request == code::SetAzero;
            const bool channel = request == code::SetCzero || request == code::SetCscale;
            if (channel  ? !channels_.hasChannel(n)
                : analog ? !inputs_.hasAnalog(n)
                         : !inputs_.hasProbe(n)) {
                return channel ? st::BadChannel : st::BadProbe;
            }
            if (!std::isfinite(value)) {
                return unitstatus::BadValue;
            }
            switch (request) {
                case code::SetTfsv:
                    inputs_.setTfsv(n, value);
                    break;
                case code::SetTzero:
                    inputs_.setTzero(n, value);
                    break;
                case code::SetAfsv:
                    inputs_.setAfsv(n, value);
                    break;
                case code::SetAzero:
                    inputs_.setAzero(n, value);
                    break;
                case code::SetCzero:
                    channels_.setZero(n, value);
                    break;
                default:
                    channels_.setScale(n, value);
                    break;
            }
            return st::Ok;
        }
        case code::ReadTfsv:
            return probeRead(inputs_.hasProbe(n) ? inputs_.tfsv(n) : 0.0);
        case code::ReadTzero:
            return probeRead(inputs_.hasProbe(n) ? inputs_.tzero(n) : 0.0);
        case code::ReadAfsv:
        case code::ReadAzero:
            if (!inputs_.hasAnalog(n)) {
                return st::BadProbe;
            }
            putFloat(data, request == code::ReadAfsv ? inputs_.afsv(n) : inputs_.azero(n));
            return replyFixed();
        case code::ReadCzero:
        case code::ReadCscale:
            if (!channels_.hasChannel(n)) {
                return st::BadChannel;
            }
            putFloat(data, request == code::ReadCzero ? channels_.zero(n) : channels_.scale(n));
            return replyFixed();
        case code::SetLvdtGain:
        case code::SetLvdtFine:
        case code::SetLvdtNull: {
            if (!inputs_.hasProbe(n)) {
                return st::BadProbe;
            }
            AmplifierSettings settings = inputs_.amplifier(n);
            if (request == code::SetLvdtGain) {
                settings.coarse = p[1];
                settings.ri = p[2];
            } else if (request == code::SetLvdtFine) {
                settings.fine = getI16(p + 1);
            } else {
                settings.null = getI16(p + 1);
            }
            inputs_.setAmplifier(n, settings);
            return st::Ok;
        }
        case code::ReadLvdtGain:
        case code::ReadLvdtFine:
        case code::ReadLvdtNull: {
            if (!inputs_.hasProbe(n)) {
                return st::BadProbe;
            }
            const AmplifierSettings &settings = inputs_.amplifier(n);
            if (request == code::ReadLvdtGain) {
                data[0] = settings.coarse;
                data[1] = settings.ri;
            } else {
                const std::int16_t word =
                    request == code::ReadLvdtFine ? settings.fine : settings.null;
                zelproto::putU16(data, static_cast<std::uint16_t>(word));
            }
            return replyFixed();
        }
        case code::SetFpIn:
            fpIn_ = p[0];
            return st::Ok;
        case code::SetFpOut:
            fpOut_ = p[0];
            return st::Ok;
        case code::SetFpPrec:
            fpPrecision_ = p[0];
            return st::Ok;
        case code::SetMuxTime:
            muxTime_ = zelproto::getU16(p);
            return st::Ok;
        case code::GetFpIn:
        case code::GetFpOut:
        case code::GetFpPrec:
            data[0] = static_cast<std::uint8_t>(request == code::GetFpIn    ? fpIn_
                                                : request == code::GetFpOut ? fpOut_
                                                                            : fpPrecision_);
            return replyFixed();
        case code::SetAdcAvg:
        case code::SetRunAvg: {
            const int count = zelproto::getU16(p);
            const int most = request == code::SetAdcAvg ? kMaxAdcAverage : kMaxRunningAverage;
            if (count < 1 || count > most) {
                return unitstatus::BadValue;
            }
            if (request == code::SetAdcAvg) {
                inputs_.setAdcAverage(count);
            } else {
                inputs_.setRunningAverage(count);
            }
            return st::Ok;
        }
        case code::SaveCalibration:
            data[0] = startStore(seconds);
            return replyFixed();
        case code::GetSaveStatus:
            advance(seconds);
            data[0] = store_.busy ? 0 : 1;
            data[1] = store_.busy ? 0 : store_.error;
            return replyFixed();
        default:
            return unitstatus::UnknownRequest;
    }
}

}  // namespace zelunit
