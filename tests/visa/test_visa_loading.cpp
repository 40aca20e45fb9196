// SPDX-License-Identifier: GPL-3.0-or-later
// VISA and the maker's driver loaded at run time from the simkit's stand-in
// libraries, found through the ordinary library search path.
#include "kq3917e.h"
#include "visa.h"
#include "visa_testseam.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace
{

// One process per directory (see CMakeLists.txt).
TEST(LibrarySearch, LoadsTheExpectedName)
{
    ASSERT_NE(std::getenv("UCT_TEST_VISA_LIBRARY"), nullptr);
    ViSession rm = VI_NULL;
    EXPECT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    EXPECT_STREQ(visatest::LoadedLibrary(), std::getenv("UCT_TEST_VISA_LIBRARY"));
}

TEST(NoLibrary, EveryCallFailsWithoutCrashing)
{
    if (*visatest::LoadedLibrary())
        GTEST_SKIP() << "a VISA library is installed on this machine: " << visatest::LoadedLibrary();
    ViSession rm = 77, vi = 77;
    ViFindList list = 77;
    ViUInt32 count = 77;
    ViChar desc[VI_FIND_BUFLEN] = "";
    ViUInt16 value = 0;
    for (ViStatus status :
         {viOpenDefaultRM(&rm), viFindRsrc(1, "PXI?*INSTR", &list, &count, desc), viFindNext(1, desc),
          viOpen(1, "PXI0::7-0.0::INSTR", 0, 0, &vi), viGetAttribute(1, VI_ATTR_SLOT, &value),
          viIn16(1, VI_PXI_BAR0_SPACE, 0x100010, &value), viOut16(1, VI_PXI_BAR0_SPACE, 0x100200, 1),
          viClose(1), viOpenDefaultRM(nullptr), viFindRsrc(1, "PXI?*INSTR", nullptr, nullptr, nullptr)})
        EXPECT_EQ(status, VI_ERROR_LIBRARY_NFOUND);
    EXPECT_EQ(std::vector<ViUInt32>({rm, vi, list, count}), std::vector<ViUInt32>(4, 0));
}

// The simulated PXI system.
class Simkit : public testing::Test
{
  protected:
    void chassis(const std::string &description)
    {
        setenv("UCT_SIMKIT_CHASSIS", description.c_str(), 1);
        kq3917e_simulate(0);
        ASSERT_EQ(viOpenDefaultRM(&rm_), VI_SUCCESS);
    }
    // Stands up one module with the given switches and opens it.
    ViSession module(const std::string &switches = "")
    {
        chassis(kModule + switches);
        ViSession vi = VI_NULL;
        EXPECT_EQ(viOpen(rm_, kModule, 0, 0, &vi), VI_SUCCESS);
        return vi;
    }

    static constexpr const char *kModule = "PXI0::7-0.0::INSTR";
    ViSession rm_ = VI_NULL;
};

// n modules among a GPIB instrument and a PXI memory resource: only the PXI
// instruments are found, in order.
class SimkitChassis : public Simkit, public testing::WithParamInterface<int>
{
};

TEST_P(SimkitChassis, FindsEveryModuleInOrder)
{
    std::vector<std::string> modules;
    std::string description = "GPIB0::5::INSTR";
    for (int i = 0; i < GetParam(); ++i)
        description += ";" + modules.emplace_back("PXI0::" + std::to_string(i + 2) + "-0.0::INSTR");
    chassis(description + ";PXI0::MEMACC");
    ViFindList list = VI_NULL;
    ViUInt32 count = 99;
    ViChar desc[VI_FIND_BUFLEN] = "";
    const ViStatus status = viFindRsrc(rm_, "PXI?*INSTR", &list, &count, desc);
    ASSERT_EQ(count, modules.size());
    EXPECT_EQ(status, modules.empty() ? VI_ERROR_RSRC_NFOUND : VI_SUCCESS);
    std::vector<std::string> found;
    for (ViStatus s = status; s == VI_SUCCESS; s = viFindNext(list, desc))
        found.push_back(desc);
    EXPECT_EQ(found, modules);
}

INSTANTIATE_TEST_SUITE_P(Modules, SimkitChassis, testing::Values(0, 1, 2, 12));

// 16-bit attributes are written as 16 bits: a slot of 65535 reads as -1 and
// the bytes beside the value stay untouched.
TEST_F(Simkit, SixteenBitAttributes)
{
    const ViSession vi = module(",slot=65535,vendor=0xF00D,model=0x8001"); // the last two read as negative
    for (auto [attr, expected] : {std::pair<ViAttr, int>{VI_ATTR_SLOT, -1},
                                  {VI_ATTR_MANF_ID, -0xFF3},
                                  {VI_ATTR_MODEL_CODE, -0x7FFF}}) {
        ViInt16 value[2] = {0x2AAA, 0x2AAA};
        ASSERT_EQ(viGetAttribute(vi, attr, value), VI_SUCCESS);
        EXPECT_EQ(value[0], expected) << std::hex << attr;
        EXPECT_EQ(value[1], 0x2AAA);
    }
}

// The bus address is 64-bit: an offset above 4 GiB must reach the library
// intact and be refused, not be cut to the response register below it.
TEST_F(Simkit, OffsetAbove4GiBArrivesIntact)
{
    const ViSession vi = module();
    ViUInt16 value = 0x1234;
    EXPECT_EQ(viIn16(vi, VI_PXI_BAR0_SPACE, (ViBusAddress{1} << 32) + 0x100010, &value), VI_ERROR_INV_OFFSET);
    EXPECT_EQ(value, 0x1234);
    EXPECT_EQ(viIn16(vi, VI_PXI_BAR0_SPACE, 0x100010, &value), VI_SUCCESS);
}

// Firmware blocks through the mailbox: bytes, block number and byte count
// with viOut16, the command through the stand-in driver, the answer (and a
// refusal's error code) with viIn16. Blocks are checked (checksum 1, order 3,
// byte count 2) and the chassis' switch refuses block 1 (code 5).
TEST_F(Simkit, FirmwareMailboxRoundTripWithARefusedBlock)
{
    chassis(std::string(kModule) + ",refuseblock=1:5,latency=2");
    ViSession vi = VI_NULL;
    ASSERT_EQ(kq3917e_init(kModule, 1, 0, &vi), VI_SUCCESS);
    const std::vector<ViUInt16> full(1024, 0xFF); // checksum 0xFC00 after wrapping
    // block, bytes, checksum error, response, block number (accepted) or error code (refused)
    for (auto [block, bytes, checksumError, response, code] :
         {std::tuple<ViUInt16, std::vector<ViUInt16>, int, int, int>{0, full, 0, 0x8000, 0},
          {1, {1}, 1, 0xFFFF, 1},
          {2, {1}, 0, 0xFFFF, 3},
          {1, {}, 0, 0xFFFF, 2},
          {1, {1, 2, 3}, 0, 0xFFFF, 5}}) {
        ViUInt16 checksum = 0, answer = 0, polls = 0, errorCode = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            checksum = static_cast<ViUInt16>(checksum + bytes[i]);
            EXPECT_EQ(viOut16(vi, VI_PXI_BAR0_SPACE, 0x100208 + 4 * i, bytes[i]), VI_SUCCESS);
        }
        EXPECT_EQ(viOut16(vi, VI_PXI_BAR0_SPACE, 0x100200, block), VI_SUCCESS);
        EXPECT_EQ(viOut16(vi, VI_PXI_BAR0_SPACE, 0x100204, static_cast<ViUInt16>(bytes.size())), VI_SUCCESS);
        EXPECT_EQ(kq3917e_write_command_and_data(vi, KQ3917E_CMD_UPDATE_FIRMWARE, checksum + checksumError),
                  VI_SUCCESS);
        while (answer != 0x8000 && answer != 0xFFFF && ++polls < 60)
            EXPECT_EQ(viIn16(vi, VI_PXI_BAR0_SPACE, 0x100010, &answer), VI_SUCCESS);
        EXPECT_EQ(viIn16(vi, VI_PXI_BAR0_SPACE, 0x100200, &errorCode), VI_SUCCESS);
        EXPECT_EQ(std::tuple(answer, polls, errorCode), std::tuple(response, 3, code)) << block; // busy twice
    }
    EXPECT_EQ(kq3917e_close(vi), VI_SUCCESS);
}

} // namespace
