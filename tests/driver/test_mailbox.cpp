// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated module's firmware mailbox and determinism, on the model itself.
#include "uctsim.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

using uctsim::Module;

// Writes one block as the firmware transfer does and returns the response
// word that ends the polling, with the number of polls it took.
struct Answer {
    ViUInt16 response;
    int polls;
    ViUInt16 code;
};

Answer sendBlock(Module &m, ViUInt16 block, const std::vector<ViUInt16> &bytes, int checksumError = 0)
{
    ViUInt16 sum = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        EXPECT_EQ(m.out16(uctsim::kRegData + 4 * i, bytes[i]), VI_SUCCESS);
        sum = static_cast<ViUInt16>(sum + bytes[i]);
    }
    EXPECT_EQ(m.out16(uctsim::kRegBlock, block), VI_SUCCESS);
    EXPECT_EQ(m.out16(uctsim::kRegByteCount, static_cast<ViUInt16>(bytes.size())), VI_SUCCESS);
    EXPECT_EQ(
        m.write_command_and_data(KQ3917E_CMD_UPDATE_FIRMWARE, static_cast<ViUInt16>(sum + checksumError)),
        VI_SUCCESS);
    Answer a{0, 0, 0};
    do {
        EXPECT_EQ(m.in16(uctsim::kRegResponse, &a.response), VI_SUCCESS);
        ++a.polls;
    } while (a.response != uctsim::kResponseAccepted && a.response != uctsim::kResponseRefused &&
             a.polls < 60);
    EXPECT_EQ(m.in16(uctsim::kRegBlock, &a.code), VI_SUCCESS);
    return a;
}

TEST(Mailbox, BlocksAreCheckedAndAnsweredAfterAPoll)
{
    const std::vector<ViUInt16> full(1024, 0xFF); // checksum 0xFC00 after wrapping
    const std::vector<ViUInt16> one{0x5A};
    const struct {
        const char *what;
        ViUInt16 block;
        std::vector<ViUInt16> bytes;
        int checksumError;
        ViUInt16 response;
        ViUInt16 code; // block number when accepted, error code when refused
    } table[] = {
        {"first block", 0, full, 0, uctsim::kResponseAccepted, 0},
        {"next block", 1, one, 0, uctsim::kResponseAccepted, 1},
        {"bad checksum", 2, one, 1, uctsim::kResponseRefused, uctsim::kFirmwareChecksum},
        {"skipped block", 3, one, 0, uctsim::kResponseRefused, uctsim::kFirmwareSequence},
        {"retry after refusal", 2, one, 0, uctsim::kResponseAccepted, 2},
        {"empty block", 3, {}, 0, uctsim::kResponseRefused, uctsim::kFirmwareByteCount},
        {"restart at 0", 0, one, 0, uctsim::kResponseAccepted, 0},
    };
    Module m;
    for (const auto &row : table) {
        SCOPED_TRACE(row.what);
        Answer a = sendBlock(m, row.block, row.bytes, row.checksumError);
        EXPECT_EQ(a.response, row.response);
        EXPECT_EQ(a.polls, 2); // busy once, then the answer
        EXPECT_EQ(a.code, row.code);
    }
}

TEST(Mailbox, FaultHookRefusesAChosenBlockAndLatencyDelaysTheAnswer)
{
    Module m;
    m.refuseFirmwareBlock(1, 9);
    m.setMailboxLatency(5);
    EXPECT_EQ(sendBlock(m, 0, {1, 2, 3}).response, uctsim::kResponseAccepted);
    Answer a = sendBlock(m, 1, {1, 2, 3});
    EXPECT_EQ(a.response, uctsim::kResponseRefused);
    EXPECT_EQ(a.code, 9);
    EXPECT_EQ(a.polls, 6);
    m.refuseFirmwareBlock(-1);
    EXPECT_EQ(sendBlock(m, 1, {1, 2, 3}).response, uctsim::kResponseAccepted);
}

TEST(Mailbox, OffsetsOutsideTheRegionFail)
{
    Module m;
    ViUInt16 value = 0;
    EXPECT_EQ(m.in16(uctsim::kBar0Size, &value), VI_ERROR_INV_OFFSET);
    EXPECT_EQ(m.out16(uctsim::kBar0Size + 2, 1), VI_ERROR_INV_OFFSET);
    ASSERT_EQ(m.out16(uctsim::kRegData + 4 * 1023, 0xAB), VI_SUCCESS);
    ASSERT_EQ(m.in16(uctsim::kRegData + 4 * 1023, &value), VI_SUCCESS);
    EXPECT_EQ(value, 0xAB);
}

TEST(Model, ReadingsDependOnSeedAndTimeOnly)
{
    // A continuous run fetched at the same times gives the same values, however
    // the fetches were spaced by other calls.
    double t = 0.0;
    auto run = [&t](std::uint64_t seed, bool extraQueries) {
        Module m(seed);
        m.setClock([&t] { return t; });
        EXPECT_EQ(m.triggerContinuous(1), VI_SUCCESS);
        std::vector<double> out;
        for (int i = 0; i < 4; ++i) {
            ViReal64 v = 0;
            ViInt32 aperture = 0;
            if (extraQueries) {
                EXPECT_EQ(m.queryAperture(&aperture), VI_SUCCESS);
            }
            EXPECT_EQ(m.fetch(&v), VI_SUCCESS);
            out.push_back(v);
        }
        return out;
    };
    EXPECT_EQ(run(3, false), run(3, true));
    EXPECT_NE(run(3, false), run(4, false));
}

TEST(Model, StatusTextsNeverOverflow)
{
    for (ViStatus status : {VI_SUCCESS, KQ3917E_ERROR_LEVEL, KQ3917E_FIRMWARE_ERROR_BASE + 0xFFFF, -7}) {
        ViChar text[KQ3917E_MESSAGE_SIZE + 8];
        std::fill(std::begin(text), std::end(text), '#');
        uctsim::statusMessage(status, text);
        EXPECT_EQ(text[KQ3917E_MESSAGE_SIZE], '#');
        EXPECT_NE(text[0], '#');
    }
}

} // namespace
