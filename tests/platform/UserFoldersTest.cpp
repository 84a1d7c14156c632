#include "platform/UserFolders.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace trevix {
namespace {

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            previous_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (previous_)
            ::setenv(name_, previous_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> previous_;
};

TEST(UserFolders, AppDataRootHonoursAbsoluteXdgConfigHome) {
    test::TempDir dir;
    const ScopedEnv home("HOME", dir.Str().c_str());
    {
        const ScopedEnv config("XDG_CONFIG_HOME", "/somewhere/config");
        EXPECT_EQ(AppDataRootFromEnvironment(), "/somewhere/config");
    }
    {
        const ScopedEnv config("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(AppDataRootFromEnvironment(), dir.Path() / ".config");
    }
    {
        const ScopedEnv config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(AppDataRootFromEnvironment(), dir.Path() / ".config");
        EXPECT_EQ(HomeFolder(), dir.Path());
    }
}

TEST(UserFolders, DocumentsFolderIsEmptyWhenItDoesNotExist) {
    test::TempDir dir;
    const ScopedEnv home("HOME", dir.Str().c_str());
    const ScopedEnv config("XDG_CONFIG_HOME", (dir.Str() + "/cfg").c_str());
    EXPECT_TRUE(DocumentsFolder().empty());
    std::filesystem::create_directories(dir.Path() / "Documents");
    EXPECT_EQ(DocumentsFolder(), dir.Path() / "Documents");
}

TEST(UserFolders, CurrentFoldersTakeTheWorkingDirectory) {
    const UserFolders folders = CurrentUserFolders();
    EXPECT_EQ(folders.workingDirectory, std::filesystem::current_path());
}

} // namespace
} // namespace trevix
