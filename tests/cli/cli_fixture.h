#pragma once
// The command line on the fake registry: three folders (Windows, Personal with My Music inside
// it), a system drive, a data drive and a boot partition.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>

#include "test_language.h"
#include "cli/command_line.h"
#include "platform/fake/fake_platform.h"
#include "platform/known_folder_ids.h"

namespace trovel::cli {

using platform::fake::FakeFile;
using platform::fake::FakeFolder;

constexpr std::int64_t GiB = 1024LL * 1024 * 1024;

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::SpeakForTests("C");  // English, as `language` starts
        FakeFolder& windows = fake.AddFolder("Windows", "C:\\Windows");
        windows.id = platform::FOLDERID_Windows;
        windows.category = platform::KF_CATEGORY_FIXED;
        windows.capability = 0x200;
        documents = &fake.AddFolder("Personal", "C:\\Users\\al\\Documents", "C:\\Users\\al\\Documents");
        music = &fake.AddFolder("My Music", "C:\\Users\\al\\Documents\\Music", "C:\\Users\\al\\Music");
        fake.volumes.push_back({"C:\\", platform::DriveType::Fixed, "System", true, {50 * GiB, 100 * GiB, 50 * GiB}, true});
        fake.volumes.push_back({"E:\\", platform::DriveType::Fixed, "Data", true, {70 * GiB, 200 * GiB, 70 * GiB}, true});
        fake.volumes.push_back({"F:\\", platform::DriveType::Fixed, "Boot", true, {1 * GiB, 2 * GiB, 1 * GiB}, true});
        fake.refusals["F:\\"] = platform::TargetRefusal::SystemPartition;
        Dir("C:\\Users\\al\\Documents");
        File("C:\\Users\\al\\Documents\\letter.txt", 1000);
        Dir("C:\\Users\\al\\Documents\\Music");
        File("C:\\Users\\al\\Documents\\Music\\song.mp3", 5000);
    }
    void Dir(const std::string& path) { fake.files[path] = FakeFile{platform::kAttributeDirectory, 0}; }
    void File(const std::string& path, std::int64_t size) { fake.files[path] = FakeFile{platform::kAttributeNormal, size}; }
    int Run(std::vector<std::string> args) {
        out.str({});
        err.str({});
        Console console{out, err};
        console.language = language;
        testing_support::SpeakForTests(language == Language::Hungarian ? "hu_HU.UTF-8" : "C");
        console.interrupted = &interrupted;
        console.stopSignal = &stopSignal;
        console.decimalSeparator = decimalSeparator;
        console.digitGroupSeparator = digitGroupSeparator;
        console.digitGrouping = digitGrouping;
        return RunCommandLine(args, fake, console);
    }

    platform::fake::FakePlatform fake;
    FakeFolder* documents = nullptr;
    FakeFolder* music = nullptr;
    std::ostringstream out, err;
    std::atomic<bool> interrupted{false};
    std::atomic<int> stopSignal{0};
    Language language = Language::English;
    std::string decimalSeparator;  // the numeric locale's; empty: the language's
    std::string digitGroupSeparator, digitGrouping;
};

}  // namespace trovel::cli
