// Entry point of every test program: the QApplication on the offscreen
// platform first (as the framework's application would make it), then the
// tests, each checked for task-allocator blocks it leaves behind.

#include "com/ComTesting.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// Every block a test takes from the task allocator must be back by its end.
class TaskAllocatorBalance : public testing::EmptyTestEventListener {
    long long Before_ = 0;

    void OnTestStart(const testing::TestInfo&) override { Before_ = com::testing::LiveTaskAllocations(); }
    void OnTestEnd(const testing::TestInfo& info) override
    {
        const long long after = com::testing::LiveTaskAllocations();
        if (after != Before_)
            ADD_FAILURE() << info.test_suite_name() << "." << info.name() << " left "
                          << (after - Before_) << " task-allocator block(s) live";
    }
};

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new TaskAllocatorBalance);
    return RUN_ALL_TESTS();
}
