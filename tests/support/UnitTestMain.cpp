// The unit tests' main: a test program started as another process for a
// test runs that process's part instead of the tests.
#include <gmock/gmock.h>

#include "ChildProcess.h"

int main(int argc, char** argv) {
    if (const auto status = kivra::test::RunChildIfAsked(argc, argv)) return *status;
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
