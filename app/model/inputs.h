// The unit's physical inputs: LVDT probes and analog inputs. Thin proxies: the number and the
// operator's label live here, zero offset, full scale and value on the unit.
#pragma once

#include <QString>

#include "model/model_context.h"

namespace zelapp {

class Lvdt {
  public:
    explicit Lvdt(const ModelContext &context) : context_(context) {}

    int Index = 0;
    QString Description;

    // Binds to probe n; sends zero offset 0 and full scale LvdtFSV.
    void SetDefaults(int n);
    float Value(int lvdtNumber) const;

    float ZeroOffset() const;
    void setZeroOffset(float value);
    // The unit holds a quarter of the full scale the operator works with.
    float FullScale() const;
    void setFullScale(float value);

  private:
    ModelContext context_;
};

class analog {
  public:
    explicit analog(const ModelContext &context) : context_(context) {}

    int Index = 0;
    QString Description;

    // Binds to analog input n; sends zero offset 0 and full scale 1.
    void SetDefaults(int n);
    float Value(int analogNumber) const;

    float ZeroOffset() const;
    void setZeroOffset(float value);
    float FullScale() const;
    void setFullScale(float value);

  private:
    ModelContext context_;
};

}  // namespace zelapp
