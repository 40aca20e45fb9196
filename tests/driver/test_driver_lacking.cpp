// SPDX-License-Identifier: GPL-3.0-or-later
// A maker's library that lacks one operation (the simulated PXI system's
// driver built without kq3917e_WriteModuleData, first on the library path):
// it is not used, and the report names what it lacks.
#include "kq3917e.h"

#include <gtest/gtest.h>

#include <string>

TEST(DriverLibrary, LackingOneOperationIsNamed)
{
    ASSERT_EQ(kq3917e_simulate(0), VI_SUCCESS); // as at start, also after a run in demonstration
    ViSession session = 77;
    ASSERT_EQ(kq3917e_init("PXI0::7-0.0::INSTR", VI_TRUE, VI_FALSE, &session),
              KQ3917E_ERROR_LIBRARY_INCOMPLETE);
    EXPECT_EQ(session, 0u);
    ViChar text[KQ3917E_MESSAGE_SIZE] = "";
    ASSERT_EQ(kq3917e_error_message(0, KQ3917E_ERROR_LIBRARY_INCOMPLETE, text), VI_SUCCESS);
    // Start-up reports show the first 80 characters of the text: the name is among them.
    EXPECT_EQ(std::string(text), "The maker's driver library lacks kq3917e_WriteModuleData (libkq3917e.so); "
                                 "only demonstration mode is available.");
    // The built-in driver answers instead, so the demonstration still works.
    ASSERT_EQ(kq3917e_simulate(1), VI_SUCCESS);
    ViInt16 function = -1;
    EXPECT_TRUE(kq3917e_queryMeasurement(0, &function) == VI_SUCCESS && function == 0) << function;
}
