// SPDX-License-Identifier: GPL-3.0-or-later
// VISA and the maker's driver loaded at run time from the simkit's stand-in
// libraries, found through the ordinary library search path.
#include "kq3917e.h"
#include "visa.h"
#include "visa_testseam.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

// ---- library search (one process per directory; see CMakeLists.txt)

TEST(LibrarySearch, LoadsTheExpectedName)
{
    const char *expected = std::getenv("UCT_TEST_VISA_LIBRARY");
    ASSERT_NE(expected, nullptr);
    ViSession rm = VI_NULL;
    EXPECT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    EXPECT_NE(rm, VI_NULL);
    EXPECT_STREQ(visatest::LoadedLibrary(), expected);
}

// ---- no VISA library

TEST(NoLibrary, EveryCallFailsWithoutCrashing)
{
    if (*visatest::LoadedLibrary())
        GTEST_SKIP() << "a VISA library is installed on this machine: " << visatest::LoadedLibrary();
    ViSession rm = 77, vi = 77;
    ViFindList list = 77;
    ViUInt32 count = 77;
    ViChar desc[VI_FIND_BUFLEN] = "unchanged";
    ViUInt16 value = 0;
    const ViStatus statuses[] = {
        viOpenDefaultRM(&rm),
        viFindRsrc(1, "PXI?*INSTR", &list, &count, desc),
        viFindNext(1, desc),
        viOpen(1, "PXI0::7-0.0::INSTR", 0, 0, &vi),
        viGetAttribute(1, VI_ATTR_SLOT, &value),
        viIn16(1, VI_PXI_BAR0_SPACE, 0x100010, &value),
        viOut16(1, VI_PXI_BAR0_SPACE, 0x100200, 1),
        viClose(1),
        viOpenDefaultRM(nullptr),
        viFindRsrc(1, "PXI?*INSTR", nullptr, nullptr, nullptr),
    };
    for (std::size_t i = 0; i < std::size(statuses); ++i)
        EXPECT_EQ(statuses[i], VI_ERROR_LIBRARY_NFOUND) << "call " << i;
    EXPECT_EQ(rm, VI_NULL);
    EXPECT_EQ(vi, VI_NULL);
    EXPECT_EQ(list, VI_NULL);
    EXPECT_EQ(count, 0u);
}

// ---- the simulated PXI system

// Sets the chassis and a call log of the test's own.
class Simkit : public testing::Test
{
  protected:
    void SetUp() override
    {
        const auto *info = testing::UnitTest::GetInstance()->current_test_info();
        std::string file = std::string("simkit_") + info->test_suite_name() + "_" + info->name() + ".log";
        std::replace(file.begin(), file.end(), '/', '_');
        logPath_ = testing::TempDir() + file;
        std::remove(logPath_.c_str());
        setenv("UCT_SIMKIT_LOG", logPath_.c_str(), 1);
        kq3917e_simulate(0);
    }

    void TearDown() override
    {
        if (rm_ != VI_NULL)
            viClose(rm_);
    }

    // Stands up `description` and opens a resource manager on it.
    void chassis(const std::string &description)
    {
        setenv("UCT_SIMKIT_CHASSIS", description.c_str(), 1);
        ASSERT_EQ(viOpenDefaultRM(&rm_), VI_SUCCESS);
    }

    ViSession open(const char *descriptor)
    {
        ViSession vi = VI_NULL;
        EXPECT_EQ(viOpen(rm_, descriptor, 0, 0, &vi), VI_SUCCESS) << descriptor;
        return vi;
    }

    std::vector<std::string> logLines() const
    {
        std::ifstream in(logPath_);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    bool logged(const std::string &line) const
    {
        const auto lines = logLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    ViSession rm_ = VI_NULL;
    std::string logPath_;
};

std::string descriptorOf(int i)
{
    return "PXI0::" + std::to_string(i + 2) + "-0.0::INSTR";
}

class SimkitChassis : public Simkit, public testing::WithParamInterface<int>
{
};

// A chassis of n supported modules among a GPIB instrument and a PXI memory
// resource: the PXI instruments are found in order.
TEST_P(SimkitChassis, FindsEveryModuleInOrder)
{
    const int n = GetParam();
    std::string description = "GPIB0::5::INSTR";
    for (int i = 0; i < n; ++i)
        description += ";" + descriptorOf(i) + ",slot=" + std::to_string(i + 2);
    description += ";PXI0::MEMACC";
    chassis(description);

    ViFindList list = VI_NULL;
    ViUInt32 count = 99;
    ViChar desc[VI_FIND_BUFLEN] = "";
    const ViStatus status = viFindRsrc(rm_, "PXI?*INSTR", &list, &count, desc);
    ASSERT_EQ(count, static_cast<ViUInt32>(n));
    if (n == 0) {
        EXPECT_EQ(status, VI_ERROR_RSRC_NFOUND);
        return;
    }
    ASSERT_EQ(status, VI_SUCCESS);
    EXPECT_EQ(desc, descriptorOf(0));
    for (int i = 1; i < n; ++i) {
        ASSERT_EQ(viFindNext(list, desc), VI_SUCCESS);
        EXPECT_EQ(desc, descriptorOf(i));
    }
    EXPECT_EQ(viFindNext(list, desc), VI_ERROR_RSRC_NFOUND);
    EXPECT_EQ(viClose(list), VI_SUCCESS);
}

INSTANTIATE_TEST_SUITE_P(Modules, SimkitChassis, testing::Values(0, 1, 2, 12));

// 16-bit attributes are written as 16 bits: a slot of 65535 reads as -1 and
// the bytes beside the value stay untouched.
TEST_F(Simkit, SixteenBitAttributes)
{
    chassis("PXI0::7-0.0::INSTR,slot=65535,vendor=0xF00D,model=0x8001");
    const ViSession vi = open("PXI0::7-0.0::INSTR");
    struct {
        ViAttr attr;
        ViUInt16 expected;
    } const cases[] = {{VI_ATTR_SLOT, 0xFFFF}, {VI_ATTR_MANF_ID, 0xF00D}, {VI_ATTR_MODEL_CODE, 0x8001}};
    for (const auto &c : cases) {
        unsigned char buffer[4];
        std::memset(buffer, 0xAA, sizeof buffer);
        ASSERT_EQ(viGetAttribute(vi, c.attr, buffer), VI_SUCCESS);
        ViUInt16 value;
        std::memcpy(&value, buffer, 2);
        EXPECT_EQ(value, c.expected) << std::hex << c.attr;
        EXPECT_EQ(buffer[2], 0xAA);
        EXPECT_EQ(buffer[3], 0xAA);
    }
    ViInt16 slot = 0;
    ASSERT_EQ(viGetAttribute(vi, VI_ATTR_SLOT, &slot), VI_SUCCESS);
    EXPECT_EQ(slot, -1);
    ViUInt32 version = 0;
    ASSERT_EQ(viGetAttribute(vi, VI_ATTR_RSRC_SPEC_VERSION, &version), VI_SUCCESS);
    EXPECT_EQ(version, 0x00500800u);
}

TEST_F(Simkit, OpenAndSlotFaults)
{
    chassis("PXI0::2-0.0::INSTR,openfail;PXI0::3-0.0::INSTR,noslot;PXI0::4-0.0::INSTR,openfail=0xBFFF0011");
    ViSession vi = 5;
    EXPECT_EQ(viOpen(rm_, "PXI0::2-0.0::INSTR", 0, 0, &vi), VI_ERROR_RSRC_LOCKED);
    EXPECT_EQ(vi, VI_NULL);
    EXPECT_EQ(viOpen(rm_, "PXI0::4-0.0::INSTR", 0, 0, &vi), VI_ERROR_RSRC_NFOUND);
    EXPECT_EQ(viOpen(rm_, "PXI0::9-0.0::INSTR", 0, 0, &vi), VI_ERROR_RSRC_NFOUND);
    vi = open("PXI0::3-0.0::INSTR");
    ViInt16 slot = 42;
    EXPECT_EQ(viGetAttribute(vi, VI_ATTR_SLOT, &slot), VI_ERROR_NSUP_ATTR);
    EXPECT_EQ(slot, 42);
}

// Closing the resource manager closes what was opened from it.
TEST_F(Simkit, ClosingTheResourceManagerClosesItsSessions)
{
    chassis("PXI0::7-0.0::INSTR");
    const ViSession vi = open("PXI0::7-0.0::INSTR");
    ASSERT_EQ(viClose(rm_), VI_SUCCESS);
    rm_ = VI_NULL;
    ViInt16 slot = 0;
    EXPECT_EQ(viGetAttribute(vi, VI_ATTR_SLOT, &slot), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(viClose(vi), VI_ERROR_INV_OBJECT);
}

// The bus address is 64-bit: an offset above 4 GiB must reach the library
// intact and be refused, not be cut to the response register below it.
TEST_F(Simkit, OffsetAbove4GiBArrivesIntact)
{
    chassis("PXI0::7-0.0::INSTR");
    const ViSession vi = open("PXI0::7-0.0::INSTR");
    ViUInt16 value = 0x1234;
    EXPECT_EQ(viIn16(vi, VI_PXI_BAR0_SPACE, 0x100010, &value), VI_SUCCESS);
    const ViBusAddress high = (ViBusAddress{1} << 32) + 0x100010;
    value = 0x1234;
    EXPECT_EQ(viIn16(vi, VI_PXI_BAR0_SPACE, high, &value), VI_ERROR_INV_OFFSET);
    EXPECT_EQ(value, 0x1234);
    EXPECT_EQ(viOut16(vi, VI_PXI_BAR0_SPACE, high + 0x1F0, 7), VI_ERROR_INV_OFFSET);
    const std::string id = std::to_string(vi);
    EXPECT_TRUE(
        logged("viIn16(" + id + ",11,0x100100010) -> 0x0000 = " + std::to_string(VI_ERROR_INV_OFFSET)));
    EXPECT_TRUE(logged("viOut16(" + id + ",11,0x100100200,0x0007) = " + std::to_string(VI_ERROR_INV_OFFSET)));
    EXPECT_EQ(viIn16(vi, VI_PXI_CFG_SPACE, 0, &value), VI_ERROR_INV_SPACE);
}

// ---- the stand-in driver, loaded by the program's driver dispatch

// One firmware block through the mailbox: bytes, block number and byte count
// with viOut16, the command through the driver, the answer with viIn16.
ViUInt16 sendBlock(ViSession vi, ViUInt16 block, const std::vector<ViUInt16> &bytes, ViUInt16 &errorCode)
{
    ViUInt16 checksum = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        checksum = static_cast<ViUInt16>(checksum + bytes[i]);
        EXPECT_EQ(viOut16(vi, VI_PXI_BAR0_SPACE, 0x100208 + 4 * i, bytes[i]), VI_SUCCESS);
    }
    EXPECT_EQ(viOut16(vi, VI_PXI_BAR0_SPACE, 0x100200, block), VI_SUCCESS);
    EXPECT_EQ(viOut16(vi, VI_PXI_BAR0_SPACE, 0x100204, static_cast<ViUInt16>(bytes.size())), VI_SUCCESS);
    EXPECT_EQ(kq3917e_write_command_and_data(vi, KQ3917E_CMD_UPDATE_FIRMWARE, checksum), VI_SUCCESS);
    ViUInt16 response = 0;
    for (int poll = 0; poll < 60; ++poll) {
        EXPECT_EQ(viIn16(vi, VI_PXI_BAR0_SPACE, 0x100010, &response), VI_SUCCESS);
        if (response == 0x8000 || response == 0xFFFF)
            break;
    }
    if (response == 0xFFFF) {
        EXPECT_EQ(viIn16(vi, VI_PXI_BAR0_SPACE, 0x100200, &errorCode), VI_SUCCESS);
    }
    return response;
}

TEST_F(Simkit, FirmwareMailboxRoundTripWithARefusedBlock)
{
    chassis("PXI0::7-0.0::INSTR,refuseblock=1:5,latency=2");
    ViSession vi = VI_NULL;
    ASSERT_EQ(kq3917e_init("PXI0::7-0.0::INSTR", 1, 0, &vi), VI_SUCCESS);
    ASSERT_NE(vi, VI_NULL);
    const std::vector<ViUInt16> bytes(1024, 0xFF); // checksum 0xFC00
    ViUInt16 errorCode = 0;
    EXPECT_EQ(sendBlock(vi, 0, bytes, errorCode), 0x8000);
    EXPECT_EQ(sendBlock(vi, 1, {1, 2, 3}, errorCode), 0xFFFF);
    EXPECT_EQ(errorCode, 5);
    ViChar text[KQ3917E_MESSAGE_SIZE] = "";
    EXPECT_EQ(kq3917e_error_message(0, KQ3917E_FIRMWARE_ERROR_BASE + errorCode, text), VI_SUCCESS);
    EXPECT_GT(std::strlen(text), 0u);
    EXPECT_TRUE(logged("kq3917e_write_command_and_data(" + std::to_string(vi) + ") = 0"));
    EXPECT_EQ(kq3917e_close(vi), VI_SUCCESS);
}

// kq3917e_init applies the device's switches; the reset flag and every
// probe's close are in the call log.
struct InitCase {
    const char *name;
    const char *device; // switches after the descriptor
    ViBoolean idQuery;
    bool opened;
    bool warning;
};

class SimkitInit : public Simkit, public testing::WithParamInterface<InitCase>
{
};

TEST_P(SimkitInit, SwitchesApply)
{
    const InitCase &c = GetParam();
    chassis(std::string("PXI0::7-0.0::INSTR") + c.device);
    ViSession vi = 99;
    const ViStatus status = kq3917e_init("PXI0::7-0.0::INSTR", c.idQuery, 1, &vi);
    EXPECT_EQ(status > 0, c.warning) << status;
    EXPECT_EQ(status >= 0, c.opened) << status;
    EXPECT_EQ(vi != VI_NULL, c.opened);
    EXPECT_TRUE(logged("kq3917e_init(\"PXI0::7-0.0::INSTR\"," + std::to_string(c.idQuery) + ",1) -> " +
                       std::to_string(vi) + " = " + std::to_string(status)));
    if (c.opened) {
        ViInt16 slot = 0;
        EXPECT_EQ(viGetAttribute(vi, VI_ATTR_SLOT, &slot), VI_SUCCESS); // a VISA session
        EXPECT_EQ(kq3917e_close(vi), VI_SUCCESS);
    }
    // Every session the driver opened is closed again (the test's own
    // resource manager is still open).
    int opened = 0, closed = 0;
    for (const std::string &line : logLines()) {
        const bool success = line.size() > 4 && line.compare(line.size() - 4, 4, " = 0") == 0;
        opened += success && line.rfind("viOpen", 0) == 0;
        closed += success && line.rfind("viClose", 0) == 0;
    }
    EXPECT_EQ(opened - 1, closed);
    ViChar text[KQ3917E_MESSAGE_SIZE] = "";
    EXPECT_EQ(kq3917e_error_message(0, status, text), VI_SUCCESS);
    EXPECT_GT(std::strlen(text), 0u);
}

INSTANTIATE_TEST_SUITE_P(Devices, SimkitInit,
                         testing::Values(InitCase{"Sound", "", 1, true, false},
                                         InitCase{"Warns", ",initwarn", 1, true, true},
                                         InitCase{"Fails", ",initfail=0xBFFF0015", 1, false, false},
                                         InitCase{"OpenFails", ",openfail", 1, false, false},
                                         InitCase{"OtherVendor", ",vendor=0x1234", 1, false, false},
                                         InitCase{"OtherVendorUnchecked", ",vendor=0x1234", 0, true, false},
                                         InitCase{"OtherModel", ",model=5", 1, false, false},
                                         InitCase{"Silent", ",dieafter=0", 1, false, false}),
                         [](const testing::TestParamInfo<InitCase> &info) { return info.param.name; });

// Every driver operation and register access counts; after N of them the
// module answers nothing but a timeout.
TEST_F(Simkit, ModuleStopsAnswering)
{
    chassis("PXI0::7-0.0::INSTR,dieafter=3");
    ViSession vi = VI_NULL;
    ASSERT_EQ(kq3917e_init("PXI0::7-0.0::INSTR", 1, 0, &vi), VI_SUCCESS); // 1
    ViInt32 aperture = 0;
    EXPECT_EQ(kq3917e_queryAperture(vi, &aperture), VI_SUCCESS); // 2
    ViUInt16 value = 0;
    EXPECT_EQ(viIn16(vi, VI_PXI_BAR0_SPACE, 0x100010, &value), VI_SUCCESS); // 3
    EXPECT_EQ(kq3917e_queryAperture(vi, &aperture), VI_ERROR_TMO);
    EXPECT_EQ(viIn16(vi, VI_PXI_BAR0_SPACE, 0x100010, &value), VI_ERROR_TMO);
    ViInt16 slot = 0;
    EXPECT_EQ(viGetAttribute(vi, VI_ATTR_SLOT, &slot), VI_SUCCESS); // VISA still knows the slot
    EXPECT_EQ(kq3917e_close(vi), VI_SUCCESS);
}

// One model per module: two sessions on the same module share its state,
// another module has its own.
TEST_F(Simkit, OneModelPerModule)
{
    chassis("PXI0::7-0.0::INSTR;PXI0::8-0.0::INSTR");
    ViSession a = VI_NULL, b = VI_NULL, other = VI_NULL;
    ASSERT_EQ(kq3917e_init("PXI0::7-0.0::INSTR", 1, 1, &a), VI_SUCCESS);
    ASSERT_EQ(kq3917e_init("PXI0::7-0.0::INSTR", 1, 0, &b), VI_SUCCESS);
    ASSERT_EQ(kq3917e_init("PXI0::8-0.0::INSTR", 1, 1, &other), VI_SUCCESS);
    ViInt32 initial = 0;
    ASSERT_EQ(kq3917e_queryAperture(other, &initial), VI_SUCCESS);
    const ViInt32 changed = initial == 1000 ? 100 : 1000;
    ASSERT_EQ(kq3917e_confAperture(a, changed), VI_SUCCESS);
    ViInt32 seen = 0;
    EXPECT_EQ(kq3917e_queryAperture(b, &seen), VI_SUCCESS);
    EXPECT_EQ(seen, changed);
    EXPECT_EQ(kq3917e_queryAperture(other, &seen), VI_SUCCESS);
    EXPECT_EQ(seen, initial);
    for (ViSession s : {a, b, other})
        EXPECT_EQ(kq3917e_close(s), VI_SUCCESS);
}

// Demonstration mode answers on session 0; hardware mode refuses it.
TEST_F(Simkit, DemonstrationModeOnSessionZero)
{
    chassis("");
    ViInt32 aperture = 0;
    EXPECT_EQ(kq3917e_queryAperture(0, &aperture), VI_ERROR_INV_OBJECT);
    ASSERT_EQ(kq3917e_simulate(1), VI_SUCCESS);
    EXPECT_EQ(kq3917e_reset(0), VI_SUCCESS);
    EXPECT_EQ(kq3917e_queryAperture(0, &aperture), VI_SUCCESS);
    EXPECT_GT(aperture, 0);
    EXPECT_TRUE(logged("kq3917e_simulate(1) = 0"));
    EXPECT_TRUE(logged("kq3917e_reset(0) = 0"));
}

} // namespace
