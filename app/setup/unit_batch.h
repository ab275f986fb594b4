// The setup going to the unit as a whole: a load, a new setup, other counts, the defaults at
// start-up. Each request the unit refuses would otherwise be a box of the library's, one per
// request (three per channel the unit lacks); within a batch the boxes are off and the refused
// items are told in one message when the outermost batch ends. Batches nest: an inner one only
// adds to the outer's message.
#pragma once

#include <optional>

#include "model/model_context.h"
#include "unit/library_boxes.h"

namespace zelapp {

class UnitBatch {
  public:
    explicit UnitBatch(const ModelContext &context);
    ~UnitBatch();
    UnitBatch(const UnitBatch &) = delete;
    UnitBatch &operator=(const UnitBatch &) = delete;

  private:
    ModelContext context_;
    std::optional<LibraryBoxesOff> quiet_;  // the outermost batch only
};

}  // namespace zelapp
