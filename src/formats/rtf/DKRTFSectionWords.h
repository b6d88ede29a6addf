#pragma once

#include "engine/model/TESectionBreak.h"

namespace folio {

class DKRTFDataBuffer;

// The control words that give a section its page ("\sbknone\pgwsxn12240
// \lndscpsxn..."), after the "\sectd" that starts from the defaults. Only
// what the settings give is written; nothing is for a default.
class DKRTFSectionWords {
public:
    static void append(DKRTFDataBuffer& buffer, const TESectionBreak::Settings& section);
};

} // namespace folio
