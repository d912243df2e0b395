// Feeds arbitrary bytes as a dialog template to the face replacement, in a
// heap block of exactly their size so the sanitizers catch a read past its
// end. A copy, when made, must read as a template again, with its face in
// the same place: replacing the face of the copy gives what replacing it
// in the input gives.
#include <cstdint>
#include <cstring>
#include <memory>

#include "config/dialog_font.h"
#include "tests/support/c_library_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::unique_ptr<unsigned char[]> exact(new unsigned char[size ? size : 1]);
    std::memcpy(exact.get(), data, size);
    const auto copy = WithFontFace(exact.get(), size, u"MS Shell Dlg");
    if (copy.empty())
        return 0;
    Check(copy.size() >= 18 && std::memcmp(copy.data(), exact.get(), 18) == 0);
    Check(WithFontFace(copy.data(), copy.size(), u"Tahoma") == WithFontFace(exact.get(), size, u"Tahoma"));
    return 0;
}
