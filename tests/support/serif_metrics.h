// Made-up font widths shaped like a serif face's, for layouts tested without a font: lower case
// 17 px, capitals 23, 'm' and 'W' 30, Latin-1 letters 19, the rest 12, a blank 9; lines 37 px.
#pragma once

#include <cctype>

#include "game/text_fit.h"

namespace quillomar::test {

inline text_metrics serif_like() {
    text_metrics m;
    for (int c = 33; c < 256; ++c) {
        m.advance[c] = c < 127 && std::islower(c)   ? 17.0f
                       : c < 127 && std::isupper(c) ? 23.0f
                       : c >= 192                   ? 19.0f
                                                    : 12.0f;
    }
    m.advance['m'] = m.advance['W'] = 30.0f;
    m.advance[' '] = 9.0f;
    m.line_height = 37.0f;
    return m;
}

}  // namespace quillomar::test
