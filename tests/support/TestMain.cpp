// Entry point of every test program: the QApplication on the offscreen
// platform first (as the framework's application would make it), the shell's
// COM classes registered, then the tests, each checked for blocks of the
// task allocator, the local heap and the global heap it leaves behind.

#include "com/ComTesting.h"
#include "shell32/ShellClasses.h"
#include "win32/GlobalMemoryTesting.h"
#include "win32/LocalMemoryTesting.h"
#include "win32/SysColors.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// Every block a test takes from the task allocator or the local heap must be
// back by its end.
class AllocatorBalance : public testing::EmptyTestEventListener {
    long long TaskBefore_ = 0;
    long long LocalBefore_ = 0;
    long long GlobalBefore_ = 0;

    void OnTestStart(const testing::TestInfo&) override
    {
        TaskBefore_ = com::testing::LiveTaskAllocations();
        LocalBefore_ = static_cast<long long>(win32::testing::LiveLocalAllocations());
        GlobalBefore_ = static_cast<long long>(win32::testing::LiveGlobalAllocations());
    }
    void OnTestEnd(const testing::TestInfo& info) override
    {
        const long long task = com::testing::LiveTaskAllocations();
        if (task != TaskBefore_)
            ADD_FAILURE() << info.test_suite_name() << "." << info.name() << " left " << (task - TaskBefore_)
                          << " task-allocator block(s) live";
        const long long local = static_cast<long long>(win32::testing::LiveLocalAllocations());
        if (local != LocalBefore_)
            ADD_FAILURE() << info.test_suite_name() << "." << info.name() << " left "
                          << (local - LocalBefore_) << " local-heap block(s) live";
        const long long global = static_cast<long long>(win32::testing::LiveGlobalAllocations());
        if (global != GlobalBefore_)
            ADD_FAILURE() << info.test_suite_name() << "." << info.name() << " left "
                          << (global - GlobalBefore_) << " global-heap block(s) live";
        // A failure a test set up but never reached must not hit the next test.
        if (win32::testing::CancelGlobalAllocationFailure())
            ADD_FAILURE() << info.test_suite_name() << "." << info.name()
                          << " left a global allocation failure pending";
    }
};

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    // Pixels are the same on every desktop: the standard scheme's colours.
    win32::SetFixedSysColors(true);
    // The start-up an application's package would run: the shell's classes.
    shell32::RegisterShellClasses();
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new AllocatorBalance);
    return RUN_ALL_TESTS();
}
