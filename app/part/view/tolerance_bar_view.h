// A result tile's tolerance bar: draws what toleranceBar() (part/tolerance_bar.h) computes, in
// the zones' colours of the palette chosen, with the tile's ink for its frame, marker and arrow.
#pragma once

#include <QWidget>
#include <optional>

#include "model/tolerance.h"
#include "model/verdict_marks.h"

namespace zelapp {

class ToleranceBarView : public QWidget {
  public:
    explicit ToleranceBarView(QWidget *parent = nullptr);

    void setBar(const ToleranceLimits &limits, std::optional<float> value, ToleranceVerdict verdict,
                ResultPalette palette, const Rgb &ink);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    ToleranceLimits limits_;
    std::optional<float> value_;
    ToleranceVerdict verdict_ = ToleranceVerdict::NotValid;
    ResultPalette palette_ = ResultPalette::Standard;
    Rgb ink_;
};

}  // namespace zelapp
