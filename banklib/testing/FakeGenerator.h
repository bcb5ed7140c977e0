// Brevane - an in-memory voice generator window for tests.
#pragma once

#include "banklib/GeneratorView.h"

namespace banklib::testing {

class FakeGenerator final : public GeneratorView {
public:
    void setContinuousEnabled(bool enabled) override { continuousEnabled = enabled; }
    std::int16_t WorkListFlag() const override { return workListFlag; }
    void setWorkListFlag(std::int16_t flag) override { workListFlag = flag; }
    void ResetState() override
    {
        workListFlag = 0;
        ++resets;
    }

    bool continuousEnabled = false;
    std::int16_t workListFlag = 0;
    int resets = 0;
};

}  // namespace banklib::testing
