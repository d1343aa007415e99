// A fixture for tests that work with real files on a fresh simulated
// desktop: a scratch folder of their own, and the desktop reset around them.
#ifndef MIRLOW_TESTS_SIM_SCRATCH_TEST_H
#define MIRLOW_TESTS_SIM_SCRATCH_TEST_H

#include <gtest/gtest.h>

#include "platform/sim/sim_control.h"
#include "tests/scratch_files.h"

class SimScratchTest : public ::testing::Test {
  protected:
    ScratchFolder folder;

    void SetUp() override {
        SimReset();
    }
    void TearDown() override {
        SimReset();
    }
};

#endif
