#include "tests/support/boxes_shown.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/message_box_watch.h"

namespace {

std::unique_ptr<MessageBoxWatch> ProcessWatch;

class AnswerEveryMessageBox : public ::testing::Environment {
public:
    void SetUp() override { ProcessWatch = std::make_unique<MessageBoxWatch>(); }
    void TearDown() override { ProcessWatch.reset(); }
};

::testing::Environment *const Registered =
    ::testing::AddGlobalTestEnvironment(new AnswerEveryMessageBox);

} // namespace

BoxesShown::BoxesShown() : first_(ProcessWatch ? ProcessWatch->Count() : 0) {}

ShownBoxes BoxesShown::List() const
{
    ShownBoxes shown;
    if (!ProcessWatch)
        return shown;
    std::vector<SeenMessageBox> seen = ProcessWatch->Seen();
    for (std::size_t i = static_cast<std::size_t>(first_); i < seen.size(); ++i)
        shown.emplace_back(seen[i].caption, seen[i].text);
    return shown;
}
