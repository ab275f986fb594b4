// What the unit's inputs see: the displacement at each probe and the value at each analog
// input, as the unit samples them. Each call is one sample, noise included.
#pragma once

namespace zelunit {

class SignalSource {
  public:
    virtual ~SignalSource() = default;
    // Probe n (1-based) at `seconds` since power-on, in the unit's reading units (for example
    // inches: 0.0123).
    virtual double probe(int n, double seconds) = 0;
    // Analog input n (1-based), in the input's own units.
    virtual double analog(int n, double seconds) = 0;
};

}  // namespace zelunit
