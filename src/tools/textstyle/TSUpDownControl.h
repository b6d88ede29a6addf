#pragma once

#include "tools/textstyle/UpDownControl.h"

#include <cstdint>

namespace folio {

// Whole points, one at a time: font sizes and paragraph spacing.
class TSUpDownControl : public UpDownControl {
public:
    using UpDownControl::UpDownControl;

    std::int64_t value() const { return m_value; }
    void setValue(std::int64_t value) { m_value = value; }
    std::int64_t minimumAllowedValue() const { return m_minimum; }
    void setMinimumAllowedValue(std::int64_t minimum) { m_minimum = minimum; }
    std::int64_t maximumAllowedValue() const { return m_maximum; }
    void setMaximumAllowedValue(std::int64_t maximum) { m_maximum = maximum; }

    void processTouchUp() override;

protected:
    bool canStepUp() const override { return m_value < m_maximum; }
    bool canStepDown() const override { return m_value > m_minimum; }
    std::u16string valueText() const override;
    double valueFontSize() const override { return 36; }
    std::u16string unit() const override { return u"pt"; }

private:
    std::int64_t m_value = 0;
    std::int64_t m_minimum = 0;
    std::int64_t m_maximum = 0;
};

} // namespace folio
