#include "model/inputs.h"

#include "base/runtime_text.h"

namespace zelapp {

namespace {
// A read that fails leaves the value as the library left it: 0 when it wrote nothing.
template <typename Read>
float readValue(Read read) {
    float value = 0;
    read(&value);
    return value;
}
}  // namespace

void Lvdt::SetDefaults(int n) {
    Index = n;
    Description = QStringLiteral("Lvdt") + rt::signedNumber(n);
    setZeroOffset(0);
    setFullScale(context_.state.LvdtFSV);
}

float Lvdt::Value(int lvdtNumber) const {
    return readValue([&](float *v) { context_.unit.ZelReadLvdt(lvdtNumber, v); });
}

float Lvdt::ZeroOffset() const {
    return readValue([&](float *v) { context_.unit.ZelReadTzero(Index, v); });
}

void Lvdt::setZeroOffset(float value) {
    context_.noteRefusal(RefusedItems::Item::Probe, Index,
                         context_.unit.ZelSetTzero(Index, &value));
}

float Lvdt::FullScale() const {
    return readValue([&](float *v) { context_.unit.ZelReadTfsv(Index, v); }) * 4;
}

void Lvdt::setFullScale(float value) {
    float unitValue = value / 4;
    context_.noteRefusal(RefusedItems::Item::Probe, Index,
                         context_.unit.ZelSetTfsv(Index, &unitValue));
}

void analog::SetDefaults(int n) {
    Index = n;
    Description = QStringLiteral("Analog ") + rt::signedNumber(n);
    setZeroOffset(0);
    setFullScale(1.0f);
}

float analog::Value(int analogNumber) const {
    return readValue([&](float *v) { context_.unit.ZelReadAnalog(analogNumber, v); });
}

float analog::ZeroOffset() const {
    return readValue([&](float *v) { context_.unit.ZelReadAzero(Index, v); });
}

void analog::setZeroOffset(float value) {
    context_.noteRefusal(RefusedItems::Item::Analog, Index,
                         context_.unit.ZelSetAzero(Index, &value));
}

float analog::FullScale() const {
    return readValue([&](float *v) { context_.unit.ZelReadAfsv(Index, v); });
}

void analog::setFullScale(float value) {
    context_.noteRefusal(RefusedItems::Item::Analog, Index,
                         context_.unit.ZelSetAfsv(Index, &value));
}

}  // namespace zelapp
