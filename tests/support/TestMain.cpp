// Shared main() of every test executable: each process gets its own HOME, config, data, cache,
// runtime and temp folders before the Qt application object exists, so tests never touch the
// user's settings and never see each other's files.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>

#ifdef VA_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/TestSupport.h"

namespace {

std::string makeProcessFolders()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/va-test-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(2);
    }
    const std::pair<const char*, const char*> folders[] = {
        {"HOME", "home"},          {"XDG_CONFIG_HOME", "config"}, {"XDG_DATA_HOME", "data"},
        {"XDG_CACHE_HOME", "cache"}, {"XDG_RUNTIME_DIR", "runtime"}, {"TMPDIR", "tmp"},
    };
    for (const auto& [variable, name] : folders) {
        const std::string path = pattern + "/" + name;
        std::filesystem::create_directory(path);
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        setenv(variable, path.c_str(), 1);
    }
    return pattern;
}

} // namespace

#if defined(__SANITIZE_THREAD__)
// The sound server's client library is not instrumented. It creates some of its own mutexes
// lazily and hands them to its event loop thread through atomics that ThreadSanitizer cannot
// see, so the first lock on such a mutex looks like a race with its allocation. Only reports
// whose access is that library's mutex itself are left out.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:pa_mutex_lock\n";
}

#ifdef VA_TEST_GUI
// Qt's raster painting splits large fills over threads of its own pool and syncs them with locks
// inside Qt that ThreadSanitizer cannot see; the memory those threads share is reached only by
// Qt's uninstrumented code. Accesses made from inside such libraries are left out; every access
// our own code makes is still checked.
extern "C" const char* __tsan_default_options()
{
    return "ignore_noninstrumented_modules=1";
}
#endif
#endif

int main(int argc, char** argv)
{
    const std::string root = makeProcessFolders();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    testing::InitGoogleTest(&argc, argv);
    int result;
    {
        TestApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (qEnvironmentVariableIsEmpty("VA_KEEP_TEST_FOLDERS")) {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    return result;
}
