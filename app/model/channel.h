// One computed channel of the unit: the operator's settings for it, and a proxy for its
// formula, zero offset, scaling and value on the unit.
#pragma once

#include <QString>
#include <cstdint>

#include "model/model_context.h"

namespace zelapp {

class Channel {
  public:
    explicit Channel(const ModelContext &context) : context_(context) {}

    int Index = 0;  // 0 until SetDefaults binds the object to a channel
    QString Description;
    int Decimals = 0;
    QString Units;
    bool UseTwoMasters = false;
    float Master1 = 0;
    float Master2 = 0;
    float HiTol = 0;
    float LoTol = 0;
    float HiAppr = 0;
    float LoAppr = 0;
    float BarDisplayTop = 0;
    float BarDisplayBot = 0;
    bool InUse = false;

    // Binds the object to channel n and resets it and the channel on the unit.
    void SetDefaults(int n);

    // The formula the unit holds for the channel.
    const QString &Formula() const { return formula_; }
    // Sends the text to the unit (an empty text clears the channel) and keeps it once the unit
    // took it; a formula the unit refuses leaves the one it holds. Returns the unit's status.
    int32_t setFormula(const QString &formula);

    float Value(int chanNumber) const;

    float ZeroOffset() const;
    void setZeroOffset(float value);
    float Scaling() const;
    void setScaling(float value);

  private:
    ModelContext context_;
    QString formula_;
};

}  // namespace zelapp
