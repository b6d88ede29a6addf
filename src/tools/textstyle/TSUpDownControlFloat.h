#pragma once

#include "tools/textstyle/UpDownControl.h"

namespace folio {

// Tenths, one at a time: line spacing, indents and margins. Steps add up in
// binary floating point and are not rounded; the value is kept within the
// limits after every touch.
class TSUpDownControlFloat : public UpDownControl {
public:
    using UpDownControl::UpDownControl;

    double valueLS() const { return m_value; }
    void setValueLS(double value) { m_value = value; }
    double minimumAllowedValue() const { return m_minimum; }
    void setMinimumAllowedValue(double minimum) { m_minimum = minimum; }
    double maximumAllowedValue() const { return m_maximum; }
    void setMaximumAllowedValue(double maximum) { m_maximum = maximum; }

    void processTouchUp() override;

protected:
    bool canStepUp() const override { return m_value < m_maximum; }
    bool canStepDown() const override { return m_value > m_minimum; }
    std::u16string valueText() const override;
    double valueFontSize() const override { return 32; }

private:
    double m_value = 0;
    double m_minimum = 0;
    double m_maximum = 0;
};

} // namespace folio
