// One watch answers every message box of a test process that links it
// (answer_every_box), for the whole run, so no fault can leave a test
// waiting for a person, and no two watches race for the same box. A test
// reads what was shown while a BoxesShown object of its own lived.
#pragma once
#include <string>
#include <utility>
#include <vector>

// (caption, text) of each message box, in the order shown.
using ShownBoxes = std::vector<std::pair<std::string, std::string>>;

class BoxesShown {
public:
    BoxesShown();
    ShownBoxes List() const;
    int Count() const { return static_cast<int>(List().size()); }

private:
    int first_;
};
