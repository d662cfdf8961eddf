// The unit tests' main: each test needs a process of its own, since the
// program keeps its state in program-wide variables, so a run of more than one
// test stops at once and says how to run them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

class OneTestAProcess : public testing::EmptyTestEventListener {
  void OnTestProgramStart(const testing::UnitTest &tests) override {
    if (tests.test_to_run_count() <= 1) return;
    std::fprintf(stderr,
                 "%d tests selected, but each needs a fresh process (the program's state is program-wide).\n"
                 "Run them all with: ctest --test-dir build/tests -LE e2e\n"
                 "or one with: --gtest_filter=Suite.Name (--gtest_list_tests names them)\n",
                 tests.test_to_run_count());
    std::exit(2);
  }
};

}  // namespace

int main(int argc, char **argv) {
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new OneTestAProcess);
  return RUN_ALL_TESTS();
}
