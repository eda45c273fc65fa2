#pragma once

#include <string>

namespace marlin {

enum class Alignment { Left, Right, Center };

// One column of a report list. Widths are in twips (1440 to the inch), the unit the
// preferences file stores; views convert them to pixels for the screen they draw on.
struct ReportColumn {
    std::string header;
    int width = 1000;
    Alignment alignment = Alignment::Left;
};

}  // namespace marlin
