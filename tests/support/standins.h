// The stand-in system components as the framework meets them: installed in
// the system directory of the Wine prefix (the test command puts the fresh
// build there), made missing for the length of one test, and impostors of
// them planted where an attacker could put files.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

// How many times the stand-in hot-corner provider under this registry key
// was told of a change.
DWORD ChangedCount(const char *providerKey);

// The Windows path of the system directory, and of one file in it.
std::string SystemDirectory();
std::string InstalledComponent(const std::string &fileName);

// The Windows path of the directory the build put the stand-ins in (they
// are copied from there into the system directory).
std::string StandinDirectory();

// The Windows path of the directory holding this test program.
std::string ProgramDirectory();

// While it lives, the named installed components are moved aside in the
// system directory, so the framework finds them missing. They are put back
// when it ends, also when the test fails; a run that died half-way is
// repaired by the next test command, which installs them afresh.
class ComponentsMissing {
public:
    explicit ComponentsMissing(std::initializer_list<const char *> fileNames);
    ~ComponentsMissing();
    ComponentsMissing(const ComponentsMissing &) = delete;
    ComponentsMissing &operator=(const ComponentsMissing &) = delete;

    // True when every named component is gone from the system directory.
    bool Ready() const;

private:
    std::vector<std::string> installed_;
};

// A directory with impostors in it: the planted library (see
// tests/standins/planted) under the names of the real components, which
// leaves a marker beside itself when anything loads it. Everything it put
// there goes when it ends, and the directory too if it made it.
class PlantedDirectory {
public:
    // A fresh directory under the temporary folder.
    PlantedDirectory();
    // An existing directory, such as the program's own.
    explicit PlantedDirectory(std::string existing);
    ~PlantedDirectory();
    PlantedDirectory(const PlantedDirectory &) = delete;
    PlantedDirectory &operator=(const PlantedDirectory &) = delete;

    const std::string &Path() const { return path_; }
    // The planted library as fileName. False when it could not be put there.
    bool Plant(const char *fileName);
    // Any file, copied there as fileName.
    bool Copy(const std::string &source, const char *fileName);
    // The impostors that were loaded, each as "file <- process".
    std::vector<std::string> Loaded() const;

private:
    std::string path_;
    bool made_ = false;
    std::vector<std::string> files_;
    std::vector<std::string> planted_;
};
