// Feeds arbitrary switch texts and previewer names to the reader that
// decides whether a preview switch names the separate previewer. The input
// is the switch text, a zero byte, and the name. Each text lies in a heap
// block of exactly its size, so the sanitizers catch a read past its end;
// the checks hold the word and the decision to a reference written with
// std::string.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "saver/previewer_name.h"
#include "tests/support/c_library_reference.h"

namespace {

// The word after the switch letter, within the first 99 characters.
std::string ReferenceWord(const std::string &text)
{
    const std::string head = text.substr(0, PreviewerTextSize - 1);
    if (head.empty())
        return "";
    const std::size_t start = head.find_first_not_of(' ', 1);
    if (start == std::string::npos)
        return "";
    return head.substr(start, head.find(' ', start) - start);
}

std::string LowerAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

std::unique_ptr<char[]> ExactCopy(const std::string &text)
{
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return copy;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    const std::size_t split = input.find('\0');
    const std::string text = input.substr(0, split);
    const std::string name = split == std::string::npos ? "" : LowerAscii(input.substr(split + 1).c_str());
    const auto exactText = ExactCopy(text);
    const auto exactName = ExactCopy(name);

    char word[PreviewerTextSize];
    std::memset(word, 'X', sizeof word);
    const std::size_t length = PreviewerWordAfterSwitch(exactText.get(), word);
    const std::string expected = ReferenceWord(text);
    Check(length == expected.size() && length < PreviewerTextSize);
    Check(word[length] == '\0' && expected == word);

    const bool named = !name.empty() && LowerAscii(expected) == name;
    Check(SwitchNamesPreviewer(exactText.get(), exactName.get()) == named);
    Check(SwitchNamesPreviewer(exactText.get(), "vistell") == (LowerAscii(expected) == "vistell"));
    // The word itself, lower-cased, always names the previewer it spells.
    if (!expected.empty())
        Check(SwitchNamesPreviewer(exactText.get(), ExactCopy(LowerAscii(expected)).get()));
    return 0;
}
