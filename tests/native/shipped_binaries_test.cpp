// The shipped Windows binaries, read as files: hardening flags, relocations,
// the application manifest of the programs, the savers' name and version,
// and stripping with the debug information kept in a separate file that
// the binary names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "resources/version.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<std::string> SplitPaths(const char *joined)
{
    std::vector<std::string> paths;
    std::stringstream stream(joined);
    for (std::string path; std::getline(stream, path, '|');)
        if (!path.empty())
            paths.push_back(path);
    return paths;
}

bool ReadFile(const std::string &path, Bytes &bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

std::uint32_t Crc32(const Bytes &bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

struct Section {
    std::string name;
    std::uint32_t virtualAddress, virtualSize, fileOffset, fileSize;
};

// The parts of a PE image the checks need. Every read is bounds-checked:
// a damaged file gives an empty image, not a crash.
class PeImage {
public:
    explicit PeImage(Bytes bytes) : bytes_(std::move(bytes)) { valid_ = Parse(); }

    bool Valid() const { return valid_; }
    bool Is64Bit() const { return magic_ == 0x20B; }
    std::uint16_t Machine() const { return machine_; }
    std::uint16_t FileCharacteristics() const { return fileCharacteristics_; }
    std::uint16_t DllCharacteristics() const { return dllCharacteristics_; }
    std::uint32_t SymbolCount() const { return symbolCount_; }
    const std::vector<Section> &Sections() const { return sections_; }

    // Size of data directory entry `index` (2 resources, 5 base relocations).
    std::uint32_t DirectorySize(int index) const { return DirectoryField(index, 4); }

    const Section *FindSection(const std::string &name) const
    {
        for (const Section &section : sections_)
            if (section.name == name)
                return &section;
        return nullptr;
    }

    Bytes SectionBytes(const Section &section) const
    {
        const std::uint32_t used = section.virtualSize ? section.virtualSize : section.fileSize;
        const std::uint32_t size = std::min(section.fileSize, used);
        if (!Fits(section.fileOffset, size))
            return {};
        return Bytes(bytes_.begin() + section.fileOffset, bytes_.begin() + section.fileOffset + size);
    }

    // The resource of this type and id (first language), as text.
    std::string Resource(std::uint32_t type, std::uint32_t id) const
    {
        const std::uint32_t root = RvaToOffset(DirectoryField(2, 0));
        std::uint32_t entry = 0;
        if (!root || !FindEntry(root, root, type, entry) || !(entry & 0x80000000u) ||
            !FindEntry(root, root + (entry & 0x7FFFFFFFu), id, entry) || !(entry & 0x80000000u) ||
            !FindEntry(root, root + (entry & 0x7FFFFFFFu), ~0u, entry) || (entry & 0x80000000u))
            return "";
        const std::uint32_t data = root + entry;
        if (!Fits(data, 8))
            return "";
        const std::uint32_t at = RvaToOffset(U32(data));
        const std::uint32_t size = U32(data + 4);
        if (!at || !Fits(at, size))
            return "";
        return std::string(bytes_.begin() + at, bytes_.begin() + at + size);
    }

private:
    bool Fits(std::uint64_t at, std::uint64_t size) const { return at + size <= bytes_.size(); }
    std::uint16_t U16(std::uint32_t at) const
    {
        return static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
    }
    std::uint32_t U32(std::uint32_t at) const
    {
        return U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16;
    }

    std::uint32_t DirectoryField(int index, int field) const
    {
        const std::uint32_t at =
            directories_ + 8u * static_cast<std::uint32_t>(index) + static_cast<std::uint32_t>(field);
        return index < directoryCount_ && Fits(at, 4) ? U32(at) : 0;
    }

    std::uint32_t RvaToOffset(std::uint32_t rva) const
    {
        for (const Section &section : sections_) {
            const std::uint32_t span = std::max(section.virtualSize, section.fileSize);
            if (rva >= section.virtualAddress && rva - section.virtualAddress < span)
                return rva - section.virtualAddress + section.fileOffset;
        }
        return 0;
    }

    // Looks up an id (or, with ~0, the first entry) in a resource directory.
    bool FindEntry(std::uint32_t root, std::uint32_t directory, std::uint32_t id, std::uint32_t &entry) const
    {
        if (!Fits(directory, 16))
            return false;
        const unsigned count = U16(directory + 12) + U16(directory + 14);
        for (unsigned i = 0; i < count; ++i) {
            const std::uint32_t at = directory + 16 + 8 * i;
            if (!Fits(at, 8))
                return false;
            if (id == ~0u || U32(at) == id) {
                entry = U32(at + 4);
                return (entry & 0x7FFFFFFFu) < bytes_.size() - root;
            }
        }
        return false;
    }

    bool Parse()
    {
        if (!Fits(0, 0x40) || bytes_[0] != 'M' || bytes_[1] != 'Z')
            return false;
        const std::uint32_t pe = U32(0x3C);
        if (!Fits(pe, 24) || std::memcmp(&bytes_[pe], "PE\0\0", 4) != 0)
            return false;
        machine_ = U16(pe + 4);
        const unsigned sectionCount = U16(pe + 6);
        const std::uint32_t symbolTable = U32(pe + 12);
        symbolCount_ = U32(pe + 16);
        const std::uint32_t optional = pe + 24;
        const unsigned optionalSize = U16(pe + 20);
        fileCharacteristics_ = U16(pe + 22);
        if (!Fits(optional, optionalSize) || optionalSize < 96)
            return false;
        magic_ = U16(optional);
        dllCharacteristics_ = U16(optional + 70);
        const std::uint32_t countAt = optional + (Is64Bit() ? 108 : 92);
        directories_ = countAt + 4;
        directoryCount_ = static_cast<int>(U32(countAt));
        // Long section names ("/4") live in the string table after the symbols.
        const std::uint64_t strings = symbolTable + 18ull * symbolCount_;
        for (unsigned i = 0; i < sectionCount; ++i) {
            const std::uint32_t at = optional + optionalSize + 40 * i;
            if (!Fits(at, 40))
                return false;
            const char *shortName = reinterpret_cast<const char *>(&bytes_[at]);
            std::string name(shortName, strnlen(shortName, 8));
            if (name.size() > 1 && name[0] == '/' && symbolTable) {
                const std::uint64_t offset = strings + std::strtoul(name.c_str() + 1, nullptr, 10);
                if (offset >= bytes_.size())
                    return false;
                const char *text = reinterpret_cast<const char *>(&bytes_[offset]);
                name.assign(text, strnlen(text, bytes_.size() - offset));
            }
            sections_.push_back({name, U32(at + 12), U32(at + 8), U32(at + 20), U32(at + 16)});
        }
        return true;
    }

    Bytes bytes_;
    bool valid_ = false;
    std::uint16_t machine_ = 0, magic_ = 0, fileCharacteristics_ = 0, dllCharacteristics_ = 0;
    std::uint32_t symbolCount_ = 0, directories_ = 0;
    int directoryCount_ = 0;
    std::vector<Section> sections_;
};

constexpr std::uint16_t RelocsStripped = 0x0001;
constexpr std::uint16_t HighEntropyVa = 0x0020;
constexpr std::uint16_t DynamicBase = 0x0040;
constexpr std::uint16_t NxCompat = 0x0100;
constexpr std::uint32_t ResourceManifest = 24;
constexpr int ResourceDirectory = 2;
constexpr int RelocationDirectory = 5;

void ExpectHardened(const std::string &path, const PeImage &image)
{
    EXPECT_TRUE(image.DllCharacteristics() & DynamicBase) << path << ": no DYNAMIC_BASE";
    EXPECT_TRUE(image.DllCharacteristics() & NxCompat) << path << ": no NX_COMPAT";
    if (image.Is64Bit())
        EXPECT_TRUE(image.DllCharacteristics() & HighEntropyVa) << path << ": no HIGH_ENTROPY_VA";
    EXPECT_FALSE(image.FileCharacteristics() & RelocsStripped) << path << ": relocations stripped";
    EXPECT_GT(image.DirectorySize(RelocationDirectory), 0u) << path << ": no base relocation table";
}

void ExpectStrippedWithDebugLink(const std::string &path, const PeImage &image)
{
    EXPECT_EQ(image.SymbolCount(), 0u) << path << ": still has a COFF symbol table";
    for (const Section &section : image.Sections())
        EXPECT_NE(section.name.rfind(".debug", 0), 0u) << path << ": still has " << section.name;

    const Section *link = image.FindSection(".gnu_debuglink");
    ASSERT_NE(link, nullptr) << path << ": no debug link";
    const Bytes content = image.SectionBytes(*link);
    const char *text = reinterpret_cast<const char *>(content.data());
    const std::string name(text, strnlen(text, content.size()));
    const std::string expectedName = path.substr(path.find_last_of('/') + 1) + ".debug";
    EXPECT_EQ(name, expectedName) << path;
    // The CRC follows the name, its zero and padding to four bytes.
    const std::size_t crcAt = (name.size() + 4) & ~std::size_t{3};
    ASSERT_GE(content.size(), crcAt + 4) << path;
    const std::uint32_t crc = content[crcAt] | content[crcAt + 1] << 8 | content[crcAt + 2] << 16 |
                              static_cast<std::uint32_t>(content[crcAt + 3]) << 24;

    Bytes debugBytes;
    ASSERT_TRUE(ReadFile(path + ".debug", debugBytes)) << path << ".debug is missing";
    EXPECT_EQ(Crc32(debugBytes), crc) << path << ".debug is not the one the binary names";
    PeImage debug(std::move(debugBytes));
    EXPECT_TRUE(debug.Valid() && debug.FindSection(".debug_info")) << path << ".debug holds no DWARF";
}

// The text of the first element of that name in the manifest whose opening
// tag carries exactly that namespace, or "(none)". The loader ignores a
// DPI setting in any other namespace or outside the asm.v3 application's
// windowsSettings.
std::string SettingText(const std::string &manifest, const std::string &name, const char *ns)
{
    const std::string settings = "<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">";
    const std::size_t start = manifest.find(settings);
    const std::size_t inside = manifest.find("<windowsSettings>", start);
    const std::size_t end = manifest.find("</windowsSettings>", inside);
    if (start == std::string::npos || inside == std::string::npos || end == std::string::npos)
        return "(none)";
    const std::string open = "<" + name + " xmlns=\"" + ns + "\">";
    const std::size_t at = manifest.find(open, inside);
    const std::size_t close = manifest.find("</" + name + ">", at);
    if (at == std::string::npos || close == std::string::npos || close > end)
        return "(none)";
    return manifest.substr(at + open.size(), close - at - open.size());
}

// Per-monitor version 2 where the system knows it; system-aware wherever
// it does not. Version 1 would leave every dialog at its first monitor's
// scale, so it must not come before System in the list, nor be what
// dpiAware says ("true/pm", "per monitor").
void ExpectDpiAwareness(const std::string &path, const std::string &manifest)
{
    EXPECT_EQ(SettingText(manifest, "dpiAware", "http://schemas.microsoft.com/SMI/2005/WindowsSettings"), "true")
        << path;
    EXPECT_EQ(SettingText(manifest, "dpiAwareness", "http://schemas.microsoft.com/SMI/2016/WindowsSettings"),
              "PerMonitorV2, System")
        << path;
    // The framework's ANSI calls carry every language where UTF-8 is the code page.
    EXPECT_EQ(SettingText(manifest, "activeCodePage", "http://schemas.microsoft.com/SMI/2019/WindowsSettings"), "UTF-8")
        << path;
}

void ExpectManifest(const std::string &path, const PeImage &image)
{
    ASSERT_GT(image.DirectorySize(ResourceDirectory), 0u) << path << ": no resources";
    const std::string manifest = image.Resource(ResourceManifest, 1);
    ASSERT_FALSE(manifest.empty()) << path << ": no manifest resource 1";
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << path;
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos) << path;
    for (const char *system : {"{e2011457-1546-43c5-a5fe-008deee3d3f0}",   // Vista
                               "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",   // 7
                               "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",   // 8
                               "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",   // 8.1
                               "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})  // 10 and 11
        EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + system + "\"/>"), std::string::npos)
            << path << ": " << system;
    ExpectDpiAwareness(path, manifest);
}

constexpr std::uint32_t ResourceString = 6;
constexpr std::uint32_t ResourceVersion = 16;

// UTF-16 to text, keeping only the low byte: the names checked are ASCII.
std::string Narrow(const std::string &data, std::size_t at, std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count && at + 2 * i + 1 < data.size(); ++i)
        text += data[at + 2 * i];
    return text;
}

// String `id` of a string-table block: sixteen counted UTF-16 strings.
std::string TableString(const std::string &block, unsigned id)
{
    std::size_t at = 0;
    for (unsigned i = 0; i <= id % 16; ++i) {
        if (at + 2 > block.size())
            return "(none)";
        const std::size_t count = static_cast<std::uint8_t>(block[at]) | static_cast<std::uint8_t>(block[at + 1]) << 8;
        if (i == id % 16)
            return Narrow(block, at + 2, count);
        at += 2 + 2 * count;
    }
    return "(none)";
}

// The text value of `key` in version information: nodes of length, value
// length, type and a UTF-16 key, then the value and the children, each on
// a four-byte boundary. A node that overruns its parent ends the search.
std::string VersionText(const std::string &data, std::size_t begin, std::size_t end, const std::string &key)
{
    auto u16 = [&](std::size_t at) {
        return static_cast<std::size_t>(static_cast<std::uint8_t>(data[at]) | static_cast<std::uint8_t>(data[at + 1]) << 8);
    };
    for (std::size_t node = begin; node + 6 <= end;) {
        const std::size_t length = u16(node), valueLength = u16(node + 2), type = u16(node + 4);
        if (length < 6 || node + length > end)
            break;
        std::size_t at = node + 6, keyLength = 0;
        while (at + 2 * keyLength + 1 < node + length && u16(at + 2 * keyLength))
            ++keyLength;
        const std::string name = Narrow(data, at, keyLength);
        const std::size_t value = (at + 2 * keyLength + 2 + 3) & ~std::size_t{3};
        if (name == key && type == 1 && valueLength > 0 && value + 2 * valueLength <= node + length)
            return Narrow(data, value, valueLength - 1);
        const std::size_t children = (value + (type == 1 ? 2 : 1) * valueLength + 3) & ~std::size_t{3};
        const std::string found = VersionText(data, children, node + length, key);
        if (found != "(none)")
            return found;
        node = (node + length + 3) & ~std::size_t{3};
    }
    return "(none)";
}

// The name the display settings list is string 1; the version resource
// names the product and the framework's version.
void ExpectIdentity(const std::string &path, const PeImage &image, const std::string &name)
{
    EXPECT_EQ(TableString(image.Resource(ResourceString, 1), 1), name) << path;
    const std::string version = image.Resource(ResourceVersion, 1);
    ASSERT_FALSE(version.empty()) << path << ": no version resource";
    EXPECT_EQ(VersionText(version, 0, version.size(), "ProductName"), name) << path;
    EXPECT_EQ(VersionText(version, 0, version.size(), "FileVersion"), DUSKLIT_VERSION_TEXT) << path;
    EXPECT_EQ(VersionText(version, 0, version.size(), "ProductVersion"), DUSKLIT_VERSION_TEXT) << path;
}

// A saver never keeps the display or the system awake: no binary names
// the calls that would, in its imports or for a lookup at run time.
void ExpectNoWakeRequests(const std::string &path, const Bytes &bytes)
{
    const std::string text(bytes.begin(), bytes.end());
    for (const char *call : {"SetThreadExecutionState", "PowerSetRequest", "PowerCreateRequest"})
        EXPECT_EQ(text.find(call), std::string::npos) << path << " names " << call;
}

void CheckShipped(const char *joined, bool program)
{
    const std::vector<std::string> paths = SplitPaths(joined);
    ASSERT_FALSE(paths.empty()) << "the build passed no binaries";
    for (const std::string &path : paths) {
        Bytes bytes;
        ASSERT_TRUE(ReadFile(path, bytes)) << path << " is not built";
        ExpectNoWakeRequests(path, bytes);
        const PeImage image(std::move(bytes));
        ASSERT_TRUE(image.Valid()) << path << " is no PE image";
        // Every binary of a build is of its width: i386 (PE32) or x86-64 (PE32+).
        EXPECT_EQ(image.Machine(), DUSKLIT_SHIPPED_WIDTH == 64 ? 0x8664 : 0x14C) << path;
        EXPECT_EQ(image.Is64Bit(), DUSKLIT_SHIPPED_WIDTH == 64) << path;
        ExpectHardened(path, image);
        if (DUSKLIT_SHIPPED_DEBUG_LINKS)
            ExpectStrippedWithDebugLink(path, image);
        if (program)
            ExpectManifest(path, image);
    }
}

} // namespace

TEST(ShippedBinary, ProgramsAreHardenedStrippedAndCarryTheManifest)
{
    CheckShipped(DUSKLIT_SHIPPED_PROGRAMS, true);
}

TEST(ShippedBinary, SaversCarryTheirNameAndVersion)
{
    const std::pair<std::string, std::string> savers[] = {{"/brix.scr", "Brix"}, {"/example.scr", "Starfield"}};
    const std::vector<std::string> paths = SplitPaths(DUSKLIT_SHIPPED_PROGRAMS);
    for (const auto &saver : savers) {
        const auto path = std::find_if(paths.begin(), paths.end(), [&saver](const std::string &p) {
            return p.size() >= saver.first.size() &&
                   p.compare(p.size() - saver.first.size(), std::string::npos, saver.first) == 0;
        });
        ASSERT_NE(path, paths.end()) << saver.first << " is not among the shipped programs";
        Bytes bytes;
        ASSERT_TRUE(ReadFile(*path, bytes)) << *path << " is not built";
        ExpectIdentity(*path, PeImage(std::move(bytes)), saver.second);
    }
}

TEST(ShippedBinary, LibrariesAreHardenedAndStripped)
{
    CheckShipped(DUSKLIT_SHIPPED_LIBRARIES, false);
}
