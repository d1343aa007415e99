// A fresh interactive program on the simulated desktop for each test, and a
// scratch folder for the files it opens and saves.
#ifndef MIRLOW_TESTS_INTERACTIVE_PROGRAM_H
#define MIRLOW_TESTS_INTERACTIVE_PROGRAM_H

#include <gtest/gtest.h>

#include "app/app.h"
#include "platform/sim/sim_control.h"
#include "tests/scratch_files.h"

class InteractiveProgramTest : public ::testing::Test {
  protected:
    ScratchFolder scratch;

    void SetUp() override {
        Restart();
    }
    void TearDown() override {
        SimReset();
    }
    static void Restart() {
        SimReset();
        int exitCode;
        ASSERT_TRUE(StartMirlow("", ShowNormal, &exitCode));
    }
    // As the menu, a toolbar button or an accelerator sends it.
    static void Command(int id) {
        PlatformSendMessage(gApp.mainWindow, MsgCommand, (uintptr_t)id, 0);
    }
};

#endif
